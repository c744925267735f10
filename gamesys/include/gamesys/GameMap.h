// The game's picture of one world map: placed objects (static scenery,
// dynamic objects, NPC spawn points), the designers' way points, trigger
// areas, sound boxes and chop fields, and the map-wide settings. Loaded
// read-only from a map file ("GMB", see MapRecords.h) through an engine
// file system; the map editor derives from it and writes the same format.
// Game thread only.
#pragma once

#include <map>
#include <vector>

#include "framework/GfcApi.h"
#include "gamesys/MapRecords.h"
#include "lumo/IFS.h"
#include "lumo/SceneRecords.h"

namespace GFC {

constexpr size_t kCityNameSize = 256;
constexpr unsigned long kDefaultInstanceTime = 30000;

class GFC_API GameMap {
public:
    using DynamicObjMap = std::map<unsigned long, tagDynamicMapObj>;
    using NPCMap = std::map<unsigned long, tagMapNPC>;

    // Empty containers, default fog and light, dungeon, instance and both
    // restrictions off, reputation 0, instance time 30000, map index 0.
    GameMap();
    GameMap(const GameMap&);
    GameMap& operator=(const GameMap&);
    ~GameMap();

    // Nothing here; the editor releases what it owns.
    virtual void Destroy();

    // Replaces the map with the one in path. The containers are emptied
    // first. A file that cannot be opened throws Lumo::Exception("GameMap
    // open file failed.", path); a file whose sections claim records beyond
    // its end throws Lumo::Exception("GameMap file damaged.", path) before
    // anything is read: either way the containers are left empty and the
    // settings keep their previous values. A last record cut short by the
    // end of the file keeps zeros in the missing bytes (and scale 1.0 for a
    // static object). The magic is not checked. Weather values outside
    // 0..17 become 0. The gather section is not read.
    void LoadFromFile(Lumo::IFS* fs, const char* path);

    // The first static object with that id, in file order.
    const tagStaticMapObj* FindStaticMapObj(unsigned long id) const;
    // The stored record (the last one of that id in the file), or null.
    const tagDynamicMapObj* FindDynamicMapObj(unsigned long id) const;
    const tagMapNPC* FindMapNpc(unsigned long id) const;

    const std::vector<tagStaticMapObj>& GetStaticMapObjs() const { return m_staticObjs; }
    const DynamicObjMap& GetDynamicMapObjs() const { return m_dynamicObjs; }
    const NPCMap& GetNpc() const { return m_npcs; }
    const std::vector<tagMapWayPoint>& GetWayPoints() const { return m_wayPoints; }
    const std::vector<tagMapTrigger>& GetTriggers() const { return m_triggers; }
    const std::vector<tagMapSound>& GetSounds() const { return m_sounds; }
    const std::vector<tagChopField>& GetChopFields() const { return m_chopFields; }

    // Copies the sun light and the fog out.
    void GetData(Lumo::tagLight& light, Lumo::tagDistFog& fog) const;
    void GetWeatherType(EWeather& w0, EWeather& w1, EWeather& w2, EWeather& w3) const;
    int GetTimeZone() const { return m_timeZone; }
    // The NUL-terminated city name (kCityNameSize bytes).
    char* GetCityName() { return m_cityName; }
    const char* GetCityName() const { return m_cityName; }
    bool GetDungeon() const { return m_dungeon; }
    bool IsInstance() const { return m_instance; }
    bool CannotMount() const { return m_cannotMount; }
    bool CannotTransmit() const { return m_cannotTransmit; }
    EReputation GetReputation() const { return m_reputation; }
    unsigned long GetInstanceTime() const { return m_instanceTime; }
    unsigned long GetMapIndex() const { return m_mapIndex; }

protected:
    std::vector<tagStaticMapObj> m_staticObjs;  // file order
    DynamicObjMap m_dynamicObjs;
    NPCMap m_npcs;
    std::vector<tagMapWayPoint> m_wayPoints;
    std::vector<tagMapTrigger> m_triggers;
    std::vector<tagMapSound> m_sounds;
    std::vector<tagChopField> m_chopFields;
    Lumo::tagDistFog m_fog;
    Lumo::tagLight m_sunLight;
    int m_timeZone;
    EWeather m_weather[4];
    char m_cityName[kCityNameSize];
    bool m_dungeon;
    EReputation m_reputation;
    bool m_instance;
    unsigned long m_instanceTime;
    bool m_cannotMount;
    bool m_cannotTransmit;
    unsigned long m_mapIndex;
};

}  // namespace GFC
