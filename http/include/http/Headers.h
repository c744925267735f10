// Readers of the few HTTP header values the fetcher interprets itself. They
// take the value as the server sent it (the field name and colon removed),
// accept what well-behaved servers send, and refuse everything else rather
// than guess: a refused Content-Range or Content-Length is treated as absent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace http {

// The longest charset name ContentTypeCharset gives back; longer ones are
// not names of character sets.
constexpr std::size_t kMaxCharsetLength = 40;

// "bytes FIRST-LAST/TOTAL" or "bytes FIRST-LAST/*" of a 206 answer.
struct ContentRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0;              // inclusive, >= first
    std::optional<std::uint64_t> total;  // > last when known
};

// A satisfied byte range; nullopt for anything else (another unit, the
// unsatisfied form "bytes */TOTAL", numbers out of order or beyond 64 bits).
std::optional<ContentRange> ParseContentRange(std::string_view value);

// The charset parameter of a Content-Type value ("text/html; charset=GBK"
// gives "gbk"), token or quoted string, in ASCII lower case; "" when there is
// none or it is not a plausible name.
std::string ContentTypeCharset(std::string_view contentType);

// A Content-Length value: decimal digits with optional blanks around, or a
// list of identical such values ("42, 42", as some proxies merge them);
// nullopt for anything else or a number beyond 64 bits.
std::optional<std::uint64_t> ParseContentLength(std::string_view value);

}  // namespace http
