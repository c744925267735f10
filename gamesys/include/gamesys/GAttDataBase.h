// The game's static rule tables, loaded once from seven list files through
// the engine's file system: NPC and monster attributes, base attributes,
// buffs, buff triggers, shops, compositions and guild rooms, each mapping a
// 32-bit id to its record. Loading also derives the pet lists: the pets'
// base attribute ids, their buff trigger ids and the buffs those trigger.
//
// A list file is a signed 32-bit record count followed by the records back
// to back. Lookups answer a pointer to the stored record or null (logging
// the miss). Game thread only.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "framework/GfcApi.h"
#include "gamesys/AttRecords.h"

namespace Lumo {
class IFS;
}

namespace GFC {

class GFC_API GAttDataBase {
public:
    using NPCAttMap = std::map<unsigned long, tagNPCAtt>;
    using BaseAttMap = std::map<unsigned long, tagBaseAtt>;
    using BuffMap = std::map<unsigned long, tagBuff>;
    using BuffTriggerMap = std::map<unsigned long, tagBuffTrigger>;
    using ShopMap = std::map<unsigned long, tagShopData>;
    using ComposeMap = std::map<unsigned long, tagCompose>;
    using GuildRoomMap = std::map<unsigned long, tagGuildRoomAtt>;

    // The list files in loading order, as the file system is asked for them.
    static constexpr int kListFileCount = 7;
    static const char* const kListFiles[kListFileCount];

    GAttDataBase();
    GAttDataBase(const GAttDataBase&);
    GAttDataBase& operator=(const GAttDataBase&);
    ~GAttDataBase();

    // Loads the seven files, adding to what is loaded already: an id that is
    // present keeps its first record. A file that cannot be opened is logged
    // and skipped. A file that ends before its count of records stops there
    // (a last record cut short keeps its defaults in the missing bytes).
    void LoadFromFile(Lumo::IFS* fs);

    const tagNPCAtt* FindNpcAtt(unsigned long id) const;
    const tagBaseAtt* FindBaseAtt(unsigned long id) const;
    const tagBuff* FindBuffAtt(unsigned long id) const;
    const tagBuffTrigger* FindBuffTriggerAtt(unsigned long id) const;
    const tagShopData* FindShopAtt(unsigned long id) const;
    const tagCompose* FindCompose(unsigned long id) const;
    const tagGuildRoomAtt* FindGuildRoomAtt(unsigned long id) const;
    // EBT_NONE for an unknown id (after the miss is logged).
    EBaseType FindBaseType(unsigned long id) const;
    // The first base record, in ascending id order, whose name is exactly
    // name; null (not logged) when there is none.
    const tagBaseAtt* FindBaseAttByName(const char* name) const;

    unsigned long GetPetNum() const { return static_cast<unsigned long>(m_petList.size()); }
    unsigned long GetPetBuffNum() const { return static_cast<unsigned long>(m_petBuffList.size()); }
    unsigned long GetPetTriggerNum() const {
        return static_cast<unsigned long>(m_petTriggerList.size());
    }
    // False, leaving id alone, when index is not below the count.
    bool GetPetID(unsigned long index, unsigned long& id) const;
    bool GetPetBuffID(unsigned long index, unsigned long& id) const;
    bool GetPetTriggerID(unsigned long index, unsigned long& id) const;
    bool IDIsPet(unsigned long id) const;
    bool IDIsPetBuff(unsigned long id) const;

    // The caller's map is emptied and receives a copy of the table.
    void GetNpcMap(NPCAttMap& out) const;
    void GetBaseAttMap(BaseAttMap& out) const;
    void GetComposeMap(ComposeMap& out) const;
    void GetGuildRoomMap(GuildRoomMap& out) const;

    // Table sizes.
    size_t GetNpcNum() const { return m_npc.size(); }
    size_t GetBaseAttNum() const { return m_baseAtt.size(); }
    size_t GetBuffNum() const { return m_buff.size(); }
    size_t GetBuffTriggerNum() const { return m_buffTrigger.size(); }
    size_t GetShopNum() const { return m_shop.size(); }
    size_t GetComposeNum() const { return m_compose.size(); }
    size_t GetGuildRoomNum() const { return m_guildRoom.size(); }

    // The NPC's model file: "System\Monster\N\N.fsm" for model kinds 2 to
    // 4, "System\NPC\N.fak" for 8 to 10, otherwise by id
    // "System\Monster\N\N.fak" (monster) or "System\NPC\N.fak".
    // N is the resource name.
    static std::string GetNpcMdlPath(const tagNPCAtt* att);
    // The NPC's effect attachment table: "System\Monster\N\N_a.csv" for a
    // monster id, else "System\NPC\N_a.csv".
    // Both paths fit a 259-character buffer; a resource name too long for
    // that gives "" and a log line. A null record gives "".
    static std::string GetNpcEffectAttahPath(const tagNPCAtt* att);

private:
    NPCAttMap m_npc;
    BaseAttMap m_baseAtt;
    BuffMap m_buff;
    BuffTriggerMap m_buffTrigger;
    ShopMap m_shop;
    ComposeMap m_compose;
    GuildRoomMap m_guildRoom;
    std::vector<unsigned long> m_petList;
    std::vector<unsigned long> m_petBuffList;
    std::vector<unsigned long> m_petTriggerList;
};

}  // namespace GFC
