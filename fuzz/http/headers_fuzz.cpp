// Any bytes as the value of each header the fetcher reads. What a reader
// accepts must keep its promises (a range in order and within its total, a
// charset of bounded length made of lower-case token characters), and a
// range or length written out again must read back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "http/Headers.h"

namespace {

void Check(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

bool IsCharsetChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view value(reinterpret_cast<const char*>(data), size);

    if (auto range = http::ParseContentRange(value)) {
        Check(range->first <= range->last);
        Check(!range->total || *range->total > range->last);
        const std::string again = "bytes " + std::to_string(range->first) + "-" +
                                  std::to_string(range->last) + "/" +
                                  (range->total ? std::to_string(*range->total) : "*");
        auto reread = http::ParseContentRange(again);
        Check(reread && reread->first == range->first && reread->last == range->last &&
              reread->total == range->total);
    }

    const std::string charset = http::ContentTypeCharset(value);
    Check(charset.size() <= http::kMaxCharsetLength);
    for (char c : charset) {
        Check(IsCharsetChar(c));
    }
    if (!charset.empty()) {
        Check(http::ContentTypeCharset("text/html; charset=" + charset) == charset);
    }

    if (auto length = http::ParseContentLength(value)) {
        Check(http::ParseContentLength(std::to_string(*length)) == length);
    }
    return 0;
}
