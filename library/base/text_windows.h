// The library's UTF-8 text at the system's calls: UTF-16 for the W calls, the
// ANSI code page for the A calls the design names.
#pragma once

#include <string>

namespace vendral::detail {

std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
std::string Utf8ToAnsi(const std::string& text);
std::string AnsiToUtf8(const std::string& text);

}  // namespace vendral::detail

// The library's own code names these without the detail qualifier.
namespace vendral {
using namespace detail;
}  // namespace vendral
