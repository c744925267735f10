#include "gamesys/GameMap.h"

#include <cstring>

#include "framework/FsFile.h"
#include "gamesys/MapFile.h"
#include "lumo/Exception.h"
#include "lumo/Log.h"

namespace GFC {

namespace {

constexpr const char* kSourceFile = ".\\gamesys\\GameMap";

// Records into an id-keyed map: a repeated id keeps the last record.
template <typename Rec>
void Index(const std::vector<Rec>& records, std::map<unsigned long, Rec>& out) {
    for (const Rec& r : records) {
        out[r.id] = r;
    }
}

}  // namespace

GameMap::GameMap()
    : m_timeZone(0),
      m_weather{EW_NONE, EW_NONE, EW_NONE, EW_NONE},
      m_cityName{},
      m_dungeon(false),
      m_reputation(ER_NONE),
      m_instance(false),
      m_instanceTime(kDefaultInstanceTime),
      m_cannotMount(false),
      m_cannotTransmit(false),
      m_mapIndex(0) {}

GameMap::GameMap(const GameMap&) = default;
GameMap& GameMap::operator=(const GameMap&) = default;
GameMap::~GameMap() = default;

void GameMap::Destroy() {}

void GameMap::LoadFromFile(Lumo::IFS* fs, const char* path) {
    std::vector<tagStaticMapObj>().swap(m_staticObjs);
    m_dynamicObjs.clear();
    m_npcs.clear();
    std::vector<tagMapWayPoint>().swap(m_wayPoints);
    std::vector<tagMapTrigger>().swap(m_triggers);
    std::vector<tagMapSound>().swap(m_sounds);
    std::vector<tagChopField>().swap(m_chopFields);

    FsFile file = FsFile::OpenOrThrow(fs, path, "GameMap open file failed.", kSourceFile, __LINE__);

    MapFileReader reader(file);
    const tagGameMapHeader& hdr = reader.Header();
    // Counts come from outside: a section that claims records the file does
    // not hold stops the load before anything is allocated for it. The
    // gathers are the editor's; the game does not read them.
    const EMapSection damaged = reader.FirstDamaged(
        {MS_DYNAMIC, MS_NPC, MS_STATIC, MS_WAYPOINT, MS_TRIGGER, MS_SOUND, MS_CHOPFIELD});
    if (damaged != MS_COUNT) {
        const tagMapSection& s = reader.Section(damaged);
        Lumo::_WriteLogString(
            "GameMap file damaged,%s: %d %s records at %u run past the end (%u bytes).\r\n", path,
            static_cast<int>(s.count), kMapSectionKinds[damaged].name,
            static_cast<unsigned>(s.offset), static_cast<unsigned>(reader.FileSize()));
        throw Lumo::Exception("GameMap file damaged.", path, kSourceFile, __LINE__);
    }

    std::memcpy(&m_fog, &hdr.fog, sizeof m_fog);
    std::memcpy(&m_sunLight, &hdr.sunLight, sizeof m_sunLight);
    m_mapIndex = hdr.mapIndex;
    m_timeZone = hdr.timeZone;
    // The field holds 36 bytes; the rest of the member stays zero, so a
    // name without a terminator in the file still ends.
    std::memset(m_cityName, 0, sizeof m_cityName);
    std::memcpy(m_cityName, hdr.cityName, sizeof hdr.cityName);
    m_dungeon = hdr.dungeon != 0;
    m_instance = hdr.instance != 0;
    m_reputation = static_cast<EReputation>(hdr.reputation);
    m_instanceTime = hdr.instanceTime;
    m_cannotMount = hdr.cannotMount != 0;
    m_cannotTransmit = hdr.cannotTransmit != 0;
    for (int i = 0; i < 4; ++i) {
        const int32_t w = hdr.weather[i];
        m_weather[i] = static_cast<EWeather>(w >= 0 && w < kWeatherKinds ? w : 0);
    }

    Index(reader.Read<tagDynamicMapObj>(), m_dynamicObjs);
    Index(reader.Read<tagMapNPC>(), m_npcs);
    tagStaticMapObj blankStatic{};
    blankStatic.scale = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
    m_staticObjs = reader.Read(blankStatic);
    m_wayPoints = reader.Read<tagMapWayPoint>();
    m_triggers = reader.Read<tagMapTrigger>();
    m_sounds = reader.Read<tagMapSound>();
    m_chopFields = reader.Read<tagChopField>();
}

const tagStaticMapObj* GameMap::FindStaticMapObj(unsigned long id) const {
    for (const tagStaticMapObj& r : m_staticObjs) {
        if (r.id == id) {
            return &r;
        }
    }
    return nullptr;
}

const tagDynamicMapObj* GameMap::FindDynamicMapObj(unsigned long id) const {
    auto it = m_dynamicObjs.find(id);
    return it == m_dynamicObjs.end() ? nullptr : &it->second;
}

const tagMapNPC* GameMap::FindMapNpc(unsigned long id) const {
    auto it = m_npcs.find(id);
    return it == m_npcs.end() ? nullptr : &it->second;
}

void GameMap::GetData(Lumo::tagLight& light, Lumo::tagDistFog& fog) const {
    light = m_sunLight;
    fog = m_fog;
}

void GameMap::GetWeatherType(EWeather& w0, EWeather& w1, EWeather& w2, EWeather& w3) const {
    w0 = m_weather[0];
    w1 = m_weather[1];
    w2 = m_weather[2];
    w3 = m_weather[3];
}

}  // namespace GFC
