// A broken property ends the run like a crash, so that libFuzzer saves the input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition, what)                                                          \
    do {                                                                                     \
        if (!(condition)) {                                                                  \
            std::fprintf(stderr, "property broken at %s:%d: %s\n  %s\n", __FILE__, __LINE__, \
                         #condition, std::string(what).c_str());                             \
            std::abort();                                                                    \
        }                                                                                    \
    } while (false)

// Bytes as a readable C string literal, for the messages above.
inline std::string Printable(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    return out + "\"";
}
