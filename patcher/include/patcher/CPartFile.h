// The partial file of one download: the final file's bytes at their final
// offsets, followed by a 324-byte trailer that records how much of each byte
// range (segment) has arrived. It lives next to the final file under the
// final name plus ".jat" and is moved to the final name once complete.
//
// Only the downloader's writer thread (DownloadThread) uses a CPartFile; the
// segment workers copy their segment's numbers when they start. The object's
// own helper thread only flushes and writes trailers (SaveInBackground).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "platform/file.h"

// ---- Records ----

// The unit a segment worker hands to the writer.
struct DataBlock {
    uint32_t segment;     // index into the trailer's segment table; kNoSegment = not credited
    uint32_t length;      // bytes of data (0..kDataBlockBytes)
    uint32_t fileOffset;  // file offset of data[0]
    uint8_t data[8192];
};
constexpr uint32_t kDataBlockBytes = 8192;
constexpr uint32_t kNoSegment = 0xFFFFFFFF;
// The pool's block size: the header fields and the data.
constexpr size_t kDataBlockSize = 12 + kDataBlockBytes;
static_assert(sizeof(DataBlock) == kDataBlockSize, "DataBlock is 8204 bytes");

constexpr int kSegmentsMax = 3;
constexpr uint32_t kPartMagic = 5678;
constexpr size_t kPartNameBytes = 260;  // 259 characters and the terminator
constexpr size_t kPartTrailerSize = 324;
// Sizes of downloaded files are 32-bit signed on the wire (SIZE) and in the
// patch-file list.
constexpr uint32_t kPartSizeMax = 0x7FFFFFFF;

struct SegmentRecord {
    uint32_t index;     // position in the table
    uint32_t start;     // file offset of the segment's first byte
    uint32_t length;    // bytes in the segment
    uint32_t received;  // bytes received and written, counted from start
};

struct PartTrailer {
    uint32_t magic;                       // kPartMagic
    uint32_t size;                        // size of the final file
    char name[kPartNameBytes];            // final name, NUL-terminated, zero-padded
    uint32_t segmentCount;                // 1..kSegmentsMax
    uint32_t received;                    // bytes received in all segments
    SegmentRecord segment[kSegmentsMax];  // unused records are zero
};
static_assert(sizeof(SegmentRecord) == 16, "SegmentRecord is 16 bytes");
static_assert(offsetof(SegmentRecord, start) == 4 && offsetof(SegmentRecord, length) == 8 &&
                  offsetof(SegmentRecord, received) == 12,
              "SegmentRecord field offsets");
static_assert(sizeof(PartTrailer) == kPartTrailerSize, "PartTrailer is 324 bytes");
static_assert(offsetof(PartTrailer, name) == 8 && offsetof(PartTrailer, segmentCount) == 268 &&
                  offsetof(PartTrailer, received) == 272 && offsetof(PartTrailer, segment) == 276,
              "PartTrailer field offsets");

// ---- Trailer rules (pure, for the loader and its fuzz target) ----

// The 324 little-endian bytes of a trailer.
void EncodePartTrailer(const PartTrailer& t, uint8_t out[kPartTrailerSize]);
// Reads a trailer from the last kPartTrailerSize bytes of a partial file of
// fileLength bytes and checks every rule of a valid trailer: the magic, a
// size of at most kPartSizeMax that leaves exactly room for the trailer
// (fileLength = size + 324), a terminated name, 1..3 segments whose indexes
// match their places, received counts within their lengths, lengths that
// add up to size and tile [0, size) without gap or overlap, and received
// counts that add up to at most size. False (out untouched) when any fails.
bool DecodePartTrailer(const uint8_t* bytes, size_t count, uint64_t fileLength, PartTrailer& out);
// The segment table of a new partial file: segments equal parts of size, the
// last one taking the remainder.
PartTrailer NewPartTrailer(const std::string& finalName, uint32_t size, int segments);
// Sets received to the sum of the segments' received counts.
void CorrectReceived(PartTrailer& t);
// Splits the segments with the most missing bytes until segmentsWanted
// segments exist or nothing is left to split. The split segment keeps its
// start and received count; the new one takes the second half of its tail.
void ResplitPartTrailer(PartTrailer& t, int segmentsWanted);
// Whether a block may be written and credited: it lies inside the file and,
// unless it belongs to no segment, continues its segment exactly where the
// received count ends and stays within the segment.
bool BlockFits(const PartTrailer& t, const DataBlock& block);

// ---- The partial file ----

// What a partial file's writes of downloaded bytes pass first. Without one
// every write goes to the disk; tests give one that fails writes as a full
// or failing disk does. Called from the thread that writes the file.
class PartWriteFaults {
public:
    virtual ~PartWriteFaults() = default;
    // True when the write of size bytes at offset is to fail.
    virtual bool Refuse(uint64_t offset, size_t size) = 0;
};

class CPartFile {
public:
    CPartFile() = default;
    ~CPartFile();
    CPartFile(const CPartFile&) = delete;
    CPartFile& operator=(const CPartFile&) = delete;

    // Opens finalName + ".jat" (system path), loading its trailer, or creates
    // it for size bytes in segmentsWanted segments (1..3). A loaded file
    // keeps its own size and segment table (re-split when more segments are
    // wanted than it has) and reports its segment count in segmentsWanted; a
    // file that already holds every byte is finished at once (moved to
    // finalName and closed). A damaged partial file is deleted and made anew.
    bool Open(const std::string& finalName, uint32_t size, int& segmentsWanted);
    // Writes a block at its file offset and credits it to its segment. Fails,
    // crediting nothing, for a block that does not fit (see BlockFits) or a
    // failed seek or write.
    bool Write(const DataBlock& block);
    // Writes blocks that follow one another in one segment (each starting
    // where the one before ends) with one write, and credits them all; fails,
    // crediting nothing, when one does not fit or the write fails.
    bool WriteRun(const DataBlock* const* blocks, size_t count);
    // Flushes the data written so far to the disk, then writes the trailer
    // at offset size and flushes again, so that the trailer on disk never
    // counts bytes that are not there.
    bool Save();
    // Save without waiting: a helper thread of this object flushes the data
    // written so far, then writes the trailer as it is now. The trailer
    // therefore still counts only bytes already on the disk, while the
    // writer goes on writing. Requests made while one runs are merged into
    // the latest. Close (and Open, Save) wait for it first.
    void SaveInBackground();
    // Saves; when every byte is there, finishes (cuts the trailer off and
    // moves the file to its final name). Otherwise the partial file stays.
    bool Close();
    // Reads back bytes written so far (the segments' received bytes), all
    // of them or nothing: size bytes from offset, which must lie within one
    // segment's received bytes.
    bool ReadWritten(uint64_t offset, void* buffer, size_t size);

    // The writes of Write and WriteRun pass faults first (null: none). It
    // must outlive the writes.
    void SetWriteFaults(PartWriteFaults* faults) { writeFaults_ = faults; }
    bool IsComplete() const { return trailer_.received >= trailer_.size; }
    bool IsOpen() const { return file_.IsOpen(); }

    uint32_t received() const { return trailer_.received; }
    void SetReceived(uint32_t received) { trailer_.received = received; }
    const PartTrailer& trailer() const { return trailer_; }
    const std::string& finalName() const { return finalName_; }

    // "%s.jat"
    static std::string PartPath(const std::string& finalName);

private:
    bool Load(const std::string& partPath);
    bool Finish();
    bool WriteTrailer(const PartTrailer& t);
    void FlushLoop();
    void StopFlusher();

    PartTrailer trailer_{};
    // The name given to Open: Finish moves the file there, never to a name
    // read from the file.
    std::string finalName_;
    platform::File file_;
    PartWriteFaults* writeFaults_ = nullptr;

    // The background save: one request at a time, the newest trailer wins.
    std::thread flusher_;
    std::mutex flushMu_;
    std::condition_variable flushWake_;
    bool flushPending_ = false;
    bool flushStop_ = false;
    PartTrailer flushTrailer_{};
};
