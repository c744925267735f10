// drevik --options: the game client's options without a window, for players
// and scripts. With no assignments it prints every option of "ClientOpt.txt"
// in the game folder (the current directory); with KEY=VALUE assignments it
// sets those options and saves the file the way the settings dialog does
// (read-only between saves), then prints the result.
//
//   drevik --options
//   drevik --options ESOP_Res=3 ESOP_Music=1 ...
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "patcher/ui/ClientOptions.h"

// Exit codes of drevik --options.
constexpr int kOptionsOk = 0;
constexpr int kOptionsCannotSave = 1;  // the file could not be written
// An unknown key or a value out of range: a usage error of the command line,
// with the code every program gives one; nothing saved.
constexpr int kOptionsBadArgument = 64;

// Prints to out in UTF-8, one line per option in file order:
// "KEY = VALUE" and, in parentheses, the label with the entry shown for it
// (list options), "0/1" (switches) or "0..255" (volumes). Errors go to err.
// Keys are matched without regard to letter case; values are decimal and
// must lie in the option's range. folder is the game folder.
int RunOptionsCommand(const std::vector<std::string>& assignments, std::ostream& out,
                      std::ostream& err, const std::string& folder = ".",
                      const OptionTextLookup& text = {});
