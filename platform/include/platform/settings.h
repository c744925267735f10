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
#include <utility>

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

// One place of the store, passed to the code that uses it. System() is the
// system's own: on Windows HKEY_LOCAL_MACHINE\SOFTWARE\Tesmar, on POSIX the
// file under $XDG_CONFIG_HOME (or ~/.config), the environment read at each
// use. Tests make stores of their own elsewhere. A plain value, cheap to
// copy; stores at the same place see the same values, in this process and in
// others.
class SettingsStore {
public:
    static SettingsStore System() { return SettingsStore(std::string()); }
    // On POSIX the path of the file (a native path), on Windows the subkey
    // under HKEY_LOCAL_MACHINE (in its 32-bit view). An empty text names the
    // system's store.
    explicit SettingsStore(std::string where) : where_(std::move(where)) {}

    // "" for the system's store.
    const std::string& where() const { return where_; }

    // Reads a string value into a buffer of bufferBytes bytes (terminating
    // NUL included), as a registry query with that buffer would.
    SettingsValue ReadString(const std::string& name, size_t bufferBytes) const;

    bool KeyExists() const;
    Status CreateKey() const;  // non-volatile, full access; no error if it exists
    // Sets a string value (REG_SZ, stored with its terminating NUL). The key
    // must exist.
    Status WriteString(const std::string& name, const std::string& value) const;
    Status DeleteValue(const std::string& name) const;
    // Removes the key with all its values (an uninstaller's step; tests clean
    // up with it).
    Status DeleteKey() const;

private:
    std::string where_;
};

}  // namespace platform
