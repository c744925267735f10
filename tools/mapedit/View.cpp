#include "View.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "Picture.h"
#include "Session.h"

namespace mapedit {

void View::SetViewport(int width, int height) {
    m_w = std::max(1, width);
    m_h = std::max(1, height);
}

void View::Fit(float extentX, float extentZ) {
    m_centre = D3DXVECTOR3(extentX / 2, 0, extentZ / 2);
    SetUnitsPerPixel(std::max(extentX / float(m_w), extentZ / float(m_h)));
}

void View::SetCentre(const D3DXVECTOR3& centre) {
    m_centre = D3DXVECTOR3(centre.x, 0, centre.z);
}

void View::SetUnitsPerPixel(float scale) {
    m_scale = std::clamp(scale, kMinUnitsPerPixel, kMaxUnitsPerPixel);
}

void View::Pan(int dx, int dy) {
    const D3DXVECTOR3 from = Ground(0, 0), to = Ground(dx, dy);
    SetCentre(m_centre + (from - to));
}

void View::ZoomAt(int x, int y, float factor) {
    if (!(factor > 0)) {
        return;
    }
    const D3DXVECTOR3 before = Ground(x, y);
    SetUnitsPerPixel(m_scale / factor);
    const D3DXVECTOR3 after = Ground(x, y);
    SetCentre(m_centre + (before - after));
}

Lumo::CameraBase View::Camera() const {
    Lumo::CameraBase cam;
    cam.SetViewport(m_w, m_h);
    cam.SetOrtho(m_scale * float(m_w), 1, 1e7f);
    cam.SetLookAt(m_centre + D3DXVECTOR3(0, kViewHeight, 0), m_centre, {0, 0, 1});
    return cam;
}

D3DXVECTOR3 View::Ground(int x, int y) const {
    Lumo::Ray ray;
    Camera().GetMouseRay(x, y, ray);
    return D3DXVECTOR3(ray.origin.x, 0, ray.origin.z);
}

void View::ToScreen(const D3DXVECTOR3& p, float& x, float& y) const {
    Camera().WorldToScreen(p, x, y);
}

std::vector<ColourRect> RectsOf(const Picture& pic) {
    std::vector<ColourRect> done;
    // Rectangles still growing downwards, by (x, w, colour) of their run.
    std::map<std::tuple<int, int, uint32_t>, ColourRect> open, next;
    for (int y = 0; y < pic.Height(); ++y) {
        next.clear();
        for (int x = 0; x < pic.Width();) {
            const uint32_t rgb = pic.Get(x, y);
            int end = x + 1;
            while (end < pic.Width() && pic.Get(end, y) == rgb) {
                ++end;
            }
            const auto key = std::make_tuple(x, end - x, rgb);
            auto it = open.find(key);
            if (it != open.end()) {
                ColourRect r = it->second;
                ++r.h;
                next.emplace(key, r);
                open.erase(it);
            } else {
                next.emplace(key, ColourRect{x, y, end - x, 1, rgb});
            }
            x = end;
        }
        for (const auto& [key, r] : open) {
            done.push_back(r);  // not continued on this row
        }
        open.swap(next);
    }
    for (const auto& [key, r] : open) {
        done.push_back(r);
    }
    return done;
}

}  // namespace mapedit
