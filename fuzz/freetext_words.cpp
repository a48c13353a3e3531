// The words of a change that go into the free-text index: pieces of three to
// nine characters, in capitals, without blanks or apostrophes, taken only from
// between apostrophes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "data/statement_text.h"
#include "fuzz_check.h"
#include "base/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string sql(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> words = vendral::detail::LiteralWords(sql);

    std::size_t literalCharacters = 0;
    std::size_t apostrophes = 0;
    for (char c : sql) apostrophes += c == '\'';
    for (const std::string& word : words) {
        std::size_t characters = vendral::DecodeUtf8(word).size();
        FUZZ_CHECK(characters >= 3 && characters <= 9, Printable(sql) + ": " + Printable(word));
        FUZZ_CHECK(word.find_first_of(" '") == std::string::npos, Printable(word));
        FUZZ_CHECK(vendral::ToUpper(word) == word, Printable(word));
        literalCharacters += characters;
    }
    // No text outside literals: without two apostrophes there are no words.
    if (apostrophes < 2) FUZZ_CHECK(words.empty(), Printable(sql));
    FUZZ_CHECK(literalCharacters <= vendral::DecodeUtf8(sql).size(), Printable(sql));
    return 0;
}
