#include "lumo/SceneGraph.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "lumo/Kernel.h"
#include "lumo/Log.h"

namespace Lumo {

namespace {

constexpr char kModelMagic[4] = {'L', 'M', 'D', 'L'};
constexpr char kEffectMagic[4] = {'L', 'S', 'F', 'X'};
constexpr uint32_t kResourceHeaderSize = 28;  // magic and two corners

RTTIObj* NewEntityNode() {
    return new EntityNode;
}
RTTIObj* NewEffectNode() {
    return new SGEffectNode;
}

float FloatAt(const uint8_t* p) {
    const uint32_t v =
        uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

}  // namespace

AABBox PlaceholderBox() {
    return AABBox({-50.0f, 0.0f, -50.0f}, {50.0f, 100.0f, 50.0f});
}

// ------------------------------------------------------------------ nodes

RTTInfo SceneNode::m_classSceneNode("SceneNode", &RTTIObj::m_classRTTIObj, nullptr);
RTTInfo EntityNode::m_classEntityNode("EntityNode", &SceneNode::m_classSceneNode, NewEntityNode);
RTTInfo SGEffectNode::m_classSGEffectNode("SGEffectNode", &SceneNode::m_classSceneNode,
                                          NewEffectNode);

SceneNode::SceneNode() {
    m_localBox.min = {1, 1, 1};
    m_localBox.max = {0, 0, 0};  // empty until a resource is loaded
}
SceneNode::~SceneNode() = default;

const RTTInfo* SceneNode::GetRTTInfo() const {
    return &m_classSceneNode;
}

void SceneNode::TakeResource(const char* path, const char magic[4], const void* bytes,
                             uint32_t size) {
    m_resPath = path ? path : "";
    m_hasResource = true;
    const auto* p = static_cast<const uint8_t*>(bytes);
    if (size < kResourceHeaderSize || std::memcmp(p, magic, 4) != 0) {
        m_localBox = PlaceholderBox();
        return;
    }
    m_localBox.min = {FloatAt(p + 4), FloatAt(p + 8), FloatAt(p + 12)};
    m_localBox.max = {FloatAt(p + 16), FloatAt(p + 20), FloatAt(p + 24)};
}

EntityNode::EntityNode() = default;
EntityNode::~EntityNode() = default;

const RTTInfo* EntityNode::GetRTTInfo() const {
    return &m_classEntityNode;
}

bool EntityNode::LoadRes(const char* path) {
    IFS* fs = Kernel::Inst()->DefaultFS();
    const FHandle h = path ? fs->Open(path) : kNoFile;
    if (h == kNoFile) {
        _WriteLogString("EntityNode load failed,%s\r\n", path ? path : "(null)");
        return false;
    }
    uint8_t header[kResourceHeaderSize] = {};
    const uint32_t got = fs->Read(header, sizeof header, h);
    fs->Close(h);
    TakeResource(path, kModelMagic, header, got);
    return true;
}

SGEffectNode::SGEffectNode() = default;
SGEffectNode::~SGEffectNode() = default;

const RTTInfo* SGEffectNode::GetRTTInfo() const {
    return &m_classSGEffectNode;
}

bool SGEffectNode::Deserialize(FArchive& ar) {
    if (!ar.IsOpen()) {
        _WriteLogString("SGEffectNode load failed\r\n");
        return false;
    }
    uint8_t header[kResourceHeaderSize] = {};
    const uint32_t size = std::min(ar.Remaining(), kResourceHeaderSize);
    if (!ar.Read(header, size)) {
        return false;
    }
    TakeResource(nullptr, kEffectMagic, header, size);
    return true;
}

// ------------------------------------------------------------------ graphs

SceneGraph::SceneGraph() = default;
SceneGraph::~SceneGraph() = default;

NullSceneGraph::NullSceneGraph() = default;
NullSceneGraph::~NullSceneGraph() = default;

void NullSceneGraph::AttachDynamicNode(SceneNode* node) {
    if (node && !IsAttached(node)) {
        m_nodes.push_back(node);
    }
}

void NullSceneGraph::DetachDynamicNode(SceneNode* node) {
    auto it = std::find(m_nodes.begin(), m_nodes.end(), node);
    if (it != m_nodes.end()) {
        m_nodes.erase(it);
    }
}

bool NullSceneGraph::IsAttached(const SceneNode* node) const {
    return std::find(m_nodes.begin(), m_nodes.end(), node) != m_nodes.end();
}

}  // namespace Lumo
