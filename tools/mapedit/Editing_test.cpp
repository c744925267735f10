#include "Editing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "AttListWriter_test.h"
#include "Picture.h"
#include "View.h"
#include "lumo/DiskFS.h"
#include "lumo/Kernel.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "testsupport/temp_dir.h"

namespace {

using namespace GFC;
using mapedit::AddKind;
using mapedit::EditController;
using mapedit::Selection;
using mapedit::View;

std::string Box(const char* magic, float half, float height) {
    std::string s(magic, 4);
    const float v[6] = {-half, 0, -half, half, height, half};
    s.append(reinterpret_cast<const char*>(v), sizeof v);
    return s;
}

// ------------------------------------------------------------------ view

TEST(MapView, ScreenAndGroundRoundTripAndPanZoomKeepThePointUnderTheMouse) {
    View v;
    v.SetViewport(640, 480);
    v.Fit(16000, 12000);
    // The whole ground shows.
    float x0, y0, x1, y1;
    v.ToScreen({0, 0, 0}, x0, y0);
    v.ToScreen({16000, 0, 12000}, x1, y1);
    for (float c : {x0, x1}) {
        EXPECT_GE(c, -0.01f);
        EXPECT_LE(c, 640.01f);
    }
    for (float c : {y0, y1}) {
        EXPECT_GE(c, -0.01f);
        EXPECT_LE(c, 480.01f);
    }
    // North (z) is up the screen.
    EXPECT_LT(y1, y0);

    std::mt19937 rng(3);
    std::uniform_int_distribution<int> px(0, 639), py(0, 479), step(-200, 200);
    for (int i = 0; i < 200; ++i) {
        const int x = px(rng), y = py(rng);
        // A pixel's ground point shows at the pixel's centre.
        float sx, sy;
        v.ToScreen(v.Ground(x, y), sx, sy);
        EXPECT_NEAR(sx, x + 0.5f, 0.02f);
        EXPECT_NEAR(sy, y + 0.5f, 0.02f);

        // Panning drags the ground with the mouse.
        const D3DXVECTOR3 under = v.Ground(x, y);
        const int dx = step(rng), dy = step(rng);
        v.Pan(dx, dy);
        v.ToScreen(under, sx, sy);
        EXPECT_NEAR(sx, x + dx + 0.5f, 0.05f);
        EXPECT_NEAR(sy, y + dy + 0.5f, 0.05f);

        // Zooming keeps the point under the mouse, in and out.
        const D3DXVECTOR3 at = v.Ground(x, y);
        const float before = v.UnitsPerPixel();
        v.ZoomAt(x, y, i % 2 ? 1.25f : 0.8f);
        EXPECT_NE(v.UnitsPerPixel(), before);
        v.ToScreen(at, sx, sy);
        EXPECT_NEAR(sx, x + 0.5f, 0.05f);
        EXPECT_NEAR(sy, y + 0.5f, 0.05f);
    }
    // Zoom stops at its limits instead of collapsing or running away.
    for (int i = 0; i < 100; ++i) {
        v.ZoomAt(10, 10, 10);
    }
    EXPECT_EQ(v.UnitsPerPixel(), mapedit::kMinUnitsPerPixel);
    for (int i = 0; i < 100; ++i) {
        v.ZoomAt(10, 10, 0.1f);
    }
    EXPECT_EQ(v.UnitsPerPixel(), mapedit::kMaxUnitsPerPixel);
    v.ZoomAt(10, 10, 0);  // no factor: nothing changes
    v.ZoomAt(10, 10, -2);
    EXPECT_EQ(v.UnitsPerPixel(), mapedit::kMaxUnitsPerPixel);
}

TEST(MapView, RectanglesCoverEveryPixelOnceInItsColour) {
    std::mt19937 rng(5);
    for (int round = 0; round < 20; ++round) {
        const int w = 1 + int(rng() % 60), h = 1 + int(rng() % 40);
        mapedit::Picture pic(w, h, 0x102030);
        // Blocks, lines and noise: merged rows and ragged runs.
        for (int i = 0; i < 6; ++i) {
            pic.Fill(float(rng() % w), float(rng() % h), float(rng() % w), float(rng() % h),
                     0x808080 + (rng() % 4), 255);
            pic.Line(float(rng() % w), float(rng() % h), float(rng() % w), float(rng() % h),
                     0xFF0000);
            pic.Set(int(rng() % w), int(rng() % h), uint32_t(rng() & 0xFFFFFF));
        }
        std::vector<int> covered(size_t(w * h), 0);
        for (const mapedit::ColourRect& r : mapedit::RectsOf(pic)) {
            ASSERT_GT(r.w, 0);
            ASSERT_GT(r.h, 0);
            ASSERT_LE(r.x + r.w, w);
            ASSERT_LE(r.y + r.h, h);
            for (int y = r.y; y < r.y + r.h; ++y) {
                for (int x = r.x; x < r.x + r.w; ++x) {
                    ++covered[size_t(y * w + x)];
                    ASSERT_EQ(pic.Get(x, y), r.rgb) << x << "," << y;
                }
            }
        }
        for (int c : covered) {
            ASSERT_EQ(c, 1);
        }
    }
}

// -------------------------------------------------------------- editing

class Editing : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::WriteFile(
            dir / ("data\\" + std::string(attlist::Path(0))),
            attlist::ListFile(std::vector<tagNPCAtt>{attlist::Npc(7, "guard", 9)}));
        testsupport::WriteFile(dir / "data\\System\\NPC\\guard.fak", Box("LMDL", 50, 180));
        testsupport::WriteFile(dir / "data\\models\\house.fak", Box("LMDL", 150, 300));
        data = std::make_unique<Lumo::DiskFS>(dir / "data");
        Lumo::Kernel::Inst()->SetDefaultFS(data.get());
        session.Editor().LoadAttDataBase("");
        session.mapPath = dir / "town.gmb";
        Run({"add-static",
             "models\\house.fak",
             "1000",
             "0",
             "1000",  //
             "add-npc",
             "7",
             "3000",
             "0",
             "2000",
             "0",  //
             "add-waypoint",
             "patrol",
             "40",
             "40",  //
             "add-waypoint",
             "patrol",
             "45",
             "40",  //
             "add-sound",
             "2000",
             "0",
             "4500",  //
             "add-gather",
             "10",
             "50",  //
             "add-trigger",
             "50",
             "10",
             "55",
             "14"});
        ed = std::make_unique<EditController>(session);
        ed->GetView().SetViewport(640, 480);
        ed->GetView().Fit(6400, 6400);
    }
    void TearDown() override {
        ed.reset();
        Lumo::Kernel::Inst()->SetDefaultFS(nullptr);
    }
    void Run(const std::vector<std::string>& words) { session.Run(words); }
    // The pixel showing a world point.
    std::pair<int, int> At(const D3DXVECTOR3& p) {
        float x, y;
        ed->GetView().ToScreen(p, x, y);
        return {int(std::floor(x)), int(std::floor(y))};
    }
    // The pixel showing the middle of a tile.
    std::pair<int, int> AtTile(int x, int z) {
        return At(D3DXVECTOR3((x + 0.5f) * 100.0f, 0, (z + 0.5f) * 100.0f));
    }
    // What saving would write: the map and its maze walls.
    std::string Saved() { return ed->MapBytes() + '|' + ed->MazeBytes(); }
    std::string Listed() {
        std::ostringstream out;
        std::streambuf* old = session.Out().rdbuf(out.rdbuf());
        session.Run({"list"});
        session.Out().rdbuf(old);
        return out.str();
    }

    testsupport::TempDir dir;
    std::unique_ptr<Lumo::DiskFS> data;
    std::ostringstream printed;
    mapedit::Session session{printed};
    std::unique_ptr<EditController> ed;
};

TEST_F(Editing, PicksEachKindWhereItIsDrawnAndShowsItsListLine) {
    auto [nx, ny] = At({3000, 0, 2000});
    Selection s = ed->PickAt(nx, ny);
    EXPECT_EQ(s.kind, Selection::kNpc);
    EXPECT_EQ(s.id, 0u);
    ASSERT_NE(session.Editor().GetSelectedObj(), nullptr);
    EXPECT_EQ(session.Editor().GetSelectedObj()->GetType(), GMapObjEdit::ET_NPC);
    EXPECT_EQ(ed->Status(), "npc 0 7 3000 0 2000 0 -");
    EXPECT_NE(Listed().find(ed->Status() + "\n"), std::string::npos);

    auto [hx, hy] = At({1000, 0, 1000});
    EXPECT_EQ(ed->PickAt(hx, hy).kind, Selection::kStatic);
    EXPECT_EQ(ed->Status().rfind("static 0 1000 0 1000 ", 0), 0u) << ed->Status();

    auto [wx, wy] = At({4500, 0, 4000});  // a way point stands on its tile's corner
    s = ed->PickAt(wx, wy);
    EXPECT_EQ(s.kind, Selection::kWayPoint);
    EXPECT_EQ(s.path, "patrol");
    EXPECT_EQ(s.seq, 1);
    EXPECT_EQ(ed->Status(), "waypoint patrol 1 45 40 45 40");
    // One selection at a time: the object picked before is no longer.
    EXPECT_EQ(session.Editor().GetSelectedObj(), nullptr);
    EXPECT_NE(session.Editor().GetCurPickedWayPoint(), nullptr);

    auto [sx, sy] = At({2000, 0, 4500});
    EXPECT_EQ(ed->PickAt(sx, sy).kind, Selection::kSound);
    auto [gx, gy] = AtTile(11, 51);
    EXPECT_EQ(ed->PickAt(gx, gy).kind, Selection::kGather);
    auto [tx, ty] = AtTile(52, 12);
    s = ed->PickAt(tx, ty);
    EXPECT_EQ(s.kind, Selection::kTrigger);
    EXPECT_EQ(ed->Status(), "trigger 0 50 10 55 14");
    EXPECT_EQ(session.Editor().GetCurPickedTrigger(), session.Editor().GetTriggerData(0));

    // Bare ground: nothing, and nothing stays selected.
    auto [ex, ey] = AtTile(20, 20);
    EXPECT_EQ(ed->PickAt(ex, ey).kind, Selection::kNone);
    EXPECT_EQ(session.Editor().GetCurPickedTrigger(), nullptr);
    EXPECT_EQ(ed->Status(), "");
}

TEST_F(Editing, DraggingMovesThePickAsOneStepThatUndoesToTheSameBytes) {
    const std::string before = ed->MapBytes();
    EXPECT_FALSE(ed->Dirty());
    auto [x, y] = At({3000, 0, 2000});
    ed->BeginDrag(x, y);
    ASSERT_TRUE(ed->Dragging());
    ed->DragTo(x + 10, y);
    ed->DragTo(x + 20, y - 10);  // several moves, one step
    ed->EndDrag();
    EXPECT_EQ(ed->UndoSteps(), 1u);
    EXPECT_TRUE(ed->Dirty());
    const float upp = ed->GetView().UnitsPerPixel();
    const D3DXVECTOR3 p = session.Editor().FindMapObjEdit(GMapObjEdit::ET_NPC, 0)->GetWorldPos();
    EXPECT_NEAR(p.x, 3000 + 20 * upp, 0.01f * upp);
    EXPECT_NEAR(p.z, 2000 + 10 * upp, 0.01f * upp);
    EXPECT_EQ(ed->Picked().kind, Selection::kNpc);
    const std::string moved = ed->MapBytes();

    ASSERT_TRUE(ed->Undo());
    EXPECT_TRUE(ed->MapBytes() == before);
    EXPECT_FALSE(ed->Dirty());
    // The pick survives the reload.
    EXPECT_EQ(ed->Picked().kind, Selection::kNpc);
    EXPECT_NE(session.Editor().GetSelectedObj(), nullptr);
    ASSERT_TRUE(ed->Redo());
    EXPECT_TRUE(ed->MapBytes() == moved);
    EXPECT_FALSE(ed->Redo());

    // A press on bare ground drags nothing and adds no step.
    auto [ex, ey] = AtTile(20, 20);
    ed->BeginDrag(ex, ey);
    EXPECT_FALSE(ed->Dragging());
    ed->DragTo(ex + 50, ey);
    ed->EndDrag();
    EXPECT_EQ(ed->UndoSteps(), 1u);

    // Tile kinds move by whole tiles: the trigger keeps its size.
    auto [tx, ty] = AtTile(52, 12);
    ed->BeginDrag(tx, ty);
    auto [t2x, t2y] = AtTile(62, 22);
    ed->DragTo(t2x, t2y);
    ed->EndDrag();
    const tagMapTrigger* t = session.Editor().GetTriggerData(0);
    EXPECT_EQ(t->tileX0, 60);
    EXPECT_EQ(t->tileZ0, 20);
    EXPECT_EQ(t->tileX1, 65);
    EXPECT_EQ(t->tileZ1, 24);
}

TEST_F(Editing, RubberBandAddsATriggerOverTheTilesBetweenItsCorners) {
    // Dragged from the top right to the bottom left: corners come out low to
    // high all the same.
    auto [ax, ay] = AtTile(30, 25);
    auto [bx, by] = AtTile(22, 18);
    ed->BeginBand(ax, ay);
    ed->BandTo(bx + 5, by);
    EXPECT_TRUE(ed->Banding());
    std::string out;
    ASSERT_TRUE(ed->EndBand(bx, by, out)) << out;
    EXPECT_EQ(out, "trigger 1\n");
    EXPECT_EQ(ed->Picked().kind, Selection::kTrigger);
    EXPECT_EQ(ed->Picked().id, 1u);
    EXPECT_EQ(ed->Status(), "trigger 1 22 18 30 25");
    EXPECT_FALSE(ed->Banding());
    ASSERT_TRUE(ed->Undo());
    EXPECT_EQ(session.Editor().GetTriggerData(1), nullptr);
    EXPECT_EQ(ed->Picked().kind, Selection::kNone);
}

TEST_F(Editing, EveryKeyEditUndoesAndRedoesToTheSameBytes) {
    std::vector<std::string> states{Saved()};
    std::string out;
    auto step = [&](bool ok) {
        ASSERT_TRUE(ok) << out;
        states.push_back(Saved());
        EXPECT_TRUE(states.back() != states[states.size() - 2]) << out;
    };
    auto [hx, hy] = At({1000, 0, 1000});
    ed->PickAt(hx, hy);
    auto [cx, cy] = AtTile(20, 30);
    step(ed->AddAt(AddKind::kStatic, cx, cy, out));  // a second house
    EXPECT_EQ(ed->Status().rfind("static 1 ", 0), 0u);
    EXPECT_NE(ed->Status().find("models\\house.fak"), std::string::npos);
    step(ed->TurnPicked(mapedit::kTurnStepDegrees, out));
    step(ed->ScalePicked(mapedit::kScaleStep, out));
    EXPECT_NE(ed->Status().find(" yaw 15 scale 1.1"), std::string::npos) << ed->Status();
    step(ed->AddAt(AddKind::kNpc, cx + 30, cy, out));  // copies the map's NPC
    EXPECT_EQ(ed->Status().rfind("npc 1 7 ", 0), 0u);
    step(ed->AddAt(AddKind::kWayPoint, cx + 60, cy, out));  // a new path for the NPC
    EXPECT_EQ(ed->Picked().path, "path1");
    EXPECT_NE(Listed().find("npc 1 7 "), std::string::npos);
    step(ed->AddAt(AddKind::kWayPoint, cx + 60, cy + 30, out));  // the picked path grows
    EXPECT_EQ(ed->Picked().path, "path1");
    EXPECT_EQ(ed->Picked().seq, 1);
    step(ed->AddAt(AddKind::kSound, cx, cy + 60, out));
    step(ed->AddAt(AddKind::kGather, cx + 100, cy + 60, out));
    step(ed->AddAt(AddKind::kChopField, cx + 150, cy + 60, out));
    step(ed->AddAt(AddKind::kWall, cx, cy + 150, out));
    EXPECT_EQ(ed->Picked().kind, Selection::kWall);
    step(ed->TurnPicked(-mapedit::kTurnStepDegrees, out));
    step(ed->DeletePicked(out));
    EXPECT_EQ(ed->Picked().kind, Selection::kNone);
    // A console line is one step, however many commands it holds.
    step(ed->Apply({"add-sound", "1", "2", "3", "add-sound", "4", "5", "6"}, out));

    // What cannot be done changes nothing and adds no step.
    const size_t steps = ed->UndoSteps();
    EXPECT_FALSE(ed->ScalePicked(2, out));
    auto [sx, sy] = At({2000, 0, 4500});
    ed->PickAt(sx, sy);
    EXPECT_FALSE(ed->TurnPicked(15, out));
    EXPECT_FALSE(ed->Apply({"move", "npc", "99", "1", "2", "3"}, out));
    EXPECT_NE(out.find("mapedit: move: no npc 99"), std::string::npos) << out;
    EXPECT_EQ(ed->UndoSteps(), steps);
    EXPECT_TRUE(Saved() == states.back());

    for (size_t i = states.size() - 1; i-- > 0;) {
        ASSERT_TRUE(ed->Undo());
        ASSERT_TRUE(Saved() == states[i]) << "undo to state " << i;
    }
    EXPECT_FALSE(ed->Undo());
    EXPECT_FALSE(ed->Dirty());
    for (size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(ed->Redo());
        ASSERT_TRUE(Saved() == states[i]) << "redo to state " << i;
    }
    // A new change after undoing forgets what could have been redone.
    ASSERT_TRUE(ed->Undo());
    step(ed->Apply({"add-sound", "7", "8", "9"}, out));
    EXPECT_EQ(ed->RedoSteps(), 0u);
}

TEST_F(Editing, SavingWritesTheBytesAndClearsTheUnsavedMark) {
    std::string out;
    ASSERT_TRUE(ed->Apply({"add-sound", "1", "2", "3"}, out));
    EXPECT_TRUE(ed->Dirty());
    ASSERT_TRUE(ed->Save(out)) << out;
    EXPECT_FALSE(ed->Dirty());
    auto saved = platform::ReadWholeFile(dir / "town.gmb");
    ASSERT_TRUE(saved);
    EXPECT_TRUE(*saved == ed->MapBytes());
    // Undoing past the save makes it unsaved again; redoing comes back.
    ASSERT_TRUE(ed->Undo());
    EXPECT_TRUE(ed->Dirty());
    ASSERT_TRUE(ed->Redo());
    EXPECT_FALSE(ed->Dirty());

    // A command that only names "save" (a patrol path, a name) saves
    // nothing: the map stays unsaved, and closing asks.
    ASSERT_TRUE(ed->Apply({"add-waypoint", "save", "3", "4"}, out)) << out;
    EXPECT_TRUE(ed->Dirty());

    // A failed save does not count as saved.
    ASSERT_TRUE(ed->Apply({"add-sound", "4", "5", "6"}, out));
    session.mapPath = dir / "no-such-folder\\town.gmb";
    out.clear();
    EXPECT_FALSE(ed->Save(out));
    EXPECT_NE(out.find("cannot write"), std::string::npos) << out;
    EXPECT_TRUE(ed->Dirty());
}

TEST_F(Editing, UndoNeverEmptiesTheMapWhenSnapshotsCannotBeWritten) {
    const std::string tmp = dir / "undo";
    ASSERT_TRUE(platform::CreateDirectory(tmp));
    const std::string native = platform::NativePath(tmp);
    testsupport::ScopedEnv tmpdir("TMPDIR", native), tmpvar("TMP", native), temp("TEMP", native);
    ed = std::make_unique<EditController>(session);
    std::string out;
    ASSERT_TRUE(ed->Apply({"add-sound", "1", "2", "3"}, out));
    ASSERT_EQ(ed->UndoSteps(), 1u);

    testsupport::RemoveTree(tmp);  // from here on no snapshot can be written
    ASSERT_TRUE(ed->Apply({"add-sound", "4", "5", "6"}, out));  // the change is made...
    EXPECT_EQ(ed->UndoSteps(), 1u);                             // ...without a step
    const std::string listed = Listed();
    EXPECT_FALSE(ed->Undo());
    EXPECT_EQ(Listed(), listed);  // nothing lost

    // Once snapshots can be written again, the change without a step undoes
    // together with the next.
    ASSERT_TRUE(platform::CreateDirectory(tmp));
    ASSERT_TRUE(ed->Apply({"add-sound", "7", "8", "9"}, out));
    EXPECT_EQ(ed->UndoSteps(), 2u);
    ASSERT_TRUE(ed->Undo());
    const std::string back = Listed();
    EXPECT_NE(back.find("sound 1 1 2 3\n"), std::string::npos) << back;
    EXPECT_EQ(back.find("sound 2 "), std::string::npos) << back;
}

// Random scenes: what the window picks at a pixel is what a brute-force
// walk of that pixel's ray (the view's camera) through the object boxes finds.
TEST_F(Editing, PicksAgreeWithBruteForceRayWalksOnRandomScenes) {
    std::mt19937 rng(21);
    std::uniform_real_distribution<float> pos(500, 5800), half(10, 150), tall(20, 400);
    std::uniform_int_distribution<int> px(0, 639), py(0, 479);
    int found = 0;
    for (int scene = 0; scene < 20; ++scene) {
        session.Editor().ClearEditList();
        std::vector<GMapObjEdit*> placed;
        for (int i = 0; i < 25; ++i) {
            const std::string model =
                "models\\r" + std::to_string(scene) + "_" + std::to_string(i) + ".fak";
            testsupport::WriteFile(dir / ("data\\" + model), Box("LMDL", half(rng), tall(rng)));
            Run({"add-static", model, std::to_string(pos(rng)), "0", std::to_string(pos(rng))});
            placed.push_back(session.Editor().GetMapObjEditList().back());
        }
        View& v = ed->GetView();
        v.Fit(6400, 6400);
        v.ZoomAt(px(rng), py(rng), 1 + float(rng() % 300) / 100.0f);
        const Lumo::CameraBase cam = v.Camera();
        for (int n = 0; n < 40; ++n) {
            int x = px(rng), y = py(rng);
            if (n % 2) {
                float sx, sy;
                v.ToScreen(placed[rng() % placed.size()]->GetWorldPos(), sx, sy);
                x = std::clamp(int(sx) + int(rng() % 9) - 4, 0, 639);
                y = std::clamp(int(sy) + int(rng() % 9) - 4, 0, 479);
            }
            Lumo::Ray ray;
            cam.GetMouseRay(x, y, ray);
            const float down = -ray.dir.y;
            const float t0 = (ray.origin.y - 450) / down, t1 = (ray.origin.y + 1) / down;
            const GMapObjEdit* want = nullptr;
            for (const GMapObjEdit* o : placed) {
                const Lumo::AABBox box = o->GetSGNode()->GetAABBox();
                for (float t = t0; t < t1 && !want; t += 0.5f) {
                    if (box.Contains(ray.PointAt(t))) {
                        want = o;
                    }
                }
                if (want) {
                    break;
                }
            }
            const Selection& s = ed->PickAt(x, y);
            const GMapObjEdit* chosen = session.Editor().GetSelectedObj();
            if (want) {
                ++found;
                ASSERT_EQ(s.kind, Selection::kStatic) << scene << " " << x << "," << y;
                ASSERT_EQ(chosen, want) << scene << " " << x << "," << y;
                EXPECT_EQ(s.id, want->GetMapID());
            } else if (chosen) {
                // Only a graze the stepped walk slipped past may differ.
                EXPECT_FALSE(
                    ray.Intersect(chosen->GetSGNode()->GetAABBox().Inflated(-1, -1, -1)).first)
                    << scene << " " << x << "," << y;
            }
        }
    }
    EXPECT_GT(found, 150);
}

}  // namespace
