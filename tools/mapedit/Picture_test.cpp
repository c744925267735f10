#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "Picture.h"
#include "PictureReader_test.h"

namespace {

using mapedit::Picture;

TEST(Picture, PngAndBmpHoldTheSamePixels) {
    Picture pic(300, 7, 0x102030);
    pic.Set(0, 0, 0xFF0000);
    pic.Set(299, 6, 0x00FF00);
    pic.Blend(5, 5, 0xFFFFFF, 255);
    pic.Blend(6, 5, 0xFFFFFF, 0);
    const auto png = pictest::ReadPng(pic.Png());
    ASSERT_TRUE(png.ok) << png.error;
    const auto bmp = pictest::ReadBmp(pic.Bmp());
    ASSERT_TRUE(bmp.ok) << bmp.error;
    for (const auto* p : {&png, &bmp}) {
        ASSERT_EQ(p->width, 300);
        ASSERT_EQ(p->height, 7);
        EXPECT_EQ(p->At(0, 0), 0xFF0000u);
        EXPECT_EQ(p->At(299, 6), 0x00FF00u);
        EXPECT_EQ(p->At(5, 5), 0xFFFFFFu);
        EXPECT_EQ(p->At(6, 5), 0x102030u);
        EXPECT_EQ(p->At(100, 3), 0x102030u);
    }

    // A flat picture shrinks to a small part of its pixels.
    Picture big(400, 400, 0);
    big.Set(399, 399, 0xABCDEF);
    const std::string bytes = big.Png();
    EXPECT_LT(bytes.size(), 400u * 400 * 3 / 50);
    const auto png2 = pictest::ReadPng(bytes);
    ASSERT_TRUE(png2.ok) << png2.error;
    EXPECT_EQ(png2.At(399, 399), 0xABCDEFu);
    EXPECT_EQ(png2.At(0, 399), 0u);
}

// Noise, stripes and repeats at every distance up to the window and beyond:
// literals, short and long matches of every length and distance class come
// back as they went in.
TEST(Picture, PngRoundTripsNoiseAndRepeatsExactly) {
    std::mt19937 rng(6);
    Picture pic(257, 150, 0);
    for (int y = 0; y < pic.Height(); ++y) {
        for (int x = 0; x < pic.Width(); ++x) {
            uint32_t v;
            switch ((y / 10) % 4) {
                case 0:
                    v = rng() & 0xFFFFFF;  // noise
                    break;
                case 1:
                    v = (x / 3) % 2 ? 0x808080 : 0x7F7F7F;  // short repeats
                    break;
                case 2:
                    v = pic.Get(x, y - 20 - (y % 7));  // copies of earlier rows
                    break;
                default:
                    v = uint32_t(x * 65793) & 0xFFFFFF;  // a gradient
            }
            pic.Set(x, y, v);
        }
    }
    const auto png = pictest::ReadPng(pic.Png());
    ASSERT_TRUE(png.ok) << png.error;
    for (int y = 0; y < pic.Height(); ++y) {
        for (int x = 0; x < pic.Width(); ++x) {
            ASSERT_EQ(png.At(x, y), pic.Get(x, y)) << x << "," << y;
        }
    }
}

TEST(Picture, ShapesAreClippedAndNonsenseCoordinatesDrawNothing) {
    Picture pic(20, 10, 0);
    pic.Frame(2, 2, 6, 5, 0x0000FF);
    EXPECT_EQ(pic.Get(2, 2), 0x0000FFu);
    EXPECT_EQ(pic.Get(6, 5), 0x0000FFu);
    EXPECT_EQ(pic.Get(4, 2), 0x0000FFu);
    EXPECT_EQ(pic.Get(4, 3), 0u);  // inside the frame
    pic.Fill(-1e9f, -5, 3, 1e9f, 0xFFFFFF, 255);
    EXPECT_EQ(pic.Get(0, 9), 0xFFFFFFu);
    EXPECT_EQ(pic.Get(3, 0), 0xFFFFFFu);
    EXPECT_EQ(pic.Get(4, 0), 0u);
    pic.Line(-1e30f, 5, 1e30f, 5, 0x00FF00);  // crosses the picture in bounded steps
    EXPECT_EQ(pic.Get(10, 5), 0x00FF00u);
    pic.Line(NAN, 0, 5, 5, 0xFF0000);
    pic.Fill(INFINITY, 0, 5, 5, 0xFF0000, 255);
    EXPECT_EQ(pic.Get(5, 5), 0x00FF00u);
    EXPECT_EQ(pic.Get(-1, 0), 0u);
    Picture clamped(0, 100000, 0);
    EXPECT_EQ(clamped.Width(), 1);
    EXPECT_EQ(clamped.Height(), mapedit::kMaxPictureSide);
}

}  // namespace
