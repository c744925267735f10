// A data folder for editor tests: model and effect files with known boxes,
// NPC attribute lists, a terrain and a camera, installed as the engine's
// default file system for the test's lifetime.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "AttListWriter_test.h"
#include "editor/GameMapEditor.h"
#include "lumo/DiskFS.h"
#include "lumo/DrawX.h"
#include "lumo/Kernel.h"
#include "lumo/Log.h"
#include "testsupport/temp_dir.h"

namespace edtest {

using namespace GFC;

// A model or effect file of our engine's form with the given box.
inline std::string ResourceFile(const char* magic, const D3DXVECTOR3& lo, const D3DXVECTOR3& hi) {
    std::string s(magic, 4);
    const float v[6] = {lo.x, lo.y, lo.z, hi.x, hi.y, hi.z};
    s.append(reinterpret_cast<const char*>(v), sizeof v);
    return s;
}

// NPC attribute ids of the fixture's data.
constexpr uint32_t kSmithAtt = 7;          // System\NPC\smith.fak
constexpr uint32_t kWolfAtt = 0x10000002;  // System\Monster\wolf\wolf.fak
constexpr uint32_t kMissingAtt = 99;       // not in the lists

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        Model("models\\rock.fak", {-10, 0, -10}, {10, 40, 10});
        Model("models\\tree.fak", {-20, 0, -20}, {20, 200, 20});
        Model("models\\wall.fak", {-500, 0, -50}, {500, 300, 50});
        Model("System\\NPC\\smith.fak", {-15, 0, -15}, {15, 180, 15});
        Model("System\\Monster\\wolf\\wolf.fak", {-30, 0, -30}, {30, 60, 30});
        testsupport::WriteFile(dir / "effects\\fire.sfx",
                               ResourceFile("LSFX", {-5, 0, -5}, {5, 30, 5}));
        testsupport::WriteFile(dir / attlist::Path(0), attlist::ListFile(std::vector<tagNPCAtt>{
                                                           attlist::Npc(kSmithAtt, "smith", 9),
                                                           attlist::Npc(kWolfAtt, "wolf", 0)}));
        fs = std::make_unique<Lumo::DiskFS>(dir.path());
        Lumo::Kernel::Inst()->SetDefaultFS(fs.get());

        // 65 x 65 samples, 100 world units apart, heights 0 (flat) unless a
        // test shapes them.
        Lumo::Heightmap hm;
        hm.Create(0, 65, 65, 100, 100, 1, 0);
        terrain.SetHeightmap(hm);
        camera.SetViewport(640, 480);
        camera.SetLookAt({3200, 5000, 3200}, {3200, 0, 3200}, {0, 0, 1});
        editor.Create(&terrain, &camera);
        editor.LoadAttDataBase("unused");
        Lumo::DrawX::ClearRecorded();
    }
    void TearDown() override {
        editor.Destroy();
        Lumo::Kernel::Inst()->SetDefaultFS(nullptr);
        Lumo::DrawX::ClearRecorded();
    }

    void Model(const std::string& path, const D3DXVECTOR3& lo, const D3DXVECTOR3& hi) {
        testsupport::WriteFile(dir / path, ResourceFile("LMDL", lo, hi));
    }

    static tagStaticMapObj Static(uint32_t id, const char* model, const D3DXVECTOR3& pos) {
        tagStaticMapObj r{};
        r.id = id;
        std::strncpy(r.modelPath, model, sizeof r.modelPath - 1);
        r.pos = pos;
        r.scale = D3DXVECTOR3(1, 1, 1);
        return r;
    }
    static tagMapNPC Npc(uint32_t id, uint32_t att, const D3DXVECTOR3& pos, float yaw = 0,
                         const char* path = "") {
        tagMapNPC r{};
        r.id = id;
        r.npcAttId = att;
        r.pos = pos;
        r.yaw = yaw;
        std::strncpy(r.wayPointName, path, sizeof r.wayPointName - 1);
        return r;
    }
    static tagMazeWallObj Wall(uint32_t id, const D3DXVECTOR3& pos, float yaw = 0) {
        tagMazeWallObj r{};
        r.id = id;
        std::strcpy(r.modelPath, "models\\wall.fak");
        r.pos = pos;
        r.scale = D3DXVECTOR3(1, 1, 1);
        r.yaw = yaw;
        return r;
    }
    static tagMapWayPoint* WayPoint(const char* name, uint32_t x, uint32_t z) {
        auto* wp = new tagMapWayPoint{};
        std::strncpy(wp->name, name, sizeof wp->name - 1);
        wp->tileX0 = wp->tileX1 = x;
        wp->tileZ0 = wp->tileZ1 = z;
        return wp;
    }

    // A placed object made the way the editor's tools make them.
    GMapObjEdit* Place(const tagStaticMapObj& r) {
        auto* o = new GMapObjEdit;
        EXPECT_TRUE(o->Create(r, &editor));
        o->SetWorldPos(r.pos);
        return o;
    }
    GMapObjEdit* Place(const tagMapNPC& r) {
        auto* o = new GMapObjEdit;
        if (!o->Create(r, &editor)) {
            delete o;
            return nullptr;
        }
        o->SetWorldPos(r.pos);
        o->SetYawForNPC(r.yaw);
        return o;
    }
    GMapObjEdit* Place(const tagMazeWallObj& r) {
        auto* o = new GMapObjEdit;
        EXPECT_TRUE(o->Create(r, &editor));
        o->SetWorldPos(r.pos);
        return o;
    }

    std::string Path(const char* name) const { return dir / name; }
    // A second editor over the same terrain and camera with the map file
    // `name` loaded; null when it does not load.
    std::unique_ptr<GameMapEditor> Reopened(const char* name) {
        auto e = std::make_unique<GameMapEditor>();
        e->Create(&terrain, &camera);
        return e->LoadFromEditFile(Path(name).c_str()) ? std::move(e) : nullptr;
    }

    testsupport::TempDir dir;
    std::unique_ptr<Lumo::DiskFS> fs;
    Lumo::TerrainEditor terrain;
    Lumo::CameraBase camera;
    GameMapEditor editor;
};

}  // namespace edtest
