// The pointer as the X server shows it at this moment (XFixes), so that a test
// can tell which cursor another process's window has set.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

namespace vendral::test::qt {

struct PointerImage {
    int Width = 0;
    int Height = 0;
    int HotX = 0;
    int HotY = 0;
    std::vector<std::uint32_t> Pixels;  // ARGB, row by row

    bool Empty() const { return Pixels.empty(); }
    friend bool operator==(const PointerImage&, const PointerImage&) = default;
};

// Size, hot spot and a checksum of the pixels, for test failures.
void PrintTo(const PointerImage& image, std::ostream* out);

// The current pointer's image on the display of DISPLAY; empty when the
// server cannot be reached or has no XFixes.
PointerImage CurrentPointerImage();

}  // namespace vendral::test::qt
