#include "support/qt/modal_watcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace vendral::test::qt {

class ModalWatcher::Impl : public QObject {
  public:
    explicit Impl(std::function<bool(QWidget*)> action)
        : action_(std::move(action)),
          handled_("vendralTestHandled" + QByteArray::number(reinterpret_cast<quintptr>(this))) {
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
        timer_.start(20);
    }

  private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        // A property marks what this watcher handled: a box on the stack may
        // reuse the address of the one before it, and other watchers look at
        // the same windows.
        if (modal == nullptr || !modal->isVisible() || modal->property(handled_).toBool()) return;
        modal->setProperty(handled_, true);
        // Act from a fresh event, so that the dialog's own show has finished.
        QPointer<QWidget> target(modal);
        QTimer::singleShot(0, this, [this, target] {
            if (target && active_ && !action_(target.data())) {
                active_ = false;
                timer_.stop();
            }
        });
    }

    std::function<bool(QWidget*)> action_;
    QTimer timer_;
    QByteArray handled_;
    bool active_ = true;
};

ModalWatcher::ModalWatcher(std::function<bool(QWidget*)> action)
    : impl_(new Impl(std::move(action))) {}

ModalWatcher::~ModalWatcher() {
    delete impl_;
}

MessageBoxRecorder::MessageBoxRecorder()
    : watcher_([this](QWidget* modal) {
          auto* box = qobject_cast<QMessageBox*>(modal);
          if (box == nullptr) return true;
          SeenMessageBox seen;
          seen.Title = box->windowTitle();
          seen.Text = box->text();
          seen.Icon = box->icon();
          for (QAbstractButton* button : box->buttons()) seen.Buttons << button->text();
          if (const QCursor* cursor = QGuiApplication::overrideCursor(); cursor != nullptr) {
              seen.OverrideCursor = cursor->shape();
          }
          boxes_.push_back(seen);
          QList<QAbstractButton*> buttons = box->buttons();
          if (!buttons.isEmpty()) {
              ClickButton(buttons.front());
          } else {
              box->close();
          }
          return true;
      }) {}

void ClickButton(QWidget* button) {
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(5);
    }
    return true;
}

}  // namespace vendral::test::qt
