// The editing window's model: what the designer picked, dragging and the
// rubber band, the edits the keys make, undo and redo, and the view. It has
// no window: the window feeds it pixels and keys, tests feed it the same.
//
// Every change goes through the session's commands (the words mapedit
// takes on its command line), so the window and the command line follow
// one set of editing rules. Undo and redo keep snapshots of the bytes the
// map (and its maze walls) would be saved as: undoing a change loads the
// bytes from before it, so the map comes back exactly as it was. The bytes
// pass through two files of its own in the temporary folder (removed when
// it goes); a change made while they cannot be written gets no step of its
// own and is undone with the next one.
//
// One thread only: the window's.
#pragma once

#include <string>
#include <vector>

#include "Session.h"
#include "View.h"

namespace mapedit {

// What is picked, by the names the commands use for it.
struct Selection {
    enum Kind { kNone, kStatic, kNpc, kWayPoint, kTrigger, kSound, kGather, kChopField, kWall };
    Kind kind = kNone;
    uint32_t id = 0;   // every kind but way points
    std::string path;  // way points: the path's name (UTF-8)
    int seq = 0;       // way points: the point's number on its path

    bool operator==(const Selection& o) const {
        return kind == o.kind && id == o.id && path == o.path && seq == o.seq;
    }
    bool operator!=(const Selection& o) const { return !(*this == o); }
};

// Numbers as command words; a float reads back as the same float.
std::string FloatWord(float v);
std::string IntWord(int64_t v);

// The word a command uses for a kind ("static", "waypoint"...; "" for none).
const char* KindWord(Selection::Kind kind);

// What the keys add at the cursor.
enum class AddKind { kStatic, kNpc, kWayPoint, kSound, kGather, kChopField, kWall };

// Steps of the key edits.
constexpr float kTurnStepDegrees = 15.0f;
constexpr float kScaleStep = 1.1f;
// Model of a static added when none is picked to copy, and name prefix of a
// new way-point path.
constexpr const char* kDefaultModel = "models\\box.fak";
constexpr const char* kNewPathPrefix = "path";
// Most undo steps kept; the oldest go first.
constexpr size_t kMaxUndoSteps = 200;

class EditController {
public:
    // The session holds the map as loaded; that state counts as saved.
    explicit EditController(Session& session);
    ~EditController();
    EditController(const EditController&) = delete;
    EditController& operator=(const EditController&) = delete;

    Session& GetSession() { return m_session; }
    View& GetView() { return m_view; }

    // Runs command words (any mapedit command) as one change: one undo step
    // when the map's bytes changed. Appends what the commands print (or the
    // failure's message) to out; false when a command failed (what the
    // commands before it changed stays, as an undo step).
    bool Apply(const std::vector<std::string>& words, std::string& out);

    // Picks what lies under pixel (x, y) of the view through the editor's
    // own picks, in this order: objects (statics, NPCs), way points,
    // sounds, gathers, maze walls, chop fields, triggers. The editor's
    // selection shows it; answers it (kNone when nothing is there).
    const Selection& PickAt(int x, int y);
    void ClearSelection();
    const Selection& Picked() const { return m_picked; }

    // Left-button drag: picks at (x, y), then moves what it picked with the
    // mouse, as one undo step when released.
    void BeginDrag(int x, int y);
    void DragTo(int x, int y);
    void EndDrag();
    bool Dragging() const { return m_dragging; }

    // Rubber band: a new trigger over the tiles from the one under the
    // first point to the one under the last.
    void BeginBand(int x, int y);
    void BandTo(int x, int y);
    bool EndBand(int x, int y, std::string& out);
    bool Banding() const { return m_banding; }

    // Key edits, on the picked thing or at the ground under pixel (x, y).
    // A new static copies the picked static's model (kDefaultModel without
    // one), a new NPC the picked NPC's attribute record (the first record of
    // the data folder without one); a way point goes to the picked path (the
    // picked way point's, or the picked NPC's) or starts a new one. What is
    // added is picked.
    bool AddAt(AddKind kind, int x, int y, std::string& out);
    bool DeletePicked(std::string& out);
    bool TurnPicked(float degrees, std::string& out);
    bool ScalePicked(float factor, std::string& out);

    // False when there is no step, or its snapshot cannot be loaded (then
    // nothing changes).
    bool Undo();
    bool Redo();
    size_t UndoSteps() const { return m_undo.size(); }
    size_t RedoSteps() const { return m_redo.size(); }

    // Saves through the save command; false (the message in out) when it
    // failed.
    bool Save(std::string& out);
    // Whether the map differs from what was last loaded or saved.
    bool Dirty() const { return m_current.map != m_saved.map || m_current.maze != m_saved.maze; }

    // The picked thing's line of `mapedit list`; "" when nothing is picked.
    std::string Status();
    // The bytes the map and its maze walls would be saved as now.
    std::string MapBytes();
    std::string MazeBytes();

    // Screen position of each thing of the map (its position, a trigger's
    // or way point's first corner), one line each: "KIND ID X Y" (a way
    // point: "waypoint PATH SEQ X Y"), in pixels of the view.
    std::vector<std::string> Layout();

private:
    struct Snapshot {
        std::string map, maze;
        bool ok = false;  // both were written and read back
    };
    Snapshot Take();
    // Loads a snapshot into the editor. False when it cannot; when its bytes
    // cannot be written back to disk the map is left as it is.
    bool Restore(const Snapshot& s);
    // Empties the lists and loads the snapshot files back.
    bool Reload();
    // Records the change since m_current as one undo step (if any).
    void Commit();
    bool RunWords(const std::vector<std::string>& words, std::string& out);
    // Sets the editor's selections from m_picked (kNone when it is gone).
    void Reselect();
    // The picked thing's position: a world point, or a tile for the tile
    // kinds; false when nothing is picked.
    bool PickedPosition(D3DXVECTOR3& world, int& tileX, int& tileZ);
    GFC::tagPOINT TileAt(const D3DXVECTOR3& world);
    void ApplyCamera();

    Session& m_session;
    View m_view;
    Selection m_picked;
    Snapshot m_current, m_saved;
    std::vector<Snapshot> m_undo, m_redo;
    std::string m_tempMap, m_tempMaze;  // system paths of the snapshot files

    bool m_dragging = false;
    bool m_dragMoved = false;
    D3DXVECTOR3 m_dragFrom, m_dragWorld;  // ground under the press; the picked position
    int m_dragTileX = 0, m_dragTileZ = 0;
    int32_t m_dragSpanX = 0, m_dragSpanZ = 0;  // a trigger's size in tiles
    bool m_banding = false;
    D3DXVECTOR3 m_bandFrom;
};

}  // namespace mapedit
