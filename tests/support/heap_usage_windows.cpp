// The library and the tests share the C runtime's heap (msvcrt's malloc); its
// blocks in use are counted by walking it.
#include "support/heap_usage.h"

#include <malloc.h>

#include <stdexcept>

namespace vendral::test {

std::size_t LiveHeapBytes() {
    _HEAPINFO entry{};
    std::size_t bytes = 0;
    int status;
    while ((status = _heapwalk(&entry)) == _HEAPOK)
        if (entry._useflag == _USEDENTRY) bytes += entry._size;
    if (status != _HEAPEND && status != _HEAPEMPTY)
        throw std::runtime_error("the C runtime's heap cannot be walked");
    return bytes;
}

}  // namespace vendral::test
