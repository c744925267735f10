#include "gamesys/GAttDataBase.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "framework/FsFile.h"
#include "lumo/Log.h"

namespace GFC {

namespace {

constexpr size_t kPathBuffer = 260;  // the game's path buffers, terminator included

// Pre-fill of each record before it is read: what stays in the bytes a
// short file does not supply.
void Prefill(tagNPCAtt& r) {
    std::memset(&r, 0, sizeof r);
    r.id = kNoAttID;
}
void Prefill(tagBaseAtt& r) {
    std::memset(&r, 0, sizeof r);
    r.id = kNoAttID;
    r.petTriggerId = kNoAttID;
}
void Prefill(tagBuff& r) {
    std::memset(&r, 0, sizeof r);
    r.id = kNoAttID;
}
void Prefill(tagBuffTrigger& r) {
    std::memset(&r, 0, sizeof r);
    r.id = kNoAttID;
    r.buffId = kNoAttID;
    r.linkId0 = kNoAttID;
    r.linkId1 = kNoAttID;
}
void Prefill(tagShopData& r) {
    std::memset(&r, 0, sizeof r);
    std::memset(r.slots, 0xFF, sizeof r.slots);
}
void Prefill(tagCompose& r) {
    std::memset(&r, 0, sizeof r);
    r.id = kNoAttID;
}
// Guild rooms have no defaults of their own; zeros keep one record's bytes
// from showing up in the next.
void Prefill(tagGuildRoomAtt& r) {
    std::memset(&r, 0, sizeof r);
}

// Reads one list file into table, calling onRecord for every record read
// (inserted or a duplicate). The loop is bounded by the bytes in the file,
// not by its count: a record needs at least its id to count.
template <typename Rec, typename OnRecord>
void LoadList(Lumo::IFS* fs, const char* path, std::map<unsigned long, Rec>& table,
              OnRecord onRecord) {
    FsFile file(fs, path);
    if (!file.IsOpen()) {
        Lumo::_WriteLogString("Att list file open failed,%s.\r\n", path);
        return;
    }
    int32_t count = 0;
    if (!file.ReadAll(&count, sizeof count)) {
        count = 0;
    }
    if (count < 0) {
        Lumo::_WriteLogString("Att list file damaged,%s,record count %d.\r\n", path,
                              static_cast<int>(count));
        return;
    }
    Rec rec;
    for (int32_t i = 0; i < count; ++i) {
        Prefill(rec);
        const uint32_t got = file.Read(&rec, sizeof rec);
        if (got >= sizeof rec.id) {
            table.emplace(rec.id, rec);
            onRecord(rec);
        }
        if (got < sizeof rec) {
            const int32_t whole = got >= sizeof rec.id ? i + 1 : i;
            Lumo::_WriteLogString("Att list file truncated,%s,%d of %d records.\r\n", path,
                                  static_cast<int>(whole), static_cast<int>(count));
            break;
        }
    }
}

void LogMiss(unsigned long id) {
    Lumo::_WriteLogString("AttDB not find,id=%d\r\n", static_cast<int>(id));
}

template <typename Map>
const typename Map::mapped_type* Find(const Map& table, unsigned long id) {
    auto it = table.find(id);
    if (it == table.end()) {
        LogMiss(id);
        return nullptr;
    }
    return &it->second;
}

bool IsMonsterId(unsigned long id) {
    return id >= kMonsterIdFirst && id < kMonsterIdEnd;
}

std::string ResName(const tagNPCAtt& att) {
    return std::string(att.resName, strnlen(att.resName, sizeof att.resName));
}

// Formats a path with the resource name once or twice; "" (logged) when the
// whole path would not fit the game's path buffer.
std::string BuildPath(const tagNPCAtt& att, const char* format, int uses) {
    const std::string name = ResName(att);
    char path[kPathBuffer];
    int n = uses == 2 ? std::snprintf(path, sizeof path, format, name.c_str(), name.c_str())
                      : std::snprintf(path, sizeof path, format, name.c_str());
    if (n < 0 || static_cast<size_t>(n) >= sizeof path) {
        Lumo::_WriteLogString("NPC resource name too long for a path,id=%d\r\n",
                              static_cast<int>(att.id));
        return std::string();
    }
    return std::string(path, static_cast<size_t>(n));
}

template <typename Value>
bool At(const std::vector<Value>& list, unsigned long index, unsigned long& id) {
    if (index >= list.size()) {
        return false;
    }
    id = list[index];
    return true;
}

}  // namespace

const char* const GAttDataBase::kListFiles[GAttDataBase::kListFileCount] = {
    "System\\tagNPCAtt.lst",       "System\\tagBaseAtt.lst",  "System\\tagBuff.lst",
    "System\\tagBuffTrigger.lst",  "System\\tagShopData.lst", "system\\tagCompose.lst",
    "system\\tagGuildRoomAtt.lst",
};

GAttDataBase::GAttDataBase() = default;
GAttDataBase::GAttDataBase(const GAttDataBase&) = default;
GAttDataBase& GAttDataBase::operator=(const GAttDataBase&) = default;
GAttDataBase::~GAttDataBase() = default;

void GAttDataBase::LoadFromFile(Lumo::IFS* fs) {
    auto none = [](const auto&) {};
    LoadList(fs, kListFiles[0], m_npc, none);
    LoadList(fs, kListFiles[1], m_baseAtt, [this](const tagBaseAtt& r) {
        if (r.kind == kBaseKindPet) {
            m_petList.push_back(r.id);
            m_petTriggerList.push_back(r.petTriggerId);
        }
    });
    LoadList(fs, kListFiles[2], m_buff, none);
    // The pet test runs once per trigger record; a set keeps it cheap for
    // large lists.
    const std::unordered_set<unsigned long> petTriggers(m_petTriggerList.begin(),
                                                        m_petTriggerList.end());
    LoadList(fs, kListFiles[3], m_buffTrigger, [&](const tagBuffTrigger& r) {
        if (petTriggers.count(r.id)) {
            m_petBuffList.push_back(r.buffId);
        }
    });
    LoadList(fs, kListFiles[4], m_shop, none);
    LoadList(fs, kListFiles[5], m_compose, none);
    LoadList(fs, kListFiles[6], m_guildRoom, none);
}

const tagNPCAtt* GAttDataBase::FindNpcAtt(unsigned long id) const {
    return Find(m_npc, id);
}
const tagBaseAtt* GAttDataBase::FindBaseAtt(unsigned long id) const {
    return Find(m_baseAtt, id);
}
const tagBuff* GAttDataBase::FindBuffAtt(unsigned long id) const {
    return Find(m_buff, id);
}
const tagBuffTrigger* GAttDataBase::FindBuffTriggerAtt(unsigned long id) const {
    return Find(m_buffTrigger, id);
}
const tagShopData* GAttDataBase::FindShopAtt(unsigned long id) const {
    return Find(m_shop, id);
}
const tagCompose* GAttDataBase::FindCompose(unsigned long id) const {
    return Find(m_compose, id);
}
const tagGuildRoomAtt* GAttDataBase::FindGuildRoomAtt(unsigned long id) const {
    return Find(m_guildRoom, id);
}

EBaseType GAttDataBase::FindBaseType(unsigned long id) const {
    const tagBaseAtt* att = FindBaseAtt(id);
    return att ? att->baseType : EBT_NONE;
}

const tagBaseAtt* GAttDataBase::FindBaseAttByName(const char* name) const {
    if (!name) {
        return nullptr;
    }
    const size_t length = std::strlen(name);
    if (length > sizeof(tagBaseAtt::name)) {
        return nullptr;  // no stored name can be that long
    }
    for (const auto& entry : m_baseAtt) {
        const char* stored = entry.second.name;
        if (strnlen(stored, sizeof entry.second.name) == length &&
            std::memcmp(stored, name, length) == 0) {
            return &entry.second;
        }
    }
    return nullptr;
}

bool GAttDataBase::GetPetID(unsigned long index, unsigned long& id) const {
    return At(m_petList, index, id);
}
bool GAttDataBase::GetPetBuffID(unsigned long index, unsigned long& id) const {
    return At(m_petBuffList, index, id);
}
bool GAttDataBase::GetPetTriggerID(unsigned long index, unsigned long& id) const {
    return At(m_petTriggerList, index, id);
}
bool GAttDataBase::IDIsPet(unsigned long id) const {
    return std::find(m_petList.begin(), m_petList.end(), id) != m_petList.end();
}
bool GAttDataBase::IDIsPetBuff(unsigned long id) const {
    return std::find(m_petBuffList.begin(), m_petBuffList.end(), id) != m_petBuffList.end();
}

void GAttDataBase::GetNpcMap(NPCAttMap& out) const {
    out = m_npc;
}
void GAttDataBase::GetBaseAttMap(BaseAttMap& out) const {
    out = m_baseAtt;
}
void GAttDataBase::GetComposeMap(ComposeMap& out) const {
    out = m_compose;
}
void GAttDataBase::GetGuildRoomMap(GuildRoomMap& out) const {
    out = m_guildRoom;
}

std::string GAttDataBase::GetNpcMdlPath(const tagNPCAtt* att) {
    if (!att) {
        return std::string();
    }
    switch (att->modelKind) {
        case 2:
        case 3:
        case 4:
            return BuildPath(*att, "System\\Monster\\%s\\%s.fsm", 2);
        case 8:
        case 9:
        case 10:
            return BuildPath(*att, "System\\NPC\\%s.fak", 1);
        default:
            return IsMonsterId(att->id) ? BuildPath(*att, "System\\Monster\\%s\\%s.fak", 2)
                                        : BuildPath(*att, "System\\NPC\\%s.fak", 1);
    }
}

std::string GAttDataBase::GetNpcEffectAttahPath(const tagNPCAtt* att) {
    if (!att) {
        return std::string();
    }
    return IsMonsterId(att->id) ? BuildPath(*att, "System\\Monster\\%s\\%s_a.csv", 2)
                                : BuildPath(*att, "System\\NPC\\%s_a.csv", 1);
}

}  // namespace GFC
