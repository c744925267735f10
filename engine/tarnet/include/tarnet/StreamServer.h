// The listening side of the stream transport, for game servers and tools:
// accepts clients and exchanges framed packages with them (Framing.h).
//
// Single-threaded and pumped: the owner calls Pump, which waits for network
// activity up to a time-out and does all reading, writing and accepting,
// then takes the resulting events with NextEvent. A client that sends a
// package over kMaxPackageBytes, or stops reading while more than
// kMaxUnsentBytes wait for it, is disconnected; nothing it does affects the
// other clients.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tarnet/TarnetApi.h"

namespace Tarnet {

class TARNET_API CStreamServer {
public:
    static constexpr size_t kMaxClients = 256;
    static constexpr size_t kMaxUnsentBytes = 4 * 1024 * 1024;

    struct Event {
        enum Kind { kConnected, kPackage, kClosed };
        Kind kind = kPackage;
        uint32_t client = 0;        // ids start at 1 and are never reused
        std::vector<uint8_t> data;  // the package body (kPackage)
        std::string address;        // the client's dotted address (kConnected)
        std::string reason;         // why the connection ended (kClosed)
    };

    CStreamServer();
    ~CStreamServer();
    CStreamServer(const CStreamServer&) = delete;
    CStreamServer& operator=(const CStreamServer&) = delete;

    // Listens on address ("" = any) and port (0 = a free port, see
    // GetPort). False when that fails.
    bool Listen(const char* address, int port);
    int GetPort() const;
    bool IsListening() const;

    // Waits up to timeoutMs (0 = only what is ready now) for activity and
    // handles it; the events it produced queue up for NextEvent.
    void Pump(int timeoutMs);
    // The oldest event not yet taken; false when there is none.
    bool NextEvent(Event& ev);

    // Queues one package for a client. False when the client is gone, size
    // is over kMaxPackageBytes, or its unsent bytes would pass the bound
    // (the client is then disconnected).
    bool Send(uint32_t client, const void* data, unsigned long size);
    // Disconnects a client; a kClosed event follows.
    void Kick(uint32_t client);

    size_t ClientCount() const;
    // Closes every client and the listening socket.
    void Close();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace Tarnet
