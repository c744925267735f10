// A navigation file from fuzzed bytes, read by the loader the first byte
// picks. A load either throws the engine's exception, leaving the layers as
// they were, or gives layers within the size limit; the walk tests, heights
// and conversions then stay inside the layers for any points.
#include <cstddef>
#include <cstdint>
#include <string>

#include "gamesys/GNavMap.h"
#include "lumo/Exception.h"
#include "lumo/MemFS.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    void (GFC::GNavMap::*loaders[])(Lumo::IFS*, const char*) = {
        &GFC::GNavMap::LoadFromFile,   &GFC::GNavMap::LoadHMFromFile,
        &GFC::GNavMap::LoadCMFromFile, &GFC::GNavMap::LoadDMFromFile,
        &GFC::GNavMap::LoadLMFromFile, &GFC::GNavMap::LoadSGMFromFile};
    const auto load = loaders[data[0] % 6];
    Lumo::MemFS fs;
    fs.AddFile("a.nav", std::string(reinterpret_cast<const char*>(data + 1), size - 1));

    GFC::GNavMap nav;
    nav.Create(3, 2, 10, 1);
    try {
        (nav.*load)(&fs, "a.nav");
    } catch (const Lumo::Exception&) {
        if (nav.Width() != 3 || nav.Height() != 2) {
            __builtin_trap();
        }
    }
    if (fs.OpenCount() != 0) {
        __builtin_trap();
    }
    const unsigned w = nav.Width(), h = nav.Height();
    if (w > Lumo::kMaxHeightmapSide || h > Lumo::kMaxHeightmapSide ||
        size_t(w) * h > size * 8 + 8) {
        __builtin_trap();
    }
    // Points inside, on the edge and outside the grid.
    const int pts[] = {0, -1, int(w), int(h), int(w) / 2, int(h) / 2, -300, 70000};
    GFC::tagPOINT stop;
    int mode = -1;
    for (int a : pts) {
        for (int b : pts) {
            mode = mode == 3 ? -1 : mode + 1;
            nav.IfCanDirectGoTile(a, b, int(w) - 1 - a, b, stop, mode);
            nav.IfCanDirectGo(b, a, a, b, stop, mode);
            nav.IfCanDirectGoSTile(a * 256, b * 256, b * 256 + 77, a * 256 - 3, stop, mode);
            nav.GetHeight(a, b);
            nav.GetHeight(GFC::D3DXVECTOR3(float(a) * nav.GetTileSize(), 0,
                                           float(b) * nav.GetTileSize() + 0.5f));
            nav.Tile2World(unsigned(a), unsigned(b));
            nav.STile2World(a * 100, b * 100);
        }
    }
    GFC::GNavMap copy(nav);
    delete copy.GenerateLeapMap();
    delete copy.GenerateCangoMap();
    return 0;
}
