// The map editor model: set-up, settings, the lists and their id rules.
// The map and maze-wall files live in GameMapEditorFiles.cpp, picking and
// drawing in GameMapEditorDraw.cpp.
#include "editor/GameMapEditor.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

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

}  // namespace GFC
