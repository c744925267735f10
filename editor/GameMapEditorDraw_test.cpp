#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "EditorFixture_test.h"

namespace {

using namespace GFC;
using edtest::EditorTest;
using Lumo::DrawCall;

std::vector<DrawCall> Calls(DrawCall::Kind kind, uint32_t colour) {
    std::vector<DrawCall> out;
    for (const DrawCall& c : Lumo::DrawX::GetRecorded()) {
        if (c.kind == kind && c.colour == colour) {
            out.push_back(c);
        }
    }
    return out;
}

// The pixel where a world point shows.
std::pair<int, int> ScreenOf(const Lumo::CameraBase& cam, const D3DXVECTOR3& p) {
    float sx, sy;
    EXPECT_TRUE(cam.WorldToScreen(p, sx, sy));
    return {int(std::floor(sx)), int(std::floor(sy))};
}

TEST_F(EditorTest, WithoutACameraMousePicksChangeNothing) {
    GMapObjEdit* o = Place(Static(1, "models\\rock.fak", {3200, 0, 3200}));
    GameMapEditor blind;
    blind.Create(&terrain, nullptr);
    auto* placed = new GMapObjEdit;
    placed->Create(Static(2, "models\\rock.fak", {3200, 0, 3200}), &blind);
    blind.SetSelectObj(placed);
    EXPECT_FALSE(blind.SelectObjByMouse(320, 240));
    EXPECT_FALSE(blind.SelectObjByMouseEx(320, 240, GMapObjEdit::ET_STATIC));
    EXPECT_EQ(blind.GetSelectedObj(), placed);
    D3DXVECTOR3 hit;
    EXPECT_FALSE(blind.MousePick(320, 240, hit));
    // With the camera, the rock under the centre is found.
    auto [x, y] = ScreenOf(camera, {3200, 20, 3200});
    EXPECT_TRUE(editor.SelectObjByMouse(x, y));
    EXPECT_EQ(editor.GetSelectedObj(), o);
    EXPECT_FALSE(editor.SelectObjByID(1));
}

TEST_F(EditorTest, TheFirstObjectInTheListWinsWhateverItsDistance) {
    // A low rock placed first, a tall tree over it placed second: the ray
    // meets the tree first, but the rock is earlier in the list.
    GMapObjEdit* rock = Place(Static(1, "models\\rock.fak", {3200, 0, 3200}));
    GMapObjEdit* tree = Place(Static(2, "models\\tree.fak", {3200, 0, 3200}));
    GMapObjEdit* npc = Place(Npc(3, edtest::kSmithAtt, {3200, 0, 3200}));
    auto [x, y] = ScreenOf(camera, {3200, 0, 3200});
    ASSERT_TRUE(editor.SelectObjByMouse(x, y));
    EXPECT_EQ(editor.GetSelectedObj(), rock);
    ASSERT_TRUE(editor.SelectObjByMouseEx(x, y, GMapObjEdit::ET_DYNAMIC));  // 0: any type
    EXPECT_EQ(editor.GetSelectedObj(), rock);
    ASSERT_TRUE(editor.SelectObjByMouseEx(x, y, GMapObjEdit::ET_NPC));
    EXPECT_EQ(editor.GetSelectedObj(), npc);
    EXPECT_FALSE(editor.SelectObjByMouseEx(x, y, GMapObjEdit::ET_MAZEWALL));
    EXPECT_EQ(editor.GetSelectedObj(), nullptr);  // cleared by the miss
    // Far from everything: nothing.
    EXPECT_FALSE(editor.SelectObjByMouse(0, 0));
    (void)tree;

    // An object without a model is found by its effect's box.
    GMapObjEdit* fire = Place(Static(4, "effects\\fire.sfx", {2000, 0, 2000}));
    auto [fx, fy] = ScreenOf(camera, {2000, 10, 2000});
    ASSERT_TRUE(editor.SelectObjByMouse(fx, fy));
    EXPECT_EQ(editor.GetSelectedObj(), fire);
}

// Random scenes: the editor's pick against a brute-force one that walks each
// object's box with the mouse ray in small steps.
TEST_F(EditorTest, MousePicksAgreeWithBruteForceRayWalksOnRandomScenes) {
    std::mt19937 rng(12);
    std::uniform_real_distribution<float> pos(1800, 4600), half(10, 120), tall(20, 400),
        turn(0, 6.28f);
    std::uniform_int_distribution<int> px(0, 639), py(0, 479);
    int found = 0;
    for (int scene = 0; scene < 40; ++scene) {
        editor.ClearEditList();
        std::vector<GMapObjEdit*> placed;
        for (int i = 0; i < 25; ++i) {
            const std::string model = "models\\m" + std::to_string(scene) + "_" +
                                      std::to_string(i) + (i % 5 == 4 ? ".sfx" : ".fak");
            const float h = half(rng);
            testsupport::WriteFile(dir / model,
                                   edtest::ResourceFile(i % 5 == 4 ? "LSFX" : "LMDL", {-h, 0, -h},
                                                        {h, tall(rng), h * 0.5f}));
            tagStaticMapObj r = Static(uint32_t(i), model.c_str(), {pos(rng), 0, pos(rng)});
            r.rot.x = turn(rng);
            placed.push_back(Place(r));
        }
        auto boxOf = [](const GMapObjEdit* o) {
            return o->GetSGNode() ? o->GetSGNode()->GetAABBox() : o->GetSGEffectNode()->GetBox();
        };
        for (int n = 0; n < 30; ++n) {
            // Half the rays go near an object, so that hits are common.
            int x = px(rng), y = py(rng);
            if (n % 2) {
                const D3DXVECTOR3 c = placed[size_t(rng() % placed.size())]->GetWorldPos();
                float sx, sy;
                camera.WorldToScreen(c, sx, sy);
                x = std::clamp(int(sx) + int(rng() % 21) - 10, 0, 639);
                y = std::clamp(int(sy) + int(rng() % 21) - 10, 0, 479);
            }
            Lumo::Ray ray;
            camera.GetMouseRay(x, y, ray);
            // From 450 above the ground (higher than any object) to just below it.
            const float down = -ray.dir.y;
            const float t0 = (ray.origin.y - 450) / down, t1 = (ray.origin.y + 1) / down;
            GMapObjEdit* want = nullptr;
            for (GMapObjEdit* o : placed) {
                const Lumo::AABBox box = boxOf(o);
                for (float t = t0; t < t1 && !want; t += 0.5f) {
                    if (box.Contains(ray.PointAt(t))) {
                        want = o;
                    }
                }
                if (want) {
                    break;
                }
            }
            const bool got = editor.SelectObjByMouse(x, y);
            GMapObjEdit* chosen = editor.GetSelectedObj();
            EXPECT_EQ(got, chosen != nullptr);
            if (want) {
                ++found;
                ASSERT_NE(chosen, nullptr) << scene << " " << x << "," << y;
            }
            if (chosen != want) {
                // Only a graze the stepped walk slipped past may differ: the
                // ray then misses the chosen box shrunk by one unit.
                ASSERT_NE(chosen, nullptr) << scene << " " << x << "," << y;
                EXPECT_FALSE(ray.Intersect(boxOf(chosen).Inflated(-1, -1, -1)).first)
                    << scene << " " << x << "," << y;
            }
        }
    }
    EXPECT_GT(found, 400);
}

TEST_F(EditorTest, PositionPicksByDistanceAndTileRanges) {
    int seq;
    editor.AddWayPoint(WayPoint("a", 10, 10), seq);  // world (1000, 0, 1000)
    editor.PickWayPoint({1050, 0, 1000});            // exactly 50 away: no
    EXPECT_EQ(editor.GetCurPickedWayPoint(), nullptr);
    editor.PickWayPoint({1000, 0, 1049.9f});
    EXPECT_EQ(editor.GetCurPickedWayPoint(), editor.GetWayPointData("a", 0));
    editor.PickWayPoint({0, 0, 0});
    EXPECT_EQ(editor.GetCurPickedWayPoint(), nullptr);  // cleared first

    auto* g = new tagGatherObj{};
    g->tileX = g->tileZ = 10;
    editor.AddGather(g);
    for (int t = 6; t <= 16; ++t) {
        editor.PickGather({t * 100.0f + 50, 0, 1050});
        EXPECT_EQ(editor.GetCurPickedGather() == g, t >= 8 && t <= 14) << t;
        editor.PickGather({1050, 0, t * 100.0f + 50});
        EXPECT_EQ(editor.GetCurPickedGather() == g, t >= 8 && t <= 14) << t;
    }

    auto* first = new tagMapTrigger{};
    first->tileX0 = 5;
    first->tileZ0 = 5;
    first->tileX1 = 8;
    first->tileZ1 = 6;
    auto* second = new tagMapTrigger(*first);
    second->tileX1 = 20;
    editor.AddTrigger(first);
    editor.AddTrigger(second);
    editor.PickTrigger({850, 0, 650});  // tile (8, 6): both; the first wins
    EXPECT_EQ(editor.GetCurPickedTrigger(), first);
    editor.PickTrigger({950, 0, 650});
    EXPECT_EQ(editor.GetCurPickedTrigger(), second);
    editor.PickTrigger({950, 0, 750});
    EXPECT_EQ(editor.GetCurPickedTrigger(), nullptr);

    int id;
    auto* s = new tagMapSound{};
    s->pos = D3DXVECTOR3(3000, 50, 3000);
    editor.AddSound(s, id);
    auto [x, y] = ScreenOf(camera, {3090, 50, 3000});
    editor.PickSoundBox(x, y);
    EXPECT_EQ(editor.GetSelectedSound(), s);
    std::tie(x, y) = ScreenOf(camera, {3150, 50, 3000});
    editor.PickSoundBox(x, y);
    EXPECT_EQ(editor.GetSelectedSound(), nullptr);
}

TEST_F(EditorTest, OverlapTestsForMazeWallsAndChopFields) {
    GMapObjEdit* a = Place(Wall(1, {1000, 0, 1000}));
    // Footprints 1000 wide: a wall at 2000 only touches the first.
    GMapObjEdit* b = Place(Wall(2, {2000, 0, 1000}));
    EXPECT_FALSE(editor.IsIntersectBetweenMazeWalls(editor.MazeWallFootprint(*b), b));
    EXPECT_TRUE(editor.IsIntersectBetweenMazeWalls(editor.MazeWallFootprint(*b), nullptr));
    b->SetWorldPos({1990, 0, 1000});
    EXPECT_TRUE(editor.IsIntersectBetweenMazeWalls(editor.MazeWallFootprint(*b), b));
    EXPECT_TRUE(editor.IsIntersectBetweenMazeWalls(editor.MazeWallFootprint(*a), a));
    auto [x, y] = ScreenOf(camera, {1000, 150, 1000});
    editor.PickMazeWallByMouse(x, y);
    EXPECT_EQ(editor.GetSelectMazeWall(), a);

    tagChopField rec{};
    rec.id = 1;
    rec.type = 1;  // 32 tiles
    rec.tileX = rec.tileZ = 10;
    auto* c = new GMapChopFieldObjEdit;
    c->Create(rec, &editor);
    EXPECT_TRUE(editor.IsIntersectBetweenChopFields({20, 20}, 1));
    EXPECT_FALSE(editor.IsIntersectBetweenChopFields({42, 10}, 1));  // touching at tile 42
    EXPECT_TRUE(editor.IsIntersectBetweenChopFields({41, 10}, 1));
    EXPECT_TRUE(editor.IsIntersectBetweenChopFields({0, 0}, 0));  // 64 tiles reach it
    std::tie(x, y) = ScreenOf(camera, {2600, 0, 2600});
    editor.PickChopFieldByMouse(x, y);
    EXPECT_EQ(editor.GetSelectChopField(), c);
    std::tie(x, y) = ScreenOf(camera, {4300, 0, 2600});
    editor.PickChopFieldByMouse(x, y);
    EXPECT_EQ(editor.GetSelectChopField(), nullptr);
}

TEST_F(EditorTest, DrawEditUsesTheGivenShapesAndColours) {
    GMapObjEdit* npc = Place(Npc(1, edtest::kSmithAtt, {1000, 0, 2000}));
    editor.SetSelectObj(npc);
    auto* t1 = new tagMapTrigger{};
    t1->tileX0 = 1;
    t1->tileZ0 = 2;
    t1->tileX1 = 3;
    t1->tileZ1 = 4;
    auto* t2 = new tagMapTrigger(*t1);
    editor.AddTrigger(t1);
    editor.AddTrigger(t2);
    editor.SetCurPickedTrigger(t2);
    int seq, id;
    editor.AddWayPoint(WayPoint("r", 30, 30), seq);
    editor.AddWayPoint(WayPoint("r", 31, 32), seq);
    editor.AddWayPoint(WayPoint("s", 33, 33), seq);
    editor.AddWayPoint(WayPoint("far", 0, 0), seq);  // within 128 tiles of the look-at
    auto* s = new tagMapSound{};
    s->pos = D3DXVECTOR3(500, 0, 500);
    editor.AddSound(s, id);
    auto* g = new tagGatherObj{};
    g->tileX = 7;
    g->tileZ = 8;
    editor.AddGather(g);
    editor.SetCurPosForTrigger(true, {100, 0, 100});
    editor.SetStartPosForTrigger({0, 0, 0});
    editor.SetDrawPickFlagForTrigger(true);
    editor.SetCurPosForPickTrigger({700, 0, 700});
    editor.SetChopFieldZone({2, 2});
    editor.SetDrawChopFieldType(1);
    editor.SetIsDrawChopFieldZone(true);
    Lumo::DrawX::ClearRecorded();
    editor.DrawEdit();

    // The selected NPC's box in red and the ground around it.
    auto red = Calls(DrawCall::AABBOX, kColourSelected);
    ASSERT_GE(red.size(), 2u);  // the NPC and the picked trigger
    EXPECT_EQ(red[0].from, D3DXVECTOR3(985, 0, 1985));
    auto quads = Calls(DrawCall::GROUND_QUAD, 0xFFFA0005);
    ASSERT_EQ(quads.size(), 1u);
    EXPECT_EQ(quads[0].x, 5);
    EXPECT_EQ(quads[0].y, 15);
    EXPECT_EQ(quads[0].w, 15);
    EXPECT_EQ(quads[0].h, 25);
    // Triggers: one yellow, the picked one red, both 100 high over their tiles.
    auto yellow = Calls(DrawCall::AABBOX, kColourTrigger);
    ASSERT_EQ(yellow.size(), 1u);
    EXPECT_EQ(yellow[0].from, D3DXVECTOR3(100, 0, 200));
    EXPECT_EQ(yellow[0].to, D3DXVECTOR3(300, 100, 400));
    EXPECT_EQ(red[1].to, D3DXVECTOR3(300, 100, 400));
    EXPECT_EQ(Calls(DrawCall::LINE_3D, kColourTrigger).size(), 2u);  // the drag
    EXPECT_EQ(Calls(DrawCall::AABBOX, kColourPickCursor).size(), 1u);
    // Way points: one path line (r0-r1), a box and four area lines each.
    EXPECT_EQ(Calls(DrawCall::AABBOX, kColourWayPoint).size(), 4u);
    EXPECT_EQ(Calls(DrawCall::LINE_3D, kColourWayPoint).size(), 1u + 4 * 4);
    auto sound = Calls(DrawCall::AABBOX, kColourSound);
    ASSERT_EQ(sound.size(), 1u);
    EXPECT_EQ(sound[0].from, D3DXVECTOR3(400, -100, 400));
    auto gather = Calls(DrawCall::AABBOX, kColourGather);
    ASSERT_EQ(gather.size(), 1u);
    EXPECT_EQ(gather[0].from, D3DXVECTOR3(700, 0, 800));
    EXPECT_EQ(gather[0].to, D3DXVECTOR3(800, 100, 900));
    auto zone = Calls(DrawCall::AABBOX, kColourZone);
    ASSERT_EQ(zone.size(), 1u);
    EXPECT_EQ(zone[0].to, D3DXVECTOR3(3400, 0, 3400));

    // Way points far from the camera's look-at are left out.
    camera.SetLookAt({30000, 5000, 30000}, {30000, 0, 30000}, {0, 0, 1});
    Lumo::DrawX::ClearRecorded();
    editor.DrawWayPoint();
    EXPECT_TRUE(Calls(DrawCall::AABBOX, kColourWayPoint).empty());
}

TEST_F(EditorTest, TheMazeGridIsDrawnInSegmentsWithinItsRadius) {
    editor.IsDrawWholeMazeWallZone(true, {3200, 0, 3200}, 20);
    editor.SetMazeWallZone({0, 0, 0}, {500, 0, 500}, 1);
    editor.SetIsDrawMazeWallZone(true);
    Lumo::DrawX::ClearRecorded();
    editor.DrawMazeWallZone();
    auto lines = Calls(DrawCall::LINE_3D, kColourPickCursor);
    // Radius 2000 around the centre (tile 32): only the grid points at tiles
    // 20 and 40 are in reach, four segments around the centre.
    ASSERT_FALSE(lines.empty());
    for (const DrawCall& l : lines) {
        EXPECT_EQ(l.from.y, 10);
        EXPECT_LE(std::hypot(l.from.x - 3200, l.from.z - 3200), 2000.01);
        EXPECT_LE(std::hypot(l.to.x - 3200, l.to.z - 3200), 2000.01);
        EXPECT_EQ(std::fabs(l.to.x - l.from.x) + std::fabs(l.to.z - l.from.z), 2000);
    }
    EXPECT_EQ(lines.size(), 4u);
    EXPECT_EQ(Calls(DrawCall::AABBOX, kColourZone).size(), 1u);
}

}  // namespace
