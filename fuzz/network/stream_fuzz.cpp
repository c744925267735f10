// Fuzz target: bytes a server sends to a game client. They go through the
// stream transport's frame decoder, in pieces cut where the input says, and
// every package it yields is split into messages by GSession's parser, with
// a handler that reads each message whole. The first input byte picks the
// piece sizes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "framework/GSession.h"
#include "tarnet/Framing.h"

namespace {

class FuzzSession : public GFC::GSession {
public:
    using GSession::ParsePackage;
    uint32_t checksum = 0;

protected:
    unsigned long OnNetMessage(void* msg) override {
        const uint8_t* p = static_cast<const uint8_t*>(msg);
        const unsigned long n = GSession::OnNetMessage(msg);
        for (unsigned long i = 0; i < n; ++i) {
            checksum = checksum * 31 + p[i];  // every byte the header promises
        }
        // Kind 0 plays a handler that gives up on the rest of the package.
        return (p[0] | (p[1] << 8)) == 0 ? 0 : n;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const size_t piece = 1 + data[0] % 64;  // 1..64 bytes a read
    ++data;
    --size;

    static FuzzSession session;
    Tarnet::FrameDecoder decoder(Tarnet::kMaxPackageBytes);
    for (size_t at = 0; at < size; at += piece) {
        const size_t n = size - at < piece ? size - at : piece;
        const bool ok = decoder.Feed(data + at, n, [](const uint8_t* body, uint32_t len) {
            // The package in a buffer of exactly its size, as the transport
            // hands it out, so any read past it is caught.
            std::unique_ptr<uint8_t[]> copy(new uint8_t[len ? len : 1]);
            if (len) {
                std::memcpy(copy.get(), body, len);
            }
            const int handled = session.ParsePackage(copy.get(), len);
            if (handled < 0 ||
                static_cast<uint32_t>(handled) > len / GFC::GSession::kMsgHeaderBytes) {
                __builtin_trap();  // more messages than the package can hold
            }
        });
        if (!ok) {
            if (!decoder.Failed()) {
                __builtin_trap();
            }
            break;  // the transport closes the connection here
        }
    }
    return 0;
}
