// Readers of what an FTP server sends on the control connection: reply
// lines, the SIZE answer and the PASV address. Everything here is untrusted
// input; every reader answers a failure rather than a guess.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// A reply line, with its "\r\n", holds at most this many bytes; a longer
// line fails the step that waits for it.
constexpr size_t kReplyBytesMax = 1024;

// Gathers one reply line byte by byte.
class ReplyLine {
public:
    enum class State { kMore, kDone, kOverlong };

    // Takes the next byte: kDone after the "\n" that ends the line, kOverlong
    // when kReplyBytesMax bytes came without one (the line is then useless).
    State Feed(char c);
    void Clear() { text_.clear(); }
    // The bytes so far, cut at the first "\r\n" once the line is done.
    std::string Text() const;
    size_t size() const { return text_.size(); }

private:
    std::string text_;
};

// The reply code of a complete line: its first three characters when they
// are decimal digits (100..599), and 0 for anything else, including the
// first line of a multi-line reply (a "-" after the code), which the
// downloader treats as a failure.
int ReplyCode(const std::string& line);

// The size in a "213 <n>" reply: the decimal number after the first blank,
// 0..0x7FFFFFFF (sizes are signed 32-bit in the patch list). Nothing for a
// missing, signed, malformed or larger number.
std::optional<int32_t> ParseSizeReply(const std::string& line);

struct PasvAddress {
    uint8_t host[4];
    uint16_t port;
    std::string Dotted() const;
};
// The address in a "227 ... (h1,h2,h3,h4,p1,p2)" reply: six decimal numbers
// of 0..255 between the first "(" and the ")" after it, blanks around them
// allowed. Nothing when a parenthesis or a number is missing or out of range,
// or the port is 0.
std::optional<PasvAddress> ParsePasvReply(const std::string& line);

// The path the server is asked for (SIZE and RETR alike): "/" followed by
// the directory and the file name, the system's "\" separators written as
// "/" (a "\" that is the second byte of a GBK character stays).
std::string RemoteFilePath(const std::string& directory, const std::string& fileName);
