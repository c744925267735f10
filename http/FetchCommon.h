// What both back ends of Fetch share: the body's bounds, the texts of
// failures, and the reading of the answer's headers into the result.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "http/Fetch.h"

namespace http {
namespace detail {

// "15 s", or "1500 ms" when not whole seconds.
std::string DurationText(std::chrono::milliseconds duration);

// Text from a library or the system as one line of printable ASCII: other
// bytes become '?', line breaks spaces, trailing blanks and dots go.
std::string OneLine(const std::string& text);

// "first-" or "first-last" of a byte range, without the unit.
std::string RangeSpec(const FetchOptions& options);

// The address a redirect's Location names, seen from the address base:
// absolute ("https://h/p"), scheme-relative ("//h/p"), path-absolute ("/p"),
// query-only ("?q") or relative to base's folder ("p"). A fragment is
// dropped. "" for an empty Location or a base without scheme and host.
std::string ResolveLocation(const std::string& base, const std::string& location);

// Fills contentType, charset, contentLength, range and rangeTotal from the
// raw header values of the last answer ("" when absent).
void ReadHeaders(FetchResult& result, const std::string& contentType,
                 const std::string& contentLength, const std::string& contentRange);

// Decides ok and error for an answer that arrived and whose body was read
// (or cut): a status other than 2xx fails as "HTTP n"; a 206 must name the
// range asked for, or the bytes would land at the wrong place.
void JudgeAnswer(FetchResult& result, const FetchOptions& options);
// Whether a 206 answer whose headers are read into headers is for the range
// (and file size) asked: "" when it is, else why not. The back ends ask it
// before the first body byte, so that the bytes of a wrong range never
// reach the sink.
std::string RangeProblem(const FetchResult& headers, const FetchOptions& options);

// A sink takes the bytes of its range from the range's first byte on. A 2xx
// answer other than 206 to a range that starts after the file's first byte
// carries the whole file, whose first bytes would land where the range
// belongs: its body is not handed to the sink, and the fetch fails with
// WholeFileText(status). A body kept in result.body is the caller's to judge
// by its status, and a range from the first byte is the same bytes either way.
bool WholeFileForRange(int status, const FetchOptions& options);
std::string WholeFileText(int status);

// Takes body bytes as they arrive: into result.body or options.sink, up to
// options.maxBytes.
class BodyCollector {
public:
    enum class Take { kMore, kFull, kStopped };
    BodyCollector(FetchResult& result, const FetchOptions& options)
        : result_(result), options_(options) {}
    // kFull once a byte beyond maxBytes arrived (result.cut is then set);
    // kStopped when the sink refused.
    Take Add(const char* data, std::size_t size);
    std::uint64_t bytes() const { return bytes_; }
    bool stopped() const { return stopped_; }

private:
    FetchResult& result_;
    const FetchOptions& options_;
    std::uint64_t bytes_ = 0;
    bool stopped_ = false;
};

constexpr const char* kCancelled = "cancelled";
constexpr const char* kStoppedByReceiver = "stopped by the receiver";
constexpr const char* kTooManyRedirects = "too many redirects";
constexpr const char* kConnectionRefused = "connection refused";

}  // namespace detail
}  // namespace http
