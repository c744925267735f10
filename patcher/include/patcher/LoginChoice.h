// The login server the player chose, handed to the game through the
// settings store (HKEY_LOCAL_MACHINE\SOFTWARE\Tesmar, value "Borough").
#pragma once

#include <cstddef>
#include <string>

#include "platform/settings.h"

constexpr const char* kLoginValueName = "Borough";
// The game reads the value into a 100-byte buffer: a value that does not fit
// (with its terminating NUL) counts as not set.
constexpr size_t kLoginValueBuffer = 100;

struct LoginChoice {
    bool found = false;
    std::string text;  // empty when not found
};

// The patcher and the game use platform::SettingsStore::System().
LoginChoice ReadLoginChoice(const platform::SettingsStore& settings);

// Creates the key when it cannot be opened, then sets the value (REG_SZ with
// its NUL). False when the key cannot be created or the value not set.
bool WriteLoginChoice(const platform::SettingsStore& settings, const std::string& text);
