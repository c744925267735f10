// An RGB picture in memory with the few drawing operations a top view of a
// map needs, written as PNG (deflate with the fixed codes, readable
// everywhere) or as a 24-bit BMP.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mapedit {

// Largest side of a picture, so a typo in --size cannot ask for gigabytes.
constexpr int kMaxPictureSide = 8192;

class Picture {
public:
    // width and height are clamped to 1 .. kMaxPictureSide.
    Picture(int width, int height, uint32_t background);

    int Width() const { return m_w; }
    int Height() const { return m_h; }
    // 0xRRGGBB of a pixel; 0 outside.
    uint32_t Get(int x, int y) const;
    // Pixels outside are ignored.
    void Set(int x, int y, uint32_t rgb);
    // Mixes rgb into the pixel, alpha 0..255.
    void Blend(int x, int y, uint32_t rgb, int alpha);
    void Line(float x0, float y0, float x1, float y1, uint32_t rgb);
    // Outline of the rectangle with corners (x0, y0) and (x1, y1).
    void Frame(float x0, float y0, float x1, float y1, uint32_t rgb);
    void Fill(float x0, float y0, float x1, float y1, uint32_t rgb, int alpha);

    // The file's bytes.
    std::string Png() const;
    std::string Bmp() const;

private:
    int m_w, m_h;
    std::vector<uint8_t> m_rgb;  // row by row from the top, 3 bytes a pixel
};

}  // namespace mapedit
