// The editing session of mapedit: the editor's copy of one map and the
// commands that change it, each taking its words from the command line.
#pragma once

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "editor/GameMapEditor.h"
#include "platform/text.h"

namespace mapedit {

class Picture;

// Height of the eye of a top view above the ground (world units): above
// anything a map holds.
constexpr float kViewHeight = 100000.0f;

// A command that cannot be carried out; the tool prints its message.
struct Failure {
    std::string message;
};

[[noreturn]] inline void Fail(const std::string& message) {
    throw Failure{message};
}

// The words of a command: a number, a whole number in lo..hi, an id, a tile.
float Float(const std::string& s);
int64_t Integer(const std::string& s, int64_t lo, int64_t hi);
uint32_t Id(const std::string& s);
int32_t Tile(const std::string& s);

// One more than the highest id in use, or the lowest free one when that
// would wrap.
uint32_t NextId(const std::vector<uint32_t>& used);

// A fixed GBK field as UTF-8.
std::string Text(const char* gbk, size_t size);

// Angles: the command line speaks degrees, records hold radians (an NPC's
// yaw excepted, which is degrees).
float Degrees(float radians);
float Radians(float degrees);

// The extension of a path, lower case, without its dot.
std::string LowerExtension(const std::string& path);

// Copies UTF-8 text into a fixed GBK field, refusing what does not fit.
template <size_t N>
inline void SetField(char (&field)[N], const std::string& utf8, const char* what) {
    const std::string gbk = platform::Utf8ToGbk(utf8);
    if (gbk.empty() || gbk.size() >= N) {
        Fail(std::string(what) + " must be 1 to " + std::to_string(N - 1) + " bytes: " + utf8);
    }
    std::memset(field, 0, N);
    std::memcpy(field, gbk.data(), gbk.size());
}

class Session {
public:
    explicit Session(std::ostream& out) : m_out(out) { m_editor.Create(&m_terrain, &m_camera); }

    GFC::GameMapEditor& Editor() { return m_editor; }
    Lumo::TerrainEditor& Terrain() { return m_terrain; }

    Lumo::CameraBase& Camera() { return m_camera; }
    // Where the commands print.
    std::ostream& Out() { return m_out; }

    // Runs the commands in order; the first that fails throws a Failure.
    void Run(const std::vector<std::string>& words);
    // Draws a top view into a PNG or BMP picture size pixels wide.
    void Render(const std::string& out, int size);
    // Draws the top view seen by a camera looking straight down into the
    // picture (whose size is the camera's viewport): the ground, every
    // object, and the editor's own drawing, the selection in its colour.
    // The session's camera is put back afterwards.
    void DrawTopView(Picture& pic, const Lumo::CameraBase& view);
    // Without a navigation map, lays a flat ground of kDefaultTileSize tiles
    // around everything there is, so tiles can be picked and drawn.
    void EnsureGround();
    // The ground's size in world units (laying a flat one first if needed).
    void GroundExtent(float& extentX, float& extentZ);

    std::string mapPath;   // system path
    std::string mazePath;  // system path, "" without --maze
    bool force = false;
    // What loading the map left out: NPCs without an attribute record and
    // dynamic objects.
    int droppedNpcs = 0;
    int droppedDynamics = 0;
    const GFC::GNavMap* nav = nullptr;

private:
    // A command: its word at words[i]; answers how many words it took.
    using Command = size_t (Session::*)(size_t i);
    struct Entry {
        const char* name;
        Command run;
    };
    static const Entry kCommands[];

    size_t List(size_t i);
    size_t AddStatic(size_t i);
    size_t AddNpc(size_t i);
    size_t AddWayPoint(size_t i);
    size_t AddTrigger(size_t i);
    size_t AddSound(size_t i);
    size_t MoveOrDelete(size_t i);
    size_t SaveMap(size_t i);
    size_t SaveAs(size_t i);
    size_t Set(size_t i);
    size_t AddGather(size_t i);
    size_t AddChopField(size_t i);
    size_t AddWall(size_t i);
    size_t Turn(size_t i);
    size_t Scale(size_t i);
    size_t Path(size_t i);

    // The settings as the set commands that make them.
    void ListSettings();
    // A wall's footprint must not overlap another's.
    void NeedRoomForWall(const GFC::GMapObjEdit& wall);
    // A trigger's area from the four words at words[at].
    void SetCorners(GFC::tagMapTrigger& t, size_t at);
    // Moves and deletions of the kinds added later: gathers, chop fields
    // and maze walls; answers 0 for another kind.
    size_t MoveOrDeleteField(size_t i, bool move);

    const std::string& Word(size_t i) {
        if (i >= m_words->size()) {
            Fail(m_command + ": too few arguments");
        }
        return (*m_words)[i];
    }
    void Save(const std::string& path);
    std::vector<uint32_t> EditIds(GFC::GMapObjEdit::EType type) const;
    GFC::GMapObjEdit* NeedObject(GFC::GMapObjEdit::EType type, uint32_t id);

    std::ostream& m_out;
    Lumo::TerrainEditor m_terrain;
    Lumo::CameraBase m_camera;
    GFC::GameMapEditor m_editor;
    const std::vector<std::string>* m_words = nullptr;
    std::string m_command;
};

}  // namespace mapedit
