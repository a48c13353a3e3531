// A UI host that is a client's dispatch object: a program that links another
// build of the library than the one serving its objects hands its own host
// over this way, so that message boxes and the settings dialog of the served
// objects reach the program's user interface.
#include <memory>

#include "com/dispatch_client.h"
#include "com/values.h"
#include "vendral/com_activation.h"
// On Windows the component headers bring in the system's A/W switch, which
// would rename the UI host's member of that name in this file only.
#undef MessageBox

#include "vendral/settings.h"
#include "vendral/ui_host.h"

namespace vendral::com {
namespace {

class DispatchUiHost : public UiHost {
  public:
    explicit DispatchUiHost(IDispatch* host) : host_(host) { host_->AddRef(); }
    ~DispatchUiHost() override { host_->Release(); }
    DispatchUiHost(const DispatchUiHost&) = delete;
    DispatchUiHost& operator=(const DispatchUiHost&) = delete;

    int MessageBox(const std::string& text, const std::string& title, MessageIcon icon) override {
        return CallByName(host_, "MessageBox", DISPATCH_METHOD,
                          {Variant(text), Variant(title),
                           Variant(static_cast<std::int32_t>(icon == MessageIcon::Information))})
            .ToLong();
    }
    void SetMousePointer(int pointer) override {
        CallByName(host_, "SetMousePointer", DISPATCH_METHOD,
                   {Variant(static_cast<std::int32_t>(pointer))});
    }
    void DoEvents() override { CallByName(host_, "DoEvents", DISPATCH_METHOD, {}); }
    // The settings dialog of the client's build, installed as this build's runner.
    void ShowSettingsDialog() {
        DialogState& state = CurrentDialogState();
        Variant cancelled =
            CallByName(host_, "ShowSettingsDialog", DISPATCH_METHOD,
                       {Variant(SettingsFilePath()), Variant(static_cast<std::int32_t>(state.Mode)),
                        Variant(static_cast<std::int32_t>(state.AskServer))});
        state.Cancelled = cancelled.ToBool();
    }

  private:
    IDispatch* host_;
};

}  // namespace
}  // namespace vendral::com

// The host in use becomes host (see vendral/com_activation.h).
VENDRAL_COM_EXPORT vendral::com::HRESULT VendralInstallUiHost(vendral::com::IDispatch* host) {
    using namespace vendral::com;
    try {
        auto bridge = host ? std::make_shared<vendral::com::DispatchUiHost>(host) : nullptr;
        vendral::InstallUiHost(bridge);
        vendral::InstallSettingsDialogRunner(bridge ? vendral::SettingsDialogRunner([bridge] {
            bridge->ShowSettingsDialog();
            return true;
        })
                                                    : vendral::SettingsDialogRunner());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}
