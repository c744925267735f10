// Which new patcher the unpacking wrote. A patch that carries the patcher
// puts it in download\ for the self-update helper; download\ is also where
// the packages land under names the version server sends, so a file there
// proves nothing by itself. The unpacking records the new patcher's name and
// MD5 in selfupdate.ini in the game folder as soon as it wrote it (the
// package was checked before that), and the hand-over and the helper install
// only a file that is still exactly that one.
#pragma once

#include <string>

constexpr const char* kSelfUpdateRecordFile = "selfupdate.ini";

// Records folder\download\name ("" folder: the current one) as the new
// patcher; false when it cannot be read or the record cannot be written.
bool RecordUnpackedPatcher(const std::string& folder, const std::string& name);

// Why folder\download\name is not the recorded new patcher (English), or ""
// when it is: recorded under that name (any letter case), same MD5.
std::string UnpackedPatcherProblem(const std::string& folder, const std::string& name);

// Deletes the record.
void ForgetUnpackedPatcher(const std::string& folder);
