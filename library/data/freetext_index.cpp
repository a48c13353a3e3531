// Keeping the CRM's free-text search index current: the words of a changed
// record's text literals go into the dictionary, with one posting per word
// naming the record and the record that owns it.
#include <algorithm>
#include <exception>
#include <random>

#include "base/text.h"
#include "data/cdatabase_state.h"
#include "data/statement_text.h"
#include "data/write_support.h"
#include "vendral/cdatabase.h"
#include "vendral/table_numbers.h"

namespace vendral {
namespace {

constexpr std::int32_t kMaxWordID = 1593786407;
constexpr std::int32_t kMaxPostingID = 2147450470;
constexpr std::size_t kMaxWordLength = 9;
constexpr std::size_t kMinWordLength = 3;

// Address and phone kinds from this value up belong to a person.
constexpr std::int32_t kPersonKind = 16384;

// The owner table of a TEXT record by its TYPE; 0 when the text owns itself.
std::int16_t TextOwnerTable(std::int32_t type) {
    switch (type) {
        case 1:
            return kTableContact;
        case 2:
            return kTablePerson;
        case 4:
            return kTableAppointment;
        case 5:
            return kTableDocument;
        case 6:
            return kTableProject;  // project texts, as the indexed-table list pairs them
        case 7:
            return kTableSale;
        case 12:
            return kTableSelection;
        case 13:
            return kTableProjectMember;
        default:
            return 0;
    }
}

std::int32_t NumberOrZero(const Variant& value) {
    return value.IsNull() || value.IsEmpty() ? 0 : value.ToLong();
}

}  // namespace

// The words of the text literals: pieces between blanks of at least three
// characters, cut to nine and in capitals. Other signs stay inside a word.
std::vector<std::string> detail::LiteralWords(const std::string& sql) {
    std::vector<std::string> words;
    std::size_t open = sql.find('\'');
    while (open != std::string::npos) {
        std::size_t close = sql.find('\'', open + 1);
        if (close == std::string::npos) break;
        std::string literal = sql.substr(open + 1, close - open - 1) + " ";
        std::size_t start = 0;
        for (std::size_t blank = literal.find(' '); blank != std::string::npos;
             blank = literal.find(' ', start)) {
            std::u32string piece = DecodeUtf8(literal.substr(start, blank - start));
            if (piece.size() >= kMinWordLength)
                words.push_back(Trim(ToUpper(EncodeUtf8(piece.substr(0, kMaxWordLength)))));
            start = blank + 1;
        }
        open = sql.find('\'', close + 1);
    }
    return words;
}

namespace {

// A fresh generator per draw loop, seeded from the system's entropy source.
std::int32_t RandomID(std::int32_t maximum) {
    std::mt19937 generator(std::random_device{}());
    return std::uniform_int_distribution<std::int32_t>(1, maximum)(generator);
}

}  // namespace

Variant CDatabase::Impl::FindTableRow(const std::vector<FreeTextTableRow>& list,
                                      const std::string& text) {
    for (std::size_t row = 0; row < list.size(); ++row) {
        if (ToUpper(list[row].TableNumber) == text) return Variant(static_cast<std::int32_t>(row));
    }
    return Variant(static_cast<std::int32_t>(-1));
}

void CDatabase::UpdateFreeTextTables(const std::string& sQuery, std::int16_t iTableID,
                                     std::int32_t lRecordID) {
    // Index maintenance must never fail the change it follows: any error ends
    // it quietly, and what was written so far stays.
    try {
        if (sQuery.find('\'') == std::string::npos) return;
        if (impl_->FindTableRow(impl_->freeTextTables_, std::to_string(iTableID)).ToLong() < 0)
            return;
        if (std::count(sQuery.begin(), sQuery.end(), '\'') % 2 != 0) return;
        std::vector<std::string> words = detail::LiteralWords(sQuery);
        if (words.empty()) return;

        const std::string& prefix = impl_->central_.Prefix;
        Connection& central = *impl_->ConnectionFor(0);
        const bool mariadb = detail::ReadsAsMariaDB(central);
        for (const std::string& word : words) {
            if (FindListIndex(impl_->stopWords_, word).ToLong() >= 0) continue;

            Variant known = impl_->FirstValue("select FreeTextWords_ID from " + prefix +
                                                  "freetextwords where word = '" + word + "'",
                                              0);
            // A dictionary row without an id is a fault of the index: stop here
            // rather than add the word a second time.
            if (known.IsNull()) return;
            std::int32_t wordID = known.IsEmpty() ? 0 : known.ToLong();
            if (wordID == 0) {
                do {
                    wordID = RandomID(kMaxWordID);
                } while (!impl_
                              ->FirstValue("select FreeTextWords_ID from " + prefix +
                                               "freetextwords where FreeTextWords_ID = " +
                                               std::to_string(wordID),
                                           0)
                              .IsEmpty());
                central.Execute("INSERT INTO " + prefix +
                                "freetextwords (FreeTextWords_ID, Word) VALUES (" +
                                std::to_string(wordID) + ", '" + word + "')");
            }

            std::int32_t postingID = 0;
            do {
                postingID = RandomID(kMaxPostingID);
            } while (!impl_
                          ->FirstValue("select FreeTextIndex_ID from " + prefix +
                                           "freetextindex where FreeTextIndex_ID = " +
                                           std::to_string(postingID),
                                       0)
                          .IsEmpty());

            GetFreeTxtSrchLnk(sQuery, iTableID, lRecordID);
            // INFILE is a reserved word of MariaDB and MySQL: unquoted, every
            // posting would fail there, and the index would stay empty unseen.
            const char* infile = mariadb ? "`infile`" : "infile";
            central.Execute("INSERT INTO " + prefix +
                            "freetextindex (FreeTextIndex_ID, freetextwords_id, table_id, "
                            "record_id, ownertable_id, ownerrecord_id, " +
                            infile + ") VALUES (" + std::to_string(postingID) + ", " +
                            std::to_string(wordID) + ", " + std::to_string(iTableID) + ", " +
                            std::to_string(lRecordID) + ", " +
                            std::to_string(impl_->freeTextOwnerTable_) + ", " +
                            std::to_string(impl_->freeTextOwnerRecord_) + ",0 )");
        }
    } catch (const std::exception& error) {
        // Quiet, but not without a trace.
        impl_->lastReturnedErrorMessage_ = error.what();
    }
}

Variant CDatabase::GetFreeTxtSrchLnk(const std::string& /*sQuery*/, std::int16_t iTableID,
                                     std::int32_t lRecordID) {
    impl_->freeTextOwnerTable_ = iTableID;
    impl_->freeTextOwnerRecord_ = lRecordID;
    try {
        std::int32_t row =
            impl_->FindTableRow(impl_->freeTextTables_, std::to_string(iTableID)).ToLong();
        if (row < 0 || impl_->freeTextTables_[row].SelectorColumn.empty()) return Variant();
        if (iTableID < 0 || static_cast<std::size_t>(iTableID) >= kCatalogueNames) return Variant();

        const std::string& prefix = impl_->central_.Prefix;
        std::string bareName = CatalogueTableNames()[iTableID];
        impl_->OpenWorkRecordset("SELECT " + impl_->freeTextTables_[row].SelectorColumn + ", " +
                                     impl_->freeTextTables_[row].OwnerColumn + " FROM " +
                                     impl_->central_.Catalogue[iTableID] + " WHERE " + bareName +
                                     "_ID = " + std::to_string(lRecordID),
                                 0);
        std::int32_t selector = 0;
        std::int32_t owner = 0;
        {
            detail::RecordsetCloser closer(*impl_->workRecordset_);
            if (impl_->workRecordset_->Eof()) return Variant();
            selector = NumberOrZero(impl_->workRecordset_->Fields(std::size_t{0}).Value());
            owner = NumberOrZero(impl_->workRecordset_->Fields(std::size_t{1}).Value());
        }

        switch (iTableID) {
            case kTableAddress:
            case kTablePhone:
                impl_->freeTextOwnerTable_ = selector >= kPersonKind ? kTablePerson : kTableContact;
                impl_->freeTextOwnerRecord_ = owner;
                break;
            case kTableText:
                if (std::int16_t table = TextOwnerTable(selector); table != 0) {
                    impl_->freeTextOwnerTable_ = table;
                    impl_->freeTextOwnerRecord_ = owner;
                }
                break;
            case kTableUrl:
            case kTableEmail: {
                if (selector != 0) {
                    impl_->freeTextOwnerTable_ = kTableContact;
                    impl_->freeTextOwnerRecord_ = owner;
                    break;
                }
                // Without a contact a URL belongs to its project, an e-mail address
                // to its person.
                bool url = iTableID == kTableUrl;
                impl_->freeTextOwnerTable_ = url ? kTableProject : kTablePerson;
                Variant ownerRecord =
                    url ? impl_->FirstValue("select project_id from " + prefix +
                                                "URL where url_id = " + std::to_string(lRecordID),
                                            0)
                        : impl_->FirstValue(
                              "select person_id from " + prefix +
                                  "Email where email_id = " + std::to_string(lRecordID),
                              0);
                if (!ownerRecord.IsEmpty() && !ownerRecord.IsNull())
                    impl_->freeTextOwnerRecord_ = ownerRecord.ToLong();
                break;
            }
            default:
                break;
        }
    } catch (const std::exception&) {
    }
    return Variant();
}

void CDatabase::Impl::RemoveFreeTextEntries(std::int16_t iTableNumber, std::int32_t lRecordID,
                                            std::int16_t iDatabaseConnection) {
    const std::string& prefix = PrefixFor(iDatabaseConnection);
    Connection& central = *ConnectionFor(iDatabaseConnection);
    central.Execute("DELETE FROM " + prefix +
                    "FreeTextIndex where table_id=" + std::to_string(iTableNumber) +
                    "  and record_id = " + std::to_string(lRecordID));
    // The postings of every record this one owns go with it.
    central.Execute("DELETE FROM " + prefix +
                    "FreeTextIndex where ownertable_id=" + std::to_string(iTableNumber) +
                    "  and ownerrecord_id = " + std::to_string(lRecordID));
}

}  // namespace vendral
