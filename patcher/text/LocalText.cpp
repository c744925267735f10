#include "patcher/text/LocalText.h"

#include <cstring>

#include "platform/file.h"
#include "platform/text.h"

namespace {

// Each thread hands out translations from a ring of its own, so a pointer
// given to one thread is never overwritten by another thread's lookups.
struct ResultRing {
    char bytes[LocalTextTable::kRingSize];
    size_t next = 0;
};

ResultRing& Ring() {
    thread_local ResultRing ring;
    return ring;
}

// First position at or after from where pattern starts on a character
// boundary of the GBK text; npos if none.
size_t FindOnCharBoundary(const std::string& text, const std::string& pattern, size_t from) {
    for (size_t i = from; i + pattern.size() <= text.size();) {
        if (std::memcmp(text.data() + i, pattern.data(), pattern.size()) == 0) {
            return i;
        }
        i += platform::IsGbkLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    }
    return std::string::npos;
}

}  // namespace

LocalTextTable::LocalTextTable(std::string path) : path_(std::move(path)) {}

void LocalTextTable::LoadLocked() {
    loaded_ = true;
    auto text = platform::ReadWholeFile(path_);
    if (!text) {
        missing_ = true;
        return;
    }
    text_ = std::move(text.value());
    fileSize_ = text_.size();
}

const char* LocalTextTable::Lookup(const char* text) {
    if (text == nullptr) {
        return text;
    }
    std::lock_guard<std::mutex> lock(mu_);
    ResultRing& ring = Ring();
    if (ring.next >= kRingSize) {
        ring.next = 0;
    }
    if (!loaded_) {
        LoadLocked();
    }
    if (missing_) {
        return text;
    }
    std::string pattern = "\r\n";
    pattern += text;
    pattern += '=';
    size_t at = FindOnCharBoundary(text_, pattern, 0);
    if (at == std::string::npos) {
        // Remember the miss: the next lookup of the same text finds an empty
        // translation instead of searching the whole file in vain.
        text_ += pattern;
        text_ += ';';
        return text;
    }
    size_t start = at + pattern.size();
    // A translation ends within the file: the misses remembered after it are
    // not part of any translation.
    size_t end = FindOnCharBoundary(text_, ";", start);
    if (end == std::string::npos || end >= fileSize_ || end == start) {
        return text;
    }
    size_t length = end - start;
    if (length > kMaxTranslation) {
        return text;  // would not fit the ring
    }
    if (length + ring.next > kMaxTranslation) {
        ring.next = 0;
    }
    char* out = ring.bytes + ring.next;
    std::memcpy(out, text_.data() + start, length);
    out[length] = '\0';
    ring.next += length + 1;
    return out;
}

void LocalTextTable::Reset() {
    std::lock_guard<std::mutex> lock(mu_);
    loaded_ = false;
    missing_ = false;
    text_.clear();
    fileSize_ = 0;
}

namespace {

LocalTextTable& ProcessTable() {
    static LocalTextTable table("Language.txt");
    return table;
}

}  // namespace

const char* GetLocalText(const char* text) {
    return ProcessTable().Lookup(text);
}

void ResetLocalText() {
    ProcessTable().Reset();
}

std::string FillInText(const std::string& text, const std::string& value) {
    const size_t at = text.find("%s");
    if (at == std::string::npos) {
        return text + value;
    }
    return text.substr(0, at) + value + text.substr(at + 2);
}
