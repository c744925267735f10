#include "cpk/Codec.h"

#include <lzo/lzo1x.h>

#include <vector>

#include "cpk/DiscIOMgr.h"

namespace {

bool LzoReady() {
    static const bool ready = lzo_init() == LZO_E_OK;
    return ready;
}

int LzoCompress(CodecRequest& request) {
    if (!LzoReady()) {
        return LZO_E_ERROR;
    }
    // lzo1x_1_compress takes no capacity: a destination smaller than the
    // worst case could be overrun, so it is refused up front.
    if (request.destinationCapacity < CodecBound(kMethodLzo, request.sourceLength)) {
        return LZO_E_OUTPUT_OVERRUN;
    }
    thread_local std::vector<lzo_align_t> work((LZO1X_1_MEM_COMPRESS + sizeof(lzo_align_t) - 1) /
                                               sizeof(lzo_align_t));
    lzo_uint produced = 0;
    int rc = lzo1x_1_compress(request.source, request.sourceLength, request.destination, &produced,
                              work.data());
    request.destinationLength = static_cast<uint32_t>(produced);
    return rc;
}

int LzoDecompress(CodecRequest& request) {
    if (!LzoReady()) {
        return LZO_E_ERROR;
    }
    lzo_uint produced = request.destinationCapacity;
    int rc = lzo1x_decompress_safe(request.source, request.sourceLength, request.destination,
                                   &produced, nullptr);
    request.destinationLength = static_cast<uint32_t>(produced);
    return rc;
}

}  // namespace

uint32_t CodecBound(uint32_t method, uint32_t sourceLength) {
    uint64_t n = sourceLength;
    uint64_t bound = 0;
    switch (method) {
        case kMethodStored:
            bound = n;
            break;
        case kMethodLzo:
            bound = n + n / 16 + 64 + 3;  // the library's documented worst case
            break;
        case kMethodLzss:
            bound = n + (n + 7) / 8;  // all literals: one flag byte per eight
            break;
        default:
            return 0;
    }
    return bound > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(bound);
}

uint64_t MaxDecodedSize(uint32_t method, uint32_t sourceLength) {
    uint64_t n = sourceLength;
    switch (method) {
        case kMethodStored:
            return n;
        case kMethodLzo:
            // A long match grows by 255 bytes per input byte of its length.
            return n * 256 + 64;
        case kMethodLzss:
            // A two-byte reference yields at most 18 bytes.
            return n * 9;
        default:
            return 0;
    }
}

void ProcessCodecRequest(CodecRequest& request) {
    switch (request.method) {
        case kMethodStored:
            request.destinationLength = request.sourceLength;
            request.ok = 1;
            return;
        case kMethodLzo: {
            int rc = request.compress ? LzoCompress(request) : LzoDecompress(request);
            if (rc != LZO_E_OK) {
                ShowMessage(request.compress ? "MiniLzo compression failed: %d\n"
                                             : "MiniLzo decompression failed: %d\n",
                            rc);
                request.ok = 0;
            } else {
                request.ok = 1;
            }
            return;
        }
        case kMethodLzss: {
            uint32_t produced = 0;
            int rc = request.compress
                         ? LzssEncode(request.source, request.sourceLength, request.destination,
                                      request.destinationCapacity, &produced)
                         : LzssDecode(request.source, request.sourceLength, request.destination,
                                      request.destinationCapacity, &produced);
            request.destinationLength = produced;
            if (rc != 1) {
                ShowMessage(request.compress ? "lzss compression failed: %d\n"
                                             : "lzss decompression failed: %d\n",
                            rc);
                request.ok = 0;
            } else {
                request.ok = 1;
            }
            return;
        }
        default:
            return;  // unknown method: ok stays as the caller set it (0)
    }
}

std::optional<std::vector<uint8_t>> Compress(uint32_t method, const void* bytes, uint32_t size) {
    const uint8_t* source = static_cast<const uint8_t*>(bytes);
    if (method == kMethodStored) {
        return std::vector<uint8_t>(source, source + size);
    }
    if (CodecBound(method, 1) == 0) {
        return std::nullopt;  // no codec knows the method
    }
    // An empty input may have a bound of 0; the buffer still needs an address.
    const uint32_t bound = CodecBound(method, size);
    std::vector<uint8_t> packed(bound > 0 ? bound : 1);
    CodecRequest request;
    request.method = method;
    request.compress = 1;
    request.source = source;
    request.sourceLength = size;
    request.destination = packed.data();
    request.destinationCapacity = bound;
    ProcessCodecRequest(request);
    if (!request.ok) {
        return std::nullopt;
    }
    packed.resize(request.destinationLength);
    return packed;
}

std::optional<uint32_t> Decompress(uint32_t method, const void* bytes, uint32_t size,
                                   uint8_t* destination, uint32_t capacity) {
    CodecRequest request;
    request.method = method;
    request.source = static_cast<const uint8_t*>(bytes);
    request.sourceLength = size;
    request.destination = destination;
    request.destinationCapacity = capacity;
    ProcessCodecRequest(request);
    if (!request.ok) {
        return std::nullopt;
    }
    return request.destinationLength;
}
