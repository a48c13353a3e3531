#include "base/qt/widget_application.h"

#include <QApplication>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>

#include "vendral/errors.h"

namespace vendral::detail::qt {
namespace {

// "CoInitialize has not been called": the nearest standard number for a thread
// whose environment cannot run the object.
constexpr std::int32_t kNotInitialized = static_cast<std::int32_t>(0x800401F0);

// The application made here, kept for the process: widgets of the client may
// outlive our objects.
std::atomic<QApplication*> made{nullptr};
std::mutex making;

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Qt ends the process when its platform cannot start, so the usual reasons
// are checked before a QApplication is made.
std::string WhyNoPlatform() {
    std::string platform = EnvironmentValue("QT_QPA_PLATFORM");
    platform = platform.substr(0, platform.find_first_of(":;"));
    if (platform.empty() || platform == "xcb") {
        if (EnvironmentValue("DISPLAY").empty())
            return "DISPLAY is not set (set it, or QT_QPA_PLATFORM=offscreen for no screen)";
    } else if (platform == "wayland" || platform == "wayland-egl") {
        if (EnvironmentValue("WAYLAND_DISPLAY").empty()) return "WAYLAND_DISPLAY is not set";
    }
    return "";
}

[[noreturn]] void Refuse(const std::string& className, const std::string& why) {
    throw com::ComCallError(kNotInitialized, className + " cannot show windows: " + why);
}

}  // namespace

void RequireWidgetApplication(const std::string& className) {
    std::lock_guard<std::mutex> lock(making);
    QCoreApplication* existing = QCoreApplication::instance();
    if (existing == nullptr) {
        std::string why = WhyNoPlatform();
        if (!why.empty())
            Refuse(className, "there is no QApplication and none can be made: " + why);
        // argc and argv must outlive the application; the library is never
        // unloaded (it is linked with -z nodelete), so static storage does.
        static int argc = 1;
        static char name[] = "vendral";
        static char* argv[] = {name, nullptr};
        made = new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        return;
    }
    if (qobject_cast<QApplication*>(existing) == nullptr)
        Refuse(className,
               "the program's application object is not a QApplication (it cannot make widgets)");
    if (existing->thread() != QThread::currentThread())
        Refuse(className,
               "the program's QApplication belongs to another thread; create and call the object "
               "on that thread");
}

}  // namespace vendral::detail::qt
