// Statement execution: every change is numbered, written to the travel
// transaction log and then executed, and the free-text index follows it.
#include <algorithm>

#include "base/text.h"
#include "data/cdatabase_state.h"
#include "data/statement_text.h"
#include "data/write_support.h"
#include "vendral/cdatabase.h"

namespace vendral {
namespace {

using detail::StatementKind;
using detail::StatementTarget;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// The next word after any blanks and comments; a "(" ends it too, so that
// "INSERT INTO contact(contact_id" names the table contact.
std::string NextWord(const std::string& text, std::size_t& pos, detail::SqlReading reading,
                     bool parentheses = false) {
    pos = detail::SkipSqlNoise(text, pos, parentheses, reading);
    std::size_t start = pos;
    while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != '(' && text[pos] != ';' &&
           !(text[pos] == '#' && detail::IsMariaDBReading(reading)) &&
           !(text[pos] == '-' && pos + 1 < text.size() && text[pos + 1] == '-') &&
           !(text[pos] == '/' && pos + 1 < text.size() && text[pos + 1] == '*'))
        ++pos;
    return text.substr(start, pos - start);
}

bool Contains(const std::vector<std::string>& words, const std::string& word) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

bool Follows(const std::vector<std::string>& words, const std::string& first,
             const std::string& second) {
    for (std::size_t i = 0; i + 1 < words.size(); ++i)
        if (words[i] == first && words[i + 1] == second) return true;
    return false;
}

// Statement words that change rows in a way one log row cannot describe.
bool ChangesRows(const std::vector<std::string>& words) {
    for (const char* word : {"INSERT", "UPDATE", "DELETE", "MERGE", "REPLACE", "UPSERT"})
        if (Contains(words, word)) return true;
    return false;
}

// The leading keyword decides, after any blanks, comments and parentheses:
// words inside literals or sub-queries ("insert" in a text, a second table in
// a sub-select) must not.
StatementTarget AnalyseOne(const std::string& sql, detail::SqlReading reading) {
    StatementTarget target;
    std::size_t pos = 0;
    std::string keyword = ToUpper(NextWord(sql, pos, reading, true));
    if (keyword == "INSERT") {
        target.kind = StatementKind::Insert;
        std::string word = NextWord(sql, pos, reading);
        target.table = ToUpper(word) == "INTO" ? NextWord(sql, pos, reading) : word;
        std::vector<std::string> words = detail::CodeWords(sql, reading);
        // INSERT OR REPLACE, ON CONFLICT ... DO UPDATE, ON DUPLICATE KEY UPDATE:
        // the row may be an old one changed, which the log would call new.
        if (ToUpper(word) == "OR" || Follows(words, "ON", "CONFLICT") ||
            Follows(words, "ON", "DUPLICATE"))
            target.refusal = "an insert that may change an existing row instead";
    } else if (keyword == "UPDATE") {
        target.kind = StatementKind::Update;
        target.table = NextWord(sql, pos, reading);
    } else if (keyword == "DELETE") {
        target.kind = StatementKind::Delete;
        std::string word = NextWord(sql, pos, reading);
        target.table = ToUpper(word) == "FROM" ? NextWord(sql, pos, reading) : word;
    } else if (keyword == "REPLACE" || keyword == "MERGE" || keyword == "UPSERT") {
        target.refusal = "a " + keyword + " statement";
    } else if (keyword == "WITH") {
        if (ChangesRows(detail::CodeWords(sql, reading)))
            target.refusal = "a WITH statement that changes rows";
    }
    return target;
}

StatementTarget AnalyseIn(const std::string& sql, detail::SqlReading reading) {
    // What MariaDB runs from such a comment depends on its version; whatever
    // it is, the log would not know of it.
    if (detail::HasExecutableComment(sql, reading)) {
        StatementTarget target;
        target.refusal = "a text with a comment that MariaDB runs as code (/*! ... */)";
        return target;
    }
    std::vector<std::string> statements = detail::SplitStatements(sql, reading);
    if (statements.size() <= 1)
        return AnalyseOne(statements.empty() ? sql : statements.front(), reading);
    for (const std::string& statement : statements) {
        StatementTarget one = AnalyseOne(statement, reading);
        if (one.kind != StatementKind::Other || !one.refusal.empty()) {
            StatementTarget target;
            target.refusal = "several statements in one text";
            return target;
        }
    }
    // Several statements none of which changes rows run as before.
    return StatementTarget{};
}

// The text is read as each engine in question may read it (PostgreSQL with
// backslashes taken literally or not, SQLite, MariaDB): a second statement hidden from
// one reading behind a string form another does not know is refused, and so
// is a text whose change the readings see differently.
StatementTarget Analyse(const std::string& sql, const std::vector<detail::SqlReading>& readings) {
    StatementTarget target =
        AnalyseIn(sql, readings.empty() ? detail::SqlReading::PostgreSQL : readings.front());
    for (detail::SqlReading reading : readings) {
        if (!target.refusal.empty()) break;
        StatementTarget other = AnalyseIn(sql, reading);
        if (!other.refusal.empty()) {
            target = other;
        } else if (other.kind != target.kind || ToUpper(other.table) != ToUpper(target.table)) {
            target = StatementTarget{};
            target.refusal = "a statement that database engines read differently";
        }
    }
    return target;
}

// MariaDB takes "#" for the start of a comment, so the server reads a text
// with its "#" one way and the text that ExecSQL numbered (the first "#" of
// an insert without a record id, replaced by the id) another. Only the reading
// of what the server will get is kept: the placeholder reading where the text
// is numbered, and the one with every "#" a comment where it is not.
std::vector<detail::SqlReading> ReadingsOfWhatRuns(const std::string& sql,
                                                   std::vector<detail::SqlReading> readings,
                                                   std::int32_t recordID) {
    using detail::SqlReading;
    if (std::find(readings.begin(), readings.end(), SqlReading::MariaDBPlaceholder) ==
        readings.end())
        return readings;
    const bool numbered =
        recordID == 0 &&
        AnalyseIn(sql, SqlReading::MariaDBPlaceholder).kind == StatementKind::Insert &&
        detail::FindInCode(sql, '#', SqlReading::MariaDBPlaceholder) != std::string::npos;
    std::erase(readings, numbered ? SqlReading::MariaDB : SqlReading::MariaDBPlaceholder);
    return readings;
}

}  // namespace

StatementTarget detail::AnalyseStatement(const std::string& sql,
                                         const std::vector<SqlReading>& readings) {
    return Analyse(sql, readings);
}

std::int16_t detail::StatementTableNumber(const TableCatalogue& catalogue,
                                          const std::string& prefix, const std::string& table) {
    // A bare name is looked up behind the side's prefix; case does not matter,
    // since the catalogue is compared in capitals.
    std::string name = table.find('.') == std::string::npos ? prefix + table : table;
    return static_cast<std::int16_t>(FindListIndex(catalogue, ToUpper(name)).ToLong());
}

Variant CDatabase::ExecSQL(const std::string& sQuery, std::int32_t lRecordIDNumber,
                           std::int16_t iDatabaseConnection) {
    detail::RequireWriteSelector(iDatabaseConnection, "ExecSQL");
    Connection& connection = *impl_->ConnectionFor(iDatabaseConnection);
    const std::vector<detail::SqlReading> readings =
        ReadingsOfWhatRuns(sQuery, detail::ReadingsOf(connection), lRecordIDNumber);
    StatementTarget target = Analyse(sQuery, readings);
    // Refused before anything is executed: a change the log cannot describe
    // would reach the database without the synchronizer ever hearing of it.
    if (!target.refusal.empty())
        detail::Raise(detail::kStatementRefused, detail::UnloggableStatementText(target.refusal));
    if (target.kind == StatementKind::Other) {
        detail::ConnectionAccess::ExecuteUncounted(connection,
                                                   impl_->PrepareSQL(sQuery, iDatabaseConnection));
        return Variant();
    }

    std::int16_t tableNumber =
        detail::StatementTableNumber(impl_->CatalogueFor(iDatabaseConnection),
                                     impl_->PrefixFor(iDatabaseConnection), target.table);

    std::string statement = sQuery;
    std::int32_t recordID = lRecordIDNumber;
    std::int16_t action = kActionInsert;
    if (target.kind == StatementKind::Update) action = kActionUpdate;
    if (target.kind == StatementKind::Delete) action = kActionDelete;

    if (target.kind == StatementKind::Insert && recordID == 0) {
        // Refused before an id is reserved or a log row written: the change
        // could never be made, so the synchronizer must not hear of it.
        // Only a "#" of the statement's code is the placeholder, not one in a text.
        std::size_t placeholder = detail::FindInCode(statement, '#', readings.front());
        if (placeholder == std::string::npos)
            detail::Raise(detail::kStatementRefused, detail::kInsertWithoutPlaceholderText);
        if (tableNumber < 0)
            detail::Raise(detail::kStatementRefused, detail::UncataloguedInsertText(target.table));
        recordID = UpdateSequence(tableNumber, iDatabaseConnection).ToLong();
        statement.replace(placeholder, 1, std::to_string(recordID));
    }

    // The id is the last generated one as soon as it is known, before it is logged.
    if (target.kind == StatementKind::Insert) impl_->lastGeneratedSequenceID_ = recordID;
    std::string prepared = impl_->PrepareSQL(statement, iDatabaseConnection);
    Variant logID = impl_->WriteTravelLog(action, impl_->associateID_, tableNumber, recordID,
                                          iDatabaseConnection, &prepared);

    // The change and its log row are committed: an error of the index work
    // must not reach the caller, who would make (and log) the change again.
    // It stops quietly and leaves its cause in LastReturnedErrorMessage.
    if (impl_->updateFreeText_) {
        try {
            if (target.kind == StatementKind::Insert) {
                UpdateFreeTextTables(prepared, tableNumber, recordID);
            } else if (impl_->FindTableRow(impl_->freeTextTables_, std::to_string(tableNumber))
                           .ToLong() >= 0) {
                impl_->RemoveFreeTextEntries(tableNumber, recordID, iDatabaseConnection);
                if (target.kind == StatementKind::Update)
                    UpdateFreeTextTables(prepared, tableNumber, recordID);
            }
        } catch (const std::exception& error) {
            impl_->lastReturnedErrorMessage_ = error.what();
        }
    }
    return logID;
}

}  // namespace vendral
