#include "com/dispatch_client.h"

namespace vendral::com {

HRESULT MemberId(IDispatch* object, LPOLESTR name, DISPID* id) {
    return object->GetIDsOfNames(IID_NULL, &name, 1, 0, id);
}

}  // namespace vendral::com
