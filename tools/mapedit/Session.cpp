#include "Session.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>

#include "lumo/SceneGraph.h"
#include "platform/fs.h"

namespace mapedit {

using namespace GFC;

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

std::string LowerExtension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (char& c : ext) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return ext;
}

// The ids in use in a list of records or objects.
template <typename List, typename IdOf>
std::vector<uint32_t> IdsOf(const List& list, IdOf idOf) {
    std::vector<uint32_t> ids;
    for (const auto* item : list) {
        ids.push_back(static_cast<uint32_t>(idOf(*item)));
    }
    return ids;
}

// ------------------------------------------------------------- commands

void Session::SetCorners(tagMapTrigger& t, size_t at) {
    // Two opposite corners in any order: the game takes the area from the
    // lower to the higher tile, so they are stored that way.
    const int32_t x0 = Tile(Word(at)), z0 = Tile(Word(at + 1));
    const int32_t x1 = Tile(Word(at + 2)), z1 = Tile(Word(at + 3));
    t.tileX0 = std::min(x0, x1);
    t.tileX1 = std::max(x0, x1);
    t.tileZ0 = std::min(z0, z1);
    t.tileZ1 = std::max(z0, z1);
}

const Session::Entry Session::kCommands[] = {
    {"list", &Session::List},
    {"add-static", &Session::AddStatic},
    {"add-npc", &Session::AddNpc},
    {"add-waypoint", &Session::AddWayPoint},
    {"add-trigger", &Session::AddTrigger},
    {"add-sound", &Session::AddSound},
    {"move", &Session::MoveOrDelete},
    {"delete", &Session::MoveOrDelete},
    {"save", &Session::SaveMap},
    {"save-as", &Session::SaveAs},
    {"set", &Session::Set},
    {"add-gather", &Session::AddGather},
    {"add-chopfield", &Session::AddChopField},
    {"add-wall", &Session::AddWall},
    {"turn", &Session::Turn},
    {"scale", &Session::Scale},
    {"path", &Session::Path},
};

void Session::Run(const std::vector<std::string>& words) {
    m_words = &words;
    for (size_t i = 0; i < words.size();) {
        m_command = words[i];
        const auto* entry = std::find_if(std::begin(kCommands), std::end(kCommands),
                                         [&](const Entry& e) { return m_command == e.name; });
        if (entry == std::end(kCommands)) {
            Fail("unknown command " + m_command);
        }
        i += (this->*entry->run)(i);
    }
}

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

size_t Session::List(size_t /*i*/) {
    ListSettings();
    for (const GMapObjEdit* o : m_editor.GetMapObjEditList()) {
        const D3DXVECTOR3 p = o->GetWorldPos();
        if (o->GetType() == GMapObjEdit::ET_STATIC) {
            const tagStaticMapObj* r = o->GetStaticMapObj();
            m_out << "static " << r->id << ' ' << p.x << ' ' << p.y << ' ' << p.z << ' '
                  << Text(r->modelPath, sizeof r->modelPath);
            if (r->rot.x != 0 || r->scale != D3DXVECTOR3(1, 1, 1)) {
                m_out << " yaw " << Degrees(r->rot.x) << " scale " << r->scale.x;
            }
            m_out << '\n';
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
              << Degrees(r->yaw) << '\n';
    }
    return 1;
}

void Session::Save(const std::string& path) {
    if (!force && (droppedNpcs > 0 || droppedDynamics > 0)) {
        Fail(m_command + ": the map was loaded without " + std::to_string(droppedNpcs) +
             " NPCs (no attribute record) and " + std::to_string(droppedDynamics) +
             " dynamic objects; saving would drop them (use --force)");
    }
    if (!m_editor.WriteEditFile(path.c_str())) {
        Fail(m_command + ": cannot write " + platform::NativePath(path));
    }
    if (!mazePath.empty() && !m_editor.WriteMazeObjFile(mazePath.c_str())) {
        Fail(m_command + ": cannot write " + platform::NativePath(mazePath));
    }
}

size_t Session::AddStatic(size_t i) {
    tagStaticMapObj r{};
    r.id = NextId(EditIds(GMapObjEdit::ET_STATIC));
    SetField(r.modelPath, Word(i + 1), "a model path");
    r.pos = D3DXVECTOR3(Float(Word(i + 2)), Float(Word(i + 3)), Float(Word(i + 4)));
    r.scale = D3DXVECTOR3(1, 1, 1);
    auto* o = new GMapObjEdit;
    o->Create(r, &m_editor);
    o->SetWorldPos(r.pos);
    m_out << "static " << r.id << '\n';
    return 5;
}

size_t Session::AddNpc(size_t i) {
    tagMapNPC r{};
    r.id = NextId(EditIds(GMapObjEdit::ET_NPC));
    r.npcAttId = Id(Word(i + 1));
    r.pos = D3DXVECTOR3(Float(Word(i + 2)), Float(Word(i + 3)), Float(Word(i + 4)));
    const float yaw = Float(Word(i + 5));
    auto o = std::make_unique<GMapObjEdit>();
    if (!o->Create(r, &m_editor)) {
        Fail(m_command + ": no NPC attribute record " + Word(i + 1) + " in the data folder");
    }
    GMapObjEdit* placed = o.release();
    placed->SetWorldPos(r.pos);
    placed->SetYawForNPC(yaw);
    m_out << "npc " << r.id << '\n';
    return 6;
}

size_t Session::AddWayPoint(size_t i) {
    auto wp = std::make_unique<tagMapWayPoint>();
    *wp = tagMapWayPoint{};
    SetField(wp->name, Word(i + 1), "a way-point path name");
    wp->tileX0 = wp->tileX1 = Id(Word(i + 2));
    wp->tileZ0 = wp->tileZ1 = Id(Word(i + 3));
    const std::string name = Word(i + 1);
    int seq = -1;
    m_editor.AddWayPoint(wp.release(), seq);
    if (seq < 0) {
        Fail(m_command + ": path " + name + " has 256 points already");
    }
    m_out << "waypoint " << name << ' ' << seq << '\n';
    return 4;
}

size_t Session::AddTrigger(size_t i) {
    GameMapEditor::TriggerList list;
    m_editor.GetTriggerList(list);
    const auto ids = IdsOf(list, [](const tagMapTrigger& t) { return t.id; });
    tagMapTrigger r{};
    r.id = NextId(ids);
    SetCorners(r, i + 1);
    m_editor.AddTrigger(new tagMapTrigger(r));
    m_out << "trigger " << r.id << '\n';
    return 5;
}

size_t Session::AddSound(size_t i) {
    const D3DXVECTOR3 p(Float(Word(i + 1)), Float(Word(i + 2)), Float(Word(i + 3)));
    auto* s = new tagMapSound{};
    s->pos = p;
    int id = 0;
    m_editor.AddSound(s, id);
    m_out << "sound " << s->id << '\n';
    return 4;
}

size_t Session::MoveOrDelete(size_t i) {
    const bool move = m_command == "move";
    const std::string& kind = Word(i + 1);
    if (kind == "static" || kind == "npc") {
        const auto type = kind == "npc" ? GMapObjEdit::ET_NPC : GMapObjEdit::ET_STATIC;
        GMapObjEdit* o = NeedObject(type, Id(Word(i + 2)));
        if (move) {
            o->SetWorldPos({Float(Word(i + 3)), Float(Word(i + 4)), Float(Word(i + 5))});
            return 6;
        } else {
            m_editor.RemoveMapObjEdit(o);
            delete o;
            return 3;
        }
    } else if (kind == "sound") {
        tagMapSound* s = m_editor.FindSound(Id(Word(i + 2)));
        if (!s) {
            Fail(m_command + ": no sound " + Word(i + 2));
        }
        if (move) {
            s->pos = D3DXVECTOR3(Float(Word(i + 3)), Float(Word(i + 4)), Float(Word(i + 5)));
            return 6;
        } else {
            m_editor.DeleteSound(s);
            return 3;
        }
    } else if (kind == "trigger") {
        tagMapTrigger* t = m_editor.GetTriggerData(Id(Word(i + 2)));
        if (!t) {
            Fail(m_command + ": no trigger " + Word(i + 2));
        }
        if (move) {
            tagMapTrigger changed = *t;
            SetCorners(changed, i + 3);
            m_editor.ModifyTriggerProp(changed);
            return 7;
        } else {
            m_editor.DeleteTrigger(static_cast<unsigned long>(t->id));
            return 3;
        }
    } else if (kind == "waypoint") {
        char name[kWayPointNameSize];
        SetField(name, Word(i + 2), "a way-point path name");
        const int seq = int(Integer(Word(i + 3), 0, 255));
        tagMapWayPoint* wp = m_editor.GetWayPointData(name, seq);
        if (!wp) {
            Fail(m_command + ": no way point " + Word(i + 2) + " " + Word(i + 3));
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
            return 6;
        } else {
            m_editor.DeleteWayPoint(name, seq);
            return 4;
        }
    } else {
        if (const size_t used = MoveOrDeleteField(i, move)) {
            return used;
        }
        Fail(m_command + ": unknown kind " + kind +
             " (static, npc, waypoint, trigger, sound, gather, chopfield or wall)");
    }
}

size_t Session::SaveMap(size_t /*i*/) {
    Save(mapPath);
    return 1;
}

size_t Session::SaveAs(size_t i) {
    Save(platform::SystemPathFromNative(Word(i + 1)));
    return 2;
}

// ------------------------------------------------------------- settings

namespace {

constexpr float kPi = 3.14159265358979f;

bool Flag(const std::string& s) {
    return Integer(s, 0, 1) != 0;
}

uint32_t Colour(const std::string& s) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(s.c_str(), &end, 0);
    if (s.empty() || s[0] == '-' || *end != '\0' || errno != 0 || v > 0xFFFFFFFFull) {
        Fail("not a colour (0xAARRGGBB): " + s);
    }
    return static_cast<uint32_t>(v);
}

float Unit(const std::string& s) {
    const float v = Float(s);
    if (v < 0 || v > 1) {
        Fail("not a number in 0..1: " + s);
    }
    return v;
}

}  // namespace

float Degrees(float radians) {
    return radians * 180.0f / kPi;
}

float Radians(float degrees) {
    return degrees * kPi / 180.0f;
}

void Session::ListSettings() {
    int w[4];
    m_editor.GetWeatherType(w[0], w[1], w[2], w[3]);
    const std::string city = Text(m_editor.GetCityName(), kCityNameFieldSize);
    m_out << "set map-index " << m_editor.GetMapIndex() << '\n'
          << "set city " << (city.empty() ? "-" : city) << '\n'
          << "set time-zone " << m_editor.GetTimeZone() << '\n';
    for (int n = 0; n < 4; ++n) {
        m_out << "set weather " << n << ' ' << w[n] << '\n';
    }
    m_out << "set dungeon " << int(m_editor.GetDungeon()) << '\n'
          << "set instance " << int(m_editor.IsInstance()) << '\n'
          << "set instance-time " << m_editor.GetInstanceTime() << '\n'
          << "set reputation " << int(m_editor.GetReputation()) << '\n'
          << "set no-mount " << int(m_editor.CannotMount()) << '\n'
          << "set no-transmit " << int(m_editor.CannotTransmit()) << '\n';
    if (const Lumo::SceneGraph* sg = m_editor.GetSceneGraph()) {
        Lumo::tagDistFog fog;
        Lumo::tagLight sun;
        sg->GetSceneFog(fog);
        sg->GetSunLight(sun);
        char colour[16];
        std::snprintf(colour, sizeof colour, "0x%08X", fog.colour);
        m_out << "set fog " << colour << ' ' << fog.start << ' ' << fog.end << ' ' << fog.density
              << '\n'
              << "set sun-colour " << sun.diffuse.r << ' ' << sun.diffuse.g << ' ' << sun.diffuse.b
              << '\n'
              << "set sun-ambient " << sun.ambient.r << ' ' << sun.ambient.g << ' ' << sun.ambient.b
              << '\n'
              << "set sun-direction " << sun.direction.x << ' ' << sun.direction.y << ' '
              << sun.direction.z << '\n';
    }
}

size_t Session::Set(size_t i) {
    const std::string& field = Word(i + 1);
    if (field == "map-index") {
        m_editor.SetMapIndex(Id(Word(i + 2)));
    } else if (field == "city") {
        // "-" clears the name, as list shows an empty one.
        char name[kCityNameFieldSize] = {};
        if (Word(i + 2) != "-") {
            SetField(name, Word(i + 2), "a city name");
        }
        m_editor.SetCityName(name);
    } else if (field == "time-zone") {
        m_editor.SetTimeZone(Tile(Word(i + 2)));
    } else if (field == "weather") {
        int w[4];
        m_editor.GetWeatherType(w[0], w[1], w[2], w[3]);
        w[Integer(Word(i + 2), 0, 3)] =
            static_cast<int>(Integer(Word(i + 3), 0, kWeatherKinds - 1));
        m_editor.SetWeatherType(w[0], w[1], w[2], w[3]);
        return 4;
    } else if (field == "dungeon") {
        m_editor.SetDungeon(Flag(Word(i + 2)));
    } else if (field == "instance") {
        m_editor.SetInstance(Flag(Word(i + 2)));
    } else if (field == "instance-time") {
        m_editor.SetInstanceTime(Id(Word(i + 2)));
    } else if (field == "reputation") {
        m_editor.SetReputation(static_cast<EReputation>(Tile(Word(i + 2))));
    } else if (field == "no-mount") {
        m_editor.SetCannotMount(Flag(Word(i + 2)));
    } else if (field == "no-transmit") {
        m_editor.SetCannotTransmit(Flag(Word(i + 2)));
    } else if (field == "fog") {
        Lumo::tagDistFog fog;
        fog.colour = Colour(Word(i + 2));
        fog.start = Float(Word(i + 3));
        fog.end = Float(Word(i + 4));
        fog.density = Unit(Word(i + 5));
        m_editor.GetSceneGraph()->SetSceneFog(fog);
        return 6;
    } else if (field == "sun-colour" || field == "sun-ambient" || field == "sun-direction") {
        Lumo::tagLight sun;
        m_editor.GetSceneGraph()->GetSunLight(sun);
        const float a = Float(Word(i + 2)), b = Float(Word(i + 3)), c = Float(Word(i + 4));
        if (field == "sun-direction") {
            sun.direction = D3DXVECTOR3(a, b, c);
        } else {
            Lumo::tagColor4f& colour = field == "sun-colour" ? sun.diffuse : sun.ambient;
            colour.r = a;
            colour.g = b;
            colour.b = c;
        }
        m_editor.GetSceneGraph()->SetSunLight(sun);
        return 5;
    } else {
        Fail("set: unknown field " + field +
             " (map-index, city, time-zone, weather, dungeon, instance, instance-time, "
             "reputation, no-mount, no-transmit, fog, sun-colour, sun-ambient, sun-direction)");
    }
    return 3;
}

// ------------------------------------------- gathers, chop fields, walls

size_t Session::AddGather(size_t i) {
    GameMapEditor::GatherList gathers;
    m_editor.GetGatherList(gathers);
    const auto ids = IdsOf(gathers, [](const tagGatherObj& g) { return g.id; });
    auto g = std::make_unique<tagGatherObj>();
    *g = tagGatherObj{};
    g->id = NextId(ids);
    g->tileX = Tile(Word(i + 1));
    g->tileZ = Tile(Word(i + 2));
    m_out << "gather " << g->id << '\n';
    m_editor.AddGather(g.release());
    return 3;
}

size_t Session::AddChopField(size_t i) {
    GameMapEditor::ChopFieldList chops;
    m_editor.GetChopFieldList(chops);
    const auto ids = IdsOf(chops, [](const GMapChopFieldObjEdit& c) { return c.GetMapID(); });
    tagChopField r{};
    r.id = NextId(ids);
    r.type = static_cast<int32_t>(Integer(Word(i + 1), 0, 1));
    r.tileX = Tile(Word(i + 2));
    r.tileZ = Tile(Word(i + 3));
    const tagPOINT tile{r.tileX, r.tileZ};
    if (m_editor.IsIntersectBetweenChopFields(tile, r.type)) {
        Fail(m_command + ": the field would overlap another chop field");
    }
    auto* c = new GMapChopFieldObjEdit;
    c->Create(r, &m_editor);
    c->SetWorldPos(tile);
    m_out << "chopfield " << r.id << '\n';
    return 4;
}

void Session::NeedRoomForWall(const GMapObjEdit& wall) {
    if (m_editor.IsIntersectBetweenMazeWalls(m_editor.MazeWallFootprint(wall),
                                             const_cast<GMapObjEdit*>(&wall))) {
        Fail(m_command + ": the wall would overlap another maze wall");
    }
}

size_t Session::AddWall(size_t i) {
    GameMapEditor::EditList walls;
    m_editor.GetMazeWallList(walls);
    const auto ids = IdsOf(walls, [](const GMapObjEdit& w) { return w.GetMapID(); });
    tagMazeWallObj r{};
    r.id = NextId(ids);
    r.pos = D3DXVECTOR3(Float(Word(i + 1)), Float(Word(i + 2)), Float(Word(i + 3)));
    r.yaw = Radians(Float(Word(i + 4)));
    r.scale = D3DXVECTOR3(1, 1, 1);
    auto* w = new GMapObjEdit;
    w->Create(r, &m_editor);
    w->SetWorldPos(r.pos);
    try {
        NeedRoomForWall(*w);
    } catch (const Failure&) {
        m_editor.DeleteMazeWall(r.id);
        throw;
    }
    m_out << "wall " << r.id << '\n';
    return 5;
}

size_t Session::MoveOrDeleteField(size_t i, bool move) {
    const std::string& kind = Word(i + 1);
    if (kind == "gather") {
        tagGatherObj* g = m_editor.GetGatherData(Id(Word(i + 2)));
        if (!g) {
            Fail(m_command + ": no gather " + Word(i + 2));
        }
        if (!move) {
            m_editor.DeleteGather(static_cast<unsigned long>(g->id));
            return 3;
        }
        tagGatherObj changed = *g;
        changed.tileX = Tile(Word(i + 3));
        changed.tileZ = Tile(Word(i + 4));
        m_editor.ModifyGatherProp(changed);
        return 5;
    }
    if (kind == "chopfield") {
        GMapChopFieldObjEdit* c = m_editor.FindChopField(Id(Word(i + 2)));
        if (!c) {
            Fail(m_command + ": no chop field " + Word(i + 2));
        }
        if (!move) {
            m_editor.DeleteChopField(c->GetMapID());
            return 3;
        }
        const tagPOINT tile{Tile(Word(i + 3)), Tile(Word(i + 4))};
        if (m_editor.IsIntersectBetweenChopFields(tile, c->GetChopFieldType(), c)) {
            Fail(m_command + ": the field would overlap another chop field");
        }
        c->SetWorldPos(tile);
        return 5;
    }
    if (kind == "wall") {
        GMapObjEdit* w = m_editor.FindMazeWall(Id(Word(i + 2)));
        if (!w) {
            Fail(m_command + ": no wall " + Word(i + 2));
        }
        if (!move) {
            m_editor.DeleteMazeWall(w->GetMapID());
            return 3;
        }
        const D3DXVECTOR3 was = w->GetWorldPos();
        w->SetWorldPos({Float(Word(i + 3)), Float(Word(i + 4)), Float(Word(i + 5))});
        try {
            NeedRoomForWall(*w);
        } catch (const Failure&) {
            w->SetWorldPos(was);
            throw;
        }
        return 6;
    }
    return 0;
}

// ------------------------------------------------- turns, scales, paths

size_t Session::Turn(size_t i) {
    const std::string& kind = Word(i + 1);
    const float degrees = Float(Word(i + 3));
    if (kind == "static" || kind == "npc") {
        const auto type = kind == "npc" ? GMapObjEdit::ET_NPC : GMapObjEdit::ET_STATIC;
        GMapObjEdit* o = NeedObject(type, Id(Word(i + 2)));
        if (type == GMapObjEdit::ET_NPC) {
            o->SetYawForNPC(degrees);
        } else {
            o->SetYawForStaticObj(Radians(degrees));
        }
    } else if (kind == "wall") {
        GMapObjEdit* w = m_editor.FindMazeWall(Id(Word(i + 2)));
        if (!w) {
            Fail(m_command + ": no wall " + Word(i + 2));
        }
        const float was = w->GetMazeWallObj()->yaw;
        w->SetYawForMazeWall(Radians(degrees));
        try {
            NeedRoomForWall(*w);
        } catch (const Failure&) {
            w->SetYawForMazeWall(was);
            throw;
        }
    } else {
        Fail(m_command + ": unknown kind " + kind + " (static, npc or wall)");
    }
    return 4;
}

size_t Session::Scale(size_t i) {
    if (Word(i + 1) != "static") {
        Fail(m_command + ": only static objects are scaled, not " + Word(i + 1));
    }
    GMapObjEdit* o = NeedObject(GMapObjEdit::ET_STATIC, Id(Word(i + 2)));
    const float s = Float(Word(i + 3));
    if (!(s > 0)) {
        Fail(m_command + ": a scale must be above 0: " + Word(i + 3));
    }
    o->SetScaleForStaticObj(D3DXVECTOR3(s, s, s));
    return 4;
}

size_t Session::Path(size_t i) {
    if (Word(i + 1) != "npc") {
        Fail(m_command + ": only NPCs patrol paths, not " + Word(i + 1));
    }
    GMapObjEdit* o = NeedObject(GMapObjEdit::ET_NPC, Id(Word(i + 2)));
    const std::string& name = Word(i + 3);
    if (name == "-") {
        o->SetWayPointNameForNPC("");
        return 4;
    }
    char field[kWayPointNameSize];
    SetField(field, name, "a way-point path name");
    o->SetWayPointNameForNPC(field);
    return 4;
}

}  // namespace mapedit
