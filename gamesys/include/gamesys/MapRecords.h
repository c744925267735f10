// The records of a map file ("GMB") and of the editor's maze-wall file
// ("GMA"), byte for byte as the files hold them: little-endian, 4-byte
// aligned, no padding. The framework reads the fields named here; every
// byte marked reserved belongs to the game and its tools and is carried
// unchanged.
//
// Map file: a 656-byte header (tagGameMapHeader), then eight sections, each
// a packed array of one record kind at the offset the header gives. The
// editor writes them right behind the header in the order dynamic objects,
// NPCs, static objects, way points, triggers, sounds, chop fields, gathers;
// readers go by the offsets alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "framework/GTypes.h"
#include "lumo/SceneRecords.h"

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "map records are stored as the little-endian host holds them"
#endif

namespace GFC {

// Weather kinds 0 .. kWeatherKinds - 1; their meaning is the game's.
enum EWeather : int32_t { EW_NONE = 0 };
constexpr int32_t kWeatherKinds = 18;

// Reputation kinds; their meaning is the game's.
enum EReputation : int32_t { ER_NONE = 0 };

constexpr size_t kModelPathSize = 260;  // NUL-terminated model or effect path
constexpr size_t kChopModelPathSize = 256;
constexpr size_t kWayPointNameSize = 32;
constexpr size_t kNpcWayPointNameSize = 224;

struct tagStaticMapObj {
    uint32_t id;                     // 0: FindStaticMapObj key
    char modelPath[kModelPathSize];  // 4: model (.fak ...) or effect (.sfx) file
    D3DXVECTOR3 pos;                 // 264: world position
    D3DXVECTOR3 rot;                 // 276: rotation angles in radians, yaw first
    D3DXVECTOR3 scale;               // 288: 1.0 each when absent
    uint8_t reserved[128];           // 300
};
static_assert(sizeof(tagStaticMapObj) == 428, "static object record is 428 bytes");
static_assert(offsetof(tagStaticMapObj, pos) == 264 && offsetof(tagStaticMapObj, rot) == 276 &&
                  offsetof(tagStaticMapObj, scale) == 288,
              "static object layout");

struct tagDynamicMapObj {
    uint32_t id;             // 0: key of the dynamic-object map
    uint8_t reserved0[4];    // 4
    D3DXVECTOR3 pos;         // 8: world position
    D3DXVECTOR3 rot;         // 20: rotation angles in radians
    uint8_t reserved1[128];  // 32
};
static_assert(sizeof(tagDynamicMapObj) == 160, "dynamic object record is 160 bytes");
static_assert(offsetof(tagDynamicMapObj, pos) == 8 && offsetof(tagDynamicMapObj, rot) == 20,
              "dynamic object layout");

struct tagMapNPC {
    uint32_t id;                              // 0: spawn id, key of the NPC map
    uint32_t npcAttId;                        // 4: NPC attribute id (attribute database)
    D3DXVECTOR3 pos;                          // 8: world position
    float yaw;                                // 20: facing in degrees
    uint8_t reserved[32];                     // 24
    char wayPointName[kNpcWayPointNameSize];  // 56: NUL-terminated path name, then reserved
};
static_assert(sizeof(tagMapNPC) == 280, "NPC record is 280 bytes");
static_assert(offsetof(tagMapNPC, yaw) == 20 && offsetof(tagMapNPC, wayPointName) == 56,
              "NPC layout");

struct tagMazeWallObj {
    uint32_t id;                     // 0
    char modelPath[kModelPathSize];  // 4
    D3DXVECTOR3 pos;                 // 264
    D3DXVECTOR3 scale;               // 276: 1.0 each by default
    float yaw;                       // 288: radians
    uint8_t reserved[128];           // 292
};
static_assert(sizeof(tagMazeWallObj) == 420, "maze wall record is 420 bytes");
static_assert(offsetof(tagMazeWallObj, scale) == 276 && offsetof(tagMazeWallObj, yaw) == 288,
              "maze wall layout");

// One point of a named way-point path; the points of a path are numbered
// 0, 1, 2 ... in seq.
struct tagMapWayPoint {
    char name[kWayPointNameSize];  // 0: NUL-terminated, compared byte-wise
    uint8_t seq;                   // 32
    uint8_t reserved0[3];          // 33
    uint32_t tileX0;               // 36: the point's tile (a corner of its area)
    uint32_t tileZ0;               // 40
    uint32_t tileX1;               // 44: the opposite corner of its area
    uint32_t tileZ1;               // 48
    uint8_t reserved1[16];         // 52
};
static_assert(sizeof(tagMapWayPoint) == 68, "way point record is 68 bytes");
static_assert(offsetof(tagMapWayPoint, seq) == 32 && offsetof(tagMapWayPoint, tileX0) == 36 &&
                  offsetof(tagMapWayPoint, tileZ1) == 48,
              "way point layout");

struct tagMapTrigger {
    uint32_t id;             // 0
    uint8_t reserved0[4];    // 4
    int32_t tileX0;          // 8: first corner of the area (tiles, inclusive)
    int32_t tileZ0;          // 12
    int32_t tileX1;          // 16: second corner (inclusive)
    int32_t tileZ1;          // 20
    uint8_t reserved1[768];  // 24
};
static_assert(sizeof(tagMapTrigger) == 792, "trigger record is 792 bytes");
static_assert(offsetof(tagMapTrigger, tileX0) == 8 && offsetof(tagMapTrigger, tileZ1) == 20,
              "trigger layout");

struct tagMapSound {
    uint32_t id;            // 0: given by the editor
    D3DXVECTOR3 pos;        // 4: centre of the sound box
    uint8_t reserved[272];  // 16
};
static_assert(sizeof(tagMapSound) == 288, "sound record is 288 bytes");
static_assert(offsetof(tagMapSound, pos) == 4, "sound layout");

// The model paths are stored in this order; the slot numbers of the
// editor's ModifyChopField are 0, 2, 4, 3, 1 in storage order.
struct tagChopField {
    uint32_t id;                          // 0
    int32_t type;                         // 4
    int32_t tileX;                        // 8
    int32_t tileZ;                        // 12
    char modelPath0[kChopModelPathSize];  // 16: slot 0
    char modelPath2[kChopModelPathSize];  // 272: slot 2
    char modelPath4[kChopModelPathSize];  // 528: slot 4
    char modelPath3[kChopModelPathSize];  // 784: slot 3
    char modelPath1[kChopModelPathSize];  // 1040: slot 1
    uint8_t reserved[64];                 // 1296
};
static_assert(sizeof(tagChopField) == 1360, "chop field record is 1360 bytes");
static_assert(offsetof(tagChopField, modelPath0) == 16 &&
                  offsetof(tagChopField, modelPath2) == 272 &&
                  offsetof(tagChopField, modelPath4) == 528 &&
                  offsetof(tagChopField, modelPath3) == 784 &&
                  offsetof(tagChopField, modelPath1) == 1040,
              "chop field layout");

struct tagGatherObj {
    uint32_t id;            // 0
    uint8_t reserved0[4];   // 4
    int32_t tileX;          // 8
    int32_t tileZ;          // 12
    uint8_t reserved1[64];  // 16
};
static_assert(sizeof(tagGatherObj) == 80, "gather record is 80 bytes");
static_assert(offsetof(tagGatherObj, tileX) == 8 && offsetof(tagGatherObj, tileZ) == 12 &&
                  offsetof(tagGatherObj, reserved1) == 16,
              "tagGatherObj layout");

// One section of the map file: how many records, and where.
struct tagMapSection {
    int32_t count;    // records; 0 or less means none
    uint32_t offset;  // from the start of the file
};
static_assert(sizeof(tagMapSection) == 8, "section entry is 8 bytes");
static_assert(offsetof(tagMapSection, offset) == 4, "tagMapSection layout");

constexpr char kMapMagic[4] = {'G', 'M', 'B', 0};
constexpr size_t kCityNameFieldSize = 36;

struct tagGameMapHeader {
    char magic[4];                      // 0: "GMB\0"
    uint32_t zero0;                     // 4
    tagMapSection dynamics;             // 8
    tagMapSection npcs;                 // 16
    tagMapSection statics;              // 24
    Lumo::tagDistFog fog;               // 32: raw
    Lumo::tagLight sunLight;            // 48: raw
    uint32_t mapIndex;                  // 152
    tagMapSection wayPoints;            // 156
    tagMapSection triggers;             // 164
    tagMapSection sounds;               // 172
    tagMapSection chopFields;           // 180
    int32_t timeZone;                   // 188
    char cityName[kCityNameFieldSize];  // 192: NUL-terminated
    int32_t weather[4];                 // 228: GetWeatherType order
    uint8_t dungeon;                    // 244: non-zero = true
    uint8_t zero1[3];                   // 245
    tagMapSection gathers;              // 248
    int32_t reputation;                 // 256
    uint8_t instance;                   // 260: non-zero = true
    uint8_t zero2[3];                   // 261
    uint32_t instanceTime;              // 264
    uint8_t cannotMount;                // 268
    uint8_t cannotTransmit;             // 269
    uint8_t zero3[386];                 // 270
};
static_assert(sizeof(tagGameMapHeader) == 656, "map header is 656 bytes");
static_assert(offsetof(tagGameMapHeader, fog) == 32 && offsetof(tagGameMapHeader, sunLight) == 48 &&
                  offsetof(tagGameMapHeader, mapIndex) == 152 &&
                  offsetof(tagGameMapHeader, wayPoints) == 156 &&
                  offsetof(tagGameMapHeader, chopFields) == 180 &&
                  offsetof(tagGameMapHeader, timeZone) == 188 &&
                  offsetof(tagGameMapHeader, cityName) == 192 &&
                  offsetof(tagGameMapHeader, weather) == 228 &&
                  offsetof(tagGameMapHeader, dungeon) == 244 &&
                  offsetof(tagGameMapHeader, gathers) == 248 &&
                  offsetof(tagGameMapHeader, reputation) == 256 &&
                  offsetof(tagGameMapHeader, instance) == 260 &&
                  offsetof(tagGameMapHeader, instanceTime) == 264 &&
                  offsetof(tagGameMapHeader, cannotMount) == 268 &&
                  offsetof(tagGameMapHeader, cannotTransmit) == 269,
              "map header layout");

// Maze-wall file: this header, then tagMazeWallObj records.
constexpr char kMazeMagic[4] = {'G', 'M', 'A', 0};

struct tagMazeFileHeader {
    char magic[4];        // 0: "GMA\0"
    uint32_t zero0;       // 4
    uint32_t mapIndex;    // 8
    tagMapSection walls;  // 12: count, then the offset of the first record (532 as written)
    uint8_t zero1[512];   // 20
};
static_assert(sizeof(tagMazeFileHeader) == 532, "maze header is 532 bytes");
static_assert(offsetof(tagMazeFileHeader, walls) == 12, "maze header layout");

static_assert(std::is_trivially_copyable<tagGameMapHeader>::value &&
                  std::is_trivially_copyable<tagStaticMapObj>::value &&
                  std::is_trivially_copyable<tagChopField>::value,
              "records are copied as bytes");

}  // namespace GFC
