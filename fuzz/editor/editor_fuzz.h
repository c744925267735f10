// What the editor fuzz targets share: the fuzzed bytes as a real file (the
// editor reads with the standard buffered functions), and an editor over a
// small terrain whose model lookups go to an empty in-memory file system,
// so fuzzed model paths never reach the disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "editor/GameMapEditor.h"
#include "fuzz_file.h"
#include "lumo/Kernel.h"
#include "lumo/Log.h"
#include "lumo/MemFS.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/process.h"

struct FuzzEditor {
    Lumo::MemFS fs;
    Lumo::TerrainEditor terrain;
    Lumo::CameraBase camera;
    GFC::GameMapEditor editor;

    FuzzEditor() {
        Lumo::Kernel::Inst()->SetDefaultFS(&fs);
        Lumo::Heightmap hm;
        hm.Create(0, 33, 33, 100, 100, 1, 0);
        terrain.SetHeightmap(hm);
        editor.Create(&terrain, &camera);
    }
    ~FuzzEditor() {
        editor.Destroy();
        Lumo::Kernel::Inst()->SetDefaultFS(nullptr);
        Lumo::ClearLog();
    }
};
