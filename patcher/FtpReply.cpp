#include "patcher/FtpReply.h"

#include <cstdio>

#include "platform/text.h"

ReplyLine::State ReplyLine::Feed(char c) {
    if (text_.size() >= kReplyBytesMax) {
        return State::kOverlong;
    }
    text_.push_back(c);
    if (c == '\n') {
        return State::kDone;
    }
    return text_.size() >= kReplyBytesMax ? State::kOverlong : State::kMore;
}

std::string ReplyLine::Text() const {
    size_t end = text_.find("\r\n");
    return end == std::string::npos ? text_ : text_.substr(0, end);
}

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a decimal number of at most maxDigits digits at line[at], skipping
// blanks before and after it; answers the value and moves at past it.
std::optional<uint32_t> Number(const std::string& line, size_t& at, size_t maxDigits) {
    while (at < line.size() && line[at] == ' ') {
        ++at;
    }
    uint64_t value = 0;
    size_t digits = 0;
    while (at < line.size() && IsDigit(line[at])) {
        if (++digits > maxDigits) {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint64_t>(line[at] - '0');
        ++at;
    }
    if (digits == 0 || value > 0xFFFFFFFFull) {
        return std::nullopt;
    }
    while (at < line.size() && line[at] == ' ') {
        ++at;
    }
    return static_cast<uint32_t>(value);
}

}  // namespace

int ReplyCode(const std::string& line) {
    if (line.size() < 3 || !IsDigit(line[0]) || !IsDigit(line[1]) || !IsDigit(line[2])) {
        return 0;
    }
    if (line.size() > 3 && line[3] == '-') {
        return 0;
    }
    int code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
    return code >= 100 && code <= 599 ? code : 0;
}

std::optional<int32_t> ParseSizeReply(const std::string& line) {
    size_t blank = line.find(' ');
    if (blank == std::string::npos) {
        return std::nullopt;
    }
    size_t at = blank + 1;
    if (at >= line.size() || !IsDigit(line[at])) {
        return std::nullopt;
    }
    auto n = Number(line, at, 10);
    if (!n || *n > 0x7FFFFFFFu || at != line.size()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*n);
}

std::optional<PasvAddress> ParsePasvReply(const std::string& line) {
    size_t open = line.find('(');
    if (open == std::string::npos) {
        return std::nullopt;
    }
    size_t close = line.find(')', open);
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::string inner = line.substr(open + 1, close - open - 1);
    uint32_t v[6];
    size_t at = 0;
    for (int i = 0; i < 6; ++i) {
        auto n = Number(inner, at, 3);
        if (!n || *n > 255) {
            return std::nullopt;
        }
        v[i] = *n;
        if (i < 5) {
            if (at >= inner.size() || inner[at] != ',') {
                return std::nullopt;
            }
            ++at;
        }
    }
    if (at != inner.size()) {
        return std::nullopt;
    }
    PasvAddress a{};
    for (int i = 0; i < 4; ++i) {
        a.host[i] = static_cast<uint8_t>(v[i]);
    }
    a.port = static_cast<uint16_t>(v[4] * 256 + v[5]);
    if (a.port == 0) {
        return std::nullopt;
    }
    return a;
}

std::string PasvAddress::Dotted() const {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", host[0], host[1], host[2], host[3]);
    return text;
}

std::string RemoteFilePath(const std::string& directory, const std::string& fileName) {
    std::string path = "/";
    for (const std::string& part : platform::Split(directory, platform::PathSeparators::kBoth)) {
        path += part + "/";
    }
    return path + fileName;
}
