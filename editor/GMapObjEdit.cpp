#include "editor/GMapObjEdit.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "editor/GameMapEditor.h"
#include "lumo/FArchive.h"
#include "lumo/Kernel.h"
#include "lumo/Transform.h"
#include "platform/text.h"

namespace GFC {

namespace {

// The text after the last '.', "" when there is none.
std::string ExtensionOf(const char* path) {
    const char* dot = path ? std::strrchr(path, '.') : nullptr;
    return dot ? std::string(dot + 1) : std::string();
}

// Exactly these two spellings mark an effect.
bool IsEffectPath(const char* path) {
    const std::string ext = ExtensionOf(path);
    return ext == "sfx" || ext == "SFX";
}

Lumo::SceneGraph* GraphOf(const GameMapEditor* editor) {
    return editor ? editor->GetSceneGraph() : nullptr;
}

void Detach(const GameMapEditor* editor, Lumo::SceneNode* node) {
    if (Lumo::SceneGraph* g = GraphOf(editor)) {
        g->DetachDynamicNode(node);
    }
}

void Attach(const GameMapEditor* editor, Lumo::SceneNode* node) {
    if (Lumo::SceneGraph* g = GraphOf(editor)) {
        g->AttachDynamicNode(node);
    }
}

Lumo::SGEffectNode* NewEffect(const char* path) {
    auto* node = new Lumo::SGEffectNode;
    Lumo::FArchive ar;
    ar.OpenForRead(Lumo::Kernel::Inst()->DefaultFS(), path);
    node->Deserialize(ar);
    ar.Close();
    return node;
}

Lumo::EntityNode* NewEntity(const char* path) {
    auto* node = new Lumo::EntityNode;
    node->LoadRes(path);
    return node;
}

const D3DXVECTOR3 kUnitScale(1.0f, 1.0f, 1.0f);

}  // namespace

// ------------------------------------------------------------ GMapObjEdit

GMapObjEdit::GMapObjEdit()
    : m_type(ET_DYNAMIC),
      m_editor(nullptr),
      m_static{},
      m_dynamic{},
      m_npc{},
      m_mazeWall{},
      m_entity(nullptr),
      m_effect(nullptr) {
    m_static.scale = kUnitScale;
    m_mazeWall.scale = kUnitScale;
}

GMapObjEdit::~GMapObjEdit() {
    if (m_entity) {
        Detach(m_editor, m_entity);
    }
    if (m_effect) {
        Detach(m_editor, m_effect);
    }
    delete m_entity;
    delete m_effect;
}

bool GMapObjEdit::Create(const tagStaticMapObj& rec, GameMapEditor* editor) {
    m_type = ET_STATIC;
    m_static = rec;
    m_editor = editor;
    LoadMdl(m_static.modelPath);
    if (editor) {
        editor->AddMapObjEdit(this);
    }
    if (m_effect) {
        m_effect->Play();
    }
    return true;
}

bool GMapObjEdit::Create(const tagMapNPC& rec, GameMapEditor* editor) {
    m_type = ET_NPC;
    m_npc = rec;
    m_npc.yaw = 0;
    m_editor = editor;
    const tagNPCAtt* att = editor ? editor->GetAttDataBase().FindNpcAtt(rec.npcAttId) : nullptr;
    if (!att) {
        return false;
    }
    LoadMdl(GAttDataBase::GetNpcMdlPath(att).c_str());
    editor->AddMapObjEdit(this);
    return true;
}

bool GMapObjEdit::Create(const tagMazeWallObj& rec, GameMapEditor* editor) {
    m_type = ET_MAZEWALL;
    m_mazeWall = rec;
    m_editor = editor;
    LoadMdl(m_mazeWall.modelPath);
    if (editor) {
        editor->AddMazeWall(this);
    }
    m_mazeWall.scale = kUnitScale;
    return true;
}

void GMapObjEdit::LoadMdl(const char* path) {
    if (IsEffectPath(path)) {
        if (m_effect) {
            Detach(m_editor, m_effect);
            delete m_effect;
        }
        m_effect = NewEffect(path);
        Attach(m_editor, m_effect);
        return;
    }
    if (m_entity) {
        Detach(m_editor, m_entity);
        delete m_entity;
    }
    m_entity = NewEntity(path);
    Attach(m_editor, m_entity);
}

void GMapObjEdit::SetNodesMatrix(const D3DXMATRIX& m, bool entity, bool effect) {
    if (entity && m_entity) {
        m_entity->SetWorldMat(m);
    }
    if (effect && m_effect) {
        m_effect->SetWorldMat(m);
    }
}

void GMapObjEdit::SetWorldPos(const D3DXVECTOR3& pos) {
    Lumo::Transform t;
    switch (m_type) {
        case ET_STATIC:
            m_static.pos = pos;
            t.Scale(m_static.scale);
            t.Rotate(m_static.rot.x, m_static.rot.y, m_static.rot.z);
            t.Translate(pos);
            break;
        case ET_MAZEWALL:
            m_mazeWall.pos = pos;
            t.Scale(m_mazeWall.scale);
            t.Rotate(m_mazeWall.yaw, 0, 0);
            t.Translate(pos);
            break;
        case ET_DYNAMIC:
            m_dynamic.pos = pos;
            t.Rotate(m_dynamic.rot.x, m_dynamic.rot.y, m_dynamic.rot.z);
            t.Translate(pos);
            break;
        case ET_NPC:
            // Turned in place, then moved: turning after the move would swing
            // the NPC around the world's origin, away from its position.
            m_npc.pos = pos;
            t.Rotate(m_npc.yaw * kDegToRad, 0, 0);
            t.Translate(pos);
            break;
        default:
            break;  // nothing stored; the nodes get the identity
    }
    SetNodesMatrix(t.GetMatrix(), true, true);
}

D3DXVECTOR3 GMapObjEdit::GetWorldPos() const {
    switch (m_type) {
        case ET_STATIC:
            return m_static.pos;
        case ET_MAZEWALL:
            return m_mazeWall.pos;
        case ET_DYNAMIC:
            return m_dynamic.pos;
        case ET_NPC:
            return m_npc.pos;
        default:
            return D3DXVECTOR3();
    }
}

void GMapObjEdit::SetYawForNPC(float degrees) {
    if (m_type != ET_NPC) {
        return;
    }
    m_npc.yaw = degrees;
    Lumo::Transform t;
    t.Rotate(degrees * kDegToRad, 0, 0);
    t.Translate(m_npc.pos);
    SetNodesMatrix(t.GetMatrix(), true, false);
}

void GMapObjEdit::SetYawForStaticObj(float radians) {
    if (m_type != ET_STATIC) {
        return;
    }
    m_static.rot.x = radians;
    Lumo::Transform t;
    t.Scale(m_static.scale);
    t.Rotate(m_static.rot.x, m_static.rot.y, m_static.rot.z);
    t.Translate(m_static.pos);
    SetNodesMatrix(t.GetMatrix(), true, true);
}

void GMapObjEdit::SetYawForMazeWall(float radians) {
    if (m_type != ET_MAZEWALL) {
        return;
    }
    m_mazeWall.yaw = radians;
    SetWorldPos(GetWorldPos());
}

bool GMapObjEdit::GetYawForNPC(float& degrees) const {
    if (m_type != ET_NPC) {
        return false;
    }
    degrees = m_npc.yaw;
    return true;
}

void GMapObjEdit::SetMdlScale(const D3DXVECTOR3& scale) {
    Lumo::Transform t;
    if (m_type == ET_STATIC) {
        t.Scale(scale);
        t.Rotate(m_static.rot.x, m_static.rot.y, m_static.rot.z);
        t.Translate(m_static.pos);
        SetNodesMatrix(t.GetMatrix(), true, true);
    } else if (m_type == ET_MAZEWALL) {
        t.Scale(scale);
        t.Translate(m_mazeWall.pos);
        SetNodesMatrix(t.GetMatrix(), true, false);
    }
}

void GMapObjEdit::SetScaleForStaticObj(const D3DXVECTOR3& scale) {
    if (m_type != ET_STATIC) {
        return;
    }
    m_static.scale = scale;
    SetMdlScale(scale);
}

void GMapObjEdit::SetWayPointNameForNPC(const char* name) {
    if (m_type != ET_NPC) {
        return;
    }
    std::memset(m_npc.wayPointName, 0, sizeof m_npc.wayPointName);
    if (name) {
        std::memcpy(m_npc.wayPointName, name,
                    platform::GbkFit(name, sizeof m_npc.wayPointName - 1));
    }
}

unsigned long GMapObjEdit::GetMapID() const {
    switch (m_type) {
        case ET_STATIC:
            return m_static.id;
        case ET_MAZEWALL:
            return m_mazeWall.id;
        case ET_DYNAMIC:
            return m_dynamic.id;
        case ET_NPC:
            return m_npc.id;
        default:
            return 0xFFFFFFFFul;
    }
}

// --------------------------------------------------- GMapChopFieldObjEdit

int ChopFieldExtent(int type) {
    return type == 0 ? 64 : (type == 1 ? 32 : 0);
}

int TileOffset(int tile, int by) {
    const int64_t sum = int64_t(tile) + by;
    return int(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

GMapChopFieldObjEdit::GMapChopFieldObjEdit() : m_type(-1), m_editor(nullptr), m_rec{} {}

GMapChopFieldObjEdit::~GMapChopFieldObjEdit() {
    ReleaseNodes();
}

void GMapChopFieldObjEdit::ReleaseNodes() {
    for (Lumo::EntityNode* n : m_entities) {
        Detach(m_editor, n);
        delete n;
    }
    for (Lumo::SGEffectNode* n : m_effects) {
        Detach(m_editor, n);
        delete n;
    }
    std::vector<Lumo::EntityNode*>().swap(m_entities);
    std::vector<Lumo::SGEffectNode*>().swap(m_effects);
}

bool GMapChopFieldObjEdit::Create(const tagChopField& rec, GameMapEditor* editor) {
    m_type = rec.type;
    m_rec = rec;
    m_editor = editor;
    LoadMdl(m_rec.modelPath0);
    if (editor) {
        editor->AddChopField(this);
    }
    return true;
}

void GMapChopFieldObjEdit::ModifyChopField(const tagChopField& rec, int slot) {
    m_rec = rec;
    m_type = rec.type;
    const char* const paths[5] = {m_rec.modelPath0, m_rec.modelPath1, m_rec.modelPath2,
                                  m_rec.modelPath3, m_rec.modelPath4};
    if (slot >= 0 && slot < 5) {
        LoadMdl(paths[slot]);
    }
    SetWorldPos({m_rec.tileX, m_rec.tileZ});
}

void GMapChopFieldObjEdit::LoadMdl(const char* path) {
    ReleaseNodes();
    if (IsEffectPath(path)) {
        for (int i = 0; i < kChopFieldNodes; ++i) {
            Lumo::SGEffectNode* node = NewEffect(path);
            Attach(m_editor, node);
            node->Play();
            m_effects.push_back(node);
        }
        return;
    }
    for (int i = 0; i < kChopFieldNodes; ++i) {
        Lumo::EntityNode* node = NewEntity(path);
        Attach(m_editor, node);
        m_entities.push_back(node);
    }
}

void GMapChopFieldObjEdit::SetWorldPos(const tagPOINT& tile) {
    m_rec.tileX = tile.x;
    m_rec.tileZ = tile.y;
    const int extent = ChopFieldExtent(m_type);
    if (extent == 0) {
        return;
    }
    const int step = extent / 8;
    const Lumo::Heightmap* hm = nullptr;
    if (m_editor && m_editor->GetHeightMap()) {
        hm = m_editor->GetHeightMap()->GetHeightmap();
    }
    int n = 0;
    for (int dz = step / 2; dz < extent; dz += step) {
        for (int dx = step / 2; dx < extent; dx += step, ++n) {
            D3DXVECTOR3 p =
                hm ? hm->Tile2World(TileOffset(tile.x, dx), TileOffset(tile.y, dz)) : D3DXVECTOR3();
            p.y -= kChopFieldSink;
            Lumo::Transform t;
            t.Translate(p);
            if (size_t(n) < m_entities.size()) {
                m_entities[n]->SetWorldMat(t.GetMatrix());
            }
            if (size_t(n) < m_effects.size()) {
                m_effects[n]->SetWorldMat(t.GetMatrix());
            }
        }
    }
}

Lumo::EntityNode* GMapChopFieldObjEdit::GetSGNode(int i) const {
    return i >= 0 && size_t(i) < m_entities.size() ? m_entities[i] : nullptr;
}

Lumo::SGEffectNode* GMapChopFieldObjEdit::GetSGEffectNode(int i) const {
    return i >= 0 && size_t(i) < m_effects.size() ? m_effects[i] : nullptr;
}

}  // namespace GFC
