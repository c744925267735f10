#include "FetchCommon.h"

#include "http/Headers.h"

namespace http {
namespace detail {

std::string DurationText(std::chrono::milliseconds duration) {
    const long long ms = duration.count();
    if (ms % 1000 == 0) {
        return std::to_string(ms / 1000) + " s";
    }
    return std::to_string(ms) + " ms";
}

std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n' || c == '\t') {
            c = ' ';
        } else if (c < 0x20 || c > 0x7e) {
            c = '?';
        }
        line.push_back(c);
    }
    while (!line.empty() && (line.back() == ' ' || line.back() == '.')) {
        line.pop_back();
    }
    return line;
}

std::string RangeSpec(const FetchOptions& options) {
    std::string bytes = std::to_string(options.rangeFirst) + "-";
    if (options.rangeLast) {
        bytes += std::to_string(*options.rangeLast);
    }
    return bytes;
}

std::string ResolveLocation(const std::string& base, const std::string& location) {
    std::string target = location.substr(0, location.find('#'));
    while (!target.empty() && (target.front() == ' ' || target.front() == '\t')) {
        target.erase(0, 1);
    }
    while (!target.empty() && (target.back() == ' ' || target.back() == '\t')) {
        target.pop_back();
    }
    const size_t schemeEnd = base.find("://");
    if (target.empty() || schemeEnd == std::string::npos || schemeEnd == 0) {
        return "";
    }
    // "scheme:" before any '/', '?' names a scheme: absolute.
    const size_t colon = target.find(':');
    if (colon != std::string::npos && colon > 0 && target.find_first_of("/?", 0) > colon) {
        return target;
    }
    const std::string scheme = base.substr(0, schemeEnd);
    if (target.compare(0, 2, "//") == 0) {
        return scheme + ":" + target;
    }
    const size_t authorityStart = schemeEnd + 3;
    size_t pathStart = base.find_first_of("/?#", authorityStart);
    if (pathStart == std::string::npos) {
        pathStart = base.size();
    }
    const std::string origin = base.substr(0, pathStart);
    if (target.front() == '/') {
        return origin + target;
    }
    std::string path = base.substr(pathStart);
    path = path.substr(0, path.find_first_of("?#"));
    if (target.front() == '?') {
        return origin + (path.empty() ? "/" : path) + target;
    }
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "/" : path.substr(0, slash + 1);
    return origin + folder + target;
}

void ReadHeaders(FetchResult& result, const std::string& contentType,
                 const std::string& contentLength, const std::string& contentRange) {
    result.contentType = contentType;
    result.charset = ContentTypeCharset(contentType);
    result.contentLength = contentLength.empty() ? std::nullopt : ParseContentLength(contentLength);
    result.range.reset();
    result.rangeTotal.reset();
    if (result.status == 206 && !contentRange.empty()) {
        if (auto range = ParseContentRange(contentRange)) {
            result.range = std::make_pair(range->first, range->last);
            result.rangeTotal = range->total;
        }
    }
}

std::string RangeProblem(const FetchResult& headers, const FetchOptions& options) {
    if (headers.status != 206) {
        return "";
    }
    if (!headers.range) {
        return "HTTP 206 without a usable Content-Range";
    }
    if (!options.useRange || headers.range->first != options.rangeFirst ||
        (options.rangeLast && headers.range->second > *options.rangeLast)) {
        return "HTTP 206 for another range than asked";
    }
    if (options.rangeTotal && headers.rangeTotal && *headers.rangeTotal != *options.rangeTotal) {
        return "HTTP 206 for a file of " + std::to_string(*headers.rangeTotal) + " bytes, not " +
               std::to_string(*options.rangeTotal);
    }
    return "";
}

void JudgeAnswer(FetchResult& result, const FetchOptions& options) {
    result.ok = false;
    if (result.status < 200 || result.status > 299) {
        result.error = "HTTP " + std::to_string(result.status);
        return;
    }
    if (std::string why = RangeProblem(result, options); !why.empty()) {
        result.error = why;
        return;
    }
    result.ok = true;
    result.error.clear();
}

bool WholeFileForRange(int status, const FetchOptions& options) {
    return options.sink && options.useRange && options.rangeFirst > 0 && status != 206;
}

std::string WholeFileText(int status) {
    return "HTTP " + std::to_string(status) + " with the whole file for a range";
}

BodyCollector::Take BodyCollector::Add(const char* data, std::size_t size) {
    if (stopped_) {
        return Take::kStopped;
    }
    const std::uint64_t room = options_.maxBytes > bytes_ ? options_.maxBytes - bytes_ : 0;
    std::size_t take = size;
    if (take > room) {
        take = static_cast<std::size_t>(room);
        result_.cut = true;
    }
    if (take > 0) {
        if (options_.sink) {
            if (!options_.sink(data, take)) {
                stopped_ = true;
                return Take::kStopped;
            }
        } else {
            result_.body.append(data, take);
        }
        bytes_ += take;
    }
    // A body of exactly maxBytes is whole: only bytes beyond it cut it.
    return result_.cut ? Take::kFull : Take::kMore;
}

}  // namespace detail
}  // namespace http
