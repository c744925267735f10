#include "lumo/TerrainEditor.h"

#include <algorithm>

#include "lumo/DrawX.h"

namespace Lumo {

TerrainEditor::TerrainEditor() = default;
TerrainEditor::~TerrainEditor() = default;

void TerrainEditor::SetHeightmap(const Heightmap& hm) {
    hm.CopyTo(m_heightmap);
}

Heightmap* TerrainEditor::GetHeightmap() {
    return m_heightmap.Width() && m_heightmap.Height() ? &m_heightmap : nullptr;
}

const Heightmap* TerrainEditor::GetHeightmap() const {
    return m_heightmap.Width() && m_heightmap.Height() ? &m_heightmap : nullptr;
}

bool TerrainEditor::MousePick(int x, int y, const CameraBase* camera, D3DXVECTOR3& out) const {
    if (!camera || !GetHeightmap()) {
        return false;
    }
    Ray ray;
    camera->GetMouseRay(x, y, ray);
    return m_heightmap.RayCollision(ray, out, 100000.0f, true);
}

void TerrainEditor::DrawGroundQuad(int x0, int x1, int z0, int z1, uint32_t colour) const {
    if (!GetHeightmap()) {
        return;
    }
    DrawX::DrawGroundQuad(std::min(x0, x1), std::min(z0, z1), std::max(x0, x1), std::max(z0, z1),
                          m_heightmap.Tile2World(std::min(x0, x1), std::min(z0, z1)),
                          m_heightmap.Tile2World(std::max(x0, x1), std::max(z0, z1)), colour);
}

}  // namespace Lumo
