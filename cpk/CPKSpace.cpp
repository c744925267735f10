// CPKVfs: where a change's bytes and records go (see CPKBatch.cpp for the
// batches and how they survive a crash): the table's capacity, free blocks
// and the first-fit tree over them, appending past the table, and merging
// a batch's added records into the sorted table.
#include "cpk/CPKVfs.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "cpk/DiscIOMgr.h"
#include "platform/fs.h"

namespace {

// A batch parks the committed table this far past the bytes it needs now:
// as far as it has appended so far, within these bounds, and at least four
// tables' worth, so that parking costs a small share of what is written.
constexpr uint64_t kParkSlackMin = uint64_t{1} << 20;
constexpr uint64_t kParkSlackMax = uint64_t{64} << 20;
constexpr uint64_t kParkSlackTables = 4;

bool IsFree(const CPKEntry& e) {
    return (e.flags & kEntryDeleted) != 0;
}

bool Overlaps(uint64_t begin, uint64_t end, uint64_t otherBegin, uint64_t otherEnd) {
    return begin < otherEnd && otherBegin < end;
}

// Sorts spans (offset in the high half, record in the low) by offset, those
// of one offset in the order given: three stable passes of 11 bits cover
// the 31 bits an offset below 2 GiB has.
void SortByOffset(std::vector<uint64_t>& spans) {
    constexpr unsigned kDigitBits = 11;
    constexpr size_t kDigits = size_t{1} << kDigitBits;
    std::vector<uint64_t> other(spans.size());
    for (unsigned shift = 32; shift < 64; shift += kDigitBits) {
        size_t counts[kDigits + 1] = {};
        for (uint64_t span : spans) {
            ++counts[((span >> shift) & (kDigits - 1)) + 1];
        }
        for (size_t d = 0; d < kDigits; ++d) {
            counts[d + 1] += counts[d];
        }
        for (uint64_t span : spans) {
            other[counts[(span >> shift) & (kDigits - 1)]++] = span;
        }
        spans.swap(other);
    }
}

}  // namespace

bool CPKVfs::EnsureTableCapacity() {
    if (header_.usedCount + 1 < header_.capacity) {
        return true;
    }
    if (uint64_t{header_.endOffset} + uint64_t{kCpkTableGrowth} * kCpkEntrySize >=
        kCpkMaxFileSize) {
        ShowMessage("The CPK %s cannot grow beyond 2 GiB", platform::NativePath(path_).c_str());
        return false;
    }
    const uint32_t oldCapacity = header_.capacity;
    header_.capacity += kCpkTableGrowth;
    header_.endOffset += kCpkTableGrowth * kCpkEntrySize;
    if (table_.size() < header_.capacity) {
        // A batch of many new records grows the table step after step:
        // room for half as much again each time, not a move per step.
        // Room set aside already (BeginBatch) is used first.
        if (table_.capacity() < header_.capacity) {
            table_.reserve(std::max<size_t>(header_.capacity, table_.size() * 3 / 2));
        }
        table_.resize(header_.capacity, CPKEntry{});
        freePosition_.resize(header_.capacity, -1);
    } else {
        std::fill(table_.begin() + oldCapacity, table_.end(), CPKEntry{});
    }
    return true;
}

bool CPKVfs::HasRoomFor(uint64_t size) {
    if (uint64_t{header_.endOffset} + size >= kCpkMaxFileSize) {
        ShowMessage("The CPK %s cannot grow beyond 2 GiB", platform::NativePath(path_).c_str());
        return false;
    }
    return true;
}

int CPKVfs::FindInsertPosition(uint32_t crc) {
    // New records wait past the sorted ones, in the order they come, and
    // are merged into place at the commit (MergeTail): the place they take
    // there is the one inserting each in turn would give, after every record
    // whose crc is less than or equal to its own.
    (void)crc;
    const uint32_t used = header_.usedCount;
    if (used + 1 >= header_.capacity) {
        return -1;
    }
    table_[used] = CPKEntry{};
    freePosition_[used] = -1;
    return static_cast<int>(used);
}

bool CPKVfs::AllocateSpace(uint32_t size, uint32_t& offset) {
    // The first usable block of the free list that is large enough.
    const int position = FindFit(size);
    if (position >= 0) {
        CPKEntry& block = table_[static_cast<size_t>(freeList_[static_cast<size_t>(position)])];
        offset = block.offset;
        block.offset += size;
        block.storedSize -= size;
        SetFit(static_cast<size_t>(position), block.storedSize);
        return true;
    }
    // Appended where the table lies. The committed table must be out of the
    // way before a byte is written there.
    const uint64_t at = header_.tableOffset;
    const uint64_t end = at + size;
    if (Overlaps(at, end, disk_.tableOffset, disk_.endOffset)) {
        // Far enough out that the new table fits before it at the commit (a
        // batch may still grow the table once, and by the records it
        // expects), and in a batch with slack for what is still to come.
        uint64_t wanted = end + TableBytes(header_.capacity);
        if (batch_ == Batch::kExplicit) {
            const uint64_t bytes = TableBytes(committed_.header.capacity);
            const uint64_t appended = end - std::min<uint64_t>(end, committed_.appendStart);
            const uint64_t coming = expected_ > appended ? expected_ - appended : 0;
            wanted += TableBytes(kCpkTableGrowth) + TableBytes(expectedEntries_) +
                      std::max({kParkSlackTables * bytes, coming,
                                std::min(std::max(appended, kParkSlackMin), kParkSlackMax)});
        }
        if (!Park(end, wanted)) {
            return false;
        }
    }
    offset = static_cast<uint32_t>(at);
    header_.tableOffset = static_cast<uint32_t>(end);
    header_.endOffset = static_cast<uint32_t>(end + TableBytes(header_.capacity));
    return true;
}

void CPKVfs::ReleaseSpace(uint32_t offset, uint32_t size) {
    // Appended space given back at once when it is the last; anything else
    // stays unused until the archive is compacted.
    if (uint64_t{offset} + size == header_.tableOffset && offset >= appendStart_) {
        header_.tableOffset = offset;
        header_.endOffset = offset + header_.capacity * kCpkEntrySize;
    }
}

void CPKVfs::MergeTail() {
    const uint32_t used = header_.usedCount;
    if (sorted_ >= used) {
        sorted_ = used;
        return;
    }
    std::vector<uint32_t> added(used - sorted_);
    std::iota(added.begin(), added.end(), sorted_);
    std::stable_sort(added.begin(), added.end(),
                     [&](uint32_t a, uint32_t b) { return table_[a].crc < table_[b].crc; });
    // Each added record goes after every record whose crc is less than or
    // equal to its own: after the sorted ones of its crc, and after the ones
    // added before it. Merged in place from the back, the added records held
    // aside: a record is only ever written at or past the place it is read
    // from, and the table is not copied whole.
    std::vector<CPKEntry> tail(added.size());
    for (size_t k = 0; k < added.size(); ++k) {
        tail[k] = table_[added[k]];
    }
    std::vector<int32_t> moved(used, -1);
    uint32_t i = sorted_;  // sorted records still to place: [0, i)
    size_t j = tail.size();
    for (uint32_t out = used; j > 0;) {
        --out;
        if (i > 0 && table_[i - 1].crc > tail[j - 1].crc) {
            --i;
            table_[out] = table_[i];
            moved[i] = static_cast<int32_t>(out);
        } else {
            --j;
            table_[out] = tail[j];
            moved[added[j]] = static_cast<int32_t>(out);
        }
    }
    for (uint32_t k = 0; k < i; ++k) {
        moved[k] = static_cast<int32_t>(k);  // before every added record: in place
    }
    std::fill(table_.begin() + used, table_.end(), CPKEntry{});
    for (int32_t& record : freeList_) {
        record = moved[static_cast<size_t>(record)];
    }
    RebuildFreePositions();
    crcs_.Renumber(moved);
    sorted_ = used;
    tailIndex_.clear();
}

void CPKVfs::BuildFit() {
    fitLeaves_ = 1;
    while (fitLeaves_ < freeList_.size()) {
        fitLeaves_ *= 2;
    }
    fit_.assign(2 * fitLeaves_, 0);
    for (size_t position = 0; position < freeList_.size(); ++position) {
        if (position < freeUsable_.size() && freeUsable_[position]) {
            fit_[fitLeaves_ + position] =
                table_[static_cast<size_t>(freeList_[position])].storedSize;
        }
    }
    for (size_t node = fitLeaves_ - 1; node > 0; --node) {
        fit_[node] = std::max(fit_[2 * node], fit_[2 * node + 1]);
    }
}

int CPKVfs::FindFit(uint32_t size) const {
    if (size == 0 || fit_.empty() || fit_[1] < size) {
        return -1;
    }
    size_t node = 1;
    while (node < fitLeaves_) {
        node = fit_[2 * node] >= size ? 2 * node : 2 * node + 1;
    }
    return static_cast<int>(node - fitLeaves_);
}

void CPKVfs::SetFit(size_t position, uint32_t size) {
    if (position >= fitLeaves_) {
        return;
    }
    size_t node = fitLeaves_ + position;
    fit_[node] = size;
    for (node /= 2; node > 0; node /= 2) {
        fit_[node] = std::max(fit_[2 * node], fit_[2 * node + 1]);
    }
}

void CPKVfs::RebuildFreePositions() {
    freePosition_.assign(table_.size(), -1);
    for (size_t position = 0; position < freeList_.size(); ++position) {
        freePosition_[static_cast<size_t>(freeList_[position])] = static_cast<int32_t>(position);
    }
}

void CPKVfs::RebuildLookups(bool scanFreeList) {
    // The free list is found in index order when an archive is opened; a
    // dropped batch brings back the list as it was instead.
    dirPaths_.clear();
    crcs_.clear();
    crcs_.reserve(header_.usedCount);
    tailIndex_.clear();
    if (scanFreeList) {
        freeList_.clear();
    }
    crcsComplete_ = true;
    for (uint32_t i = 0; i < header_.usedCount; ++i) {
        const CPKEntry& e = table_[i];
        if (IsLive(e) && crcs_.insert(e.crc, static_cast<int32_t>(i)) == 0) {
            // Two live records of one crc (a damaged archive): removing one
            // takes the crc out of the set while the other still lives.
            crcsComplete_ = false;
        }
        if (scanFreeList && IsFree(e)) {
            freeList_.push_back(static_cast<int32_t>(i));
        }
    }
    if (scanFreeList) {
        freeUsable_.assign(freeList_.size(), 0);
    }
    RebuildFreePositions();
}

void CPKVfs::ScanFreeBlocks() {
    // Which free blocks may take new bytes, and where appending starts. A
    // block is only reused when it lies in the data region and overlaps no
    // other record; in a damaged archive where records overlap, the live
    // ones among them never free their bytes for reuse either.
    // Each span as its offset (high half) and record (low half), in the
    // order of their offsets: an archive of 50,000 entries is scanned at
    // every open for changes, so the order comes from a radix sort.
    auto endOf = [&](uint32_t i) {
        const CPKEntry& e = table_[i];
        return uint64_t{e.offset} + e.storedSize + (IsFree(e) ? 0 : e.trailerSize);
    };
    std::vector<uint64_t> spans;
    spans.reserve(header_.usedCount);
    uint64_t usedEnd = kCpkHeaderSize;
    for (uint32_t i = 0; i < header_.usedCount; ++i) {
        const CPKEntry& e = table_[i];
        if ((e.flags & kEntryInUse) == 0) {
            continue;
        }
        const uint64_t end = endOf(i);
        if (e.offset < kCpkHeaderSize || end > header_.tableOffset) {
            continue;  // outside the data region: never read nor reused
        }
        usedEnd = std::max(usedEnd, end);
        if (end > e.offset) {
            spans.push_back(uint64_t{e.offset} << 32 | i);
        }
    }
    SortByOffset(spans);
    auto recordOf = [](uint64_t span) { return static_cast<uint32_t>(span); };
    std::vector<uint8_t> clean(header_.usedCount, 0);
    for (uint64_t span : spans) {
        clean[recordOf(span)] = 1;
    }
    overlapping_.clear();
    // Runs of spans that chain into each other: in a run of two or more,
    // every span overlaps another.
    for (size_t first = 0; first < spans.size();) {
        size_t last = first + 1;
        uint64_t reach = endOf(recordOf(spans[first]));
        while (last < spans.size() && (spans[last] >> 32) < reach) {
            reach = std::max(reach, endOf(recordOf(spans[last])));
            ++last;
        }
        if (last - first > 1) {
            for (size_t k = first; k < last; ++k) {
                const uint32_t record = recordOf(spans[k]);
                clean[record] = 0;
                if (!IsFree(table_[record])) {
                    overlapping_.insert(table_[record].offset);
                }
            }
        }
        first = last;
    }
    freeUsable_.assign(freeList_.size(), 0);
    for (size_t position = 0; position < freeList_.size(); ++position) {
        const uint32_t record = static_cast<uint32_t>(freeList_[position]);
        const CPKEntry& e = table_[record];
        const bool inside =
            e.offset >= kCpkHeaderSize && uint64_t{e.offset} + e.storedSize <= header_.tableOffset;
        freeUsable_[position] = inside && (e.storedSize == 0 || clean[record]) ? 1 : 0;
    }
    appendStart_ = static_cast<uint32_t>(usedEnd);
    BuildFit();
}

uint32_t CPKVfs::UsedEnd() const {
    uint64_t end = kCpkHeaderSize;
    for (uint32_t i = 0; i < header_.usedCount; ++i) {
        const CPKEntry& e = table_[i];
        const uint64_t last = uint64_t{e.offset} + e.storedSize + (IsFree(e) ? 0 : e.trailerSize);
        if (e.offset >= kCpkHeaderSize && last <= header_.tableOffset) {
            end = std::max(end, last);
        }
    }
    return static_cast<uint32_t>(end);
}
