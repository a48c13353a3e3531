#include "ui_host_object.h"

#include <strings.h>

#include "platform/com/automation_text.h"
#include "platform/com/ref_counted.h"
#include "platform/com/values.h"
#include "settings/settings_state.h"
#include "vendral/settings.h"

namespace vendral::kick {
namespace {

enum Member : DISPID { kMessageBox = 1, kSetMousePointer, kDoEvents, kShowSettingsDialog };

struct Name {
    const char* Text;
    DISPID Id;
    UINT Params;
};
constexpr Name kNames[] = {{"MessageBox", kMessageBox, 3},
                           {"SetMousePointer", kSetMousePointer, 1},
                           {"DoEvents", kDoEvents, 0},
                           {"ShowSettingsDialog", kShowSettingsDialog, 3}};

class UiHostObject final : public com::SingleInterface<IDispatch, IID_IDispatch> {
  public:
    explicit UiHostObject(std::shared_ptr<UiHost> host) : host_(std::move(host)) {}
    HRESULT GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(const IID&, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids || count == 0) return E_INVALIDARG;
        std::string wanted = com::OleToUtf8(names[0]);
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        for (const Name& name : kNames)
            if (strcasecmp(name.Text, wanted.c_str()) == 0) ids[0] = name.Id;
        return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
    }
    HRESULT Invoke(DISPID id, const IID&, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* error, UINT*) override {
        if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        if (!params) params = &none;
        const Name* member = nullptr;
        for (const Name& name : kNames)
            if (name.Id == id) member = &name;
        if (!member) return DISP_E_MEMBERNOTFOUND;
        if (params->cArgs != member->Params) return DISP_E_BADPARAMCOUNT;
        if (result) VariantInit(result);
        try {
            com::Arguments args(*params, params->cArgs);
            com::Result out(result);
            switch (id) {
                case kMessageBox:
                    out.Set(Variant(static_cast<std::int32_t>(
                        host_->MessageBox(args.Text(0), args.Text(1),
                                          args.Int32(2) == 1 ? MessageIcon::Information
                                                             : MessageIcon::Exclamation))));
                    break;
                case kSetMousePointer:
                    host_->SetMousePointer(args.Int32(0));
                    break;
                case kDoEvents:
                    host_->DoEvents();
                    break;
                case kShowSettingsDialog: {
                    // The dialog works on this build's per-thread dialog state.
                    SetSettingsFilePath(args.Text(0));
                    DialogState& state = CurrentDialogState();
                    state.Mode = args.Int32(1);
                    state.AskServer = args.Int32(2);
                    state.Cancelled = false;
                    ShowSettingsDialog();
                    out.Set(Variant(CurrentDialogState().Cancelled));
                    break;
                }
                default:
                    return DISP_E_MEMBERNOTFOUND;
            }
        } catch (const com::ArgumentError& bad) {
            return bad.Result;
        } catch (const std::exception& failure) {
            if (error) {
                *error = EXCEPINFO{};
                error->bstrSource = com::AllocBstr("Prodwell");
                error->bstrDescription = com::AllocBstr(failure.what());
                error->scode = E_FAIL;
            }
            return DISP_E_EXCEPTION;
        }
        return S_OK;
    }

  private:
    std::shared_ptr<UiHost> host_;
};

}  // namespace

IDispatch* NewUiHostObject(std::shared_ptr<UiHost> host) {
    return new UiHostObject(std::move(host));
}

}  // namespace vendral::kick
