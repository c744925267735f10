// The scene: nodes that show models and effects, and the graph that holds
// the ones being drawn with the scene's camera, fog and sun light. The
// stand-in draws nothing; nodes know their resource's box, so picking and
// debug drawing see where they are.
//
// Resource files (our own form; little-endian):
//
//   model (EntityNode::LoadRes)        effect (SGEffectNode::Deserialize)
//   0   4   magic "LMDL"               0   4   magic "LSFX"
//   4   12  f32 x3 box min             4   12  f32 x3 box min
//   16  12  f32 x3 box max             16  12  f32 x3 box max
//
// The box is in model space. A file that exists but does not start with the
// magic (a model the stand-in cannot read) gets the placeholder box
// kPlaceholderBox; a file that cannot be read leaves the node without a
// resource, with an empty box that nothing hits, and a log line.
//
// Game thread only. Nodes are owned by whoever made them; a graph only
// refers to the nodes attached to it.
#pragma once

#include <string>
#include <vector>

#include "lumo/Camera.h"
#include "lumo/FArchive.h"
#include "lumo/IFS.h"
#include "lumo/LumoApi.h"
#include "lumo/Math.h"
#include "lumo/RTTI.h"
#include "lumo/SceneRecords.h"

namespace Lumo {

// Model-space box of a resource the stand-in cannot read: a 100 x 100 base
// standing 100 high.
LUMO_API AABBox PlaceholderBox();

class LUMO_API SceneNode : public RTTIObj {
public:
    SceneNode();
    ~SceneNode() override;
    SceneNode(const SceneNode&) = delete;
    SceneNode& operator=(const SceneNode&) = delete;

    void SetWorldMat(const D3DXMATRIX& m) { m_world = m; }
    const D3DXMATRIX& GetWorldMat() const { return m_world; }
    // The resource's box in world space: its model box through the world
    // matrix (empty when there is no resource).
    AABBox GetWorldBox() const { return m_localBox.Transformed(m_world); }
    bool HasResource() const { return m_hasResource; }
    const std::string& GetResPath() const { return m_resPath; }

    const RTTInfo* GetRTTInfo() const override;
    static RTTInfo m_classSceneNode;

protected:
    // Reads a resource header (magic and box) from bytes already loaded.
    void TakeResource(const char* path, const char magic[4], const void* bytes, uint32_t size);

    D3DXMATRIX m_world;
    AABBox m_localBox;
    bool m_hasResource = false;
    std::string m_resPath;
};

// A model in the scene.
class LUMO_API EntityNode : public SceneNode {
public:
    EntityNode();
    ~EntityNode() override;

    // Loads the model file through the engine's default file system; false
    // when it cannot be read.
    bool LoadRes(const char* path);
    // The model-space box.
    const AABBox& GetBox() const { return m_localBox; }
    // The world-space box around the model.
    AABBox GetAABBox() const { return GetWorldBox(); }

    const RTTInfo* GetRTTInfo() const override;
    static RTTInfo m_classEntityNode;
};

// A particle effect in the scene.
class LUMO_API SGEffectNode : public SceneNode {
public:
    SGEffectNode();
    ~SGEffectNode() override;

    // Reads the effect from an archive opened on its file; false when it
    // cannot be read.
    bool Deserialize(FArchive& ar);
    void Play() { m_playing = true; }
    bool IsPlaying() const { return m_playing; }
    // The world-space box around the effect.
    AABBox GetBox() const { return GetWorldBox(); }

    const RTTInfo* GetRTTInfo() const override;
    static RTTInfo m_classSGEffectNode;

private:
    bool m_playing = false;
};

class LUMO_API SceneGraph {
public:
    SceneGraph();
    virtual ~SceneGraph();
    SceneGraph(const SceneGraph&) = delete;
    SceneGraph& operator=(const SceneGraph&) = delete;

    // Nodes that move (placed objects, effects); attaching twice keeps one
    // entry, detaching a node not attached does nothing.
    virtual void AttachDynamicNode(SceneNode* node) = 0;
    virtual void DetachDynamicNode(SceneNode* node) = 0;
    // The camera the scene is seen through (not owned; null unbinds).
    virtual void BindCamera(CameraBase* camera) = 0;
    virtual CameraBase* GetCamera() const = 0;

    void GetSceneFog(tagDistFog& fog) const { fog = m_fog; }
    void SetSceneFog(const tagDistFog& fog) { m_fog = fog; }
    void GetSunLight(tagLight& light) const { light = m_sunLight; }
    void SetSunLight(const tagLight& light) { m_sunLight = light; }

protected:
    tagDistFog m_fog;
    tagLight m_sunLight;
};

// A scene graph that keeps its nodes in a list and draws nothing: the
// editor's, and the one tools and tests use.
class LUMO_API NullSceneGraph : public SceneGraph {
public:
    NullSceneGraph();
    ~NullSceneGraph() override;

    void AttachDynamicNode(SceneNode* node) override;
    void DetachDynamicNode(SceneNode* node) override;
    void BindCamera(CameraBase* camera) override { m_camera = camera; }
    CameraBase* GetCamera() const override { return m_camera; }

    // The attached nodes, in the order they were attached.
    const std::vector<SceneNode*>& GetDynamicNodes() const { return m_nodes; }
    bool IsAttached(const SceneNode* node) const;

private:
    std::vector<SceneNode*> m_nodes;
    CameraBase* m_camera = nullptr;
};

}  // namespace Lumo
