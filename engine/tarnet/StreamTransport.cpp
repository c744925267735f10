#include "tarnet/StreamTransport.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "FrameQueue.h"
#include "platform/clock.h"
#include "platform/net.h"
#include "tarnet/Framing.h"
#include "tarnet/Util.h"

namespace Tarnet {

namespace {

// The background thread waits for the socket in slices of this length, so a
// stop request or a package queued during a wait is seen within one slice.
constexpr int kPollSliceMs = 10;
// One read takes at most this much from the socket.
constexpr size_t kReadChunk = 64 * 1024;

struct Package {
    unsigned char* data;
    unsigned long size;
};

}  // namespace

struct CStreamTransport::Impl {
    platform::TcpSocket socket;
    std::atomic<bool> stop{false};

    // Sending side, shared by the game thread (Send) and the background
    // thread (draining what could not be sent at once).
    std::mutex sendMu;
    bool sendReady = false;  // the socket is up and may be written
    FrameQueue unsent;
    std::vector<uint8_t> scratch;  // the frame of a direct send

    // Receiving side: filled by the background thread, emptied by Recv.
    std::mutex recvMu;
    std::condition_variable recvCv;  // a package arrived, or the connection ended
    std::deque<Package> received;
    size_t receivedBytes = 0;
    std::string closeReason;  // why the connection ended or never came up

    void ClearQueues() {
        {
            std::lock_guard<std::mutex> lock(sendMu);
            unsent.Clear();
            sendReady = false;
        }
        std::lock_guard<std::mutex> lock(recvMu);
        for (Package& p : received) {
            std::free(p.data);
        }
        received.clear();
        receivedBytes = 0;
        closeReason.clear();
    }
};

CStreamTransport::CStreamTransport() : m_impl(std::make_unique<Impl>()) {}

CStreamTransport::~CStreamTransport() {
    Disconnect();
}

bool CStreamTransport::Init(int /*flags*/) {
    Disconnect();
    return true;
}

bool CStreamTransport::TryToConnect(const char* address, int port) {
    // Packages queued while idle wait for this connection; what was left of
    // an earlier connection goes with it.
    if (m_worker.joinable() || IsConnected() || IsBroken()) {
        Disconnect();
    }
    m_address = address ? address : "";
    if (!address || port <= 0 || port > 65535) {
        {
            std::lock_guard<std::mutex> lock(m_impl->recvMu);
            m_impl->closeReason = "no address and port to connect to";
        }
        m_broken.store(true, std::memory_order_release);
        return false;
    }
    m_worker = std::thread(&CStreamTransport::Run, this, std::string(address),
                           static_cast<uint16_t>(port), m_connectTimeoutMs);
    return true;
}

void CStreamTransport::StopWorker() {
    if (m_worker.joinable()) {
        m_impl->stop.store(true);
        m_worker.join();
        m_impl->stop.store(false);
    }
}

void CStreamTransport::Disconnect() {
    StopWorker();
    m_impl->ClearQueues();
    m_impl->socket.Close();
    m_connected.store(false, std::memory_order_release);
    m_broken.store(false, std::memory_order_release);
}

void CStreamTransport::Destroy() {
    Disconnect();
}

bool CStreamTransport::Send(const void* data, unsigned long size) {
    if ((!data && size) || size > kMaxPackageBytes || IsBroken()) {
        return false;
    }
    Impl& im = *m_impl;
    std::lock_guard<std::mutex> lock(im.sendMu);
    const size_t frameSize = kFrameHeaderBytes + size;
    if (im.unsent.bytes() + frameSize > kMaxUnsentBytes) {
        return false;
    }
    im.scratch.clear();
    AppendFrame(im.scratch, data, static_cast<uint32_t>(size));
    size_t written = 0;
    if (im.sendReady && im.unsent.empty()) {
        auto r = im.socket.Send(im.scratch.data(), im.scratch.size());
        if (r) {
            written = *r;
        } else if (!platform::IsWouldBlock(r.error())) {
            // The background thread sees the same failure on its side and
            // marks the connection broken; this package is lost with it.
            return false;
        }
        if (written == frameSize) {
            return true;
        }
    }
    im.unsent.Push(std::vector<uint8_t>(im.scratch.begin(), im.scratch.end()), written);
    return true;
}

unsigned char* CStreamTransport::Recv(unsigned long& size) {
    Impl& im = *m_impl;
    std::lock_guard<std::mutex> lock(im.recvMu);
    if (im.received.empty()) {
        size = 0;
        return nullptr;
    }
    Package p = im.received.front();
    im.received.pop_front();
    im.receivedBytes -= p.size;
    size = p.size;
    return p.data;
}

bool CStreamTransport::WaitForPackage(uint32_t timeoutMs) {
    Impl& im = *m_impl;
    std::unique_lock<std::mutex> lock(im.recvMu);
    im.recvCv.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                       [&] { return !im.received.empty() || IsBroken(); });
    return !im.received.empty();
}

void CStreamTransport::FreeRecved(unsigned char* package) {
    std::free(package);
}

std::string CStreamTransport::GetCloseReason() const {
    std::lock_guard<std::mutex> lock(m_impl->recvMu);
    return m_impl->closeReason;
}

int CStreamTransport::GetUnsendPackageNum() {
    std::lock_guard<std::mutex> lock(m_impl->sendMu);
    return static_cast<int>(m_impl->unsent.count());
}

const char* CStreamTransport::IP2String(unsigned long ip) {
    const std::string text = IUtil::IPToString(ip);
    std::snprintf(m_ipText, sizeof m_ipText, "%s", text.c_str());
    return m_ipText;
}

void CStreamTransport::Run(std::string address, uint16_t port, uint32_t connectTimeoutMs) {
    Impl& im = *m_impl;
    auto fail = [&](std::string why) {
        {
            std::lock_guard<std::mutex> lock(im.sendMu);
            im.sendReady = false;
        }
        {
            // Under the lock a waiter tests its condition with, so it cannot
            // miss the change.
            std::lock_guard<std::mutex> lock(im.recvMu);
            im.closeReason = std::move(why);
            m_broken.store(true, std::memory_order_release);
        }
        im.recvCv.notify_all();
    };

    // Connect: a host name is resolved here, off the game thread.
    unsigned long ip = 0;
    std::string target = address;
    if (!IUtil::StringToIP(address.c_str(), ip)) {
        std::vector<std::string> found = platform::ResolveIPv4(address);
        if (found.empty()) {
            return fail("cannot resolve " + address);
        }
        target = found.front();
    }
    auto created = platform::TcpSocket::Create();
    if (!created) {
        return fail(SocketFailure("socket", created.error()));
    }
    if (auto st = created->SetNonBlocking(true); !st) {
        return fail(SocketFailure("non-blocking mode", st.error()));
    }
    platform::TcpSocket sock = std::move(*created);
    auto started = sock.Connect(target, port);
    if (!started) {
        return fail(SocketFailure("connect", started.error()));
    }
    if (*started == platform::TcpSocket::ConnectState::kInProgress) {
        const uint64_t deadline = platform::TickCount64() + connectTimeoutMs;
        for (;;) {
            if (im.stop.load()) {
                return;
            }
            const platform::WaitResult w = sock.WaitWritable(kPollSliceMs);
            if (w == platform::WaitResult::kReady) {
                break;
            }
            if (w == platform::WaitResult::kError) {
                return fail("connect failed while waiting");
            }
            if (platform::TickCount64() >= deadline) {
                return fail("connect timed out after " + std::to_string(connectTimeoutMs) + " ms");
            }
        }
        if (auto st = sock.PendingError(); !st) {
            return fail(SocketFailure("connect", st.error()));
        }
    }
    sock.SetNoDelay(true);
    {
        std::lock_guard<std::mutex> lock(im.sendMu);
        im.socket = std::move(sock);
        im.sendReady = true;
    }
    m_connected.store(true, std::memory_order_release);

    FrameDecoder decoder(kMaxPackageBytes);
    std::vector<uint8_t> chunk(kReadChunk);
    std::vector<Package> fresh;
    std::vector<platform::PollItem> items(1);
    std::string why;
    while (!im.stop.load()) {
        bool wantWrite;
        {
            std::lock_guard<std::mutex> lock(im.sendMu);
            platform::Error failure;
            if (!im.unsent.Flush(im.socket, &failure)) {
                why = SocketFailure("send", failure);
                break;
            }
            wantWrite = !im.unsent.empty();
        }
        bool wantRead;
        {
            std::lock_guard<std::mutex> lock(im.recvMu);
            wantRead = im.receivedBytes < kMaxQueuedRecvBytes;
        }
        items[0] = platform::PollItem{&im.socket, wantRead, wantWrite};
        auto polled = platform::Poll(items, kPollSliceMs);
        if (!polled) {
            why = SocketFailure("poll", polled.error());
            break;
        }
        if (items[0].readable) {
            auto r = im.socket.Recv(chunk.data(), chunk.size());
            if (!r) {
                if (!platform::IsWouldBlock(r.error())) {
                    why = SocketFailure("receive", r.error());
                    break;
                }
            } else if (*r == 0) {
                why = "the server closed the connection";
                break;
            } else {
                fresh.clear();
                const bool ok =
                    decoder.Feed(chunk.data(), *r, [&](const uint8_t* body, uint32_t size) {
                        // Never malloc(0): an empty package still needs a
                        // pointer that is not null.
                        auto* copy = static_cast<unsigned char*>(std::malloc(size ? size : 1));
                        if (copy) {
                            std::memcpy(copy, body, size);
                            fresh.push_back(Package{copy, size});
                        }
                    });
                if (!fresh.empty()) {
                    {
                        std::lock_guard<std::mutex> lock(im.recvMu);
                        for (const Package& p : fresh) {
                            im.received.push_back(p);
                            im.receivedBytes += p.size;
                        }
                    }
                    im.recvCv.notify_all();
                }
                if (!ok) {
                    // Nothing after a package over the bound can be trusted.
                    why = "a package over " + std::to_string(kMaxPackageBytes) + " bytes";
                    break;
                }
            }
        } else if (items[0].failed) {
            why = "the connection failed";
            break;
        }
    }
    if (im.stop.load()) {
        return;
    }
    // The connection ended on its own: close the socket now, so the peer
    // sees it, and stop direct sends before that.
    fail(std::move(why));
    im.socket.Close();
}

}  // namespace Tarnet
