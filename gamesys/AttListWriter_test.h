// Builds rule-list files the way the game's data tools write them, for
// tests, fuzz seeds and benchmarks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "gamesys/AttRecords.h"
#include "gamesys/GAttDataBase.h"

namespace attlist {

// A list file: the count (the number of records unless given) and the
// records back to back.
constexpr int64_t kCountOfRecords = INT64_MIN;

template <typename Rec>
std::string ListFile(const std::vector<Rec>& records, int64_t count = kCountOfRecords) {
    int32_t n = static_cast<int32_t>(count == kCountOfRecords ? int64_t(records.size()) : count);
    std::string bytes(reinterpret_cast<const char*>(&n), sizeof n);
    for (const Rec& r : records) {
        bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
    return bytes;
}

// A record of zeros but for its id; Fill sets every other byte to a pattern
// of the id so that lost or mixed-up bytes show.
template <typename Rec>
Rec Record(uint32_t id, bool fill = false) {
    Rec r;
    auto* bytes = reinterpret_cast<unsigned char*>(&r);
    for (size_t i = 0; i < sizeof r; ++i) {
        bytes[i] = fill ? static_cast<unsigned char>(id * 7 + i) : 0;
    }
    r.id = id;
    return r;
}

inline GFC::tagNPCAtt Npc(uint32_t id, const std::string& resName, uint32_t modelKind) {
    auto r = Record<GFC::tagNPCAtt>(id);
    std::memcpy(r.resName, resName.data(), std::min(resName.size(), sizeof r.resName));
    r.modelKind = modelKind;
    return r;
}

inline GFC::tagBaseAtt Base(uint32_t id, const std::string& name, uint32_t kind = 0,
                            uint32_t petTriggerId = GFC::kNoAttID, int32_t baseType = 0) {
    auto r = Record<GFC::tagBaseAtt>(id);
    std::memcpy(r.name, name.data(), std::min(name.size(), sizeof r.name));
    r.kind = kind;
    r.petTriggerId = petTriggerId;
    r.baseType = static_cast<GFC::EBaseType>(baseType);
    return r;
}

inline GFC::tagBuffTrigger Trigger(uint32_t id, uint32_t buffId) {
    auto r = Record<GFC::tagBuffTrigger>(id);
    r.buffId = buffId;
    return r;
}

// Paths of the seven list files, in loading order.
inline const char* Path(int i) {
    return GFC::GAttDataBase::kListFiles[i];
}

}  // namespace attlist
