// Profile files: the "[section]" / "key=value" text files of Windows
// (GetPrivateProfileString and friends), implemented once for every
// platform. Section and key names match without regard to ASCII case.
// Paths are system paths (file.h).
#pragma once

#include <string>

#include "platform/result.h"

namespace platform {

// The value of key in section, trimmed of surrounding blanks, or def when
// the file, the section or the key is missing.
std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& def, const std::string& path);

// The value read as a decimal integer (leading sign allowed, reading stops
// at the first non-digit), def when missing.
int GetProfileInt(const std::string& section, const std::string& key, int def,
                  const std::string& path);

// Sets key in section, creating file and section as needed. The file is
// rewritten beside itself and moved over, so a failure (the system's error)
// leaves it as it was.
Status WriteProfileString(const std::string& section, const std::string& key,
                          const std::string& value, const std::string& path);

// Removes key from section (the section stays); succeeds also when nothing
// was there to remove.
Status DeleteProfileKey(const std::string& section, const std::string& key,
                        const std::string& path);

}  // namespace platform
