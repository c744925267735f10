// mapinfo: what a map file or a navigation file holds, for level designers.
//
//   mapinfo FILE            settings and section counts of a map file ("GMB"),
//                           or size and walkable tiles of a navigation file
//   mapinfo FILE --check    exit 1 with one line per broken rule
//
// The kind is taken from the file's first four bytes ("GMB", "NAV", "HM",
// "CM", "DM", "LM", "SGM"), or from its extension when they are none of
// these.
#pragma once

#include <ostream>

namespace mapinfo {

// Runs the tool; answers the exit code (0 done, 1 failure or broken rules
// with the reasons on out (--check) or err, 2 for a bad command line).
int Run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace mapinfo
