// MD5 digests (RFC 1321): of downloaded patch files, and of names in the
// trailers of archive directories.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Incremental MD5. Any number of instances may run at once.
class Md5 {
public:
    Md5();
    void Update(const void* data, size_t size);
    // The 16 digest bytes in their standard order; the object is spent.
    void Final(uint8_t digest[16]);

private:
    void Transform(const uint8_t block[64]);

    uint32_t state_[4];
    uint64_t bytes_ = 0;
    uint8_t buffer_[64];
};

// Digest of count bytes; answers 1.
int Md5OfBuffer(const void* bytes, size_t count, uint8_t digest[16]);
// Digest of a zero-terminated text without its terminator; answers 1.
int Md5OfString(const char* text, uint8_t digest[16]);
// Digest of a file's contents (system path, GBK). 0 when the path is null or
// the file cannot be opened or read. The file is read in 64 KiB chunks,
// whatever its size.
int Md5OfFile(const char* path, uint8_t digest[16]);
// Goes on with md5, which holds the file's first offset bytes already, over
// the rest of the file, and finishes it into digest. 0 as Md5OfFile.
int Md5OfFileRest(const char* path, uint64_t offset, Md5& md5, uint8_t digest[16]);

// The 32 lowercase hexadecimal characters of a digest, as the version server
// sends them.
std::string Md5Hex(const uint8_t digest[16]);
