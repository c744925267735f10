#include <gtest/gtest.h>

#include <cmath>

#include "EditorFixture_test.h"
#include "lumo/Transform.h"

namespace {

using namespace GFC;
using edtest::EditorTest;

void ExpectBox(const Lumo::AABBox& box, const D3DXVECTOR3& lo, const D3DXVECTOR3& hi) {
    EXPECT_NEAR(box.min.x, lo.x, 1e-3);
    EXPECT_NEAR(box.min.y, lo.y, 1e-3);
    EXPECT_NEAR(box.min.z, lo.z, 1e-3);
    EXPECT_NEAR(box.max.x, hi.x, 1e-3);
    EXPECT_NEAR(box.max.y, hi.y, 1e-3);
    EXPECT_NEAR(box.max.z, hi.z, 1e-3);
}

constexpr float kHalfPi = 1.57079633f;

const Lumo::NullSceneGraph& Graph(const GameMapEditor& e) {
    return *static_cast<const Lumo::NullSceneGraph*>(e.GetSceneGraph());
}

TEST(Transform, OperationsApplyInCallOrderAndYawTurnsXTowardMinusZ) {
    Lumo::Transform t;
    EXPECT_EQ(t.GetMatrix(), D3DXMATRIX());
    t.Scale({2, 3, 4});
    t.Rotate(kHalfPi, 0, 0);
    t.Translate({100, 0, 0});
    const D3DXVECTOR3 p = Lumo::TransformCoord({1, 1, 1}, t.GetMatrix());
    // Scaled to (2, 3, 4), turned: x -> -z, z -> x, then moved.
    EXPECT_NEAR(p.x, 104, 1e-4);
    EXPECT_NEAR(p.y, 3, 1e-4);
    EXPECT_NEAR(p.z, -2, 1e-4);
    Lumo::Transform pitch;
    pitch.Rotate(0, kHalfPi, 0);  // about x: y -> z
    const D3DXVECTOR3 q = Lumo::TransformCoord({0, 1, 0}, pitch.GetMatrix());
    EXPECT_NEAR(q.z, 1, 1e-6);
}

TEST_F(EditorTest, TheModelPathsExtensionChoosesTheNodeKindExactly) {
    GMapObjEdit* o = Place(Static(1, "effects\\fire.SFX", {100, 0, 100}));
    EXPECT_EQ(o->GetSGNode(), nullptr);
    ASSERT_NE(o->GetSGEffectNode(), nullptr);
    EXPECT_TRUE(o->GetSGEffectNode()->IsPlaying());  // a static object's effect starts
    // "Sfx" is not an effect spelling: an entity node (the file, found
    // without regard to case, is no model: a placeholder box), and the
    // effect node stays.
    Lumo::SGEffectNode* effect = o->GetSGEffectNode();
    D3DXMATRIX marked;
    marked.m[3][0] = 77;
    effect->SetWorldMat(marked);
    o->LoadMdl("effects\\fire.Sfx");
    ASSERT_NE(o->GetSGNode(), nullptr);
    EXPECT_EQ(o->GetSGEffectNode(), effect);
    EXPECT_EQ(o->GetSGEffectNode()->GetWorldMat(), marked);
    EXPECT_EQ(o->GetSGNode()->GetBox().max, Lumo::PlaceholderBox().max);
    // A new effect replaces the old one.
    o->LoadMdl("effects\\fire.sfx");
    EXPECT_EQ(o->GetSGEffectNode()->GetWorldMat(), D3DXMATRIX());
    EXPECT_TRUE(Graph(editor).IsAttached(o->GetSGEffectNode()));
    EXPECT_TRUE(Graph(editor).IsAttached(o->GetSGNode()));
    EXPECT_EQ(Graph(editor).GetDynamicNodes().size(), 2u);

    // Deleting the object takes its nodes out of the scene.
    ASSERT_TRUE(editor.RemoveMapObjEdit(o));
    delete o;
    EXPECT_TRUE(Graph(editor).GetDynamicNodes().empty());
}

TEST_F(EditorTest, AFreshObjectIsADynamicOneWithIdZero) {
    GMapObjEdit o;
    EXPECT_EQ(o.GetType(), GMapObjEdit::ET_DYNAMIC);
    EXPECT_EQ(o.GetMapID(), 0u);
    EXPECT_EQ(o.GetStaticMapObj()->scale, D3DXVECTOR3(1, 1, 1));
    EXPECT_EQ(o.GetMazeWallObj()->scale, D3DXVECTOR3(1, 1, 1));
    EXPECT_EQ(o.GetWorldPos(), D3DXVECTOR3());
    float yaw = 5;
    EXPECT_FALSE(o.GetYawForNPC(yaw));
    EXPECT_EQ(yaw, 5);
}

TEST_F(EditorTest, StaticObjectsArePosedScaleRotateTranslateAndScaleOnlyShows) {
    tagStaticMapObj r = Static(3, "models\\rock.fak", {1000, 50, 2000});
    r.scale = D3DXVECTOR3(2, 1, 1);
    r.rot = D3DXVECTOR3(kHalfPi, 0, 0);
    GMapObjEdit* o = Place(r);
    // rock: x, z -10..10, y 0..40; scaled to x -20..20, turned a quarter
    // (x becomes z), moved.
    ExpectBox(o->GetSGNode()->GetAABBox(), {990, 50, 1980}, {1010, 90, 2020});

    o->SetMdlScale({1, 3, 1});
    ExpectBox(o->GetSGNode()->GetAABBox(), {990, 50, 1990}, {1010, 170, 2010});
    EXPECT_EQ(o->GetStaticMapObj()->scale, D3DXVECTOR3(2, 1, 1));  // the record keeps its scale

    o->SetYawForStaticObj(0);
    EXPECT_EQ(o->GetStaticMapObj()->rot.x, 0);
    ExpectBox(o->GetSGNode()->GetAABBox(), {980, 50, 1990}, {1020, 90, 2010});
    o->SetYawForNPC(90);  // not an NPC: nothing
    EXPECT_EQ(o->GetStaticMapObj()->rot.x, 0);
}

TEST_F(EditorTest, NpcsTakeTheirModelFromTheAttributeDatabaseAndTurnInDegrees) {
    GMapObjEdit* o = Place(Npc(1, edtest::kSmithAtt, {500, 0, 500}, 90));
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->GetSGNode()->GetResPath(), "System\\NPC\\smith.fak");
    float yaw = 0;
    ASSERT_TRUE(o->GetYawForNPC(yaw));
    EXPECT_EQ(yaw, 90);
    // Turned in place, at its position: x of the model points to -z.
    const D3DXMATRIX& m = o->GetSGNode()->GetWorldMat();
    EXPECT_NEAR(m.m[3][0], 500, 1e-3);
    EXPECT_NEAR(m.m[3][2], 500, 1e-3);
    const D3DXVECTOR3 nose = Lumo::TransformCoord({10, 0, 0}, m);
    EXPECT_NEAR(nose.x, 500, 1e-3);
    EXPECT_NEAR(nose.z, 490, 1e-3);
    o->SetYawForNPC(0);
    o->SetWorldPos({600, 0, 500});
    ExpectBox(o->GetSGNode()->GetAABBox(), {585, 0, 485}, {615, 180, 515});
    EXPECT_EQ(editor.FindMapObjEdit(GMapObjEdit::ET_NPC, 1), o);

    Lumo::ClearLog();
    GMapObjEdit lost;
    EXPECT_FALSE(lost.Create(Npc(2, edtest::kMissingAtt, {0, 0, 0}), &editor));
    EXPECT_EQ(editor.FindMapObjEdit(GMapObjEdit::ET_NPC, 2), nullptr);
    EXPECT_NE(Lumo::GetLogText().find("AttDB not find,id=99"), std::string::npos);
    EXPECT_EQ(lost.GetMapNPC()->yaw, 0);
}

TEST_F(EditorTest, MazeWallsAlwaysGetScaleOneAndTurnByTheirYaw) {
    tagMazeWallObj r = Wall(4, {3000, 0, 3000});
    r.scale = D3DXVECTOR3(2, 2, 2);
    GMapObjEdit* w = Place(r);
    EXPECT_EQ(w->GetMazeWallObj()->scale, D3DXVECTOR3(1, 1, 1));
    EXPECT_EQ(editor.FindMazeWall(4), w);
    EXPECT_EQ(editor.FindMapObjEdit(GMapObjEdit::ET_MAZEWALL, 4), nullptr);  // kept apart
    ExpectBox(w->GetSGNode()->GetAABBox(), {2500, 0, 2950}, {3500, 300, 3050});
    w->SetYawForMazeWall(kHalfPi);
    ExpectBox(w->GetSGNode()->GetAABBox(), {2950, 0, 2500}, {3050, 300, 3500});
    w->SetMdlScale({2, 1, 1});  // no rotation in a scale preview
    ExpectBox(w->GetSGNode()->GetAABBox(), {2000, 0, 2950}, {4000, 300, 3050});
}

TEST_F(EditorTest, ChopFieldsShowAGridOf64NodesByTheirType) {
    tagChopField rec{};
    rec.id = 8;
    rec.type = 0;
    rec.tileX = 10;
    rec.tileZ = 20;
    std::strcpy(rec.modelPath0, "models\\tree.fak");
    std::strcpy(rec.modelPath3, "effects\\fire.sfx");
    auto* c = new GMapChopFieldObjEdit;
    ASSERT_TRUE(c->Create(rec, &editor));
    c->SetWorldPos({10, 20});
    EXPECT_EQ(editor.FindChopField(8), c);
    EXPECT_EQ(c->GetChopFieldType(), 0);
    EXPECT_EQ(Graph(editor).GetDynamicNodes().size(), 64u);
    EXPECT_EQ(c->GetSGNode(64), nullptr);
    EXPECT_EQ(c->GetSGNode(-1), nullptr);
    // First place at tile (14, 24), 50 below the ground; the last at (70, 80).
    const D3DXMATRIX& first = c->GetSGNode(0)->GetWorldMat();
    EXPECT_EQ(first.m[3][0], 1400);
    EXPECT_EQ(first.m[3][1], -50);
    EXPECT_EQ(first.m[3][2], 2400);
    EXPECT_EQ(c->GetSGNode(63)->GetWorldMat().m[3][0], 7000);
    EXPECT_EQ(c->GetSGNode(8)->GetWorldMat().m[3][2], 3200);  // second row

    // Slot 3 is the fourth path in storage order: an effect.
    rec.type = 1;
    c->ModifyChopField(rec, 3);
    EXPECT_EQ(c->GetSGNode(0), nullptr);
    ASSERT_NE(c->GetSGEffectNode(63), nullptr);
    EXPECT_TRUE(c->GetSGEffectNode(0)->IsPlaying());
    EXPECT_EQ(c->GetSGEffectNode(0)->GetWorldMat().m[3][0], 1200);  // type 1: tile + 2
    EXPECT_EQ(Graph(editor).GetDynamicNodes().size(), 64u);

    // Slot 5 loads nothing and only places the nodes again.
    Lumo::SGEffectNode* kept = c->GetSGEffectNode(0);
    rec.tileX = 0;
    c->ModifyChopField(rec, 5);
    EXPECT_EQ(c->GetSGEffectNode(0), kept);
    EXPECT_EQ(kept->GetWorldMat().m[3][0], 200);
    EXPECT_EQ(c->GetWorldPos().x, 0);

    // Another type keeps the tile and places nothing.
    rec.type = 7;
    rec.tileX = 30;
    c->ModifyChopField(rec, 5);
    EXPECT_EQ(c->GetWorldPos().x, 30);
    EXPECT_EQ(kept->GetWorldMat().m[3][0], 200);

    editor.DeleteChopField(8);
    EXPECT_EQ(editor.FindChopField(8), nullptr);
    EXPECT_TRUE(Graph(editor).GetDynamicNodes().empty());
}

}  // namespace
