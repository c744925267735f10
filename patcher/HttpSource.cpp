// The downloader's second source: packages and their signature files from
// the web mirrors of update.ini's [mirror], over http:// or https://. A
// segment's bytes go into the same blocks, queue and writer as an FTP
// transfer's, so the partial file cannot tell where they came from: a
// download begun over one protocol is finished over the other.
//
// A mirror serves the current file once it answers a one-byte range (or the
// whole file, for a server that ignores Range) with the size the FTP server
// gave. A mirror that fails (no connection, an error status, silence, a
// different size, a cut transfer) is dropped for the rest of the run and the
// next one is picked; with none left, the FTP server serves the rest. A run
// with no FTP server behind the mirrors (MirrorSettings::webOnly, ftpfetch
// with a web address) takes the sizes from them too, and ends with the file
// when none is left.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <limits>

#include "http/Fetch.h"
#include "patcher/CFtpDownloader.h"
#include "patcher/Signatures.h"
#include "platform/clock.h"

namespace {

// A file takes as long as it takes: silence ends a transfer, not its length.
constexpr std::chrono::hours kTransferLimit{24};
constexpr std::chrono::milliseconds kMirrorConnectTimeout{10000};

std::string SizeText(std::uint64_t size) {
    return std::to_string(size) + " bytes";
}

// The settings every fetch from a mirror shares: the extra authority, the
// run's stop flag, the connect bound, silence bounded by the reply time-out,
// and the bound of the whole fetch.
http::FetchOptions MirrorFetchOptions(const std::string& caFile, const std::atomic<bool>& cancel,
                                      uint32_t replyTimeoutMs, std::chrono::milliseconds overall) {
    http::FetchOptions o;
    o.caFile = caFile;
    o.cancel = &cancel;
    o.connectTimeout = kMirrorConnectTimeout;
    o.stallTimeout = std::chrono::milliseconds(replyTimeoutMs);
    o.overallTimeout = overall;
    return o;
}

// A fetch of a file's first byte only: its answer tells whether the server
// takes ranges and how large the file is.
http::FetchOptions FirstByteOptions(const std::string& caFile, const std::atomic<bool>& cancel,
                                    uint32_t replyTimeoutMs) {
    http::FetchOptions o =
        MirrorFetchOptions(caFile, cancel, replyTimeoutMs,
                           std::chrono::milliseconds(replyTimeoutMs) + kMirrorConnectTimeout);
    o.useRange = true;
    o.rangeFirst = 0;
    o.rangeLast = 0;
    o.maxBytes = 1;
    return o;
}

}  // namespace

int CFtpDownloader::StartFileOnMirror(const PatchFileEntry& entry) {
    {
        std::lock_guard<std::mutex> lock(mirrorMu_);
        fileMirrorPath_[0] = entry.directory;
        fileMirrorPath_[1] = entry.fileName;
        fileMirrorSize_ = static_cast<uint32_t>(std::max<int32_t>(entry.size, 0));
        fileMirror_.clear();
        fileMirrorRanges_ = false;
    }
    std::string base;
    bool ranges = false;
    if (!CurrentMirror(base, ranges)) {
        return 0;
    }
    // A server that ignores Range sends the whole file to every request:
    // one connection reads it from the start.
    return ranges ? options_.segmentsMax : 1;
}

bool CFtpDownloader::CurrentMirror(std::string& base, bool& ranges) {
    // One worker at a time looks for the next mirror; the others then take
    // the one it found instead of each probing one of their own.
    std::lock_guard<std::mutex> lock(mirrorMu_);
    if (!fileMirror_.empty() && mirrors_.Usable(fileMirror_)) {
        base = fileMirror_;
        ranges = fileMirrorRanges_;
        return true;
    }
    fileMirror_.clear();
    while (!cancel_.load()) {
        std::optional<std::string> next = mirrors_.Pick();
        if (!next) {
            return false;
        }
        if (ProbeMirror(*next, ranges)) {
            fileMirror_ = *next;
            fileMirrorRanges_ = ranges;
            base = *next;
            return true;
        }
    }
    return false;
}

bool CFtpDownloader::ProbeMirror(const std::string& base, bool& ranges) {
    const uint32_t size = fileMirrorSize_;
    http::FetchOptions o =
        FirstByteOptions(mirrorSettings_.caFile, httpCancel_, options_.replyTimeoutMs);
    // An empty file has no first byte to ask for.
    o.useRange = size > 0;
    const http::FetchResult r =
        http::Fetch(MirrorFileUrl(base, fileMirrorPath_[0], fileMirrorPath_[1]), o);
    if (cancel_.load()) {
        return false;
    }
    std::string why;
    if (!r.ok) {
        why = r.error;
    } else if (r.status == 206) {
        ranges = true;
        if (!r.rangeTotal) {
            why = "no file size in its Content-Range";
        } else if (*r.rangeTotal != size) {
            why = "the file has " + SizeText(*r.rangeTotal) + ", not " + SizeText(size);
        }
    } else {
        ranges = false;
        if (!r.contentLength) {
            why = "no Content-Length";
        } else if (*r.contentLength != size) {
            why = "the file has " + SizeText(*r.contentLength) + ", not " + SizeText(size);
        }
    }
    if (!why.empty()) {
        mirrors_.Fail(base, why);
        return false;
    }
    return true;
}

bool CFtpDownloader::HttpSegment(uint32_t segmentIndex, uint32_t& offset, uint32_t& remaining) {
    std::string base;
    bool ranges = false;
    if (!CurrentMirror(base, ranges)) {
        return false;
    }
    std::string url;
    uint32_t size = 0;
    {
        std::lock_guard<std::mutex> lock(mirrorMu_);
        url = MirrorFileUrl(base, fileMirrorPath_[0], fileMirrorPath_[1]);
        size = fileMirrorSize_;
    }
    http::FetchOptions o = MirrorFetchOptions(mirrorSettings_.caFile, httpCancel_,
                                              options_.replyTimeoutMs, kTransferLimit);
    // Without Range support the answer starts at the file's first byte:
    // those before offset are read and dropped, as with an FTP server that
    // does not restart.
    const uint32_t first = offset;
    uint64_t skip = 0;
    if (ranges) {
        o.useRange = true;
        o.rangeFirst = offset;
        o.rangeLast = uint64_t{offset} + remaining - 1;
        if (size > 0) {
            o.rangeTotal = size;  // another file's bytes would fail its MD5 only at the end
        }
        o.maxBytes = remaining;
    } else {
        skip = offset;
        o.maxBytes = uint64_t{offset} + remaining;
    }
    DataBlock* block = nullptr;
    uint64_t arrived = 0;
    o.sink = [&](const char* data, std::size_t count) {
        arrived += count;
        while (count > 0) {
            if (cancel_.load()) {
                return false;
            }
            if (skip > 0) {
                const size_t n = static_cast<size_t>(std::min<uint64_t>(skip, count));
                skip -= n;
                data += n;
                count -= n;
                continue;
            }
            if (remaining == 0) {
                return false;  // more than asked for: the rest is not ours
            }
            if (block == nullptr) {
                if (queued_.load() > kQueueHighWater) {
                    WaitForRoom();
                }
                block = NewBlock(segmentIndex, offset);
                if (block == nullptr) {
                    Pause(kQueueFullSleepMs);
                    continue;
                }
            }
            const size_t n = std::min<size_t>({count, remaining, kDataBlockBytes - block->length});
            std::memcpy(block->data + block->length, data, n);
            block->length += static_cast<uint32_t>(n);
            remaining -= static_cast<uint32_t>(n);
            data += n;
            count -= n;
            if (block->length == kDataBlockBytes) {
                offset += block->length;
                Enqueue(block);
                block = nullptr;
            }
        }
        return true;
    };
    const http::FetchResult r = http::Fetch(url, o);
    if (block != nullptr) {
        if (block->length > 0) {
            offset += block->length;
            Enqueue(block);
        } else {
            pool_.Put(block);
        }
    }
    if (cancel_.load()) {
        return true;  // the worker sees the flag
    }
    std::string why;
    if (r.ok && r.status == 206 && r.rangeTotal && *r.rangeTotal != size) {
        why = "the file has " + SizeText(*r.rangeTotal) + ", not " + SizeText(size);
    } else if (r.ok && r.status == 206 && r.range && r.range->first != first) {
        why = "answered another range than the one asked for";
    } else if (r.ok && ranges && r.status != 206 && first > 0) {
        // An empty body: a whole file with bytes is refused by the fetch
        // before any of them reaches the block.
        why = "answered a range with the whole file";
    } else if (remaining == 0) {
        return true;
    } else if (!r.ok) {
        why = r.error;
    } else {
        why = "the transfer ended after " + SizeText(arrived);
    }
    mirrors_.Fail(base, why);
    if (arrived == 0) {
        Problem(FtpProblem::kNoData);
    }
    return true;
}

bool CFtpDownloader::FetchSmallFileFromMirror(const std::string& directory,
                                              const std::string& fileName, size_t most,
                                              std::string& text) {
    while (!cancel_.load()) {
        std::optional<std::string> base = mirrors_.Pick();
        if (!base) {
            return false;
        }
        http::FetchOptions o =
            MirrorFetchOptions(mirrorSettings_.caFile, httpCancel_, options_.replyTimeoutMs,
                               std::chrono::milliseconds(options_.replyTimeoutMs) * 2);
        // A little past the bound, so that the reader sees it is too
        // large, as over FTP.
        o.maxBytes = most + 1;
        http::FetchResult r = http::Fetch(MirrorFileUrl(*base, directory, fileName), o);
        if (cancel_.load()) {
            return false;
        }
        if (r.ok) {
            text = std::move(r.body);
            return true;
        }
        mirrors_.Fail(*base, r.error);
    }
    return false;
}

int64_t CFtpDownloader::ReadMirrorSizes() {
    int64_t total = 0;
    const size_t count = list_->Count();
    for (size_t i = 0; i < count && !cancel_.load(); ++i) {
        const PatchFileEntry entry = list_->At(i);
        std::optional<int32_t> size;
        while (!size && !cancel_.load()) {
            std::optional<std::string> base = mirrors_.Pick();
            if (!base) {
                break;
            }
            const http::FetchOptions o =
                FirstByteOptions(mirrorSettings_.caFile, httpCancel_, options_.replyTimeoutMs);
            const http::FetchResult r =
                http::Fetch(MirrorFileUrl(*base, entry.directory, entry.fileName), o);
            if (cancel_.load()) {
                break;
            }
            // A flag and a value rather than an optional: GCC 12 at -Os
            // takes the optional's value for unset where it is not
            // (-Wmaybe-uninitialized).
            bool found = false;
            uint64_t bytes = 0;
            std::string why;
            if (r.ok && r.status == 206) {
                found = r.rangeTotal.has_value();
                bytes = r.rangeTotal.value_or(0);
                why = "no file size in its Content-Range";
            } else if (r.ok) {
                found = r.contentLength.has_value();
                bytes = r.contentLength.value_or(0);
                why = "no Content-Length";
            } else if (r.status == 416) {
                found = true;  // no first byte to send: the file is empty
            } else {
                why = r.error;
            }
            if (found && bytes > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
                why = "the file has " + SizeText(bytes) + ", more than a package may hold";
                found = false;
            }
            if (found) {
                size = static_cast<int32_t>(bytes);
            } else {
                mirrors_.Fail(*base, why);
            }
        }
        if (!size) {
            if (!cancel_.load()) {
                TellCannotDownload(entry.fileName);
            }
            return -1;
        }
        list_->SetSize(i, *size);
        total += *size;
    }
    return cancel_.load() ? -1 : total;
}
