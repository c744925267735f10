// Writes the sample map the README shows, into a folder:
//
//   mapedit_sample DIR
//
// DIR\data      models, effects and the NPC attribute list (the game's data folder)
// DIR\sample.nav  a 160 x 120 tile terrain of hills with a river and a lake
// DIR\sample.gmb  a village by the river: houses, trees, guards on a patrol
//                 path, wolves, a gate trigger, river sounds, herb gathers and
//                 a logging field
// DIR\sample.gma  a small maze of walls
//
// Then, to draw it:
//
//   mapedit DIR/sample.gmb --nav DIR/sample.nav --maze DIR/sample.gma
//           --data DIR/data --render sample-map.png
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "AttListWriter_test.h"
#include "cli/CommandLine.h"
#include "editor/GameMapEditor.h"
#include "lumo/DiskFS.h"
#include "lumo/Kernel.h"
#include "platform/file.h"
#include "platform/fs.h"

namespace {

using namespace GFC;

constexpr int kTilesX = 160, kTilesZ = 120;
constexpr float kTile = 100.0f;

bool Write(const std::string& path, const std::string& bytes) {
    const size_t cut = path.find_last_of('\\');
    if (cut != std::string::npos) {
        // Create the folders on the way, one by one.
        for (size_t at = path.find('\\', 1); at != std::string::npos && at <= cut;
             at = path.find('\\', at + 1)) {
            (void)platform::CreateDirectory(path.substr(0, at));
        }
    }
    auto f = platform::File::Open(path, platform::Access::kWrite, platform::kShareNone,
                                  platform::Disposition::kCreateAlways);
    return f && f->Write(bytes.data(), bytes.size());
}

std::string Resource(const char* magic, float hx, float height, float hz) {
    std::string s(magic, 4);
    const float v[6] = {-hx, 0, -hz, hx, height, hz};
    s.append(reinterpret_cast<const char*>(v), sizeof v);
    return s;
}

// The river runs north across the map in a gentle curve; the lake lies in
// the north-east.
float RiverX(float z) {
    return 62 + 8 * std::sin(z / 17.0f);
}
bool IsWater(int x, int z) {
    const bool river = std::fabs(float(x) - RiverX(float(z))) < 2.5f;
    const bool lake = std::hypot(float(x - 128), float(z - 92) * 1.3f) < 14;
    return river || lake;
}
bool IsBridge(int z) {
    return z >= 58 && z <= 61;
}

// A point on the terrain at (x, z).
D3DXVECTOR3 Ground(GNavMap& nav, float x, float z) {
    return D3DXVECTOR3(x, nav.GetHeight(D3DXVECTOR3(x, 0, z)), z);
}

// The village, the forest and the rocks, the paths and the people on them.
void PlaceObjects(GameMapEditor& ed, GNavMap& nav) {
    std::mt19937 rng(2024);
    uint32_t id = 1;
    auto place = [&](const char* model, float x, float z, float yaw) {
        tagStaticMapObj r{};
        r.id = id++;
        std::strcpy(r.modelPath, model);
        r.pos = Ground(nav, x, z);
        r.rot = D3DXVECTOR3(yaw, 0, 0);
        r.scale = D3DXVECTOR3(1, 1, 1);
        auto* o = new GMapObjEdit;
        o->Create(r, &ed);
        o->SetWorldPos(r.pos);
    };
    // The village west of the bridge.
    for (int i = 0; i < 7; ++i) {
        place("models\\house.fak", 3000 + 700.0f * (i % 4), 5000 + 900.0f * (i / 4),
              i % 2 ? 1.5708f : 0);
    }
    place("effects\\campfire.sfx", 4050, 5450, 0);
    // Forest in the south-east, rocks scattered about.
    std::uniform_real_distribution<float> fx(9000, 15000), fz(1000, 5000), any(500, 15500),
        anyZ(500, 11500);
    for (int i = 0; i < 90; ++i) {
        place("models\\tree.fak", fx(rng), fz(rng), 0);
    }
    for (int i = 0; i < 25; ++i) {
        float x = any(rng), z = anyZ(rng);
        if (!IsWater(int(x / kTile), int(z / kTile))) {
            place("models\\rock.fak", x, z, 0.7f * float(i));
        }
    }

    // Guards walk a patrol path from the village over the bridge.
    int seq;
    const uint32_t path[][2] = {{30, 48}, {45, 50}, {58, 59}, {72, 60}, {85, 52}, {85, 40}};
    for (const auto& p : path) {
        auto* wp = new tagMapWayPoint{};
        std::strcpy(wp->name, "patrol");
        wp->tileX0 = p[0];
        wp->tileZ0 = p[1];
        wp->tileX1 = p[0] + 3;
        wp->tileZ1 = p[1] + 3;
        ed.AddWayPoint(wp, seq);
    }
    const uint32_t watch[][2] = {{20, 70}, {26, 80}, {36, 78}};
    for (const auto& p : watch) {
        auto* wp = new tagMapWayPoint{};
        std::strcpy(wp->name, "watch");
        wp->tileX0 = wp->tileX1 = p[0];
        wp->tileZ0 = wp->tileZ1 = p[1];
        ed.AddWayPoint(wp, seq);
    }
    auto npc = [&](uint32_t npcId, uint32_t att, float x, float z, float yaw, const char* route) {
        tagMapNPC r{};
        r.id = npcId;
        r.npcAttId = att;
        r.pos = Ground(nav, x, z);
        std::strcpy(r.wayPointName, route);
        auto* o = new GMapObjEdit;
        if (o->Create(r, &ed)) {
            o->SetWorldPos(r.pos);
            o->SetYawForNPC(yaw);
        } else {
            delete o;
        }
    };
    npc(1, 1, 3100, 4900, 90, "patrol");
    npc(2, 1, 2100, 7100, 180, "watch");
    for (uint32_t i = 0; i < 6; ++i) {
        npc(10 + i, 0x10000001, 8500 + 450.0f * i, 10400 + 300.0f * (i % 3), 30.0f * i, "");
    }
}

// The village gate, a sound box along the river, herbs, a logging field and a
// maze of walls.
void PlaceAreas(GameMapEditor& ed, GNavMap& nav) {
    auto* gate = new tagMapTrigger{};
    gate->id = 1;
    gate->tileX0 = 24;
    gate->tileZ0 = 44;
    gate->tileX1 = 33;
    gate->tileZ1 = 47;
    ed.AddTrigger(gate);
    for (int z = 10; z < 120; z += 25) {
        auto* s = new tagMapSound{};
        s->pos = Ground(nav, RiverX(float(z)) * kTile, float(z) * kTile);
        int sid;
        ed.AddSound(s, sid);
    }
    const int herbs[][2] = {{100, 20}, {110, 28}, {40, 100}, {15, 15}};
    for (uint32_t i = 0; i < 4; ++i) {
        auto* g = new tagGatherObj{};
        g->id = i + 1;
        g->tileX = herbs[i][0];
        g->tileZ = herbs[i][1];
        ed.AddGather(g);
    }
    tagChopField field{};
    field.id = 1;
    field.type = 1;
    field.tileX = 95;
    field.tileZ = 8;
    std::strcpy(field.modelPath0, "models\\tree.fak");
    auto* chop = new GMapChopFieldObjEdit;
    chop->Create(field, &ed);
    chop->SetWorldPos({field.tileX, field.tileZ});

    // A maze of walls on the northern hill.
    uint32_t wall = 1;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 4; ++col) {
            if ((row + col) % 3 == 1) {
                continue;
            }
            tagMazeWallObj w{};
            w.id = wall++;
            std::strcpy(w.modelPath, "models\\wall.fak");
            w.pos = Ground(nav, 2500 + 1000.0f * col, 9300 + 700.0f * row);
            w.scale = D3DXVECTOR3(1, 1, 1);
            w.yaw = (row + col) % 2 ? 1.5708f : 0;
            auto* o = new GMapObjEdit;
            o->Create(w, &ed);
            o->SetWorldPos(w.pos);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string usage =
        "usage: mapedit_sample DIR\n"
        "       mapedit_sample --help | --version\n"
        "Writes the sample map (sample.gmb, sample.nav, sample.gma and a data\n"
        "folder) into DIR, which it creates.\n";
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << usage;
        return cli::kExitOk;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << cli::VersionLine("mapedit_sample");
        return cli::kExitOk;
    }
    if (argc < 2) {
        return cli::UsageError(std::cerr, "mapedit_sample", "DIR is required", usage);
    }
    if (argc > 2) {
        return cli::UsageError(std::cerr, "mapedit_sample", "too many arguments", usage);
    }
    if (argv[1][0] == '-') {
        return cli::UsageError(std::cerr, "mapedit_sample",
                               std::string("unknown option ") + argv[1], usage);
    }
    const std::string dir = platform::SystemPathFromNative(argv[1]);
    const std::string data = dir + "\\data";
    bool ok = Write(data + "\\models\\house.fak", Resource("LMDL", 250, 400, 200)) &&
              Write(data + "\\models\\tree.fak", Resource("LMDL", 60, 500, 60)) &&
              Write(data + "\\models\\rock.fak", Resource("LMDL", 80, 120, 60)) &&
              Write(data + "\\models\\wall.fak", Resource("LMDL", 500, 300, 40)) &&
              Write(data + "\\effects\\campfire.sfx", Resource("LSFX", 40, 150, 40)) &&
              Write(data + "\\System\\NPC\\guard.fak", Resource("LMDL", 40, 180, 40)) &&
              Write(data + "\\System\\Monster\\wolf\\wolf.fak", Resource("LMDL", 60, 80, 40)) &&
              Write(data + "\\" + attlist::Path(0),
                    attlist::ListFile(std::vector<tagNPCAtt>{attlist::Npc(1, "guard", 9),
                                                             attlist::Npc(0x10000001, "wolf", 0)}));

    // Terrain: rolling hills, water below, a bridge over the river.
    Lumo::Heightmap height, cango;
    height.Create(0, kTilesX + 1, kTilesZ + 1, kTile, kTile, 1.0f, 0);
    cango.Create(0, kTilesX + 1, kTilesZ + 1, kTile, kTile, 1, 0);
    for (int z = 0; z <= kTilesZ; ++z) {
        for (int x = 0; x <= kTilesX; ++x) {
            const float hills = 300 + 220 * std::sin(x / 13.0f) * std::cos(z / 11.0f) +
                                180 * std::sin((x + 2 * z) / 29.0f);
            const bool water = IsWater(x, z);
            height.SafeSetVal(x, z, int(water ? 60 : hills));
            cango.SafeSetVal(x, z, !water || (IsBridge(z) && x < 100));
        }
    }
    // Every flag layer the file holds has the terrain's size, as the game's
    // own navigation files do; no tile is a doodad, a leap or a lock.
    Lumo::Heightmap none;
    none.Create(0, kTilesX + 1, kTilesZ + 1, kTile, kTile, 1, 0);
    GNavMap nav;
    nav.CreateFromFiveMap(height, cango, none, none, none);
    ok = ok && nav.SaveToFile((dir + "\\sample.nav").c_str());

    Lumo::DiskFS fs(data);
    Lumo::Kernel::Inst()->SetDefaultFS(&fs);
    Lumo::TerrainEditor terrain;
    terrain.SetHeightmap(height);
    Lumo::CameraBase camera;
    {
        GameMapEditor ed;
        ed.Create(&terrain, &camera);
        ed.LoadAttDataBase("");
        ed.SetMapIndex(3);
        ed.SetCityName("Riverbend");
        ed.SetTimeZone(8);
        ed.SetWeatherType(1, 4, 0, 0);

        PlaceObjects(ed, nav);
        PlaceAreas(ed, nav);
        ok = ok && ed.WriteEditFile((dir + "\\sample.gmb").c_str()) &&
             ed.WriteMazeObjFile((dir + "\\sample.gma").c_str());
    }
    Lumo::Kernel::Inst()->SetDefaultFS(nullptr);
    if (!ok) {
        std::cerr << "mapedit_sample: cannot write the sample into " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
