// Writes map files ("GMB") for tests, fuzz seeds and benchmarks, by the
// byte offsets of the format rather than through the library's header
// structure, so a wrong field offset in the library shows up as a failed
// test instead of cancelling out.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "gamesys/MapRecords.h"

namespace mapfile {

// Header offsets of the format.
constexpr size_t kHeaderSize = 656;
enum Section { DYNAMIC, NPC, STATIC, WAYPOINT, TRIGGER, SOUND, CHOP, GATHER, SECTION_COUNT };
constexpr size_t kCountOffset[SECTION_COUNT] = {8, 16, 24, 156, 164, 172, 180, 248};
constexpr size_t kRecordSize[SECTION_COUNT] = {160, 280, 428, 68, 792, 288, 1360, 80};

inline void PutU32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        s[at + i] = static_cast<char>(v >> (8 * i));
    }
}
inline uint32_t GetU32(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        v |= uint32_t(uint8_t(s[at + i])) << (8 * i);
    }
    return v;
}

template <typename Rec>
std::string Bytes(const Rec& r) {
    return std::string(reinterpret_cast<const char*>(&r), sizeof r);
}

// A record of random bytes (reserved bytes included), so that a round trip
// shows every byte is carried.
template <typename Rec>
Rec RandomRecord(std::mt19937& rng) {
    Rec r;
    uint8_t* p = reinterpret_cast<uint8_t*>(&r);
    for (size_t i = 0; i < sizeof r; ++i) {
        p[i] = static_cast<uint8_t>(rng());
    }
    return r;
}

struct Settings {
    uint8_t fog[16] = {};
    uint8_t light[104] = {};
    uint32_t mapIndex = 0;
    int32_t timeZone = 0;
    std::string cityName;  // up to 36 bytes, written with its terminator when it fits
    int32_t weather[4] = {0, 0, 0, 0};
    uint8_t dungeon = 0;
    int32_t reputation = 0;
    uint8_t instance = 0;
    uint32_t instanceTime = 0;
    uint8_t cannotMount = 0;
    uint8_t cannotTransmit = 0;
    std::string magic = std::string("GMB\0", 4);
};

struct Map {
    Settings settings;
    // Record bytes per section, in file order.
    std::vector<std::string> records[SECTION_COUNT];

    template <typename Rec>
    void Add(Section s, const Rec& r) {
        records[s].push_back(Bytes(r));
    }
};

// The file: header, then the sections in the given order (the editor's
// order by default), each right after the one before.
inline std::string Write(const Map& m,
                         std::vector<Section> order = {DYNAMIC, NPC, STATIC, WAYPOINT, TRIGGER,
                                                       SOUND, CHOP, GATHER}) {
    std::string out(kHeaderSize, '\0');
    const Settings& st = m.settings;
    out.replace(0, 4, st.magic.substr(0, 4));
    std::memcpy(&out[32], st.fog, 16);
    std::memcpy(&out[48], st.light, 104);
    PutU32(out, 152, st.mapIndex);
    PutU32(out, 188, static_cast<uint32_t>(st.timeZone));
    out.replace(192, std::min<size_t>(st.cityName.size(), 36), st.cityName.substr(0, 36));
    for (int i = 0; i < 4; ++i) {
        PutU32(out, 228 + 4 * i, static_cast<uint32_t>(st.weather[i]));
    }
    out[244] = static_cast<char>(st.dungeon);
    PutU32(out, 256, static_cast<uint32_t>(st.reputation));
    out[260] = static_cast<char>(st.instance);
    PutU32(out, 264, st.instanceTime);
    out[268] = static_cast<char>(st.cannotMount);
    out[269] = static_cast<char>(st.cannotTransmit);
    for (Section s : order) {
        PutU32(out, kCountOffset[s], static_cast<uint32_t>(m.records[s].size()));
        PutU32(out, kCountOffset[s] + 4, static_cast<uint32_t>(out.size()));
        for (const std::string& r : m.records[s]) {
            out += r;
        }
    }
    return out;
}

// Overwrites a section's count and offset in a written file.
inline void SetSection(std::string& file, Section s, int32_t count, uint32_t offset) {
    PutU32(file, kCountOffset[s], static_cast<uint32_t>(count));
    PutU32(file, kCountOffset[s] + 4, offset);
}

// Maps that probe a reader's rules, built from a map with at least one
// trigger and one gather: each says whether the game's loader takes it and
// whether its gathers (which only the editor reads) fit the file.
struct Probe {
    std::string name;
    std::string bytes;
    bool gameLoads;
    bool gathersFit;
};

inline std::vector<Probe> ReaderProbes(const Map& m) {
    std::vector<Probe> out;
    out.push_back({"sound", Write(m), true, true});
    // Triggers last: the last one cut short is kept with zeros for its
    // missing bytes; one more than the file holds starts at its end.
    const std::vector<Section> triggersLast = {DYNAMIC, NPC,  STATIC, WAYPOINT,
                                               SOUND,   CHOP, GATHER, TRIGGER};
    std::string cut = Write(m, triggersLast);
    cut.resize(cut.size() - 100);
    out.push_back({"last record cut short", cut, true, true});
    std::string tooMany = Write(m, triggersLast);
    SetSection(tooMany, TRIGGER, int32_t(m.records[TRIGGER].size() + 1),
               GetU32(tooMany, kCountOffset[TRIGGER] + 4));
    out.push_back({"one record more than the file holds", tooMany, false, true});
    std::string gathers = Write(m);
    SetSection(gathers, GATHER, int32_t(m.records[GATHER].size() + 1),
               GetU32(gathers, kCountOffset[GATHER] + 4));
    out.push_back({"gathers past the end", gathers, true, false});
    // Way points, triggers and gathers over the header and one another.
    std::string overlap = Write(m);
    const uint32_t size = static_cast<uint32_t>(overlap.size());
    SetSection(overlap, WAYPOINT, int32_t(size / kRecordSize[WAYPOINT]), 0);
    SetSection(overlap, TRIGGER, 1, 1);
    SetSection(overlap, GATHER, int32_t((size + kRecordSize[GATHER] - 1) / kRecordSize[GATHER]), 0);
    out.push_back({"sections over the header and one another", overlap, true, true});
    return out;
}

}  // namespace mapfile
