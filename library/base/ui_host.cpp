// The process-wide UI host and the headless default.
#include "vendral/ui_host.h"

#include <cstdio>
#include <mutex>

#include "base/message_pump.h"
#include "base/widget_ui.h"

namespace vendral {
namespace {

constexpr int kButtonOk = 1;

// One line per message: line breaks inside the text become blanks.
std::string OneLine(const std::string& text) {
    std::string line;
    line.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            line.push_back(' ');
        } else {
            line.push_back(c);
        }
    }
    return line;
}

void PrintLine(const std::string& title, const std::string& text) {
    std::string line = title + ": " + OneLine(text) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

// The host is installed once by the application, normally before any
// CDatabase exists; the lock keeps a late installation from tearing the
// pointer, and callers hold a share of the host they use.
std::mutex& HostMutex() {
    static std::mutex mutex;
    return mutex;
}

// The host until the application installs one: headless, unless a display is
// reachable and the widget library can be loaded to show real windows; the
// widget library then installs its own host, which takes the call.
class DefaultUiHost : public HeadlessUiHost {
  public:
    int MessageBox(const std::string& text, const std::string& title, MessageIcon icon) override {
        if (std::shared_ptr<UiHost> widgets = WidgetHost())
            return widgets->MessageBox(text, title, icon);
        return HeadlessUiHost::MessageBox(text, title, icon);
    }
    void SetMousePointer(int pointer) override {
        if (std::shared_ptr<UiHost> widgets = WidgetHost()) widgets->SetMousePointer(pointer);
    }
    // Before any box or pointer change has brought in a host with windows,
    // the thread may still have windows of the program's own whose messages
    // must run while the library waits.
    void DoEvents() override { detail::ProcessPendingMessages(); }

  private:
    std::shared_ptr<UiHost> WidgetHost() {
        if (!detail::AttachWidgetUi()) return nullptr;
        std::shared_ptr<UiHost> current = CurrentUiHost();
        return current.get() == this ? nullptr : current;
    }
};

std::shared_ptr<UiHost>& InstalledHost() {
    static std::shared_ptr<UiHost> host = std::make_shared<DefaultUiHost>();
    return host;
}

}  // namespace

int HeadlessUiHost::MessageBox(const std::string& text, const std::string& title,
                               MessageIcon /*icon*/) {
    PrintLine(title, text);
    return kButtonOk;
}

void HeadlessUiHost::SetMousePointer(int /*pointer*/) {}

void HeadlessUiHost::DoEvents() {}

bool detail::DefaultUiHostInUse() {
    return dynamic_cast<DefaultUiHost*>(CurrentUiHost().get()) != nullptr;
}

std::shared_ptr<UiHost> CurrentUiHost() {
    std::lock_guard lock(HostMutex());
    return InstalledHost();
}

std::shared_ptr<UiHost> InstallUiHost(std::shared_ptr<UiHost> host) {
    if (!host) host = std::make_shared<DefaultUiHost>();
    std::lock_guard lock(HostMutex());
    std::shared_ptr<UiHost> previous = std::move(InstalledHost());
    InstalledHost() = std::move(host);
    return previous;  // freed only when its last user lets go
}

int ShowErrorMessage(const std::string& text) {
    return CurrentUiHost()->MessageBox(text, "Error", MessageIcon::Exclamation);
}

int ShowInfoMessage(const std::string& text) {
    return CurrentUiHost()->MessageBox(text, "Message", MessageIcon::Information);
}

}  // namespace vendral
