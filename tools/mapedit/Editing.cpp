#include "Editing.h"

#include <cmath>
#include <iomanip>
#include <random>
#include <sstream>

#include "lumo/Exception.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace mapedit {

using namespace GFC;

namespace {

bool WriteBytes(const std::string& path, const std::string& bytes) {
    auto f = platform::File::Open(path, platform::Access::kWrite, platform::kShareNone,
                                  platform::Disposition::kCreateAlways);
    return f && f->Write(bytes.data(), bytes.size());
}

// The words of the last line of text.
std::vector<std::string> LastLineWords(const std::string& text) {
    std::istringstream in(text);
    std::string line, last;
    while (std::getline(in, line)) {
        if (!line.empty()) {
            last = line;
        }
    }
    std::istringstream words(last);
    std::vector<std::string> out;
    for (std::string w; words >> w;) {
        out.push_back(w);
    }
    return out;
}

}  // namespace

std::string FloatWord(float v) {
    std::ostringstream s;
    s << std::setprecision(9) << v;
    return s.str();
}

std::string IntWord(int64_t v) {
    return std::to_string(v);
}

const char* KindWord(Selection::Kind kind) {
    static const char* const kWords[] = {"",      "static", "npc",       "waypoint", "trigger",
                                         "sound", "gather", "chopfield", "wall"};
    return kWords[kind];
}

EditController::EditController(Session& session) : m_session(session) {
    std::random_device rd;
    std::ostringstream name;
    name << platform::TempDirectory() << "\\mapedit-undo-" << std::hex << rd() << rd();
    m_tempMap = name.str() + ".gmb";
    m_tempMaze = name.str() + ".gma";
    m_session.EnsureGround();
    float ex = 0, ez = 0;
    m_session.GroundExtent(ex, ez);
    m_view.Fit(ex, ez);
    m_current = m_saved = Take();
}

EditController::~EditController() {
    (void)platform::DeleteFile(m_tempMap);
    (void)platform::DeleteFile(m_tempMaze);
}

// ------------------------------------------------------------ snapshots

EditController::Snapshot EditController::Take() {
    GameMapEditor& ed = m_session.Editor();
    Snapshot s;
    s.ok = ed.WriteEditFile(m_tempMap.c_str()) && ed.WriteMazeObjFile(m_tempMaze.c_str());
    if (s.ok) {
        auto map = platform::ReadWholeFile(m_tempMap);
        auto maze = platform::ReadWholeFile(m_tempMaze);
        s.ok = map && maze;
        s.map = map ? *map : std::string();
        s.maze = maze ? *maze : std::string();
    }
    return s;
}

bool EditController::Restore(const Snapshot& s) {
    // Nothing is cleared before the bytes are on disk again: a snapshot
    // that cannot be written back leaves the map as it is.
    if (!s.ok || !WriteBytes(m_tempMap, s.map) || !WriteBytes(m_tempMaze, s.maze)) {
        return false;
    }
    if (Reload()) {
        return true;
    }
    // The snapshot did not load whole: back to the state it replaced, and
    // whatever is shown then counts as the current state, so that an
    // emptied map is never taken for the saved one.
    if (WriteBytes(m_tempMap, m_current.map) && WriteBytes(m_tempMaze, m_current.maze)) {
        (void)Reload();
    }
    m_current = Take();
    return false;
}

bool EditController::Reload() {
    GameMapEditor& ed = m_session.Editor();
    ed.ClearEditList();
    ed.ClearWayPointList();
    ed.ClearTriggerList();
    ed.ClearSoundList();
    ed.ClearMazeWallList();
    ed.ClearChopFieldList();
    GameMapEditor::GatherList gathers;
    ed.GetGatherList(gathers);
    for (const tagGatherObj* g : gathers) {
        ed.DeleteGather(static_cast<unsigned long>(g->id));
    }
    // The bytes were written by this editor; they load back.
    const bool loaded = ed.LoadFromEditFile(m_tempMap.c_str());
    return ed.LoadMazeObjFile(m_tempMaze.c_str()) && loaded;
}

void EditController::Commit() {
    Snapshot now = Take();
    if (!now.ok || (now.map == m_current.map && now.maze == m_current.maze)) {
        // Without a snapshot the change stays and joins the next step.
        return;
    }
    m_undo.push_back(std::move(m_current));
    if (m_undo.size() > kMaxUndoSteps) {
        m_undo.erase(m_undo.begin());
    }
    m_redo.clear();
    m_current = std::move(now);
}

bool EditController::Undo() {
    if (m_undo.empty() || !Restore(m_undo.back())) {
        return false;
    }
    m_redo.push_back(std::move(m_current));
    m_current = std::move(m_undo.back());
    m_undo.pop_back();
    Reselect();
    return true;
}

bool EditController::Redo() {
    if (m_redo.empty() || !Restore(m_redo.back())) {
        return false;
    }
    m_undo.push_back(std::move(m_current));
    m_current = std::move(m_redo.back());
    m_redo.pop_back();
    Reselect();
    return true;
}

std::string EditController::MapBytes() {
    return Take().map;
}

std::string EditController::MazeBytes() {
    return Take().maze;
}

// ------------------------------------------------------------- commands

bool EditController::RunWords(const std::vector<std::string>& words, std::string& out) {
    std::ostringstream text;
    std::ostream& os = m_session.Out();
    std::streambuf* old = os.rdbuf(text.rdbuf());
    bool ok = true;
    try {
        m_session.Run(words);
    } catch (const Failure& f) {
        text << "mapedit: " << f.message << '\n';
        ok = false;
    } catch (const Lumo::Exception& e) {
        text << "mapedit: " << e.GetMsg() << '\n';
        ok = false;
    }
    os.rdbuf(old);
    out += text.str();
    Reselect();  // a command may have freed what was picked
    return ok;
}

bool EditController::Apply(const std::vector<std::string>& words, std::string& out) {
    const bool ok = RunWords(words, out);
    Commit();
    // Only the save command saves: "save" as a path or a name does not.
    if (ok && !words.empty() && words.front() == "save") {
        m_saved = m_current;
    }
    return ok;
}

bool EditController::Save(std::string& out) {
    return Apply({"save"}, out);
}

std::string EditController::Status() {
    if (m_picked.kind == Selection::kNone) {
        return "";
    }
    std::string prefix = std::string(KindWord(m_picked.kind)) + ' ';
    prefix += m_picked.kind == Selection::kWayPoint
                  ? m_picked.path + ' ' + IntWord(m_picked.seq) + ' '
                  : IntWord(m_picked.id) + ' ';
    std::string listing;
    if (!RunWords({"list"}, listing)) {
        return "";
    }
    std::istringstream in(listing);
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, prefix.size(), prefix) == 0) {
            return line;
        }
    }
    return "";
}

// -------------------------------------------------------------- picking

void EditController::ApplyCamera() {
    m_session.Camera() = m_view.Camera();
}

tagPOINT EditController::TileAt(const D3DXVECTOR3& world) {
    return m_session.Terrain().GetHeightmap()->World2Tile(world);
}

void EditController::ClearSelection() {
    m_picked = Selection{};
    Reselect();
}

void EditController::Reselect() {
    GameMapEditor& ed = m_session.Editor();
    ed.SetSelectObj(nullptr);
    ed.SetCurPickedWayPoint(nullptr);
    ed.SetCurPickedTrigger(nullptr);
    ed.SetSelectedSound(nullptr);
    ed.SetCurPickedGatherObj(nullptr);
    ed.SetSelectMazeWall(nullptr);
    ed.SetSelectChopField(nullptr);
    bool found = false;
    switch (m_picked.kind) {
        case Selection::kStatic:
        case Selection::kNpc: {
            const auto type =
                m_picked.kind == Selection::kNpc ? GMapObjEdit::ET_NPC : GMapObjEdit::ET_STATIC;
            GMapObjEdit* o = ed.FindMapObjEdit(type, m_picked.id);
            ed.SetSelectObj(o);
            found = o != nullptr;
            break;
        }
        case Selection::kWayPoint: {
            tagMapWayPoint* w =
                ed.GetWayPointData(platform::Utf8ToGbk(m_picked.path).c_str(), m_picked.seq);
            ed.SetCurPickedWayPoint(w);
            found = w != nullptr;
            break;
        }
        case Selection::kTrigger: {
            tagMapTrigger* t = ed.GetTriggerData(m_picked.id);
            ed.SetCurPickedTrigger(t);
            found = t != nullptr;
            break;
        }
        case Selection::kSound: {
            tagMapSound* s = ed.FindSound(m_picked.id);
            ed.SetSelectedSound(s);
            found = s != nullptr;
            break;
        }
        case Selection::kGather: {
            tagGatherObj* g = ed.GetGatherData(m_picked.id);
            ed.SetCurPickedGatherObj(g);
            found = g != nullptr;
            break;
        }
        case Selection::kWall: {
            GMapObjEdit* w = ed.FindMazeWall(m_picked.id);
            ed.SetSelectMazeWall(w);
            found = w != nullptr;
            break;
        }
        case Selection::kChopField: {
            GMapChopFieldObjEdit* c = ed.FindChopField(m_picked.id);
            ed.SetSelectChopField(c);
            found = c != nullptr;
            break;
        }
        case Selection::kNone:
            break;
    }
    if (!found) {
        m_picked = Selection{};
    }
}

const Selection& EditController::PickAt(int x, int y) {
    GameMapEditor& ed = m_session.Editor();
    ApplyCamera();
    Selection s;
    D3DXVECTOR3 ground;
    if (!ed.MousePick(x, y, ground)) {
        ground = m_view.Ground(x, y);
    }
    if (ed.SelectObjByMouse(x, y)) {
        const GMapObjEdit* o = ed.GetSelectedObj();
        s.kind = o->GetType() == GMapObjEdit::ET_NPC ? Selection::kNpc : Selection::kStatic;
        s.id = static_cast<uint32_t>(o->GetMapID());
    } else if (ed.PickWayPoint(ground), ed.GetCurPickedWayPoint()) {
        const tagMapWayPoint* w = ed.GetCurPickedWayPoint();
        s.kind = Selection::kWayPoint;
        s.path = Text(w->name, sizeof w->name);
        s.seq = w->seq;
    } else if (ed.PickSoundBox(x, y), ed.GetSelectedSound()) {
        s.kind = Selection::kSound;
        s.id = ed.GetSelectedSound()->id;
    } else if (ed.PickGather(ground), ed.GetCurPickedGather()) {
        s.kind = Selection::kGather;
        s.id = ed.GetCurPickedGather()->id;
    } else if (ed.PickMazeWallByMouse(x, y), ed.GetSelectMazeWall()) {
        s.kind = Selection::kWall;
        s.id = ed.GetSelectMazeWall()->GetMazeWallObj()->id;
    } else if (ed.PickChopFieldByMouse(x, y), ed.GetSelectChopField()) {
        s.kind = Selection::kChopField;
        s.id = static_cast<uint32_t>(ed.GetSelectChopField()->GetMapID());
    } else if (ed.PickTrigger(ground), ed.GetCurPickedTrigger()) {
        s.kind = Selection::kTrigger;
        s.id = ed.GetCurPickedTrigger()->id;
    }
    m_picked = s;
    Reselect();  // one selection only
    return m_picked;
}

bool EditController::PickedPosition(D3DXVECTOR3& world, int& tileX, int& tileZ) {
    GameMapEditor& ed = m_session.Editor();
    world = D3DXVECTOR3(0, 0, 0);
    tileX = tileZ = 0;
    switch (m_picked.kind) {
        case Selection::kStatic:
        case Selection::kNpc:
            world = ed.GetSelectedObj()->GetWorldPos();
            return true;
        case Selection::kWall:
            world = ed.GetSelectMazeWall()->GetWorldPos();
            return true;
        case Selection::kSound:
            world = ed.GetSelectedSound()->pos;
            return true;
        case Selection::kWayPoint:
            tileX = int(ed.GetCurPickedWayPoint()->tileX0);
            tileZ = int(ed.GetCurPickedWayPoint()->tileZ0);
            return true;
        case Selection::kGather:
            tileX = ed.GetCurPickedGather()->tileX;
            tileZ = ed.GetCurPickedGather()->tileZ;
            return true;
        case Selection::kChopField:
            tileX = ed.GetSelectChopField()->GetWorldPos().x;
            tileZ = ed.GetSelectChopField()->GetWorldPos().y;
            return true;
        case Selection::kTrigger:
            tileX = ed.GetCurPickedTrigger()->tileX0;
            tileZ = ed.GetCurPickedTrigger()->tileZ0;
            return true;
        case Selection::kNone:
            break;
    }
    return false;
}

// ------------------------------------------------------ drag and band

void EditController::BeginDrag(int x, int y) {
    m_dragging = false;
    m_dragMoved = false;
    if (PickAt(x, y).kind == Selection::kNone) {
        return;
    }
    if (!m_session.Editor().MousePick(x, y, m_dragFrom)) {
        m_dragFrom = m_view.Ground(x, y);
    }
    m_dragging = PickedPosition(m_dragWorld, m_dragTileX, m_dragTileZ);
    if (m_picked.kind == Selection::kTrigger) {
        const tagMapTrigger* t = m_session.Editor().GetCurPickedTrigger();
        m_dragSpanX = t->tileX1 - t->tileX0;
        m_dragSpanZ = t->tileZ1 - t->tileZ0;
    }
}

void EditController::DragTo(int x, int y) {
    if (!m_dragging) {
        return;
    }
    ApplyCamera();
    D3DXVECTOR3 now;
    if (!m_session.Editor().MousePick(x, y, now)) {
        now = m_view.Ground(x, y);
    }
    const tagPOINT t0 = TileAt(m_dragFrom), t1 = TileAt(now);
    const int64_t dx = int64_t(t1.x) - t0.x, dz = int64_t(t1.y) - t0.y;
    const std::string kind = KindWord(m_picked.kind);
    std::vector<std::string> words{"move", kind};
    if (m_picked.kind == Selection::kWayPoint) {
        words.push_back(m_picked.path);
        words.push_back(IntWord(m_picked.seq));
    } else {
        words.push_back(IntWord(m_picked.id));
    }
    switch (m_picked.kind) {
        case Selection::kStatic:
        case Selection::kNpc:
        case Selection::kWall:
        case Selection::kSound: {
            const D3DXVECTOR3 p = m_dragWorld + (now - m_dragFrom);
            words.insert(words.end(), {FloatWord(p.x), FloatWord(p.y), FloatWord(p.z)});
            break;
        }
        case Selection::kTrigger:
            words.insert(words.end(), {IntWord(m_dragTileX + dx), IntWord(m_dragTileZ + dz),
                                       IntWord(m_dragTileX + dx + m_dragSpanX),
                                       IntWord(m_dragTileZ + dz + m_dragSpanZ)});
            break;
        default:
            words.insert(words.end(), {IntWord(m_dragTileX + dx), IntWord(m_dragTileZ + dz)});
            break;
    }
    std::string out;
    if (RunWords(words, out)) {
        m_dragMoved = true;
    }
}

void EditController::EndDrag() {
    if (m_dragging && m_dragMoved) {
        Commit();
    }
    m_dragging = false;
    m_dragMoved = false;
}

void EditController::BeginBand(int x, int y) {
    ApplyCamera();
    GameMapEditor& ed = m_session.Editor();
    if (!ed.MousePick(x, y, m_bandFrom)) {
        m_bandFrom = m_view.Ground(x, y);
    }
    ed.SetStartPosForTrigger(m_bandFrom);
    ed.SetCurPosForTrigger(true, m_bandFrom);
    m_banding = true;
}

void EditController::BandTo(int x, int y) {
    if (!m_banding) {
        return;
    }
    ApplyCamera();
    D3DXVECTOR3 now;
    if (!m_session.Editor().MousePick(x, y, now)) {
        now = m_view.Ground(x, y);
    }
    m_session.Editor().SetCurPosForTrigger(true, now);
}

bool EditController::EndBand(int x, int y, std::string& out) {
    if (!m_banding) {
        return false;
    }
    BandTo(x, y);
    m_banding = false;
    GameMapEditor& ed = m_session.Editor();
    ed.SetCurPosForTrigger(false, ed.GetCurPosForTrigger());
    const tagPOINT a = TileAt(m_bandFrom), b = TileAt(ed.GetCurPosForTrigger());
    std::string said;
    const bool ok =
        Apply({"add-trigger", IntWord(a.x), IntWord(a.y), IntWord(b.x), IntWord(b.y)}, said);
    out += said;
    if (ok) {
        const auto w = LastLineWords(said);
        if (w.size() == 2 && w[0] == "trigger") {
            m_picked = Selection{Selection::kTrigger, Id(w[1]), "", 0};
            Reselect();
        }
    }
    return ok;
}

}  // namespace mapedit
