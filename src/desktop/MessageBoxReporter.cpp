#include "desktop/MessageBoxReporter.h"

#include <QMessageBox>

#include "desktop/TextConversion.h"

namespace hoardwright::desktop {

void ShowMessageBox(QWidget* owner, std::string_view text, std::string_view caption) {
  // Captions are the application's name or a personality's path, both shown as they are.
  QMessageBox box(QMessageBox::NoIcon, PathText(caption), FileText(text), QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void MessageBoxReporter::ShowMessage(std::string_view text, std::string_view caption) {
  ShowMessageBox(&owner_, text, caption);
}

}  // namespace hoardwright::desktop
