// Connection strings: any text parses without fault, a value braced by
// QuoteAttributeValue parses back to itself, joined attributes parse back to
// the same list, and no password survives WithoutPassword.
#include "odbc/connection_string.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "base/text.h"

using vendral::Attribute;

namespace {

std::string Describe(const std::vector<Attribute>& attributes) {
    std::string out;
    for (const auto& [key, value] : attributes)
        out += Printable(key) + "=" + Printable(value) + " ";
    return out;
}

// A key as a caller writes one: letters, digits and inner blanks.
std::string KeyFrom(FuzzedDataProvider& input) {
    static const std::string kLetters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 ";
    std::string key;
    std::size_t length = input.ConsumeIntegralInRange<std::size_t>(1, 12);
    for (std::size_t i = 0; i < length; ++i)
        key.push_back(kLetters[input.ConsumeIntegralInRange<std::size_t>(0, kLetters.size() - 1)]);
    key = vendral::Trim(key);
    return key.empty() ? "K" : key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string whole(reinterpret_cast<const char*>(data), size);
    // Arbitrary text: parsed, translated and cleaned without fault.
    std::vector<Attribute> parsed = vendral::ParseConnectionString(whole);
    for (const auto& [key, value] : parsed) FUZZ_CHECK(!key.empty(), Printable(whole));
    vendral::OdbcTarget target = vendral::TranslateConnectionString(whole, "", "");
    std::string clean = vendral::WithoutPassword(whole);
    for (const auto& [key, value] : vendral::ParseConnectionString(clean)) {
        std::string upper = vendral::ToUpper(key);
        FUZZ_CHECK(upper != "PWD" && upper != "PASSWORD",
                   Printable(whole) + " -> " + Printable(clean));
    }
    (void)target;

    FuzzedDataProvider input(data, size);
    std::vector<Attribute> attributes;
    while (input.remaining_bytes() > 0 && attributes.size() < 8) {
        std::string key = KeyFrom(input);
        std::string value = input.ConsumeRandomLengthString(64);
        // One value alone, braced as needed, reads back as it was.
        std::string one = key + "=" + vendral::QuoteAttributeValue(value);
        std::vector<Attribute> back = vendral::ParseConnectionString(one);
        FUZZ_CHECK(back.size() == 1 && back[0].first == key && back[0].second == value,
                   Printable(one) + " parsed as " + Describe(back));
        attributes.emplace_back(key, value);
    }
    std::string joined = vendral::JoinAttributes(attributes);
    std::vector<Attribute> back = vendral::ParseConnectionString(joined);
    FUZZ_CHECK(back == attributes, Printable(joined) + " parsed as " + Describe(back));
    return 0;
}
