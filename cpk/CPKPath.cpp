#include "cpk/CPKPath.h"

#include "cpk/NameCRC.h"
#include "platform/text.h"

namespace cpkpath {
namespace {

// Windows opens its devices under these names, with any extension and in
// any letter case ("con.txt" is the console too).
bool IsDeviceName(const std::string& part) {
    std::string stem = platform::GbkToLowerAscii(part.substr(0, part.find('.')));
    while (!stem.empty() && stem.back() == ' ') {
        stem.pop_back();
    }
    if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul") {
        return true;
    }
    return stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0) &&
           stem[3] >= '0' && stem[3] <= '9';
}

}  // namespace

uint32_t CrcOfPath(const std::string& path) {
    return ComputeNameCRC(platform::GbkToLowerAscii(path).c_str());
}

std::vector<std::string> Split(const std::string& path) {
    return platform::Split(path, platform::PathSeparators::kBackslash);
}

std::string LastComponent(const std::string& path) {
    return platform::BaseName(path, platform::PathSeparators::kBackslash);
}

std::string Normalize(const std::string& path) {
    std::string joined;
    for (const std::string& part : platform::Split(path, platform::PathSeparators::kBoth)) {
        joined += joined.empty() ? part : "\\" + part;
    }
    return joined;
}

bool IsSafeRelativePath(const std::string& path) {
    std::vector<std::string> parts = Split(path);
    if (parts.empty()) {
        return false;
    }
    for (const std::string& part : parts) {
        // Windows drops trailing dots and blanks from a name, so ". ." or
        // ".. " would climb out as ".." does.
        const char last = part.back();
        if (last == '.' || last == ' ' || IsDeviceName(part)) {
            return false;
        }
        // No valid GBK trail byte lies below 0x40, so these bytes are what
        // they look like wherever they stand.
        for (unsigned char c : part) {
            if (c < 0x20 || c == 0x7F || c == '/' || c == ':') {
                return false;
            }
        }
    }
    return true;
}

}  // namespace cpkpath
