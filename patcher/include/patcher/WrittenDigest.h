// The MD5 of a download taken while its partial file is written, so that
// the check after the download reads only what the digest did not reach.
//
// The file's bytes from the first on are digested as they are written,
// while the data is at hand: the first segment's as they arrive, and the
// next segment's from its start when they come only after the first's end
// (its worker started late). Once the digest reaches a segment whose bytes
// came before (its worker started with the others), it reads them back
// while the transfer goes on, a slice per round so that the writer keeps
// draining its queue, and then takes that segment's blocks as they come.
// Used by the downloader's writer thread alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "cpk/Md5.h"
#include "patcher/CPartFile.h"

class WrittenDigest {
public:
    // Bytes read back per round (see ReadAhead).
    static constexpr size_t kReadBackSlice = 1u << 20;

    // Starts over for a file whose segment table is `started`: the digest
    // runs when the first segment starts at byte 0 with nothing in it yet.
    void Begin(const PartTrailer& started);
    // Gives up: the check reads the whole file.
    void Stop() { running_ = false; }
    // A block just written into the file.
    void Written(const DataBlock& block);
    // One slice of bytes of a segment written before the digest reached
    // them, read back from part; stops the digest when it cannot read.
    void ReadAhead(CPartFile& part);

    // Whether the digest holds the file's first hashed() bytes.
    bool running() const { return running_; }
    uint64_t hashed() const { return hashed_; }
    Md5& md5() { return md5_; }

private:
    Md5 md5_;
    uint64_t hashed_ = 0;
    bool running_ = false;
    std::unique_ptr<uint8_t[]> readBack_;
};
