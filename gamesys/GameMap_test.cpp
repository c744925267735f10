#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "MapFileWriter_test.h"
#include "gamesys/GameMap.h"
#include "lumo/DiskFS.h"
#include "lumo/Exception.h"
#include "lumo/Log.h"
#include "lumo/MemFS.h"
#include "testsupport/temp_dir.h"

namespace {

using namespace GFC;
using mapfile::Section;

template <typename Rec>
bool SameBytes(const Rec& a, const std::string& b) {
    return b.size() == sizeof a && std::memcmp(&a, b.data(), sizeof a) == 0;
}

template <typename Rec>
Rec WithId(std::mt19937& rng, uint32_t id) {
    Rec r = mapfile::RandomRecord<Rec>(rng);
    r.id = id;
    return r;
}

// A map with every kind of record and setting, each byte random.
mapfile::Map FullMap(std::mt19937& rng) {
    mapfile::Map m;
    auto& st = m.settings;
    for (auto& b : st.fog) {
        b = static_cast<uint8_t>(rng());
    }
    for (auto& b : st.light) {
        b = static_cast<uint8_t>(rng());
    }
    st.mapIndex = 0xA1B2C3D4;
    st.timeZone = -7;
    st.cityName = "\xE5\xA4\xA9\xE5\x9F\x8E";  // two GBK-sized characters' worth of bytes
    st.weather[0] = 3;
    st.weather[1] = 0;
    st.weather[2] = 17;
    st.weather[3] = 9;
    st.dungeon = 5;
    st.reputation = 42;
    st.instance = 1;
    st.instanceTime = 120000;
    st.cannotMount = 1;
    st.cannotTransmit = 0;
    for (uint32_t i = 0; i < 5; ++i) {
        m.Add(mapfile::DYNAMIC, WithId<tagDynamicMapObj>(rng, 100 + i));
        m.Add(mapfile::NPC, WithId<tagMapNPC>(rng, 200 + i));
        m.Add(mapfile::STATIC, WithId<tagStaticMapObj>(rng, 300 + i));
        m.Add(mapfile::WAYPOINT, mapfile::RandomRecord<tagMapWayPoint>(rng));
        m.Add(mapfile::TRIGGER, WithId<tagMapTrigger>(rng, 400 + i));
        m.Add(mapfile::SOUND, WithId<tagMapSound>(rng, i));
        m.Add(mapfile::CHOP, WithId<tagChopField>(rng, 500 + i));
        m.Add(mapfile::GATHER, WithId<tagGatherObj>(rng, 600 + i));
    }
    return m;
}

GameMap Loaded(const std::string& bytes) {
    Lumo::MemFS fs;
    fs.AddFile("maps\\a.gmb", bytes);
    GameMap map;
    map.LoadFromFile(&fs, "maps\\a.gmb");
    return map;
}

void ExpectRecordsAsWritten(const GameMap& map, const mapfile::Map& m) {
    ASSERT_EQ(map.GetDynamicMapObjs().size(), m.records[mapfile::DYNAMIC].size());
    for (const std::string& r : m.records[mapfile::DYNAMIC]) {
        const auto* got = map.FindDynamicMapObj(mapfile::GetU32(r, 0));
        ASSERT_NE(got, nullptr);
        EXPECT_TRUE(SameBytes(*got, r));
    }
    ASSERT_EQ(map.GetNpc().size(), m.records[mapfile::NPC].size());
    for (const std::string& r : m.records[mapfile::NPC]) {
        const auto* got = map.FindMapNpc(mapfile::GetU32(r, 0));
        ASSERT_NE(got, nullptr);
        EXPECT_TRUE(SameBytes(*got, r));
    }
    auto sameList = [](const auto& list, const std::vector<std::string>& want) {
        ASSERT_EQ(list.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i) {
            EXPECT_TRUE(SameBytes(list[i], want[i])) << i;
        }
    };
    sameList(map.GetStaticMapObjs(), m.records[mapfile::STATIC]);
    sameList(map.GetWayPoints(), m.records[mapfile::WAYPOINT]);
    sameList(map.GetTriggers(), m.records[mapfile::TRIGGER]);
    sameList(map.GetSounds(), m.records[mapfile::SOUND]);
    sameList(map.GetChopFields(), m.records[mapfile::CHOP]);
}

void ExpectSettingsAsWritten(const GameMap& map, const mapfile::Settings& st) {
    Lumo::tagLight light;
    Lumo::tagDistFog fog;
    map.GetData(light, fog);
    EXPECT_EQ(std::memcmp(&fog, st.fog, 16), 0);
    EXPECT_EQ(std::memcmp(&light, st.light, 104), 0);
    EXPECT_EQ(map.GetMapIndex(), st.mapIndex);
    EXPECT_EQ(map.GetTimeZone(), st.timeZone);
    EXPECT_EQ(std::string(map.GetCityName()), st.cityName);
    EWeather w[4];
    map.GetWeatherType(w[0], w[1], w[2], w[3]);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(w[i], st.weather[i]) << i;
    }
    EXPECT_EQ(map.GetDungeon(), st.dungeon != 0);
    EXPECT_EQ(map.GetReputation(), st.reputation);
    EXPECT_EQ(map.IsInstance(), st.instance != 0);
    EXPECT_EQ(map.GetInstanceTime(), st.instanceTime);
    EXPECT_EQ(map.CannotMount(), st.cannotMount != 0);
    EXPECT_EQ(map.CannotTransmit(), st.cannotTransmit != 0);
}

TEST(GameMap, StartsWithTheDefaults) {
    GameMap map;
    EXPECT_TRUE(map.GetStaticMapObjs().empty());
    EXPECT_TRUE(map.GetNpc().empty());
    EXPECT_FALSE(map.GetDungeon());
    EXPECT_FALSE(map.IsInstance());
    EXPECT_FALSE(map.CannotMount());
    EXPECT_FALSE(map.CannotTransmit());
    EXPECT_EQ(map.GetReputation(), 0);
    EXPECT_EQ(map.GetInstanceTime(), 30000u);
    EXPECT_EQ(map.GetMapIndex(), 0u);
    EXPECT_EQ(map.FindStaticMapObj(0), nullptr);
    EXPECT_EQ(map.FindDynamicMapObj(0), nullptr);
    EXPECT_EQ(map.FindMapNpc(0), nullptr);
    map.Destroy();  // nothing to release in the plain map
    EXPECT_EQ(map.GetInstanceTime(), 30000u);
}

TEST(GameMap, EveryRecordAndSettingSurvivesAReadFromDisk) {
    std::mt19937 rng(1);
    mapfile::Map m = FullMap(rng);
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "Maps\\Town.gmb", mapfile::Write(m));
    Lumo::DiskFS fs(dir.path());
    GameMap map;
    map.LoadFromFile(&fs, "maps\\town.GMB");
    ExpectRecordsAsWritten(map, m);
    ExpectSettingsAsWritten(map, m.settings);
    EXPECT_EQ(fs.OpenCount(), 0u);
}

TEST(GameMap, SectionsAreFoundByTheirOffsetsInAnyOrder) {
    std::mt19937 rng(2);
    mapfile::Map m = FullMap(rng);
    GameMap map = Loaded(
        mapfile::Write(m, {mapfile::GATHER, mapfile::CHOP, mapfile::SOUND, mapfile::STATIC,
                           mapfile::TRIGGER, mapfile::WAYPOINT, mapfile::NPC, mapfile::DYNAMIC}));
    ExpectRecordsAsWritten(map, m);

    // Sections may lie over the header and over one another: each is read
    // where it points, as far as the file goes.
    std::string over = mapfile::Write(m);
    const uint32_t size = static_cast<uint32_t>(over.size());
    mapfile::SetSection(over, mapfile::WAYPOINT, int32_t((size + 67) / 68), 0);
    mapfile::SetSection(over, mapfile::TRIGGER, 2, 4);
    GameMap overlapping = Loaded(over);
    ASSERT_EQ(overlapping.GetWayPoints().size(), (size + 67) / 68);
    EXPECT_EQ(std::memcmp(overlapping.GetWayPoints()[0].name, "GMB", 4), 0);
    ASSERT_EQ(overlapping.GetTriggers().size(), 2u);
    EXPECT_EQ(std::memcmp(&overlapping.GetTriggers()[1], over.data() + 4 + 792, 792), 0);
    EXPECT_EQ(overlapping.GetStaticMapObjs().size(), 5u);
}

TEST(GameMap, AnEmptyMapTakesItsSettingsFromTheHeader) {
    mapfile::Map m;
    m.settings.timeZone = 8;
    m.settings.cityName = "Harbour";
    m.settings.instanceTime = 7;
    GameMap map = Loaded(mapfile::Write(m));
    ExpectRecordsAsWritten(map, m);
    ExpectSettingsAsWritten(map, m.settings);
}

TEST(GameMap, RepeatedIdsKeepTheLastMappedRecordAndTheFirstStaticOne) {
    std::mt19937 rng(3);
    mapfile::Map m;
    tagMapNPC first = WithId<tagMapNPC>(rng, 9), second = WithId<tagMapNPC>(rng, 9);
    m.Add(mapfile::NPC, first);
    m.Add(mapfile::NPC, second);
    tagDynamicMapObj d1 = WithId<tagDynamicMapObj>(rng, 4), d2 = WithId<tagDynamicMapObj>(rng, 4);
    m.Add(mapfile::DYNAMIC, d1);
    m.Add(mapfile::DYNAMIC, d2);
    tagStaticMapObj s1 = WithId<tagStaticMapObj>(rng, 5), s2 = WithId<tagStaticMapObj>(rng, 5);
    m.Add(mapfile::STATIC, s1);
    m.Add(mapfile::STATIC, s2);
    GameMap map = Loaded(mapfile::Write(m));
    EXPECT_EQ(map.GetNpc().size(), 1u);
    EXPECT_EQ(std::memcmp(map.FindMapNpc(9), &second, sizeof second), 0);
    EXPECT_EQ(map.FindMapNpc(9)->id, 9u);
    EXPECT_EQ(std::memcmp(map.FindDynamicMapObj(4), &d2, sizeof d2), 0);
    EXPECT_EQ(map.GetStaticMapObjs().size(), 2u);
    EXPECT_EQ(map.FindStaticMapObj(5), &map.GetStaticMapObjs()[0]);
    EXPECT_EQ(std::memcmp(map.FindStaticMapObj(5), &s1, sizeof s1), 0);
}

TEST(GameMap, WeatherOutsideItsRangeBecomesZeroAndTheMagicIsNotChecked) {
    mapfile::Map m;
    m.settings.weather[0] = 17;
    m.settings.weather[1] = 18;
    m.settings.weather[2] = -1;
    m.settings.weather[3] = 0x7FFFFFFF;
    m.settings.magic = std::string("GMA\0", 4);
    GameMap map = Loaded(mapfile::Write(m));
    EWeather w[4];
    map.GetWeatherType(w[0], w[1], w[2], w[3]);
    EXPECT_EQ(w[0], 17);
    EXPECT_EQ(w[1], 0);
    EXPECT_EQ(w[2], 0);
    EXPECT_EQ(w[3], 0);
}

TEST(GameMap, ARecordCutShortAtTheEndKeepsZerosAndTheDefaultScale) {
    std::mt19937 rng(4);
    mapfile::Map m;
    tagStaticMapObj whole = WithId<tagStaticMapObj>(rng, 1);
    tagStaticMapObj cut = WithId<tagStaticMapObj>(rng, 2);
    m.Add(mapfile::STATIC, whole);
    m.Add(mapfile::STATIC, cut);
    std::string file = mapfile::Write(m, {mapfile::STATIC});
    file.resize(file.size() - sizeof(tagStaticMapObj) + 268);  // the second ends after pos.x
    GameMap map = Loaded(file);
    ASSERT_EQ(map.GetStaticMapObjs().size(), 2u);
    const tagStaticMapObj& got = map.GetStaticMapObjs()[1];
    EXPECT_EQ(std::memcmp(&got, &cut, 268), 0);
    EXPECT_EQ(got.pos.y, 0.0f);
    EXPECT_EQ(got.scale, D3DXVECTOR3(1, 1, 1));
    for (uint8_t b : got.reserved) {
        ASSERT_EQ(b, 0);
    }

    // A header cut short: its missing bytes read as zeros.
    GameMap bare = Loaded(std::string("GMB\0", 4) + std::string(150, '\0'));
    EXPECT_EQ(bare.GetInstanceTime(), 0u);
    EXPECT_TRUE(bare.GetStaticMapObjs().empty());
}

TEST(GameMap, ACityNameFillingItsFieldStillEnds) {
    mapfile::Map m;
    m.settings.cityName = std::string(36, 'c');  // no room for the terminator
    GameMap map = Loaded(mapfile::Write(m));
    EXPECT_EQ(std::string(map.GetCityName()), std::string(36, 'c'));
}

TEST(GameMap, AnUnopenableFileThrowsEmptiesTheContainersAndKeepsTheSettings) {
    std::mt19937 rng(5);
    mapfile::Map m = FullMap(rng);
    Lumo::MemFS fs;
    fs.AddFile("a.gmb", mapfile::Write(m));
    GameMap map;
    map.LoadFromFile(&fs, "a.gmb");
    try {
        map.LoadFromFile(&fs, "missing.gmb");
        FAIL() << "no exception";
    } catch (const Lumo::Exception& e) {
        EXPECT_STREQ(e.GetMsg(), "GameMap open file failed.");
        EXPECT_STREQ(e.GetDetail(), "missing.gmb");
        EXPECT_STREQ(e.GetSrcFile(), ".\\gamesys\\GameMap");
    }
    EXPECT_TRUE(map.GetStaticMapObjs().empty());
    EXPECT_TRUE(map.GetNpc().empty());
    EXPECT_TRUE(map.GetDynamicMapObjs().empty());
    EXPECT_TRUE(map.GetChopFields().empty());
    ExpectSettingsAsWritten(map, m.settings);
}

TEST(GameMap, SectionsClaimingMoreThanTheFileHoldsStopTheLoad) {
    std::mt19937 rng(6);
    mapfile::Map m = FullMap(rng);
    const std::string good = mapfile::Write(m);
    const uint32_t size = static_cast<uint32_t>(good.size());
    struct Case {
        Section s;
        int32_t count;
        uint32_t offset;
    };
    const uint32_t staticAt = mapfile::GetU32(good, 28);
    const Case cases[] = {
        {mapfile::STATIC, 0x7FFFFFFF, staticAt},  // a lying count: no 900 GB allocation
        {mapfile::STATIC, 5, size},               // records starting at the end
        {mapfile::NPC, 1, 0xFFFFFFF0},            // an offset beyond the file
        {mapfile::SOUND, int32_t((size - mapfile::GetU32(good, 176) + 287) / 288 + 1),
         mapfile::GetU32(good, 176)},  // one record starting at or past the end
    };
    for (const Case& c : cases) {
        std::string bad = good;
        mapfile::SetSection(bad, c.s, c.count, c.offset);
        Lumo::MemFS fs;
        fs.AddFile("a.gmb", bad);
        GameMap map;
        Lumo::ClearLog();
        try {
            map.LoadFromFile(&fs, "a.gmb");
            FAIL() << "no exception for section " << c.s;
        } catch (const Lumo::Exception& e) {
            EXPECT_STREQ(e.GetMsg(), "GameMap file damaged.");
        }
        EXPECT_NE(Lumo::GetLogText().find("run past the end"), std::string::npos);
        EXPECT_TRUE(map.GetStaticMapObjs().empty());
        EXPECT_EQ(map.GetInstanceTime(), 30000u);  // settings untouched
        EXPECT_EQ(fs.OpenCount(), 0u);
    }
    // Counts of zero or less read nothing, wherever they point.
    std::string none = good;
    mapfile::SetSection(none, mapfile::STATIC, -3, 0xFFFFFFFF);
    mapfile::SetSection(none, mapfile::NPC, 0, 0xFFFFFFFF);
    GameMap map = Loaded(none);
    EXPECT_TRUE(map.GetStaticMapObjs().empty());
    EXPECT_TRUE(map.GetNpc().empty());
    EXPECT_EQ(map.GetChopFields().size(), 5u);
}

TEST(GameMap, ALoadReplacesTheMapAndCopiesAreWhole) {
    std::mt19937 rng(7);
    mapfile::Map big = FullMap(rng);
    mapfile::Map small;
    small.Add(mapfile::SOUND, WithId<tagMapSound>(rng, 77));
    Lumo::MemFS fs;
    fs.AddFile("big", mapfile::Write(big));
    fs.AddFile("small", mapfile::Write(small));
    GameMap map;
    map.LoadFromFile(&fs, "big");
    GameMap copy(map);
    GameMap assigned;
    assigned = map;
    map.LoadFromFile(&fs, "small");
    EXPECT_TRUE(map.GetStaticMapObjs().empty());
    EXPECT_EQ(map.GetSounds().size(), 1u);
    for (const GameMap* m : {&copy, &assigned}) {
        ExpectRecordsAsWritten(*m, big);
        ExpectSettingsAsWritten(*m, big.settings);
    }
}

}  // namespace
