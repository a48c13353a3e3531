// Acting on modal windows from inside a test: a modal dialog or message box
// blocks the test in its own event loop, so what the user would do there is
// arranged before it opens and done when it shows.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace vendral::test::qt {

// What a message box showed.
struct SeenMessageBox {
    QString Title;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QStringList Buttons;
    // The application's override cursor shape when the box appeared, or -1
    // for none.
    int OverrideCursor = -1;
};

// Calls action with each modal widget that becomes active, until it returns
// false or the watcher is destroyed. Polls the event loop it runs in.
class ModalWatcher {
  public:
    explicit ModalWatcher(std::function<bool(QWidget*)> action);
    ~ModalWatcher();
    ModalWatcher(const ModalWatcher&) = delete;
    ModalWatcher& operator=(const ModalWatcher&) = delete;

  private:
    class Impl;
    Impl* impl_;
};

// Records every message box that shows while the object lives and closes it
// with a real click on its first button (OK). Other modal windows are left to
// other watchers.
class MessageBoxRecorder {
  public:
    MessageBoxRecorder();
    const std::vector<SeenMessageBox>& Boxes() const { return boxes_; }

  private:
    std::vector<SeenMessageBox> boxes_;
    ModalWatcher watcher_;
};

// Clicks a button through real mouse events (press and release at its centre).
void ClickButton(QWidget* button);

// Runs the event loop until condition holds or timeoutMs passes; returns the
// condition's last value.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

}  // namespace vendral::test::qt
