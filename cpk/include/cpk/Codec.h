// Compression methods of archive entries: the dispatcher the archive calls,
// this system's own LZSS format, and LZO1X through the LZO library.
//
// Every codec takes the capacity of its destination and never writes past
// it: a stream that would produce more fails instead. The codecs keep no
// shared state, so any number of threads may use them at once.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// Compression method of an entry (the 16-bit method field of its record).
enum : uint16_t {
    kMethodStored = 1,
    kMethodLzo = 2,
    kMethodLzss = 4,
};

// Result codes of the LZSS codec besides 1 (success).
constexpr int kLzssOutputOverrun = -1;  // the destination is too small

// One compression or decompression, filled by the caller.
struct CodecRequest {
    uint32_t method = 0;               // kMethod...
    uint32_t compress = 0;             // 1 compress, 0 decompress
    const uint8_t* source = nullptr;   // input bytes
    uint8_t* destination = nullptr;    // output buffer, sized by the caller
    uint32_t sourceLength = 0;         // input byte count
    uint32_t destinationCapacity = 0;  // size of the output buffer
    uint32_t destinationLength = 0;    // set by the codec: bytes produced
    int ok = 0;                        // set by the codec: 1 success, 0 failure
};

// Runs the request's method in its direction and sets destinationLength and
// ok. Stored (1) only reports sourceLength and moves nothing. A failing LZO
// or LZSS call shows "MiniLzo ... failed: %d" / "lzss ... failed: %d" with
// its result code; an unknown method fails silently.
void ProcessCodecRequest(CodecRequest& request);

// The two directions of ProcessCodecRequest with the request filled in:
// Compress answers the stream of size bytes packed with the method (stored:
// a copy), Decompress the number of bytes it wrote to destination, which
// holds capacity bytes. Nothing when the method is unknown or the codec
// fails (the codec's own message is shown).
std::optional<std::vector<uint8_t>> Compress(uint32_t method, const void* bytes, uint32_t size);
std::optional<uint32_t> Decompress(uint32_t method, const void* bytes, uint32_t size,
                                   uint8_t* destination, uint32_t capacity);

// The largest output compressing sourceLength bytes can produce with the
// method (a destination this large never overruns); 0 for an unknown method.
uint32_t CodecBound(uint32_t method, uint32_t sourceLength);
// The most bytes a stream of sourceLength bytes can decompress to with the
// method: a limit on what an entry may claim as its original size before
// any memory is set aside for it. 0 for an unknown method.
uint64_t MaxDecodedSize(uint32_t method, uint32_t sourceLength);

// LZSS (method 4): 4,096-byte ring initially filled with spaces (write
// position 4,078), groups of a flag byte (least significant bit first:
// 1 literal byte, 0 a two-byte reference to an absolute ring position with a
// length of 3 to 18), no header and no end marker; input that ends inside a
// group or inside a reference simply ends the output.
// Both answer 1, or kLzssOutputOverrun when destinationCapacity is too small
// (destinationLength then tells how far it got).
int LzssDecode(const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
               uint32_t destinationCapacity, uint32_t* destinationLength);
int LzssEncode(const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
               uint32_t destinationCapacity, uint32_t* destinationLength);
