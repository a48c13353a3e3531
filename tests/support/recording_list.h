// A list control that records what the library put into it.
#pragma once

#include <string>
#include <vector>

#include "vendral/list_control.h"

namespace vendral::test {

class RecordingList : public ListControl {
  public:
    struct Item {
        std::string Text;
        Variant Data;
    };
    void AddItem(const std::string& text) override { items_.push_back({text, Variant()}); }
    std::int32_t NewIndex() const override { return static_cast<std::int32_t>(items_.size()) - 1; }
    void ItemData(std::int32_t index, const Variant& value) override {
        items_.at(index).Data = value;
    }
    const std::vector<Item>& Items() const { return items_; }

  private:
    std::vector<Item> items_;
};

}  // namespace vendral::test
