// How ExecSQL tells a change from other statements and finds its table: the
// table is a word of the statement, only the three changing statements have
// one, and a catalogue table written in any case, with or without the
// prefix, is found under its own number.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/text.h"
#include "data/cdatabase_inspection.h"
#include "data/statement_text.h"
#include "fuzz_check.h"
#include "vendral/cdatabase.h"

using vendral::detail::StatementKind;

namespace {

// Lower or upper case letter by letter, as the fuzzer chooses.
std::string MixedCase(const std::string& name, FuzzedDataProvider& input) {
    std::string out = name;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z' && input.ConsumeBool()) c = static_cast<char>(c + 32);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vendral::CDatabase db;
    const vendral::TableCatalogue& catalogue = vendral::internal::CentralTableCatalogue(db);
    const std::string prefix = "CRM5.";
    FuzzedDataProvider input(data, size);

    // A statement as the fuzzer wrote it.
    std::string sql = input.ConsumeRandomLengthString(4096);
    vendral::detail::StatementTarget target = vendral::detail::AnalyseStatement(sql);
    if (target.kind == StatementKind::Other) {
        FUZZ_CHECK(target.table.empty(), Printable(sql));
    } else {
        FUZZ_CHECK(sql.find(target.table) != std::string::npos, Printable(sql));
        FUZZ_CHECK(target.table.find_first_of(" \t\r\n(") == std::string::npos, Printable(sql));
    }
    std::int16_t number = vendral::detail::StatementTableNumber(catalogue, prefix, target.table);
    FUZZ_CHECK(number >= -1 && number < static_cast<std::int16_t>(catalogue.size()),
               Printable(sql));
    if (number >= 0) {
        std::string qualified =
            target.table.find('.') == std::string::npos ? prefix + target.table : target.table;
        FUZZ_CHECK(catalogue[number] == vendral::ToUpper(qualified), Printable(sql));
    }

    // A change of a catalogue table, built from the fuzzer's choices.
    if (input.remaining_bytes() < 2) return 0;
    auto index = input.ConsumeIntegralInRange<std::size_t>(0, vendral::kCatalogueNames - 1);
    std::string table = MixedCase(vendral::CatalogueTableNames()[index], input);
    if (input.ConsumeBool()) table = MixedCase(prefix, input) + table;
    static const char* const kForms[] = {"INSERT INTO ", "insert ", "UPDATE ", "delete from ",
                                         "DELETE "};
    std::string form = kForms[input.ConsumeIntegralInRange<std::size_t>(0, 4)];
    std::string blanks = input.ConsumeBool() ? " \t" : "\r\n";
    std::string rest = input.ConsumeRemainingBytesAsString();
    std::string change = blanks + form + table + (input.ConsumeBool() ? "(" : " ") + rest;

    target = vendral::detail::AnalyseStatement(change);
    // A change followed by more statements in the same text (or in a form the
    // log cannot describe) is refused as a whole instead.
    if (!target.refusal.empty()) return 0;
    FUZZ_CHECK(target.kind != StatementKind::Other, Printable(change));
    FUZZ_CHECK(target.table == table, Printable(change) + " names " + Printable(target.table));
    number = vendral::detail::StatementTableNumber(catalogue, prefix, target.table);
    // The first catalogue entry of that name (a few names occur twice).
    std::int16_t first = 0;
    while (catalogue[first] != vendral::ToUpper(prefix + vendral::CatalogueTableNames()[index]))
        ++first;
    FUZZ_CHECK(number == first, Printable(change) + " found as " + std::to_string(number));
    return 0;
}
