// What the program's start asks of the platform's front ends. Each platform
// has one implementation, chosen by the build: posix/FrontEnds.cpp (the
// console front end only) and win32/FrontEnds.cpp (the update window, or
// the console when asked).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "patcher/ConsoleFrontEnd.h"

// Whether the command line (without the program's name) runs on the
// console. Always where the platform has no window front end.
bool WantsConsole(const std::vector<std::string>& args);

// Gives output a console to reach the user through, for a program that may
// have been started without one (a window program on Windows). Nothing where
// a program always has its terminal. Without a console the output goes
// nowhere, which is no reason to stop.
void EnsureConsole();

// Runs the update in the window front end under the single-instance lock and
// answers the exit code; nullopt where the platform has no window front end.
std::optional<int> RunWindowUpdate(const ConsoleOptions& options);
