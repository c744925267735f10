// A maze-wall file from fuzzed bytes. The load either refuses the file,
// taking nothing, or holds no more walls than the file has room for; every
// wall has scale 1, is found by its id, and picking, overlap tests,
// drawing and writing the file back stay inside what was loaded.
#include "editor_fuzz.h"
#include "lumo/DrawX.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = ScratchFile("maze", data, size);
    FuzzEditor f;
    const bool loaded = f.editor.LoadMazeObjFile(path.c_str());
    GFC::GameMapEditor::EditList walls;
    f.editor.GetMazeWallList(walls);
    if (!loaded && !walls.empty()) {
        __builtin_trap();
    }
    if (walls.size() > size / sizeof(GFC::tagMazeWallObj) + 1) {
        __builtin_trap();
    }
    for (GFC::GMapObjEdit* w : walls) {
        if (w->GetMazeWallObj()->scale != GFC::D3DXVECTOR3(1, 1, 1) ||
            f.editor.FindMazeWall(w->GetMapID()) == nullptr) {
            __builtin_trap();
        }
        f.editor.IsIntersectBetweenMazeWalls(f.editor.MazeWallFootprint(*w), w);
    }
    f.editor.PickMazeWallByMouse(400, 300);
    f.editor.IsDrawWholeMazeWallZone(true, GFC::D3DXVECTOR3(1600, 0, 1600), 10);
    f.editor.DrawEdit();
    Lumo::DrawX::ClearRecorded();
    if (loaded) {
        const std::string back = path + ".out";
        f.editor.WriteMazeObjFile(back.c_str());
        (void)platform::DeleteFile(back);
    }
    return 0;
}
