#include "patcher/ui/SkinBitmap.h"

#include <cstdlib>

#include "platform/file.h"

namespace {

constexpr size_t kFileHeaderSize = 14;  // "BM", file size, reserved, data offset
constexpr size_t kCoreHeaderSize = 12;  // the old OS/2 info header: 16-bit sizes
constexpr size_t kInfoHeaderMin = 40;   // BITMAPINFOHEADER and its successors
constexpr size_t kInfoHeaderMax = 124;  // BITMAPV5HEADER
// What ReadBitmapSize reads: the file header and the longest info header.
constexpr size_t kHeaderBytes = kFileHeaderSize + kInfoHeaderMax;

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

}  // namespace

std::optional<BitmapSize> ParseBitmapHeader(const uint8_t* data, size_t size) {
    if (data == nullptr || size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') {
        return std::nullopt;
    }
    uint32_t infoSize = Le32(data + kFileHeaderSize);
    int64_t width = 0;
    int64_t height = 0;
    if (infoSize == kCoreHeaderSize) {
        if (size < kFileHeaderSize + kCoreHeaderSize) {
            return std::nullopt;
        }
        width = Le16(data + 18);
        height = Le16(data + 20);
    } else if (infoSize >= kInfoHeaderMin && infoSize <= kInfoHeaderMax) {
        if (size < kFileHeaderSize + kInfoHeaderMin) {
            return std::nullopt;
        }
        width = static_cast<int32_t>(Le32(data + 18));
        height = static_cast<int32_t>(Le32(data + 22));
    } else {
        return std::nullopt;
    }
    height = std::llabs(height);  // negative: stored top-down
    if (width <= 0 || height <= 0 || width > kBitmapMaxSide || height > kBitmapMaxSide) {
        return std::nullopt;
    }
    return BitmapSize{static_cast<int>(width), static_cast<int>(height)};
}

std::optional<BitmapSize> ReadBitmapSize(const std::string& path) {
    auto file = platform::File::Open(path, platform::Access::kRead,
                                     platform::kShareRead | platform::kShareWrite,
                                     platform::Disposition::kOpenExisting);
    if (!file) {
        return std::nullopt;
    }
    uint8_t header[kHeaderBytes];
    size_t got = 0;
    while (got < sizeof header) {
        auto n = file->Read(header + got, sizeof header - got);
        if (!n || *n == 0) {
            break;
        }
        got += *n;
    }
    return ParseBitmapHeader(header, got);
}

std::string PictureVariant(const std::string& normalFile, PictureState state) {
    const char* suffix = "";
    switch (state) {
        case PictureState::kNormal:
            return normalFile;
        case PictureState::kHover:
            suffix = "-l";
            break;
        case PictureState::kPressed:
            suffix = "-anxia";
            break;
        case PictureState::kDisabled:
            suffix = "-wuxiao";
            break;
    }
    size_t dot = normalFile.size();
    if (normalFile.size() >= 4) {
        std::string ext = normalFile.substr(normalFile.size() - 4);
        if (ext == ".bmp" || ext == ".BMP") {
            dot = normalFile.size() - 4;
        }
    }
    return normalFile.substr(0, dot) + suffix + normalFile.substr(dot);
}
