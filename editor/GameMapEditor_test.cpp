#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "EditorFixture_test.h"
#include "MapFileWriter_test.h"
#include "gamesys/MapFile.h"
#include "gamesys/SaveFile.h"
#include "lumo/Exception.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

using namespace GFC;
using edtest::EditorTest;

std::vector<std::string> Names(const GameMapEditor& e) {
    GameMapEditor::WayPointList list;
    e.GetWayPointList(list);
    std::vector<std::string> out;
    for (const tagMapWayPoint* wp : list) {
        out.push_back(std::string(wp->name) + std::to_string(wp->seq));
    }
    return out;
}

TEST_F(EditorTest, WayPointsAreNumberedWithinTheirPathAndNeverTwice) {
    int seq = -1;
    editor.AddWayPoint(WayPoint("A", 1, 1), seq);
    EXPECT_EQ(seq, 0);
    editor.AddWayPoint(WayPoint("B", 2, 2), seq);
    EXPECT_EQ(seq, 0);
    editor.AddWayPoint(WayPoint("A", 3, 3), seq);
    EXPECT_EQ(seq, 1);
    EXPECT_TRUE(editor.IsExistWayPointWithSameName("B"));
    EXPECT_FALSE(editor.IsExistWayPointWithSameName("C"));

    editor.SetCurPickedWayPoint(editor.GetWayPointData("A", 0));
    editor.DeleteWayPoint("A", 0);
    EXPECT_EQ(editor.GetCurPickedWayPoint(), nullptr);
    EXPECT_EQ(editor.GetWayPointData("A", 1)->tileX0, 3u);  // keeps its number
    // The next A point must not be a second A1.
    editor.AddWayPoint(WayPoint("A", 4, 4), seq);
    EXPECT_EQ(seq, 2);
    EXPECT_EQ(Names(editor), (std::vector<std::string>{"B0", "A1", "A2"}));

    // A path that used 255 takes the lowest free number, and a full path
    // takes nothing more.
    tagMapWayPoint* high = WayPoint("Z", 0, 0);
    editor.AddWayPoint(high, seq);
    tagMapWayPoint moved = *high;
    moved.seq = 255;
    editor.ModifyWayPointProp("Z", 0, moved);
    editor.AddWayPoint(WayPoint("Z", 0, 0), seq);
    EXPECT_EQ(seq, 0);
    for (int i = 1; i < 255; ++i) {
        editor.AddWayPoint(WayPoint("Z", 0, 0), seq);
        ASSERT_EQ(seq, i);
    }
    editor.AddWayPoint(WayPoint("Z", 0, 0), seq);  // freed by the editor
    EXPECT_EQ(seq, -1);

    editor.ClearWayPointList();
    EXPECT_FALSE(editor.IsExistWayPointWithSameName("A"));
}

TEST_F(EditorTest, ChangedWayPointsGoBackAmongThePointsOfTheirPath) {
    int seq;
    for (const char* n : {"A", "A", "A"}) {
        editor.AddWayPoint(WayPoint(n, 0, 0), seq);
    }
    // Same name and number, new area: back between A0 and A2.
    tagMapWayPoint wp = *editor.GetWayPointData("A", 1);
    wp.tileX1 = 9;
    editor.ModifyWayPointProp("A", 1, wp);
    EXPECT_EQ(Names(editor), (std::vector<std::string>{"A0", "A1", "A2"}));
    EXPECT_EQ(editor.GetWayPointData("A", 1)->tileX1, 9u);
    // The plain modification changes only the corners.
    wp.tileZ0 = 5;
    wp.tileX1 = 1;
    editor.ModifyWayPointProp(wp);
    EXPECT_EQ(editor.GetWayPointData("A", 1)->tileZ0, 5u);
    EXPECT_EQ(editor.GetWayPointData("A", 1)->tileX1, 1u);

    editor.ClearWayPointList();
    for (const char* n : {"X", "A", "A", "Y"}) {
        editor.AddWayPoint(WayPoint(n, 0, 0), seq);
    }
    editor.ModifyWayPointProp("A", 0, *editor.GetWayPointData("A", 0));  // A0 stays first
    ASSERT_EQ(Names(editor), (std::vector<std::string>{"X0", "A0", "A1", "Y0"}));
    // Renumber to X0, A1, A2, Y0, then A2 becomes number 0: once, before A1.
    tagMapWayPoint a = *editor.GetWayPointData("A", 1);
    a.seq = 2;
    editor.ModifyWayPointProp("A", 1, a);
    a = *editor.GetWayPointData("A", 0);
    a.seq = 1;
    editor.ModifyWayPointProp("A", 0, a);
    ASSERT_EQ(Names(editor), (std::vector<std::string>{"X0", "A1", "A2", "Y0"}));
    a.seq = 0;
    editor.ModifyWayPointProp("A", 2, a);
    EXPECT_EQ(Names(editor), (std::vector<std::string>{"X0", "A0", "A1", "Y0"}));

    // No such point: nothing changes. A new name goes to the end.
    editor.ModifyWayPointProp("A", 7, a);
    EXPECT_EQ(Names(editor), (std::vector<std::string>{"X0", "A0", "A1", "Y0"}));
    std::strcpy(a.name, "Q");
    editor.ModifyWayPointProp("Y", 0, a);
    EXPECT_EQ(Names(editor), (std::vector<std::string>{"X0", "A0", "A1", "Q0"}));
    // A number the path's last point already has: kept, at the end.
    std::strcpy(a.name, "A");
    a.seq = 1;
    editor.ModifyWayPointProp("Q", 0, a);
    EXPECT_EQ(Names(editor), (std::vector<std::string>{"X0", "A0", "A1", "A1"}));
}

TEST_F(EditorTest, SoundIdsCountOnFromTheHighestAndDeletionsFindByIdOrPosition) {
    int id = -1;
    for (int want : {0, 1, 2}) {
        editor.AddSound(new tagMapSound{}, id);
        EXPECT_EQ(id, want);
    }
    editor.SetSelectedSound(editor.FindSound(1));
    editor.DeleteSound(1ul);
    EXPECT_EQ(editor.GetSelectedSound(), nullptr);
    editor.AddSound(new tagMapSound{}, id);
    EXPECT_EQ(id, 3);
    editor.DeleteSound(editor.FindSound(0));
    EXPECT_EQ(editor.FindSound(0), nullptr);
    // The highest id possible: the next is the lowest free one, not a wrap
    // onto an id in use.
    editor.FindSound(3)->id = 0xFFFFFFFFu;
    editor.AddSound(new tagMapSound{}, id);
    EXPECT_EQ(id, 0);
    editor.AddSound(new tagMapSound{}, id);
    EXPECT_EQ(id, 1);

    for (uint32_t tid : {10u, 11u, 12u}) {
        auto* t = new tagMapTrigger{};
        t->id = tid;
        editor.AddTrigger(t);
    }
    editor.DeleteTrigger(3);  // the list's size: nothing
    GameMapEditor::TriggerList triggers;
    editor.GetTriggerList(triggers);
    EXPECT_EQ(triggers.size(), 3u);
    editor.SetCurPickedTrigger(editor.GetTriggerData(11));
    editor.DeleteTrigger(1);  // position 1: id 11
    EXPECT_EQ(editor.GetTriggerData(11), nullptr);
    EXPECT_EQ(editor.GetCurPickedTrigger(), nullptr);
    tagMapTrigger changed{};
    changed.id = 12;
    changed.tileX1 = 44;
    editor.ModifyTriggerProp(changed);
    EXPECT_EQ(editor.GetTriggerData(12)->tileX1, 44);
    editor.DeleteTrigger(10ul);
    editor.GetTriggerList(triggers);
    EXPECT_EQ(triggers.size(), 1u);

    auto* g = new tagGatherObj{};
    g->id = 5;
    editor.AddGather(g);
    tagGatherObj moved{};
    moved.id = 5;
    moved.tileX = 9;
    editor.ModifyGatherProp(moved);
    EXPECT_EQ(editor.GetGatherData(5)->tileX, 9);
    editor.DeleteGather(0);
    EXPECT_EQ(editor.GetGatherData(5), nullptr);
}

TEST_F(EditorTest, SavedMapsLoadInTheGameWithEveryRecordIntact) {
    editor.SetMapIndex(77);
    editor.SetTimeZone(-3);
    editor.SetWeatherType(1, 2, 17, 0);
    editor.SetDungeon(true);
    editor.SetInstance(true);
    editor.SetInstanceTime(45000);
    editor.SetCannotMount(true);
    editor.SetReputation(static_cast<EReputation>(6));
    editor.SetCityName(platform::Utf8ToGbk("\xE9\x95\x9C\xE6\xB9\x96").c_str());
    Lumo::tagDistFog fog;
    fog.start = 123;
    editor.GetSceneGraph()->SetSceneFog(fog);
    Lumo::tagLight light;
    light.range = 9;
    editor.GetSceneGraph()->SetSunLight(light);

    std::mt19937 rng(3);
    tagStaticMapObj s = mapfile::RandomRecord<tagStaticMapObj>(rng);
    s.id = 21;
    std::strcpy(s.modelPath, "models\\rock.fak");
    Place(s);
    tagMapNPC n = mapfile::RandomRecord<tagMapNPC>(rng);
    n.id = 31;
    n.npcAttId = edtest::kWolfAtt;
    n.yaw = 45;
    Place(n);
    int seq, id;
    tagMapWayPoint* wp = WayPoint("road", 3, 4);
    wp->reserved1[0] = 0xAB;
    editor.AddWayPoint(wp, seq);
    auto* trig = new tagMapTrigger(mapfile::RandomRecord<tagMapTrigger>(rng));
    editor.AddTrigger(trig);
    auto* sound = new tagMapSound(mapfile::RandomRecord<tagMapSound>(rng));
    editor.AddSound(sound, id);
    tagChopField chop = mapfile::RandomRecord<tagChopField>(rng);
    chop.type = 1;
    std::strcpy(chop.modelPath0, "models\\tree.fak");
    auto* c = new GMapChopFieldObjEdit;
    c->Create(chop, &editor);
    auto* g = new tagGatherObj(mapfile::RandomRecord<tagGatherObj>(rng));
    editor.AddGather(g);
    Place(Wall(1, {0, 0, 0}));  // walls stay out of the map file

    ASSERT_TRUE(editor.WriteEditFile(Path("town.gmb").c_str()));
    EXPECT_FALSE(platform::Exists(Path("town.gmb") + SaveFile::kSuffix));
    const std::string bytes = testsupport::ReadFile(Path("town.gmb"));
    EXPECT_EQ(bytes.size(), 656u + 280 + 428 + 68 + 792 + 288 + 1360 + 80);

    GameMap map;
    map.LoadFromFile(fs.get(), "town.gmb");
    ASSERT_NE(map.FindStaticMapObj(21), nullptr);
    EXPECT_EQ(std::memcmp(map.FindStaticMapObj(21), &s, sizeof s), 0);
    tagMapNPC wantNpc = n;  // the editor keeps every byte
    ASSERT_NE(map.FindMapNpc(31), nullptr);
    EXPECT_EQ(std::memcmp(map.FindMapNpc(31), &wantNpc, sizeof wantNpc), 0);
    ASSERT_EQ(map.GetWayPoints().size(), 1u);
    EXPECT_EQ(std::memcmp(&map.GetWayPoints()[0], wp, sizeof *wp), 0);
    EXPECT_EQ(std::memcmp(&map.GetTriggers()[0], trig, sizeof *trig), 0);
    EXPECT_EQ(std::memcmp(&map.GetSounds()[0], sound, sizeof *sound), 0);
    EXPECT_EQ(std::memcmp(&map.GetChopFields()[0], c->GetChopFieldObj(), sizeof chop), 0);
    EXPECT_EQ(std::memcmp(bytes.data() + bytes.size() - 80, g, 80), 0);  // gathers last
    EXPECT_EQ(map.GetMapIndex(), 77u);
    EXPECT_EQ(map.GetTimeZone(), -3);
    EXPECT_STREQ(map.GetCityName(), platform::Utf8ToGbk("\xE9\x95\x9C\xE6\xB9\x96").c_str());
    EWeather w[4];
    map.GetWeatherType(w[0], w[1], w[2], w[3]);
    EXPECT_EQ(w[2], 17);
    EXPECT_TRUE(map.GetDungeon());
    EXPECT_TRUE(map.IsInstance());
    EXPECT_EQ(map.GetInstanceTime(), 45000u);
    EXPECT_TRUE(map.CannotMount());
    EXPECT_FALSE(map.CannotTransmit());
    EXPECT_EQ(map.GetReputation(), 6);
    Lumo::tagLight gotLight;
    Lumo::tagDistFog gotFog;
    map.GetData(gotLight, gotFog);
    EXPECT_EQ(gotFog.start, 123);
    EXPECT_EQ(gotLight.range, 9);
}

TEST_F(EditorTest, ChopFieldsAtTheEndsOfTheTileRangeLoadAndSpanOnlyWhatExists) {
    // A map file may place a field anywhere; its nodes and its box are
    // reckoned from its tile without running past the ends of int.
    const int corners[][2] = {{INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MAX - 3}, {-5, INT32_MAX}};
    for (const auto& at : corners) {
        tagChopField chop{};
        chop.type = 0;
        chop.tileX = at[0];
        chop.tileZ = at[1];
        auto* c = new GMapChopFieldObjEdit;
        c->Create(chop, &editor);
        c->SetWorldPos({at[0], at[1]});
    }
    ASSERT_TRUE(editor.WriteEditFile(Path("far.gmb").c_str()));
    auto second = Reopened("far.gmb");
    ASSERT_NE(second, nullptr);
    GameMapEditor::ChopFieldList chops;
    second->GetChopFieldList(chops);
    ASSERT_EQ(chops.size(), 3u);
    for (GMapChopFieldObjEdit* c : chops) {
        const Lumo::AABBox box = second->ChopFieldBox(c->GetWorldPos(), 0, 0);
        EXPECT_LE(box.min.x, box.max.x);
        EXPECT_LE(box.min.z, box.max.z);
    }
    EXPECT_EQ(chops.front()->GetWorldPos().x, INT32_MAX);
}

TEST_F(EditorTest, EditSaveLoadSaveGivesTheSameBytes) {
    int seq, id;
    Place(Static(1, "models\\rock.fak", {100, 0, 100}));
    Place(Static(2, "effects\\fire.sfx", {300, 0, 100}));
    Place(Npc(3, edtest::kSmithAtt, {200, 5, 300}, 30, "road"));
    editor.AddWayPoint(WayPoint("road", 1, 1), seq);
    editor.AddWayPoint(WayPoint("road", 2, 5), seq);
    editor.AddWayPoint(WayPoint("gate", 9, 9), seq);
    for (int i = 0; i < 3; ++i) {
        auto* s = new tagMapSound{};
        s->pos = D3DXVECTOR3(float(i), 0, 0);
        editor.AddSound(s, id);
    }
    editor.SetCityName("Harbour");
    ASSERT_TRUE(editor.WriteEditFile(Path("one.gmb").c_str()));

    GameMapEditor second;
    second.Create(&terrain, &camera);
    second.LoadAttDataBase("");
    ASSERT_TRUE(second.LoadFromEditFile(Path("one.gmb").c_str()));
    EXPECT_EQ(second.FindRoleByWayPoint("road")->GetMapID(), 3u);
    ASSERT_TRUE(second.WriteEditFile(Path("two.gmb").c_str()));
    EXPECT_EQ(testsupport::ReadFile(Path("one.gmb")), testsupport::ReadFile(Path("two.gmb")));

    // Sounds with gaps in their ids come back numbered from 0; from then on
    // the file is stable.
    second.DeleteSound(0ul);
    ASSERT_TRUE(second.WriteEditFile(Path("three.gmb").c_str()));
    auto third = Reopened("three.gmb");
    ASSERT_NE(third, nullptr);
    GameMapEditor::SoundList sounds;
    third->GetSoundList(sounds);
    ASSERT_EQ(sounds.size(), 2u);
    EXPECT_EQ(sounds.front()->id, 0u);
    EXPECT_EQ(sounds.back()->id, 1u);
    EXPECT_EQ(sounds.back()->pos.x, 2);
    ASSERT_TRUE(third->WriteEditFile(Path("four.gmb").c_str()));
    auto fourth = Reopened("four.gmb");
    ASSERT_NE(fourth, nullptr);
    ASSERT_TRUE(fourth->WriteEditFile(Path("five.gmb").c_str()));
    EXPECT_EQ(testsupport::ReadFile(Path("four.gmb")), testsupport::ReadFile(Path("five.gmb")));
}

TEST_F(EditorTest, LoadingSkipsDynamicObjectsDropsUnknownNpcsAndAddsToTheLists) {
    std::mt19937 rng(8);
    mapfile::Map m;
    m.Add(mapfile::DYNAMIC, mapfile::RandomRecord<tagDynamicMapObj>(rng));
    tagMapNPC known = Npc(1, edtest::kSmithAtt, {0, 0, 0}), unknown = Npc(2, 99, {0, 0, 0});
    m.Add(mapfile::NPC, known);
    m.Add(mapfile::NPC, unknown);
    for (uint32_t sid : {5u, 9u}) {
        tagMapSound s{};
        s.id = sid;
        m.Add(mapfile::SOUND, s);
    }
    testsupport::WriteFile(Path("dyn.gmb"), mapfile::Write(m));
    int id;
    editor.AddSound(new tagMapSound{}, id);  // already there: the file's sounds follow it
    Lumo::ClearLog();
    ASSERT_TRUE(editor.LoadFromEditFile(Path("dyn.gmb").c_str()));
    EXPECT_NE(Lumo::GetLogText().find("AttDB not find,id=99"), std::string::npos);
    EXPECT_NE(editor.FindMapObjEdit(GMapObjEdit::ET_NPC, 1), nullptr);
    EXPECT_EQ(editor.FindMapObjEdit(GMapObjEdit::ET_NPC, 2), nullptr);
    EXPECT_EQ(editor.GetMapObjEditList().size(), 1u);
    GameMapEditor::SoundList sounds;
    editor.GetSoundList(sounds);
    ASSERT_EQ(sounds.size(), 3u);
    EXPECT_EQ((*std::next(sounds.begin()))->id, 1u);
    EXPECT_EQ(sounds.back()->id, 2u);

    ASSERT_TRUE(editor.WriteEditFile(Path("out.gmb").c_str()));
    GameMap map;
    map.LoadFromFile(fs.get(), "out.gmb");
    EXPECT_TRUE(map.GetDynamicMapObjs().empty());
}

TEST_F(EditorTest, FilesFromOutsideAreCheckedBeforeAnythingIsTaken) {
    editor.SetMapIndex(5);
    Place(Wall(3, {100, 0, 100}));
    ASSERT_TRUE(editor.WriteMazeObjFile(Path("a.gma").c_str()));
    EXPECT_FALSE(editor.LoadFromEditFile(Path("a.gma").c_str()));  // "GMA" is not a map
    EXPECT_FALSE(editor.LoadFromEditFile(Path("none.gmb").c_str()));
    EXPECT_FALSE(editor.LoadMazeObjFile(Path("none.gma").c_str()));

    mapfile::Map m;
    m.settings.mapIndex = 999;
    m.Add(mapfile::STATIC, Static(1, "models\\rock.fak", {0, 0, 0}));
    std::string lying = mapfile::Write(m);
    mapfile::SetSection(lying, mapfile::STATIC, 0x7FFFFFFF, 656);
    testsupport::WriteFile(Path("lying.gmb"), lying);
    EXPECT_FALSE(editor.LoadFromEditFile(Path("lying.gmb").c_str()));
    std::string gathers = mapfile::Write(m);
    mapfile::SetSection(gathers, mapfile::GATHER, 3, uint32_t(gathers.size()));
    testsupport::WriteFile(Path("gathers.gmb"), gathers);
    EXPECT_FALSE(editor.LoadFromEditFile(Path("gathers.gmb").c_str()));
    EXPECT_EQ(editor.GetMapIndex(), 5u);  // nothing taken
    EXPECT_TRUE(editor.GetMapObjEditList().empty());

    std::string maze = testsupport::ReadFile(Path("a.gma"));
    std::string lyingMaze = maze;
    const int32_t many = 1000;
    std::memcpy(&lyingMaze[12], &many, 4);
    testsupport::WriteFile(Path("b.gma"), lyingMaze);
    EXPECT_FALSE(editor.LoadMazeObjFile(Path("b.gma").c_str()));
    std::string wrongMagic = maze;
    wrongMagic[2] = 'B';
    testsupport::WriteFile(Path("c.gma"), wrongMagic);
    EXPECT_FALSE(editor.LoadMazeObjFile(Path("c.gma").c_str()));
    GameMapEditor::EditList walls;
    editor.GetMazeWallList(walls);
    EXPECT_EQ(walls.size(), 1u);
}

TEST_F(EditorTest, TheEditorTakesWhatTheGameLoadsAndRefusesWhatItRefuses) {
    mapfile::Map m;
    m.Add(mapfile::NPC, Npc(1, edtest::kSmithAtt, {100, 0, 100}));
    m.Add(mapfile::STATIC, Static(2, "models\\rock.fak", {200, 0, 200}));
    tagMapWayPoint wp{};
    std::strcpy(wp.name, "patrol");
    m.Add(mapfile::WAYPOINT, wp);
    for (uint32_t id : {4u, 5u}) {
        tagMapTrigger t{};
        t.id = id;
        m.Add(mapfile::TRIGGER, t);
    }
    m.Add(mapfile::SOUND, tagMapSound{});
    tagGatherObj g{};
    g.id = 6;
    m.Add(mapfile::GATHER, g);
    for (const mapfile::Probe& p : mapfile::ReaderProbes(m)) {
        SCOPED_TRACE(p.name);
        testsupport::WriteFile(Path("probe.gmb"), p.bytes);
        GameMap game;
        bool gameLoads = true;
        try {
            game.LoadFromFile(fs.get(), "probe.gmb");
        } catch (const Lumo::Exception&) {
            gameLoads = false;
        }
        ASSERT_EQ(gameLoads, p.gameLoads);
        GameMapEditor e;
        e.Create(&terrain, &camera);
        e.LoadAttDataBase("");
        const bool loaded = e.LoadFromEditFile(Path("probe.gmb").c_str());
        EXPECT_EQ(loaded, p.gameLoads && p.gathersFit);
        if (!loaded) {
            EXPECT_TRUE(e.GetMapObjEditList().empty());
            continue;
        }
        GameMapEditor::WayPointList wps;
        GameMapEditor::TriggerList triggers;
        GameMapEditor::SoundList sounds;
        GameMapEditor::GatherList gathers;
        e.GetWayPointList(wps);
        e.GetTriggerList(triggers);
        e.GetSoundList(sounds);
        e.GetGatherList(gathers);
        EXPECT_EQ(wps.size(), game.GetWayPoints().size());
        ASSERT_EQ(triggers.size(), game.GetTriggers().size());
        auto t = triggers.begin();
        for (const tagMapTrigger& want : game.GetTriggers()) {
            EXPECT_EQ(std::memcmp(*t++, &want, sizeof want), 0);  // a cut-short one too
        }
        EXPECT_EQ(sounds.size(), game.GetSounds().size());
        EXPECT_EQ(e.GetMapObjEditList().size(),
                  game.GetNpc().size() + game.GetStaticMapObjs().size());
        GFC::FsFile file(fs.get(), "probe.gmb");
        GFC::MapFileReader reader(file);
        EXPECT_EQ(gathers.size(), size_t(reader.Section(MS_GATHER).count));
    }
}

TEST_F(EditorTest, MazeWallsHaveTheirOwnFileAndMapsWithOnlyWallsAreEmpty) {
    editor.SetMapIndex(12);
    GMapObjEdit* w = Place(Wall(3, {1000, 0, 2000}, 1.5f));
    Place(Wall(4, {5000, 0, 2000}));
    ASSERT_TRUE(editor.WriteEditFile(Path("walls.gmb").c_str()));
    const std::string map = testsupport::ReadFile(Path("walls.gmb"));
    ASSERT_EQ(map.size(), 656u);
    for (size_t at : mapfile::kCountOffset) {
        EXPECT_EQ(mapfile::GetU32(map, at), 0u) << at;
    }
    ASSERT_TRUE(editor.WriteMazeObjFile(Path("walls.gma").c_str()));
    const std::string maze = testsupport::ReadFile(Path("walls.gma"));
    ASSERT_EQ(maze.size(), 532u + 2 * 420);
    EXPECT_EQ(maze.substr(0, 4), std::string("GMA\0", 4));
    EXPECT_EQ(mapfile::GetU32(maze, 8), 12u);
    EXPECT_EQ(mapfile::GetU32(maze, 12), 2u);
    EXPECT_EQ(mapfile::GetU32(maze, 16), 532u);
    EXPECT_EQ(std::memcmp(maze.data() + 532, w->GetMazeWallObj(), 420), 0);

    GameMapEditor other;
    other.Create(&terrain, &camera);
    ASSERT_TRUE(other.LoadMazeObjFile(Path("walls.gma").c_str()));
    EXPECT_EQ(other.GetMapIndex(), 12u);
    GMapObjEdit* back = other.FindMazeWall(3);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::memcmp(back->GetMazeWallObj(), w->GetMazeWallObj(), 420), 0);
    // The stored yaw turns the loaded wall.
    EXPECT_EQ(back->GetSGNode()->GetWorldMat(), w->GetSGNode()->GetWorldMat());
    ASSERT_TRUE(other.WriteMazeObjFile(Path("again.gma").c_str()));
    EXPECT_EQ(testsupport::ReadFile(Path("again.gma")), maze);
}

TEST_F(EditorTest, LongCityNamesAreCutWithoutSplittingACharacter) {
    // 17 two-byte characters and a letter: 35 bytes fit, the 36th would
    // split the last character.
    std::string name(1, 'a');
    for (int i = 0; i < 20; ++i) {
        name += "\xB0\xA1";
    }
    editor.SetCityName(name.c_str());
    EXPECT_EQ(std::string(editor.GetCityName()), name);
    ASSERT_TRUE(editor.WriteEditFile(Path("c.gmb").c_str()));
    GameMap map;
    map.LoadFromFile(fs.get(), "c.gmb");
    EXPECT_EQ(std::string(map.GetCityName()), name.substr(0, 35));
    editor.SetCityName(std::string(400, 'x').c_str());
    EXPECT_EQ(std::strlen(editor.GetCityName()), 255u);
}

TEST_F(EditorTest, DestroyFreesEverythingButGathersAndClearsTheSelections) {
    GMapObjEdit* o = Place(Static(1, "models\\rock.fak", {0, 0, 0}));
    editor.SetSelectObj(o);
    GMapObjEdit* w = Place(Wall(2, {0, 0, 0}));
    editor.SetSelectMazeWall(w);
    int seq;
    editor.AddWayPoint(WayPoint("p", 0, 0), seq);
    editor.SetCurPickedWayPoint(editor.GetWayPointData("p", 0));
    auto* g = new tagGatherObj{};
    g->id = 3;
    editor.AddGather(g);
    editor.Destroy();
    EXPECT_EQ(editor.GetSelectedObj(), nullptr);
    EXPECT_EQ(editor.GetSelectMazeWall(), nullptr);
    EXPECT_EQ(editor.GetCurPickedWayPoint(), nullptr);
    EXPECT_TRUE(editor.GetMapObjEditList().empty());
    EXPECT_EQ(editor.GetSceneGraph(), nullptr);
    EXPECT_EQ(editor.GetGatherData(3), g);

    // Objects taken out before are the caller's, and their nodes leave the
    // scene with them.
    editor.Create(&terrain, &camera);
    GMapObjEdit* kept = Place(Static(5, "effects\\fire.sfx", {0, 0, 0}));
    EXPECT_EQ(editor.RemoveMapObjEdit(GMapObjEdit::ET_STATIC, 5), kept);
    EXPECT_EQ(editor.RemoveMapObjEdit(GMapObjEdit::ET_STATIC, 5), nullptr);
    EXPECT_FALSE(editor.RemoveMapObjEdit(kept));
    delete kept;
}

}  // namespace
