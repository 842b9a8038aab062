#pragma once
// Answers the modal dialogs that code under test opens, from inside their own event loops: each
// expected dialog gets its step (look at it, then close it). A modal dialog that no step expects
// is recorded and rejected, so a test fails instead of waiting forever.
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

namespace hoardwright::desktop::testing {

class ModalScript : public QObject {
 public:
  using Step = std::function<void(QWidget& modal)>;

  ModalScript() {
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, &ModalScript::Poll);
    timer_.start();
  }

  // The next modal dialog must be of class T (or derive from it); `step` receives it and closes it.
  template <class T>
  void Expect(std::function<void(T&)> step) {
    steps_.push_back({T::staticMetaObject.className(), [step](QWidget& modal) {
                        step(*qobject_cast<T*>(&modal));
                      }});
  }

  // The next modal dialog must be a message box; its caption and text are recorded in Messages()
  // and OK pressed.
  void ExpectMessage() {
    Expect<QMessageBox>([this](QMessageBox& box) {
      QWidget* owner = box.parentWidget();
      messages_.push_back({box.windowTitle(), box.text(), box.buttons().size(),
                           box.standardButtons(),
                           owner != nullptr ? owner->objectName() : QString(),
                           owner != nullptr && owner->isVisible()});
      box.button(QMessageBox::Ok)->click();
    });
  }

  struct Message {
    QString caption;
    QString text;
    qsizetype buttonCount;
    QMessageBox::StandardButtons buttons;
    QString ownerName;  // the object name of the owner window, empty without one
    bool ownerVisible;  // the owner was on the screen when the box came
  };
  const std::vector<Message>& Messages() const { return messages_; }
  bool Done() const { return steps_.empty(); }
  // Modal dialogs that came when no step expected them: class name and title.
  const QStringList& Unexpected() const { return unexpected_; }

 private:
  struct PendingStep {
    const char* className;
    Step step;
  };

  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    // A dialog answered before is active again while a box its step opened closes: not new.
    for (const QPointer<QWidget>& answered : handled_) {
      if (answered == modal) return;
    }
    handled_.push_back(modal);
    if (!steps_.empty() && modal->inherits(steps_.front().className)) {
      const Step step = std::move(steps_.front().step);
      steps_.pop_front();
      // Run outside this poll, so that a dialog the step opens is answered too.
      QPointer<QWidget> target(modal);
      QTimer::singleShot(0, this, [step, target] {
        if (target) step(*target);
      });
      return;
    }
    QString description = QString::fromLatin1(modal->metaObject()->className()) +
                          QStringLiteral(" \"") + modal->windowTitle() + QStringLiteral("\"");
    if (auto* box = qobject_cast<QMessageBox*>(modal))
      description += QStringLiteral(": ") + box->text();
    unexpected_.push_back(description);
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
  }

  QTimer timer_;
  std::deque<PendingStep> steps_;
  std::vector<Message> messages_;
  QStringList unexpected_;
  // Every dialog answered: one may still be visible while it closes, and one whose step opened a
  // message box is the active modal again for a moment while that box's event loop ends.
  std::vector<QPointer<QWidget>> handled_;
};

}  // namespace hoardwright::desktop::testing
