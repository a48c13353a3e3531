// The members of CProgressBar as automation clients reach them on Windows, in
// the order of the class's interface (the same rows as the widget library's
// table, automation/qt/cprogressbar_members.cpp). This table gives the
// dispatch names and ids, the type information and the entries of the dual
// interface _CProgressBar of vendral.dll.
#include "automation/component_server.h"
#include "com/automation_object.h"
#include "com/dispatch_client.h"
#include "desktop/cprogressbar_windows.h"

using namespace vendral::com;

namespace vendral {
namespace {

// The client's form or control given as Parent: its hWnd and Width are read
// through its own dispatch interface when a bar is made, as they are then.
class DispatchParent final : public detail::BarParent {
  public:
    explicit DispatchParent(IDispatch* object) : object_(object) { object_->AddRef(); }
    ~DispatchParent() override { object_->Release(); }
    DispatchParent(const DispatchParent&) = delete;
    DispatchParent& operator=(const DispatchParent&) = delete;

    IDispatch* Object() const { return object_; }
    std::int32_t Window() override {
        return com::CallByName(object_, "hWnd", DISPATCH_PROPERTYGET, {}).ToLong();
    }
    double WidthTwips() override {
        return com::CallByName(object_, "Width", DISPATCH_PROPERTYGET, {}).ToDouble();
    }

  private:
    IDispatch* object_;
};

struct ProgressBarObject {
    detail::Win32ProgressBar Target;
    std::shared_ptr<DispatchParent> ParentObject;

    void* Native() { return &Target; }
};

void PutParent(ProgressBarObject& self, IDispatch* object) {
    self.ParentObject = object ? std::make_shared<DispatchParent>(object) : nullptr;
    self.Target.Parent(self.ParentObject);
}

}  // namespace
}  // namespace vendral

namespace vendral::com {

using Row = Member<ProgressBarObject>;

template <>
struct MemberTable<ProgressBarObject> {
    static constexpr const char* kName = "CProgressBar";
    static constexpr const IID& kIid = IID__CProgressBar;
    static constexpr Row kRows[] = {
        {"SetBackColor", MemberKind::Method, "NewBackColor:Long",
         [](ProgressBarObject& self, const Arguments& args, Result& result) {
             self.Target.SetBackColor(args.Int32(0));
             result.Set(Variant());
         }},
        {"SetBarColor", MemberKind::Method, "NewBarColor:Long",
         [](ProgressBarObject& self, const Arguments& args, Result& result) {
             self.Target.SetBarColor(args.Int32(0));
             result.Set(Variant());
         }},
        {"SetProgVert", MemberKind::Method, "Vertical:Boolean",
         [](ProgressBarObject& self, const Arguments& args, Result&) {
             self.Target.SetProgVert(args.Bool(0));
         }},
        {"Create", MemberKind::Method, "[Left],[Top],[Width],[Height],[Smooth:Boolean=False]",
         [](ProgressBarObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.Create(args.Value(0), args.Value(1), args.Value(2),
                                           args.Value(3), args.Bool(4, false)));
         }},
        {"Parent", MemberKind::Get, "",
         [](ProgressBarObject& self, const Arguments&, Result& result) {
             IDispatch* object = self.ParentObject ? self.ParentObject->Object() : nullptr;
             if (object) object->AddRef();
             result.SetObject(object);
         }},
        {"Parent", MemberKind::PutRef, "Parent:Object",
         [](ProgressBarObject& self, const Arguments& args, Result&) {
             PutParent(self, args.Object(0));
         }},
        {"DestroyProgBar", MemberKind::Method, "",
         [](ProgressBarObject& self, const Arguments&, Result&) { self.Target.DestroyProgBar(); }},
        {"ClearProgBar", MemberKind::Method, "",
         [](ProgressBarObject& self, const Arguments&, Result&) { self.Target.ClearProgBar(); }},
        {"SetProgBarPos", MemberKind::Method, "ProgPos:Long",
         [](ProgressBarObject& self, const Arguments& args, Result&) {
             self.Target.SetProgBarPos(args.Int32(0));
         }},
        {"DelayProgBar", MemberKind::Method, "itime:Integer",
         [](ProgressBarObject& self, const Arguments& args, Result&) {
             self.Target.DelayProgBar(args.Int16(0));
         }},
        {"SethWndParent", MemberKind::Get, "",
         [](ProgressBarObject& self, const Arguments&, Result& result) {
             result.Set(self.Target.SethWndParent());
         }},
        {"SethWndParent", MemberKind::Put, "value:Long",
         [](ProgressBarObject& self, const Arguments& args, Result&) {
             self.Target.SethWndParent(args.Int32(0));
         }},
        {"ProgBarHwnd", MemberKind::Get, "",
         [](ProgressBarObject& self, const Arguments&, Result& result) {
             result.Set(self.Target.ProgBarHwnd());
         },
         "Long"},
        {"Raise", MemberKind::Put, "n:Long",
         [](ProgressBarObject& self, const Arguments& args, Result&) {
             self.Target.Raise(args.Int32(0));
         }},
        {"StepValue", MemberKind::Put, "step:Long",
         [](ProgressBarObject& self, const Arguments& args, Result&) {
             self.Target.StepValue(args.Int32(0));
         }},
        {"MaxValue", MemberKind::Get, "",
         [](ProgressBarObject& self, const Arguments&, Result& result) {
             result.Set(self.Target.MaxValue());
         }},
        {"MaxValue", MemberKind::Put, "m:Long",
         [](ProgressBarObject& self, const Arguments& args, Result&) {
             self.Target.MaxValue(args.Int32(0));
         }},
    };
};

}  // namespace vendral::com

namespace vendral {

IDispatch* NewProgressBarObject() {
    return com::NewObject<ProgressBarObject>(VendralModule());
}

}  // namespace vendral
