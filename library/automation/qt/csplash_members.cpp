// The members of CSplash as automation clients reach them, in the order of
// the class's interface: one table for the dispatch names and ids, the type
// information and the entries of the dual interface _CSplash.
#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <memory>

#include "automation/qt/widget_component_server.h"
#include "com/automation_object.h"
#include "base/qt/widget_application.h"
#include "vendral/widgets/csplash.h"

using namespace vendral::com;

namespace vendral {
namespace {

struct SplashObject {
    std::unique_ptr<CSplash> Target = std::make_unique<CSplash>();
    QThread* Owner = QThread::currentThread();

    SplashObject() = default;
    SplashObject(const SplashObject&) = delete;
    SplashObject& operator=(const SplashObject&) = delete;
    // Releasing the object closes the splash form of its thread. A client
    // may drop its last reference on another thread; the form is then closed
    // on the thread it belongs to, when that thread next runs its events.
    ~SplashObject() {
        QCoreApplication* application = QCoreApplication::instance();
        if (QThread::currentThread() == Owner || !application || application->thread() != Owner) {
            Target.reset();
            return;
        }
        // The queued call holds the last reference to the splash.
        std::shared_ptr<CSplash> splash(std::move(Target));
        QMetaObject::invokeMethod(
            application, [splash]() mutable { splash.reset(); }, Qt::QueuedConnection);
    }
    void* Native() { return Target.get(); }
    CSplash& Use() {
        qt::RequireWidgetApplication("CSplash");
        return *Target;
    }
};

}  // namespace
}  // namespace vendral

namespace vendral::com {

using Row = Member<SplashObject>;

template <>
struct MemberTable<SplashObject> {
    static constexpr const char* kName = "CSplash";
    static const TypeLibraryInfo& Library() { return WidgetTypeLibrary(); }
    static constexpr const IID& kIid = IID__CSplash;
    static constexpr Row kRows[] = {
        {"ShowSplash", MemberKind::Method, "sFileName:String",
         [](SplashObject& self, const Arguments& args, Result& result) {
             result.Set(self.Use().ShowSplash(args.Text(0)));
         }},
        {"LoadStep", MemberKind::Method, "",
         [](SplashObject& self, const Arguments&, Result&) { self.Use().LoadStep(); }},
    };
};

}  // namespace vendral::com

namespace vendral {

const com::ClassInfo& SplashClass() {
    return com::ClassOf<SplashObject>();
}

IDispatch* NewSplashObject() {
    return com::NewObject<SplashObject>(WidgetsModule());
}

}  // namespace vendral
