// FillCombo and ComboList on a scripting client's list control: any dispatch
// object with AddItem, NewIndex and ItemData, called by name.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "automation/dispatch_list_control.h"
#include "com/automation_text.h"
#include "com/values.h"
#include "support/test_database.h"
#include "vendral/automation_client.h"
#include "vendral/cdatabase.h"
#include "vendral/com_automation.h"
#include "vendral/errors.h"

namespace vendral::test {
namespace {

// A client's combo box: its items and the data of each, by index.
struct ClientCombo {
    std::vector<std::string> Items;
    std::map<std::int32_t, Variant> Data;
};

// A client's combo box as a scripting client's control answers: AddItem a
// method, NewIndex a property to read, ItemData(index) a property to write.
class ClientComboObject : public com::IDispatch {
  public:
    explicit ClientComboObject(std::shared_ptr<ClientCombo> combo) : combo_(std::move(combo)) {}

    com::HRESULT QueryInterface(const com::IID& iid, void** object) override {
        if (iid == com::IID_IUnknown || iid == com::IID_IDispatch) {
            *object = this;
            AddRef();
            return com::S_OK;
        }
        *object = nullptr;
        return com::E_NOINTERFACE;
    }
    com::ULONG AddRef() override { return ++references_; }
    com::ULONG Release() override {
        com::ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    com::HRESULT GetTypeInfoCount(com::UINT* count) override {
        *count = 0;
        return com::S_OK;
    }
    com::HRESULT GetTypeInfo(com::UINT, com::LCID, com::ITypeInfo**) override {
        return com::E_NOTIMPL;
    }
    com::HRESULT GetIDsOfNames(const com::IID&, com::LPOLESTR* names, com::UINT count, com::LCID,
                               com::DISPID* ids) override {
        const std::string name = com::OleToUtf8(names[0]);
        const char* members[] = {"AddItem", "NewIndex", "ItemData"};
        ids[0] = com::DISPID_UNKNOWN;
        for (int i = 0; i < 3; ++i)
            if (name == members[i]) ids[0] = i + 1;
        return ids[0] == com::DISPID_UNKNOWN || count != 1 ? com::DISP_E_UNKNOWNNAME : com::S_OK;
    }
    com::HRESULT Invoke(com::DISPID id, const com::IID&, com::LCID, com::WORD flags,
                        com::DISPPARAMS* params, com::VARIANT* result, com::EXCEPINFO*,
                        com::UINT*) override {
        // The arguments come last first.
        auto arg = [&](com::UINT i) { return com::ToVariant(params->rgvarg[i], i); };
        if (id == 1 && flags == com::DISPATCH_METHOD && params->cArgs == 1) {
            combo_->Items.push_back(arg(0).ToString());
            return com::S_OK;
        }
        if (id == 2 && (flags & com::DISPATCH_PROPERTYGET) && params->cArgs == 0) {
            com::FromVariant(Variant(static_cast<std::int32_t>(combo_->Items.size()) - 1), result);
            return com::S_OK;
        }
        if (id == 3 && flags == com::DISPATCH_PROPERTYPUT && params->cArgs == 2 &&
            params->cNamedArgs == 1 && params->rgdispidNamedArgs[0] == com::DISPID_PROPERTYPUT) {
            combo_->Data[arg(1).ToLong()] = arg(0);
            return com::S_OK;
        }
        return com::DISP_E_MEMBERNOTFOUND;
    }

  private:
    std::shared_ptr<ClientCombo> combo_;
    com::ULONG references_ = 1;
};

com::IDispatch* NewClientCombo(const std::shared_ptr<ClientCombo>& combo) {
    return new ClientComboObject(combo);
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
