// Skin bitmaps: the ".bmp" files under "skin\" in the game folder that the
// patcher's windows are drawn from, and what the portable code needs to
// know of them (their size, from the file's header). Drawing them is the
// Windows controls' business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

struct BitmapSize {
    int width = 0;
    int height = 0;
};

// Bitmaps larger than this either way are not skin pictures (a damaged
// header); they are refused rather than trusted.
constexpr int kBitmapMaxSide = 16384;

// The picture size from a bitmap file's first bytes: the "BM" file header,
// then the info header whose width and height stand at byte offset 18 (two
// 32-bit values; two 16-bit values in the old 12-byte core header). A
// top-down bitmap's negative height counts as its size. Nothing for bytes
// that are not such a header, or whose sizes are zero or absurd.
std::optional<BitmapSize> ParseBitmapHeader(const uint8_t* data, size_t size);

// The same read from a file (system path); nothing when it is missing.
std::optional<BitmapSize> ReadBitmapSize(const std::string& path);

// The four pictures of a skinned button.
enum class PictureState { kNormal, kHover, kPressed, kDisabled };

// The file of a state by the skin's naming convention: the normal file's
// name with "-l" (hover), "-anxia" (pressed) or "-wuxiao" (disabled) before
// ".bmp". "skin\N_hs-button-c.bmp" -> "skin\N_hs-button-c-anxia.bmp".
std::string PictureVariant(const std::string& normalFile, PictureState state);
