// The list and combo controls that FillCombo and ComboList fill for a
// scripting client: any dispatch object with AddItem, NewIndex and ItemData.
#pragma once

#include <cstdint>
#include <string>

#include "base/internal_export.h"
#include "vendral/com_automation.h"
#include "vendral/list_control.h"
#include "vendral/variant.h"

namespace vendral::com {

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
