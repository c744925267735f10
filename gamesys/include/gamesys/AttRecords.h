// The records of the game's rule lists, byte for byte as the game's data
// tools write them: packed, little-endian, no padding. The framework reads
// the fields named here; every other byte belongs to the game and is carried
// unchanged.
#pragma once

#include <cstddef>
#include <cstdint>

namespace GFC {

// The base attribute kind. Only "no type" (the answer for unknown ids) is
// the framework's; the game defines the others.
enum EBaseType : int32_t {
    EBT_NONE = 0,
};

// A base attribute's kind code that marks a pet.
constexpr uint32_t kBaseKindPet = 100;

// NPC ids in [kMonsterIdFirst, kMonsterIdEnd) are monsters.
constexpr unsigned long kMonsterIdFirst = 0x10000000;
constexpr unsigned long kMonsterIdEnd = 0x1FFFFFFF;

constexpr uint32_t kNoAttID = 0xFFFFFFFF;

#pragma pack(push, 1)

struct tagNPCSubAtt {
    uint8_t data[32];
};

struct tagNPCAtt {
    uint32_t id;            // 0: table key
    uint8_t reserved0[36];  // 4
    char resName[300];   // 40: folder and file stem of the model and effect files, zero-terminated
    uint32_t modelKind;  // 340: 2, 3, 4 monster skeleton; 8, 9, 10 NPC; others by id
    uint8_t reserved1[152];    // 344
    tagNPCSubAtt subAtts[20];  // 496
    uint8_t reserved2[288];    // 1136
};

struct tagBaseAtt {
    uint32_t id;             // 0: table key
    EBaseType baseType;      // 4
    uint32_t kind;           // 8: kBaseKindPet marks a pet
    uint8_t reserved0[144];  // 12
    char name[401];  // 156: zero-terminated; the field ends at the pet trigger id at the latest
    uint32_t petTriggerId;   // 557: the pet's buff trigger
    uint8_t reserved1[564];  // 561
};

struct tagBuff {
    uint32_t id;             // 0: table key
    uint8_t reserved[1016];  // 4
};

struct tagBuffTrigger {
    uint32_t id;            // 0: table key
    uint32_t buffId;        // 4: the buff it triggers
    uint8_t reserved0[16];  // 8
    uint32_t linkId0;       // 24: kNoAttID by default
    uint32_t linkId1;       // 28: kNoAttID by default
    uint8_t reserved1[52];  // 32
};

struct tagShopData {
    uint32_t id;             // 0: table key
    uint8_t reserved0[44];   // 4
    uint8_t slots[200];      // 48: 0xFF by default
    uint8_t reserved1[416];  // 248
};

struct tagComposeEntry {
    uint8_t data[40];
};

struct tagCompose {
    uint32_t id;                  // 0: table key
    uint8_t reserved0[564];       // 4
    tagComposeEntry entries0[8];  // 568
    tagComposeEntry entries1[8];  // 888
    uint8_t reserved1[328];       // 1208
};

struct tagGuildRoomAtt {
    uint32_t id;            // 0: table key
    uint8_t reserved[560];  // 4
};

#pragma pack(pop)

static_assert(sizeof(tagNPCAtt) == 1424, "tagNPCAtt record size");
static_assert(offsetof(tagNPCAtt, resName) == 40 && offsetof(tagNPCAtt, modelKind) == 340 &&
                  offsetof(tagNPCAtt, subAtts) == 496 && offsetof(tagNPCAtt, reserved2) == 1136,
              "tagNPCAtt layout");
static_assert(sizeof(tagBaseAtt) == 1125, "tagBaseAtt record size");
static_assert(offsetof(tagBaseAtt, baseType) == 4 && offsetof(tagBaseAtt, kind) == 8 &&
                  offsetof(tagBaseAtt, name) == 156 && offsetof(tagBaseAtt, petTriggerId) == 557,
              "tagBaseAtt layout");
static_assert(sizeof(tagBuff) == 1020, "tagBuff record size");
static_assert(sizeof(tagBuffTrigger) == 84, "tagBuffTrigger record size");
static_assert(offsetof(tagBuffTrigger, buffId) == 4 && offsetof(tagBuffTrigger, linkId0) == 24 &&
                  offsetof(tagBuffTrigger, linkId1) == 28,
              "tagBuffTrigger layout");
static_assert(sizeof(tagShopData) == 664, "tagShopData record size");
static_assert(offsetof(tagShopData, slots) == 48 && offsetof(tagShopData, reserved1) == 248,
              "tagShopData layout");
static_assert(sizeof(tagCompose) == 1536, "tagCompose record size");
static_assert(offsetof(tagCompose, entries0) == 568 && offsetof(tagCompose, entries1) == 888,
              "tagCompose layout");
static_assert(sizeof(tagGuildRoomAtt) == 564, "tagGuildRoomAtt record size");

}  // namespace GFC
