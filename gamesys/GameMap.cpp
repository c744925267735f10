#include "gamesys/GameMap.h"

#include <algorithm>
#include <cstring>

#include "framework/FsFile.h"
#include "lumo/Exception.h"
#include "lumo/FileBytes.h"
#include "lumo/Log.h"

namespace GFC {

namespace {

constexpr const char* kSourceFile = ".\\gamesys\\GameMap";

// A section's records that the file holds at least the first byte of; a
// last record cut short by the end of the file still counts (its missing
// bytes read as zeros).
bool SectionFits(const tagMapSection& s, size_t recordSize, uint32_t fileSize) {
    if (s.count <= 0) {
        return true;
    }
    if (s.offset >= fileSize) {
        return false;
    }
    const uint64_t started = (uint64_t(fileSize - s.offset) + recordSize - 1) / recordSize;
    return uint64_t(s.count) <= started;
}

// Reads a section's records in one go, straight into their place. Every
// record starts as `blank`, so bytes beyond the end of the file keep its
// contents. The section has been checked against the file's size, so the
// records allocated are backed by the file.
template <typename Rec>
void ReadSection(FsFile& file, const tagMapSection& s, const Rec& blank, std::vector<Rec>& out) {
    // Seek even for an empty section, as the game's loader does.
    file.SeekTo(s.offset);
    if (s.count <= 0) {
        return;
    }
    out.assign(size_t(s.count), blank);
    const uint64_t bytes = uint64_t(out.size()) * sizeof(Rec);
    file.Read(static_cast<void*>(out.data()),
              static_cast<uint32_t>(std::min<uint64_t>(bytes, 0xFFFFFFFFu)));
}

// The same into an id-keyed map: a repeated id keeps the last record.
template <typename Rec>
void ReadSection(FsFile& file, const tagMapSection& s, std::map<unsigned long, Rec>& out) {
    std::vector<Rec> records;
    ReadSection(file, s, Rec{}, records);
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

    // A header cut short keeps zeros in its missing bytes.
    uint8_t raw[sizeof(tagGameMapHeader)] = {};
    const uint32_t fileSize = Lumo::BytesLeft(fs, file.GetHandle());
    file.Read(raw, sizeof raw);
    tagGameMapHeader hdr;
    std::memcpy(&hdr, raw, sizeof hdr);

    // Counts come from outside: a section that claims records the file does
    // not hold stops the load before anything is allocated for it.
    const struct {
        const tagMapSection& section;
        size_t recordSize;
        const char* name;
    } sections[] = {
        {hdr.dynamics, sizeof(tagDynamicMapObj), "dynamic object"},
        {hdr.npcs, sizeof(tagMapNPC), "NPC"},
        {hdr.statics, sizeof(tagStaticMapObj), "static object"},
        {hdr.wayPoints, sizeof(tagMapWayPoint), "way point"},
        {hdr.triggers, sizeof(tagMapTrigger), "trigger"},
        {hdr.sounds, sizeof(tagMapSound), "sound"},
        {hdr.chopFields, sizeof(tagChopField), "chop field"},
    };
    for (const auto& s : sections) {
        if (!SectionFits(s.section, s.recordSize, fileSize)) {
            Lumo::_WriteLogString(
                "GameMap file damaged,%s: %d %s records at %u run past the end (%u bytes).\r\n",
                path, static_cast<int>(s.section.count), s.name,
                static_cast<unsigned>(s.section.offset), static_cast<unsigned>(fileSize));
            throw Lumo::Exception("GameMap file damaged.", path, kSourceFile, __LINE__);
        }
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

    ReadSection(file, hdr.dynamics, m_dynamicObjs);
    ReadSection(file, hdr.npcs, m_npcs);
    tagStaticMapObj blankStatic{};
    blankStatic.scale = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
    ReadSection(file, hdr.statics, blankStatic, m_staticObjs);
    ReadSection(file, hdr.wayPoints, tagMapWayPoint{}, m_wayPoints);
    ReadSection(file, hdr.triggers, tagMapTrigger{}, m_triggers);
    ReadSection(file, hdr.sounds, tagMapSound{}, m_sounds);
    ReadSection(file, hdr.chopFields, tagChopField{}, m_chopFields);
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
