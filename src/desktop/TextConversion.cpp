#include "desktop/TextConversion.h"

#include <QFile>
#include <QStringDecoder>

namespace hoardwright::desktop {

#ifdef Q_OS_WIN
// The core's file names are UTF-8 on Windows; QFile's 8-bit names there are in the ANSI code
// page, which cannot name every file.
QString PathText(std::string_view path) {
  return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

std::string PathBytes(const QString& path) {
  return path.toUtf8().toStdString();
}
#else
QString PathText(std::string_view path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }
#endif

QString FileText(std::string_view bytes) {
  const QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(data);
  if (!utf8.hasError()) return text;
  return QString::fromLatin1(data);
}

std::string FileBytes(const QString& text) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  for (const auto c : text.toUcs4()) {
    bytes.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
  }
  return bytes;
}

std::string NotesBytes(const QString& text) {
  QString notes = text;
  notes.remove(QLatin1Char('\r'));
  notes.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return FileBytes(notes);
}

QString NotesText(std::string_view bytes) {
  QString text = FileText(bytes);
  text.remove(QLatin1Char('\r'));
  return text;
}

}  // namespace hoardwright::desktop
