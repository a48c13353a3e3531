#include "automation/dispatch_list_control.h"

#include "com/dispatch_client.h"

namespace vendral::com {

DispatchListControl::DispatchListControl(IDispatch* object) : object_(object) {}

void DispatchListControl::AddItem(const std::string& text) {
    CallByName(object_, "AddItem", DISPATCH_METHOD, {Variant(text)});
}

std::int32_t DispatchListControl::NewIndex() const {
    return CallByName(object_, "NewIndex", DISPATCH_PROPERTYGET, {}).ToLong();
}

void DispatchListControl::ItemData(std::int32_t index, const Variant& value) {
    CallByName(object_, "ItemData", DISPATCH_PROPERTYPUT, {Variant(index), value});
}

}  // namespace vendral::com
