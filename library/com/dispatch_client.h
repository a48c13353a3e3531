// Calls by name on a client's dispatch object, from inside the library (the
// list and combo controls that FillCombo and ComboList fill).
#pragma once

#include <string>
#include <vector>

#include "base/internal_export.h"
#include "vendral/com.h"
#include "vendral/list_control.h"
#include "vendral/variant.h"

// Shared with the widget library, whose controls are called by name too.
namespace vendral::internal {

using namespace vendral::com;

// Invokes name with the arguments in declared order; a failure throws
// ComCallError with the object's description and number.
VENDRAL_INTERNAL Variant CallByName(IDispatch* object, const std::string& name, WORD flags,
                                    const std::vector<Variant>& args);

}  // namespace vendral::internal

namespace vendral::com {

// The dispatch id of a member name. Script engines' own objects may answer
// only through IDispatchEx, where the system has it.
HRESULT MemberId(IDispatch* object, LPOLESTR name, DISPID* id);

using internal::CallByName;

// A list control that is any dispatch object with AddItem, NewIndex and ItemData.
class VENDRAL_TEST_INTERNAL DispatchListControl : public ListControl {
  public:
    explicit DispatchListControl(IDispatch* object);
    void AddItem(const std::string& text) override;
    std::int32_t NewIndex() const override;
    void ItemData(std::int32_t index, const Variant& value) override;

  private:
    IDispatch* object_;
};

}  // namespace vendral::com
