// Fetch on POSIX, with libcurl's easy interface: one handle per fetch, no
// shared state but the library's one-time initialisation.
#include <curl/curl.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <memory>
#include <mutex>

#include "FetchCommon.h"
#include "http/Fetch.h"
#include "platform/file.h"
#include "platform/fs.h"

namespace http {
namespace {

using Clock = std::chrono::steady_clock;

// libcurl's receive buffer (its default is 16 KiB).
constexpr long kReceiveBufferBytes = 256 * 1024;

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// Lower-case ASCII copy, for header names.
std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return s;
}

// What one fetch keeps while libcurl runs it.
struct Transfer {
    Transfer(FetchResult& result, const FetchOptions& options)
        : options(options), body(result, options) {}

    const FetchOptions& options;
    CURL* handle = nullptr;
    detail::BodyCollector body;
    // The headers of the answer being read; a new status line (the next
    // answer of a redirect, or the real one after "100 Continue") clears them.
    std::string contentType, contentLength, contentRange;
    bool full = false;          // maxBytes reached
    bool wholeFile = false;     // the whole file came for a range (not handed on)
    bool rangeChecked = false;  // the headers of the answer were judged
    std::string wrongRange;     // why a 206 answer was not the range asked (not handed on)
    bool cancelled = false;     // options.cancel was seen
    bool stalled = false;       // stall bound ran out
    Clock::time_point lastByte = Clock::now();
};

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    t->lastByte = Clock::now();
    std::string line(data, n);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    if (line.compare(0, 5, "HTTP/") == 0) {
        t->contentType.clear();
        t->contentLength.clear();
        t->contentRange.clear();
        return n;
    }
    const size_t colon = line.find(':');
    if (colon == std::string::npos) {
        return n;
    }
    const std::string name = Lower(line.substr(0, colon));
    size_t start = line.find_first_not_of(" \t", colon + 1);
    std::string value = start == std::string::npos ? "" : line.substr(start);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
        value.pop_back();
    }
    if (name == "content-type") {
        t->contentType = value;
    } else if (name == "content-length") {
        t->contentLength = value;
    } else if (name == "content-range") {
        t->contentRange = value;
    }
    return n;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    t->lastByte = Clock::now();
    long status = 0;
    curl_easy_getinfo(t->handle, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) {
        return n;  // the body of an error page is not wanted
    }
    if (detail::WholeFileForRange(static_cast<int>(status), t->options)) {
        t->wholeFile = true;
        return 0;
    }
    if (!t->rangeChecked) {
        t->rangeChecked = true;
        FetchResult headers;
        headers.status = static_cast<int>(status);
        detail::ReadHeaders(headers, t->contentType, t->contentLength, t->contentRange);
        t->wrongRange = detail::RangeProblem(headers, t->options);
    }
    if (!t->wrongRange.empty()) {
        return 0;
    }
    switch (t->body.Add(data, n)) {
        case detail::BodyCollector::Take::kMore:
            return n;
        case detail::BodyCollector::Take::kFull:
            t->full = true;
            return 0;  // ends the transfer with CURLE_WRITE_ERROR
        case detail::BodyCollector::Take::kStopped:
            return 0;
    }
    return 0;
}

// Called by libcurl at least about once a second, also while nothing
// arrives: the place for the cancel flag and the stall bound.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* t = static_cast<Transfer*>(user);
    if (t->options.cancel != nullptr && t->options.cancel->load()) {
        t->cancelled = true;
        return 1;
    }
    const Clock::time_point now = Clock::now();
    // Connecting has a bound of its own; silence counts from the connection.
    curl_off_t connected = 0;
    if (curl_easy_getinfo(t->handle, CURLINFO_CONNECT_TIME_T, &connected) != CURLE_OK ||
        connected == 0) {
        t->lastByte = now;
        return 0;
    }
    if (now - t->lastByte >= t->options.stallTimeout) {
        t->stalled = true;
        return 1;
    }
    return 0;
}

// The system's certificate authorities and the extra one, as one PEM blob:
// setting a CA file alone would replace the system's.
std::string CaBundle(CURL* handle, const std::string& caFile, std::string& error) {
    std::string bundle;
    char* systemFile = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_CAINFO, &systemFile) == CURLE_OK &&
        systemFile != nullptr) {
        if (auto text = platform::ReadWholeFile(platform::SystemPathFromNative(systemFile))) {
            bundle = *text + "\n";
        }
    }
    auto extra = platform::ReadWholeFile(caFile);
    if (!extra) {
        error = "cannot read the CA file " + caFile;
        return "";
    }
    return bundle + *extra;
}

std::string ConnectError(CURL* handle, const std::string& detail) {
    long osError = 0;
    curl_easy_getinfo(handle, CURLINFO_OS_ERRNO, &osError);
    if (osError == ECONNREFUSED) {
        return detail::kConnectionRefused;
    }
    return "cannot connect: " + detail;
}

// A bound for libcurl, which reads 0 as "none": at least 1 ms.
long Millis(std::chrono::milliseconds bound) {
    const long long ms = bound.count();
    if (ms < 1) {
        return 1;
    }
    return ms > std::numeric_limits<long>::max() ? std::numeric_limits<long>::max()
                                                 : static_cast<long>(ms);
}

std::once_flag curlInitOnce;

}  // namespace

FetchResult Fetch(const std::string& url, const FetchOptions& options) {
    std::call_once(curlInitOnce, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    FetchResult result;
    result.finalUrl = url;
    // libcurl would guess a scheme for an address without one.
    const std::string scheme = Lower(url.substr(0, url.find("://") + 1));
    if (url.find("://") == std::string::npos || (scheme != "http:" && scheme != "https:")) {
        result.error = "not an http or https address";
        return result;
    }
    CurlHandle handle(curl_easy_init());
    if (!handle) {
        result.error = "cannot start a transfer";
        return result;
    }
    Transfer t(result, options);
    t.handle = handle.get();
    char errorText[CURL_ERROR_SIZE] = {};
    CURL* h = handle.get();

    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, static_cast<long>(std::max(options.maxRedirects, 0)));
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, Millis(options.connectTimeout));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, Millis(options.overallTimeout));
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    // Large reads: a fast link fills the socket faster than 16 KiB a call.
    curl_easy_setopt(h, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    std::string range;
    if (options.useRange) {
        if (options.rangeLast && *options.rangeLast < options.rangeFirst) {
            result.error = "empty byte range";
            return result;
        }
        range = detail::RangeSpec(options);
        curl_easy_setopt(h, CURLOPT_RANGE, range.c_str());
    }
    std::string bundle;
    if (!options.caFile.empty()) {
        bundle = CaBundle(h, options.caFile, result.error);
        if (!result.error.empty()) {
            return result;
        }
        curl_blob blob{bundle.data(), bundle.size(), CURL_BLOB_NOCOPY};
        curl_easy_setopt(h, CURLOPT_CAINFO_BLOB, &blob);
    }

    const CURLcode code = curl_easy_perform(h);

    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    result.status = static_cast<int>(status);
    char* effective = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective) {
        result.finalUrl = effective;
    }
    if (result.status != 0) {
        detail::ReadHeaders(result, t.contentType, t.contentLength, t.contentRange);
    }
    const std::string detail =
        detail::OneLine(errorText[0] != '\0' ? errorText : curl_easy_strerror(code));

    if (code == CURLE_OK || (code == CURLE_WRITE_ERROR && t.full)) {
        detail::JudgeAnswer(result, options);
        return result;
    }
    result.ok = false;
    if (t.cancelled) {
        result.error = detail::kCancelled;
    } else if (t.stalled) {
        result.error = "timed out: no data for " + detail::DurationText(options.stallTimeout);
    } else if (t.wholeFile) {
        result.error = detail::WholeFileText(result.status);
    } else if (!t.wrongRange.empty()) {
        result.error = t.wrongRange;
    } else if (t.body.stopped()) {
        result.error = detail::kStoppedByReceiver;
    } else {
        switch (code) {
            case CURLE_TOO_MANY_REDIRECTS:
                result.error = detail::kTooManyRedirects;
                break;
            case CURLE_COULDNT_CONNECT:
                result.error = ConnectError(h, detail);
                break;
            case CURLE_COULDNT_RESOLVE_HOST:
                result.error = "cannot resolve the host name";
                break;
            case CURLE_OPERATION_TIMEDOUT: {
                curl_off_t connected = 0;
                curl_easy_getinfo(h, CURLINFO_CONNECT_TIME_T, &connected);
                result.error = connected == 0
                                   ? "timed out: connecting for " +
                                         detail::DurationText(options.connectTimeout)
                                   : "timed out: over " +
                                         detail::DurationText(options.overallTimeout) + " in all";
                break;
            }
            case CURLE_PEER_FAILED_VERIFICATION:
                result.error = "server certificate not trusted: " + detail;
                break;
            case CURLE_UNSUPPORTED_PROTOCOL:
                result.error = "not an http or https address";
                break;
            case CURLE_PARTIAL_FILE:
            case CURLE_RECV_ERROR:
            case CURLE_GOT_NOTHING:
                result.error = "connection lost: " + detail;
                break;
            default:
                result.error = detail;
                break;
        }
    }
    return result;
}

}  // namespace http
