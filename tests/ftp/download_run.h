// Runs the patcher's downloader over a patch list against a server on
// loopback and collects what it posted, as the update dialog would see it.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "cpk/Md5.h"
#include "patcher/CFtpDownloader.h"
#include "patcher/CPartFile.h"
#include "patcher/UpdateEvents.h"
#include "platform/file.h"
#include "testsupport/pattern.h"

namespace testsupport {

// Longest wait for the next event: a generous margin over the downloader's
// own time-outs (a worker reconnects within about 10 s).
constexpr int kEventTimeoutMs = 120000;

inline std::string Md5HexOf(const std::string& bytes) {
    uint8_t d[16];
    Md5OfBuffer(bytes.data(), bytes.size(), d);
    return Md5Hex(d);
}

// What the partial file's trailer counts now (0 when there is none yet);
// reads only the trailer.
inline uint32_t ReceivedNow(const std::string& partPath) {
    auto f = platform::File::Open(partPath, platform::Access::kRead,
                                  platform::kShareRead | platform::kShareWrite,
                                  platform::Disposition::kOpenExisting);
    if (!f) {
        return 0;
    }
    auto size = f->Size();
    uint8_t bytes[kPartTrailerSize];
    if (!size || *size < kPartTrailerSize) {
        return 0;
    }
    auto got = f->ReadAt(*size - kPartTrailerSize, bytes, sizeof bytes);
    PartTrailer t{};
    if (!got || *got != sizeof bytes || !DecodePartTrailer(bytes, sizeof bytes, *size, t)) {
        return 0;
    }
    return t.received;
}

// Bytes that differ at every offset of a block, so a misplaced range shows.
inline std::string Contents(size_t size, uint32_t seed) {
    return PatternBytes(size, seed);
}

inline PatchFileEntry Entry(const std::string& directory, const std::string& fileName,
                            const std::string& localDir, const std::string& contents) {
    PatchFileEntry e;
    e.directory = directory;
    e.fileName = fileName;
    e.localPath = localDir + "\\" + fileName;
    e.md5Text = Md5HexOf(contents);
    return e;
}

struct DownloadRun {
    int login = 0;
    bool started = false;
    std::vector<UpdateEvent> events;
    int baselines = 0;
    PartTrailer trailer{};  // the last file's segment table

    // The event that ended the run (UM_DOWNLOAD_DONE or UM_RESET), 0 if none.
    uint32_t last() const { return events.empty() ? 0 : events.back().message; }
    int Count(uint32_t message) const {
        int n = 0;
        for (const UpdateEvent& e : events) {
            n += e.message == message;
        }
        return n;
    }
    int64_t LastPercent() const {
        int64_t p = -1;
        for (const UpdateEvent& e : events) {
            if (e.message == UM_PROGRESS) {
                p = e.lParam;
            }
        }
        return p;
    }
};

// Logs in, starts, and takes events until the run ends. onEvent may stop
// the downloader (it runs on the test's thread).
template <typename OnEvent>
DownloadRun RunDownload(uint16_t port, PatchFileList& list, const FtpDownloaderOptions& options,
                        OnEvent onEvent,
                        const std::function<void(CFtpDownloader&)>& prepare = nullptr) {
    DownloadRun run;
    UpdateEventQueue sink;
    CFtpDownloader downloader;
    downloader.Create(&sink, &list, options);
    if (prepare) {
        prepare(downloader);
    }
    run.login = downloader.Login("127.0.0.1", port, kAnonymousUser, kAnonymousPassword);
    if (run.login == 1) {
        run.started = downloader.Start();
    }
    while (run.started) {
        auto e = sink.Take(kEventTimeoutMs);
        if (!e) {
            ADD_FAILURE() << "no event within " << kEventTimeoutMs << " ms";
            break;
        }
        run.events.push_back(*e);
        onEvent(downloader, *e);
        if (e->message == UM_DOWNLOAD_DONE || e->message == UM_RESET) {
            break;
        }
    }
    downloader.Destroy();
    run.baselines = sink.baselineCount();
    run.trailer = downloader.partFile().trailer();
    return run;
}

inline DownloadRun RunDownload(uint16_t port, PatchFileList& list,
                               const FtpDownloaderOptions& options = {}) {
    return RunDownload(port, list, options, [](CFtpDownloader&, const UpdateEvent&) {});
}

}  // namespace testsupport
