// The engine log. _WriteLogString formats one entry printf-style; the text
// is kept as given (callers end their lines with "\r\n" themselves).
//
// The log keeps the most recent kLogEntriesKept entries in memory so that
// tools and tests can read them back, and hands every entry to an optional
// listener (a console window, stderr). Safe to call from any thread.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "lumo/LumoApi.h"

namespace Lumo {

constexpr size_t kLogEntriesKept = 4096;

LUMO_API void _WriteLogString(const char* format, ...) LUMO_PRINTF(1, 2);

// Entries kept, oldest first.
LUMO_API std::vector<std::string> GetLogEntries();
// All entries kept, concatenated.
LUMO_API std::string GetLogText();
LUMO_API void ClearLog();

// Called with each new entry after it is stored (on the writing thread, with
// no lock of the log held). Null removes the listener.
using LogListener = void (*)(const char* entry, void* user);
LUMO_API void SetLogListener(LogListener listener, void* user);

}  // namespace Lumo
