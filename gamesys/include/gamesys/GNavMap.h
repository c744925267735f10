// The walkability model of one map: a terrain height layer and four
// one-bit-per-tile flag layers (can go, doodad, leap, SuoGu). Game code asks
// whether a tile can be entered, whether a straight walk between two points
// is free (and where it stops when it is not), the ground height under a
// world position, and converts between world positions, tiles and
// sub-tiles. The map editor builds the layers from engine heightmaps.
//
// Units: tile (x, z) has column x in 0 .. Width()-1 and row z in
// 0 .. Height()-1; its world corner is (x, z) times the tile size (the
// height layer's x scale). A sub-tile is 1/256 of a tile: sub-tile
// coordinates are world coordinate / tile size * 256, and the centre of
// tile t is sub-tile t * 256 + 128. Integer divisions truncate toward zero,
// so sub-tiles -255 .. -1 belong to tile 0.
//
// Pass modes (the last argument of IfCanPass and the walk tests): 0 walks
// on can-go tiles, 1 also on SuoGu tiles, 2 also on leap tiles; any other
// mode passes nowhere. Tiles outside the grid are never passable.
//
// Files: every file starts with 5 bytes, a 4-byte identifier and the height
// layer's format code (1 for Heightmap format 0, else 2), followed by the
// height layer as Heightmap::WriteToFile writes it and the file's flag
// layers as BitMap::WriteFile writes them:
//
//   navigation file  "NAV\0"  can-go, doodad, leap, SuoGu
//   height file      "HM\0\0" -
//   can-go file      "CM\0\0" can-go
//   doodad file      "DM\0\0" doodad
//   leap file        "LM\0\0" leap
//   SuoGu file       "SGM\0"  SuoGu
//
// Loaders read through an engine file system and replace the height layer
// and the file's flag layers; the identifier is not checked. A file that
// cannot be opened throws Lumo::Exception with the loader's message; a
// damaged file (a short header, an unknown format code, a layer that is cut
// short or claims more than the file holds) throws Lumo::Exception("Nav
// file damaged", path) and leaves every layer as it was. Savers write
// through a temporary file and answer false, leaving an existing file
// whole, when the file cannot be written.
//
// Game thread only.
#pragma once

#include "framework/GTypes.h"
#include "framework/GfcApi.h"
#include "lumo/Camera.h"
#include "lumo/Heightmap.h"
#include "lumo/IFS.h"

namespace GFC {

// Sub-tiles per tile along each axis.
constexpr int kSubTilesPerTile = 256;

class GFC_API GNavMap {
public:
    GNavMap();
    GNavMap(const GNavMap&);
    GNavMap& operator=(const GNavMap&);
    virtual ~GNavMap();

    // A w x h grid: heights 0 with tile size xscale and height scale yscale
    // (Heightmap::Create(0, w, h, xscale, xscale, yscale, 0)), every flag
    // false.
    void Create(unsigned w, unsigned h, float xscale, float yscale);
    // Builds layers from heightmaps: the height layer becomes a copy of
    // height; each named flag layer is made height's size and set where
    // the matching heightmap's value is not 0 (values outside a smaller
    // heightmap count as 0). Layers not named keep their contents.
    void CreateFromTwoMap(const Lumo::Heightmap& height, const Lumo::Heightmap& cango);
    void CreateFromThreeMap(const Lumo::Heightmap& height, const Lumo::Heightmap& cango,
                            const Lumo::Heightmap& doodad);
    void CreateFromFiveMap(const Lumo::Heightmap& height, const Lumo::Heightmap& cango,
                           const Lumo::Heightmap& doodad, const Lumo::Heightmap& leap,
                           const Lumo::Heightmap& suogu);

    // New heightmaps the caller owns and deletes: a copy of the height layer,
    // or a flag layer as heights 0 and 1 with the height layer's size and
    // scales. The leap and SuoGu layers are first created (all false) when
    // they are empty.
    Lumo::Heightmap* GenerateHeightMap();
    Lumo::Heightmap* GenerateCangoMap();
    Lumo::Heightmap* GenerateDoodadMap();
    Lumo::Heightmap* GenerateLeapMap();
    Lumo::Heightmap* GenerateSuoGuMap();

    bool IfIndex(int x, int z) const {
        return x >= 0 && z >= 0 && unsigned(x) < Width() && unsigned(z) < Height();
    }
    bool IfIndex(unsigned x, unsigned z) const { return x < Width() && z < Height(); }
    unsigned GetTileIndex(unsigned x, unsigned z) const { return Width() * z + x; }

    // Flags of a tile; false outside a layer.
    bool IfCanGo(int x, int z) const { return m_cango.GetValue(x, z); }
    bool IfDoodad(int x, int z) const { return m_doodad.GetValue(x, z); }
    bool IfLeap(int x, int z) const { return m_leap.GetValue(x, z); }
    bool IfSuoGu(int x, int z) const { return m_suogu.GetValue(x, z); }
    bool IfCanPass(int x, int z, int mode) const {
        if (IfCanGo(x, z)) {
            return mode >= 0 && mode <= 2;
        }
        return (mode == 1 && IfSuoGu(x, z)) || (mode == 2 && IfLeap(x, z));
    }

    // Straight walks, stepping along the longer axis one unit at a time and
    // along the shorter one where the line's error term says (an integer
    // line walk). Each step tests the tile that holds the new point; the
    // walk ends false at the first impassable one with stop set to the
    // point before it (the start when the first step fails). When every
    // step passes, the answer is whether the end tile is passable, and stop
    // is the point before the end.
    //
    // IfCanDirectGoTile walks tiles. IfCanDirectGoSTile walks sub-tiles and
    // gives stop in sub-tiles. IfCanDirectGo takes tiles and walks
    // sub-tiles between the tiles' centres; it sets stop, to the tile of the
    // last passable sub-tile, only when it answers false.
    bool IfCanDirectGoTile(int x0, int z0, int x1, int z1, tagPOINT& stop, int mode) const;
    bool IfCanDirectGoSTile(int x0, int z0, int x1, int z1, tagPOINT& stop, int mode) const;
    bool IfCanDirectGo(int x0, int z0, int x1, int z1, tagPOINT& stop, int mode) const;

    // The height layer's height at a tile; 0 outside the grid.
    float GetHeight(int x, int z) const { return m_height.GetHeight(x, z); }
    // Ground height at a world position: the bilinear blend of the tile's
    // corner and its three neighbours toward +x and +z (a neighbour outside
    // the grid takes the corner's height); 0 outside the grid.
    float GetHeight(const D3DXVECTOR3& pos) const;

    tagPOINT World2Tile(const D3DXVECTOR3& pos) const;
    // (x, height, z) times the tile size; the height is 0 outside the grid.
    D3DXVECTOR3 Tile2World(unsigned x, unsigned z) const;
    tagPOINT World2STile(const D3DXVECTOR3& pos) const;
    // The world point of a sub-tile, on the ground.
    D3DXVECTOR3 STile2World(int sx, int sz) const;

    float GetTileSize() const { return m_height.GetXScale(); }
    // The height layer's y scale: its row spacing, the tile size for
    // layers made by Create.
    float GetYScale() const { return m_height.GetYScale(); }
    unsigned Width() const { return m_height.Width(); }
    unsigned Height() const { return m_height.Height(); }
    Lumo::Heightmap* GetHeightMap() { return &m_height; }
    const Lumo::Heightmap* GetHeightMap() const { return &m_height; }

    // The ground point under screen point (mx, my) of camera, within
    // 100,000 world units; false without a camera or a hit.
    bool MousePick(int mx, int my, const Lumo::CameraBase* camera, D3DXVECTOR3& hit) const;

    void LoadFromFile(Lumo::IFS* fs, const char* path);
    void LoadHMFromFile(Lumo::IFS* fs, const char* path);
    void LoadCMFromFile(Lumo::IFS* fs, const char* path);
    void LoadDMFromFile(Lumo::IFS* fs, const char* path);
    void LoadLMFromFile(Lumo::IFS* fs, const char* path);
    void LoadSGMFromFile(Lumo::IFS* fs, const char* path);
    bool SaveToFile(const char* path) const;
    bool SaveHMToFile(const char* path) const;
    bool SaveCMToFile(const char* path) const;
    bool SaveDMToFile(const char* path) const;
    bool SaveLMToFile(const char* path) const;
    bool SaveSGMToFile(const char* path) const;

    // Releases every layer.
    void Destroy();

    // The file kinds, for the loaders and savers and for tools.
    enum EFileKind { FK_NAV, FK_HM, FK_CM, FK_DM, FK_LM, FK_SGM, FK_COUNT };
    // The 4-byte identifier of a file kind.
    static const char* FileId(EFileKind kind);

protected:
    // dst becomes the height layer's size and scales (format 0) with 1 where
    // src is set and 0 elsewhere.
    void CoyBitMap2HMap(const Lumo::BitMap& src, Lumo::Heightmap& dst);

private:
    void Load(Lumo::IFS* fs, const char* path, EFileKind kind, const char* openFailed, int line);
    bool Save(const char* path, EFileKind kind) const;
    // The walk in sub-tiles, in 64-bit steps so that tile coordinates of any
    // int size can be turned into sub-tiles.
    bool WalkSubTiles(int64_t x0, int64_t z0, int64_t x1, int64_t z1, int64_t& stopX,
                      int64_t& stopZ, int mode) const;
    Lumo::Heightmap* Expand(Lumo::BitMap& layer, bool createWhenEmpty);

    Lumo::Heightmap m_height;
    Lumo::BitMap m_cango;
    Lumo::BitMap m_doodad;
    Lumo::BitMap m_leap;
    Lumo::BitMap m_suogu;
};

}  // namespace GFC
