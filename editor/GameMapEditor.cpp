// The map editor model: set-up, settings, the lists and their id rules,
// and the map and maze-wall files. Picking and drawing live in
// GameMapEditorDraw.cpp.
#include "editor/GameMapEditor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

#include "framework/FsFile.h"
#include "gamesys/MapFile.h"
#include "gamesys/SaveFile.h"
#include "lumo/DiskFS.h"
#include "lumo/FileBytes.h"
#include "lumo/Kernel.h"
#include "platform/text.h"

namespace GFC {

namespace {

constexpr size_t kMaxWayPointSeq = 255;  // seq is one byte

bool SameName(const char* a, const char* b, size_t size) {
    return std::strncmp(a, b, size) == 0;
}

// Frees and unlinks the first element matching pred; clears sel when it
// pointed there.
template <typename T, typename Pred>
void EraseFirst(std::list<T*>& list, Pred pred, T*& sel) {
    auto it = std::find_if(list.begin(), list.end(), pred);
    if (it == list.end()) {
        return;
    }
    if (sel == *it) {
        sel = nullptr;
    }
    delete *it;
    list.erase(it);
}

template <typename T>
void FreeAll(std::list<T*>& list) {
    for (T* p : list) {
        delete p;
    }
    list.clear();
}

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

// ------------------------------------------------------------- set-up

GameMapEditor::GameMapEditor() {
    for (EWeather& w : m_weather) {
        w = EW_NONE;
    }
}

GameMapEditor::~GameMapEditor() {
    Destroy();
    FreeAll(m_gatherList);
    m_pickedGather = nullptr;
}

void GameMapEditor::Destroy() {
    ClearEditList();
    ClearWayPointList();
    ClearTriggerList();
    ClearSoundList();
    ClearMazeWallList();
    ClearChopFieldList();
    delete m_sceneGraph;
    m_sceneGraph = nullptr;
    GameMap::Destroy();
}

void GameMapEditor::Create(Lumo::TerrainEditor* terrain, Lumo::CameraBase* camera) {
    if (!m_sceneGraph) {
        m_sceneGraph = new Lumo::NullSceneGraph;
    }
    m_sceneGraph->BindCamera(camera);
    m_terrain = terrain;
    m_camera = camera;
}

void GameMapEditor::LoadAttDataBase(const char*) {
    m_attDB.LoadFromFile(Lumo::Kernel::Inst()->DefaultFS());
}

void GameMapEditor::GetTerrainTileXZ(const D3DXVECTOR3& world, tagPOINT& tile) const {
    if (const Lumo::Heightmap* hm = Terrain()) {
        tile = hm->World2Tile(world);
    }
}

const Lumo::Heightmap* GameMapEditor::Terrain() const {
    return m_terrain ? m_terrain->GetHeightmap() : nullptr;
}

D3DXVECTOR3 GameMapEditor::TileWorld(int x, int z) const {
    const Lumo::Heightmap* hm = Terrain();
    return hm ? hm->Tile2World(x, z) : D3DXVECTOR3();
}

// ----------------------------------------------------------- settings

void GameMapEditor::SetWeatherType(int w0, int w1, int w2, int w3) {
    m_weather[0] = static_cast<EWeather>(w0);
    m_weather[1] = static_cast<EWeather>(w1);
    m_weather[2] = static_cast<EWeather>(w2);
    m_weather[3] = static_cast<EWeather>(w3);
}

void GameMapEditor::GetWeatherType(int& w0, int& w1, int& w2, int& w3) const {
    w0 = m_weather[0];
    w1 = m_weather[1];
    w2 = m_weather[2];
    w3 = m_weather[3];
}

void GameMapEditor::SetCityName(const char* name) {
    std::memset(m_cityName, 0, sizeof m_cityName);
    if (name) {
        const size_t n = platform::GbkFit(name, sizeof m_cityName - 1);
        std::memcpy(m_cityName, name, n);
    }
}

// ------------------------------------------------------- edit objects

void GameMapEditor::AddMapObjEdit(GMapObjEdit* obj) {
    if (obj) {
        m_editObjs.push_back(obj);
    }
}

GMapObjEdit* GameMapEditor::FindMapObjEdit(GMapObjEdit::EType type, unsigned long id) const {
    for (GMapObjEdit* o : m_editObjs) {
        if (o->GetType() == type && o->GetMapID() == id) {
            return o;
        }
    }
    return nullptr;
}

GMapObjEdit* GameMapEditor::RemoveMapObjEdit(GMapObjEdit::EType type, unsigned long id) {
    GMapObjEdit* o = FindMapObjEdit(type, id);
    if (o) {
        RemoveMapObjEdit(o);
    }
    return o;
}

bool GameMapEditor::RemoveMapObjEdit(GMapObjEdit* obj) {
    auto it = std::find(m_editObjs.begin(), m_editObjs.end(), obj);
    if (it == m_editObjs.end()) {
        return false;
    }
    m_editObjs.erase(it);
    if (obj->GetSGEffectNode() && m_sceneGraph) {
        m_sceneGraph->DetachDynamicNode(obj->GetSGEffectNode());
    }
    if (m_selectedObj == obj) {
        m_selectedObj = nullptr;
    }
    return true;
}

void GameMapEditor::ClearEditList() {
    FreeAll(m_editObjs);
    m_selectedObj = nullptr;
}

// ----------------------------------------------------------- way points

void GameMapEditor::AddWayPoint(tagMapWayPoint* wp, int& seq) {
    if (!wp) {
        seq = -1;
        return;
    }
    // The next number of the path: past the highest in use, so a number is
    // never given twice even after points were deleted; the lowest free one
    // once 255 is taken.
    std::set<int> used;
    for (const tagMapWayPoint* p : m_wayPointList) {
        if (SameName(p->name, wp->name, sizeof p->name)) {
            used.insert(p->seq);
        }
    }
    int next = used.empty() ? 0 : *used.rbegin() + 1;
    if (next > int(kMaxWayPointSeq)) {
        next = -1;
        for (int s = 0; s <= int(kMaxWayPointSeq); ++s) {
            if (!used.count(s)) {
                next = s;
                break;
            }
        }
    }
    seq = next;
    if (next < 0) {
        delete wp;
        return;
    }
    wp->seq = static_cast<uint8_t>(next);
    m_wayPointList.push_back(wp);
}

bool GameMapEditor::IsExistWayPointWithSameName(const char* name) const {
    return std::any_of(m_wayPointList.begin(), m_wayPointList.end(), [&](const tagMapWayPoint* p) {
        return SameName(p->name, name, sizeof p->name);
    });
}

tagMapWayPoint* GameMapEditor::GetWayPointData(const char* name, int seq) const {
    for (tagMapWayPoint* p : m_wayPointList) {
        if (SameName(p->name, name, sizeof p->name) && p->seq == seq) {
            return p;
        }
    }
    return nullptr;
}

void GameMapEditor::DeleteWayPoint(const char* name, int seq) {
    EraseFirst(
        m_wayPointList,
        [&](const tagMapWayPoint* p) {
            return SameName(p->name, name, sizeof p->name) && p->seq == seq;
        },
        m_pickedWayPoint);
}

void GameMapEditor::ModifyWayPointProp(const tagMapWayPoint& wp) {
    if (tagMapWayPoint* p = GetWayPointData(wp.name, wp.seq)) {
        p->tileX0 = wp.tileX0;
        p->tileZ0 = wp.tileZ0;
        p->tileX1 = wp.tileX1;
        p->tileZ1 = wp.tileZ1;
    }
}

void GameMapEditor::ModifyWayPointProp(const char* name, int seq, const tagMapWayPoint& wp) {
    auto found =
        std::find_if(m_wayPointList.begin(), m_wayPointList.end(), [&](const tagMapWayPoint* p) {
            return SameName(p->name, name, sizeof p->name) && p->seq == seq;
        });
    if (found == m_wayPointList.end()) {
        return;
    }
    tagMapWayPoint* r = *found;
    m_wayPointList.erase(found);
    std::memcpy(r->name, wp.name, sizeof r->name);
    r->seq = wp.seq;
    r->tileX0 = wp.tileX0;
    r->tileZ0 = wp.tileZ0;
    r->tileX1 = wp.tileX1;
    r->tileZ1 = wp.tileZ1;

    auto first = std::find_if(
        m_wayPointList.begin(), m_wayPointList.end(),
        [&](const tagMapWayPoint* p) { return SameName(p->name, r->name, sizeof p->name); });
    if (first == m_wayPointList.end()) {
        m_wayPointList.push_back(r);
        return;
    }
    if (r->seq < (*first)->seq) {
        m_wayPointList.insert(first, r);
        return;
    }
    auto t = first;
    for (auto c = std::next(t); c != m_wayPointList.end(); ++t, ++c) {
        if (!SameName((*c)->name, (*t)->name, sizeof r->name) ||
            (r->seq > (*t)->seq && r->seq < (*c)->seq)) {
            m_wayPointList.insert(c, r);
            return;
        }
    }
    // The walk reached the end of the list: the point goes last. (Its number
    // may equal the last point's; it is kept rather than dropped.)
    m_wayPointList.push_back(r);
}

void GameMapEditor::ClearWayPointList() {
    FreeAll(m_wayPointList);
    m_pickedWayPoint = nullptr;
}

GMapObjEdit* GameMapEditor::FindRoleByWayPoint(const char* name) const {
    for (GMapObjEdit* o : m_editObjs) {
        if (o->GetType() == GMapObjEdit::ET_NPC &&
            SameName(o->GetMapNPC()->wayPointName, name, sizeof o->GetMapNPC()->wayPointName)) {
            return o;
        }
    }
    return nullptr;
}

void GameMapEditor::SetCurPosForWayPoint(bool draw, const D3DXVECTOR3& pos) {
    m_drawWayPointBand = draw;
    m_wayPointBand = pos;
}

// ------------------------------------------------ triggers, gathers, sounds

void GameMapEditor::AddTrigger(tagMapTrigger* trigger) {
    if (trigger) {
        m_triggerList.push_back(trigger);
    }
}

void GameMapEditor::AddGather(tagGatherObj* gather) {
    if (gather) {
        m_gatherList.push_back(gather);
    }
}

void GameMapEditor::AddSound(tagMapSound* sound, int& id) {
    if (!sound) {
        return;
    }
    uint32_t next = 0;
    if (!m_soundList.empty()) {
        uint32_t highest = 0;
        for (const tagMapSound* s : m_soundList) {
            highest = std::max(highest, s->id);
        }
        next = highest + 1;
        if (highest == 0xFFFFFFFFu) {
            // One more would wrap onto ids in use: take the lowest free one.
            std::set<uint32_t> used;
            for (const tagMapSound* s : m_soundList) {
                used.insert(s->id);
            }
            next = 0;
            while (used.count(next)) {
                ++next;
            }
        }
    }
    sound->id = next;
    id = static_cast<int>(next);
    m_soundList.push_back(sound);
}

tagMapTrigger* GameMapEditor::GetTriggerData(unsigned long id) const {
    for (tagMapTrigger* t : m_triggerList) {
        if (t->id == id) {
            return t;
        }
    }
    return nullptr;
}

tagGatherObj* GameMapEditor::GetGatherData(unsigned long id) const {
    for (tagGatherObj* g : m_gatherList) {
        if (g->id == id) {
            return g;
        }
    }
    return nullptr;
}

tagMapSound* GameMapEditor::FindSound(unsigned long id) const {
    for (tagMapSound* s : m_soundList) {
        if (s->id == id) {
            return s;
        }
    }
    return nullptr;
}

void GameMapEditor::ModifyTriggerProp(const tagMapTrigger& trigger) {
    if (tagMapTrigger* t = GetTriggerData(trigger.id)) {
        *t = trigger;
    }
}

void GameMapEditor::ModifyGatherProp(const tagGatherObj& gather) {
    if (tagGatherObj* g = GetGatherData(gather.id)) {
        *g = gather;
    }
}

void GameMapEditor::DeleteTrigger(unsigned long id) {
    EraseFirst(
        m_triggerList, [&](const tagMapTrigger* t) { return t->id == id; }, m_pickedTrigger);
}

void GameMapEditor::DeleteTrigger(int n) {
    int i = 0;
    EraseFirst(
        m_triggerList, [&](const tagMapTrigger*) { return i++ == n; }, m_pickedTrigger);
}

void GameMapEditor::DeleteGather(unsigned long id) {
    EraseFirst(
        m_gatherList, [&](const tagGatherObj* g) { return g->id == id; }, m_pickedGather);
}

void GameMapEditor::DeleteGather(int n) {
    int i = 0;
    EraseFirst(
        m_gatherList, [&](const tagGatherObj*) { return i++ == n; }, m_pickedGather);
}

void GameMapEditor::DeleteSound(unsigned long id) {
    EraseFirst(
        m_soundList, [&](const tagMapSound* s) { return s->id == id; }, m_selectedSound);
}

void GameMapEditor::DeleteSound(tagMapSound* sound) {
    EraseFirst(
        m_soundList, [&](const tagMapSound* s) { return s == sound; }, m_selectedSound);
}

void GameMapEditor::ClearTriggerList() {
    FreeAll(m_triggerList);
    m_pickedTrigger = nullptr;
}

void GameMapEditor::ClearSoundList() {
    FreeAll(m_soundList);
    m_selectedSound = nullptr;
}

void GameMapEditor::SetCurPosForTrigger(bool draw, const D3DXVECTOR3& pos) {
    m_drawTriggerDrag = draw;
    m_triggerCur = pos;
}

// ---------------------------------------------- maze walls and chop fields

void GameMapEditor::AddMazeWall(GMapObjEdit* wall) {
    if (wall) {
        m_mazeWalls.push_back(wall);
    }
}

void GameMapEditor::AddChopField(GMapChopFieldObjEdit* field) {
    if (field) {
        m_chopFieldList.push_back(field);
    }
}

GMapObjEdit* GameMapEditor::FindMazeWall(unsigned long id) const {
    for (GMapObjEdit* w : m_mazeWalls) {
        if (w->GetMapID() == id) {
            return w;
        }
    }
    return nullptr;
}

GMapChopFieldObjEdit* GameMapEditor::FindChopField(unsigned long id) const {
    for (GMapChopFieldObjEdit* f : m_chopFieldList) {
        if (f->GetMapID() == id) {
            return f;
        }
    }
    return nullptr;
}

void GameMapEditor::DeleteMazeWall(unsigned long id) {
    EraseFirst(
        m_mazeWalls, [&](const GMapObjEdit* w) { return w->GetMapID() == id; }, m_selectedMazeWall);
}

void GameMapEditor::DeleteChopField(unsigned long id) {
    EraseFirst(
        m_chopFieldList, [&](const GMapChopFieldObjEdit* f) { return f->GetMapID() == id; },
        m_selectedChopField);
}

void GameMapEditor::ClearMazeWallList() {
    FreeAll(m_mazeWalls);
    m_selectedMazeWall = nullptr;
}

void GameMapEditor::ClearChopFieldList() {
    FreeAll(m_chopFieldList);
    m_selectedChopField = nullptr;
}

void GameMapEditor::SetMazeWallZone(const D3DXVECTOR3& c0, const D3DXVECTOR3& c1, int n) {
    m_mazeZone0 = c0;
    m_mazeZone1 = c1;
    m_mazeZoneN = n;
}

void GameMapEditor::GetMazeWallZone(D3DXVECTOR3& c0, D3DXVECTOR3& c1, int& n) const {
    c0 = m_mazeZone0;
    c1 = m_mazeZone1;
    n = m_mazeZoneN;
}

void GameMapEditor::IsDrawWholeMazeWallZone(bool draw, const D3DXVECTOR3& centre, int radius) {
    m_drawMazeGrid = draw;
    m_mazeGridCentre = centre;
    m_mazeGridRadius = radius;
}

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
