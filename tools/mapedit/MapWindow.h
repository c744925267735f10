// mapedit --window: the editing window over a loaded session. The top view
// of --render, panned and zoomed, in which the designer picks, drags, adds
// and deletes with the mouse and keys, and a console that takes every
// mapedit command. Everything it changes goes through EditController.
//
// Mouse:
//   left click               pick (object, way point, sound, gather, wall,
//                            chop field, trigger), drawn in the selection colour
//   left drag                move what was picked
//   Shift + left drag        a new trigger over the tiles of the rubber band
//   right or middle drag     pan
//   wheel                    zoom at the cursor
// Keys:
//   arrows  pan      + -  zoom      Home  whole map
//   1 static  2 NPC  3 way point (on the picked path)  4 sound  5 gather
//   6 chop field  7 maze wall        (added at the cursor)
//   Delete  delete the pick   R / Shift+R  turn it 15 degrees
//   Page Up / Page Down  scale a static   Esc  pick nothing
//   Ctrl+Z  undo   Ctrl+Y  redo   Ctrl+S  save   Ctrl+Q  close
//   `  the console
// Closing with unsaved changes asks in the status line: Y saves and
// closes, N closes without saving, Esc keeps editing.
//
// Standard output gets the console's lines ("console: ...") and every new
// status line ("status: ..."); with --print-layout, after each redraw, the
// view's size and where its top left lies on the screen ("layout W H X Y"),
// the position in the view of everything on the map (one line per thing as
// EditController::Layout gives it) and "layout end", for scripts that drive
// the window.
#pragma once

#include <ostream>

namespace mapedit {

class Session;

struct WindowOptions {
    bool printLayout = false;
};

// Runs the window until it is closed; answers the exit code (0, or 1 when
// the window cannot be opened, with a message on err).
int RunWindow(Session& session, const WindowOptions& options, std::ostream& out, std::ostream& err);

}  // namespace mapedit
