#include <gtest/gtest.h>

#include <set>

#include "data/cdatabase_inspection.h"
#include "vendral/cdatabase.h"

namespace vendral {
namespace {

TEST(CDatabaseStateTest, ANewObjectHasTheDefaults) {
    CDatabase db;
    EXPECT_EQ(db.CentralDatabasePrefix(), "CRM5.");
    EXPECT_EQ(db.LocalDatabasePrefix(), "CRM5.");
    EXPECT_FALSE(db.dDatabaseIsRunning());
    EXPECT_FALSE(db.LocaldDatabaseIsRunning());
    EXPECT_FALSE(db.LocalStartedasCentral());
    EXPECT_FALSE(db.UpdateFreeText());
    EXPECT_EQ(db.FailCount(), 0);
    EXPECT_EQ(db.LastGeneratedSequenceID(), "0");
    EXPECT_EQ(db.LastReturnedErrorMessage(), "");
    EXPECT_EQ(db.LocalDSNEntry(), "");
    EXPECT_EQ(db.AssociateID(), 0);
    for (const std::string* fragment :
         {&db.SQLFunct_FirstLast(), &db.SQLFunct_MrFirstLast(), &db.SQLFunct_Discount(),
          &db.SQLFunct_ContNullPerson(), &db.SQLFunct_NameDepart(), &db.SQLFunct_NullContID(),
          &db.SQLFunct_PersonContact(), &db.SQLFunct_ContactInvoice(),
          &db.SQLFunct_ProjectInvoice()})
        EXPECT_EQ(*fragment, "");
    ASSERT_TRUE(db.dDatabase());
    ASSERT_TRUE(db.LocaldDatabase());
    ASSERT_TRUE(db.AccdDatabase());
    EXPECT_EQ(db.dDatabase()->State(), adStateClosed);
    EXPECT_EQ(db.WorkRecordset().State(), adStateClosed);
}

TEST(CDatabaseStateTest, PrefixesEndInADotWhenAssigned) {
    CDatabase db;
    db.CentralDatabasePrefix("SALES");
    EXPECT_EQ(db.CentralDatabasePrefix(), "SALES.");
    db.CentralDatabasePrefix("CRM7.");
    EXPECT_EQ(db.CentralDatabasePrefix(), "CRM7.");
    db.LocalDatabasePrefix("");
    EXPECT_EQ(db.LocalDatabasePrefix(), ".");
    // Changing a prefix alone leaves the catalogues as they were.
    EXPECT_EQ(vendral::internal::CentralTableCatalogue(db)[5], "CRM5.CONTACT");
    EXPECT_EQ(vendral::internal::LocalTableCatalogue(db)[5], "CRM5.CONTACT");
}

TEST(CDatabaseStateTest, PropertiesStoreWhatIsAssigned) {
    CDatabase db;
    db.CentralDSN("central");
    db.LocalDSN("local");
    db.DatabaseTypeLocal("ORACLE");
    db.AssociateID(12);
    db.FailCount(3);
    db.LocalStartedasCentral(true);
    EXPECT_EQ(db.CentralDSN(), "central");
    EXPECT_EQ(db.LocalDSN(), "local");
    EXPECT_EQ(db.DatabaseTypeLocal(), "ORACLE");
    EXPECT_EQ(db.SQLLocalDatabaseType(), "ORACLE");
    EXPECT_EQ(db.DatabaseTypeCentral(), "");
    EXPECT_EQ(db.AssociateID(), 12);
    EXPECT_EQ(db.FailCount(), 3);
    EXPECT_TRUE(db.LocalStartedasCentral());
}

TEST(TableCatalogueTest, HoldsAllNamesBehindThePrefixIn261Slots) {
    CDatabase db;
    const TableCatalogue& central = vendral::internal::CentralTableCatalogue(db);
    EXPECT_EQ(central.size(), 261u);
    EXPECT_EQ(CatalogueTableNames().size(), 252u);
    EXPECT_EQ(central[0], "CRM5.SEQUENCE");
    EXPECT_EQ(central[9], "CRM5.APPOINTMENT");
    EXPECT_EQ(central[29], "CRM5.TRAVELTRANSACTIONLOG");
    EXPECT_EQ(vendral::internal::LocalTableCatalogue(db)[29], "CRM5.TRAVELTRANSACTIONLOG");
    EXPECT_EQ(central[56], "CRM5.USERPREFERENCE");
    EXPECT_EQ(central[136], "CRM5.UDLIST");
    EXPECT_EQ(central[244], "CRM5.SYNCUSERS");
    EXPECT_EQ(central[251], "CRM5.SYNCTEMP");
    for (std::size_t slot = 252; slot < 261; ++slot) EXPECT_EQ(central[slot], "") << slot;
    std::set<std::string> distinct(central.begin(), central.begin() + 252);
    EXPECT_EQ(distinct.size(), 252u);
}

TEST(TableCatalogueTest, RefillingFollowsThePrefixesInForce) {
    CDatabase db;
    db.LocalDatabasePrefix("TRAVEL");
    db.RefillTableCatalogues();
    EXPECT_EQ(vendral::internal::LocalTableCatalogue(db)[5], "TRAVEL.CONTACT");
    EXPECT_EQ(vendral::internal::CentralTableCatalogue(db)[5], "CRM5.CONTACT");
}

TEST(TableCatalogueTest, FindListIndexComparesEntriesInCapitals) {
    CDatabase db;
    EXPECT_EQ(FindListIndex(vendral::internal::CentralTableCatalogue(db), "CRM5.APPOINTMENT"),
              Variant(9));
    EXPECT_EQ(FindListIndex(vendral::internal::CentralTableCatalogue(db), "CRM5.NOSUCHTABLE"),
              Variant(-1));
    std::vector<std::string> words{"and", "the", ""};
    EXPECT_EQ(FindListIndex(words, "THE"), Variant(1));
    EXPECT_EQ(FindListIndex(words, "the"), Variant(-1));  // the text is not changed
    EXPECT_EQ(FindListIndex(words, ""), Variant(2));
}

}  // namespace
}  // namespace vendral
