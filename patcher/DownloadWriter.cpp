// The downloader's writer: the workers queue the blocks they fill, and one
// thread takes them off the queue and writes them into the partial file,
// in runs where blocks follow one another, crediting them only once they
// are written. The file's bytes are digested on the way, in file order.
#include <algorithm>
#include <chrono>
#include <memory>
#include <new>

#include "DownloadProgress.h"
#include "patcher/CFtpDownloader.h"
#include "patcher/text/LocalText.h"
#include "platform/clock.h"
#include "platform/text.h"

using progress::Percent;
using progress::Since;

namespace {

// Bytes the digest reads back per round of the writer (see Receive).
constexpr size_t kReadBackSlice = 1u << 20;

// How many blocks from batch[first] follow one another in one segment, each
// starting where the one before ends (at least 1; at most kRunBlocksMax).
size_t RunLength(const std::vector<DataBlock*>& batch, size_t first) {
    constexpr size_t kRunBlocksMax = 64;
    size_t n = 1;
    while (first + n < batch.size() && n < kRunBlocksMax) {
        const DataBlock& prev = *batch[first + n - 1];
        const DataBlock& b = *batch[first + n];
        if (b.segment != prev.segment || b.length == 0 ||
            b.fileOffset != prev.fileOffset + prev.length) {
            break;
        }
        ++n;
    }
    return n;
}

}  // namespace

// ---- Block queue ----

DataBlock* CFtpDownloader::NewBlock(uint32_t segment, uint32_t offset) {
    void* memory = pool_.Get(kDataBlockSize);
    if (memory == nullptr) {
        return nullptr;
    }
    DataBlock* block = new (memory) DataBlock;
    block->segment = segment;
    block->length = 0;
    block->fileOffset = offset;
    return block;
}

void CFtpDownloader::Enqueue(DataBlock* block) {
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(queueMu_);
        queue_.push_back(block);
        queued_ = queue_.size();
        wake = writerWaiting_;
    }
    // A writer busy writing takes this block with the others it finds: a
    // wake-up per block would cost more than the block.
    if (wake) {
        queued_cv_.notify_one();
    }
}

void CFtpDownloader::WaitForRoom() {
    std::unique_lock<std::mutex> lock(queueMu_);
    drained_cv_.wait_for(lock, std::chrono::milliseconds(kQueueFullSleepMs),
                         [this] { return queue_.size() <= kQueueHighWater || cancel_.load(); });
}

void CFtpDownloader::WaitForBlocks(uint32_t ms) {
    std::unique_lock<std::mutex> lock(queueMu_);
    writerWaiting_ = true;
    queued_cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !queue_.empty(); });
    writerWaiting_ = false;
}

void CFtpDownloader::DequeueAll(std::vector<DataBlock*>& blocks) {
    bool drained = false;
    {
        std::lock_guard<std::mutex> lock(queueMu_);
        drained = queue_.size() > kQueueHighWater;
        blocks.insert(blocks.end(), queue_.begin(), queue_.end());
        queue_.clear();
        queued_ = 0;
    }
    if (drained) {
        drained_cv_.notify_all();
    }
}

DataBlock* CFtpDownloader::Dequeue() {
    std::lock_guard<std::mutex> lock(queueMu_);
    if (queue_.empty()) {
        return nullptr;
    }
    DataBlock* block = queue_.front();
    queue_.pop_front();
    queued_ = queue_.size();
    if (queue_.size() == kQueueHighWater) {
        drained_cv_.notify_all();
    }
    return block;
}

void CFtpDownloader::DrainQueueToPool() {
    while (DataBlock* block = Dequeue()) {
        pool_.Put(block);
    }
}

bool CFtpDownloader::Receive(const PatchFileEntry& entry, int64_t done, int64_t total) {
    int64_t percent = Percent(done + part_.received(), total);
    Post(UM_PROGRESS, 0, percent);
    if (owner_) {
        owner_->SetSpeedBaseline(platform::TickCount(),
                                 static_cast<uint64_t>(done + part_.received()));
    }
    uint32_t lastSpeed = platform::TickCount();
    uint32_t lastData = platform::TickCount();
    uint32_t stallMark = 0;
    // The slow-transfer check: bytes per window, the first window's as the
    // link's measure.
    uint32_t windowStart = platform::TickCount();
    uint64_t windowBytes = part_.received();
    uint64_t firstWindow = 0;
    bool stalled = false;
    bool silent = false;       // no byte for the stall limit: the attempt ends
    bool writeFailed = false;  // the disk kept refusing: the file is given up
    int writeRefusals = 0;     // in a row, for the block at batch[next]
    std::vector<DataBlock*> batch;
    size_t next = 0;
    // The file's bytes from the first on are digested as they are written,
    // while the data is at hand: the first segment's as they arrive, and
    // the next segment's from its start when they come only after the
    // first's end (its worker started late). The check after the download
    // reads only the rest of the file.
    const PartTrailer& started = part_.trailer();
    streamMd5_ = Md5();
    streamHashed_ = 0;
    streamHashing_ = started.segmentCount > 0 && started.segment[0].start == 0 &&
                     started.segment[0].received == 0;
    auto digestWritten = [this](const DataBlock& b) {
        if (streamHashing_ && b.fileOffset == streamHashed_) {
            streamMd5_.Update(b.data, b.length);
            streamHashed_ += b.length;
        }
    };
    // Once the digest reaches a segment whose bytes came before (its worker
    // started with the others), it reads them back while the transfer goes
    // on, a slice per round so that the queue keeps draining, and then
    // takes that segment's blocks as they come.
    std::unique_ptr<uint8_t[]> readBack;
    auto digestWrittenAhead = [&] {
        if (!streamHashing_) {
            return;
        }
        const PartTrailer& t = part_.trailer();
        for (uint32_t i = 0; i < t.segmentCount && i < kSegmentsMax; ++i) {
            const SegmentRecord& s = t.segment[i];
            const uint64_t written = uint64_t{s.start} + s.received;
            if (streamHashed_ < s.start || streamHashed_ >= written) {
                continue;
            }
            const size_t slice =
                static_cast<size_t>(std::min<uint64_t>(written - streamHashed_, kReadBackSlice));
            if (readBack == nullptr) {
                readBack.reset(new (std::nothrow) uint8_t[kReadBackSlice]);
            }
            if (readBack == nullptr || !part_.ReadWritten(streamHashed_, readBack.get(), slice)) {
                streamHashing_ = false;  // the check reads the whole file
                return;
            }
            streamMd5_.Update(readBack.get(), slice);
            streamHashed_ += slice;
            return;
        }
    };
    for (bool finishing = false; !finishing;) {
        // Every worker ended before the blocks below were taken: once they
        // are written (or dropped) the file is done with.
        const bool workersDone = active_.load() == 0;
        bool retrying = false;
        if (Since(lastSpeed) > kSpeedPeriodMs) {
            Post(UM_SPEED, static_cast<uint64_t>(done + part_.received()), total);
            lastSpeed = platform::TickCount();
        }
        // Every block queued so far in one go; a block the disk refused is
        // tried again on a later round, and the ones after it wait.
        if (next == batch.size()) {
            batch.clear();
            next = 0;
            DequeueAll(batch);
            // Each segment's blocks together, in the order they came: runs
            // that one write puts on the disk. Nothing is credited on disk
            // before the trailer is saved, so the order of writes between
            // segments does not matter.
            std::stable_sort(
                batch.begin(), batch.end(),
                [](const DataBlock* a, const DataBlock* b) { return a->segment < b->segment; });
        }
        while (next < batch.size()) {
            DataBlock* block = batch[next];
            if (block->length == 0 || writeFailed) {
                pool_.Put(block);
                ++next;
                continue;
            }
            stalled = false;
            lastData = platform::TickCount();
            const size_t run = RunLength(batch, next);
            if (run > 1 && writeRefusals == 0 && part_.WriteRun(&batch[next], run)) {
                for (size_t i = 0; i < run; ++i) {
                    digestWritten(*batch[next + i]);
                    pool_.Put(batch[next + i]);
                }
                writeRefusals = 0;
                next += run;
            } else {
                // One block, as a run that failed would have it: a block
                // that fits and still cannot be written is the disk's fault
                // (full, or failing for a moment). It stays where it is, for
                // the retry, since every later block of its segment follows
                // it; a block that does not fit is only dropped.
                const bool fits = BlockFits(part_.trailer(), *block);
                if (!part_.Write(*block)) {
                    if (fits && ++writeRefusals <= kWriteRetries) {
                        retrying = true;
                        break;
                    }
                    ++next;
                    pool_.Put(block);
                    if (fits) {
                        // The disk keeps refusing: the workers stop, as the
                        // bytes they fetch have nowhere to go.
                        writeFailed = true;
                        CancelAll();
                    }
                    continue;
                }
                writeRefusals = 0;
                ++next;
                digestWritten(*block);
                pool_.Put(block);
            }
            int64_t now = Percent(done + part_.received(), total);
            if (now > percent) {
                percent = now;
                Post(UM_PROGRESS, 0, percent);
                part_.SaveInBackground();
            }
        }
        if (!stalled) {
            stalled = true;
            stallMark = platform::TickCount();
        } else if (Since(stallMark) > kStallReportMs) {
            Post(UM_PROGRESS, 0, percent);
            stallMark = platform::TickCount();
        }
        if (!silent && !workersDone && options_.stallTimeoutMs > 0 &&
            Since(lastData) >= options_.stallTimeoutMs && !cancel_.load()) {
            // The workers end at their next look at the flag.
            silent = true;
            CancelAll();
        }
        // Without a stall limit (the workers reconnect until stopped) a
        // slow file is not given up either.
        if (!silent && !workersDone && options_.slowWindowMs > 0 && options_.stallTimeoutMs > 0 &&
            Since(windowStart) >= options_.slowWindowMs) {
            const uint64_t gained = part_.received() - windowBytes;
            if (firstWindow == 0) {
                firstWindow = gained;  // nothing yet: the next window measures
            } else if (gained * kSlowFactor < firstWindow && !cancel_.load()) {
                silent = true;
                CancelAll();
            }
            windowStart = platform::TickCount();
            windowBytes = part_.received();
        }
        digestWrittenAhead();
        finishing = workersDone && next == batch.size();
        if (retrying) {
            // The disk is given a moment; the workers wait on the full queue.
            platform::SleepMs(kWriteRetrySleepMs);
        } else if (!finishing) {
            // Blocks wake the writer at once: at full speed the workers
            // fill the queue's 50 blocks well within one poll period.
            WaitForBlocks(kWriterPollMs);
        }
    }
    // Blocks left behind must not reach the next file.
    for (; next < batch.size(); ++next) {
        pool_.Put(batch[next]);
    }
    DrainQueueToPool();
    part_.Close();
    if (part_.IsComplete()) {
        return true;
    }
    if (silent) {
        stalled_ = true;
        Tell(GBK("下载服务器%s没有响应,请稍后重试"), Params().host);
    } else if (writeFailed) {
        Tell(GBK("无法写入文件%s,请检查磁盘空间"), CPartFile::PartPath(entry.localPath));
    } else if (!cancel_.load()) {
        Tell(GBK("文件%s下载不完整,请重试"), entry.fileName);
    }
    return false;
}
