// The patch builder, for the people who release patches:
//
//   mkpatch --old DIR --new DIR -o PACKAGE [--method stored|lzo|lzss]
//   mkpatch --dir DIR -o PACKAGE [--method ...]
//   mkpatch release ...        the release file (MkRelease.h)
//
// Compares two game folders and writes a package that the patcher (or
// "cpk apply") unpacks to turn the old folder into the new one: the new and
// changed loose files (compared by contents), new folders, and for each new
// or changed CPK archive a ".cpk" directory holding its new and changed
// entries, copied raw. What a package cannot express (deleted files and
// entries) is listed on err. --dir packs a folder as it is.
//
// Paths on the command line and in the output are UTF-8.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Runs the tool; args[0] is the program name. progress allows a progress
// line on err (err is a terminal). Answers the exit code: 0 the package was
// written, 1 failure (nothing is left at PACKAGE then).
int RunMkPatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               bool progress);
