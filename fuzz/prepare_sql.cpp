// Taking the schema prefix out of a statement for a file database: the result
// is the statement with some pieces removed, never longer, and the statement
// as it stands when the prefix does not occur in it.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "data/statement_text.h"
#include "fuzz_check.h"

namespace {

// Whether part can be had from whole by leaving characters out.
bool IsSubsequence(const std::string& part, const std::string& whole) {
    std::size_t j = 0;
    for (char c : whole)
        if (j < part.size() && part[j] == c) ++j;
    return j == part.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    // Mostly the usual prefix, sometimes one of the fuzzer's own.
    std::string prefix = input.ConsumeBool() ? "CRM5." : input.ConsumeRandomLengthString(12);
    std::string sql = input.ConsumeRemainingBytesAsString();

    std::string out = vendral::detail::WithoutSchemaPrefix(sql, prefix);
    FUZZ_CHECK(out.size() <= sql.size(), Printable(sql));
    FUZZ_CHECK(IsSubsequence(out, sql), Printable(sql) + " -> " + Printable(out));
    if (prefix.empty() || sql.find(prefix) == std::string::npos)
        FUZZ_CHECK(out == sql, Printable(sql) + " -> " + Printable(out));
    // Text without any dot keeps every character (a prefix always ends in a name and ".").
    if (prefix == "CRM5." && sql.find('.') == std::string::npos)
        FUZZ_CHECK(out == sql, Printable(sql));
    return 0;
}
