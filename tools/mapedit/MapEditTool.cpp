#include "MapEditTool.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Picture.h"
#include "editor/GameMapEditor.h"
#include "lumo/DiskFS.h"
#include "lumo/DrawX.h"
#include "lumo/Exception.h"
#include "lumo/Kernel.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace mapedit {

namespace {

using namespace GFC;

// Colours of what the editor itself does not draw in a top view (RGB).
constexpr uint32_t kStaticColour = 0xD8D8D8;
constexpr uint32_t kNpcColour = 0x00D0FF;
constexpr uint32_t kWallColour = 0x9090FF;
constexpr uint32_t kChopColour = 0xC08040;
constexpr int kGroundQuadAlpha = 96;
// Flat ground drawn around the objects when no navigation map is given.
constexpr int kFlatMargin = 10;
constexpr int kFlatMinTiles = 64;

struct Failure {
    std::string message;
};

[[noreturn]] void Fail(const std::string& message) {
    throw Failure{message};
}

float Float(const std::string& s) {
    char* end = nullptr;
    errno = 0;
    const float v = std::strtof(s.c_str(), &end);
    if (s.empty() || *end != '\0' || errno != 0 || !std::isfinite(v)) {
        Fail("not a number: " + s);
    }
    return v;
}

int64_t Integer(const std::string& s, int64_t lo, int64_t hi) {
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(s.c_str(), &end, 10);
    if (s.empty() || *end != '\0' || errno != 0 || v < lo || v > hi) {
        Fail("not a whole number in " + std::to_string(lo) + ".." + std::to_string(hi) + ": " + s);
    }
    return v;
}

uint32_t Id(const std::string& s) {
    return static_cast<uint32_t>(Integer(s, 0, 0xFFFFFFFFll));
}

int32_t Tile(const std::string& s) {
    return static_cast<int32_t>(Integer(s, INT32_MIN, INT32_MAX));
}

// One more than the highest id in use, or the lowest free one when that
// would wrap.
uint32_t NextId(const std::vector<uint32_t>& used) {
    if (used.empty()) {
        return 0;
    }
    const uint32_t highest = *std::max_element(used.begin(), used.end());
    if (highest != 0xFFFFFFFFu) {
        return highest + 1;
    }
    const std::set<uint32_t> taken(used.begin(), used.end());
    uint32_t id = 0;
    while (taken.count(id)) {
        ++id;
    }
    return id;
}

std::string Text(const char* gbk, size_t size) {
    return platform::GbkToUtf8(std::string(gbk, strnlen(gbk, size)));
}

// Copies UTF-8 text into a fixed GBK field, refusing what does not fit.
template <size_t N>
void SetField(char (&field)[N], const std::string& utf8, const char* what) {
    const std::string gbk = platform::Utf8ToGbk(utf8);
    if (gbk.empty() || gbk.size() >= N) {
        Fail(std::string(what) + " must be 1 to " + std::to_string(N - 1) + " bytes: " + utf8);
    }
    std::memset(field, 0, N);
    std::memcpy(field, gbk.data(), gbk.size());
}

std::string LowerExtension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (char& c : ext) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return ext;
}

// Counts of the records a map file holds that the editor may not keep.
struct FileCounts {
    int32_t npcs = 0;
    int32_t dynamics = 0;
};

FileCounts CountsOf(const std::string& path) {
    FileCounts c;
    auto f = platform::File::Open(path, platform::Access::kRead, platform::kShareRead,
                                  platform::Disposition::kOpenExisting);
    uint8_t raw[sizeof(tagGameMapHeader)] = {};
    if (f) {
        (void)f->Read(raw, sizeof raw);
    }
    tagGameMapHeader h;
    std::memcpy(&h, raw, sizeof h);
    c.npcs = std::max(0, h.npcs.count);
    c.dynamics = std::max(0, h.dynamics.count);
    return c;
}

// The engine's default file system for the run, put back afterwards.
class DefaultFSGuard {
public:
    explicit DefaultFSGuard(Lumo::IFS* fs) { Lumo::Kernel::Inst()->SetDefaultFS(fs); }
    ~DefaultFSGuard() { Lumo::Kernel::Inst()->SetDefaultFS(nullptr); }
    DefaultFSGuard(const DefaultFSGuard&) = delete;
    DefaultFSGuard& operator=(const DefaultFSGuard&) = delete;
};

class Session {
public:
    Session(std::ostream& out) : m_out(out) { m_editor.Create(&m_terrain, &m_camera); }

    GameMapEditor& Editor() { return m_editor; }
    Lumo::TerrainEditor& Terrain() { return m_terrain; }

    void Run(const std::vector<std::string>& words);

    std::string mapPath;   // system path
    std::string mazePath;  // system path, "" without --maze
    bool force = false;
    // What loading the map left out: NPCs without an attribute record and
    // dynamic objects.
    int droppedNpcs = 0;
    int droppedDynamics = 0;
    const GNavMap* nav = nullptr;

    void Render(const std::string& out, int size);

private:
    const std::string& Word(size_t i) {
        if (i >= m_words->size()) {
            Fail(m_command + ": too few arguments");
        }
        return (*m_words)[i];
    }
    void List();
    void Save(const std::string& path);
    std::vector<uint32_t> EditIds(GMapObjEdit::EType type) const;
    GMapObjEdit* NeedObject(GMapObjEdit::EType type, uint32_t id);

    std::ostream& m_out;
    Lumo::TerrainEditor m_terrain;
    Lumo::CameraBase m_camera;
    GameMapEditor m_editor;
    const std::vector<std::string>* m_words = nullptr;
    std::string m_command;
};

std::vector<uint32_t> Session::EditIds(GMapObjEdit::EType type) const {
    std::vector<uint32_t> ids;
    for (const GMapObjEdit* o : m_editor.GetMapObjEditList()) {
        if (o->GetType() == type) {
            ids.push_back(static_cast<uint32_t>(o->GetMapID()));
        }
    }
    return ids;
}

GMapObjEdit* Session::NeedObject(GMapObjEdit::EType type, uint32_t id) {
    GMapObjEdit* o = m_editor.FindMapObjEdit(type, id);
    if (!o) {
        Fail(m_command + ": no " + (type == GMapObjEdit::ET_NPC ? "npc " : "static ") +
             std::to_string(id));
    }
    return o;
}

void Session::List() {
    for (const GMapObjEdit* o : m_editor.GetMapObjEditList()) {
        const D3DXVECTOR3 p = o->GetWorldPos();
        if (o->GetType() == GMapObjEdit::ET_STATIC) {
            const tagStaticMapObj* r = o->GetStaticMapObj();
            m_out << "static " << r->id << ' ' << p.x << ' ' << p.y << ' ' << p.z << ' '
                  << Text(r->modelPath, sizeof r->modelPath) << '\n';
        } else if (o->GetType() == GMapObjEdit::ET_NPC) {
            const tagMapNPC* r = o->GetMapNPC();
            const std::string path = Text(r->wayPointName, sizeof r->wayPointName);
            m_out << "npc " << r->id << ' ' << r->npcAttId << ' ' << p.x << ' ' << p.y << ' ' << p.z
                  << ' ' << r->yaw << ' ' << (path.empty() ? "-" : path) << '\n';
        }
    }
    GameMapEditor::WayPointList wps;
    m_editor.GetWayPointList(wps);
    for (const tagMapWayPoint* w : wps) {
        m_out << "waypoint " << Text(w->name, sizeof w->name) << ' ' << int(w->seq) << ' '
              << w->tileX0 << ' ' << w->tileZ0 << ' ' << w->tileX1 << ' ' << w->tileZ1 << '\n';
    }
    GameMapEditor::TriggerList triggers;
    m_editor.GetTriggerList(triggers);
    for (const tagMapTrigger* t : triggers) {
        m_out << "trigger " << t->id << ' ' << t->tileX0 << ' ' << t->tileZ0 << ' ' << t->tileX1
              << ' ' << t->tileZ1 << '\n';
    }
    GameMapEditor::SoundList sounds;
    m_editor.GetSoundList(sounds);
    for (const tagMapSound* s : sounds) {
        m_out << "sound " << s->id << ' ' << s->pos.x << ' ' << s->pos.y << ' ' << s->pos.z << '\n';
    }
    GameMapEditor::GatherList gathers;
    m_editor.GetGatherList(gathers);
    for (const tagGatherObj* g : gathers) {
        m_out << "gather " << g->id << ' ' << g->tileX << ' ' << g->tileZ << '\n';
    }
    GameMapEditor::ChopFieldList chops;
    m_editor.GetChopFieldList(chops);
    for (const GMapChopFieldObjEdit* c : chops) {
        m_out << "chopfield " << c->GetMapID() << ' ' << c->GetChopFieldType() << ' '
              << c->GetWorldPos().x << ' ' << c->GetWorldPos().y << '\n';
    }
    GameMapEditor::EditList walls;
    m_editor.GetMazeWallList(walls);
    for (const GMapObjEdit* w : walls) {
        const tagMazeWallObj* r = w->GetMazeWallObj();
        m_out << "wall " << r->id << ' ' << r->pos.x << ' ' << r->pos.y << ' ' << r->pos.z << ' '
              << r->yaw << '\n';
    }
}

void Session::Save(const std::string& path) {
    if (!force && (droppedNpcs > 0 || droppedDynamics > 0)) {
        Fail(m_command + ": the map was loaded without " + std::to_string(droppedNpcs) +
             " NPCs (no attribute record) and " + std::to_string(droppedDynamics) +
             " dynamic objects; saving would drop them (use --force)");
    }
    if (!m_editor.WriteEditFile(path.c_str())) {
        Fail(m_command + ": cannot write " + platform::GbkToUtf8(path));
    }
    if (!mazePath.empty() && !m_editor.WriteMazeObjFile(mazePath.c_str())) {
        Fail(m_command + ": cannot write " + platform::GbkToUtf8(mazePath));
    }
}

void Session::Run(const std::vector<std::string>& words) {
    m_words = &words;
    for (size_t i = 0; i < words.size();) {
        m_command = words[i];
        const std::string& c = m_command;
        size_t used = 1;
        if (c == "list") {
            List();
        } else if (c == "add-static") {
            tagStaticMapObj r{};
            r.id = NextId(EditIds(GMapObjEdit::ET_STATIC));
            SetField(r.modelPath, Word(i + 1), "a model path");
            r.pos = D3DXVECTOR3(Float(Word(i + 2)), Float(Word(i + 3)), Float(Word(i + 4)));
            r.scale = D3DXVECTOR3(1, 1, 1);
            auto* o = new GMapObjEdit;
            o->Create(r, &m_editor);
            o->SetWorldPos(r.pos);
            m_out << "static " << r.id << '\n';
            used = 5;
        } else if (c == "add-npc") {
            tagMapNPC r{};
            r.id = NextId(EditIds(GMapObjEdit::ET_NPC));
            r.npcAttId = Id(Word(i + 1));
            r.pos = D3DXVECTOR3(Float(Word(i + 2)), Float(Word(i + 3)), Float(Word(i + 4)));
            const float yaw = Float(Word(i + 5));
            auto o = std::make_unique<GMapObjEdit>();
            if (!o->Create(r, &m_editor)) {
                Fail(c + ": no NPC attribute record " + Word(i + 1) + " in the data folder");
            }
            GMapObjEdit* placed = o.release();
            placed->SetWorldPos(r.pos);
            placed->SetYawForNPC(yaw);
            m_out << "npc " << r.id << '\n';
            used = 6;
        } else if (c == "add-waypoint") {
            auto wp = std::make_unique<tagMapWayPoint>();
            *wp = tagMapWayPoint{};
            SetField(wp->name, Word(i + 1), "a way-point path name");
            wp->tileX0 = wp->tileX1 = Id(Word(i + 2));
            wp->tileZ0 = wp->tileZ1 = Id(Word(i + 3));
            const std::string name = Word(i + 1);
            int seq = -1;
            m_editor.AddWayPoint(wp.release(), seq);
            if (seq < 0) {
                Fail(c + ": path " + name + " has 256 points already");
            }
            m_out << "waypoint " << name << ' ' << seq << '\n';
            used = 4;
        } else if (c == "add-trigger") {
            GameMapEditor::TriggerList list;
            m_editor.GetTriggerList(list);
            std::vector<uint32_t> ids;
            for (const tagMapTrigger* t : list) {
                ids.push_back(t->id);
            }
            tagMapTrigger r{};
            r.id = NextId(ids);
            r.tileX0 = Tile(Word(i + 1));
            r.tileZ0 = Tile(Word(i + 2));
            r.tileX1 = Tile(Word(i + 3));
            r.tileZ1 = Tile(Word(i + 4));
            m_editor.AddTrigger(new tagMapTrigger(r));
            m_out << "trigger " << r.id << '\n';
            used = 5;
        } else if (c == "add-sound") {
            const D3DXVECTOR3 p(Float(Word(i + 1)), Float(Word(i + 2)), Float(Word(i + 3)));
            auto* s = new tagMapSound{};
            s->pos = p;
            int id = 0;
            m_editor.AddSound(s, id);
            m_out << "sound " << s->id << '\n';
            used = 4;
        } else if (c == "move" || c == "delete") {
            const bool move = c == "move";
            const std::string& kind = Word(i + 1);
            if (kind == "static" || kind == "npc") {
                const auto type = kind == "npc" ? GMapObjEdit::ET_NPC : GMapObjEdit::ET_STATIC;
                GMapObjEdit* o = NeedObject(type, Id(Word(i + 2)));
                if (move) {
                    o->SetWorldPos({Float(Word(i + 3)), Float(Word(i + 4)), Float(Word(i + 5))});
                    used = 6;
                } else {
                    m_editor.RemoveMapObjEdit(o);
                    delete o;
                    used = 3;
                }
            } else if (kind == "sound") {
                tagMapSound* s = m_editor.FindSound(Id(Word(i + 2)));
                if (!s) {
                    Fail(c + ": no sound " + Word(i + 2));
                }
                if (move) {
                    s->pos =
                        D3DXVECTOR3(Float(Word(i + 3)), Float(Word(i + 4)), Float(Word(i + 5)));
                    used = 6;
                } else {
                    m_editor.DeleteSound(s);
                    used = 3;
                }
            } else if (kind == "trigger") {
                tagMapTrigger* t = m_editor.GetTriggerData(Id(Word(i + 2)));
                if (!t) {
                    Fail(c + ": no trigger " + Word(i + 2));
                }
                if (move) {
                    tagMapTrigger changed = *t;
                    changed.tileX0 = Tile(Word(i + 3));
                    changed.tileZ0 = Tile(Word(i + 4));
                    changed.tileX1 = Tile(Word(i + 5));
                    changed.tileZ1 = Tile(Word(i + 6));
                    m_editor.ModifyTriggerProp(changed);
                    used = 7;
                } else {
                    m_editor.DeleteTrigger(static_cast<unsigned long>(t->id));
                    used = 3;
                }
            } else if (kind == "waypoint") {
                char name[kWayPointNameSize];
                SetField(name, Word(i + 2), "a way-point path name");
                const int seq = int(Integer(Word(i + 3), 0, 255));
                tagMapWayPoint* wp = m_editor.GetWayPointData(name, seq);
                if (!wp) {
                    Fail(c + ": no way point " + Word(i + 2) + " " + Word(i + 3));
                }
                if (move) {
                    tagMapWayPoint changed = *wp;
                    const uint32_t dx = Id(Word(i + 4)), dz = Id(Word(i + 5));
                    // The area keeps its size around the point.
                    changed.tileX1 = dx + (wp->tileX1 - wp->tileX0);
                    changed.tileZ1 = dz + (wp->tileZ1 - wp->tileZ0);
                    changed.tileX0 = dx;
                    changed.tileZ0 = dz;
                    m_editor.ModifyWayPointProp(changed);
                    used = 6;
                } else {
                    m_editor.DeleteWayPoint(name, seq);
                    used = 4;
                }
            } else {
                Fail(c + ": unknown kind " + kind + " (static, npc, waypoint, trigger or sound)");
            }
        } else if (c == "save") {
            Save(mapPath);
        } else if (c == "save-as") {
            Save(platform::SystemPathFromNative(Word(i + 1)));
            used = 2;
        } else {
            Fail("unknown command " + c);
        }
        i += used;
    }
}

// ------------------------------------------------------------- rendering

// Draws what DrawX recorded since the last call into the picture, through
// the camera, and forgets it.
void Rasterize(Picture& pic, const Lumo::CameraBase& cam, size_t& lost) {
    const std::vector<Lumo::DrawCall> calls = Lumo::DrawX::GetRecorded();
    Lumo::DrawX::ClearRecorded();
    if (calls.size() >= Lumo::kDrawCallsKept / 2) {
        ++lost;  // the recorder may have dropped the oldest calls
    }
    auto at = [&](const D3DXVECTOR3& p, float& x, float& y) { cam.WorldToScreen(p, x, y); };
    for (const Lumo::DrawCall& c : calls) {
        const uint32_t rgb = c.colour & 0xFFFFFF;
        float x0, y0, x1, y1;
        at(c.from, x0, y0);
        at(c.to, x1, y1);
        switch (c.kind) {
            case Lumo::DrawCall::AABBOX:
                pic.Frame(x0, y0, x1, y1, rgb);
                break;
            case Lumo::DrawCall::LINE_3D:
                pic.Line(x0, y0, x1, y1, rgb);
                break;
            case Lumo::DrawCall::GROUND_QUAD:
                pic.Fill(x0, y0, x1, y1, rgb, kGroundQuadAlpha);
                break;
            default:
                break;  // screen-space calls have no place in a top view
        }
    }
}

void Session::Render(const std::string& outPath, int size) {
    const std::string ext = LowerExtension(outPath);
    if (ext != "png" && ext != "bmp") {
        Fail("--render: the picture must end in .png or .bmp: " + outPath);
    }
    // The ground: the navigation map's, or a flat one around everything.
    if (!m_terrain.GetHeightmap()) {
        int maxX = kFlatMinTiles, maxZ = kFlatMinTiles;
        auto grow = [&](float wx, float wz) {
            maxX = std::max(maxX, int(std::min(wx / kDefaultTileSize, 1e6f)) + kFlatMargin);
            maxZ = std::max(maxZ, int(std::min(wz / kDefaultTileSize, 1e6f)) + kFlatMargin);
        };
        for (const GMapObjEdit* o : m_editor.GetMapObjEditList()) {
            grow(o->GetWorldPos().x, o->GetWorldPos().z);
        }
        GameMapEditor::WayPointList wps;
        m_editor.GetWayPointList(wps);
        for (const tagMapWayPoint* w : wps) {
            grow(std::max(w->tileX0, w->tileX1) * kDefaultTileSize,
                 std::max(w->tileZ0, w->tileZ1) * kDefaultTileSize);
        }
        GameMapEditor::TriggerList triggers;
        m_editor.GetTriggerList(triggers);
        for (const tagMapTrigger* t : triggers) {
            grow(std::max(t->tileX0, t->tileX1) * kDefaultTileSize,
                 std::max(t->tileZ0, t->tileZ1) * kDefaultTileSize);
        }
        GameMapEditor::SoundList sounds;
        m_editor.GetSoundList(sounds);
        for (const tagMapSound* s : sounds) {
            grow(s->pos.x, s->pos.z);
        }
        Lumo::Heightmap flat;
        flat.Create(0, unsigned(std::min<int>(maxX, int(Lumo::kMaxHeightmapSide))),
                    unsigned(std::min<int>(maxZ, int(Lumo::kMaxHeightmapSide))), kDefaultTileSize,
                    kDefaultTileSize, 1, 0);
        m_terrain.SetHeightmap(flat);
    }
    const Lumo::Heightmap& hm = *m_terrain.GetHeightmap();
    const float extentX = hm.GetXScale() * float(std::max(1u, hm.Width() - 1));
    const float extentZ = hm.GetYScale() * float(std::max(1u, hm.Height() - 1));
    const int w = size, h = std::max(1, int(std::lround(size * extentZ / extentX)));
    Picture pic(w, h, 0x202020);

    const D3DXVECTOR3 centre(extentX / 2, 0, extentZ / 2);
    m_camera.SetViewport(pic.Width(), pic.Height());
    m_camera.SetOrtho(extentX, 1, 1e7f);
    m_camera.SetLookAt(centre + D3DXVECTOR3(0, 100000, 0), centre, {0, 0, 1});

    // Ground shading: brighter is higher; tiles nobody can walk on are
    // tinted red when a navigation map says so.
    int lo = 0, hi = 1;
    for (unsigned z = 0; z < hm.Height(); ++z) {
        for (unsigned x = 0; x < hm.Width(); ++x) {
            const int v = hm.GetValue(int(x), int(z));
            lo = (x | z) ? std::min(lo, v) : v;
            hi = std::max(hi, v);
        }
    }
    for (int py = 0; py < pic.Height(); ++py) {
        for (int px = 0; px < pic.Width(); ++px) {
            Lumo::Ray ray;
            m_camera.GetMouseRay(px, py, ray);
            const tagPOINT t = hm.World2Tile(ray.origin);
            const int v = hm.GetValue(t.x, t.y);
            const int shade = 60 + (hi > lo ? (v - lo) * 120 / (hi - lo) : 0);
            uint32_t rgb = uint32_t(shade) << 16 | uint32_t(shade + 20) << 8 | uint32_t(shade);
            if (nav && !nav->IfCanGo(t.x, t.y)) {
                rgb = uint32_t(shade + 40) << 16 | uint32_t(shade / 2) << 8 | uint32_t(shade / 2);
            }
            pic.Set(px, py, rgb);
        }
    }

    size_t lost = 0;
    Lumo::DrawX::ClearRecorded();
    for (const GMapObjEdit* o : m_editor.GetMapObjEditList()) {
        const uint32_t colour = o->GetType() == GMapObjEdit::ET_NPC ? kNpcColour : kStaticColour;
        if (o->GetSGNode() && o->GetSGNode()->HasResource()) {
            Lumo::DrawX::DrawAABBox(o->GetSGNode()->GetAABBox(), colour);
        } else if (o->GetSGEffectNode() && o->GetSGEffectNode()->HasResource()) {
            Lumo::DrawX::DrawAABBox(o->GetSGEffectNode()->GetBox(), colour);
        } else {
            // A model the data folder lacks still shows where it stands.
            Lumo::AABBox box = Lumo::PlaceholderBox();
            box.min += o->GetWorldPos();
            box.max += o->GetWorldPos();
            Lumo::DrawX::DrawAABBox(box, colour);
        }
    }
    GameMapEditor::EditList walls;
    m_editor.GetMazeWallList(walls);
    for (const GMapObjEdit* wall : walls) {
        Lumo::DrawX::DrawAABBox(m_editor.MazeWallFootprint(*wall), kWallColour);
    }
    GameMapEditor::ChopFieldList chops;
    m_editor.GetChopFieldList(chops);
    for (const GMapChopFieldObjEdit* c : chops) {
        Lumo::DrawX::DrawAABBox(m_editor.ChopFieldBox(c->GetWorldPos(), c->GetChopFieldType(), 0),
                                kChopColour);
    }
    Rasterize(pic, m_camera, lost);

    // The editor's own drawing. Way points are drawn near the camera's
    // look-at only, so the editor's camera visits the whole map while the
    // picture keeps the view over all of it.
    const Lumo::CameraBase view = m_camera;
    m_editor.DrawTrigger();
    Rasterize(pic, view, lost);
    const float reach = float(kWayPointDrawTiles) * hm.GetXScale();
    for (float z = 0; z <= extentZ + reach; z += reach) {
        for (float x = 0; x <= extentX + reach; x += reach) {
            m_camera.SetLookAt({x, 100000, z}, {x, 0, z}, {0, 0, 1});
            m_editor.DrawWayPoint();
            Rasterize(pic, view, lost);
        }
    }
    m_camera = view;
    m_editor.DrawSound();
    m_editor.DrawMazeWallZone();
    m_editor.DrawChopField();
    m_editor.DrawGather();
    Rasterize(pic, view, lost);
    if (lost) {
        m_out << "some shapes may be missing from the picture (too many to record at once)\n";
    }

    const std::string bytes = ext == "png" ? pic.Png() : pic.Bmp();
    const std::string path = platform::SystemPathFromNative(outPath);
    auto f = platform::File::Open(path, platform::Access::kWrite, platform::kShareNone,
                                  platform::Disposition::kCreateAlways);
    if (!f || !f->Write(bytes.data(), bytes.size())) {
        Fail("--render: cannot write " + outPath);
    }
}

}  // namespace

int Run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{"Edits a map file (GMB) and draws a top view of it."};
    std::string map, navFile, mazeFile, dataDir, render;
    int size = 1024;
    bool force = false;
    std::vector<std::string> words;
    app.add_option("MAP", map, "the map file (created by save when missing)")->required();
    app.add_option("COMMAND", words,
                   "commands: list, add-static, add-npc, add-waypoint, "
                   "add-trigger, add-sound, move, delete, save, save-as");
    app.add_option("--nav", navFile, "navigation file: the terrain for tiles and the picture");
    app.add_option("--maze", mazeFile, "maze-wall file, loaded and saved with the map");
    app.add_option("--data", dataDir, "the game's data folder (models, System\\tag*.lst)");
    app.add_option("--render", render, "draw a top view into OUT.png or OUT.bmp");
    app.add_option("--size", size, "width of the picture in pixels (default 1024)")
        ->check(CLI::Range(16, kMaxPictureSide));
    app.add_flag("--force", force, "save even when loading dropped NPCs or dynamic objects");
    app.positionals_at_end(false);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e, out, err);
    }

    try {
        std::unique_ptr<Lumo::DiskFS> data;
        if (!dataDir.empty()) {
            const std::string root = platform::SystemPathFromNative(dataDir);
            if (!platform::IsDirectory(root)) {
                Fail(dataDir + " is not a folder");
            }
            data = std::make_unique<Lumo::DiskFS>(root);
        }
        DefaultFSGuard guard(data.get());

        Session s(out);
        s.force = force;
        s.mapPath = platform::SystemPathFromNative(map);
        s.Editor().LoadAttDataBase("");
        GNavMap nav;
        if (!navFile.empty()) {
            Lumo::DiskFS disk;
            try {
                nav.LoadFromFile(&disk, platform::SystemPathFromNative(navFile).c_str());
            } catch (const Lumo::Exception& e) {
                Fail(navFile + ": " + e.GetMsg());
            }
            s.Terrain().SetHeightmap(*nav.GetHeightMap());
            s.nav = &nav;
        }
        if (platform::Exists(s.mapPath)) {
            if (!s.Editor().LoadFromEditFile(s.mapPath.c_str())) {
                Fail(map + " is not a map file, or it is damaged (see mapinfo --check)");
            }
            const FileCounts counts = CountsOf(s.mapPath);
            int npcs = 0;
            for (const GMapObjEdit* o : s.Editor().GetMapObjEditList()) {
                npcs += o->GetType() == GMapObjEdit::ET_NPC;
            }
            s.droppedNpcs = std::max(0, counts.npcs - npcs);
            s.droppedDynamics = counts.dynamics;
            if (s.droppedNpcs || s.droppedDynamics) {
                err << "mapedit: " << map << ": loaded without " << s.droppedNpcs
                    << " NPCs (no attribute record) and " << s.droppedDynamics
                    << " dynamic objects\n";
            }
        }
        if (!mazeFile.empty()) {
            s.mazePath = platform::SystemPathFromNative(mazeFile);
            if (platform::Exists(s.mazePath) && !s.Editor().LoadMazeObjFile(s.mazePath.c_str())) {
                Fail(mazeFile + " is not a maze-wall file, or it is damaged");
            }
        }
        s.Run(words);
        if (!render.empty()) {
            s.Render(render, size);
        }
    } catch (const Failure& f) {
        err << "mapedit: " << f.message << '\n';
        return 1;
    }
    return 0;
}

}  // namespace mapedit
