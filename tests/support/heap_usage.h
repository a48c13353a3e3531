// How much of the C runtime's heap the program holds, for the tests that
// check that reading many rows keeps memory flat. One file per platform:
// heap_usage_posix.cpp (glibc, or the address sanitizer's count) and
// heap_usage_windows.cpp (the C runtime's heap under Windows).
#pragma once

#include <cstddef>

namespace vendral::test {

// Bytes in blocks allocated and not yet freed (freed blocks kept back by the
// address sanitizer are not counted).
std::size_t LiveHeapBytes();

}  // namespace vendral::test
