#include "testsupport/bitmap.h"

#include <cstring>

namespace testsupport {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kCoreHeaderSize = 12;

void Put32(std::string& b, size_t at, uint32_t v) {
    std::memcpy(&b[at], &v, 4);
}

}  // namespace

std::string BitmapHeader(int32_t width, int32_t height, uint32_t infoSize) {
    std::string b(kFileHeaderSize + infoSize, '\0');
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 14, infoSize);
    if (infoSize == kCoreHeaderSize) {
        const uint16_t w = static_cast<uint16_t>(width), h = static_cast<uint16_t>(height);
        std::memcpy(&b[18], &w, 2);
        std::memcpy(&b[20], &h, 2);
    } else {
        Put32(b, 18, static_cast<uint32_t>(width));
        Put32(b, 22, static_cast<uint32_t>(height));
    }
    return b;
}

std::string BitmapFile(int width, int height, const std::function<uint32_t(int, int)>& colour) {
    const int stride = (width * 3 + 3) & ~3;
    const uint32_t offset = kFileHeaderSize + kInfoHeaderSize;
    const uint32_t dataSize = static_cast<uint32_t>(stride * height);
    std::string b = BitmapHeader(width, height, kInfoHeaderSize);
    b.resize(offset + dataSize, '\0');
    Put32(b, 2, offset + dataSize);
    Put32(b, 10, offset);
    b[26] = 1;   // planes
    b[28] = 24;  // bits per pixel
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t c = colour(x, y);
            const size_t at = offset + static_cast<size_t>((height - 1 - y) * stride + x * 3);
            b[at] = static_cast<char>(c >> 16);     // blue
            b[at + 1] = static_cast<char>(c >> 8);  // green
            b[at + 2] = static_cast<char>(c);       // red
        }
    }
    return b;
}

}  // namespace testsupport
