// Bitmap files ("BM") for the tests of the skin readers and of the windows
// that draw them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace testsupport {

// The file header and an info header of infoSize bytes carrying only the
// picture's size (12, the old core header, holds 16-bit sizes; 40 and more
// 32-bit ones); every other byte is zero.
std::string BitmapHeader(int32_t width, int32_t height, uint32_t infoSize = 40);

// A whole 24-bit bottom-up bitmap file of width x height pixels;
// colour(x, y) gives each pixel as a COLORREF does (0x00BBGGRR).
std::string BitmapFile(int width, int height, const std::function<uint32_t(int, int)>& colour);

}  // namespace testsupport
