// The map editor model's files: the map file it loads and writes (read by
// the same rules as the game's maps) and its maze-wall file.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "editor/GameMapEditor.h"
#include "framework/FsFile.h"
#include "gamesys/MapFile.h"
#include "gamesys/SaveFile.h"
#include "lumo/DiskFS.h"
#include "lumo/FileBytes.h"
#include "platform/text.h"

namespace GFC {

namespace {

// ----------------------------------------------------------- file reading

// The editor's files are read from the disk through the engine's disk file
// system, by the same reader as the game's maps.
class InFile {
public:
    explicit InFile(const char* path) : m_file(&m_disk, path) {}
    bool IsOpen() const { return m_file.IsOpen(); }
    FsFile& Get() { return m_file; }

private:
    Lumo::DiskFS m_disk;
    FsFile m_file;
};

template <typename Rec>
bool WriteRecord(FILE* f, const Rec& r) {
    return std::fwrite(&r, sizeof r, 1, f) == 1;
}

}  // namespace

// -------------------------------------------------------------- map file

bool GameMapEditor::WriteEditFile(const char* path) {
    SaveFile out(path);
    if (!out.IsOpen()) {
        return false;
    }
    FILE* f = out.Get();
    tagGameMapHeader h;
    uint8_t zero[sizeof h] = {};
    std::memcpy(&h, zero, sizeof h);
    std::memcpy(h.magic, kMapMagic, sizeof h.magic);
    Lumo::tagDistFog fog = m_fog;
    Lumo::tagLight light = m_sunLight;
    if (m_sceneGraph) {
        m_sceneGraph->GetSceneFog(fog);
        m_sceneGraph->GetSunLight(light);
    }
    std::memcpy(&h.fog, &fog, sizeof h.fog);
    std::memcpy(&h.sunLight, &light, sizeof h.sunLight);
    h.mapIndex = static_cast<uint32_t>(m_editMapIndex);
    h.timeZone = m_timeZone;
    // The field holds 36 bytes with the terminator: longer names are cut,
    // never inside a GBK character.
    const size_t nameLen =
        platform::GbkFit(std::string_view(m_cityName, strnlen(m_cityName, sizeof m_cityName)),
                         sizeof h.cityName - 1);
    std::memcpy(h.cityName, m_cityName, nameLen);
    for (int i = 0; i < 4; ++i) {
        h.weather[i] = m_weather[i];
    }
    h.dungeon = m_dungeon ? 1 : 0;
    h.reputation = m_reputation;
    h.instance = m_instance ? 1 : 0;
    h.instanceTime = static_cast<uint32_t>(m_instanceTime);
    h.cannotMount = m_cannotMount ? 1 : 0;
    h.cannotTransmit = m_cannotTransmit ? 1 : 0;

    bool ok = WriteRecord(f, h);
    long pos = long(sizeof h);
    auto section = [&](tagMapSection& s, size_t recordSize, auto writeAll) {
        s.offset = static_cast<uint32_t>(pos);
        s.count = 0;
        writeAll([&](const auto& rec) {
            ok = ok && WriteRecord(f, rec);
            ++s.count;
        });
        pos += long(s.count * recordSize);
    };
    auto editObjects = [&](GMapObjEdit::EType type, auto record) {
        return [this, type, record](auto write) {
            for (const GMapObjEdit* o : m_editObjs) {
                if (o->GetType() == type) {
                    write(*(o->*record)());
                }
            }
        };
    };
    section(h.dynamics, sizeof(tagDynamicMapObj),
            editObjects(GMapObjEdit::ET_DYNAMIC, &GMapObjEdit::GetDynamicMapObj));
    section(h.npcs, sizeof(tagMapNPC), editObjects(GMapObjEdit::ET_NPC, &GMapObjEdit::GetMapNPC));
    section(h.statics, sizeof(tagStaticMapObj),
            editObjects(GMapObjEdit::ET_STATIC, &GMapObjEdit::GetStaticMapObj));
    auto records = [](const auto& list) {
        return [&list](auto write) {
            for (const auto* r : list) {
                write(*r);
            }
        };
    };
    section(h.wayPoints, sizeof(tagMapWayPoint), records(m_wayPointList));
    section(h.triggers, sizeof(tagMapTrigger), records(m_triggerList));
    section(h.sounds, sizeof(tagMapSound), records(m_soundList));
    section(h.chopFields, sizeof(tagChopField), [this](auto write) {
        for (const GMapChopFieldObjEdit* c : m_chopFieldList) {
            write(*c->GetChopFieldObj());
        }
    });
    section(h.gathers, sizeof(tagGatherObj), records(m_gatherList));

    ok = ok && std::fseek(f, 0, SEEK_SET) == 0 && WriteRecord(f, h);
    return ok && out.Commit();
}

bool GameMapEditor::LoadFromEditFile(const char* path) {
    InFile in(path);
    if (!in.IsOpen()) {
        return false;
    }
    MapFileReader reader(in.Get());
    const tagGameMapHeader& h = reader.Header();
    // Counts come from outside: every section the editor takes is checked
    // against the file before anything is taken. The dynamic objects are
    // skipped.
    if (!reader.HasMagic() ||
        reader.FirstDamaged({MS_NPC, MS_STATIC, MS_WAYPOINT, MS_TRIGGER, MS_SOUND, MS_CHOPFIELD,
                             MS_GATHER}) != MS_COUNT) {
        return false;
    }

    std::memcpy(&m_fog, &h.fog, sizeof m_fog);
    std::memcpy(&m_sunLight, &h.sunLight, sizeof m_sunLight);
    if (m_sceneGraph) {
        m_sceneGraph->SetSceneFog(m_fog);
        m_sceneGraph->SetSunLight(m_sunLight);
    }
    m_editMapIndex = h.mapIndex;
    m_timeZone = h.timeZone;
    std::memset(m_cityName, 0, sizeof m_cityName);
    std::memcpy(m_cityName, h.cityName, strnlen(h.cityName, sizeof h.cityName));
    m_dungeon = h.dungeon != 0;
    m_instance = h.instance != 0;
    m_reputation = static_cast<EReputation>(h.reputation);
    m_instanceTime = h.instanceTime;
    m_cannotMount = h.cannotMount != 0;
    m_cannotTransmit = h.cannotTransmit != 0;
    for (int i = 0; i < 4; ++i) {
        const int32_t w = h.weather[i];
        m_weather[i] = static_cast<EWeather>(w >= 0 && w < kWeatherKinds ? w : 0);
    }

    for (const tagMapNPC& r : reader.Read<tagMapNPC>()) {
        auto* o = new GMapObjEdit;
        if (o->Create(r, this)) {
            o->SetWorldPos(r.pos);
            o->SetYawForNPC(r.yaw);
        } else {
            delete o;
        }
    }
    tagStaticMapObj blankStatic{};
    blankStatic.scale = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
    for (const tagStaticMapObj& r : reader.Read(blankStatic)) {
        auto* o = new GMapObjEdit;
        if (o->Create(r, this)) {
            o->SetWorldPos(r.pos);
        } else {
            delete o;
        }
    }
    for (const tagMapWayPoint& r : reader.Read<tagMapWayPoint>()) {
        int seq = 0;
        AddWayPoint(new tagMapWayPoint(r), seq);
    }
    for (const tagMapTrigger& r : reader.Read<tagMapTrigger>()) {
        m_triggerList.push_back(new tagMapTrigger(r));
    }
    for (const tagMapSound& r : reader.Read<tagMapSound>()) {
        int id = 0;
        AddSound(new tagMapSound(r), id);
    }
    for (const tagChopField& r : reader.Read<tagChopField>()) {
        auto* c = new GMapChopFieldObjEdit;
        c->Create(r, this);
        c->SetWorldPos({r.tileX, r.tileZ});
    }
    for (const tagGatherObj& r : reader.Read<tagGatherObj>()) {
        m_gatherList.push_back(new tagGatherObj(r));
    }
    return true;
}

// ------------------------------------------------------- maze-wall file

bool GameMapEditor::WriteMazeObjFile(const char* path) {
    SaveFile out(path);
    if (!out.IsOpen()) {
        return false;
    }
    FILE* f = out.Get();
    tagMazeFileHeader h;
    std::memset(&h, 0, sizeof h);
    std::memcpy(h.magic, kMazeMagic, sizeof h.magic);
    h.mapIndex = static_cast<uint32_t>(m_editMapIndex);
    h.walls.offset = sizeof h;
    bool ok = WriteRecord(f, h);
    for (const GMapObjEdit* w : m_mazeWalls) {
        ok = ok && WriteRecord(f, *w->GetMazeWallObj());
        ++h.walls.count;
    }
    ok = ok && std::fseek(f, 0, SEEK_SET) == 0 && WriteRecord(f, h);
    return ok && out.Commit();
}

bool GameMapEditor::LoadMazeObjFile(const char* path) {
    InFile in(path);
    if (!in.IsOpen()) {
        return false;
    }
    const uint32_t size = Lumo::BytesLeft(in.Get().GetFS(), in.Get().GetHandle());
    uint8_t raw[sizeof(tagMazeFileHeader)] = {};
    in.Get().Read(raw, sizeof raw);
    tagMazeFileHeader h;
    std::memcpy(&h, raw, sizeof h);
    if (std::memcmp(h.magic, kMazeMagic, sizeof h.magic) != 0 ||
        !SectionFits(h.walls, sizeof(tagMazeWallObj), size)) {
        return false;
    }
    m_editMapIndex = h.mapIndex;
    tagMazeWallObj blank{};
    blank.scale = D3DXVECTOR3(1.0f, 1.0f, 1.0f);
    for (const tagMazeWallObj& r : ReadRecords(in.Get(), h.walls, blank)) {
        auto* w = new GMapObjEdit;
        if (w->Create(r, this)) {
            w->SetWorldPos(r.pos);
        } else {
            delete w;
        }
    }
    return true;
}

}  // namespace GFC
