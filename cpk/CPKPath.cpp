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
    std::vector<std::string> parts;
    std::string current;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (platform::IsGbkLeadByte(c) && i + 1 < path.size()) {
            current += path[i];
            current += path[++i];
        } else if (c == '\\') {
            if (!current.empty()) {
                parts.push_back(current);
            }
            current.clear();
        } else {
            current += path[i];
        }
    }
    if (!current.empty()) {
        parts.push_back(current);
    }
    return parts;
}

std::string LastComponent(const std::string& path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (platform::IsGbkLeadByte(c) && i + 1 < path.size()) {
            ++i;
        } else if (c == '\\') {
            start = i + 1;
        }
    }
    return path.substr(start);
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
