#include "Session.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>

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

// ------------------------------------------------------------- commands

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
    return 1;
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
            changed.tileX0 = Tile(Word(i + 3));
            changed.tileZ0 = Tile(Word(i + 4));
            changed.tileX1 = Tile(Word(i + 5));
            changed.tileZ1 = Tile(Word(i + 6));
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
        Fail(m_command + ": unknown kind " + kind + " (static, npc, waypoint, trigger or sound)");
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

}  // namespace mapedit
