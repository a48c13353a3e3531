#include "desktop/path_search.h"

#include <vector>

namespace vendral::detail::desktop {
namespace {

// Splits UTF-8 into code points so that "?" stands for one character.
std::vector<std::string> CodePoints(const std::string& text) {
    std::vector<std::string> points;
    for (std::size_t i = 0; i < text.size();) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t size = lead < 0x80         ? 1
                           : (lead >> 5) == 6  ? 2
                           : (lead >> 4) == 14 ? 3
                           : (lead >> 3) == 30 ? 4
                                               : 1;
        if (i + size > text.size()) size = 1;
        points.push_back(text.substr(i, size));
        i += size;
    }
    return points;
}

bool Match(const std::vector<std::string>& p, std::size_t pi, const std::vector<std::string>& n,
           std::size_t ni) {
    // Iterative glob with one backtrack point: linear for the usual patterns.
    std::size_t star = std::string::npos, mark = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == "?" || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == "*") {
            star = pi++;
            mark = ni;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == "*") ++pi;
    return pi == p.size();
}

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    if (pattern == "*.*") return true;
    return Match(CodePoints(pattern), 0, CodePoints(name), 0);
}

std::string StripTrailingBackslash(const std::string& path) {
    std::size_t first = path.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    std::string trimmed = path.substr(first, path.find_last_not_of(' ') - first + 1);
    if (!trimmed.empty() && (trimmed.back() == '\\' || trimmed.back() == '/')) trimmed.pop_back();
    return trimmed;
}

}  // namespace vendral::detail::desktop
