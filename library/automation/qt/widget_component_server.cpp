// The entry points of the widget library as an in-process component server.
// They serve only the widget classes; CDatabase and the type library key
// belong to libvendral.so.
#include "automation/qt/widget_component_server.h"

#include "com/served_type_library.h"

namespace vendral {
namespace {

void Anchor() {}

const com::ClassEntry kClasses[] = {
    {"CProgressBar", &CLSID_CProgressBar, &IID__CProgressBar, "Vendral.CProgressBar",
     &NewProgressBarObject},
    {"CSplash", &CLSID_CSplash, &IID__CSplash, "Vendral.CSplash", &NewSplashObject},
};

// The widget classes join the process's one type library as this library
// loads, so that CDatabase's type information leads to them too.
const bool kClassesAdded = [] {
    internal::AddServedClasses("Vendral", &LIBID_Vendral,
                               {{"CProgressBar", &CLSID_CProgressBar, &ProgressBarClass()},
                                {"CSplash", &CLSID_CSplash, &SplashClass()}});
    return true;
}();

}  // namespace

const com::TypeLibraryInfo& WidgetTypeLibrary() {
    return internal::ServedTypeLibrary();
}

com::ServerModule& WidgetsModule() {
    static com::ServerModule module{kClasses,  std::size(kClasses),
                                    false,     &LIBID_Vendral,
                                    "Vendral", reinterpret_cast<const void*>(&Anchor)};
    return module;
}

}  // namespace vendral

VENDRAL_SERVER_ENTRY_POINTS(vendral::WidgetsModule)
