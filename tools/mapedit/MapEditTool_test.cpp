#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "AttListWriter_test.h"
#include "MapEditTool.h"
#include "MapFileWriter_test.h"
#include "PictureReader_test.h"
#include "editor/GameMapEditor.h"
#include "gamesys/GNavMap.h"
#include "gamesys/GameMap.h"
#include "lumo/DiskFS.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

using namespace GFC;

// True when the colour shows at (x, y) or a pixel next to it (edges of
// shapes may round either way).
bool Near(const pictest::Image& img, int x, int y, uint32_t rgb) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int px = x + dx, py = y + dy;
            if (px >= 0 && py >= 0 && px < img.width && py < img.height && img.At(px, py) == rgb) {
                return true;
            }
        }
    }
    return false;
}

// What list shows of the objects: its lines without the settings.
std::string Objects(const std::string& listed) {
    std::istringstream in(listed);
    std::string line, kept;
    while (std::getline(in, line)) {
        if (line.rfind("set ", 0) != 0) {
            kept += line + '\n';
        }
    }
    return kept;
}

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

class MapEdit : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::WriteFile(
            dir / ("data\\" + std::string(attlist::Path(0))),
            attlist::ListFile(std::vector<tagNPCAtt>{attlist::Npc(7, "guard", 9)}));
        std::string model("LMDL", 4);
        const float box[6] = {-50, 0, -50, 50, 100, 50};
        model.append(reinterpret_cast<const char*>(box), sizeof box);
        testsupport::WriteFile(dir / "data\\System\\NPC\\guard.fak", model);
        testsupport::WriteFile(dir / "data\\models\\house.fak", model);
    }

    Outcome Run(std::vector<std::string> args, bool withData = true) {
        args.insert(args.begin(), Native("town.gmb"));
        if (withData) {
            args.insert(args.begin() + 1, {"--data", Native("data")});
        }
        args.insert(args.begin(), "mapedit");
        std::vector<const char*> argv;
        for (const std::string& a : args) {
            argv.push_back(a.c_str());
        }
        std::ostringstream out, err;
        int code = mapedit::Run(static_cast<int>(argv.size()), argv.data(), out, err);
        return {code, out.str(), err.str()};
    }
    std::string Native(const std::string& name) const { return platform::NativePath(dir / name); }
    GameMap LoadMap() {
        Lumo::DiskFS fs(dir.path());
        GameMap map;
        map.LoadFromFile(&fs, "town.gmb");
        return map;
    }

    testsupport::TempDir dir;
};

TEST_F(MapEdit, BuildsANewMapCommandByCommand) {
    Outcome r = Run({"add-static",
                     "models\\house.fak",
                     "100",
                     "0",
                     "-250.5",  // a negative
                     "add-npc",
                     "7",
                     "300",
                     "0",
                     "400",
                     "90",  // coordinate
                     "add-waypoint",
                     "patrol",
                     "3",
                     "4",
                     "add-waypoint",
                     "patrol",
                     "5",
                     "6",
                     "add-trigger",
                     "1",
                     "2",
                     "3",
                     "4",
                     "add-sound",
                     "10",
                     "20",
                     "30",
                     "save"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "static 0\n"
              "npc 0\n"
              "waypoint patrol 0\n"
              "waypoint patrol 1\n"
              "trigger 0\n"
              "sound 0\n");
    GameMap map = LoadMap();
    ASSERT_EQ(map.GetStaticMapObjs().size(), 1u);
    EXPECT_STREQ(map.GetStaticMapObjs()[0].modelPath, "models\\house.fak");
    EXPECT_EQ(map.GetStaticMapObjs()[0].pos, D3DXVECTOR3(100, 0, -250.5f));
    ASSERT_NE(map.FindMapNpc(0), nullptr);
    EXPECT_EQ(map.FindMapNpc(0)->npcAttId, 7u);
    EXPECT_EQ(map.FindMapNpc(0)->yaw, 90);
    ASSERT_EQ(map.GetWayPoints().size(), 2u);
    EXPECT_EQ(map.GetWayPoints()[1].seq, 1);
    EXPECT_EQ(map.GetWayPoints()[1].tileX0, 5u);
    EXPECT_EQ(map.GetTriggers()[0].tileZ1, 4);
    EXPECT_EQ(map.GetSounds()[0].pos, D3DXVECTOR3(10, 20, 30));

    r = Run({"list"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Objects(r.out),
              "npc 0 7 300 0 400 90 -\n"
              "static 0 100 0 -250.5 models\\house.fak\n"
              "waypoint patrol 0 3 4 3 4\n"
              "waypoint patrol 1 5 6 5 6\n"
              "trigger 0 1 2 3 4\n"
              "sound 0 10 20 30\n");
}

TEST_F(MapEdit, NewIdsNeverRepeatOnesInTheLoadedMap) {
    mapfile::Map m;
    for (uint32_t id : {5u, 9u}) {
        tagStaticMapObj s{};
        s.id = id;
        std::strcpy(s.modelPath, "models\\house.fak");
        m.Add(mapfile::STATIC, s);
        tagMapTrigger t{};
        t.id = id * 10;
        m.Add(mapfile::TRIGGER, t);
    }
    tagMapNPC npc{};
    npc.id = 0xFFFFFFFFu;  // the highest id: the next is the lowest free one
    npc.npcAttId = 7;
    m.Add(mapfile::NPC, npc);
    testsupport::WriteFile(dir / "town.gmb", mapfile::Write(m));
    Outcome r = Run({"add-static", "models\\house.fak",
                     "0",          "0",
                     "0",          "add-trigger",
                     "0",          "0",
                     "1",          "1",
                     "add-npc",    "7",
                     "0",          "0",
                     "0",          "0",
                     "add-npc",    "7",
                     "0",          "0",
                     "0",          "0",
                     "save"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "static 10\ntrigger 91\nnpc 0\nnpc 1\n");
    GameMap map = LoadMap();
    EXPECT_EQ(map.GetStaticMapObjs().size(), 3u);
    EXPECT_EQ(map.GetNpc().size(), 3u);
    EXPECT_EQ(map.GetTriggers().size(), 3u);
}

TEST_F(MapEdit, MovesAndDeletesByKindAndId) {
    ASSERT_EQ(Run({"add-static",
                   "models\\house.fak",
                   "1",
                   "2",
                   "3",
                   "add-static",
                   "models\\house.fak",
                   "4",
                   "5",
                   "6",
                   "add-waypoint",
                   "p",
                   "1",
                   "1",
                   "add-trigger",
                   "0",
                   "0",
                   "2",
                   "2",
                   "add-sound",
                   "0",
                   "0",
                   "0",
                   "save"})
                  .code,
              0);
    Outcome r = Run({"move", "static", "1",      "40",   "50",    "60",      "move", "waypoint",
                     "p",    "0",      "7",      "8",    "move",  "trigger", "0",    "5",
                     "5",    "9",      "9",      "move", "sound", "0",       "1",    "1",
                     "1",    "delete", "static", "0",    "list",  "save"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Objects(r.out),
              "static 1 40 50 60 models\\house.fak\n"
              "waypoint p 0 7 8 7 8\n"
              "trigger 0 5 5 9 9\n"
              "sound 0 1 1 1\n");
    r = Run({"delete", "waypoint", "p", "0", "delete", "trigger", "0", "delete", "sound", "0",
             "save", "list"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Objects(r.out), "static 1 40 50 60 models\\house.fak\n");
}

TEST_F(MapEdit, SettingsGathersChopFieldsWallsTurnsScalesAndPathsLoadAsWritten) {
    Outcome r = Run({"--maze",
                     Native("town.gma"),
                     "set",
                     "map-index",
                     "12",
                     "set",
                     "city",
                     "\xE9\x95\x9C\xE6\xB9\x96",
                     "set",
                     "time-zone",
                     "-3",
                     "set",
                     "weather",
                     "2",
                     "17",
                     "set",
                     "dungeon",
                     "1",
                     "set",
                     "instance",
                     "1",
                     "set",
                     "instance-time",
                     "600",
                     "set",
                     "reputation",
                     "4",
                     "set",
                     "no-mount",
                     "1",
                     "set",
                     "no-transmit",
                     "1",
                     "set",
                     "fog",
                     "0xFF102030",
                     "100",
                     "900",
                     "0.5",
                     "set",
                     "sun-direction",
                     "0",
                     "-1",
                     "1",
                     "set",
                     "sun-colour",
                     "0.5",
                     "0.25",
                     "1",
                     "add-gather",
                     "3",
                     "4",
                     "add-gather",
                     "5",
                     "6",
                     "move",
                     "gather",
                     "1",
                     "7",
                     "8",
                     "add-chopfield",
                     "1",
                     "10",
                     "10",
                     "move",
                     "chopfield",
                     "0",
                     "20",
                     "30",
                     "add-wall",
                     "1000",
                     "0",
                     "1000",
                     "90",
                     "add-wall",
                     "5000",
                     "0",
                     "5000",
                     "0",
                     "delete",
                     "wall",
                     "0",
                     "add-static",
                     "models\\house.fak",
                     "1",
                     "2",
                     "3",
                     "turn",
                     "static",
                     "0",
                     "90",
                     "scale",
                     "static",
                     "0",
                     "2.5",
                     "add-npc",
                     "7",
                     "300",
                     "0",
                     "400",
                     "0",
                     "turn",
                     "npc",
                     "0",
                     "45",
                     "add-waypoint",
                     "patrol",
                     "3",
                     "4",
                     "path",
                     "npc",
                     "0",
                     "patrol",
                     "save"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(
        r.out,
        "gather 0\ngather 1\nchopfield 0\nwall 0\nwall 1\nstatic 0\nnpc 0\nwaypoint patrol 0\n");

    // The game's loader sees every record as intended.
    GameMap map = LoadMap();
    EXPECT_EQ(map.GetMapIndex(), 12u);
    EXPECT_EQ(platform::GbkToUtf8(map.GetCityName()), "\xE9\x95\x9C\xE6\xB9\x96");
    EXPECT_EQ(map.GetTimeZone(), -3);
    EWeather w[4];
    map.GetWeatherType(w[0], w[1], w[2], w[3]);
    EXPECT_EQ(w[2], 17);
    EXPECT_TRUE(map.GetDungeon());
    EXPECT_TRUE(map.IsInstance());
    EXPECT_EQ(map.GetInstanceTime(), 600u);
    EXPECT_EQ(map.GetReputation(), 4);
    EXPECT_TRUE(map.CannotMount());
    EXPECT_TRUE(map.CannotTransmit());
    Lumo::tagLight sun;
    Lumo::tagDistFog fog;
    map.GetData(sun, fog);
    EXPECT_EQ(fog.colour, 0xFF102030u);
    EXPECT_EQ(fog.end, 900.0f);
    EXPECT_EQ(fog.density, 0.5f);
    EXPECT_EQ(sun.direction, D3DXVECTOR3(0, -1, 1));
    EXPECT_EQ(sun.diffuse.g, 0.25f);
    ASSERT_EQ(map.GetStaticMapObjs().size(), 1u);
    EXPECT_NEAR(map.GetStaticMapObjs()[0].rot.x, 3.14159265f / 2, 1e-5);
    EXPECT_EQ(map.GetStaticMapObjs()[0].scale, D3DXVECTOR3(2.5f, 2.5f, 2.5f));
    ASSERT_NE(map.FindMapNpc(0), nullptr);
    EXPECT_EQ(map.FindMapNpc(0)->yaw, 45);
    EXPECT_STREQ(map.FindMapNpc(0)->wayPointName, "patrol");
    ASSERT_EQ(map.GetChopFields().size(), 1u);
    EXPECT_EQ(map.GetChopFields()[0].type, 1);
    EXPECT_EQ(map.GetChopFields()[0].tileX, 20);
    EXPECT_EQ(map.GetChopFields()[0].tileZ, 30);

    // Gathers and walls, through the editor (the game keeps neither).
    Lumo::TerrainEditor terrain;
    Lumo::CameraBase camera;
    GameMapEditor editor;
    editor.Create(&terrain, &camera);
    ASSERT_TRUE(editor.LoadFromEditFile((dir / "town.gmb").c_str()));
    ASSERT_TRUE(editor.LoadMazeObjFile((dir / "town.gma").c_str()));
    GameMapEditor::GatherList gathers;
    editor.GetGatherList(gathers);
    ASSERT_EQ(gathers.size(), 2u);
    EXPECT_EQ(gathers.back()->id, 1u);
    EXPECT_EQ(gathers.back()->tileX, 7);
    EXPECT_EQ(gathers.back()->tileZ, 8);
    GameMapEditor::EditList walls;
    editor.GetMazeWallList(walls);
    ASSERT_EQ(walls.size(), 1u);
    EXPECT_EQ(walls.front()->GetMapID(), 1u);
    EXPECT_EQ(walls.front()->GetWorldPos(), D3DXVECTOR3(5000, 0, 5000));

    // Load and save again: the same bytes.
    r = Run({"--maze", Native("town.gma"), "save-as", Native("again.gmb")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(testsupport::ReadFile(dir / "again.gmb"), testsupport::ReadFile(dir / "town.gmb"));

    // list shows the settings as the commands that make them.
    r = Run({"--maze", Native("town.gma"), "list"});
    ASSERT_EQ(r.code, 0) << r.err;
    for (const char* line :
         {"set map-index 12\n", "set city \xE9\x95\x9C\xE6\xB9\x96\n", "set weather 2 17\n",
          "set fog 0xFF102030 100 900 0.5\n", "static 0 1 2 3 models\\house.fak yaw 90 scale 2.5\n",
          "npc 0 7 300 0 400 45 patrol\n", "gather 1 7 8\n", "chopfield 0 1 20 30\n",
          "wall 1 5000 0 5000 0\n"}) {
        EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
    }
}

TEST_F(MapEdit, TriggerCornersInAnyOrderMakeTheAreaTheGameReads) {
    Outcome r = Run({"add-trigger", "5", "5", "1", "1", "add-trigger", "0", "0", "2", "2", "move",
                     "trigger", "1", "9", "3", "4", "8", "save"});
    ASSERT_EQ(r.code, 0) << r.err;
    GameMap map = LoadMap();
    ASSERT_EQ(map.GetTriggers().size(), 2u);
    const tagMapTrigger& a = map.GetTriggers()[0];
    const tagMapTrigger& b = map.GetTriggers()[1];
    EXPECT_EQ(std::vector<int32_t>({a.tileX0, a.tileZ0, a.tileX1, a.tileZ1}),
              std::vector<int32_t>({1, 1, 5, 5}));
    EXPECT_EQ(std::vector<int32_t>({b.tileX0, b.tileZ0, b.tileX1, b.tileZ1}),
              std::vector<int32_t>({4, 3, 9, 8}));
}

TEST_F(MapEdit, WhatTheMapCannotHoldIsRefusedAndNothingIsSaved) {
    ASSERT_EQ(Run({"--maze", Native("town.gma"), "add-static", "m.fak", "1", "2", "3", "add-npc",
                   "7", "0", "0", "0", "0", "add-wall", "0", "0", "0", "0", "save"})
                  .code,
              0);
    const std::string saved = testsupport::ReadFile(dir / "town.gmb");
    const std::string maze = testsupport::ReadFile(dir / "town.gma");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"set", "weather", "4", "1", "save"}, "not a whole number in 0..3"},
        {{"set", "weather", "0", "18", "save"}, "not a whole number in 0..17"},
        {{"set", "city", std::string(36, 'c'), "save"}, "must be 1 to 35 bytes"},
        {{"set", "dungeon", "2", "save"}, "not a whole number in 0..1"},
        {{"set", "fog", "red", "1", "2", "0.5", "save"}, "not a colour"},
        {{"set", "fog", "0", "1", "2", "1.5", "save"}, "not a number in 0..1"},
        {{"set", "colour", "1", "save"}, "unknown field colour"},
        {{"add-chopfield", "2", "0", "0", "save"}, "not a whole number in 0..1"},
        {{"add-wall", "100", "0", "100", "0", "save"}, "would overlap another maze wall"},
        {{"turn", "npc", "5", "90", "save"}, "no npc 5"},
        {{"scale", "static", "0", "0", "save"}, "must be above 0"},
        {{"scale", "npc", "0", "2", "save"}, "only static objects are scaled"},
        {{"path", "npc", "0", std::string(32, 'p'), "save"}, "must be 1 to 31 bytes"},
        {{"move", "gather", "0", "1", "1", "save"}, "no gather 0"},
        {{"delete", "chopfield", "0", "save"}, "no chop field 0"},
    };
    for (const auto& [args, message] : cases) {
        std::vector<std::string> withMaze = {"--maze", Native("town.gma")};
        withMaze.insert(withMaze.end(), args.begin(), args.end());
        Outcome r = Run(withMaze);
        EXPECT_EQ(r.code, 1) << message;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_EQ(testsupport::ReadFile(dir / "town.gmb"), saved) << message;
        EXPECT_EQ(testsupport::ReadFile(dir / "town.gma"), maze) << message;
    }
}

TEST_F(MapEdit, FailuresStopBeforeTheSaveAndSayWhy) {
    ASSERT_EQ(Run({"add-sound", "1", "2", "3", "save"}).code, 0);
    const std::string saved = testsupport::ReadFile(dir / "town.gmb");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"add-sound", "1", "2", "save"}, "not a number: save"},
        {{"add-sound", "1", "x", "3", "save"}, "not a number: x"},
        {{"add-sound", "1", "2", "nan", "save"}, "not a number: nan"},
        {{"frobnicate", "save"}, "unknown command frobnicate"},
        {{"delete", "sound", "7", "save"}, "no sound 7"},
        {{"delete", "static", "0", "save"}, "no static 0"},
        {{"move", "tree", "0", "save"}, "unknown kind tree"},
        {{"add-npc", "8", "0", "0", "0", "0", "save"}, "no NPC attribute record 8"},
        {{"add-trigger", "1", "2", "3", "99999999999", "save"}, "not a whole number"},
        {{"add-waypoint", std::string(40, 'n'), "1", "1", "save"}, "must be 1 to 31 bytes"},
        {{"add-static", "m.fak", "1", "2"}, "too few arguments"},
        // The path as the system writes it, not the tool's inner form.
        {{"save-as", Native("missing\\x.gmb")}, "cannot write " + Native("missing\\x.gmb")},
    };
    for (const auto& [args, message] : cases) {
        Outcome r = Run(args);
        EXPECT_EQ(r.code, 1) << message;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_EQ(testsupport::ReadFile(dir / "town.gmb"), saved) << message;
    }
    {
        // A mistyped path is no new map unless the run saves one.
        const std::string typo = Native("typo.gmb");
        std::vector<const char*> argv = {"mapedit", typo.c_str(), "list"};
        std::ostringstream out, err;
        EXPECT_EQ(mapedit::Run(3, argv.data(), out, err), 1);
        EXPECT_NE(err.str().find("typo.gmb: no such map"), std::string::npos) << err.str();
        EXPECT_FALSE(platform::Exists(dir / "typo.gmb"));
    }
    testsupport::WriteFile(dir / "town.gmb", "not a map");
    Outcome r = Run({"list"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("not a map file"), std::string::npos);
    r = Run({"--data", Native("nothing"), "list"}, false);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("is not a folder"), std::string::npos);
}

TEST_F(MapEdit, AMapLoadedWithoutSomeOfItsNpcsIsOnlySavedWithForce) {
    ASSERT_EQ(Run({"add-npc", "7", "1", "2", "3", "0", "save"}).code, 0);
    Outcome r = Run({"list", "save"}, false);  // no data folder: the guard has no record
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("loaded without 1 NPCs"), std::string::npos);
    EXPECT_NE(r.err.find("use --force"), std::string::npos);
    EXPECT_EQ(LoadMap().GetNpc().size(), 1u);
    r = Run({"--force", "save"}, false);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(LoadMap().GetNpc().size(), 0u);
}

TEST_F(MapEdit, RendersATopViewWithTheEditorsColours) {
    // A 40 x 20 tile terrain of 100-unit tiles, all walkable but one column.
    GNavMap nav;
    Lumo::Heightmap height, cango;
    height.Create(0, 41, 21, 100, 100, 1, 0);
    cango.Create(1, 41, 21, 100, 100, 1, 0);
    for (int z = 0; z < 21; ++z) {
        cango.SafeSetVal(30, z, 0);
    }
    nav.CreateFromTwoMap(height, cango);
    ASSERT_TRUE(nav.SaveToFile((dir / "town.nav").c_str()));
    ASSERT_EQ(Run({"add-trigger", "2", "2", "10", "8", "add-static", "models\\house.fak", "2000",
                   "0", "1000", "save"})
                  .code,
              0);
    for (const char* name : {"top.bmp", "top.png"}) {
        Outcome r = Run({"--nav", Native("town.nav"), "--render", Native(name), "--size", "400"});
        ASSERT_EQ(r.code, 0) << r.err;
        const std::string bytes = testsupport::ReadFile(dir / name);
        const pictest::Image img = std::string(name).find(".bmp") != std::string::npos
                                       ? pictest::ReadBmp(bytes)
                                       : pictest::ReadPng(bytes);
        ASSERT_TRUE(img.ok) << img.error;
        ASSERT_EQ(img.width, 400);
        ASSERT_EQ(img.height, 200);  // 4000 x 2000 world units
        // 10 units a pixel, z up: the trigger's corner tile (2, 2) is at
        // pixel (20, 180), its far corner (10, 8) at (100, 120).
        EXPECT_TRUE(Near(img, 20, 180, kColourTrigger & 0xFFFFFF));
        EXPECT_TRUE(Near(img, 60, 120, kColourTrigger & 0xFFFFFF));
        EXPECT_FALSE(Near(img, 60, 150, kColourTrigger & 0xFFFFFF));  // a frame, not a fill
        // The house: 100 units across around (2000, 1000).
        EXPECT_TRUE(Near(img, 195, 100, 0xD8D8D8u));
        EXPECT_FALSE(Near(img, 200, 100, 0xD8D8D8u));
        // The unwalkable column is tinted, the ground beside it is not.
        const uint32_t blocked = img.At(302, 50), open = img.At(310, 50);
        EXPECT_GT(blocked >> 16, (blocked >> 8) & 0xFF);
        EXPECT_GT((open >> 8) & 0xFF, open >> 16);
    }
    Outcome r = Run({"--render", Native("top.gif")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(".png or .bmp"), std::string::npos);
    // Without a navigation map the ground is flat and covers the objects.
    r = Run({"--render", Native("flat.png"), "--size", "64"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(pictest::ReadPng(testsupport::ReadFile(dir / "flat.png")).ok);
}

}  // namespace
