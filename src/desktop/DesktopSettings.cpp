#include "desktop/DesktopSettings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include "catalogue/RememberedCacheList.h"
#include "desktop/TextConversion.h"
#include "support/Platform.h"
#include "ui/MainDialogModel.h"
#include "ui/PreviewTexts.h"

namespace hoardwright::desktop {
namespace {

const QString kDefaultDirKey = QStringLiteral("DefaultDir");
const QString kOutputDirKey = QStringLiteral("OutputDir");
const QString kCreatedByKey = QStringLiteral("CreatedBy");
const QString kWindowGroup = QStringLiteral("Window");
const QString kGeometryKey = QStringLiteral("Geometry");
const QString kBuildGroup = QStringLiteral("Build");
const QString kCacheTypeKey = QStringLiteral("CacheType");

// A stored directory, or `fallback` when it is missing or empty.
std::string ReadDirectory(const QSettings& settings, const QString& key,
                          const std::string& fallback) {
  const QString value = settings.value(key, PathText(fallback)).toString();
  return value.isEmpty() ? fallback : PathBytes(value);
}

}  // namespace

#ifdef Q_OS_WIN
// Windows' own form: backslashes, as its directory texts always had.
std::string DefaultPersonalityDir() {
  return PathBytes(QDir::toNativeSeparators(QDir::currentPath())) + "\\Pers\\";
}

std::string DefaultOutputDir() {
  return PathBytes(QDir::toNativeSeparators(QDir::homePath())) + "\\";
}
#else
std::string DefaultPersonalityDir() { return PathBytes(QDir::currentPath()) + "/Pers/"; }

std::string DefaultOutputDir() { return PathBytes(QDir::homePath()) + "/"; }
#endif

void LoadSettings(ui::MainDialogModel& model) {
  QSettings settings(QString::fromLatin1(kSettingsOrganisation),
                     QString::fromLatin1(kSettingsApplication));
  settings.beginGroup(QString::fromLatin1(kSettingsGroup));
  model.SetPersonalityDir(ReadDirectory(settings, kDefaultDirKey, DefaultPersonalityDir()));
  model.SetOutputDir(ReadDirectory(settings, kOutputDirKey, DefaultOutputDir()));
  model.SetCreatedBy(FileBytes(settings.value(kCreatedByKey, QString()).toString()));
}

void SaveSettings(const ui::MainDialogModel& model) {
  QSettings settings(QString::fromLatin1(kSettingsOrganisation),
                     QString::fromLatin1(kSettingsApplication));
  settings.beginGroup(QString::fromLatin1(kSettingsGroup));
  settings.setValue(kDefaultDirKey, PathText(model.PersonalityDir()));
  settings.setValue(kOutputDirKey, PathText(model.OutputDir()));
  settings.setValue(kCreatedByKey, FileText(model.CreatedBy()));
}

std::filesystem::path CacheListFile() {
  // The generic location with the names spelt out, so that it does not depend on the names the
  // application object was given.
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  return support::ToPath(PathBytes(data)) / kSettingsOrganisation / kSettingsApplication /
         std::string(catalogue::kCacheListFileName);
}

std::optional<catalogue::CacheType> LoadCacheKind() {
  QSettings settings(QString::fromLatin1(kSettingsOrganisation),
                     QString::fromLatin1(kSettingsApplication));
  settings.beginGroup(kBuildGroup);
  return ui::CacheKindFromSetting(settings.value(kCacheTypeKey).toString().toStdString());
}

void SaveCacheKind(catalogue::CacheType kind) {
  QSettings settings(QString::fromLatin1(kSettingsOrganisation),
                     QString::fromLatin1(kSettingsApplication));
  settings.beginGroup(kBuildGroup);
  settings.setValue(kCacheTypeKey, QString::fromLatin1(ui::CacheKindSetting(kind)));
}

QByteArray LoadWindowGeometry() {
  QSettings settings(QString::fromLatin1(kSettingsOrganisation),
                     QString::fromLatin1(kSettingsApplication));
  settings.beginGroup(kWindowGroup);
  return settings.value(kGeometryKey).toByteArray();
}

void SaveWindowGeometry(const QByteArray& geometry) {
  QSettings settings(QString::fromLatin1(kSettingsOrganisation),
                     QString::fromLatin1(kSettingsApplication));
  settings.beginGroup(kWindowGroup);
  settings.setValue(kGeometryKey, geometry);
}

}  // namespace hoardwright::desktop
