// attdb: shows what the game's rule lists in a data folder hold, for the
// game's data designers.
//
//   attdb DIR             table sizes, pet lists, missing lists
//   attdb DIR --npc ID    model and effect paths of one NPC (ID decimal or 0x...)
#pragma once

#include <ostream>

namespace attdb {

// Runs the tool; answers the exit code (0 done, 1 failure with a message on
// err, 2 for a bad command line).
int Run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace attdb
