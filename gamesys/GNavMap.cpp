#include "gamesys/GNavMap.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "framework/FsFile.h"
#include "gamesys/SaveFile.h"
#include "lumo/Exception.h"

namespace GFC {

namespace {

constexpr const char* kSourceFile = ".\\gamesys\\GNavMap";
constexpr size_t kNavHeaderSize = 5;
constexpr uint8_t kFormatCode16 = 1;  // the height layer's Heightmap format 0
constexpr uint8_t kFormatCode8 = 2;   // any other format

const char kFileIds[GNavMap::FK_COUNT][4] = {
    {'N', 'A', 'V', 0}, {'H', 'M', 0, 0}, {'C', 'M', 0, 0},
    {'D', 'M', 0, 0},   {'L', 'M', 0, 0}, {'S', 'G', 'M', 0},
};

// The integer line walk shared by the tile and sub-tile tests. passable(x,
// z) tests the point's tile.
template <typename Passable>
bool Walk(int64_t x0, int64_t z0, int64_t x1, int64_t z1, int64_t& stopX, int64_t& stopZ,
          Passable passable) {
    stopX = x0;
    stopZ = z0;
    const int64_t dx = std::llabs(x1 - x0), dz = std::llabs(z1 - z0);
    const int64_t sx = x1 >= x0 ? 1 : -1, sz = z1 >= z0 ? 1 : -1;
    const bool steep = dz > dx;
    const int64_t longer = steep ? dz : dx;
    const int64_t shorter = steep ? dx : dz;
    const int64_t inc = 2 * shorter;
    int64_t err = inc - longer;
    int64_t x = x0, z = z0;
    for (int64_t i = 1; i <= longer; ++i) {
        stopX = x;
        stopZ = z;
        if (err >= 0) {
            if (steep) {
                x += sx;
            } else {
                z += sz;
            }
            err -= 2 * longer;
        }
        if (steep) {
            z += sz;
        } else {
            x += sx;
        }
        err += inc;
        if (!passable(x, z)) {
            return false;
        }
    }
    return passable(x1, z1);
}

// Sub-tile to tile, truncating toward zero as the game does.
int TileOf(int64_t subTile) {
    return static_cast<int>(subTile / kSubTilesPerTile);
}

}  // namespace

GNavMap::GNavMap() = default;
GNavMap::GNavMap(const GNavMap&) = default;
GNavMap& GNavMap::operator=(const GNavMap&) = default;

GNavMap::~GNavMap() {
    Destroy();
}

void GNavMap::Destroy() {
    m_height.Destroy();
    m_cango.Destroy();
    m_doodad.Destroy();
    m_suogu.Destroy();
    m_leap.Destroy();
}

const char* GNavMap::FileId(EFileKind kind) {
    return kind >= 0 && kind < FK_COUNT ? kFileIds[kind] : "";
}

void GNavMap::Create(unsigned w, unsigned h, float xscale, float yscale) {
    m_height.Create(0, w, h, xscale, xscale, yscale, Lumo::Heightmap::HF_16BIT);
    m_cango.Create(w, h, false);
    m_doodad.Create(w, h, false);
    m_suogu.Create(w, h, false);
    m_leap.Create(w, h, false);
}

namespace {

void FillFrom(Lumo::BitMap& layer, const Lumo::Heightmap& source, unsigned w, unsigned h) {
    for (unsigned z = 0; z < h; ++z) {
        for (unsigned x = 0; x < w; ++x) {
            layer.SetValue(int(x), int(z), source.GetValue(int(x), int(z)) != 0);
        }
    }
}

}  // namespace

void GNavMap::CreateFromTwoMap(const Lumo::Heightmap& height, const Lumo::Heightmap& cango) {
    height.CopyTo(m_height);
    const unsigned w = Width(), h = Height();
    m_cango.Create(w, h, false);
    FillFrom(m_cango, cango, w, h);
}

void GNavMap::CreateFromThreeMap(const Lumo::Heightmap& height, const Lumo::Heightmap& cango,
                                 const Lumo::Heightmap& doodad) {
    height.CopyTo(m_height);
    const unsigned w = Width(), h = Height();
    m_cango.Create(w, h, false);
    m_doodad.Create(w, h, false);
    FillFrom(m_cango, cango, w, h);
    FillFrom(m_doodad, doodad, w, h);
}

void GNavMap::CreateFromFiveMap(const Lumo::Heightmap& height, const Lumo::Heightmap& cango,
                                const Lumo::Heightmap& doodad, const Lumo::Heightmap& leap,
                                const Lumo::Heightmap& suogu) {
    height.CopyTo(m_height);
    const unsigned w = Width(), h = Height();
    m_cango.Create(w, h, false);
    m_doodad.Create(w, h, false);
    m_suogu.Create(w, h, false);
    m_leap.Create(w, h, false);
    FillFrom(m_cango, cango, w, h);
    FillFrom(m_doodad, doodad, w, h);
    FillFrom(m_leap, leap, w, h);
    FillFrom(m_suogu, suogu, w, h);
}

void GNavMap::CoyBitMap2HMap(const Lumo::BitMap& src, Lumo::Heightmap& dst) {
    const unsigned w = Width(), h = Height();
    dst.Create(0, w, h, m_height.GetXScale(), m_height.GetYScale(), m_height.GetZScale(),
               Lumo::Heightmap::HF_16BIT);
    for (unsigned z = 0; z < h; ++z) {
        for (unsigned x = 0; x < w; ++x) {
            dst.SafeSetVal(int(x), int(z), src.GetValue(int(x), int(z)) ? 1 : 0);
        }
    }
}

Lumo::Heightmap* GNavMap::Expand(Lumo::BitMap& layer, bool createWhenEmpty) {
    if (createWhenEmpty && (layer.Width() == 0 || layer.Height() == 0)) {
        layer.Create(Width(), Height(), false);
    }
    auto* out = new Lumo::Heightmap;
    CoyBitMap2HMap(layer, *out);
    return out;
}

Lumo::Heightmap* GNavMap::GenerateHeightMap() {
    return new Lumo::Heightmap(m_height);
}
Lumo::Heightmap* GNavMap::GenerateCangoMap() {
    return Expand(m_cango, false);
}
Lumo::Heightmap* GNavMap::GenerateDoodadMap() {
    return Expand(m_doodad, false);
}
Lumo::Heightmap* GNavMap::GenerateLeapMap() {
    return Expand(m_leap, true);
}
Lumo::Heightmap* GNavMap::GenerateSuoGuMap() {
    return Expand(m_suogu, true);
}

// ------------------------------------------------------------------ walks

bool GNavMap::WalkSubTiles(int64_t x0, int64_t z0, int64_t x1, int64_t z1, int64_t& stopX,
                           int64_t& stopZ, int mode) const {
    return Walk(x0, z0, x1, z1, stopX, stopZ,
                [&](int64_t x, int64_t z) { return IfCanPass(TileOf(x), TileOf(z), mode); });
}

// A walk that starts outside the grid cannot go anywhere, even into the
// grid: the start's tile is never tested by the walk itself, and an answer
// of "can go" for a point off the map would send a unit across its edge.

bool GNavMap::IfCanDirectGoTile(int x0, int z0, int x1, int z1, tagPOINT& stop, int mode) const {
    if (!IfIndex(x0, z0)) {
        stop = {x0, z0};
        return false;
    }
    int64_t sx, sz;
    const bool ok = Walk(x0, z0, x1, z1, sx, sz, [&](int64_t x, int64_t z) {
        // Points of the walk between two ints are ints.
        return IfCanPass(static_cast<int>(x), static_cast<int>(z), mode);
    });
    stop = {static_cast<int32_t>(sx), static_cast<int32_t>(sz)};
    return ok;
}

bool GNavMap::IfCanDirectGoSTile(int x0, int z0, int x1, int z1, tagPOINT& stop, int mode) const {
    if (!IfIndex(TileOf(x0), TileOf(z0))) {
        stop = {x0, z0};
        return false;
    }
    int64_t sx, sz;
    const bool ok = WalkSubTiles(x0, z0, x1, z1, sx, sz, mode);
    stop = {static_cast<int32_t>(sx), static_cast<int32_t>(sz)};
    return ok;
}

bool GNavMap::IfCanDirectGo(int x0, int z0, int x1, int z1, tagPOINT& stop, int mode) const {
    if (!IfIndex(x0, z0)) {
        stop = {x0, z0};
        return false;
    }
    const int64_t half = kSubTilesPerTile / 2;
    int64_t sx, sz;
    if (WalkSubTiles(int64_t(x0) * kSubTilesPerTile + half, int64_t(z0) * kSubTilesPerTile + half,
                     int64_t(x1) * kSubTilesPerTile + half, int64_t(z1) * kSubTilesPerTile + half,
                     sx, sz, mode)) {
        return true;
    }
    stop = {TileOf(sx), TileOf(sz)};
    return false;
}

// ------------------------------------------------------ heights and units

float GNavMap::GetHeight(const D3DXVECTOR3& pos) const {
    if (!std::isfinite(pos.x) || !std::isfinite(pos.z)) {
        return 0;  // nowhere on the map
    }
    const float tile = GetTileSize();
    const int tx = Lumo::TruncToInt(pos.x / tile);
    const int tz = Lumo::TruncToInt(pos.z / tile);
    if (!IfIndex(tx, tz)) {
        return 0;
    }
    const D3DXVECTOR3 corner = Tile2World(unsigned(tx), unsigned(tz));
    const float h00 = corner.y;
    const float h10 = IfIndex(tx + 1, tz) ? GetHeight(tx + 1, tz) : h00;
    const float h01 = IfIndex(tx, tz + 1) ? GetHeight(tx, tz + 1) : h00;
    const float h11 = IfIndex(tx + 1, tz + 1) ? GetHeight(tx + 1, tz + 1) : h00;
    const float fx = (pos.x - corner.x) / tile;
    const float fz = (pos.z - corner.z) / tile;
    return (h00 * (1 - fx) + h10 * fx) * (1 - fz) + (h01 * (1 - fx) + h11 * fx) * fz;
}

tagPOINT GNavMap::World2Tile(const D3DXVECTOR3& pos) const {
    const float tile = GetTileSize();
    return {Lumo::TruncToInt(pos.x / tile), Lumo::TruncToInt(pos.z / tile)};
}

D3DXVECTOR3 GNavMap::Tile2World(unsigned x, unsigned z) const {
    const float tile = GetTileSize();
    const float y = IfIndex(x, z) ? GetHeight(int(x), int(z)) : 0.0f;
    return {float(x) * tile, y, float(z) * tile};
}

tagPOINT GNavMap::World2STile(const D3DXVECTOR3& pos) const {
    const float tile = GetTileSize();
    return {Lumo::TruncToInt(pos.x / tile * kSubTilesPerTile),
            Lumo::TruncToInt(pos.z / tile * kSubTilesPerTile)};
}

D3DXVECTOR3 GNavMap::STile2World(int sx, int sz) const {
    const float tile = GetTileSize();
    D3DXVECTOR3 p(tile * float(sx) * (1.0f / kSubTilesPerTile), 0,
                  tile * float(sz) * (1.0f / kSubTilesPerTile));
    p.y = GetHeight(p);
    return p;
}

bool GNavMap::MousePick(int mx, int my, const Lumo::CameraBase* camera, D3DXVECTOR3& hit) const {
    if (!camera) {
        return false;
    }
    Lumo::Ray ray;
    camera->GetMouseRay(mx, my, ray);
    return m_height.RayCollision(ray, hit, 100000.0f, true);
}

// ------------------------------------------------------------------ files

void GNavMap::Load(Lumo::IFS* fs, const char* path, EFileKind kind, const char* openFailed,
                   int line) {
    FsFile file = FsFile::OpenOrThrow(fs, path, openFailed, kSourceFile, line);
    uint8_t header[kNavHeaderSize];
    Lumo::Heightmap height;
    Lumo::BitMap layers[4];
    // The flag layers each file kind holds, in file order.
    Lumo::BitMap* targets[FK_COUNT][4] = {
        {&m_cango, &m_doodad, &m_leap, &m_suogu},
        {},
        {&m_cango},
        {&m_doodad},
        {&m_leap},
        {&m_suogu},
    };
    bool ok = file.ReadAll(header, sizeof header) &&
              (header[4] == kFormatCode16 || header[4] == kFormatCode8);
    if (ok) {
        const int format =
            header[4] == kFormatCode16 ? Lumo::Heightmap::HF_16BIT : Lumo::Heightmap::HF_8BIT;
        ok = height.ReadFromFile(fs, file.GetHandle(), format);
    }
    for (int i = 0; ok && i < 4 && targets[kind][i]; ++i) {
        ok = layers[i].ReadFile(fs, file.GetHandle());
    }
    if (!ok) {
        throw Lumo::Exception("Nav file damaged", path, kSourceFile, __LINE__);
    }
    // Everything read: only now replace the layers.
    m_height = std::move(height);
    for (int i = 0; i < 4 && targets[kind][i]; ++i) {
        *targets[kind][i] = std::move(layers[i]);
    }
}

void GNavMap::LoadFromFile(Lumo::IFS* fs, const char* path) {
    Load(fs, path, FK_NAV, "Nav file open failed", __LINE__);
}
void GNavMap::LoadHMFromFile(Lumo::IFS* fs, const char* path) {
    Load(fs, path, FK_HM, "Height file open failed", __LINE__);
}
void GNavMap::LoadCMFromFile(Lumo::IFS* fs, const char* path) {
    Load(fs, path, FK_CM, "Cango file open failed", __LINE__);
}
void GNavMap::LoadDMFromFile(Lumo::IFS* fs, const char* path) {
    Load(fs, path, FK_DM, "Doodad file open failed", __LINE__);
}
void GNavMap::LoadLMFromFile(Lumo::IFS* fs, const char* path) {
    Load(fs, path, FK_LM, "LeapMap file open failed", __LINE__);
}
void GNavMap::LoadSGMFromFile(Lumo::IFS* fs, const char* path) {
    // The game's own text for this loader names the leap map too.
    Load(fs, path, FK_SGM, "LeapMap file open failed", __LINE__);
}

bool GNavMap::Save(const char* path, EFileKind kind) const {
    SaveFile out(path);
    if (!out.IsOpen()) {
        return false;
    }
    uint8_t header[kNavHeaderSize];
    std::memcpy(header, kFileIds[kind], 4);
    header[4] = m_height.GetFormat() == Lumo::Heightmap::HF_16BIT ? kFormatCode16 : kFormatCode8;
    const Lumo::BitMap* layers[FK_COUNT][4] = {
        {&m_cango, &m_doodad, &m_leap, &m_suogu},
        {},
        {&m_cango},
        {&m_doodad},
        {&m_leap},
        {&m_suogu},
    };
    bool ok = std::fwrite(header, 1, sizeof header, out.Get()) == sizeof header &&
              m_height.WriteToFile(out.Get());
    for (int i = 0; ok && i < 4 && layers[kind][i]; ++i) {
        ok = layers[kind][i]->WriteFile(out.Get());
    }
    return ok && out.Commit();
}

bool GNavMap::SaveToFile(const char* path) const {
    return Save(path, FK_NAV);
}
bool GNavMap::SaveHMToFile(const char* path) const {
    return Save(path, FK_HM);
}
bool GNavMap::SaveCMToFile(const char* path) const {
    return Save(path, FK_CM);
}
bool GNavMap::SaveDMToFile(const char* path) const {
    return Save(path, FK_DM);
}
bool GNavMap::SaveLMToFile(const char* path) const {
    return Save(path, FK_LM);
}
bool GNavMap::SaveSGMToFile(const char* path) const {
    return Save(path, FK_SGM);
}

}  // namespace GFC
