// The downloader's writer: the workers queue the blocks they fill, and one
// thread takes them off the queue and writes them into the partial file,
// in runs where blocks follow one another, crediting them only once they
// are written. The file's bytes are digested on the way, in file order.
#include <algorithm>
#include <chrono>
#include <new>

#include "DownloadProgress.h"
#include "patcher/CFtpDownloader.h"
#include "patcher/text/LocalText.h"
#include "platform/clock.h"
#include "platform/text.h"

using progress::Percent;
using progress::Since;

namespace {

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

// Writes the blocks of w.batch from w.next on, taking every block queued
// so far once the batch is done with. A block the disk refused is tried
// again on a later round, and the ones after it wait.
void CFtpDownloader::WriteBatch(WriterState& w) {
    if (w.next == w.batch.size()) {
        w.batch.clear();
        w.next = 0;
        DequeueAll(w.batch);
        w.dequeued = true;
        // Each segment's blocks together, in the order they came: runs that
        // one write puts on the disk. Nothing is credited on disk before the
        // trailer is saved, so the order of writes between segments does
        // not matter.
        std::stable_sort(
            w.batch.begin(), w.batch.end(),
            [](const DataBlock* a, const DataBlock* b) { return a->segment < b->segment; });
    }
    while (w.next < w.batch.size()) {
        DataBlock* block = w.batch[w.next];
        if (block->length == 0 || w.failed) {
            pool_.Put(block);
            ++w.next;
            continue;
        }
        w.took = true;
        const size_t run = RunLength(w.batch, w.next);
        if (run > 1 && w.refusals == 0 && part_.WriteRun(&w.batch[w.next], run)) {
            for (size_t i = 0; i < run; ++i) {
                digest_.Written(*w.batch[w.next + i]);
                pool_.Put(w.batch[w.next + i]);
            }
            w.next += run;
        } else {
            // One block, as a run that failed would have it: a block that
            // fits and still cannot be written is the disk's fault (full,
            // or failing for a moment). It stays where it is, for the retry,
            // since every later block of its segment follows it; a block
            // that does not fit is only dropped.
            const bool fits = BlockFits(part_.trailer(), *block);
            if (!part_.Write(*block)) {
                if (fits && ++w.refusals <= kWriteRetries) {
                    w.retrying = true;
                    return;
                }
                ++w.next;
                pool_.Put(block);
                if (fits) {
                    // The disk keeps refusing: the workers stop, as the
                    // bytes they fetch have nowhere to go.
                    w.failed = true;
                    CancelAll();
                }
                continue;
            }
            ++w.next;
            digest_.Written(*block);
            pool_.Put(block);
        }
        w.refusals = 0;
        const int64_t now = Percent(w.done + part_.received(), w.total);
        if (now > w.percent) {
            w.percent = now;
            Post(UM_PROGRESS, 0, w.percent);
            part_.SaveInBackground();
        }
    }
}

bool CFtpDownloader::Receive(const PatchFileEntry& entry, int64_t done, int64_t total) {
    WriterState w;
    w.done = done;
    w.total = total;
    w.percent = Percent(done + part_.received(), total);
    Post(UM_PROGRESS, 0, w.percent);
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
    bool silent = false;  // no byte for the stall limit: the attempt ends
    digest_.Begin(part_.trailer());
    // Every worker had ended when the queue was last taken: once that batch
    // is written (or dropped) the file is done with.
    bool drainedAfterWorkers = false;
    for (bool finishing = false; !finishing;) {
        const bool workersDone = active_.load() == 0;
        if (Since(lastSpeed) > kSpeedPeriodMs) {
            Post(UM_SPEED, static_cast<uint64_t>(done + part_.received()), total);
            lastSpeed = platform::TickCount();
        }
        w.took = false;
        w.retrying = false;
        w.dequeued = false;
        WriteBatch(w);
        drainedAfterWorkers = drainedAfterWorkers || (workersDone && w.dequeued);
        if (w.took) {
            stalled = false;
            lastData = platform::TickCount();
        }
        if (!stalled) {
            stalled = true;
            stallMark = platform::TickCount();
        } else if (Since(stallMark) > kStallReportMs) {
            Post(UM_PROGRESS, 0, w.percent);
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
        digest_.ReadAhead(part_);
        finishing = drainedAfterWorkers && w.next == w.batch.size();
        if (w.retrying) {
            // The disk is given a moment; the workers wait on the full queue.
            platform::SleepMs(kWriteRetrySleepMs);
        } else if (!finishing) {
            // Blocks wake the writer at once: at full speed the workers
            // fill the queue's 50 blocks well within one poll period.
            WaitForBlocks(kWriterPollMs);
        }
    }
    // Blocks left behind must not reach the next file.
    for (; w.next < w.batch.size(); ++w.next) {
        pool_.Put(w.batch[w.next]);
    }
    DrainQueueToPool();
    part_.Close();
    if (part_.IsComplete()) {
        return true;
    }
    if (silent) {
        stalled_ = true;
        Tell(GBK("下载服务器%s没有响应,请稍后重试"), Params().host);
    } else if (w.failed) {
        Tell(GBK("无法写入文件%s,请检查磁盘空间"), CPartFile::PartPath(entry.localPath));
    } else if (!cancel_.load()) {
        Tell(GBK("文件%s下载不完整,请重试"), entry.fileName);
    }
    return false;
}
