#include "patcher/MsgClient.h"

#include <cstring>
#include <random>
#include <system_error>

#include "patcher/VersionCheck.h"
#include "platform/clock.h"
#include "platform/msgbox.h"
#include "platform/net_options.h"
#include "platform/text.h"

using platform::TcpSocket;
using platform::WaitResult;

// ---- MsgQueue ----

void MsgQueue::Push(std::unique_ptr<MsgBuffer> buffer) {
    std::lock_guard<std::mutex> lock(mu_);
    items_.push_back(std::move(buffer));
}

std::unique_ptr<MsgBuffer> MsgQueue::Pop() {
    std::lock_guard<std::mutex> lock(mu_);
    if (items_.empty()) {
        return nullptr;
    }
    std::unique_ptr<MsgBuffer> b = std::move(items_.front());
    items_.pop_front();
    return b;
}

size_t MsgQueue::Count() const {
    std::lock_guard<std::mutex> lock(mu_);
    return items_.size();
}

void MsgQueue::Clear() {
    std::lock_guard<std::mutex> lock(mu_);
    items_.clear();
}

// ---- CMsgClient ----

namespace {

// Dotted addresses are at most 15 characters; the client's text field
// holds 16.
constexpr size_t kMaxAddressLength = 16;
constexpr uint32_t kSecondMs = 1000;
constexpr uint32_t kCloseSleepMinMs = 100;
constexpr uint32_t kCloseSleepSpanMs = 100;
constexpr uint32_t kFreeBuffersAtSetup = 2;
constexpr uint32_t kQueueFullSleepMs = 10;

}  // namespace

CMsgClient::CMsgClient() = default;

CMsgClient::CMsgClient(MsgClientOptions options) : options_(std::move(options)) {}

CMsgClient::~CMsgClient() {
    Destroy();
}

bool CMsgClient::Start() {
    return platform::StartSocketLibrary().ok();
}

bool CMsgClient::Setup() {
    if (free_.Count() == 0) {
        for (uint32_t i = 0; i < kFreeBuffersAtSetup; ++i) {
            free_.Push(std::make_unique<MsgBuffer>());
        }
    }
    socket_.Close();
    auto s = options_.createSocket ? options_.createSocket() : TcpSocket::Create();
    if (!s) {
        return false;
    }
    socket_ = std::move(s.value());
    if (!socket_.SetNonBlocking(true)) {
        socket_.Close();
        return false;
    }
    // Neither is essential to the exchange; a refusal leaves the defaults.
    (void)platform::SetReuseAddress(socket_, true);
    (void)platform::SetLinger(socket_, true, 0);

    uint32_t now = platform::TickCount();
    sendTick_ = receiveTick_ = now;
    sentThisSecond_ = receivedThisSecond_ = 0;
    sentLastSecond_ = receivedLastSecond_ = 0;
    sendCap_ = receiveCap_ = UINT32_MAX;
    return true;
}

void CMsgClient::Connect(const std::string& address, uint16_t port) {
    Close();
    if (!Setup()) {
        // Without a socket there is nothing to connect; a connect thread
        // would only fail on the closed handle after the settle.
        platform::ShowMessageBox(nullptr, VersionCheckText(GBK("创建socket失败")), nullptr,
                                 platform::kMbOk);
        return;
    }
    platform::SleepMs(kConnectSettleMs);
    if (address.empty() || address.size() > kMaxAddressLength) {
        return;
    }
    address_ = address;
    port_ = port;
    stopConnect_ = false;
    stopSender_ = false;
    stopReceiver_ = false;
    connecting_ = true;
    try {
        connectThread_ = std::thread(&CMsgClient::ConnectThread, this, address, port);
    } catch (const std::system_error&) {
        connecting_ = false;
    }
}

bool CMsgClient::IsConnecting() const {
    return connecting_;
}

bool CMsgClient::IsConnected() const {
    return connected_;
}

bool CMsgClient::HasError() const {
    return error_;
}

std::unique_ptr<MsgBuffer> CMsgClient::TakeFree() {
    std::unique_ptr<MsgBuffer> b = free_.Pop();
    if (!b) {
        b = std::make_unique<MsgBuffer>();
    }
    b->fill = 0;
    return b;
}

bool CMsgClient::Send(const void* bytes, size_t length) {
    if (length > kMaxFrameBody) {
        return false;
    }
    std::unique_ptr<MsgBuffer> b = TakeFree();
    uint32_t n = static_cast<uint32_t>(length);
    for (size_t i = 0; i < kFrameLengthSize; ++i) {
        b->frame[i] = static_cast<uint8_t>(n >> (8 * i));
    }
    if (length > 0) {
        std::memcpy(b->frame + kFrameLengthSize, bytes, length);
    }
    b->fill = static_cast<uint32_t>(kFrameLengthSize + length);
    outgoing_.Push(std::move(b));
    return connected_;
}

std::unique_ptr<MsgBuffer> CMsgClient::Receive() {
    return incoming_.Pop();
}

void CMsgClient::Release(std::unique_ptr<MsgBuffer> buffer) {
    if (buffer) {
        free_.Push(std::move(buffer));
    }
}

void CMsgClient::Close(CloseMode mode) {
    stopConnect_ = true;
    stopSender_ = true;
    stopReceiver_ = true;
    // The connect thread may start the sender and the receiver; join it
    // first so that both are known here.
    if (connectThread_.joinable()) {
        connectThread_.join();
    }
    if (senderThread_.joinable()) {
        senderThread_.join();
    }
    if (receiverThread_.joinable()) {
        receiverThread_.join();
    }
    connecting_ = false;

    if (socket_.IsOpen()) {
        (void)socket_.ShutdownSend();
        if (connected_ && mode == CloseMode::kReplyTaken) {
            // Everything wanted has arrived; a peer that keeps the connection
            // open for its next request is not waited for.
        } else if (connected_) {
            // Take what the peer still sends until it closes its side, so the
            // reset of the close does not cut off its last reply.
            for (int i = 0; i < options_.drainPolls; ++i) {
                WaitResult w = socket_.WaitReadable(kDrainWaitMs);
                if (w == WaitResult::kTimeout) {
                    continue;
                }
                uint8_t byte;
                auto r = socket_.Recv(&byte, 1);
                if (!r) {
                    if (platform::IsWouldBlock(r.error())) {
                        continue;
                    }
                    break;
                }
                if (*r == 0) {
                    break;
                }
            }
        } else {
            static thread_local std::minstd_rand random(platform::TickCount());
            platform::SleepMs(kCloseSleepMinMs +
                              static_cast<uint32_t>(random() % kCloseSleepSpanMs));
        }
        socket_.Close();
    }
    connected_ = false;
    holdingBack_ = false;
    free_.Clear();
    outgoing_.Clear();
    incoming_.Clear();
}

void CMsgClient::Destroy(CloseMode mode) {
    if (destroyed_) {
        return;
    }
    Close(mode);
    destroyed_ = true;
}

void CMsgClient::SleepUnless(uint32_t ms, const std::atomic<bool>& flag) {
    constexpr uint32_t kSlice = 50;
    while (ms > 0 && !flag) {
        uint32_t step = ms < kSlice ? ms : kSlice;
        platform::SleepMs(step);
        ms -= step;
    }
}

void CMsgClient::ConnectThread(std::string address, uint16_t port) {
    bool ok = false;
    if (ParseDottedAddress(address)) {
        auto started = socket_.Connect(address, port);
        if (started && *started == TcpSocket::ConnectState::kConnected) {
            ok = true;
        } else if (started) {
            for (int i = 0; i < kConnectWaits; ++i) {
                WaitResult w = socket_.WaitWritable(kConnectWaitMs);
                if (w != WaitResult::kTimeout) {
                    // Writable also means "failed" on some systems: the
                    // pending error tells.
                    ok = w == WaitResult::kReady && socket_.PendingError().ok();
                    break;
                }
                if (stopConnect_) {
                    break;
                }
                platform::SleepMs(kConnectRetrySleepMs);
            }
        }
    }
    if (ok && !stopConnect_) {
        connected_ = true;
        try {
            senderThread_ = std::thread(&CMsgClient::SenderThread, this);
            receiverThread_ = std::thread(&CMsgClient::ReceiverThread, this);
        } catch (const std::system_error&) {
            stopSender_ = true;
            stopReceiver_ = true;
            connected_ = false;
        }
    } else {
        connected_ = false;
    }
    connecting_ = false;
}

void CMsgClient::SenderThread() {
    while (!stopSender_) {
        uint32_t now = platform::TickCount();
        if (now - sendTick_ >= kSecondMs) {
            sentLastSecond_ = sentThisSecond_;
            sentThisSecond_ = 0;
            sendTick_ = now;
        }
        if (sentThisSecond_ >= sendCap_) {
            platform::SleepMs(kRateCapSleepMs);
            continue;
        }
        std::unique_ptr<MsgBuffer> b = outgoing_.Pop();
        if (!b) {
            SleepUnless(kSenderIdleSleepMs, stopSender_);
            continue;
        }
        uint32_t sent = 0;
        while (sent < b->fill && !stopSender_) {
            auto r = socket_.Send(b->frame + sent, b->fill - sent);
            if (r) {
                sent += static_cast<uint32_t>(*r);
                sentThisSecond_ += static_cast<uint32_t>(*r);
            } else if (platform::IsWouldBlock(r.error())) {
                (void)socket_.WaitWritable(kSocketWaitMs);
            } else {
                error_ = true;
                SleepUnless(kSocketErrorSleepMs, stopSender_);
            }
        }
        free_.Push(std::move(b));
    }
}

CMsgClient::ReadOutcome CMsgClient::ReadExactly(uint8_t* dst, size_t size) {
    size_t got = 0;
    while (got < size) {
        if (stopReceiver_) {
            return ReadOutcome::kStopped;
        }
        if (socket_.WaitReadable(kSocketWaitMs) == WaitResult::kTimeout) {
            continue;
        }
        auto r = socket_.Recv(dst + got, size - got);
        if (!r) {
            if (!platform::IsWouldBlock(r.error())) {
                error_ = true;
                SleepUnless(kSocketErrorSleepMs, stopReceiver_);
            }
            continue;
        }
        if (*r == 0) {
            return ReadOutcome::kClosed;
        }
        got += *r;
        receivedThisSecond_ += static_cast<uint32_t>(*r);
    }
    return ReadOutcome::kDone;
}

void CMsgClient::ReceiverThread() {
    while (!stopReceiver_) {
        uint32_t now = platform::TickCount();
        if (now - receiveTick_ > kSecondMs - 1) {
            receivedLastSecond_ = receivedThisSecond_;
            receivedThisSecond_ = 0;
            receiveTick_ = now;
        }
        if (receivedThisSecond_ >= receiveCap_) {
            platform::SleepMs(kRateCapSleepMs);
            continue;
        }
        if (incoming_.Count() >= kMaxIncomingFrames) {
            holdingBack_ = true;
            platform::SleepMs(kQueueFullSleepMs);
            continue;
        }
        holdingBack_ = false;
        uint8_t prefix[kFrameLengthSize];
        ReadOutcome o = ReadExactly(prefix, sizeof prefix);
        if (o != ReadOutcome::kDone) {
            break;
        }
        uint32_t length = GetU32(prefix);
        if (length > kMaxFrameBody) {
            // No buffer holds it, and skipping it would mean trusting a
            // length of up to 4 GiB: the stream is unusable from here on.
            error_ = true;
            break;
        }
        std::unique_ptr<MsgBuffer> b = TakeFree();
        std::memcpy(b->frame, prefix, sizeof prefix);
        o = ReadExactly(b->frame + kFrameLengthSize, length);
        if (o != ReadOutcome::kDone) {
            free_.Push(std::move(b));
            break;
        }
        b->fill = static_cast<uint32_t>(kFrameLengthSize + length);
        incoming_.Push(std::move(b));
    }
    // The connection ended from the peer's side (or is out of step). When
    // Close stopped the thread the connection is still up, and Close
    // drains it.
    if (!stopReceiver_) {
        connected_ = false;
    }
}
