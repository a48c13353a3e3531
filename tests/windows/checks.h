// The checks of the Wine test programs: one line each ("ok NAME" or
// "FAIL NAME: DETAIL"), and at the end the sentinel line scripts/wine-tests.sh
// requires, since Wine's programs may stop without a word.
#pragma once

#include <cstdio>
#include <string>

namespace checks {

inline int failures = 0;

inline void Check(const std::string& name, bool ok, const std::string& detail = "") {
    std::printf("%s %s%s%s\n", ok ? "ok" : "FAIL", name.c_str(), detail.empty() ? "" : ": ",
                detail.c_str());
    if (!ok) ++failures;
}

// Prints the sentinel and gives the program's exit status.
inline int Finish(const char* program) {
    std::printf("SENTINEL %s ran to its end with %d failed checks\n", program, failures);
    return failures == 0 ? 0 : 1;
}

}  // namespace checks
