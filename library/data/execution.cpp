// Statement execution: every change is numbered, written to the travel
// transaction log and then executed, and the free-text index follows it.
#include "data/statement_text.h"
#include "data/write_support.h"
#include "platform/text.h"
#include "vendral/cdatabase.h"

namespace vendral {
namespace {

using detail::StatementKind;
using detail::StatementTarget;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The next word after any blanks; a "(" ends it too, so that
// "INSERT INTO contact(contact_id" names the table contact.
std::string NextWord(const std::string& text, std::size_t& pos) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    std::size_t start = pos;
    while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != '(') ++pos;
    return text.substr(start, pos - start);
}

}  // namespace

// Only the leading keyword decides: words inside literals or sub-queries
// ("insert" in a text, a second table in a sub-select) must not.
StatementTarget detail::AnalyseStatement(const std::string& sql) {
    StatementTarget target;
    std::size_t pos = 0;
    std::string keyword = ToUpper(NextWord(sql, pos));
    if (keyword == "INSERT") {
        target.kind = StatementKind::Insert;
        std::string word = NextWord(sql, pos);
        target.table = ToUpper(word) == "INTO" ? NextWord(sql, pos) : word;
    } else if (keyword == "UPDATE") {
        target.kind = StatementKind::Update;
        target.table = NextWord(sql, pos);
    } else if (keyword == "DELETE") {
        target.kind = StatementKind::Delete;
        std::string word = NextWord(sql, pos);
        target.table = ToUpper(word) == "FROM" ? NextWord(sql, pos) : word;
    }
    return target;
}

std::int16_t detail::StatementTableNumber(const TableCatalogue& catalogue,
                                          const std::string& prefix, const std::string& table) {
    // Case does not matter, since the catalogue is compared in capitals.
    std::string name = table.find('.') == std::string::npos ? prefix + table : table;
    return static_cast<std::int16_t>(FindListIndex(catalogue, ToUpper(name)).ToLong());
}

Variant CDatabase::ExecSQL(const std::string& sQuery, std::int32_t lRecordIDNumber,
                           std::int16_t iDatabaseConnection) {
    detail::RequireWriteSelector(iDatabaseConnection, "ExecSQL");
    Connection& connection = *ConnectionFor(iDatabaseConnection);
    StatementTarget target = detail::AnalyseStatement(sQuery);
    if (target.kind == StatementKind::Other) {
        connection.Execute(PrepareSQL(sQuery, iDatabaseConnection));
        return Variant();
    }

    // A bare name is looked up behind the side's prefix.
    std::int16_t tableNumber = detail::StatementTableNumber(
        CatalogueFor(iDatabaseConnection), PrefixFor(iDatabaseConnection), target.table);

    std::string statement = sQuery;
    std::int32_t recordID = lRecordIDNumber;
    std::int16_t action = kActionInsert;
    if (target.kind == StatementKind::Update) action = kActionUpdate;
    if (target.kind == StatementKind::Delete) action = kActionDelete;

    if (target.kind == StatementKind::Insert && recordID == 0) {
        // Refused before an id is reserved or a log row written: the change
        // could never be made, so the synchronizer must not hear of it.
        std::size_t placeholder = statement.find('#');
        if (placeholder == std::string::npos)
            throw DatabaseError(
                "ExecSQL: an insert without a record id needs \"#\" where the new id belongs.",
                "HY000");
        if (tableNumber < 0)
            throw DatabaseError("ExecSQL: the table " + target.table +
                                    " is not in the table catalogue, so no id can be reserved "
                                    "for the insert.",
                                "HY000");
        recordID = UpdateSequence(tableNumber, iDatabaseConnection).ToLong();
        statement.replace(placeholder, 1, std::to_string(recordID));
    }

    // The id is the last generated one as soon as it is known, before it is logged.
    if (target.kind == StatementKind::Insert) lastGeneratedSequenceID_ = recordID;
    std::string prepared = PrepareSQL(statement, iDatabaseConnection);
    Variant logID =
        WriteTravelLog(action, associateID_, tableNumber, recordID, iDatabaseConnection, &prepared);

    if (updateFreeText_) {
        if (target.kind == StatementKind::Insert) {
            UpdateFreeTextTables(prepared, tableNumber, recordID);
        } else if (FindTableRow(freeTextTables_, std::to_string(tableNumber)).ToLong() >= 0) {
            RemoveFreeTextEntries(tableNumber, recordID);
            if (target.kind == StatementKind::Update)
                UpdateFreeTextTables(prepared, tableNumber, recordID);
        }
    }
    return logID;
}

}  // namespace vendral
