// The one HTTP layer of the patcher: fetches a page or a part of a file over
// http:// or https:// (nothing else), following redirects, with bounds on
// connecting, on silence and on the whole fetch, on how many body bytes are
// kept, and with a way to end it from another thread. One implementation per
// platform (libcurl on POSIX, WinHTTP on Windows), chosen by the build.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace http {

struct FetchOptions {
    // Byte range: when useRange, sends "Range: bytes=first-" or "first-last"
    // (rangeLast inclusive, not below rangeFirst). A server may answer with
    // the whole body (200): result.range then stays unset. With a sink and a
    // range that does not start at the first byte, such an answer fails
    // ("HTTP 200 with the whole file for a range") and the sink gets nothing.
    bool useRange = false;
    std::uint64_t rangeFirst = 0;
    std::optional<std::uint64_t> rangeLast;
    // The file's size, where the caller knows it. A 206 answer is checked
    // before its first body byte goes anywhere: one for another range than
    // asked, or (with rangeTotal) for a file of another size, fails and the
    // sink gets nothing of it.
    std::optional<std::uint64_t> rangeTotal;
    // Redirects followed, also to other hosts (http and https only); one
    // more than this is a failure "too many redirects".
    int maxRedirects = 5;
    // Bounds: to connect; of silence once connected (no byte for this long,
    // the TLS handshake included); of the whole fetch, redirects included.
    std::chrono::milliseconds connectTimeout{10000};
    std::chrono::milliseconds stallTimeout{15000};
    std::chrono::milliseconds overallTimeout{60000};
    // Body bytes kept (or given to sink); the fetch stops there, with
    // result.cut set, and still succeeds.
    std::uint64_t maxBytes = 1 << 20;
    // A PEM file (system path) of an extra certificate authority trusted
    // besides the system's, for servers with certificates of their own.
    std::string caFile;
    // Set by another thread to end the fetch soon (failure "cancelled"). The
    // flag must outlive the fetch.
    const std::atomic<bool>* cancel = nullptr;
    // When set, body bytes of a 2xx answer go here, in order, instead of into
    // result.body (maxBytes still applies); returning false ends the fetch
    // (failure "stopped by the receiver"). Called on the fetching thread.
    std::function<bool(const char* data, std::size_t size)> sink;
};

struct FetchResult {
    // A 2xx answer whose body was read to its end or to maxBytes.
    bool ok = false;
    // The last HTTP status, 0 when no answer arrived.
    int status = 0;
    // Why the fetch failed: one line of ASCII ("HTTP 404", "connection
    // refused", "timed out: no data for 15 s", "too many redirects",
    // "cancelled", ...). Empty when ok.
    std::string error;
    std::string body;
    // Content-Type as sent ("text/html; charset=gbk"), and its charset
    // parameter in lower case ("" when none).
    std::string contentType;
    std::string charset;
    // The address of the last answer, after redirects.
    std::string finalUrl;
    // The body was cut at maxBytes.
    bool cut = false;
    // Content-Length of the last answer.
    std::optional<std::uint64_t> contentLength;
    // Of a 206 answer: "bytes a-b/total" gives range (a, b), inclusive, and
    // rangeTotal (unset for "/*").
    std::optional<std::uint64_t> rangeTotal;
    std::optional<std::pair<std::uint64_t, std::uint64_t>> range;
};

// Fetches url on the calling thread; blocks until done, failed or cancelled.
// Safe to call from several threads at once.
FetchResult Fetch(const std::string& url, const FetchOptions& options = {});

// Fetches one URL on a thread of its own and calls done once, on that
// thread, with the result. Cancel() or the destructor ends a running fetch
// promptly (within the stall bound at the latest) and waits for the thread;
// done is still called, with the failure "cancelled". Start, Cancel and the
// destructor belong to the owning thread; done may call Cancel() and
// Running() but must not destroy the loader.
class PageLoader {
public:
    PageLoader();
    ~PageLoader();
    PageLoader(const PageLoader&) = delete;
    PageLoader& operator=(const PageLoader&) = delete;

    // Starts a fetch; a fetch still running is cancelled and waited for
    // first. The loader's own cancel flag replaces options.cancel.
    void Start(std::string url, FetchOptions options, std::function<void(FetchResult)> done);
    void Cancel();
    // True from Start until done has returned.
    bool Running() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace http
