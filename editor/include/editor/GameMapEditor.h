// The model behind the map-editing tool. It is a GameMap (same settings,
// same file format) plus everything a designer edits over an engine
// terrain: placed objects (GMapObjEdit), way-point paths, trigger areas,
// gathers, sound boxes, maze walls and chop fields, with an attribute
// database for NPC models, a navigation map and a scene graph of its own in
// which the objects are shown. It saves and loads the map file and a
// separate maze-wall file ("GMA"), picks things with the mouse and draws
// the designer's data as debug geometry.
//
// Ownership: the editor owns every object and record in its lists and
// frees them when they are deleted or cleared; records handed to
// AddWayPoint, AddTrigger, AddSound and AddGather must come from new.
// Selections are cleared whenever the object they point to is freed.
//
// Ids the editor hands out never repeat one in use: a new way point gets
// the next number of its path, a new sound the next id.
//
// Files are read and written with the standard buffered file functions;
// the four file operations answer false (and change nothing) for files
// that cannot be opened, a wrong magic, or sections that claim more
// records than the file holds. Saves go through a temporary file, so a
// failed save leaves the old file whole.
//
// Game thread only.
#pragma once

#include <list>

#include "editor/GMapObjEdit.h"
#include "framework/GTypes.h"
#include "framework/GfcApi.h"
#include "gamesys/GAttDataBase.h"
#include "gamesys/GNavMap.h"
#include "gamesys/GameMap.h"
#include "lumo/Camera.h"
#include "lumo/SceneGraph.h"
#include "lumo/TerrainEditor.h"

namespace GFC {

// Picking and drawing colours (ARGB).
constexpr uint32_t kColourSelected = 0xFFFF0000;
constexpr uint32_t kColourTrigger = 0x00FFFF00;
constexpr uint32_t kColourPickCursor = 0x0000FFFF;
constexpr uint32_t kColourWayPoint = 0xFFFF00FF;
constexpr uint32_t kColourSound = 0x000FFF0F;
constexpr uint32_t kColourGather = 0x000000FF;
constexpr uint32_t kColourZone = 0x00005FFF;

// Sizes of the picking and drawing shapes, in world units or tiles.
constexpr float kWayPointPickRadius = 50.0f;
constexpr float kWayPointBoxHalf = 20.0f;
constexpr int kWayPointDrawTiles = 128;
constexpr float kSoundBoxHalf = 100.0f;
constexpr float kTriggerBoxHeight = 100.0f;
constexpr float kCursorHalf = 50.0f;
constexpr float kCursorHeight = 100.0f;
constexpr float kGatherBoxSize = 100.0f;
constexpr float kMazeWallHalf = 500.0f;
constexpr float kOverlapShrink = 1.0f;
constexpr float kChopFieldBoxRaise = 100.0f;
constexpr int kMazeGridStep = 20;
constexpr float kMazeGridRaise = 10.0f;
constexpr int kNpcQuadTiles = 5;

class GFC_API GameMapEditor : public GameMap {
public:
    using EditList = std::list<GMapObjEdit*>;
    using WayPointList = std::list<tagMapWayPoint*>;
    using TriggerList = std::list<tagMapTrigger*>;
    using GatherList = std::list<tagGatherObj*>;
    using SoundList = std::list<tagMapSound*>;
    using ChopFieldList = std::list<GMapChopFieldObjEdit*>;

    GameMapEditor();
    virtual ~GameMapEditor();
    GameMapEditor(const GameMapEditor&) = delete;
    GameMapEditor& operator=(const GameMapEditor&) = delete;

    // Frees the edit objects, way points, triggers, sounds, maze walls, chop
    // fields and the scene graph (gathers stay until the editor goes), then
    // clears every selection.
    void Destroy() override;

    // ---- set-up and services
    // Creates the scene graph, binds the camera to it and remembers terrain
    // and camera (neither owned; either may be null).
    void Create(Lumo::TerrainEditor* terrain, Lumo::CameraBase* camera);
    // Loads the attribute database from the engine's default file system
    // (the path is not used).
    void LoadAttDataBase(const char* path);
    GAttDataBase& GetAttDataBase() { return m_attDB; }
    Lumo::SceneGraph* GetSceneGraph() const { return m_sceneGraph; }
    GNavMap& GetNav() { return m_nav; }
    Lumo::TerrainEditor* GetHeightMap() const { return m_terrain; }
    Lumo::CameraBase* GetCamera() const { return m_camera; }
    // The terrain tile of a world point; tile unchanged without a terrain.
    void GetTerrainTileXZ(const D3DXVECTOR3& world, tagPOINT& tile) const;

    // ---- map settings
    void SetReputation(EReputation r) { m_reputation = r; }
    void SetDungeon(bool b) { m_dungeon = b; }
    void SetInstance(bool b) { m_instance = b; }
    void SetInstanceTime(unsigned long t) { m_instanceTime = t; }
    void SetCannotMount(bool b) { m_cannotMount = b; }
    void SetCannotTransmit(bool b) { m_cannotTransmit = b; }
    void SetTimeZone(int t) { m_timeZone = t; }
    void SetWeatherType(int w0, int w1, int w2, int w3);
    using GameMap::GetWeatherType;
    void GetWeatherType(int& w0, int& w1, int& w2, int& w3) const;
    // Copies the text (cut to fit the 256-byte name, never inside a GBK
    // character). Saving keeps the first 35 bytes.
    void SetCityName(const char* name);
    // The editor's own map index, the one its files carry.
    void SetMapIndex(unsigned long index) { m_editMapIndex = index; }
    unsigned long GetMapIndex() const { return m_editMapIndex; }

    // ---- edit objects (static objects, NPCs, dynamic objects)
    void AddMapObjEdit(GMapObjEdit* obj);
    GMapObjEdit* FindMapObjEdit(GMapObjEdit::EType type, unsigned long id) const;
    // Unlink the first match without deleting it (its effect node leaves the
    // scene graph); the caller owns it then.
    GMapObjEdit* RemoveMapObjEdit(GMapObjEdit::EType type, unsigned long id);
    bool RemoveMapObjEdit(GMapObjEdit* obj);
    void ClearEditList();
    const EditList& GetMapObjEditList() const { return m_editObjs; }
    GMapObjEdit* GetSelectedObj() const { return m_selectedObj; }
    void SetSelectObj(GMapObjEdit* obj) { m_selectedObj = obj; }

    // ---- way points
    // Appends the point as the next of its path: seq becomes one more than
    // the highest number the path uses (0 for a new path), returned through
    // seq. A path using every number up to 255 takes no more points: the
    // record is freed and seq is -1.
    void AddWayPoint(tagMapWayPoint* wp, int& seq);
    bool IsExistWayPointWithSameName(const char* name) const;
    tagMapWayPoint* GetWayPointData(const char* name, int seq) const;
    void DeleteWayPoint(const char* name, int seq);
    // New tile corners for the point with wp's name and number.
    void ModifyWayPointProp(const tagMapWayPoint& wp);
    // Takes the point (name, seq) out, gives it wp's name, number and
    // corners and puts it back among the points of its path. Nothing
    // happens when there is no such point.
    void ModifyWayPointProp(const char* name, int seq, const tagMapWayPoint& wp);
    void ClearWayPointList();
    void GetWayPointList(WayPointList& out) const { out = m_wayPointList; }
    // The first NPC whose way-point path is name.
    GMapObjEdit* FindRoleByWayPoint(const char* name) const;
    tagMapWayPoint* GetCurPickedWayPoint() const { return m_pickedWayPoint; }
    void SetCurPickedWayPoint(tagMapWayPoint* wp) { m_pickedWayPoint = wp; }
    void SetCurPosForWayPoint(bool draw, const D3DXVECTOR3& pos);
    void SetDrawPickFlagForWayPoint(bool draw) { m_drawWayPointCursor = draw; }
    void SetCurPosForPickWayPoint(const D3DXVECTOR3& pos) { m_wayPointCursor = pos; }

    // ---- triggers, gathers, sounds
    void AddTrigger(tagMapTrigger* trigger);
    void AddGather(tagGatherObj* gather);
    // The new sound's id is 0 for the first sound, else one more than the
    // highest id in use (the lowest free id once that reaches 0xFFFFFFFF);
    // stored in the record and returned through id.
    void AddSound(tagMapSound* sound, int& id);
    tagMapTrigger* GetTriggerData(unsigned long id) const;
    tagGatherObj* GetGatherData(unsigned long id) const;
    tagMapSound* FindSound(unsigned long id) const;
    void ModifyTriggerProp(const tagMapTrigger& trigger);
    void ModifyGatherProp(const tagGatherObj& gather);
    void DeleteTrigger(unsigned long id);
    void DeleteTrigger(int n);
    void DeleteGather(unsigned long id);
    void DeleteGather(int n);
    void DeleteSound(unsigned long id);
    void DeleteSound(tagMapSound* sound);
    void ClearTriggerList();
    void ClearSoundList();
    void GetTriggerList(TriggerList& out) const { out = m_triggerList; }
    void GetGatherList(GatherList& out) const { out = m_gatherList; }
    void GetSoundList(SoundList& out) const { out = m_soundList; }
    tagMapTrigger* GetCurPickedTrigger() const { return m_pickedTrigger; }
    void SetCurPickedTrigger(tagMapTrigger* t) { m_pickedTrigger = t; }
    void SetCurPosForTrigger(bool draw, const D3DXVECTOR3& pos);
    void SetStartPosForTrigger(const D3DXVECTOR3& pos) { m_triggerStart = pos; }
    const D3DXVECTOR3& GetStartPosForTrigger() const { return m_triggerStart; }
    const D3DXVECTOR3& GetCurPosForTrigger() const { return m_triggerCur; }
    void SetDrawPickFlagForTrigger(bool draw) { m_drawTriggerCursor = draw; }
    void SetCurPosForPickTrigger(const D3DXVECTOR3& pos) { m_triggerCursor = pos; }
    tagGatherObj* GetCurPickedGather() const { return m_pickedGather; }
    void SetCurPickedGatherObj(tagGatherObj* g) { m_pickedGather = g; }
    tagMapSound* GetSelectedSound() const { return m_selectedSound; }
    void SetSelectedSound(tagMapSound* s) { m_selectedSound = s; }

    // ---- maze walls and chop fields
    void AddMazeWall(GMapObjEdit* wall);
    void AddChopField(GMapChopFieldObjEdit* field);
    GMapObjEdit* FindMazeWall(unsigned long id) const;
    GMapChopFieldObjEdit* FindChopField(unsigned long id) const;
    void DeleteMazeWall(unsigned long id);
    void DeleteChopField(unsigned long id);
    void ClearMazeWallList();
    void ClearChopFieldList();
    void GetMazeWallList(EditList& out) const { out = m_mazeWalls; }
    void GetChopFieldList(ChopFieldList& out) const { out = m_chopFieldList; }
    GMapObjEdit* GetSelectMazeWall() const { return m_selectedMazeWall; }
    void SetSelectMazeWall(GMapObjEdit* w) { m_selectedMazeWall = w; }
    void SetMazeWallZone(const D3DXVECTOR3& c0, const D3DXVECTOR3& c1, int n);
    void GetMazeWallZone(D3DXVECTOR3& c0, D3DXVECTOR3& c1, int& n) const;
    void SetIsDrawMazeWallZone(bool draw) { m_drawMazeZone = draw; }
    // The grid of maze cells drawn over the whole terrain, within radius
    // tiles of centre.
    void IsDrawWholeMazeWallZone(bool draw, const D3DXVECTOR3& centre, int radius);
    GMapChopFieldObjEdit* GetSelectChopField() const { return m_selectedChopField; }
    void SetSelectChopField(GMapChopFieldObjEdit* f) { m_selectedChopField = f; }
    void SetChopFieldZone(const tagPOINT& tile) { m_chopZone = tile; }
    tagPOINT GetChopFieldZone() const { return m_chopZone; }
    void SetIsDrawChopFieldZone(bool draw) { m_drawChopZone = draw; }
    void SetDrawChopFieldType(int type) { m_chopZoneType = type; }

    // ---- files
    bool WriteEditFile(const char* path);
    // Adds the file's objects, way points, triggers, sounds, chop fields and
    // gathers to the lists (dynamic objects are skipped, NPCs whose
    // attribute record is missing are dropped) and takes its settings.
    bool LoadFromEditFile(const char* path);
    bool WriteMazeObjFile(const char* path);
    bool LoadMazeObjFile(const char* path);

    // ---- picking
    // The ground point under the mouse.
    bool MousePick(int x, int y, D3DXVECTOR3& out) const;
    // Selects the first edit object (of type, or any when type is 0) whose
    // box the mouse ray hits, in list order; false and nothing selected when
    // none is. Without a camera nothing changes and the answer is false.
    bool SelectObjByMouse(int x, int y);
    bool SelectObjByMouseEx(int x, int y, GMapObjEdit::EType type);
    // Selects nothing.
    bool SelectObjByID(unsigned short id);
    void PickWayPoint(const D3DXVECTOR3& pos);
    void PickTrigger(const D3DXVECTOR3& pos);
    void PickGather(const D3DXVECTOR3& pos);
    void PickSoundBox(int x, int y);
    void PickMazeWallByMouse(int x, int y);
    void PickChopFieldByMouse(int x, int y);
    bool IsIntersectBetweenMazeWalls(Lumo::AABBox box, GMapObjEdit* skip) const;
    bool IsIntersectBetweenChopFields(const tagPOINT& tile, int type) const;
    // The same, leaving out one field (the one being moved).
    bool IsIntersectBetweenChopFields(const tagPOINT& tile, int type,
                                      const GMapChopFieldObjEdit* skip) const;

    // ---- drawing (through Lumo::DrawX and the terrain's ground quads)
    void DrawEdit();
    void DrawTrigger();
    void DrawWayPoint();
    void DrawSound();
    void DrawMazeWallZone();
    void DrawChopField();
    void DrawGather();

    // The box a chop field of type covers from tile (raise lifts its top);
    // empty without a terrain.
    Lumo::AABBox ChopFieldBox(const tagPOINT& tile, int type, float raise) const;
    // A maze wall's footprint: 500 around its position on x and z, the
    // node's height (or its position's) on y.
    Lumo::AABBox MazeWallFootprint(const GMapObjEdit& wall) const;

private:
    const Lumo::Heightmap* Terrain() const;
    D3DXVECTOR3 TileWorld(int x, int z) const;
    bool MouseRay(int x, int y, Lumo::Ray& ray) const;
    bool SelectByRay(int x, int y, bool anyType, GMapObjEdit::EType type);

    EditList m_editObjs;
    GMapObjEdit* m_selectedObj = nullptr;
    GAttDataBase m_attDB;
    Lumo::SceneGraph* m_sceneGraph = nullptr;
    GNavMap m_nav;
    Lumo::TerrainEditor* m_terrain = nullptr;
    Lumo::CameraBase* m_camera = nullptr;
    unsigned long m_editMapIndex = 0;
    WayPointList m_wayPointList;
    tagMapWayPoint* m_pickedWayPoint = nullptr;
    bool m_drawWayPointBand = false;
    D3DXVECTOR3 m_wayPointBand;
    bool m_drawWayPointCursor = false;
    D3DXVECTOR3 m_wayPointCursor;
    TriggerList m_triggerList;
    tagMapTrigger* m_pickedTrigger = nullptr;
    bool m_drawTriggerDrag = false;
    D3DXVECTOR3 m_triggerStart;
    D3DXVECTOR3 m_triggerCur;
    bool m_drawTriggerCursor = false;
    D3DXVECTOR3 m_triggerCursor;
    GatherList m_gatherList;
    tagGatherObj* m_pickedGather = nullptr;
    SoundList m_soundList;
    tagMapSound* m_selectedSound = nullptr;
    EditList m_mazeWalls;
    GMapObjEdit* m_selectedMazeWall = nullptr;
    D3DXVECTOR3 m_mazeZone0;
    D3DXVECTOR3 m_mazeZone1;
    int m_mazeZoneN = 0;
    bool m_drawMazeZone = false;
    bool m_drawMazeGrid = false;
    D3DXVECTOR3 m_mazeGridCentre;
    int m_mazeGridRadius = 0;
    ChopFieldList m_chopFieldList;
    GMapChopFieldObjEdit* m_selectedChopField = nullptr;
    tagPOINT m_chopZone{0, 0};
    bool m_drawChopZone = false;
    int m_chopZoneType = 0;
};

}  // namespace GFC
