// mapedit's top view: the ground, the objects and the editor's own drawing
// rasterised into a picture.
#include <algorithm>
#include <cmath>

#include "MapEditTool.h"
#include "Picture.h"
#include "Session.h"
#include "lumo/DrawX.h"
#include "platform/file.h"
#include "platform/fs.h"

namespace mapedit {

using namespace GFC;

namespace {

// Colours of what the editor itself does not draw in a top view (RGB).
constexpr uint32_t kStaticColour = 0xD8D8D8;
constexpr uint32_t kNpcColour = 0x00D0FF;
constexpr uint32_t kWallColour = 0x9090FF;
constexpr uint32_t kChopColour = 0xC08040;
constexpr int kGroundQuadAlpha = 96;
// Flat ground drawn around the objects when no navigation map is given.
constexpr int kFlatMargin = 10;
constexpr int kFlatMinTiles = 64;

// Draws what DrawX recorded since the last call into the picture, through
// the camera, and forgets it.
void Rasterize(Picture& pic, const Lumo::CameraBase& cam, size_t& lost) {
    const std::vector<Lumo::DrawCall> calls = Lumo::DrawX::GetRecorded();
    Lumo::DrawX::ClearRecorded();
    if (calls.size() >= Lumo::kDrawCallsKept / 2) {
        ++lost;  // the recorder may have dropped the oldest calls
    }
    auto at = [&](const D3DXVECTOR3& p, float& x, float& y) { cam.WorldToScreen(p, x, y); };
    for (const Lumo::DrawCall& c : calls) {
        const uint32_t rgb = c.colour & 0xFFFFFF;
        float x0, y0, x1, y1;
        at(c.from, x0, y0);
        at(c.to, x1, y1);
        switch (c.kind) {
            case Lumo::DrawCall::AABBOX:
                pic.Frame(x0, y0, x1, y1, rgb);
                break;
            case Lumo::DrawCall::LINE_3D:
                pic.Line(x0, y0, x1, y1, rgb);
                break;
            case Lumo::DrawCall::GROUND_QUAD:
                pic.Fill(x0, y0, x1, y1, rgb, kGroundQuadAlpha);
                break;
            default:
                break;  // screen-space calls have no place in a top view
        }
    }
}

}  // namespace

void Session::EnsureGround() {
    if (m_terrain.GetHeightmap()) {
        return;
    }
    // A flat ground around everything there is.
    int maxX = kFlatMinTiles, maxZ = kFlatMinTiles;
    auto grow = [&](float wx, float wz) {
        maxX = std::max(maxX, int(std::min(wx / kDefaultTileSize, 1e6f)) + kFlatMargin);
        maxZ = std::max(maxZ, int(std::min(wz / kDefaultTileSize, 1e6f)) + kFlatMargin);
    };
    for (const GMapObjEdit* o : m_editor.GetMapObjEditList()) {
        grow(o->GetWorldPos().x, o->GetWorldPos().z);
    }
    GameMapEditor::WayPointList wps;
    m_editor.GetWayPointList(wps);
    for (const tagMapWayPoint* w : wps) {
        grow(std::max(w->tileX0, w->tileX1) * kDefaultTileSize,
             std::max(w->tileZ0, w->tileZ1) * kDefaultTileSize);
    }
    GameMapEditor::TriggerList triggers;
    m_editor.GetTriggerList(triggers);
    for (const tagMapTrigger* t : triggers) {
        grow(std::max(t->tileX0, t->tileX1) * kDefaultTileSize,
             std::max(t->tileZ0, t->tileZ1) * kDefaultTileSize);
    }
    GameMapEditor::SoundList sounds;
    m_editor.GetSoundList(sounds);
    for (const tagMapSound* s : sounds) {
        grow(s->pos.x, s->pos.z);
    }
    Lumo::Heightmap flat;
    flat.Create(0, unsigned(std::min<int>(maxX, int(Lumo::kMaxHeightmapSide))),
                unsigned(std::min<int>(maxZ, int(Lumo::kMaxHeightmapSide))), kDefaultTileSize,
                kDefaultTileSize, 1, 0);
    m_terrain.SetHeightmap(flat);
}

void Session::GroundExtent(float& extentX, float& extentZ) {
    EnsureGround();
    const Lumo::Heightmap& hm = *m_terrain.GetHeightmap();
    extentX = hm.GetXScale() * float(std::max(1u, hm.Width() - 1));
    extentZ = hm.GetYScale() * float(std::max(1u, hm.Height() - 1));
}

void Session::DrawTopView(Picture& pic, const Lumo::CameraBase& view) {
    EnsureGround();
    const Lumo::Heightmap& hm = *m_terrain.GetHeightmap();
    const float extentX = hm.GetXScale() * float(std::max(1u, hm.Width() - 1));
    const float extentZ = hm.GetYScale() * float(std::max(1u, hm.Height() - 1));
    const Lumo::CameraBase before = m_camera;
    m_camera = view;  // the editor's own drawing asks its camera

    // Ground shading: brighter is higher; tiles nobody can walk on are
    // tinted red when a navigation map says so.
    int lo = 0, hi = 1;
    for (unsigned z = 0; z < hm.Height(); ++z) {
        for (unsigned x = 0; x < hm.Width(); ++x) {
            const int v = hm.GetValue(int(x), int(z));
            lo = (x | z) ? std::min(lo, v) : v;
            hi = std::max(hi, v);
        }
    }
    for (int py = 0; py < pic.Height(); ++py) {
        for (int px = 0; px < pic.Width(); ++px) {
            Lumo::Ray ray;
            m_camera.GetMouseRay(px, py, ray);
            if (ray.origin.x < 0 || ray.origin.z < 0 || ray.origin.x > extentX ||
                ray.origin.z > extentZ) {
                continue;  // beyond the ground (a window's view may show it)
            }
            const tagPOINT t = hm.World2Tile(ray.origin);
            const int v = hm.GetValue(t.x, t.y);
            const int shade = 60 + (hi > lo ? (v - lo) * 120 / (hi - lo) : 0);
            uint32_t rgb = uint32_t(shade) << 16 | uint32_t(shade + 20) << 8 | uint32_t(shade);
            if (nav && !nav->IfCanGo(t.x, t.y)) {
                rgb = uint32_t(shade + 40) << 16 | uint32_t(shade / 2) << 8 | uint32_t(shade / 2);
            }
            pic.Set(px, py, rgb);
        }
    }

    size_t lost = 0;
    Lumo::DrawX::ClearRecorded();
    for (const GMapObjEdit* o : m_editor.GetMapObjEditList()) {
        const uint32_t colour = o == m_editor.GetSelectedObj()        ? (kColourSelected & 0xFFFFFF)
                                : o->GetType() == GMapObjEdit::ET_NPC ? kNpcColour
                                                                      : kStaticColour;
        if (o->GetSGNode() && o->GetSGNode()->HasResource()) {
            Lumo::DrawX::DrawAABBox(o->GetSGNode()->GetAABBox(), colour);
        } else if (o->GetSGEffectNode() && o->GetSGEffectNode()->HasResource()) {
            Lumo::DrawX::DrawAABBox(o->GetSGEffectNode()->GetBox(), colour);
        } else {
            // A model the data folder lacks still shows where it stands.
            Lumo::AABBox box = Lumo::PlaceholderBox();
            box.min += o->GetWorldPos();
            box.max += o->GetWorldPos();
            Lumo::DrawX::DrawAABBox(box, colour);
        }
    }
    GameMapEditor::EditList walls;
    m_editor.GetMazeWallList(walls);
    for (const GMapObjEdit* wall : walls) {
        Lumo::DrawX::DrawAABBox(m_editor.MazeWallFootprint(*wall), kWallColour);
    }
    GameMapEditor::ChopFieldList chops;
    m_editor.GetChopFieldList(chops);
    for (const GMapChopFieldObjEdit* c : chops) {
        Lumo::DrawX::DrawAABBox(m_editor.ChopFieldBox(c->GetWorldPos(), c->GetChopFieldType(), 0),
                                kChopColour);
    }
    Rasterize(pic, view, lost);

    // The editor's own drawing. Way points are drawn near the camera's
    // look-at only, so the editor's camera visits the whole map while the
    // picture keeps the view over all of it.
    m_editor.DrawTrigger();
    Rasterize(pic, view, lost);
    const float reach = float(kWayPointDrawTiles) * hm.GetXScale();
    for (float z = 0; z <= extentZ + reach; z += reach) {
        for (float x = 0; x <= extentX + reach; x += reach) {
            m_camera.SetLookAt({x, kViewHeight, z}, {x, 0, z}, {0, 0, 1});
            m_editor.DrawWayPoint();
            Rasterize(pic, view, lost);
        }
    }
    m_camera = view;
    m_editor.DrawSound();
    m_editor.DrawMazeWallZone();
    m_editor.DrawChopField();
    m_editor.DrawGather();
    Rasterize(pic, view, lost);
    if (lost) {
        m_out << "some shapes may be missing from the picture (too many to record at once)\n";
    }
    m_camera = before;
}

void Session::Render(const std::string& outPath, int size) {
    const std::string ext = LowerExtension(outPath);
    if (ext != "png" && ext != "bmp") {
        Fail("--render: the picture must end in .png or .bmp: " + outPath);
    }
    float extentX = 0, extentZ = 0;
    GroundExtent(extentX, extentZ);
    const int w = size, h = std::max(1, int(std::lround(size * extentZ / extentX)));
    Picture pic(w, h, 0x202020);

    const D3DXVECTOR3 centre(extentX / 2, 0, extentZ / 2);
    Lumo::CameraBase view;
    view.SetViewport(pic.Width(), pic.Height());
    view.SetOrtho(extentX, 1, 1e7f);
    view.SetLookAt(centre + D3DXVECTOR3(0, kViewHeight, 0), centre, {0, 0, 1});
    DrawTopView(pic, view);

    const std::string bytes = ext == "png" ? pic.Png() : pic.Bmp();
    const std::string path = platform::SystemPathFromNative(outPath);
    auto f = platform::File::Open(path, platform::Access::kWrite, platform::kShareNone,
                                  platform::Disposition::kCreateAlways);
    if (!f || !f->Write(bytes.data(), bytes.size())) {
        Fail("--render: cannot write " + outPath);
    }
}

}  // namespace mapedit
