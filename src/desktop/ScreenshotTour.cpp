#include "desktop/ScreenshotTour.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>

#include "desktop/BuildCacheDlg.h"
#include "desktop/BuildDetailsDlg.h"
#include "desktop/PersonalityListView.h"

namespace hoardwright::desktop {
namespace {

// Time for a window manager to frame and paint a newly shown window.
constexpr int kSettleMilliseconds = 700;
constexpr int kPollMilliseconds = 100;
constexpr int kMaxPolls = 100;
constexpr int kMaxFramePolls = 30;
constexpr int kMaxGrabRetries = 10;

void SelectRows(PersonalityListView& view, std::initializer_list<int> rows) {
  view.clearSelection();
  for (int row : rows) {
    view.selectionModel()->select(
        view.model()->index(row, 0),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
}

}  // namespace

ScreenshotTour* ScreenshotTour::FromEnvironment(CBuildCacheDlg& dialog) {
  const QString directory = qEnvironmentVariable(kScreenshotDirVariable);
  if (directory.isEmpty()) return nullptr;
  return new ScreenshotTour(dialog, directory);
}

ScreenshotTour::ScreenshotTour(CBuildCacheDlg& dialog, QString directory)
    : QObject(&dialog), dialog_(dialog), directory_(std::move(directory)) {}

void ScreenshotTour::Start() {
  if (!QDir().mkpath(directory_)) {
    Fail(QStringLiteral("cannot create ") + directory_);
    return;
  }
  QTimer::singleShot(kSettleMilliseconds, this, &ScreenshotTour::FillLists);
}

void ScreenshotTour::FillLists() {
  // The cache list is the one remembered from the last run (every personality); a few are left
  // out, so the two lists differ.
  SelectRows(dialog_.CacheListWidget(), {1, 4, 7});
  dialog_.RemoveButton().click();
  dialog_.CacheListWidget().header()->sectionClicked(1);
  SelectRows(dialog_.PersonalityListWidget(), {2, 3});
  dialog_.PersonalityListWidget().setFocus();
  Save(dialog_, QStringLiteral("main-dialog.png"), [this](QWidget&) { ShowLarger(); });
}

void ScreenshotTour::ShowLarger() {
  normalSize_ = dialog_.size();
  dialog_.resize(normalSize_.width() * 3 / 2, normalSize_.height() * 5 / 4);
  Save(dialog_, QStringLiteral("main-dialog-large.png"), [this](QWidget&) { Filter(); });
}

void ScreenshotTour::Filter() {
  dialog_.resize(normalSize_);
  dialog_.PersonalityFilter().setText(QStringLiteral("american"));
  dialog_.PersonalityFilter().setFocus();
  dialog_.PersonalityFilter().end(false);
  Save(dialog_, QStringLiteral("filtered-list.png"), [this](QWidget&) {
    dialog_.PersonalityFilter().clear();
    BuildCache();
  });
}

void ScreenshotTour::BuildCache() {
  WhenModal("hoardwright::desktop::CBuildDetailsDlg", [this](QWidget& details) {
    FillDetails(details);
    Save(details, QStringLiteral("build-details.png"), [this](QWidget& shown) {
      AnswerBuild();
      static_cast<CBuildDetailsDlg&>(shown).OkButton().click();
    });
  });
  // The build runs on its own thread; the main dialog closes when it is over.
  dialog_.BuildCacheButton().click();
  CloseAfterBuild();
}

void ScreenshotTour::AnswerBuild() {
  // The build waits on the message of the personality that cannot be compiled: the window
  // shows it in progress, with Cancel, while the box is moved out of its way.
  QTimer::singleShot(kPollMilliseconds, this, [this] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal); box != nullptr && box->isVisible()) {
      if (progressSaved_) {
        box->button(QMessageBox::Ok)->click();
        AnswerBuild();
        return;
      }
      progressSaved_ = true;
      const QRect screen = dialog_.screen()->availableGeometry();
      box->move(screen.right() - box->frameGeometry().width(),
                screen.bottom() - box->frameGeometry().height());
      QPointer<QMessageBox> target(box);
      Save(dialog_, QStringLiteral("build-in-progress.png"), [this, target](QWidget&) {
        if (target) target->button(QMessageBox::Ok)->click();
        AnswerBuild();
      });
      return;
    }
    if (modal != nullptr && modal->isVisible() &&
        modal->inherits("hoardwright::desktop::CResultDlg")) {
      Save(*modal, QStringLiteral("result-dialog.png"),
           [](QWidget& done) { qobject_cast<QDialog*>(&done)->accept(); });
      return;
    }
    AnswerBuild();
  });
}

void ScreenshotTour::CloseAfterBuild() {
  QTimer::singleShot(kPollMilliseconds, this, [this] {
    // The main dialog runs modally itself; any other modal dialog is the build's.
    QWidget* modal = QApplication::activeModalWidget();
    if (dialog_.Building() || (modal != nullptr && modal != &dialog_)) {
      CloseAfterBuild();
      return;
    }
    ShowProblems();
  });
}

void ScreenshotTour::ShowProblems() {
  WhenSettled([this] {
    // The personality that cannot be compiled, selected: its mark, and the pane's reasons.
    PersonalityListView& list = dialog_.PersonalityListWidget();
    for (int row = 0; row < list.model()->rowCount(); ++row) {
      if (list.model()->index(row, 0).data().toString() == QStringLiteral("Z.Broken")) {
        SelectRows(list, {row});
        list.setCurrentIndex(list.model()->index(row, 0));
      }
    }
    list.setFocus();
    Save(dialog_, QStringLiteral("problem-marks.png"), [this](QWidget&) { ShowOpenCache(); });
  });
}

void ScreenshotTour::ShowOpenCache() {
  const QString changed = QDir::current().filePath(QStringLiteral("Pers2"));
  if (QFileInfo(changed).isDir()) dialog_.DropPaths({changed.toStdString()});
  const QString cache =
      QString::fromStdString(dialog_.Model().OutputDir()) + QStringLiteral("OMK01PER.CMP");
  WhenModal("hoardwright::desktop::COpenCacheDlg", [this](QWidget& view) {
    Save(view, QStringLiteral("open-cache.png"),
         [](QWidget& shown) { qobject_cast<QDialog*>(&shown)->reject(); });
    ShowGaugeOverLimit();
  });
  QTimer::singleShot(0, this, [this, cache] { dialog_.OpenCache(cache); });
}

void ScreenshotTour::ShowGaugeOverLimit() {
  // Runs once the view has closed.
  QTimer::singleShot(kPollMilliseconds, this, [this] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != &dialog_) {
      ShowGaugeOverLimit();
      return;
    }
    const QString big = QDir::current().filePath(QStringLiteral("Big"));
    if (QFileInfo(big).isDir()) dialog_.DropPaths({big.toStdString()});
    dialog_.RemoveAllButton().click();
    dialog_.AddAllButton().click();
    WhenSettled([this] {
      Save(dialog_, QStringLiteral("gauge-over-limit.png"), [this](QWidget&) { ShowCacheKind(); });
    });
  });
}

void ScreenshotTour::ShowCacheKind() {
  dialog_.ExtendedChoice().click();
  WhenSettled([this] {
    Save(dialog_, QStringLiteral("cache-kind.png"), [this](QWidget&) {
      dialog_.NormalChoice().click();
      dialog_.accept();
    });
  });
}

void ScreenshotTour::WhenSettled(std::function<void()> then, int attempts) {
  QTimer::singleShot(kPollMilliseconds, this, [this, then, attempts] {
    if (dialog_.GaugeSettled() && dialog_.ChecksSettled()) {
      then();
      return;
    }
    if (attempts >= kMaxPolls) {
      Fail(QStringLiteral("the gauge did not settle"));
      return;
    }
    WhenSettled(then, attempts + 1);
  });
}

void ScreenshotTour::WhenModal(const char* className, std::function<void(QWidget&)> act,
                               int attempts) {
  QTimer::singleShot(kPollMilliseconds, this, [this, className, act, attempts] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible() && modal->inherits(className)) {
      QPointer<QWidget> target(modal);
      QTimer::singleShot(kSettleMilliseconds, this, [target, act] {
        if (target) act(*target);
      });
      return;
    }
    if (attempts >= kMaxPolls) {
      Fail(QStringLiteral("no ") + QString::fromLatin1(className) + QStringLiteral(" appeared"));
      return;
    }
    WhenModal(className, act, attempts + 1);
  });
}

void ScreenshotTour::FillDetails(QWidget& widget) {
  auto& details = static_cast<CBuildDetailsDlg&>(widget);
  details.CreatedByEdit().setText(QStringLiteral("Hall crew"));
  details.NotesEdit().setPlainText(
      QStringLiteral("Spring tour rig\nSpots on truss 2\nWashes on the floor"));
  details.NotesEdit().setFocus();
  details.NotesEdit().moveCursor(QTextCursor::End);
}

void ScreenshotTour::Save(QWidget& window, const QString& fileName,
                          std::function<void(QWidget&)> then, int attempts) {
  // A window manager frames a window a moment after it appears; the picture waits for the frame,
  // but not for ever, since without a window manager there is none. It waits for the painting
  // to settle too.
  if (attempts == 0 || (window.frameGeometry() == window.geometry() && attempts < kMaxFramePolls)) {
    QPointer<QWidget> target(&window);
    QTimer::singleShot(attempts == 0 ? kSettleMilliseconds : kPollMilliseconds, this,
                       [this, target, fileName, then, attempts] {
                         if (target) Save(*target, fileName, then, attempts + 1);
                       });
    return;
  }
  // The screen's own pixels, with the window manager's frame and title.
  const QRect frame = window.frameGeometry();
  QScreen* screen = window.screen();
  const QPixmap shot =
      screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
  // A grab taken while the window system is still busy with the window can come back empty
  // (a single pixel); it is taken again a moment later.
  const bool complete = shot.deviceIndependentSize().toSize() == frame.size();
  if (!complete && attempts < kMaxFramePolls + kMaxGrabRetries) {
    QPointer<QWidget> target(&window);
    QTimer::singleShot(kPollMilliseconds * 3, this, [this, target, fileName, then, attempts] {
      if (target) Save(*target, fileName, then, std::max(attempts, kMaxFramePolls) + 1);
    });
    return;
  }
  const QString path = QDir(directory_).filePath(fileName);
  if (shot.isNull() || !shot.save(path, "PNG")) {
    Fail(QStringLiteral("cannot save ") + path);
    return;
  }
  std::printf("%s\n", qPrintable(path));
  then(window);
}

void ScreenshotTour::Fail(const QString& reason) {
  std::fprintf(stderr, "screenshot: %s\n", qPrintable(reason));
  succeeded_ = false;
  QCoreApplication::exit(1);
}

}  // namespace hoardwright::desktop
