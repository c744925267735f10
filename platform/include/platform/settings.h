// The settings store: the system's one registry key,
// HKEY_LOCAL_MACHINE\SOFTWARE\Tesmar, with string values.
//
// On Windows it is the real registry, in its 32-bit view (where the 32-bit
// game reads it) on every build. On POSIX it is a small text file,
// $XDG_CONFIG_HOME/tesmar/registry.ini (or ~/.config/tesmar/registry.ini),
// one "name=value" line per value; the file existing stands for the key
// existing.
#pragma once

#include <cstddef>
#include <string>

#include "platform/result.h"

namespace platform {

enum class SettingsRead {
    kOk,
    kNoKey,    // the key does not exist
    kNoValue,  // the key exists, the value does not (or is not a string)
    kTooLong,  // the value with its terminating NUL does not fit the buffer
};

struct SettingsValue {
    SettingsRead status = SettingsRead::kNoKey;
    std::string text;  // set when status is kOk
};

// Reads a string value into a buffer of bufferBytes bytes (terminating NUL
// included), as a registry query with that buffer would.
SettingsValue ReadSettingsString(const std::string& name, size_t bufferBytes);

bool SettingsKeyExists();
Status CreateSettingsKey();  // non-volatile, full access; no error if it exists
// Sets a string value (REG_SZ, stored with its terminating NUL). The key must
// exist.
Status WriteSettingsString(const std::string& name, const std::string& value);
Status DeleteSettingsValue(const std::string& name);
// Removes the key with all its values (an uninstaller's step; tests clean up
// with it).
Status DeleteSettingsKey();

// Points the store elsewhere, for tests: on POSIX the path of the file, on
// Windows the subkey under HKEY_LOCAL_MACHINE. An empty text restores the
// default. Not thread-safe against concurrent store use.
void OverrideSettingsStore(const std::string& where);

}  // namespace platform
