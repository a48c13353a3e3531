// The members of CSplash as automation clients reach them on Windows, in the
// order of the class's interface (the same rows as the widget library's
// table, automation/qt/csplash_members.cpp): the dispatch names and ids, the
// type information and the entries of the dual interface _CSplash of
// vendral.dll.
#include "automation/component_server.h"
#include "com/automation_object.h"
#include "desktop/csplash_windows.h"

using namespace vendral::com;

namespace vendral {
namespace {

struct SplashObject {
    // Released with the object, which closes the splash form of its thread;
    // the apartment brings the last release to that thread.
    detail::Win32Splash Target;

    void* Native() { return &Target; }
};

}  // namespace
}  // namespace vendral

namespace vendral::com {

using Row = Member<SplashObject>;

template <>
struct MemberTable<SplashObject> {
    static constexpr const char* kName = "CSplash";
    static constexpr const IID& kIid = IID__CSplash;
    static constexpr Row kRows[] = {
        {"ShowSplash", MemberKind::Method, "sFileName:String",
         [](SplashObject& self, const Arguments& args, Result& result) {
             self.Target.ShowSplash(args.Text(0));
             result.Set(Variant());
         }},
        {"LoadStep", MemberKind::Method, "",
         [](SplashObject& self, const Arguments&, Result&) { self.Target.LoadStep(); }},
    };
};

}  // namespace vendral::com

namespace vendral {

IDispatch* NewSplashObject() {
    return com::NewObject<SplashObject>(VendralModule());
}

}  // namespace vendral
