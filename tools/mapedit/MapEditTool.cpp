#include "MapEditTool.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "MapWindow.h"
#include "Picture.h"
#include "Session.h"
#include "cli/CommandLine.h"
#include "lumo/DiskFS.h"
#include "lumo/Exception.h"
#include "lumo/Kernel.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace mapedit {

namespace {

using namespace GFC;

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

}  // namespace

int Run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{"Edits a map file (GMB) and draws a top view of it."};
    std::string map, navFile, mazeFile, dataDir, render;
    int size = 1024;
    bool force = false, window = false, printLayout = false;
    std::vector<std::string> words;
    app.add_option("MAP", map, "the map file (created by save when missing)")->required();
    app.add_option("COMMAND", words,
                   "commands: list, set, add-static, add-npc, add-waypoint, add-trigger, "
                   "add-sound, add-gather, add-chopfield, add-wall, move, delete, turn, "
                   "scale, path, save, save-as");
    app.add_option("--nav", navFile, "navigation file: the terrain for tiles and the picture");
    app.add_option("--maze", mazeFile, "maze-wall file, loaded and saved with the map");
    app.add_option("--data", dataDir, "the game's data folder (models, System\\tag*.lst)");
    app.add_option("--render", render, "draw a top view into OUT.png or OUT.bmp");
    app.add_option("--size", size, "width of the picture in pixels (default 1024)")
        ->check(CLI::Range(16, kMaxPictureSide));
    app.add_flag("--force", force, "save even when loading dropped NPCs or dynamic objects");
    CLI::Option* windowFlag =
        app.add_flag("--window", window, "edit in a window (after running the commands)");
    app.add_flag("--print-layout", printLayout,
                 "with --window: print where everything is on the screen after each redraw")
        ->needs(windowFlag);
    app.positionals_at_end(false);
    if (std::optional<int> code = cli::Parse(app, "mapedit", argc, argv, out, err)) {
        return *code;
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
        // The window saves on its save key, so it may start a new map too.
        const bool saves = window || std::find(words.begin(), words.end(), "save") != words.end() ||
                           std::find(words.begin(), words.end(), "save-as") != words.end();
        if (!platform::Exists(s.mapPath) && !saves) {
            // Only a run that saves starts a new map: anything else on a
            // missing one is a mistyped path.
            Fail(map + ": no such map (a new map is started only by a run that saves it)");
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
        if (window) {
            WindowOptions opts;
            opts.printLayout = printLayout;
            return RunWindow(s, opts, out, err);
        }
    } catch (const Failure& f) {
        err << "mapedit: " << f.message << '\n';
        return 1;
    }
    return 0;
}

}  // namespace mapedit
