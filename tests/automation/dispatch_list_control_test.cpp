// FillCombo and ComboList on a scripting client's list control: any dispatch
// object with AddItem, NewIndex and ItemData, called by name.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "automation/dispatch_list_control.h"
#include "support/test_database.h"
#include "vendral/automation_client.h"
#include "vendral/cdatabase.h"
#include "vendral/errors.h"

namespace vendral::test {
namespace {

// A client's combo box: its items and the data of each, by index.
struct ClientCombo {
    std::vector<std::string> Items;
    std::map<std::int32_t, Variant> Data;
};

com::IDispatch* NewClientCombo(const std::shared_ptr<ClientCombo>& combo) {
    std::vector<com::DispatchMethod> methods{
        {"AddItem", 1,
         [combo](const std::vector<Variant>& args) {
             combo->Items.push_back(args[0].ToString());
             return Variant();
         }},
        {"NewIndex", 0,
         [combo](const std::vector<Variant>&) {
             return Variant(static_cast<std::int32_t>(combo->Items.size()) - 1);
         }},
        {"ItemData", 2, [combo](const std::vector<Variant>& args) {
             combo->Data[args[0].ToLong()] = args[1];
             return Variant();
         }}};
    return com::NewDispatchObject(std::move(methods), "Client");
}

class DispatchListControlTest : public EngineTest {};

TEST_P(DispatchListControlTest, FillComboAddsEachRowWithItsDatumInTheOrderDelivered) {
    central_->Exec("INSERT INTO associate (associate_id, name) VALUES (7, 'Ann')");
    central_->Exec("INSERT INTO associate (associate_id, name) VALUES (9, NULL)");
    central_->Exec("INSERT INTO associate (associate_id, name) VALUES (12, 'Bo')");
    CDatabase db;
    AttachConnections(db, *central_);
    auto combo = std::make_shared<ClientCombo>();
    combo->Items = {"kept"};  // the control is not cleared first
    com::IDispatch* object = NewClientCombo(combo);
    {
        com::DispatchListControl control(object);
        db.FillCombo(control, "SELECT associate_id, name FROM " + central_->Prefix() +
                                  "associate ORDER BY associate_id");
    }
    object->Release();
    EXPECT_EQ(combo->Items, (std::vector<std::string>{"kept", "Ann", "", "Bo"}));
    ASSERT_EQ(combo->Data.size(), 3u);
    EXPECT_EQ(combo->Data.at(1).ToLong(), 7);
    EXPECT_EQ(combo->Data.at(2).ToLong(), 9);
    EXPECT_EQ(combo->Data.at(3).ToLong(), 12);
}

TEST_P(DispatchListControlTest, AControlWithoutTheMembersFailsWithTheClientsError) {
    central_->Exec("INSERT INTO associate (associate_id, name) VALUES (7, 'Ann')");
    CDatabase db;
    AttachConnections(db, *central_);
    com::IDispatch* object = com::NewDispatchObject({}, "Client");
    com::DispatchListControl control(object);
    EXPECT_THROW(
        db.FillCombo(control, "SELECT associate_id, name FROM " + central_->Prefix() + "associate"),
        com::ComCallError);
    object->Release();
}

VENDRAL_INSTANTIATE_ENGINES(DispatchListControlTest);

}  // namespace
}  // namespace vendral::test
