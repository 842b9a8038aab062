#include "desktop/ResultDlg.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <initializer_list>

#include "desktop/Artwork.h"
#include "desktop/DialogUnits.h"
#include "desktop/TextConversion.h"
#include "standard/CacheResult.h"
#include "ui/PreviewTexts.h"

namespace hoardwright::desktop {
namespace {

// Layout in dialog units.
constexpr int kWidth = 186;
constexpr int kHeight = 113;
constexpr int kFirstRowY = 44;
constexpr int kRowStep = 16;

QLabel* MakeLabel(QWidget* parent, const QString& text, const QString& name) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

// The tick or the cross of a row, centred in the slot between the model's name and its limit.
QLabel* MakeMark(QWidget* parent, const QPixmap& pixmap, const QString& name) {
  auto* mark = new QLabel(parent);
  mark->setObjectName(name);
  mark->setPixmap(pixmap);
  mark->setAlignment(Qt::AlignCenter);
  mark->hide();
  return mark;
}

}  // namespace

CResultDlg::CResultDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Cache File"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowIcon(ApplicationIcon());
  const DialogUnits du(font());
  const QString introText = FileText(standard::kFitsSomeText);
  // The two long lines must fit on one line each: a font wider than the layout expects widens
  // the dialog, and the rows stay centred in it.
  const QFontMetrics metrics(font());
  const int margin = du.X(7);
  const QString errorText =
      FileText(standard::DecideCacheResult(0, standard::kMaxStandardPersonalities + 1).sizeText);
  const int longest = std::max({metrics.horizontalAdvance(introText),
                                metrics.horizontalAdvance(FileText(standard::kFitsNoneText)),
                                metrics.horizontalAdvance(errorText)});
  const int width = std::max(du.X(kWidth), longest + 2 * margin + du.X(2));
  const int shift = (width - du.X(kWidth)) / 2;
  setFixedSize(width, du.Y(kHeight));
  const auto place = [&](QWidget& widget, int x, int y, int w, int h) {
    widget.setGeometry(du.Rect(x, y, w, h).translated(shift, 0));
  };

  sizeLabel_ = MakeLabel(this, QStringLiteral("Cache File Size: 0k"),
                         QStringLiteral("cacheSizeLabel"));
  sizeLabel_->setAlignment(Qt::AlignCenter);
  sizeLabel_->setGeometry(margin, du.Y(8), width - 2 * margin, du.Y(10));

  introLabel_ = MakeLabel(this, introText, QStringLiteral("desksLabel"));
  introLabel_->setGeometry(margin, du.Y(26), width - 2 * margin, du.Y(8));

  // Names and limits come from the same table that decides the marks.
  const standard::CacheResult names = standard::DecideCacheResult(0, 0);
  const qreal ratio = devicePixelRatioF();
  for (int row = 0; row < kConsoleRows; ++row) {
    const int y = kFirstRowY + row * kRowStep;
    const QString number = QString::number(row + 1);
    ConsoleRow& widgets = rows_[static_cast<std::size_t>(row)];
    const standard::ConsoleFit& console = names.consoles[static_cast<std::size_t>(row)];
    widgets.name =
        MakeLabel(this, FileText(console.consoleName), QStringLiteral("consoleName") + number);
    place(*widgets.name, 24, y, 58, 8);
    widgets.tick = MakeMark(this, TickPixmap(ratio), QStringLiteral("tick") + number);
    widgets.cross = MakeMark(this, CrossPixmap(ratio), QStringLiteral("cross") + number);
    place(*widgets.tick, 84, y - 2, 14, 12);
    place(*widgets.cross, 84, y - 2, 14, 12);
    widgets.limit =
        MakeLabel(this, FileText(console.limitLabel), QStringLiteral("limit") + number);
    place(*widgets.limit, 104, y, 60, 8);
  }

  // What was written and what was left out, shown below the rows when the creator gives them.
  pathLabel_ = MakeLabel(this, QString(), QStringLiteral("pathLabel"));
  pathLabel_->setWordWrap(true);
  pathLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  pathLabel_->hide();
  leftOutLabel_ = MakeLabel(this, QString(), QStringLiteral("leftOutLabel"));
  leftOutLabel_->hide();
  leftOutList_ = new QPlainTextEdit(this);
  leftOutList_->setObjectName(QStringLiteral("leftOutList"));
  leftOutList_->setReadOnly(true);
  leftOutList_->setLineWrapMode(QPlainTextEdit::NoWrap);
  leftOutList_->hide();

  okButton_ = new QPushButton(QStringLiteral("OK"), this);
  okButton_->setObjectName(QStringLiteral("okButton"));
  okButton_->setDefault(true);
  const QSize okSize = du.Size(50, 14);
  okButton_->setGeometry((width - okSize.width()) / 2, du.Y(92), okSize.width(), okSize.height());
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
}

void CResultDlg::showEvent(QShowEvent* event) {
  if (!initialised_) {
    initialised_ = true;
    InitDialog();
  }
  QDialog::showEvent(event);
}

void CResultDlg::InitDialog() {
  if (Extended) {
    sizeLabel_->setText(FileText(ui::CacheSizeText(CacheSize)));
    introLabel_->setText(
        FileText(ui::ExtendedResultText(static_cast<std::size_t>(std::max(PersonalityCount, 0)))));
    introLabel_->setAlignment(Qt::AlignCenter);
    for (ConsoleRow& row : rows_) {
      for (QLabel* label : {row.name, row.limit, row.tick, row.cross}) label->hide();
    }
    PlaceDetails();
    return;
  }
  const standard::CacheResult result = standard::DecideCacheResult(CacheSize, PersonalityCount);
  sizeLabel_->setText(FileText(result.sizeText));
  introLabel_->setText(FileText(result.introText));
  PlaceDetails();
  for (std::size_t row = 0; row < rows_.size(); ++row) {
    const bool fits = result.consoles[row].fits;
    rows_[row].tick->setVisible(fits);
    rows_[row].cross->setVisible(!fits);
  }
}

void CResultDlg::PlaceDetails() {
  if (OutputPath.empty() && LeftOut.empty() && !Extended) return;
  const DialogUnits du(font());
  const int margin = du.X(7);
  const int innerWidth = width() - 2 * margin;
  // The extended cache has no console rows: what follows moves up into their place.
  int y = du.Y(Extended ? kFirstRowY : kFirstRowY + kConsoleRows * kRowStep);
  if (!OutputPath.empty()) {
    pathLabel_->setText(QStringLiteral("Written to ") + PathText(OutputPath));
    const int height = pathLabel_->heightForWidth(innerWidth);
    pathLabel_->setGeometry(margin, y, innerWidth, height);
    pathLabel_->show();
    y += height + du.Y(4);
  }
  if (!LeftOut.empty()) {
    leftOutLabel_->setText(FileText(check::LeftOutHeading(LeftOut.size())));
    leftOutLabel_->setGeometry(margin, y, innerWidth, du.Y(10));
    leftOutLabel_->show();
    y += du.Y(11);
    QStringList lines;
    for (const check::LeftOutLine& line : LeftOut) {
      lines << PathText(line.path) + QStringLiteral("\n    ") + FileText(line.reason);
    }
    leftOutList_->setPlainText(lines.join(QLatin1Char('\n')));
    // Long paths and reasons scroll sideways.
    const int listHeight = du.Y(60);
    leftOutList_->setGeometry(margin, y, innerWidth, listHeight);
    leftOutList_->show();
    y += listHeight + du.Y(6);
  }
  // The OK button goes below what was added, centred in the dialog's final width.
  const QSize okSize = du.Size(50, 14);
  okButton_->setGeometry((width() - okSize.width()) / 2, y, okSize.width(), okSize.height());
  setFixedHeight(y + okSize.height() + du.Y(7));
}

}  // namespace hoardwright::desktop
