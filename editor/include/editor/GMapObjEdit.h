// Placed objects as the map editor shows and moves them: one map record
// (a static object, an NPC spawn, a maze wall or a dynamic object) with the
// scene node that displays it, and a chop field with its grid of 64 nodes.
// Both belong to a GameMapEditor, whose scene graph shows their nodes and
// whose lists own them. Game thread only; copies are refused (nodes have
// one owner).
#pragma once

#include <vector>

#include "framework/GTypes.h"
#include "framework/GfcApi.h"
#include "gamesys/MapRecords.h"
#include "lumo/SceneGraph.h"

namespace GFC {

class GameMapEditor;

// Degrees to radians, as the editor turns NPCs.
constexpr float kDegToRad = 0.017453292f;

class GFC_API GMapObjEdit {
public:
    enum EType { ET_DYNAMIC = 0, ET_NPC = 1, ET_STATIC = 2, ET_MAZEWALL = 3 };

    // Zeroed records (scale 1.0 for static objects and maze walls), type
    // ET_DYNAMIC, no editor, no nodes.
    GMapObjEdit();
    // Detaches the nodes from the editor's scene graph and deletes them.
    virtual ~GMapObjEdit();
    GMapObjEdit(const GMapObjEdit&) = delete;
    GMapObjEdit& operator=(const GMapObjEdit&) = delete;

    // A static object: loads its model (or effect, which is started) and
    // joins the editor's edit objects. True.
    bool Create(const tagStaticMapObj& rec, GameMapEditor* editor);
    // An NPC, facing 0: false, joining nothing, when its attribute record is
    // not in the editor's attribute database; otherwise loads the NPC's model
    // and joins the edit objects.
    bool Create(const tagMapNPC& rec, GameMapEditor* editor);
    // A maze wall: loads its model and joins the editor's maze walls; its
    // scale becomes 1.0 whatever the record held. True.
    bool Create(const tagMazeWallObj& rec, GameMapEditor* editor);

    // Replaces the display node: an effect node for a path ending in ".sfx"
    // or ".SFX" (exactly), else an entity node. The node of the other kind
    // is left as it is.
    void LoadMdl(const char* path);

    // Stores the position in the current record and poses the nodes.
    void SetWorldPos(const D3DXVECTOR3& pos);
    // The current record's position; (0, 0, 0) for an unknown type.
    D3DXVECTOR3 GetWorldPos() const;
    // Each acts only on its type.
    void SetYawForNPC(float degrees);
    void SetYawForStaticObj(float radians);
    void SetYawForMazeWall(float radians);
    bool GetYawForNPC(float& degrees) const;
    // Poses the nodes with another scale, without storing it in the record
    // (static objects and maze walls only).
    void SetMdlScale(const D3DXVECTOR3& scale);
    // Stores a static object's scale in its record and poses the nodes with
    // it (a static object only).
    void SetScaleForStaticObj(const D3DXVECTOR3& scale);
    // Names the way-point path an NPC patrols; "" for none (an NPC only).
    // The name is cut where the record's field ends, never inside a GBK
    // character.
    void SetWayPointNameForNPC(const char* name);

    void GetData(tagStaticMapObj& out) const { out = m_static; }
    void GetData(tagDynamicMapObj& out) const { out = m_dynamic; }
    void GetData(tagMapNPC& out) const { out = m_npc; }
    void GetData(tagMazeWallObj& out) const { out = m_mazeWall; }
    const tagStaticMapObj* GetStaticMapObj() const { return &m_static; }
    const tagDynamicMapObj* GetDynamicMapObj() const { return &m_dynamic; }
    const tagMapNPC* GetMapNPC() const { return &m_npc; }
    const tagMazeWallObj* GetMazeWallObj() const { return &m_mazeWall; }

    // The current record's id; 0xFFFFFFFF for an unknown type.
    unsigned long GetMapID() const;
    EType GetType() const { return m_type; }
    Lumo::EntityNode* GetSGNode() const { return m_entity; }
    Lumo::SGEffectNode* GetSGEffectNode() const { return m_effect; }
    GameMapEditor* GetEditor() const { return m_editor; }

private:
    void SetNodesMatrix(const D3DXMATRIX& m, bool entity, bool effect);

    EType m_type;
    GameMapEditor* m_editor;
    tagStaticMapObj m_static;
    tagDynamicMapObj m_dynamic;
    tagMapNPC m_npc;
    tagMazeWallObj m_mazeWall;
    Lumo::EntityNode* m_entity;
    Lumo::SGEffectNode* m_effect;
};

// Chop field layouts: extent in tiles, node spacing, first node's offset.
constexpr int kChopFieldNodes = 64;
constexpr int kChopFieldSink = 50;  // nodes stand this far below the ground

// A chop field's extent in tiles: 64 for type 0, 32 for type 1, 0 otherwise.
GFC_API int ChopFieldExtent(int type);
// The tile `by` tiles on from `tile`, held at the ends of int: a record
// read from a file may place its field anywhere.
GFC_API int TileOffset(int tile, int by);

class GFC_API GMapChopFieldObjEdit {
public:
    // A zeroed record, type -1, no editor, no nodes.
    GMapChopFieldObjEdit();
    // Detaches every node from the editor's scene graph and deletes it.
    virtual ~GMapChopFieldObjEdit();
    GMapChopFieldObjEdit(const GMapChopFieldObjEdit&) = delete;
    GMapChopFieldObjEdit& operator=(const GMapChopFieldObjEdit&) = delete;

    // Takes the record, loads the slot-0 model and joins the editor's chop
    // fields. True.
    bool Create(const tagChopField& rec, GameMapEditor* editor);
    // Takes the record and its type, loads the model of slot 0..4 (another
    // slot loads nothing) and places the nodes at the record's tile.
    void ModifyChopField(const tagChopField& rec, int slot);
    // 64 nodes of the model or effect, replacing all nodes.
    void LoadMdl(const char* path);
    // Stores the tile and places the nodes by the field's layout.
    void SetWorldPos(const tagPOINT& tile);
    tagPOINT GetWorldPos() const { return {m_rec.tileX, m_rec.tileZ}; }

    void GetData(tagChopField& out) const { out = m_rec; }
    const tagChopField* GetChopFieldObj() const { return &m_rec; }
    int GetChopFieldType() const { return m_type; }
    unsigned long GetMapID() const { return m_rec.id; }
    // The i-th node, or null when i is outside the vector.
    Lumo::EntityNode* GetSGNode(int i) const;
    Lumo::SGEffectNode* GetSGEffectNode(int i) const;

private:
    void ReleaseNodes();

    int m_type;
    GameMapEditor* m_editor;
    tagChopField m_rec;
    std::vector<Lumo::EntityNode*> m_entities;
    std::vector<Lumo::SGEffectNode*> m_effects;
};

}  // namespace GFC
