#include "com/dispatch_client.h"

#include <memory>

#include "com/automation_text.h"
#include "com/values.h"

namespace vendral::internal {

Variant CallByName(IDispatch* object, const std::string& name, WORD flags,
                   const std::vector<Variant>& args) {
    if (!object) throw ComCallError(static_cast<HRESULT>(0x800A005B), "Object variable not set");
    std::u16string wide = detail::ToUtf16(name);
    LPOLESTR names[] = {AsOle(wide.data())};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = MemberId(object, names[0], &id);
    if (FAILED(hr))
        throw ComCallError(hr, "Object doesn't support this property or method: " + name);
    VariantList list(args.size());
    for (std::size_t i = 0; i < args.size(); ++i)
        FromVariant(args[i], &list.Items[args.size() - 1 - i]);
    DISPID putId = DISPID_PROPERTYPUT;
    bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    DISPPARAMS params{list.Items.data(), put ? &putId : nullptr, static_cast<UINT>(args.size()),
                      put ? 1u : 0u};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO error{};
    UINT argError = 0;
    hr =
        object->Invoke(id, IID_NULL, 0, flags, &params, put ? nullptr : &result, &error, &argError);
    if (hr == DISP_E_EXCEPTION) {
        std::string description = BstrToUtf8(error.bstrDescription);
        HRESULT number = error.scode ? error.scode : hr;
        SysFreeString(error.bstrSource);
        SysFreeString(error.bstrDescription);
        SysFreeString(error.bstrHelpFile);
        throw ComCallError(number, description.empty() ? name + " failed" : description);
    }
    if (FAILED(hr)) throw ComCallError(hr, name + " failed");
    Variant value;
    try {
        value = ToVariant(result, 0);
    } catch (const ArgumentError&) {
        value = Variant();  // an object or an unusual type the library does not read
    }
    VariantClear(&result);
    return value;
}

}  // namespace vendral::internal
