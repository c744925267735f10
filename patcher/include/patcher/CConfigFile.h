// The section-and-key store that "update.ini" is read into.
//
// Values are looked up by section and key joined with one blank
// ("checkversion port"), hashed with ComputeNameCRC. Names and values are
// GBK byte strings.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

class CConfigFile {
public:
    // Limits of one entry and of one file. Longer names and values are cut
    // to the limit (never splitting a double-byte character); sections
    // after the first kMaxSections are not read.
    static constexpr size_t kMaxNameLength = 255;
    static constexpr size_t kMaxSections = 200;

    // Reads the whole file at path (a system path) and fills the store.
    // trim: drop blanks around names and values and cut them at ";" or a
    // tab. False when the file cannot be opened or is empty. A key already
    // present keeps its first value.
    bool Load(const char* path, bool trim);

    // The value of "section key", or "" when it is absent or empty. The text
    // stays valid as long as the store.
    const char* GetString(const char* sectionAndKey) const;
    // The value read as a decimal number (leading sign allowed, reading stops
    // at the first non-digit); 0 when absent or empty.
    int32_t GetInt(const char* sectionAndKey) const;

    size_t Count() const;

private:
    void Insert(const std::string& section, const std::string& key, const std::string& value);

    mutable std::mutex mu_;
    std::unordered_map<uint32_t, std::string> values_;
};
