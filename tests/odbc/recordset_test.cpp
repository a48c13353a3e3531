#include <gtest/gtest.h>
#include <strings.h>

#include <string>
#include <vector>

#include "odbc/connection_access.h"
#include "odbc/odbc.h"
#include "support/heap_usage.h"
#include "support/test_database.h"
#include "vendral/connection.h"

namespace vendral::test {
namespace {

class RecordsetTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (!central_) return;
        connection_ = central_->Connect();
        central_->Exec(
            "CREATE TABLE typed (id INTEGER, big BIGINT, real_value DOUBLE PRECISION, "
            "money DECIMAL(10,2), label VARCHAR(100))");
    }
    std::string P() const { return central_->Prefix(); }
    std::shared_ptr<Connection> connection_;
};

TEST_P(RecordsetTest, ValuesComeBackTypedAsTheDriverDeliversThem) {
    central_->Exec(
        "INSERT INTO typed VALUES (7, 9000000000, 2.5, 12.25, 'seven'), "
        "(NULL, NULL, NULL, NULL, NULL)");
    Recordset rs;
    rs.Open("SELECT id, big, real_value, money, label FROM " + P() + "typed ORDER BY id",
            connection_, adOpenForwardOnly, adLockReadOnly, adCmdText);
    // NULLs sort first in SQLite and last in PostgreSQL: find the filled row.
    if (rs.Fields("id").Value().IsNull()) rs.MoveNext();
    EXPECT_EQ(rs.Fields("id").Value().Type(), VariantType::Long);
    EXPECT_EQ(rs.Fields("id").Value().ToLong(), 7);
    EXPECT_EQ(rs.Fields("big").Value().Type(), VariantType::LongLong);
    EXPECT_EQ(rs.Fields("big").Value().ToLongLong(), 9000000000LL);
    EXPECT_EQ(rs.Fields("real_value").Value().Type(), VariantType::Double);
    EXPECT_DOUBLE_EQ(rs.Fields("real_value").Value().ToDouble(), 2.5);
    EXPECT_DOUBLE_EQ(rs.Fields("money").Value().ToDouble(), 12.25);
    EXPECT_EQ(rs.Fields("label").Value(), Variant("seven"));
    rs.Close();

    rs.Open("SELECT id, big, real_value, money, label FROM " + P() + "typed WHERE id IS NULL",
            connection_);
    for (std::size_t i = 0; i < rs.FieldCount(); ++i)
        EXPECT_TRUE(rs.Fields(i).Value().IsNull()) << rs.Fields(i).Name();
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
}

TEST_P(RecordsetTest, CountIsAWholeNumberFoundByItsAliasInAnyCase) {
    Recordset rs;
    rs.Open("SELECT COUNT(*) AS CountResult FROM " + P() + "sequence", connection_);
    Variant count = rs.Fields("CountResult").Value();
    EXPECT_TRUE(count.Type() == VariantType::Long || count.Type() == VariantType::LongLong)
        << count;
    EXPECT_EQ(count.ToLong(), 252);
    EXPECT_EQ(rs.Fields("COUNTRESULT").Value(), count);
    EXPECT_THROW(rs.Fields("NoSuchColumn"), DatabaseError);
}

TEST_P(RecordsetTest, NonAsciiTextRoundTripsUnchanged) {
    const std::string text = "Ærøskøbing – Straße №5 ĳ 東京 😀";
    Recordset rs;
    connection_->Execute("INSERT INTO " + P() + "typed (id, label) VALUES (1, '" + text + "')");
    rs.Open("SELECT label FROM " + P() + "typed WHERE label = '" + text + "'", connection_);
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.Fields("label").Value().ToString(), text);
}

TEST_P(RecordsetTest, LongTextIsReadWhole) {
    std::string text(10000, 'x');
    text += "end";
    // MariaDB keeps texts this long in TEXT columns only.
    central_->Exec(std::string("CREATE TABLE notes (body ") +
                   (engine() == Engine::MariaDB ? "TEXT" : "VARCHAR(20000)") + ")");
    connection_->Execute("INSERT INTO " + P() + "notes VALUES ('" + text + "')");
    Recordset rs;
    rs.Open("SELECT body FROM " + P() + "notes", connection_);
    EXPECT_EQ(rs.Fields(std::size_t{0}).Value().ToString(), text);
}

TEST_P(RecordsetTest, LongNonAsciiTextAndNamesCrossTheReadPiecesWhole) {
    // Four-byte characters (surrogate pairs in UTF-16) on every piece boundary
    // of either width, a column alias and an error text that are not ASCII.
    std::string text;
    for (int i = 0; i < 3000; ++i) text += i % 3 == 0 ? "😀" : i % 3 == 1 ? "ß" : "x";
    // MariaDB keeps texts this long in TEXT columns only.
    central_->Exec(std::string("CREATE TABLE notes (body ") +
                   (engine() == Engine::MariaDB ? "TEXT" : "VARCHAR(20000)") + ")");
    connection_->Execute("INSERT INTO " + P() + "notes VALUES ('" + text + "')");
    Recordset rs;
    rs.Open("SELECT body AS \"Größe\" FROM " + P() + "notes", connection_);
    ASSERT_EQ(rs.FieldCount(), 1u);
    EXPECT_EQ(rs.Fields(std::size_t{0}).Name(), "Größe");
    EXPECT_EQ(rs.Fields("Größe").Value().ToString(), text);
    rs.Close();
    try {
        connection_->Execute("SELECT * FROM " + P() + "tabelle_öäü");
        FAIL() << "a missing table was read";
    } catch (const DatabaseError& error) {
        EXPECT_NE(error.Description().find("tabelle_öäü"), std::string::npos) << error.what();
    }
}

TEST_P(RecordsetTest, AnOpenRecordsetMustBeClosedBeforeItIsOpenedAgain) {
    Recordset rs;
    rs.Open("SELECT id FROM " + P() + "sequence", connection_);
    EXPECT_THROW(rs.Open("SELECT id FROM " + P() + "sequence", connection_), DatabaseError);
    rs.Close();
    EXPECT_THROW(rs.Close(), DatabaseError);
    EXPECT_THROW(rs.Eof(), DatabaseError);
    rs.Open("SELECT id FROM " + P() + "sequence WHERE id = -1", connection_);
    EXPECT_TRUE(rs.Eof());
#undef EOF
    EXPECT_TRUE(rs.EOF());  // the original name, where the C macro is out of the way
    EXPECT_THROW(rs.Fields(std::size_t{0}), DatabaseError);
    EXPECT_THROW(rs.MoveNext(), DatabaseError);
}

TEST_P(RecordsetTest, AFailedOpenLeavesTheRecordsetClosedAndReusable) {
    Recordset rs;
    EXPECT_THROW(rs.Open("SELECT nothing FROM nowhere", connection_), DatabaseError);
    EXPECT_EQ(rs.State(), adStateClosed);
    rs.Open("SELECT id FROM " + P() + "sequence ORDER BY id", connection_);
    EXPECT_EQ(rs.Fields("id").Value().ToLong(), 10);
    EXPECT_EQ(rs.Fields(0).Value(), rs.Fields("ID").Value());
    EXPECT_THROW(rs.Fields(-1), DatabaseError);
}

// From the second row on the leading numeric columns are fetched into bound
// buffers and the rest read one by one: every row, the first included, must
// come back the same way, NULLs and the columns after the first text too.
TEST_P(RecordsetTest, EveryRowReadsItsOwnValuesWithTheirTypes) {
    central_->Exec(
        "CREATE TABLE mixed (seq INTEGER, id INTEGER, real_value DOUBLE PRECISION, "
        "label VARCHAR(20), big BIGINT)");
    central_->Exec(
        "INSERT INTO mixed VALUES (1, 10, 1.5, 'one', 100), (2, NULL, NULL, NULL, NULL), "
        "(3, 30, -2.25, 'three', 9000000000), (4, NULL, 4.0, 'four', NULL), "
        "(5, 50, NULL, NULL, -7)");
    struct Row {
        Variant id, real, label, big;
    };
    const Row expected[] = {
        {Variant(10), Variant(1.5), Variant("one"), Variant(100)},
        {Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null()},
        {Variant(30), Variant(-2.25), Variant("three"), Variant(9000000000LL)},
        {Variant::Null(), Variant(4.0), Variant("four"), Variant::Null()},
        {Variant(50), Variant::Null(), Variant::Null(), Variant(-7)},
    };
    {
        Recordset rs;
        rs.Open("SELECT seq, id, real_value, label, big FROM " + P() + "mixed ORDER BY seq",
                connection_);
        for (const Row& row : expected) {
            ASSERT_FALSE(rs.Eof());
            const std::int32_t seq = rs.Collect(0).ToLong();
            SCOPED_TRACE("row " + std::to_string(seq));
            EXPECT_EQ(rs.Collect(0).Type(), VariantType::Long);
            const Variant* wanted[] = {&row.id, &row.real, &row.label, &row.big};
            for (std::size_t column = 1; column <= 4; ++column) {
                const Variant& value = rs.Collect(column);
                EXPECT_EQ(value.Type(), wanted[column - 1]->Type()) << "column " << column;
                if (!value.IsNull()) {
                    EXPECT_EQ(value, *wanted[column - 1]) << "column " << column;
                }
            }
            rs.MoveNext();
        }
        EXPECT_TRUE(rs.Eof());
    }

    // The handle went back to the connection with the recordset, whose
    // buffers are gone: no column of it may still point into them (asked of
    // the row descriptor where the driver has one: PostgreSQL's does, SQLite's
    // driver answers no descriptor call).
    {
        auto handle =
            static_cast<SQLHSTMT>(detail::ConnectionAccess::TakeStatementHandle(*connection_));
        SQLHDESC columns = SQL_NULL_HDESC;
        SQLPOINTER target = nullptr;
        if (SQL_SUCCEEDED(SQLGetStmtAttr(handle, SQL_ATTR_APP_ROW_DESC, &columns, 0, nullptr)) &&
            SQL_SUCCEEDED(SQLGetDescField(columns, 1, SQL_DESC_DATA_PTR, &target, 0, nullptr)))
            EXPECT_EQ(target, nullptr) << "a column is still bound";
        else
            EXPECT_EQ(engine(), Engine::SQLite) << "the driver tells nothing of its bindings";
        detail::ConnectionAccess::ReturnStatementHandle(*connection_, handle);
    }

    // It serves the next read, whose columns lie elsewhere.
    Recordset rs;
    rs.Open("SELECT label, seq, real_value FROM " + P() + "mixed WHERE seq > 2 ORDER BY seq",
            connection_);
    std::vector<std::string> seen;
    for (; !rs.Eof(); rs.MoveNext()) {
        seen.push_back((rs.Collect(0).IsNull() ? std::string("-") : rs.Collect(0).ToString()) +
                       "/" + rs.Collect(1).ToString());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"three/3", "four/4", "-/5"}));
}

// Whatever kind the driver gives a Boolean column, the first row (read value by
// value) and the later ones (bound, where it is a bit) read it alike.
TEST_P(RecordsetTest, ABooleanColumnReadsAlikeInEveryRow) {
    central_->Exec("CREATE TABLE flags (seq INTEGER, flag BOOLEAN)");
    central_->Exec("INSERT INTO flags VALUES (1, TRUE), (2, FALSE), (3, NULL), (4, TRUE)");
    Recordset rs;
    rs.Open("SELECT flag, seq FROM " + P() + "flags ORDER BY seq", connection_);
    ASSERT_FALSE(rs.Eof());
    const VariantType first = rs.Collect(0).Type();
    const bool expected[] = {true, false, false, true};
    for (int seq = 1; seq <= 4; ++seq, rs.MoveNext()) {
        ASSERT_FALSE(rs.Eof());
        ASSERT_EQ(rs.Collect(1).ToLong(), seq);
        const Variant& flag = rs.Collect(0);
        if (seq == 3) {
            EXPECT_TRUE(flag.IsNull()) << flag;
            continue;
        }
        EXPECT_EQ(flag.Type(), first) << "row " << seq << ": " << flag;
        EXPECT_EQ(flag.ToBool(), expected[seq - 1]) << "row " << seq << ": " << flag;
    }
    EXPECT_TRUE(rs.Eof());
}

// A write sent as a read (as a scripting client may through Execute) has no
// rows and no columns, whether it touched rows or none, and is done.
TEST_P(RecordsetTest, AWriteOpenedAsAReadHasNoRowsAndIsDone) {
    Recordset rs;
    rs.Open("UPDATE " + P() + "sequence SET next_id = 77 WHERE id = 10", connection_);
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.FieldCount(), 0u);
    rs.Close();
    EXPECT_EQ(central_->Scalar("SELECT next_id FROM sequence WHERE id = 10").ToLong(), 77);
    rs.Open("UPDATE " + P() + "sequence SET next_id = 78 WHERE id = -1", connection_);
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.FieldCount(), 0u);
    rs.Close();
    // And a read that finds nothing still knows its columns.
    rs.Open("SELECT id, next_id FROM " + P() + "sequence WHERE id = -1", connection_);
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.FieldCount(), 2u);
}

TEST_P(RecordsetTest, CollectReadsWhatFieldsHoldsWithoutAName) {
    // The SQLSTATE a call raises, or a text saying that it raised nothing.
    auto stateOf = [](auto&& call) -> std::string {
        try {
            call();
        } catch (const DatabaseError& error) {
            return error.SQLState();
        }
        return "no error";
    };
    Recordset rs;
    rs.Open("SELECT id, next_id FROM " + P() + "sequence ORDER BY id", connection_);
    EXPECT_EQ(rs.FieldCount(), 2u);
    EXPECT_EQ(rs.Collect(0), rs.Fields(std::size_t{0}).Value());
    EXPECT_EQ(rs.Collect(1), rs.Fields("next_id").Value());
    EXPECT_EQ(strcasecmp(rs.Fields(1).Name().c_str(), "next_id"), 0) << rs.Fields(1).Name();
    EXPECT_EQ(stateOf([&] { rs.Collect(2); }), "07009") << "a column past the last";
    rs.Close();
    rs.Open("SELECT id FROM " + P() + "sequence WHERE id = -1", connection_);
    EXPECT_EQ(rs.FieldCount(), 1u);
    EXPECT_EQ(stateOf([&] { rs.Collect(0); }), "24000") << "a value without a row";
    // Names are asked of the driver only when wanted: one asked for after
    // the read went by position is found all the same.
    rs.Close();
    rs.Open("SELECT id AS First_Column FROM " + P() + "sequence ORDER BY id", connection_);
    const Variant first = rs.Collect(0);
    EXPECT_EQ(rs.Fields("first_column").Value(), first);
}

VENDRAL_INSTANTIATE_ENGINES(RecordsetTest);

// A forward-only reader holds one row at a time: reading 100,000 rows of about
// 500 bytes each (some 50 MB in all) must not grow the process by more than a
// small fraction of that.
TEST(RecordsetStreamingTest, AHundredThousandRowsKeepMemoryFlat) {
    TestDatabase db(Engine::SQLite);
    auto connection = db.Connect();
    const std::string rows =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
        "SELECT i, printf('%0500d', i) AS payload FROM n";
    Recordset rs;
    rs.Open(rows, connection, adOpenForwardOnly, adLockReadOnly, adCmdText);
    long count = 0;
    std::size_t before = 0;
    std::size_t bytes = 0;
    while (!rs.Eof()) {
        bytes += rs.Fields("payload").Value().ToString().size();
        if (++count == 1000) before = LiveHeapBytes();
        rs.MoveNext();
    }
    std::size_t after = LiveHeapBytes();
    EXPECT_EQ(count, 100000);
    EXPECT_EQ(bytes, 100000u * 500u);
    EXPECT_LT(after, before + 5 * 1024 * 1024)
        << "the heap grew from " << before << " to " << after << " bytes";
}

}  // namespace
}  // namespace vendral::test
