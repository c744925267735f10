// The installed-version record "version.dat" in the current folder:
// 8 bytes, little-endian, {magic 2828, version}.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

constexpr uint32_t kVersionMagic = 2828;  // 0x00000B0C
constexpr size_t kVersionRecordSize = 8;
constexpr const char* kVersionFile = "version.dat";

// Receives the version text ("VER:1.0.%ld") for the version label; may be
// empty.
using ShowVersionText = std::function<void(const std::string&)>;

// "VER:1.0.<version>"
std::string FormatVersionText(int32_t version);

// The installed version: the record's version when its magic is right,
// otherwise (also for an empty or short file) 0. The file is created empty
// when missing. -1 when it cannot be opened at all (callers take -1 as 0);
// otherwise the version text is shown.
int32_t ReadInstalledVersion(const ShowVersionText& show);

// Writes {2828, v} at the start of the record and shows the version text.
// False when the file cannot be opened (nothing shown) or the write fails.
bool WriteInstalledVersion(int32_t v, const ShowVersionText& show);
