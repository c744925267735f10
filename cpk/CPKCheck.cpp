#include "cpk/CPKCheck.h"

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>

#include "cpk/CPKFormat.h"
#include "cpk/CPKPath.h"
#include "cpk/Codec.h"
#include "platform/file.h"

namespace {

// Collects findings per invariant: the first one in full, then a count.
class Findings {
public:
    void Add(const char* key, const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 3, 4)))
#endif
    {
        auto it = index_.find(key);
        if (it != index_.end()) {
            ++counts_[it->second];
            return;
        }
        char text[512];
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        index_[key] = lines_.size();
        lines_.push_back(text);
        counts_.push_back(0);
    }

    std::vector<std::string> Lines() const {
        std::vector<std::string> out;
        for (size_t i = 0; i < lines_.size(); ++i) {
            out.push_back(lines_[i]);
            if (counts_[i] > 0) {
                out.back() += " (and " + std::to_string(counts_[i]) + " more)";
            }
        }
        return out;
    }

private:
    std::map<std::string, size_t> index_;
    std::vector<std::string> lines_;
    std::vector<size_t> counts_;
};

struct Range {
    uint64_t begin;
    uint64_t end;
    uint32_t record;
    bool live;
};

// The header and the table as the file holds them.
struct Table {
    CPKHeader header{};
    std::vector<CPKEntry> records;  // capacity records
    uint32_t used = 0;              // usedCount, at most the capacity
};

// What the walk over the records found: the live records by crc, and the
// byte ranges of the entries and free blocks that lie in the data region.
struct RecordScan {
    std::map<uint32_t, uint32_t> liveByCrc;  // crc -> record
    std::vector<Range> ranges;
};

bool InDataRegion(const CPKHeader& h, uint64_t begin, uint64_t end) {
    return begin >= kCpkHeaderSize && end <= h.tableOffset;
}

// Reads and checks the header and reads the table; nullopt when nothing
// more can be checked.
std::optional<Table> ReadTable(platform::File& file, Findings& f) {
    auto sizeResult = file.Size();
    const uint64_t size = sizeResult ? *sizeResult : 0;
    Table t;
    CPKHeader& h = t.header;
    auto got = file.ReadAt(0, &h, sizeof h);
    if (!got || *got != sizeof h) {
        f.Add("header", "the file is shorter than the %u-byte header", kCpkHeaderSize);
        return std::nullopt;
    }
    if (h.magic != kCpkMagic) {
        f.Add("magic", "the magic is 0x%08X, not 0x%08X", h.magic, kCpkMagic);
        return std::nullopt;
    }
    if (size >= kCpkMaxFileSize) {
        // The archive refuses to open such a file, whatever its table says.
        f.Add("size", "the file is %" PRIu64 " bytes: an archive must stay below 2 GiB", size);
    }
    const uint64_t tableBytes = uint64_t{h.capacity} * kCpkEntrySize;
    const uint64_t tableEnd = uint64_t{h.tableOffset} + tableBytes;
    if (h.tableOffset < kCpkHeaderSize) {
        f.Add("tableOffset", "the table offset %u lies inside the header", h.tableOffset);
    }
    if (uint64_t{h.endOffset} != tableEnd) {
        f.Add("endOffset", "endOffset %u is not tableOffset + capacity x 28 = %" PRIu64,
              h.endOffset, tableEnd);
    }
    if (tableEnd > size) {
        f.Add("table",
              "the table (%u records at %u) runs past the end of the file (%" PRIu64 " bytes)",
              h.capacity, h.tableOffset, size);
        return std::nullopt;
    }
    // Bytes past the table belong to no entry and no reader looks at them:
    // a change that was cut short leaves them, and the next one cuts them.
    t.used = h.usedCount;
    if (t.used > h.capacity) {
        f.Add("usedCount", "usedCount %u exceeds the capacity %u", t.used, h.capacity);
        t.used = h.capacity;
    }
    t.records.resize(h.capacity);
    if (h.capacity > 0) {
        got = file.ReadAt(h.tableOffset, t.records.data(), static_cast<size_t>(tableBytes));
        if (!got || *got != tableBytes) {
            f.Add("read", "the table cannot be read");
            return std::nullopt;
        }
    }
    return t;
}

// The records: order, use, counts, and where their bytes lie.
RecordScan CheckRecords(const Table& t, Findings& f) {
    const CPKHeader& h = t.header;
    const std::vector<CPKEntry>& table = t.records;
    const CPKEntry zero{};
    for (uint32_t i = t.used; i < h.capacity; ++i) {
        if (std::memcmp(&table[i], &zero, sizeof zero) != 0) {
            f.Add("beyond", "record %u past usedCount is not empty", i);
        }
    }

    RecordScan scan;
    uint32_t live = 0;
    uint32_t deleted = 0;
    for (uint32_t i = 0; i < t.used; ++i) {
        const CPKEntry& e = table[i];
        if (i > 0 && e.crc < table[i - 1].crc) {
            f.Add("order", "record %u (crc %08X) is out of order after crc %08X", i, e.crc,
                  table[i - 1].crc);
        }
        if (i > 0 && e.crc == table[i - 1].crc && IsLive(table[i - 1])) {
            f.Add("order-live", "record %u shares crc %08X with the live record before it", i,
                  e.crc);
        }
        if ((e.flags & kEntryInUse) == 0) {
            f.Add("in-use", "record %u below usedCount is not in use", i);
            continue;
        }
        const uint64_t begin = e.offset;
        if (e.flags & kEntryDeleted) {
            ++deleted;
            if (e.trailerSize != 0 || e.parentCrc != 0) {
                f.Add("deleted", "deleted record %u keeps a trailer size or parent", i);
            }
            const uint64_t end = begin + e.storedSize;
            if (e.storedSize > 0 && !InDataRegion(h, begin, end)) {
                f.Add("free-region",
                      "free block of record %u [%" PRIu64 ", %" PRIu64
                      ") lies outside the data region",
                      i, begin, end);
            } else if (e.storedSize > 0) {
                scan.ranges.push_back({begin, end, i, false});
            }
            continue;
        }
        ++live;
        if (!scan.liveByCrc.emplace(e.crc, i).second) {
            f.Add("unique", "records %u and %u are both live with crc %08X", scan.liveByCrc[e.crc],
                  i, e.crc);
        }
        const uint64_t end = begin + e.storedSize + e.trailerSize;
        if (!InDataRegion(h, begin, end)) {
            f.Add("region", "entry %08X [%" PRIu64 ", %" PRIu64 ") lies outside the data region",
                  e.crc, begin, end);
        } else if (end > begin) {
            scan.ranges.push_back({begin, end, i, true});
        }
    }
    if (live != h.liveCount) {
        f.Add("liveCount", "liveCount is %u but %u records are live", h.liveCount, live);
    }
    if (deleted != h.freeCount) {
        f.Add("freeCount", "freeCount is %u but %u records are deleted", h.freeCount, deleted);
    }
    return scan;
}

// Overlaps, against the furthest-reaching live range so far: overlaps among
// live entries break the format; a free block over a live entry would let
// new bytes overwrite it.
void CheckOverlaps(std::vector<Range> ranges, Findings& f) {
    std::sort(ranges.begin(), ranges.end(),
              [](const Range& a, const Range& b) { return a.begin < b.begin; });
    const Range* reach = nullptr;
    const Range* reachAny = nullptr;
    for (const Range& r : ranges) {
        if (r.live && reach != nullptr && r.begin < reach->end) {
            f.Add("overlap", "entries of records %u and %u overlap", reach->record, r.record);
        } else if (reachAny != nullptr && r.begin < reachAny->end && r.live != reachAny->live) {
            f.Add("free-overlap", "the free block of record %u overlaps the entry of record %u",
                  r.live ? reachAny->record : r.record, r.live ? r.record : reachAny->record);
        }
        if (r.live && (reach == nullptr || r.end > reach->end)) {
            reach = &r;
        }
        if (reachAny == nullptr || r.end > reachAny->end) {
            reachAny = &r;
        }
    }
}

// Names and kinds of the live entries that lie in the data region: crc ->
// name, for those whose trailer holds one.
std::map<uint32_t, std::string> CheckNames(platform::File& file, const Table& t,
                                           const RecordScan& scan, Findings& f) {
    std::map<uint32_t, std::string> names;
    for (const auto& item : scan.liveByCrc) {
        const CPKEntry& e = t.records[item.second];
        const uint64_t end = uint64_t{e.offset} + e.storedSize + e.trailerSize;
        if (!InDataRegion(t.header, e.offset, end)) {
            continue;  // reported with the records
        }
        char buffer[kCpkMaxPath + 2];
        size_t want = std::min<size_t>(e.trailerSize, sizeof buffer);
        auto got = file.ReadAt(uint64_t{e.offset} + e.storedSize, buffer, want);
        const void* zeroAt = got ? std::memchr(buffer, 0, *got) : nullptr;
        if (zeroAt == nullptr) {
            f.Add("name", "the trailer of entry %08X holds no terminated name", e.crc);
            continue;
        }
        std::string name(buffer, static_cast<size_t>(static_cast<const char*>(zeroAt) - buffer));
        if (e.trailerSize != name.size() + kCpkTrailerFixed) {
            f.Add("trailer", "entry %08X (%s) has a trailer of %u bytes, not %u", e.crc,
                  name.c_str(), e.trailerSize,
                  static_cast<unsigned>(name.size() + kCpkTrailerFixed));
        }
        if (IsDirectory(e)) {
            if (e.storedSize != 0 || e.originalSize != 0 || e.method != 0) {
                f.Add("directory", "directory %s has contents or a method", name.c_str());
            }
        } else if (e.method != kMethodStored && e.method != kMethodLzo && e.method != kMethodLzss) {
            f.Add("method", "file %s has the unknown method %u", name.c_str(), e.method);
        } else if (e.method == kMethodStored && e.storedSize != e.originalSize) {
            f.Add("stored", "stored file %s has %u stored and %u original bytes", name.c_str(),
                  e.storedSize, e.originalSize);
        }
        names[e.crc] = name;
    }
    return names;
}

// The full path of every named live entry: its parents are live
// directories, it fits, and it hashes to the entry's crc.
void CheckPaths(const Table& t, const RecordScan& scan,
                const std::map<uint32_t, std::string>& names, Findings& f) {
    for (const auto& item : scan.liveByCrc) {
        const CPKEntry& e = t.records[item.second];
        auto own = names.find(e.crc);
        if (own == names.end()) {
            continue;
        }
        std::string full = own->second;
        uint32_t parent = e.parentCrc;
        bool broken = false;
        while (parent != 0 && !broken) {
            auto p = scan.liveByCrc.find(parent);
            if (p == scan.liveByCrc.end() || !IsDirectory(t.records[p->second])) {
                f.Add("parent", "the parent %08X of %s is not a live directory", parent,
                      full.c_str());
                broken = true;
                break;
            }
            auto pn = names.find(parent);
            if (pn == names.end()) {
                broken = true;  // its own finding is reported
                break;
            }
            full = pn->second + "\\" + full;
            if (full.size() > kCpkMaxPath) {
                f.Add("length", "the path of entry %08X is longer than %u bytes", e.crc,
                      kCpkMaxPath);
                broken = true;
                break;
            }
            parent = t.records[p->second].parentCrc;
        }
        if (broken) {
            continue;
        }
        if (full.size() > kCpkMaxPath) {
            f.Add("length", "the path of entry %08X is longer than %u bytes", e.crc, kCpkMaxPath);
        } else if (cpkpath::CrcOfPath(full) != e.crc) {
            f.Add("crc", "entry %s has crc %08X, its path hashes to %08X", full.c_str(), e.crc,
                  cpkpath::CrcOfPath(full));
        }
    }
}

}  // namespace

std::vector<std::string> CheckArchive(const std::string& path) {
    Findings f;
    auto file = platform::File::Open(path, platform::Access::kRead,
                                     platform::kShareRead | platform::kShareWrite,
                                     platform::Disposition::kOpenExisting);
    if (!file) {
        f.Add("open", "cannot open the file: %s", file.error().Message().c_str());
        return f.Lines();
    }
    std::optional<Table> table = ReadTable(*file, f);
    if (!table) {
        return f.Lines();
    }
    const RecordScan scan = CheckRecords(*table, f);
    CheckOverlaps(scan.ranges, f);
    const std::map<uint32_t, std::string> names = CheckNames(*file, *table, scan, f);
    CheckPaths(*table, scan, names, f);
    return f.Lines();
}
