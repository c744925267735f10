#include "patcher/VersionMessages.h"

#include "platform/text.h"

#include <algorithm>
#include <cstring>
#include <string_view>

void PutU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

uint16_t GetU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t GetU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

std::optional<uint16_t> MessageType(const uint8_t* body, size_t size) {
    if (size < kMsgHeaderSize) {
        return std::nullopt;
    }
    return GetU16(body);
}

std::vector<uint8_t> MakeFrame(const std::vector<uint8_t>& body) {
    std::vector<uint8_t> frame;
    frame.reserve(kFrameLengthSize + body.size());
    PutU32(frame, static_cast<uint32_t>(body.size()));
    frame.insert(frame.end(), body.begin(), body.end());
    return frame;
}

namespace {

// Starts a body with its header; the size is patched in by Finish.
std::vector<uint8_t> Begin(uint16_t type) {
    std::vector<uint8_t> body;
    PutU16(body, type);
    PutU16(body, 0);
    return body;
}

std::vector<uint8_t> Finish(std::vector<uint8_t> body) {
    body[2] = static_cast<uint8_t>(body.size());
    body[3] = static_cast<uint8_t>(body.size() >> 8);
    return body;
}

bool IsType(const uint8_t* body, size_t size, uint16_t type, size_t minSize) {
    return size >= minSize && MessageType(body, size) == type;
}

}  // namespace

std::vector<uint8_t> EncodeVersionRequest(const VersionRequest& request) {
    std::vector<uint8_t> body = Begin(kMsgVersionRequest);
    PutU32(body, static_cast<uint32_t>(request.version));
    PutU32(body, static_cast<uint32_t>(request.lineType));
    return Finish(std::move(body));
}

std::optional<VersionRequest> DecodeVersionRequest(const uint8_t* body, size_t size) {
    if (!IsType(body, size, kMsgVersionRequest, kVersionRequestSize)) {
        return std::nullopt;
    }
    VersionRequest r;
    r.version = static_cast<int32_t>(GetU32(body + 4));
    r.lineType = static_cast<int32_t>(GetU32(body + 8));
    return r;
}

std::vector<uint8_t> EncodeDownloadAddress(const IPv4Bytes& address) {
    std::vector<uint8_t> body = Begin(kMsgDownloadAddress);
    PutU32(body, 0);
    body.insert(body.end(), address.begin(), address.end());
    return Finish(std::move(body));
}

std::optional<IPv4Bytes> DecodeDownloadAddress(const uint8_t* body, size_t size) {
    if (!IsType(body, size, kMsgDownloadAddress, kDownloadAddressSize)) {
        return std::nullopt;
    }
    return IPv4Bytes{body[8], body[9], body[10], body[11]};
}

namespace {

bool IsWebMirrorText(const std::string& base) {
    if (base.empty() || base.size() > kWebMirrorMax) {
        return false;
    }
    for (unsigned char c : base) {
        if (c <= ' ' || c >= 0x7F) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::vector<uint8_t>> EncodeWebMirror(const std::string& base) {
    if (!IsWebMirrorText(base)) {
        return std::nullopt;
    }
    std::vector<uint8_t> body = Begin(kMsgWebMirror);
    body.insert(body.end(), base.begin(), base.end());
    body.push_back(0);
    return Finish(std::move(body));
}

std::optional<std::string> DecodeWebMirror(const uint8_t* body, size_t size) {
    if (!IsType(body, size, kMsgWebMirror, kMsgHeaderSize + 2)) {
        return std::nullopt;
    }
    const uint8_t* text = body + kMsgHeaderSize;
    const size_t room = std::min(size - kMsgHeaderSize, kWebMirrorMax + 1);
    const void* nul = std::memchr(text, 0, room);
    if (nul == nullptr) {
        return std::nullopt;
    }
    std::string base(reinterpret_cast<const char*>(text), static_cast<const uint8_t*>(nul) - text);
    if (!IsWebMirrorText(base)) {
        return std::nullopt;
    }
    return base;
}

std::string DottedAddress(const IPv4Bytes& a) {
    return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." +
           std::to_string(a[3]);
}

std::optional<IPv4Bytes> ParseDottedAddress(const std::string& text) {
    IPv4Bytes out{};
    size_t pos = 0;
    for (size_t part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.') {
                return std::nullopt;
            }
            ++pos;
        }
        size_t digits = 0;
        unsigned value = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 3) {
            value = value * 10 + static_cast<unsigned>(text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0 || value > 255) {
            return std::nullopt;
        }
        out[part] = static_cast<uint8_t>(value);
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    return out;
}

std::vector<uint8_t> EncodeVersionResult(const VersionResult& result) {
    std::vector<uint8_t> body = Begin(kMsgVersionResult);
    PutU32(body, 0);
    PutU32(body, static_cast<uint32_t>(result.targetVersion));
    PutU32(body, result.fileCount);
    body.push_back(result.code);
    return Finish(std::move(body));
}

std::optional<VersionResult> DecodeVersionResult(const uint8_t* body, size_t size) {
    if (!IsType(body, size, kMsgVersionResult, kVersionResultSize)) {
        return std::nullopt;
    }
    VersionResult r;
    r.targetVersion = static_cast<int32_t>(GetU32(body + 8));
    r.fileCount = GetU32(body + 12);
    r.code = body[16];
    return r;
}

size_t FileListItemSize(const FileListItem& item) {
    return item.path.size() + 1 + item.md5.size() + 1;
}

std::optional<std::vector<std::vector<uint8_t>>> EncodeFileList(
    const std::vector<FileListItem>& items) {
    std::vector<std::vector<uint8_t>> bodies;
    size_t i = 0;
    while (i < items.size()) {
        std::vector<uint8_t> body = Begin(kMsgFileList);
        PutU32(body, 0);
        uint32_t count = 0;
        while (i < items.size()) {
            const FileListItem& item = items[i];
            if (item.path.find('\0') != std::string::npos ||
                item.md5.find('\0') != std::string::npos ||
                kFileListHeaderSize + FileListItemSize(item) > kMaxFrameBody) {
                return std::nullopt;
            }
            if (body.size() + FileListItemSize(item) > kMaxFrameBody) {
                break;
            }
            body.insert(body.end(), item.path.begin(), item.path.end());
            body.push_back(0);
            body.insert(body.end(), item.md5.begin(), item.md5.end());
            body.push_back(0);
            ++count;
            ++i;
        }
        for (int b = 0; b < 4; ++b) {
            body[4 + b] = static_cast<uint8_t>(count >> (8 * b));
        }
        bodies.push_back(Finish(std::move(body)));
    }
    return bodies;
}

namespace {

// The NUL-terminated string at pos, or nullopt when the body ends first.
std::optional<std::string> ReadCString(const uint8_t* body, size_t size, size_t& pos) {
    for (size_t end = pos; end < size; ++end) {
        if (body[end] == 0) {
            std::string s(reinterpret_cast<const char*>(body + pos), end - pos);
            pos = end + 1;
            return s;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<FileListItem>> DecodeFileList(const uint8_t* body, size_t size) {
    if (!IsType(body, size, kMsgFileList, kFileListHeaderSize)) {
        return std::nullopt;
    }
    uint32_t count = GetU32(body + 4);
    // Every entry takes at least its two terminators.
    if (count > (size - kFileListHeaderSize) / 2) {
        return std::nullopt;
    }
    std::vector<FileListItem> items;
    items.reserve(count);
    size_t pos = kFileListHeaderSize;
    for (uint32_t n = 0; n < count; ++n) {
        auto path = ReadCString(body, size, pos);
        if (!path) {
            return std::nullopt;
        }
        auto md5 = ReadCString(body, size, pos);
        if (!md5) {
            return std::nullopt;
        }
        items.push_back(FileListItem{std::move(*path), std::move(*md5)});
    }
    return items;
}

SplitPath SplitPatchPath(const std::string& path) {
    SplitPath out;
    if (path.size() < 3) {
        return out;
    }
    // A "\" in front is part of the name, not the end of a folder.
    size_t separator = platform::LastSeparator(path, platform::PathSeparators::kBackslash);
    if (separator == 0) {
        separator = std::string::npos;
    }
    if (separator == std::string::npos) {
        out.fileName = path;
    } else {
        out.directory = path.substr(0, separator);
        out.fileName = path.substr(separator + 1);
    }
    return out;
}

namespace {

bool EndsWithIgnoringCase(const std::string& a, const std::string& suffix) {
    return a.size() >= suffix.size() &&
           platform::EqualsIgnoringAsciiCase(std::string_view(a).substr(a.size() - suffix.size()),
                                             suffix);
}

// Windows opens these as devices in any folder, whatever follows the first
// dot, and also with blanks before it.
bool IsDeviceName(const std::string& name) {
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') {
        base.pop_back();
    }
    for (const char* device : {"con", "prn", "aux", "nul", "clock$", "conin$", "conout$"}) {
        if (platform::EqualsIgnoringAsciiCase(base, device)) {
            return true;
        }
    }
    if (base.size() == 4 && (platform::EqualsIgnoringAsciiCase(base.substr(0, 3), "com") ||
                             platform::EqualsIgnoringAsciiCase(base.substr(0, 3), "lpt"))) {
        return base[3] >= '0' && base[3] <= '9';
    }
    return false;
}

// Why one part between separators cannot be part of a package's path.
const char* PartProblem(const std::string& part) {
    if (part.empty()) {
        return "an empty part";
    }
    if (part == "." || part == "..") {
        return "a \".\" or \"..\" part";
    }
    for (size_t i = 0; i < part.size(); ++i) {
        const auto c = static_cast<unsigned char>(part[i]);
        if (c >= 0x81 && c <= 0xFE) {
            const auto trail = i + 1 < part.size() ? static_cast<unsigned char>(part[i + 1]) : 0;
            if (trail < 0x40 || trail == 0x7F || trail == 0xFF) {
                return "a broken GBK character";
            }
            if (trail == '\\' || trail == '|') {
                return "a GBK character that reads as a separator without GBK";
            }
            ++i;
            continue;
        }
        if (c < 0x20 || c >= 0x7F) {
            return "a control character or a byte that is no character";
        }
        if (std::string_view("/\\:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos) {
            return "one of / \\ : * ? \" < > |";
        }
    }
    if (part.back() == '.' || part.back() == ' ') {
        return "a name that ends in a dot or a blank";
    }
    if (part.front() == ' ') {
        return "a name that starts with a blank";
    }
    if (IsDeviceName(part)) {
        return "a device name";
    }
    return nullptr;
}

}  // namespace

std::string PatchPathProblem(const std::string& path) {
    const SplitPath split = SplitPatchPath(path);
    if (split.fileName.empty()) {
        return "no file name";
    }
    if (const char* why = PartProblem(split.fileName)) {
        return std::string("the file name has ") + why;
    }
    // The downloader keeps these beside the packages.
    for (const char* suffix : {".minisig", ".jat"}) {
        if (EndsWithIgnoringCase(split.fileName, suffix)) {
            return std::string("the file name ends in ") + suffix + ", as the download's own files";
        }
    }
    for (const char* own : {"release.txt", "undo"}) {
        if (platform::EqualsIgnoringAsciiCase(split.fileName, own)) {
            return std::string("the file name is the download's own ") + own;
        }
    }
    if (!split.directory.empty()) {
        for (const std::string& part :
             platform::Split(split.directory, platform::PathSeparators::kBackslash)) {
            if (const char* why = PartProblem(part)) {
                return std::string("the folder has ") + why;
            }
        }
        // Split drops empty parts: a doubled, leading or trailing "\".
        if (split.directory.front() == '\\' || split.directory.back() == '\\' ||
            split.directory.find("\\\\") != std::string::npos) {
            return "the folder has an empty part";
        }
    }
    return std::string();
}

std::optional<PatchFileEntry> MakePatchFileEntry(const FileListItem& item) {
    static const std::string kDownloadFolder = "download\\";
    if (!PatchPathProblem(item.path).empty()) {
        return std::nullopt;
    }
    SplitPath split = SplitPatchPath(item.path);
    if (split.directory.size() > kPatchPathMax ||
        kDownloadFolder.size() + split.fileName.size() > kPatchPathMax) {
        return std::nullopt;
    }
    PatchFileEntry e;
    e.directory = std::move(split.directory);
    e.fileName = std::move(split.fileName);
    e.localPath = kDownloadFolder + e.fileName;
    e.md5Text = item.md5.substr(0, kMd5TextLength);
    return e;
}
