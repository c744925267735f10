// The terrain of the editor's scene: its heightmap, mouse picks on it and
// ground quads drawn over tiles. A terrain without a heightmap (none set,
// or an empty one) picks nothing and draws nothing.
#pragma once

#include <cstdint>

#include "lumo/Camera.h"
#include "lumo/Heightmap.h"
#include "lumo/LumoApi.h"

namespace Lumo {

class LUMO_API TerrainEditor {
public:
    TerrainEditor();
    ~TerrainEditor();
    TerrainEditor(const TerrainEditor&) = delete;
    TerrainEditor& operator=(const TerrainEditor&) = delete;

    // The terrain becomes a copy of hm.
    void SetHeightmap(const Heightmap& hm);
    // The terrain's heightmap; null when it has none.
    Heightmap* GetHeightmap();
    const Heightmap* GetHeightmap() const;
    int GetHMapWidth() const { return int(m_heightmap.Width()); }
    int GetHMapHeight() const { return int(m_heightmap.Height()); }

    // The ground point under screen point (x, y) of camera, within 100,000
    // world units; false without a heightmap, a camera or a hit.
    bool MousePick(int x, int y, const CameraBase* camera, D3DXVECTOR3& out) const;
    // A filled quad on the ground over tiles x0..x1 by z0..z1 (corners
    // included, in either order), recorded with DrawX.
    void DrawGroundQuad(int x0, int x1, int z0, int z1, uint32_t colour) const;

private:
    Heightmap m_heightmap;
};

}  // namespace Lumo
