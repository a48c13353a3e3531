// Any list or combo control that the library can fill: an item text added at
// the end, the index of the newest item, and a number kept with each item.
#pragma once

#include <cstdint>
#include <string>

#include "vendral/export.h"
#include "vendral/variant.h"

namespace vendral {

class VENDRAL_API ListControl {
  public:
    virtual ~ListControl() = default;
    virtual void AddItem(const std::string& text) = 0;
    virtual std::int32_t NewIndex() const = 0;
    virtual void ItemData(std::int32_t index, const Variant& value) = 0;
};

}  // namespace vendral
