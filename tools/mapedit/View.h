// The editing window's view of a map: a camera looking straight down, as
// the pictures of --render are drawn, that the designer pans and zooms.
// Portable: it knows screens only as pixel sizes and points.
#pragma once

#include <cstdint>
#include <vector>

#include "lumo/Camera.h"
#include "lumo/Math.h"

namespace mapedit {

class Picture;
using Lumo::D3DXVECTOR3;

// Zoom limits, in world units per pixel.
constexpr float kMinUnitsPerPixel = 0.25f;
constexpr float kMaxUnitsPerPixel = 1000.0f;

class View {
public:
    // The viewport in pixels (each at least 1).
    void SetViewport(int width, int height);
    int Width() const { return m_w; }
    int Height() const { return m_h; }

    // Shows the whole of an extentX x extentZ ground (from the origin) in
    // the middle of the viewport.
    void Fit(float extentX, float extentZ);
    // The world point in the middle of the viewport (y is 0).
    const D3DXVECTOR3& Centre() const { return m_centre; }
    float UnitsPerPixel() const { return m_scale; }
    void SetCentre(const D3DXVECTOR3& centre);
    void SetUnitsPerPixel(float scale);  // clamped to the zoom limits

    // Moves the picture with the mouse: what was under pixel (x, y) comes
    // under (x + dx, y + dy).
    void Pan(int dx, int dy);
    // Zooms by factor (above 1 shows more detail), keeping the world point
    // under pixel (x, y) where it is, within the zoom limits.
    void ZoomAt(int x, int y, float factor);

    // The camera of this view (ortho, looking down, world z up the screen).
    Lumo::CameraBase Camera() const;
    // The ground point (y 0) under the centre of pixel (x, y).
    D3DXVECTOR3 Ground(int x, int y) const;
    // Where a world point appears, in continuous pixel coordinates.
    void ToScreen(const D3DXVECTOR3& p, float& x, float& y) const;

private:
    int m_w = 800, m_h = 600;
    D3DXVECTOR3 m_centre{0, 0, 0};
    float m_scale = 10.0f;
};

// A filled rectangle of one colour (0xRRGGBB), in pixels.
struct ColourRect {
    int x, y, w, h;
    uint32_t rgb;
};

// The picture as rectangles of one colour that cover every pixel exactly
// once: runs of a row, merged with the same run of the rows below. A front
// end that can fill rectangles but not blit pixels paints it with these.
std::vector<ColourRect> RectsOf(const Picture& pic);

}  // namespace mapedit
