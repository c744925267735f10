// MD5 (RFC 1321) of the files versiond serves. The patcher checks every
// downloaded file against this text, so it must be the plain lowercase
// hexadecimal digest.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/result.h"

namespace versiond {

class Md5 {
public:
    Md5();
    void Update(const void* data, size_t size);
    std::array<uint8_t, 16> Final();

private:
    void Block(const uint8_t* block);

    uint32_t state_[4];
    uint64_t bytes_ = 0;
    uint8_t buffer_[64];
    size_t buffered_ = 0;
};

std::string ToHex(const std::array<uint8_t, 16>& digest);
// 32 lowercase hexadecimal characters of the digest of data.
std::string Md5Hex(const void* data, size_t size);
// The same for a whole file (a system path).
platform::Result<std::string> Md5HexOfFile(const std::string& path);

}  // namespace versiond
