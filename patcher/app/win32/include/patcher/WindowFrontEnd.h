// The window front end of the update dialog, on Windows: the update window
// (CUpdateWnd) shows the dialog's display state, its buttons run the
// dialog's commands, the workers wake the window's thread through its
// message queue, and message boxes are real boxes owned by the window.
//
// Threads: the window and the dialog share one thread, the caller's.
#pragma once

#include <string>

#include "patcher/ConsoleFrontEnd.h"

// Where the window front end finds its skin and the game's options.
struct WindowFrontEndOptions {
    std::string skinFolder = "skin";  // system path, relative to the current folder
    std::string gameFolder = ".";
};

// Opens the update window and runs the dialog in it until the dialog ends
// (Exit, StartGame, the hand-over). Answers the exit code: kExitCurrent when
// the update was done, kExitSelfUpdate when a self-update goes on,
// kExitFailed otherwise (also when the window could not be made).
int RunWindow(const ConsoleOptions& options, UpdateDlgOptions dialogOptions = {},
              WindowFrontEndOptions window = {});

// For --console in a program without a console of its own: attaches to the
// console of the program that started it, or opens one, and points the
// standard streams that lead nowhere at it. Streams that were given (a pipe,
// a file) stay as they are. False when no console could be had.
bool AttachConsoleForFrontEnd();
