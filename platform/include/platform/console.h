// The standard streams and arguments of a command-line program.
#pragma once

#include <string>
#include <vector>

namespace platform {

enum class StdStream { kInput, kOutput, kError };

// Whether the stream is an interactive terminal (not a file or a pipe).
bool IsTerminal(StdStream stream);

// Writes UTF-8 text to standard output or error and flushes it. A Windows
// console gets the text as UTF-16 (its code page would garble UTF-8) with
// its escape sequences understood; files, pipes and POSIX terminals get the
// bytes as they are.
void WriteText(StdStream stream, const std::string& utf8);

// Stops the C library from translating line ends on the stream (Windows
// opens the standard streams in text mode); nothing to do on POSIX. For
// programs that write binary data to standard output.
void SetBinaryMode(StdStream stream);

// The program's arguments in UTF-8. On Windows they are taken from the wide
// command line, since argv holds them in the ANSI code page there; elsewhere
// argv is already in the terminal's encoding and is returned as given.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// A path given as a UTF-8 argument, in system form: GBK, "\" between
// components (on POSIX as SystemPathFromNative gives it).
std::string SystemPathFromArgument(const std::string& utf8);

}  // namespace platform
