// The seven rule lists of the attribute database from fuzzed bytes: each
// file is a 16-bit length and that many bytes (the last takes what is left).
// Loading must stop at the end of every file whatever its count says, and
// every lookup on what was loaded must stay inside the records.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "gamesys/GAttDataBase.h"
#include "lumo/Log.h"
#include "lumo/MemFS.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Lumo::MemFS fs;
    size_t pos = 0;
    for (int i = 0; i < GFC::GAttDataBase::kListFileCount; ++i) {
        size_t length = size - pos;
        if (i + 1 < GFC::GAttDataBase::kListFileCount) {
            if (size - pos < 2) {
                break;
            }
            length = data[pos] | (size_t(data[pos + 1]) << 8);
            pos += 2;
            if (length > size - pos) {
                length = size - pos;
            }
        }
        fs.AddFile(GFC::GAttDataBase::kListFiles[i],
                   std::string(reinterpret_cast<const char*>(data + pos), length));
        pos += length;
    }

    GFC::GAttDataBase db;
    db.LoadFromFile(&fs);
    db.LoadFromFile(&fs);  // a second load adds to the first
    if (fs.OpenCount() != 0) {
        __builtin_trap();
    }

    GFC::GAttDataBase::NPCAttMap npcs;
    db.GetNpcMap(npcs);
    for (const auto& entry : npcs) {
        if (db.FindNpcAtt(entry.first) == nullptr) {
            __builtin_trap();
        }
        std::string model = GFC::GAttDataBase::GetNpcMdlPath(&entry.second);
        std::string effect = GFC::GAttDataBase::GetNpcEffectAttahPath(&entry.second);
        if (model.size() > 259 || effect.size() > 259) {
            __builtin_trap();
        }
    }
    GFC::GAttDataBase::BaseAttMap bases;
    db.GetBaseAttMap(bases);
    for (const auto& entry : bases) {
        std::string name(entry.second.name, strnlen(entry.second.name, sizeof entry.second.name));
        const GFC::tagBaseAtt* found = db.FindBaseAttByName(name.c_str());
        if (!found || found->id > entry.first) {
            __builtin_trap();
        }
        db.FindBaseType(entry.first);
    }
    unsigned long id = 0;
    for (unsigned long i = 0; i < db.GetPetNum(); ++i) {
        if (!db.GetPetID(i, id) || !db.IDIsPet(id)) {
            __builtin_trap();
        }
    }
    for (unsigned long i = 0; i < db.GetPetBuffNum(); ++i) {
        if (!db.GetPetBuffID(i, id) || !db.IDIsPetBuff(id)) {
            __builtin_trap();
        }
    }
    GFC::GAttDataBase copy(db);
    if (copy.GetGuildRoomNum() != db.GetGuildRoomNum()) {
        __builtin_trap();
    }
    Lumo::ClearLog();
    return 0;
}
