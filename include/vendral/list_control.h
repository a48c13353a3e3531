/// @file
/// ListControl, what CDatabase needs of a list or combo control it fills.
#pragma once

#include <cstdint>
#include <string>

#include "vendral/export.h"
#include "vendral/variant.h"

namespace vendral {

/// Any list or combo control that the library can fill (CDatabase::FillCombo(),
/// CDatabase::ComboList(), CDatabase::ComboListAssociate()): an item text added
/// at the end, the index of the newest item, and a number kept with each item.
class VENDRAL_API ListControl {
  public:
    virtual ~ListControl() = default;
    /// Adds an item with @p text at the end of the list.
    virtual void AddItem(const std::string& text) = 0;
    /// The index of the item added last.
    virtual std::int32_t NewIndex() const = 0;
    /// Keeps @p value (an id) with the item at @p index.
    virtual void ItemData(std::int32_t index, const Variant& value) = 0;
};

}  // namespace vendral
