// A map file from fuzzed bytes, as the editor loads it. The load either
// refuses the file, taking nothing, or adds to each list no more records
// than start inside the file (sections may overlap one another and the
// header, so each is bounded by the file on its own); picking, drawing and
// saving then stay inside what was loaded, and a saved map loads again.
#include "editor_fuzz.h"
#include "lumo/DrawX.h"

namespace {

// Records of this kind that can start inside a file of size bytes.
template <typename Rec>
size_t Room(size_t size) {
    return (size + sizeof(Rec) - 1) / sizeof(Rec);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = ScratchFile("editmap", data, size);
    FuzzEditor f;
    const bool loaded = f.editor.LoadFromEditFile(path.c_str());
    GFC::GameMapEditor::WayPointList wps;
    GFC::GameMapEditor::TriggerList triggers;
    GFC::GameMapEditor::SoundList sounds;
    GFC::GameMapEditor::GatherList gathers;
    GFC::GameMapEditor::ChopFieldList chops;
    f.editor.GetWayPointList(wps);
    f.editor.GetTriggerList(triggers);
    f.editor.GetSoundList(sounds);
    f.editor.GetGatherList(gathers);
    f.editor.GetChopFieldList(chops);
    const size_t objects = f.editor.GetMapObjEditList().size();
    if (!loaded &&
        objects + wps.size() + triggers.size() + sounds.size() + gathers.size() + chops.size() !=
            0) {
        __builtin_trap();
    }
    // NPCs and static objects become edit objects; dynamic objects are skipped.
    if (objects > Room<GFC::tagMapNPC>(size) + Room<GFC::tagStaticMapObj>(size) ||
        wps.size() > Room<GFC::tagMapWayPoint>(size) ||
        triggers.size() > Room<GFC::tagMapTrigger>(size) ||
        sounds.size() > Room<GFC::tagMapSound>(size) ||
        gathers.size() > Room<GFC::tagGatherObj>(size) ||
        chops.size() > Room<GFC::tagChopField>(size)) {
        __builtin_trap();
    }
    f.editor.SelectObjByMouse(400, 300);
    f.editor.PickSoundBox(400, 300);
    f.editor.PickChopFieldByMouse(400, 300);
    f.editor.PickTrigger(GFC::D3DXVECTOR3(1000, 0, 1000));
    f.editor.PickGather(GFC::D3DXVECTOR3(1000, 0, 1000));
    f.editor.PickWayPoint(GFC::D3DXVECTOR3(1000, 0, 1000));
    f.editor.DrawEdit();
    Lumo::DrawX::ClearRecorded();
    if (loaded) {
        const std::string back = path + ".out";
        if (!f.editor.WriteEditFile(back.c_str())) {
            __builtin_trap();
        }
        FuzzEditor again;
        if (!again.editor.LoadFromEditFile(back.c_str())) {
            __builtin_trap();
        }
        (void)platform::DeleteFile(back);
    }
    return 0;
}
