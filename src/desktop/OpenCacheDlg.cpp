#include "desktop/OpenCacheDlg.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "desktop/Artwork.h"
#include "desktop/DialogUnits.h"
#include "desktop/TextConversion.h"

namespace hoardwright::desktop {
namespace {

enum Column { kDevice, kManufacturer, kSize, kState, kColumnCount };

QString Row(const QString& name, const QString& value) {
  return QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
      .arg(name.toHtmlEscaped(),
           value.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")));
}

}  // namespace

COpenCacheDlg::COpenCacheDlg(QWidget* parent, const std::string& path, ui::CacheOverview overview)
    : QDialog(parent), overview_(std::move(overview)) {
  setObjectName(QStringLiteral("openCacheDialog"));
  setWindowTitle(QStringLiteral("Open Cache"));
  setWindowIcon(ApplicationIcon());
  setSizeGripEnabled(true);
  const DialogUnits du(font());
  auto* layout = new QVBoxLayout(this);

  QStringList notes;
  for (const std::string& line : overview_.notes) notes << FileText(line);
  QString intact = overview_.intact ? QStringLiteral("yes") : QStringLiteral("no");
  for (const std::string& problem : overview_.problems) {
    intact += QLatin1Char('\n') + FileText(problem);
  }
  details_ = new QLabel(this);
  details_->setObjectName(QStringLiteral("cacheDetails"));
  details_->setTextFormat(Qt::RichText);
  details_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  details_->setText(QStringLiteral("<table cellspacing=2>") +
                    Row(QStringLiteral("File"), PathText(path)) +
                    Row(QStringLiteral("Kind"), FileText(overview_.kind)) +
                    Row(QStringLiteral("Date"), FileText(overview_.date)) +
                    Row(QStringLiteral("Created by"), FileText(overview_.createdBy)) +
                    Row(QStringLiteral("Notes"), notes.join(QLatin1Char('\n'))) +
                    Row(QStringLiteral("Intact"), intact) + QStringLiteral("</table>"));
  layout->addWidget(details_);

  comparison_ = new QLabel(FileText(overview_.comparisonLine), this);
  comparison_->setObjectName(QStringLiteral("comparisonLine"));
  comparison_->setWordWrap(true);
  layout->addWidget(comparison_);

  personalities_ = new QTreeWidget(this);
  personalities_->setObjectName(QStringLiteral("cachePersonalities"));
  personalities_->setRootIsDecorated(false);
  personalities_->setUniformRowHeights(true);
  personalities_->setColumnCount(kColumnCount);
  personalities_->setHeaderLabels({QStringLiteral("Device"), QStringLiteral("Manufacturer"),
                                   QStringLiteral("Size"), QStringLiteral("In the directory")});
  for (const ui::CacheOverviewRow& row : overview_.rows) {
    auto* item = new QTreeWidgetItem(personalities_);
    item->setText(kDevice, FileText(row.device));
    item->setText(kManufacturer, FileText(row.manufacturer));
    if (row.state != "new") {
      item->setText(kSize, FileText(ui::GroupedNumber(static_cast<std::int64_t>(row.size))));
    }
    item->setTextAlignment(kSize, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(kState, FileText(row.state));
    if (row.state == "missing") item->setIcon(kState, LeftOutIcon());
    if (row.state == "changed") item->setIcon(kState, WarningIcon());
    if (!row.path.empty()) item->setToolTip(kDevice, PathText(row.path));
  }
  personalities_->header()->setStretchLastSection(true);
  for (int column = 0; column < kState; ++column) personalities_->resizeColumnToContents(column);
  layout->addWidget(personalities_, 1);

  auto* buttons = new QDialogButtonBox(this);
  loadButton_ =
      buttons->addButton(QStringLiteral("Load into cache list"), QDialogButtonBox::AcceptRole);
  loadButton_->setObjectName(QStringLiteral("loadButton"));
  loadButton_->setToolTip(QStringLiteral(
      "The cache list becomes the personalities of this cache that the directory has"));
  loadButton_->setEnabled(!overview_.loadable.empty());
  closeButton_ = buttons->addButton(QDialogButtonBox::Close);
  closeButton_->setObjectName(QStringLiteral("closeButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(du.Size(300, 260));
}

}  // namespace hoardwright::desktop
