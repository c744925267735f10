#include "cpk/CPKCheck.h"

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>

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
    auto sizeResult = file->Size();
    const uint64_t size = sizeResult ? *sizeResult : 0;
    CPKHeader h{};
    auto got = file->ReadAt(0, &h, sizeof h);
    if (!got || *got != sizeof h) {
        f.Add("header", "the file is shorter than the %u-byte header", kCpkHeaderSize);
        return f.Lines();
    }
    if (h.magic != kCpkMagic) {
        f.Add("magic", "the magic is 0x%08X, not 0x%08X", h.magic, kCpkMagic);
        return f.Lines();
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
        return f.Lines();
    }
    // Bytes past the table belong to no entry and no reader looks at them:
    // a change that was cut short leaves them, and the next one cuts them.
    uint32_t used = h.usedCount;
    if (used > h.capacity) {
        f.Add("usedCount", "usedCount %u exceeds the capacity %u", used, h.capacity);
        used = h.capacity;
    }

    std::vector<CPKEntry> table(h.capacity);
    if (h.capacity > 0) {
        got = file->ReadAt(h.tableOffset, table.data(), static_cast<size_t>(tableBytes));
        if (!got || *got != tableBytes) {
            f.Add("read", "the table cannot be read");
            return f.Lines();
        }
    }

    const CPKEntry zero{};
    for (uint32_t i = used; i < h.capacity; ++i) {
        if (std::memcmp(&table[i], &zero, sizeof zero) != 0) {
            f.Add("beyond", "record %u past usedCount is not empty", i);
        }
    }

    uint32_t live = 0;
    uint32_t deleted = 0;
    std::map<uint32_t, uint32_t> liveByCrc;
    std::vector<Range> ranges;
    for (uint32_t i = 0; i < used; ++i) {
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
            if (e.storedSize > 0 && (begin < kCpkHeaderSize || end > h.tableOffset)) {
                f.Add("free-region",
                      "free block of record %u [%" PRIu64 ", %" PRIu64
                      ") lies outside the data region",
                      i, begin, end);
            } else if (e.storedSize > 0) {
                ranges.push_back({begin, end, i, false});
            }
            continue;
        }
        ++live;
        if (!liveByCrc.emplace(e.crc, i).second) {
            f.Add("unique", "records %u and %u are both live with crc %08X", liveByCrc[e.crc], i,
                  e.crc);
        }
        const uint64_t end = begin + e.storedSize + e.trailerSize;
        if (begin < kCpkHeaderSize || end > h.tableOffset) {
            f.Add("region", "entry %08X [%" PRIu64 ", %" PRIu64 ") lies outside the data region",
                  e.crc, begin, end);
        } else if (end > begin) {
            ranges.push_back({begin, end, i, true});
        }
    }
    if (live != h.liveCount) {
        f.Add("liveCount", "liveCount is %u but %u records are live", h.liveCount, live);
    }
    if (deleted != h.freeCount) {
        f.Add("freeCount", "freeCount is %u but %u records are deleted", h.freeCount, deleted);
    }

    std::sort(ranges.begin(), ranges.end(),
              [](const Range& a, const Range& b) { return a.begin < b.begin; });
    // Against the furthest-reaching live range so far: overlaps among live
    // entries break the format; a free block over a live entry would let new
    // bytes overwrite it.
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

    // Names, kinds and paths of the live entries.
    std::map<uint32_t, std::string> names;
    for (const auto& item : liveByCrc) {
        const CPKEntry& e = table[item.second];
        const uint64_t end = uint64_t{e.offset} + e.storedSize + e.trailerSize;
        if (e.offset < kCpkHeaderSize || end > h.tableOffset) {
            continue;  // reported above
        }
        char buffer[kCpkMaxPath + 2];
        size_t want = std::min<size_t>(e.trailerSize, sizeof buffer);
        got = file->ReadAt(uint64_t{e.offset} + e.storedSize, buffer, want);
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
    for (const auto& item : liveByCrc) {
        const CPKEntry& e = table[item.second];
        auto own = names.find(e.crc);
        if (own == names.end()) {
            continue;
        }
        std::string full = own->second;
        uint32_t parent = e.parentCrc;
        bool broken = false;
        while (parent != 0 && !broken) {
            auto p = liveByCrc.find(parent);
            if (p == liveByCrc.end() || !IsDirectory(table[p->second])) {
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
            parent = table[p->second].parentCrc;
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
    return f.Lines();
}
