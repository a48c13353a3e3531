// The members of CProgressBar as automation clients reach them, in the order
// of the class's interface. This one table gives the dispatch names and ids,
// the type information and the entries of the dual interface _CProgressBar.
#include <QWidget>

#include "automation/qt/widget_component_server.h"
#include "base/qt/widget_application.h"
#include "com/automation_object.h"
#include "com/dispatch_client.h"
#include "vendral/numbered_error.h"
#include "vendral/widgets/cprogressbar.h"

using namespace vendral::com;

namespace vendral {
namespace {

constexpr int kInvalidPropertyValue = 380;

struct ProgressBarObject {
    CProgressBar Target;
    // The client's object given as Parent, held while it is the parent.
    IDispatch* ParentObject = nullptr;

    ProgressBarObject() = default;
    ProgressBarObject(const ProgressBarObject&) = delete;
    ProgressBarObject& operator=(const ProgressBarObject&) = delete;
    ~ProgressBarObject() {
        if (ParentObject) ParentObject->Release();
    }
    void* Native() { return &Target; }
    // Every member may make or touch widgets.
    CProgressBar& Use() {
        qt::RequireWidgetApplication("CProgressBar");
        return Target;
    }
};

// Parent is a form or control of the client, reached through its hWnd: the
// window id of a widget of this process. The bar is made on that widget.
void PutParent(ProgressBarObject& self, IDispatch* object) {
    QWidget* widget = nullptr;
    if (object) {
        Variant handle = com::CallByName(object, "hWnd", DISPATCH_PROPERTYGET, {});
        auto id = static_cast<WId>(static_cast<std::uint32_t>(handle.ToLong()));
        widget = id != 0 ? QWidget::find(id) : nullptr;
        if (!widget)
            throw NumberedError(kInvalidPropertyValue,
                                "Invalid property value: the Parent's hWnd " +
                                    std::to_string(handle.ToLong()) +
                                    " is not a window of a widget of this program");
        object->AddRef();
    }
    if (self.ParentObject) self.ParentObject->Release();
    self.ParentObject = object;
    self.Target.Parent(widget);
}

}  // namespace
}  // namespace vendral

namespace vendral::com {

using Row = Member<ProgressBarObject>;

template <>
struct MemberTable<ProgressBarObject> {
    static constexpr const char* kName = "CProgressBar";
    static const TypeLibraryInfo& Library() { return WidgetTypeLibrary(); }
    static constexpr const IID& kIid = IID__CProgressBar;
    static constexpr Row kRows[] = {
        {"SetBackColor", MemberKind::Method, "NewBackColor:Long",
         [](ProgressBarObject& self, const Arguments& args, Result& result) {
             result.Set(self.Use().SetBackColor(args.Int32(0)));
         }},
        {"SetBarColor", MemberKind::Method, "NewBarColor:Long",
         [](ProgressBarObject& self, const Arguments& args, Result& result) {
             result.Set(self.Use().SetBarColor(args.Int32(0)));
         }},
        {"SetProgVert", MemberKind::Method, "Vertical:Boolean",
         [](ProgressBarObject& self, const Arguments& args, Result&) {
             self.Use().SetProgVert(args.Bool(0));
         }},
        {"Create", MemberKind::Method, "[Left],[Top],[Width],[Height],[Smooth:Boolean=False]",
         [](ProgressBarObject& self, const Arguments& args, Result& result) {
             result.Set(self.Use().Create(args.Value(0), args.Value(1), args.Value(2),
                                          args.Value(3), args.Bool(4, false)));
         }},
        {"Parent", MemberKind::Get, "",
         [](ProgressBarObject& self, const Arguments&, Result& result) {
             self.Use();
             if (self.ParentObject) self.ParentObject->AddRef();
             result.SetObject(self.ParentObject);
         }},
        {"Parent", MemberKind::PutRef, "Parent:Object",
         [](ProgressBarObject& self, const Arguments& args, Result&) {
             self.Use();
             PutParent(self, args.Object(0));
         }},
        {"DestroyProgBar", MemberKind::Method, "",
         [](ProgressBarObject& self, const Arguments&, Result&) { self.Use().DestroyProgBar(); }},
        {"ClearProgBar", MemberKind::Method, "",
         [](ProgressBarObject& self, const Arguments&, Result&) { self.Use().ClearProgBar(); }},
        {"SetProgBarPos", MemberKind::Method, "ProgPos:Long",
         [](ProgressBarObject& self, const Arguments& args, Result&) {
             self.Use().SetProgBarPos(args.Int32(0));
         }},
        {"DelayProgBar", MemberKind::Method, "itime:Integer",
         [](ProgressBarObject& self, const Arguments& args, Result&) {
             self.Use().DelayProgBar(args.Int16(0));
         }},
        {"SethWndParent", MemberKind::Get, "",
         [](ProgressBarObject& self, const Arguments&, Result& result) {
             result.Set(self.Use().SethWndParent());
         }},
        {"SethWndParent", MemberKind::Put, "value:Long",
         [](ProgressBarObject& self, const Arguments& args, Result&) {
             self.Use().SethWndParent(args.Int32(0));
         }},
        {"ProgBarHwnd", MemberKind::Get, "",
         [](ProgressBarObject& self, const Arguments&, Result& result) {
             result.Set(self.Use().ProgBarHwnd());
         },
         "Long"},
        {"Raise", MemberKind::Put, "n:Long",
         [](ProgressBarObject& self, const Arguments& args, Result&) {
             self.Use().Raise(args.Int32(0));
         }},
        {"StepValue", MemberKind::Put, "step:Long",
         [](ProgressBarObject& self, const Arguments& args, Result&) {
             self.Use().StepValue(args.Int32(0));
         }},
        {"MaxValue", MemberKind::Get, "",
         [](ProgressBarObject& self, const Arguments&, Result& result) {
             result.Set(self.Use().MaxValue());
         }},
        {"MaxValue", MemberKind::Put, "m:Long",
         [](ProgressBarObject& self, const Arguments& args, Result&) {
             self.Use().MaxValue(args.Int32(0));
         }},
    };
};

}  // namespace vendral::com

namespace vendral {

const com::ClassInfo& ProgressBarClass() {
    return com::ClassOf<ProgressBarObject>();
}

IDispatch* NewProgressBarObject() {
    return com::NewObject<ProgressBarObject>(WidgetsModule());
}

}  // namespace vendral
