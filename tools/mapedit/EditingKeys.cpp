// The editing model's key edits (adding at the cursor, deleting, turning,
// scaling) and the layout it reports.
#include <cmath>
#include <sstream>

#include "Editing.h"

namespace mapedit {

using namespace GFC;

// ------------------------------------------------------------ key edits

bool EditController::AddAt(AddKind kind, int x, int y, std::string& out) {
    GameMapEditor& ed = m_session.Editor();
    ApplyCamera();
    D3DXVECTOR3 p;
    if (!ed.MousePick(x, y, p)) {
        p = m_view.Ground(x, y);
    }
    const tagPOINT t = TileAt(p);
    std::vector<std::string> words;
    Selection::Kind added = Selection::kNone;
    switch (kind) {
        case AddKind::kStatic: {
            std::string model = kDefaultModel;
            if (m_picked.kind == Selection::kStatic) {
                const tagStaticMapObj* r = ed.GetSelectedObj()->GetStaticMapObj();
                model = Text(r->modelPath, sizeof r->modelPath);
            }
            words = {"add-static", model, FloatWord(p.x), FloatWord(p.y), FloatWord(p.z)};
            added = Selection::kStatic;
            break;
        }
        case AddKind::kNpc: {
            const GMapObjEdit* like =
                m_picked.kind == Selection::kNpc ? ed.GetSelectedObj() : nullptr;
            for (const GMapObjEdit* o : ed.GetMapObjEditList()) {
                if (!like && o->GetType() == GMapObjEdit::ET_NPC) {
                    like = o;
                }
            }
            if (!like) {
                out += "mapedit: no NPC to copy: add the first with add-npc ATTID X Y Z YAW\n";
                return false;
            }
            words = {"add-npc",      IntWord(like->GetMapNPC()->npcAttId),
                     FloatWord(p.x), FloatWord(p.y),
                     FloatWord(p.z), "0"};
            added = Selection::kNpc;
            break;
        }
        case AddKind::kWayPoint: {
            std::string path;
            bool assign = false;
            if (m_picked.kind == Selection::kWayPoint) {
                path = m_picked.path;
            } else if (m_picked.kind == Selection::kNpc) {
                const tagMapNPC* r = ed.GetSelectedObj()->GetMapNPC();
                path = Text(r->wayPointName, sizeof r->wayPointName);
                assign = path.empty();
            }
            if (path.empty()) {
                for (int n = 1; path.empty(); ++n) {
                    const std::string name = kNewPathPrefix + IntWord(n);
                    if (!ed.IsExistWayPointWithSameName(name.c_str())) {
                        path = name;
                    }
                }
            }
            words = {"add-waypoint", path, IntWord(t.x), IntWord(t.y)};
            if (assign) {
                // The picked NPC walks the new path.
                words.insert(words.end(), {"path", "npc", IntWord(m_picked.id), path});
            }
            added = Selection::kWayPoint;
            break;
        }
        case AddKind::kSound:
            words = {"add-sound", FloatWord(p.x), FloatWord(p.y), FloatWord(p.z)};
            added = Selection::kSound;
            break;
        case AddKind::kGather:
            words = {"add-gather", IntWord(t.x), IntWord(t.y)};
            added = Selection::kGather;
            break;
        case AddKind::kChopField:
            words = {"add-chopfield", "0", IntWord(t.x), IntWord(t.y)};
            added = Selection::kChopField;
            break;
        case AddKind::kWall:
            words = {"add-wall", FloatWord(p.x), FloatWord(p.y), FloatWord(p.z), "0"};
            added = Selection::kWall;
            break;
    }
    std::string said;
    const bool ok = Apply(words, said);
    out += said;
    if (ok) {
        // The command's answer names what it added: "KIND ID" or
        // "waypoint PATH SEQ" (before any "path" command, which prints
        // nothing).
        std::istringstream in(said);
        std::vector<std::string> w;
        for (std::string word; in >> word;) {
            w.push_back(word);
        }
        Selection s;
        s.kind = added;
        if (added == Selection::kWayPoint && w.size() >= 3) {
            s.path = w[1];
            s.seq = int(Integer(w[2], 0, 255));
        } else if (w.size() >= 2) {
            s.id = Id(w[1]);
        }
        m_picked = s;
        Reselect();
    }
    return ok;
}

bool EditController::DeletePicked(std::string& out) {
    if (m_picked.kind == Selection::kNone) {
        return false;
    }
    std::vector<std::string> words{"delete", KindWord(m_picked.kind)};
    if (m_picked.kind == Selection::kWayPoint) {
        words.insert(words.end(), {m_picked.path, IntWord(m_picked.seq)});
    } else {
        words.push_back(IntWord(m_picked.id));
    }
    const bool ok = Apply(words, out);
    ClearSelection();
    return ok;
}

bool EditController::TurnPicked(float degrees, std::string& out) {
    GameMapEditor& ed = m_session.Editor();
    float yaw = 0;
    switch (m_picked.kind) {
        case Selection::kStatic:
            yaw = Degrees(ed.GetSelectedObj()->GetStaticMapObj()->rot.x);
            break;
        case Selection::kNpc:
            yaw = ed.GetSelectedObj()->GetMapNPC()->yaw;
            break;
        case Selection::kWall:
            yaw = Degrees(ed.GetSelectMazeWall()->GetMazeWallObj()->yaw);
            break;
        default:
            out += "mapedit: turn: only statics, NPCs and walls turn\n";
            return false;
    }
    yaw = std::fmod(yaw + degrees, 360.0f);
    if (yaw < 0) {
        yaw += 360.0f;
    }
    return Apply({"turn", KindWord(m_picked.kind), IntWord(m_picked.id), FloatWord(yaw)}, out);
}

bool EditController::ScalePicked(float factor, std::string& out) {
    if (m_picked.kind != Selection::kStatic) {
        out += "mapedit: scale: only statics scale\n";
        return false;
    }
    const float s = m_session.Editor().GetSelectedObj()->GetStaticMapObj()->scale.x * factor;
    return Apply({"scale", "static", IntWord(m_picked.id), FloatWord(s)}, out);
}

// ---------------------------------------------------------------- layout

std::vector<std::string> EditController::Layout() {
    GameMapEditor& ed = m_session.Editor();
    const Lumo::Heightmap& hm = *m_session.Terrain().GetHeightmap();
    std::vector<std::string> lines;
    auto add = [&](const std::string& what, const D3DXVECTOR3& p) {
        float x = 0, y = 0;
        m_view.ToScreen(p, x, y);
        lines.push_back(what + ' ' + IntWord(std::lround(x)) + ' ' + IntWord(std::lround(y)));
    };
    auto tile = [&](int64_t x, int64_t z) {
        return D3DXVECTOR3(float(x) * hm.GetXScale(), 0, float(z) * hm.GetYScale());
    };
    for (const GMapObjEdit* o : ed.GetMapObjEditList()) {
        add((o->GetType() == GMapObjEdit::ET_NPC ? "npc " : "static ") + IntWord(o->GetMapID()),
            o->GetWorldPos());
    }
    GameMapEditor::WayPointList wps;
    ed.GetWayPointList(wps);
    for (const tagMapWayPoint* w : wps) {
        add("waypoint " + Text(w->name, sizeof w->name) + ' ' + IntWord(w->seq),
            tile(w->tileX0, w->tileZ0));
    }
    GameMapEditor::TriggerList triggers;
    ed.GetTriggerList(triggers);
    for (const tagMapTrigger* t : triggers) {
        add("trigger " + IntWord(t->id), tile(t->tileX0, t->tileZ0));
    }
    GameMapEditor::SoundList sounds;
    ed.GetSoundList(sounds);
    for (const tagMapSound* s : sounds) {
        add("sound " + IntWord(s->id), s->pos);
    }
    GameMapEditor::GatherList gathers;
    ed.GetGatherList(gathers);
    for (const tagGatherObj* g : gathers) {
        add("gather " + IntWord(g->id), tile(g->tileX, g->tileZ));
    }
    GameMapEditor::ChopFieldList chops;
    ed.GetChopFieldList(chops);
    for (const GMapChopFieldObjEdit* c : chops) {
        add("chopfield " + IntWord(c->GetMapID()), tile(c->GetWorldPos().x, c->GetWorldPos().y));
    }
    GameMapEditor::EditList walls;
    ed.GetMazeWallList(walls);
    for (const GMapObjEdit* w : walls) {
        add("wall " + IntWord(w->GetMazeWallObj()->id), w->GetWorldPos());
    }
    return lines;
}

}  // namespace mapedit
