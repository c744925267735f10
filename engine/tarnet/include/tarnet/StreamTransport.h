// A client's stream connection to a server: TCP, packages framed as in
// Framing.h, with a background thread that connects, receives and sends what
// could not be sent at once.
//
// The game thread calls every operation. The background thread only fills
// the received queue, drains the unsent queue and sets the two state words;
// the game polls them (IsConnected, IsBroken, Recv, GetUnsendPackageNum).
//
// Lifecycle: Init (idle) -> TryToConnect (connecting in the background) ->
// connected -> broken when the connection fails, the peer closes or sends a
// package over kMaxPackageBytes. Disconnect or Destroy end the connection and
// return to idle; TryToConnect may follow again.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "tarnet/Tarnet.h"

namespace Tarnet {

class TARNET_API CStreamTransport : public TObject {
public:
    static constexpr const char* kClassName = "stream_transport";

    // Bytes of packages waiting to be sent (framing included) beyond which
    // Send refuses more: a peer that stops reading cannot make the game
    // grow without bound.
    static constexpr size_t kMaxUnsentBytes = 4 * 1024 * 1024;
    // Bytes of received packages the game has not taken beyond which the
    // background thread stops reading until it does (the peer then waits;
    // nothing is dropped).
    static constexpr size_t kMaxQueuedRecvBytes = 4 * 1024 * 1024;
    static constexpr uint32_t kDefaultConnectTimeoutMs = 10000;

    CStreamTransport();
    ~CStreamTransport() override;
    const char* GetClassName() const override { return kClassName; }

    // Returns to idle (as Disconnect). flags: none defined; pass 0.
    bool Init(int flags);

    // Starts connecting to address (dotted IPv4 or a host name) and port in
    // the background, ending any earlier connection first (with what it left
    // unsent); packages sent while idle go out once connected. False when the
    // port is out of range or the address is null; the broken word is then
    // set. IsConnected tells when the connection is up.
    bool TryToConnect(const char* address, int port);

    // Ends the connection: the background thread stops, the socket closes,
    // unsent and untaken packages are dropped, both words clear. Packages
    // handed out by Recv stay valid until FreeRecved.
    void Disconnect();
    // The same as Disconnect; the object stays usable.
    void Destroy();

    // Queues one package of size bytes (0 allowed). Sent at once when the
    // connection is up and nothing is waiting before it, else by the
    // background thread in order. False, dropping the package, when size is
    // over kMaxPackageBytes, the connection is broken, or the unsent bytes
    // would pass kMaxUnsentBytes.
    bool Send(const void* data, unsigned long size);

    // The oldest received package and its size, or null when none waits.
    // The package is the caller's until FreeRecved.
    unsigned char* Recv(unsigned long& size);
    void FreeRecved(unsigned char* package);
    // Waits up to timeoutMs until a received package waits for Recv or the
    // connection is broken; answers whether a package waits. For tools with
    // nothing else to do: a game polls Recv once a frame instead.
    bool WaitForPackage(uint32_t timeoutMs);

    // Packages given to Send that have not been completely written to the
    // socket yet.
    int GetUnsendPackageNum();

    // Dotted text of an IPv4 address held as inet_addr gives it (first octet
    // in the lowest byte). The text lives in the object until the next call.
    const char* IP2String(unsigned long ip);

    // The two state words: connected is set once the connection is up and
    // stays set until Disconnect; broken is set when connecting failed or the
    // connection ended on its own. Up = connected and not broken.
    bool IsConnected() const { return m_connected.load(std::memory_order_acquire); }
    bool IsBroken() const { return m_broken.load(std::memory_order_acquire); }
    // Once broken: why, in words ("the server closed the connection",
    // "receive failed: 104 ..."), for logs. Empty otherwise.
    std::string GetCloseReason() const;

    // How long a connect may take before the transport counts as broken.
    void SetConnectTimeout(uint32_t ms) { m_connectTimeoutMs = ms; }
    // Address and port of the last TryToConnect.
    const std::string& GetAddress() const { return m_address; }

private:
    struct Impl;
    void Run(std::string address, uint16_t port, uint32_t connectTimeoutMs);
    void StopWorker();

    std::unique_ptr<Impl> m_impl;
    std::thread m_worker;
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_broken{false};
    uint32_t m_connectTimeoutMs = kDefaultConnectTimeoutMs;
    std::string m_address;
    char m_ipText[16] = {};
};

}  // namespace Tarnet
