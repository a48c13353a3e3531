#include "ui_host_object.h"

#include "vendral/automation_client.h"
#include "vendral/settings.h"

namespace vendral::kick {

IDispatch* NewUiHostObject(const std::shared_ptr<UiHost>& host) {
    std::vector<com::DispatchMethod> methods{
        {"MessageBox", 3,
         [host](const std::vector<Variant>& args) {
             return Variant(static_cast<std::int32_t>(host->MessageBox(
                 args[0].ToString(), args[1].ToString(),
                 args[2].ToLong() == 1 ? MessageIcon::Information : MessageIcon::Exclamation)));
         }},
        {"SetMousePointer", 1,
         [host](const std::vector<Variant>& args) {
             host->SetMousePointer(args[0].ToLong());
             return Variant();
         }},
        {"DoEvents", 0,
         [host](const std::vector<Variant>&) {
             host->DoEvents();
             return Variant();
         }},
        {"ShowSettingsDialog", 3, [host](const std::vector<Variant>& args) {
             // The dialog works on this build's per-thread dialog state.
             SetSettingsFilePath(args[0].ToString());
             DialogState& state = CurrentDialogState();
             state.Mode = args[1].ToLong();
             state.AskServer = args[2].ToLong();
             state.Cancelled = false;
             ShowSettingsDialog();
             return Variant(CurrentDialogState().Cancelled);
         }}};
    return com::NewDispatchObject(std::move(methods), "Prodwell");
}

}  // namespace vendral::kick
