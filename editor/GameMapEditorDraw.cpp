// The map editor's picking (mouse rays against boxes, world positions
// against tiles) and its drawing of the designer's data as debug geometry.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "editor/GameMapEditor.h"
#include "lumo/DrawX.h"

namespace GFC {

namespace {

using Lumo::AABBox;

bool Hits(const Lumo::Ray& ray, const AABBox& box) {
    const auto hit = ray.Intersect(box);
    return hit.first && hit.second < FLT_MAX;
}

AABBox BoxAround(const D3DXVECTOR3& c, float half) {
    return AABBox(c - D3DXVECTOR3(half, half, half), c + D3DXVECTOR3(half, half, half));
}

AABBox Spanning(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return AABBox({std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)},
                  {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)});
}

float HorizontalDistance(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return std::hypot(a.x - b.x, a.z - b.z);
}

// A wire box for a cursor: kCursorHalf to each side on x and z, kCursorHeight
// high, standing on the cursor position.
void DrawCursor(const D3DXVECTOR3& at) {
    Lumo::DrawX::DrawAABBox(AABBox(at - D3DXVECTOR3(kCursorHalf, 0, kCursorHalf),
                                   at + D3DXVECTOR3(kCursorHalf, kCursorHeight, kCursorHalf)),
                            kColourPickCursor);
}

}  // namespace

// ---------------------------------------------------------------- picking

bool GameMapEditor::MousePick(int x, int y, D3DXVECTOR3& out) const {
    return m_terrain && m_terrain->MousePick(x, y, m_camera, out);
}

bool GameMapEditor::MouseRay(int x, int y, Lumo::Ray& ray) const {
    if (!m_camera) {
        return false;
    }
    m_camera->GetMouseRay(x, y, ray);
    return true;
}

bool GameMapEditor::SelectByRay(int x, int y, bool anyType, GMapObjEdit::EType type) {
    Lumo::Ray ray;
    if (!MouseRay(x, y, ray)) {
        return false;
    }
    m_selectedObj = nullptr;
    for (GMapObjEdit* o : m_editObjs) {
        if (!anyType && o->GetType() != type) {
            continue;
        }
        if ((o->GetSGNode() && Hits(ray, o->GetSGNode()->GetAABBox())) ||
            (o->GetSGEffectNode() && Hits(ray, o->GetSGEffectNode()->GetBox()))) {
            m_selectedObj = o;
            break;
        }
    }
    return m_selectedObj != nullptr;
}

bool GameMapEditor::SelectObjByMouse(int x, int y) {
    return SelectByRay(x, y, true, GMapObjEdit::ET_DYNAMIC);
}

bool GameMapEditor::SelectObjByMouseEx(int x, int y, GMapObjEdit::EType type) {
    return SelectByRay(x, y, type == 0, type);
}

bool GameMapEditor::SelectObjByID(unsigned short) {
    return false;
}

void GameMapEditor::PickWayPoint(const D3DXVECTOR3& pos) {
    m_pickedWayPoint = nullptr;
    if (!Terrain()) {
        return;
    }
    for (tagMapWayPoint* wp : m_wayPointList) {
        const D3DXVECTOR3 p = TileWorld(int(wp->tileX0), int(wp->tileZ0));
        if (Lumo::Length(p - pos) < kWayPointPickRadius) {
            m_pickedWayPoint = wp;
            return;
        }
    }
}

void GameMapEditor::PickTrigger(const D3DXVECTOR3& pos) {
    m_pickedTrigger = nullptr;
    const Lumo::Heightmap* hm = Terrain();
    if (!hm) {
        return;
    }
    const tagPOINT t = hm->World2Tile(pos);
    for (tagMapTrigger* tr : m_triggerList) {
        if (tr->tileX0 <= t.x && t.x <= tr->tileX1 && tr->tileZ0 <= t.y && t.y <= tr->tileZ1) {
            m_pickedTrigger = tr;
            return;
        }
    }
}

void GameMapEditor::PickGather(const D3DXVECTOR3& pos) {
    m_pickedGather = nullptr;
    const Lumo::Heightmap* hm = Terrain();
    if (!hm) {
        return;
    }
    const tagPOINT t = hm->World2Tile(pos);
    for (tagGatherObj* g : m_gatherList) {
        // 64-bit, so tiles near the int limits cannot overflow.
        const int64_t x = g->tileX, z = g->tileZ;
        if (x - 2 <= t.x && t.x <= x + 4 && z - 2 <= t.y && t.y <= z + 4) {
            m_pickedGather = g;
            return;
        }
    }
}

void GameMapEditor::PickSoundBox(int x, int y) {
    Lumo::Ray ray;
    if (!MouseRay(x, y, ray)) {
        return;
    }
    m_selectedSound = nullptr;
    for (tagMapSound* s : m_soundList) {
        if (Hits(ray, BoxAround(s->pos, kSoundBoxHalf))) {
            m_selectedSound = s;
            return;
        }
    }
}

void GameMapEditor::PickMazeWallByMouse(int x, int y) {
    Lumo::Ray ray;
    if (!MouseRay(x, y, ray)) {
        return;
    }
    m_selectedMazeWall = nullptr;
    for (GMapObjEdit* w : m_mazeWalls) {
        if (w->GetSGNode() && Hits(ray, w->GetSGNode()->GetAABBox())) {
            m_selectedMazeWall = w;
            return;
        }
    }
}

void GameMapEditor::PickChopFieldByMouse(int x, int y) {
    Lumo::Ray ray;
    if (!MouseRay(x, y, ray)) {
        return;
    }
    m_selectedChopField = nullptr;
    for (GMapChopFieldObjEdit* c : m_chopFieldList) {
        const AABBox box = ChopFieldBox(c->GetWorldPos(), c->GetChopFieldType(), 0);
        if (Hits(ray, box)) {
            m_selectedChopField = c;
            return;
        }
    }
}

AABBox GameMapEditor::ChopFieldBox(const tagPOINT& tile, int type, float raise) const {
    if (!Terrain()) {
        return AABBox({1, 1, 1}, {0, 0, 0});
    }
    const int extent = ChopFieldExtent(type);
    AABBox box = Spanning(TileWorld(tile.x, tile.y),
                          TileWorld(TileOffset(tile.x, extent), TileOffset(tile.y, extent)));
    box.max.y += raise;
    return box;
}

AABBox GameMapEditor::MazeWallFootprint(const GMapObjEdit& wall) const {
    const D3DXVECTOR3 p = wall.GetWorldPos();
    float y0 = p.y, y1 = p.y;
    if (wall.GetSGNode()) {
        const AABBox node = wall.GetSGNode()->GetAABBox();
        if (!node.IsEmpty()) {
            y0 = node.min.y;
            y1 = node.max.y;
        }
    }
    return AABBox({p.x - kMazeWallHalf, y0, p.z - kMazeWallHalf},
                  {p.x + kMazeWallHalf, y1, p.z + kMazeWallHalf});
}

bool GameMapEditor::IsIntersectBetweenMazeWalls(AABBox box, GMapObjEdit* skip) const {
    box = box.Inflated(-kOverlapShrink, 0, -kOverlapShrink);
    for (GMapObjEdit* w : m_mazeWalls) {
        if (w == skip) {
            continue;
        }
        if (MazeWallFootprint(*w).Inflated(-kOverlapShrink, 0, -kOverlapShrink).Intersects(box)) {
            return true;
        }
    }
    return false;
}

bool GameMapEditor::IsIntersectBetweenChopFields(const tagPOINT& tile, int type) const {
    return IsIntersectBetweenChopFields(tile, type, nullptr);
}

bool GameMapEditor::IsIntersectBetweenChopFields(const tagPOINT& tile, int type,
                                                 const GMapChopFieldObjEdit* skip) const {
    const AABBox mine =
        ChopFieldBox(tile, type, kChopFieldBoxRaise).Inflated(-kOverlapShrink, 0, -kOverlapShrink);
    for (const GMapChopFieldObjEdit* c : m_chopFieldList) {
        if (c == skip) {
            continue;
        }
        const AABBox other =
            ChopFieldBox(c->GetWorldPos(), c->GetChopFieldType(), kChopFieldBoxRaise)
                .Inflated(-kOverlapShrink, 0, -kOverlapShrink);
        if (other.Intersects(mine)) {
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- drawing

void GameMapEditor::DrawEdit() {
    if (m_selectedObj) {
        if (m_selectedObj->GetSGNode()) {
            Lumo::DrawX::DrawAABBox(m_selectedObj->GetSGNode()->GetAABBox(), kColourSelected);
        }
        if (m_selectedObj->GetSGEffectNode()) {
            Lumo::DrawX::DrawAABBox(m_selectedObj->GetSGEffectNode()->GetBox(), kColourSelected);
        }
    }
    const Lumo::Heightmap* hm = Terrain();
    if (!hm) {
        return;
    }
    if (m_selectedObj && m_selectedObj->GetType() == GMapObjEdit::ET_NPC) {
        const tagPOINT t = hm->World2Tile(m_selectedObj->GetWorldPos());
        m_terrain->DrawGroundQuad(t.x - kNpcQuadTiles, t.x + kNpcQuadTiles, t.y - kNpcQuadTiles,
                                  t.y + kNpcQuadTiles, Lumo::Color4ub(255, 250, 0, 5));
    }
    DrawTrigger();
    DrawWayPoint();
    DrawSound();
    DrawMazeWallZone();
    DrawChopField();
    DrawGather();
}

void GameMapEditor::DrawTrigger() {
    if (!Terrain()) {
        return;
    }
    for (const tagMapTrigger* t : m_triggerList) {
        AABBox box = Spanning(TileWorld(t->tileX0, t->tileZ0), TileWorld(t->tileX1, t->tileZ1));
        box.max.y += kTriggerBoxHeight;
        Lumo::DrawX::DrawAABBox(box, t == m_pickedTrigger ? kColourSelected : kColourTrigger);
    }
    if (m_drawTriggerDrag) {
        const D3DXVECTOR3 up(0, kTriggerBoxHeight, 0);
        Lumo::DrawX::Draw3DLine(m_triggerStart, m_triggerCur, kColourTrigger);
        Lumo::DrawX::Draw3DLine(m_triggerStart + up, m_triggerCur + up, kColourTrigger);
    }
    if (m_drawTriggerCursor) {
        DrawCursor(m_triggerCursor);
    }
}

void GameMapEditor::DrawWayPoint() {
    const Lumo::Heightmap* hm = Terrain();
    if (!hm) {
        return;
    }
    if (m_drawWayPointCursor) {
        DrawCursor(m_wayPointCursor);
    }
    if (m_wayPointList.empty()) {
        return;
    }
    // Only what lies near the camera's look-at point (everything without a
    // camera).
    const float reach = kWayPointDrawTiles * hm->GetXScale();
    auto nearby = [&](const D3DXVECTOR3& p) {
        return !m_camera || HorizontalDistance(p, m_camera->GetLookat()) <= reach;
    };
    auto pointOf = [&](const tagMapWayPoint* wp) {
        return TileWorld(int(wp->tileX0), int(wp->tileZ0));
    };
    for (auto a = m_wayPointList.begin(), b = std::next(a); b != m_wayPointList.end(); ++a, ++b) {
        if (std::strncmp((*a)->name, (*b)->name, sizeof(*a)->name) == 0) {
            const D3DXVECTOR3 pa = pointOf(*a), pb = pointOf(*b);
            if (nearby(pa) && nearby(pb)) {
                Lumo::DrawX::Draw3DLine(pa, pb, kColourWayPoint);
            }
        }
    }
    for (const tagMapWayPoint* wp : m_wayPointList) {
        const D3DXVECTOR3 p = pointOf(wp);
        if (!nearby(p)) {
            continue;
        }
        Lumo::DrawX::DrawAABBox(BoxAround(p, kWayPointBoxHalf),
                                wp == m_pickedWayPoint ? kColourSelected : kColourWayPoint);
        const D3DXVECTOR3 c[4] = {TileWorld(int(wp->tileX0), int(wp->tileZ0)),
                                  TileWorld(int(wp->tileX1), int(wp->tileZ0)),
                                  TileWorld(int(wp->tileX1), int(wp->tileZ1)),
                                  TileWorld(int(wp->tileX0), int(wp->tileZ1))};
        for (int i = 0; i < 4; ++i) {
            Lumo::DrawX::Draw3DLine(c[i], c[(i + 1) % 4], kColourWayPoint);
        }
    }
    if (m_drawWayPointBand) {
        Lumo::DrawX::Draw3DLine(pointOf(m_wayPointList.back()), m_wayPointBand, kColourWayPoint);
    }
}

void GameMapEditor::DrawSound() {
    for (const tagMapSound* s : m_soundList) {
        Lumo::DrawX::DrawAABBox(BoxAround(s->pos, kSoundBoxHalf),
                                s == m_selectedSound ? kColourSelected : kColourSound);
    }
}

void GameMapEditor::DrawGather() {
    if (!Terrain()) {
        return;
    }
    for (const tagGatherObj* g : m_gatherList) {
        const D3DXVECTOR3 p = TileWorld(g->tileX, g->tileZ);
        Lumo::DrawX::DrawAABBox(
            AABBox(p, p + D3DXVECTOR3(kGatherBoxSize, kGatherBoxSize, kGatherBoxSize)),
            g == m_pickedGather ? kColourSelected : kColourGather);
    }
}

void GameMapEditor::DrawChopField() {
    if (!Terrain()) {
        return;
    }
    if (m_drawChopZone) {
        Lumo::DrawX::DrawAABBox(ChopFieldBox(m_chopZone, m_chopZoneType, 0), kColourZone);
    }
    if (m_selectedChopField) {
        Lumo::DrawX::DrawAABBox(ChopFieldBox(m_selectedChopField->GetWorldPos(),
                                             m_selectedChopField->GetChopFieldType(), 0),
                                kColourSelected);
    }
}

void GameMapEditor::DrawMazeWallZone() {
    const Lumo::Heightmap* hm = Terrain();
    if (!hm) {
        return;
    }
    if (m_drawMazeZone) {
        Lumo::DrawX::DrawAABBox(Spanning(m_mazeZone0, m_mazeZone1), kColourZone);
    }
    if (m_selectedMazeWall && m_selectedMazeWall->GetSGNode()) {
        Lumo::DrawX::DrawAABBox(MazeWallFootprint(*m_selectedMazeWall), kColourSelected);
    }
    if (!m_drawMazeGrid) {
        return;
    }
    // Grid lines every kMazeGridStep tiles, in segments of that length,
    // kept to the given radius around the centre (in world units: the tile
    // count times the larger tile spacing).
    const float radius = float(m_mazeGridRadius) * std::max(hm->GetXScale(), hm->GetYScale());
    const int w = m_terrain->GetHMapWidth(), h = m_terrain->GetHMapHeight();
    const D3DXVECTOR3 raise(0, kMazeGridRaise, 0);
    auto segment = [&](int x0, int z0, int x1, int z1) {
        const D3DXVECTOR3 a = TileWorld(x0, z0) + raise, b = TileWorld(x1, z1) + raise;
        if (HorizontalDistance(a, m_mazeGridCentre) <= radius &&
            HorizontalDistance(b, m_mazeGridCentre) <= radius) {
            Lumo::DrawX::Draw3DLine(a, b, kColourPickCursor);
        }
    };
    for (int x = 0; x <= w; x += kMazeGridStep) {
        for (int z = 0; z + kMazeGridStep <= h; z += kMazeGridStep) {
            segment(x, z, x, z + kMazeGridStep);
        }
    }
    for (int z = 0; z <= h; z += kMazeGridStep) {
        for (int x = 0; x + kMazeGridStep <= w; x += kMazeGridStep) {
            segment(x, z, x + kMazeGridStep, z);
        }
    }
}

}  // namespace GFC
