// Debug drawing. The stand-in engine renders nothing: it records each call
// so that tools can print or render what would be drawn and tests can check
// it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lumo/LumoApi.h"
#include "lumo/Math.h"

namespace Lumo {

// A 32-bit colour from four bytes given in the caller's order, the first
// becoming the most significant byte: Color4ub(a, r, g, b) is the ARGB value
// 0xAARRGGBB that the drawing calls take.
struct Color4ub {
    uint8_t a, r, g, b;
    constexpr Color4ub(uint8_t a_, uint8_t r_, uint8_t g_, uint8_t b_)
        : a(a_), r(r_), g(g_), b(b_) {}
    constexpr uint32_t Pack() const {
        return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
    }
    constexpr operator uint32_t() const { return Pack(); }
};

struct DrawCall {
    enum Kind { QUAD_2D, DEBUG_STRING, AABBOX, LINE_3D, GROUND_QUAD };
    Kind kind = QUAD_2D;
    int x = 0, y = 0;   // screen position of the quad's corner or the text;
                        // first tile (x, z) of a ground quad
    int w = 0, h = 0;   // quad size (0 for text); last tile (x, z) of a ground quad
    bool flag = false;  // the quad's last flag
    uint32_t colour = 0;
    std::string text;  // debug string (GBK)
    D3DXVECTOR3 from;  // box min, line start, or ground quad's first corner (world)
    D3DXVECTOR3 to;    // box max, line end, or ground quad's last corner (world)
};

// Calls recorded beyond this drop the oldest half, so a program that never
// reads them does not grow without bound.
constexpr size_t kDrawCallsKept = 65536;

class LUMO_API DrawX {
public:
    // A filled screen-space rectangle.
    static void Draw2DQuad(int x, int y, int w, int h, bool flag, uint32_t colour);
    // One line of text at a screen position; null draws nothing.
    static void DrawDebugString(const char* text, int x, int y, uint32_t colour);
    // A wire box in the world.
    static void DrawAABBox(const AABBox& box, uint32_t colour);
    // A line in the world.
    static void Draw3DLine(const D3DXVECTOR3& from, const D3DXVECTOR3& to, uint32_t colour);
    // A filled quad laid on the terrain over tiles (x0, z0)..(x1, z1), whose
    // world corners are from and to (the terrain's ground quads).
    static void DrawGroundQuad(int x0, int z0, int x1, int z1, const D3DXVECTOR3& from,
                               const D3DXVECTOR3& to, uint32_t colour);

    // The calls recorded since the last clear, oldest first.
    static std::vector<DrawCall> GetRecorded();
    static void ClearRecorded();
};

}  // namespace Lumo
