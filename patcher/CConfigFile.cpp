#include "patcher/CConfigFile.h"

#include <cstdlib>

#include "cpk/NameCRC.h"
#include "platform/file.h"
#include "platform/text.h"

namespace {

// Index of the first of stops at or after from, on a character boundary of
// the GBK text (a trail byte may look like "]"); end when none.
size_t FindStop(const std::string& s, size_t from, size_t end, const char* stops) {
    for (size_t i = from; i < end; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (platform::IsGbkLeadByte(c)) {
            ++i;
            continue;
        }
        for (const char* p = stops; *p; ++p) {
            if (c == static_cast<unsigned char>(*p)) {
                return i;
            }
        }
    }
    return end;
}

// Leading blanks skipped, the text ends at ";" or a tab, trailing blanks
// dropped.
std::string Clean(const std::string& s) {
    size_t b = 0;
    while (b < s.size() && (s[b] == ' ' || s[b] == '\t')) {
        ++b;
    }
    size_t e = FindStop(s, b, s.size(), ";\t");
    while (e > b && s[e - 1] == ' ') {
        --e;
    }
    return s.substr(b, e - b);
}

// At most kMaxNameLength bytes, without a lead byte left alone at the end,
// and nothing after a NUL byte (the value is handed out as a C string).
std::string Limit(std::string s) {
    size_t nul = s.find('\0');
    if (nul != std::string::npos) {
        s.resize(nul);
    }
    if (s.size() <= CConfigFile::kMaxNameLength) {
        return s;
    }
    size_t keep = 0;
    while (keep < CConfigFile::kMaxNameLength) {
        size_t step = platform::IsGbkLeadByte(static_cast<unsigned char>(s[keep])) ? 2 : 1;
        if (keep + step > CConfigFile::kMaxNameLength) {
            break;
        }
        keep += step;
    }
    s.resize(keep);
    return s;
}

}  // namespace

bool CConfigFile::Load(const char* path, bool trim) {
    if (path == nullptr) {
        return false;
    }
    auto read = platform::ReadWholeFile(path);
    if (!read || read->empty()) {
        return false;
    }
    std::string data = std::move(read.value());
    data += "\r\n";

    // Section starts: a "[" first in the file or right after a "\n".
    size_t sections = 0;
    size_t pos = data[0] == '[' ? 0 : data.find("\n[");
    if (pos != std::string::npos && data[pos] == '\n') {
        ++pos;
    }
    while (pos != std::string::npos && sections < kMaxSections) {
        size_t next = data.find("\n[", pos);
        size_t sectionEnd = next == std::string::npos ? data.size() : next + 1;
        ++sections;

        size_t nameEnd = FindStop(data, pos + 1, sectionEnd, "]\r\n");
        std::string section = data.substr(pos + 1, nameEnd - pos - 1);
        if (trim) {
            section = Clean(section);
        }
        section = Limit(section);

        // The lines after the header line, up to the next section.
        size_t line = data.find('\n', pos);
        line = line == std::string::npos || line >= sectionEnd ? sectionEnd : line + 1;
        while (line < sectionEnd) {
            size_t lineEnd = FindStop(data, line, sectionEnd, "\r\n");
            size_t eq = FindStop(data, line, lineEnd, "=");
            if (eq < lineEnd) {
                std::string key = data.substr(line, eq - line);
                std::string value = data.substr(eq + 1, lineEnd - eq - 1);
                if (trim) {
                    key = Clean(key);
                    value = Clean(value);
                }
                Insert(section, Limit(key), Limit(value));
            }
            size_t nl = data.find('\n', lineEnd);
            line = nl == std::string::npos ? sectionEnd : nl + 1;
        }
        pos = next == std::string::npos ? std::string::npos : next + 1;
    }
    return true;
}

void CConfigFile::Insert(const std::string& section, const std::string& key,
                         const std::string& value) {
    std::string joined = section + " " + key;
    uint32_t hash = ComputeNameCRC(joined.c_str());
    std::lock_guard<std::mutex> lock(mu_);
    values_.emplace(hash, value);  // a key already present keeps its first value
}

const char* CConfigFile::GetString(const char* sectionAndKey) const {
    if (sectionAndKey == nullptr) {
        return "";
    }
    uint32_t hash = ComputeNameCRC(sectionAndKey);
    std::lock_guard<std::mutex> lock(mu_);
    auto it = values_.find(hash);
    // Map nodes never move, so the text stays valid while the store lives.
    return it == values_.end() ? "" : it->second.c_str();
}

int32_t CConfigFile::GetInt(const char* sectionAndKey) const {
    const char* s = GetString(sectionAndKey);
    // Read like atoi, but saturate instead of overflowing.
    long long v = std::strtoll(s, nullptr, 10);
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

size_t CConfigFile::Count() const {
    std::lock_guard<std::mutex> lock(mu_);
    return values_.size();
}
