// mapedit: edits a map file from the command line, for level designers and
// build scripts, and draws a top view of it into a picture.
//
//   mapedit MAP [--nav NAV] [--maze MAZE] [--data DIR] [--render OUT.png|OUT.bmp]
//               [--size PX] [--force] [--window [--print-layout]] COMMAND...
//
// MAP is loaded when it exists (else a run that saves starts an empty map,
// and any other run fails);
// the commands run in order and change only the editor's copy until `save`
// or `save-as` writes it. Commands:
//
//   list                                 the settings (as set commands), then
//                                        every object, one line each
//   set FIELD VALUE...                   map-index, city, time-zone, weather I V,
//                                        dungeon, instance, instance-time,
//                                        reputation, no-mount, no-transmit, fog,
//                                        sun-colour, sun-ambient, sun-direction
//   add-static MODEL X Y Z               prints "static ID"
//   add-npc ATTID X Y Z YAW              prints "npc ID" (needs the NPC's attribute record)
//   add-waypoint NAME TX TZ              prints "waypoint NAME SEQ"
//   add-trigger TX0 TZ0 TX1 TZ1          prints "trigger ID"
//   add-sound X Y Z                      prints "sound ID"
//   add-gather TX TZ                     prints "gather ID"
//   add-chopfield TYPE TX TZ             prints "chopfield ID" (type 0 or 1)
//   add-wall X Y Z YAW                   prints "wall ID" (saved with --maze)
//   move static|npc|sound|wall ID X Y Z
//   move waypoint NAME SEQ TX TZ
//   move trigger ID TX0 TZ0 TX1 TZ1
//   move gather|chopfield ID TX TZ
//   delete static|npc|trigger|sound|gather|chopfield|wall ID
//   delete waypoint NAME SEQ
//   turn static|npc|wall ID YAW
//   scale static ID S
//   path npc ID NAME|-
//   save                                 writes MAP (and MAZE with --maze)
//   save-as PATH                         writes the map to PATH
//
// --window opens an editing window on the map once the commands have run
// (MapWindow.h: its mouse, keys and console); the map is written only when
// saved there.
//
// Angles are in degrees.
// New ids never repeat one in use. --data names the game's data folder
// (models and System\tag*.lst), by default the current one. --nav gives the
// terrain (heights and walkable tiles) for picking tiles and rendering;
// without it the picture shows a flat ground of kDefaultTileSize tiles.
// A map whose NPCs lack attribute records, or which holds dynamic objects,
// loads without them; saving it then needs --force.
#pragma once

#include <ostream>

namespace mapedit {

// Tile size of the flat ground drawn when no navigation map is given.
constexpr float kDefaultTileSize = 100.0f;

// Runs the tool; answers the exit code (0 done, 1 failure with a message on
// err, 2 for a bad command line).
int Run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace mapedit
