#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "MapFileWriter_test.h"
#include "MapInfoTool.h"
#include "gamesys/GNavMap.h"
#include "gamesys/GameMap.h"
#include "lumo/Exception.h"
#include "lumo/MemFS.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "testsupport/temp_dir.h"

namespace {

using namespace GFC;

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

Outcome RunTool(std::vector<std::string> args) {
    args.insert(args.begin(), "mapinfo");
    std::vector<const char*> argv;
    for (const std::string& a : args) {
        argv.push_back(a.c_str());
    }
    std::ostringstream out, err;
    int code = mapinfo::Run(static_cast<int>(argv.size()), argv.data(), out, err);
    return {code, out.str(), err.str()};
}

class MapInfo : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        testsupport::WriteFile(dir / name, bytes);
        return platform::NativePath(dir / name);
    }

    static mapfile::Map SampleMap() {
        mapfile::Map m;
        m.settings.mapIndex = 12;
        m.settings.cityName = platform::Utf8ToGbk("\xE6\xB5\xB7");  // one character
        m.settings.timeZone = 3;
        m.settings.weather[0] = 1;
        m.settings.weather[3] = 17;
        m.settings.dungeon = 1;
        m.settings.instanceTime = 60000;
        m.settings.cannotTransmit = 1;
        tagMapNPC npc{};
        npc.id = 1;
        m.Add(mapfile::NPC, npc);
        npc.id = 2;
        m.Add(mapfile::NPC, npc);
        tagStaticMapObj st{};
        st.id = 7;
        m.Add(mapfile::STATIC, st);
        tagMapWayPoint wp{};
        std::strcpy(wp.name, "patrol");
        m.Add(mapfile::WAYPOINT, wp);
        m.Add(mapfile::WAYPOINT, wp);
        std::strcpy(wp.name, "guard");
        m.Add(mapfile::WAYPOINT, wp);
        tagMapTrigger trig{};
        trig.tileX1 = trig.tileZ1 = 3;
        m.Add(mapfile::TRIGGER, trig);
        m.Add(mapfile::GATHER, tagGatherObj{});
        return m;
    }

    testsupport::TempDir dir;
};

TEST_F(MapInfo, ShowsAMapsSettingsAndSectionCounts) {
    Outcome r = RunTool({Write("town.gmb", mapfile::Write(SampleMap()))});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "kind: map\n"
              "map index: 12\n"
              "city: \xE6\xB5\xB7\n"
              "time zone: 3\n"
              "weather: 1 0 0 17\n"
              "dungeon: yes\n"
              "instance: no\n"
              "instance time: 60000\n"
              "reputation: 0\n"
              "cannot mount: no\n"
              "cannot transmit: yes\n"
              "dynamic objects: 0\n"
              "NPCs: 2\n"
              "static objects: 1\n"
              "way points: 3 in 2 paths\n"
              "triggers: 1\n"
              "sounds: 0\n"
              "chop fields: 0\n"
              "gathers: 1\n");
    r = RunTool({Write("town.gmb", mapfile::Write(SampleMap())), "--check"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(MapInfo, CheckListsEveryBrokenRuleOfAMap) {
    mapfile::Map m = SampleMap();
    m.settings.magic = std::string("GMX\0", 4);
    m.settings.weather[1] = 18;
    m.settings.cityName = std::string(36, 'x');
    tagMapNPC npc{};
    npc.id = 2;
    m.Add(mapfile::NPC, npc);  // a second NPC 2
    tagMapTrigger backwards{};
    backwards.id = 9;
    backwards.tileX0 = 5;
    m.Add(mapfile::TRIGGER, backwards);
    std::string bytes = mapfile::Write(m);
    const uint32_t soundAt = static_cast<uint32_t>(bytes.size());
    mapfile::SetSection(bytes, mapfile::SOUND, 4, soundAt);
    mapfile::SetSection(bytes, mapfile::CHOP, 1, 100);
    const std::string path = Write("bad.gmb", bytes);
    Outcome r = RunTool({path, "--check"});
    EXPECT_EQ(r.code, 1);
    const std::string p = path + ": ";
    const std::string size = std::to_string(bytes.size());
    for (const std::string& line : {
             std::string("magic is not GMB"),
             "sound section: 4 records at " + size + " run past the end of the file (" + size +
                 " bytes)",
             std::string("chop field section: starts inside the header (offset 100)"),
             std::string("weather value 1 is 18, outside 0..17"),
             std::string("city name has no terminator within its 36 bytes"),
             std::string("NPC id 2 appears 2 times"),
             std::string("trigger 9: corners out of order, its area is empty"),
         }) {
        EXPECT_NE(r.out.find(p + line + "\n"), std::string::npos) << line << "\n" << r.out;
    }
    EXPECT_NE(r.out.find("sections overlap"), std::string::npos);

    // Without --check the damaged map is refused with the loader's reason.
    r = RunTool({path});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("GameMap file damaged."), std::string::npos);
    EXPECT_EQ(r.out, "");
}

TEST_F(MapInfo, ShowsWhatTheGameLoadsAndFailsWhereTheGameFails) {
    for (const mapfile::Probe& p : mapfile::ReaderProbes(SampleMap())) {
        SCOPED_TRACE(p.name);
        Lumo::MemFS fs;
        fs.AddFile("a.gmb", p.bytes);
        GameMap game;
        try {
            game.LoadFromFile(&fs, "a.gmb");
        } catch (const Lumo::Exception&) {
        }
        Outcome r = RunTool({Write("probe.gmb", p.bytes)});
        EXPECT_EQ(r.code, p.gameLoads ? 0 : 1) << r.err;
        if (!p.gameLoads) {
            EXPECT_NE(r.err.find("GameMap file damaged."), std::string::npos);
            EXPECT_EQ(r.out, "");
            continue;
        }
        for (const std::string& line : {
                 "NPCs: " + std::to_string(game.GetNpc().size()),
                 "static objects: " + std::to_string(game.GetStaticMapObjs().size()),
                 "way points: " + std::to_string(game.GetWayPoints().size()) + " in ",
                 "triggers: " + std::to_string(game.GetTriggers().size()),
                 "sounds: " + std::to_string(game.GetSounds().size()),
             }) {
            EXPECT_NE(r.out.find("\n" + line), std::string::npos) << line << "\n" << r.out;
        }
        EXPECT_EQ(r.out.find("the editor refuses the map") == std::string::npos, p.gathersFit)
            << r.out;
    }

    // --check is stricter: a cut-short record is reported, and is among the
    // records it checks.
    mapfile::Map m = SampleMap();
    tagMapNPC npc{};
    npc.id = 2;  // a second NPC 2, cut short at the end
    m.Add(mapfile::NPC, npc);
    std::string cut = mapfile::Write(m, {mapfile::NPC});
    cut.resize(cut.size() - 10);
    Outcome r = RunTool({Write("cut.gmb", cut), "--check"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("NPC section: the last record is cut short by the end of the file"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("NPC id 2 appears 2 times"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("run past the end"), std::string::npos) << r.out;
}

TEST_F(MapInfo, ShowsANavigationFilesSizeAndWalkableTiles) {
    GNavMap nav;
    Lumo::Heightmap height, cango, doodad, leap, suogu;
    height.Create(10, 5, 4, 32, 32, 0.5f, 0);
    height.SafeSetVal(4, 3, 50);
    cango.Create(0, 5, 4, 32, 32, 1, 0);
    doodad.Create(0, 5, 4, 32, 32, 1, 0);
    leap.Create(0, 5, 4, 32, 32, 1, 0);
    suogu.Create(0, 5, 4, 32, 32, 1, 0);
    for (int x = 0; x < 5; ++x) {
        cango.SafeSetVal(x, 0, 1);  // 5 tiles
        suogu.SafeSetVal(x, 1, 1);  // 5 more in mode 1
    }
    leap.SafeSetVal(0, 0, 1);  // already can-go
    leap.SafeSetVal(0, 3, 1);
    doodad.SafeSetVal(2, 2, 1);
    nav.CreateFromFiveMap(height, cango, doodad, leap, suogu);
    ASSERT_TRUE(nav.SaveToFile((dir / "a.nav").c_str()));
    ASSERT_TRUE(nav.SaveCMToFile((dir / "a.dat").c_str()));

    Outcome r = RunTool({platform::NativePath(dir / "a.nav")});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "kind: navigation (NAV)\n"
              "size: 5 x 4\n"
              "tile size: 32\n"
              "height scale: 0.5\n"
              "height format: 16-bit\n"
              "heights: 5 .. 25\n"
              "walkable in mode 0: 5\n"
              "walkable in mode 1: 10\n"
              "walkable in mode 2: 6\n"
              "doodad tiles: 1\n");
    r = RunTool({platform::NativePath(dir / "a.dat")});  // known by its identifier
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("kind: can-go layer (CM)\n"), std::string::npos);
    EXPECT_NE(r.out.find("walkable in mode 0: 5\n"), std::string::npos);
    r = RunTool({platform::NativePath(dir / "a.nav"), "--check"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(MapInfo, CheckFindsDamagedNavigationFiles) {
    GNavMap nav;
    nav.Create(3, 3, 10, 1);
    ASSERT_TRUE(nav.SaveToFile((dir / "a.nav").c_str()));
    const std::string good = testsupport::ReadFile(dir / "a.nav");
    GNavMap other;
    other.Create(2, 2, 10, 1);
    ASSERT_TRUE(other.SaveCMToFile((dir / "small.cm").c_str()));
    const std::string small = testsupport::ReadFile(dir / "small.cm");
    const size_t heightEnd = 5 + 28 + 3 * 3 * 2;

    struct Case {
        std::string name, bytes, line;
    };
    std::string badCode = good;
    badCode[4] = 9;
    const Case cases[] = {
        {"a.nav", good + "xyz", "3 bytes after the last layer"},
        {"b.nav", badCode, "height format code is 9, not 1 or 2"},
        {"c.nav", good.substr(0, heightEnd + 3), "can-go layer cannot be read"},
        {"d.cm",
         std::string("CM\0\0", 4) + good.substr(4, heightEnd - 4) +
             small.substr(5 + 28 + 2 * 2 * 2),
         "flag layer is 2 x 2, the height layer 3 x 3"},
        {"e.lm", std::string("LM\0\0", 4) + good.substr(4, 20), "height layer cannot be read"},
        {"f.sgm", std::string("XX"), "header is cut short"},
    };
    for (const Case& c : cases) {
        Outcome r = RunTool({Write(c.name, c.bytes), "--check"});
        EXPECT_EQ(r.code, 1) << c.name;
        EXPECT_NE(r.out.find(c.line), std::string::npos) << c.name << ": " << r.out;
    }
    Outcome r = RunTool({Write("c.nav", good.substr(0, heightEnd + 3))});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Nav file damaged"), std::string::npos);
}

// A maze-wall file as the editor writes it: the header, then the walls.
std::string MazeFile(uint32_t mapIndex, const std::vector<uint32_t>& ids) {
    tagMazeFileHeader h{};
    std::memcpy(h.magic, kMazeMagic, sizeof h.magic);
    h.mapIndex = mapIndex;
    h.walls.count = static_cast<int32_t>(ids.size());
    h.walls.offset = sizeof h;
    std::string bytes(reinterpret_cast<const char*>(&h), sizeof h);
    for (uint32_t id : ids) {
        tagMazeWallObj w{};
        w.id = id;
        w.scale = D3DXVECTOR3(1, 1, 1);
        bytes.append(reinterpret_cast<const char*>(&w), sizeof w);
    }
    return bytes;
}

TEST_F(MapInfo, MazeWallFilesAreShownAndCheckedAsTheEditorReadsThem) {
    Outcome r = RunTool({Write("town.gma", MazeFile(4, {0, 1, 2}))});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "kind: maze walls\nmap index: 4\nmaze walls: 3\n");
    EXPECT_EQ(RunTool({Write("town.gma", MazeFile(4, {0, 1, 2})), "--check"}).code, 0);

    // By its magic whatever its name; by its name when cut before the magic.
    EXPECT_EQ(RunTool({Write("walls.bin", MazeFile(4, {}))}).out,
              "kind: maze walls\nmap index: 4\nmaze walls: 0\n");

    struct Case {
        std::string bytes;
        std::string line;
    };
    std::string cut = MazeFile(4, {0, 1});
    cut.resize(cut.size() - 1);
    std::string claims = MazeFile(4, {0, 1});
    reinterpret_cast<tagMazeFileHeader*>(&claims[0])->walls.count = 5;
    std::string inside = MazeFile(4, {0});
    reinterpret_cast<tagMazeFileHeader*>(&inside[0])->walls.offset = 8;
    const std::vector<Case> cases = {
        {"", "header is cut short (0 of 532 bytes)"},
        {cut, "the last wall is cut short (419 of 420 bytes)"},
        {claims, "5 walls at 532 run past the end of the file (1372 bytes)"},
        {inside, "walls start inside the header (offset 8)"},
        {MazeFile(4, {5, 5}), "wall id 5 appears 2 times"},
    };
    for (const Case& c : cases) {
        const std::string path = Write("bad.gma", c.bytes);
        Outcome checked = RunTool({path, "--check"});
        EXPECT_EQ(checked.code, 1) << c.line;
        EXPECT_NE(checked.out.find(c.line), std::string::npos) << checked.out;
    }
    // A last wall cut short is read as far as it goes, as the editor does;
    // what the editor refuses as a whole is no maze to show.
    r = RunTool({Write("cut.gma", cut)});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("maze walls: 2\n"), std::string::npos) << r.out;
    r = RunTool({Write("bad.gma", claims)});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("maze-wall file damaged"), std::string::npos) << r.err;
}

TEST_F(MapInfo, BadArgumentsAndMissingFiles) {
    Outcome r = RunTool({platform::NativePath(dir / "none.gmb")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("cannot open"), std::string::npos);
    r = RunTool({platform::NativePath(dir.path())});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("is a folder"), std::string::npos);
    r = RunTool({});
    EXPECT_NE(r.code, 0);
    r = RunTool({"--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("--check"), std::string::npos);
}

}  // namespace
