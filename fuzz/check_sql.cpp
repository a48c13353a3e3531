// CheckSQL: any text comes out as something that can stand between two
// apostrophes in a statement (every apostrophe doubled, no bar left), and the
// doubling can be undone.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "vendral/cdatabase.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static vendral::CDatabase db;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string out = db.CheckSQL(text).ToString();

    std::size_t apostrophes = 0, brackets = 0, bars = 0, escapes = 0;
    for (char c : text) {
        apostrophes += c == '\'';
        brackets += c == '[';
        bars += c == '|';
        escapes += c == '\x18';
    }
    FUZZ_CHECK(out.size() == text.size() + apostrophes + brackets + bars, Printable(text));
    FUZZ_CHECK(out.find('|') == std::string::npos, Printable(out));

    // Every run of apostrophes is of even length: the literal cannot end early.
    std::size_t run = 0;
    for (std::size_t i = 0; i <= out.size(); ++i) {
        if (i < out.size() && out[i] == '\'') {
            ++run;
            continue;
        }
        FUZZ_CHECK(run % 2 == 0, Printable(out));
        run = 0;
    }

    // Without code-24 characters of its own the input comes back exactly.
    if (escapes == 0) {
        std::string back;
        for (std::size_t i = 0; i < out.size(); ++i) {
            char c = out[i];
            if ((c == '\'' || c == '[' || c == '\x18') && i + 1 < out.size() && out[i + 1] == c) {
                back.push_back(c == '\x18' ? '|' : c);
                ++i;
            } else {
                back.push_back(c);
            }
        }
        FUZZ_CHECK(back == text, Printable(text) + " -> " + Printable(out));
    }
    return 0;
}
