// A map file from fuzzed bytes. Loading either throws the engine's exception
// or holds no more records than the file has room for (a last record cut
// short counts), never allocating for a count the file cannot back, and
// every lookup answers a stored record of that id.
#include <cstddef>
#include <cstdint>
#include <string>

#include "gamesys/GameMap.h"
#include "lumo/Exception.h"
#include "lumo/Log.h"
#include "lumo/MemFS.h"

namespace {

template <typename Rec>
void CheckBound(size_t records, size_t fileSize) {
    // Every record starts inside the file.
    if (records > fileSize / sizeof(Rec) + 1) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Lumo::MemFS fs;
    fs.AddFile("m.gmb", std::string(reinterpret_cast<const char*>(data), size));
    GFC::GameMap map;
    try {
        map.LoadFromFile(&fs, "m.gmb");
    } catch (const Lumo::Exception&) {
        if (!map.GetStaticMapObjs().empty() || !map.GetNpc().empty() ||
            !map.GetDynamicMapObjs().empty()) {
            __builtin_trap();
        }
    }
    if (fs.OpenCount() != 0) {
        __builtin_trap();
    }
    CheckBound<GFC::tagStaticMapObj>(map.GetStaticMapObjs().size(), size);
    CheckBound<GFC::tagMapNPC>(map.GetNpc().size(), size);
    CheckBound<GFC::tagDynamicMapObj>(map.GetDynamicMapObjs().size(), size);
    CheckBound<GFC::tagMapWayPoint>(map.GetWayPoints().size(), size);
    CheckBound<GFC::tagMapTrigger>(map.GetTriggers().size(), size);
    CheckBound<GFC::tagMapSound>(map.GetSounds().size(), size);
    CheckBound<GFC::tagChopField>(map.GetChopFields().size(), size);

    for (const auto& [id, rec] : map.GetNpc()) {
        const GFC::tagMapNPC* found = map.FindMapNpc(id);
        if (!found || found->id != id || found != &rec) {
            __builtin_trap();
        }
    }
    for (const auto& [id, rec] : map.GetDynamicMapObjs()) {
        if (map.FindDynamicMapObj(id) != &rec) {
            __builtin_trap();
        }
    }
    for (const GFC::tagStaticMapObj& rec : map.GetStaticMapObjs()) {
        const GFC::tagStaticMapObj* found = map.FindStaticMapObj(rec.id);
        if (!found || found->id != rec.id) {
            __builtin_trap();
        }
    }
    GFC::EWeather w[4];
    map.GetWeatherType(w[0], w[1], w[2], w[3]);
    for (GFC::EWeather v : w) {
        if (v < 0 || v >= GFC::kWeatherKinds) {
            __builtin_trap();
        }
    }
    // The city name always ends inside its buffer.
    const char* city = map.GetCityName();
    bool ends = false;
    for (size_t i = 0; i < GFC::kCityNameSize; ++i) {
        if (city[i] == 0) {
            ends = true;
            break;
        }
    }
    if (!ends) {
        __builtin_trap();
    }
    GFC::GameMap copy(map);
    if (copy.GetSounds().size() != map.GetSounds().size()) {
        __builtin_trap();
    }
    Lumo::ClearLog();
    return 0;
}
