// CMsgClient: the small message client of the version check. It owns one TCP
// connection and three threads: the connect thread (one per Connect), and,
// once connected, a sender and a receiver. Frames are a 4-byte little-endian
// body length and the body (see VersionMessages.h); the caller never blocks
// on the socket and only polls Receive and IsConnecting.
//
// Threads: every public operation is for the owner's thread, except
// IsConnecting, IsConnected, HasError, Send, Receive and Release, which any
// thread may call. The owner starts the threads (Connect) and joins them
// (Close, Destroy, the destructor).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "patcher/VersionMessages.h"
#include "platform/net.h"

// One frame as received or to be sent: the length prefix, then the body.
struct MsgBuffer {
    static constexpr size_t kFrameBytes = kFrameLengthSize + kMaxFrameBody;  // 500

    uint8_t frame[kFrameBytes];  // length prefix, then body
    uint32_t fill = 0;           // bytes of frame in use

    const uint8_t* body() const { return frame + kFrameLengthSize; }
    size_t bodySize() const { return fill > kFrameLengthSize ? fill - kFrameLengthSize : 0; }
};
static_assert(sizeof(MsgBuffer) == 504, "a MsgBuffer is 500 bytes of frame and a fill count");

// A FIFO of buffers with its own lock; no caller holds it.
class MsgQueue {
public:
    void Push(std::unique_ptr<MsgBuffer> buffer);
    std::unique_ptr<MsgBuffer> Pop();  // null when empty
    size_t Count() const;
    void Clear();  // frees every buffer

private:
    mutable std::mutex mu_;
    std::deque<std::unique_ptr<MsgBuffer>> items_;
};

// Timing of the connection, in milliseconds.
constexpr uint32_t kConnectSettleMs = 200;      // Connect sleeps this before connecting
constexpr int kConnectWaits = 64;               // waits for the connect to complete...
constexpr int kConnectWaitMs = 150;             // ...each this long...
constexpr uint32_t kConnectRetrySleepMs = 10;   // ...followed by this sleep
constexpr int kSocketWaitMs = 150;              // readiness waits of sender and receiver
constexpr uint32_t kSenderIdleSleepMs = 120;    // sender with nothing to send
constexpr uint32_t kSocketErrorSleepMs = 1000;  // after a failed send or receive
constexpr uint32_t kRateCapSleepMs = 5;         // while this second's cap is reached
constexpr int kDrainPolls = 20;                 // Close reads what the peer still sends
constexpr int kDrainWaitMs = 150;
// The receiver stops reading while this many frames wait for the caller, so
// a peer that floods the connection cannot exhaust memory.
constexpr size_t kMaxIncomingFrames = 4096;

// What a client can be given instead of the defaults. The patcher uses the
// defaults; tests make socket creation fail and lengthen the drain.
struct MsgClientOptions {
    // Where Setup takes its socket from; platform::TcpSocket::Create when
    // empty.
    std::function<platform::Result<platform::TcpSocket>()> createSocket;
    // Polls of kDrainWaitMs that Close spends at most on reading what the
    // peer still sends.
    int drainPolls = kDrainPolls;
};

class CMsgClient {
public:
    CMsgClient();
    explicit CMsgClient(MsgClientOptions options);
    ~CMsgClient();
    CMsgClient(const CMsgClient&) = delete;
    CMsgClient& operator=(const CMsgClient&) = delete;

    // Starts the socket library; false only when it cannot be started.
    bool Start();
    // New socket (non-blocking, address reuse, linger 0), two free buffers
    // when there are none, counters reset. False, with the socket closed,
    // when the socket cannot be created or made non-blocking.
    bool Setup();
    // Close, Setup, a short settle, then a connect thread for address
    // (dotted IPv4, at most 16 characters; anything longer is not connected
    // to at all) and port. When Setup fails the "创建socket失败" box is shown
    // and nothing more happens: no settle, no thread, no address stored.
    void Connect(const std::string& address, uint16_t port);
    bool IsConnecting() const;
    bool IsConnected() const;
    // A send or receive failed at some point.
    bool HasError() const;

    // Queues one frame with length bytes of body; answers the connected
    // flag. A body longer than kMaxFrameBody is refused (false) whole.
    bool Send(const void* bytes, size_t length);
    // The oldest received frame, or null. Frames that arrived before the
    // peer closed are still handed out after the connection ended.
    std::unique_ptr<MsgBuffer> Receive();
    // Returns a buffer taken from Receive to the free queue.
    void Release(std::unique_ptr<MsgBuffer> buffer);
    // Frames received and not yet taken by Receive; never more than
    // kMaxIncomingFrames.
    size_t IncomingCount() const { return incoming_.Count(); }
    // The receiver has stopped reading because kMaxIncomingFrames frames
    // wait for the caller; it goes on once Receive has taken some.
    bool IsHoldingBack() const { return holdingBack_; }

    // How Close treats a connection that is still up.
    enum class CloseMode {
        // Shut down sending, then read what the peer still sends until it
        // closes its side (bounded), so the reset of the close cannot cut
        // off a reply still under way.
        kDrain,
        // The caller has taken the whole reply it waited for: nothing the
        // peer could still send is wanted, so the connection is closed at
        // once instead of waiting for a peer that keeps it open.
        kReplyTaken,
    };

    // Stops and joins the threads, then closes the socket: when connected
    // as the mode says, otherwise after a short random pause. Frees every
    // buffer.
    void Close(CloseMode mode = CloseMode::kDrain);
    void Destroy(CloseMode mode = CloseMode::kDrain);

    const std::string& address() const { return address_; }
    uint16_t port() const { return port_; }
    // Bytes moved in the last full second.
    uint32_t SentLastSecond() const { return sentLastSecond_; }
    uint32_t ReceivedLastSecond() const { return receivedLastSecond_; }

private:
    enum class ReadOutcome { kDone, kClosed, kStopped };

    void ConnectThread(std::string address, uint16_t port);
    void SenderThread();
    void ReceiverThread();
    ReadOutcome ReadExactly(uint8_t* dst, size_t size);
    std::unique_ptr<MsgBuffer> TakeFree();
    // Sleeps ms, or less when flag is set meanwhile.
    static void SleepUnless(uint32_t ms, const std::atomic<bool>& flag);

    MsgClientOptions options_;
    platform::TcpSocket socket_;
    std::string address_;
    uint16_t port_ = 0;

    MsgQueue free_;
    MsgQueue outgoing_;
    MsgQueue incoming_;

    std::thread connectThread_;
    std::thread senderThread_;
    std::thread receiverThread_;
    std::atomic<bool> stopConnect_{false};
    std::atomic<bool> stopSender_{false};
    std::atomic<bool> stopReceiver_{false};
    std::atomic<bool> connecting_{false};

    std::atomic<bool> connected_{false};
    std::atomic<bool> error_{false};
    std::atomic<bool> holdingBack_{false};

    // Per-second accounting; each half is touched only by its own thread
    // (and by Setup while no thread runs).
    uint32_t sendTick_ = 0;
    uint32_t sentThisSecond_ = 0;
    std::atomic<uint32_t> sentLastSecond_{0};
    uint32_t sendCap_ = UINT32_MAX;
    uint32_t receiveTick_ = 0;
    uint32_t receivedThisSecond_ = 0;
    std::atomic<uint32_t> receivedLastSecond_{0};
    uint32_t receiveCap_ = UINT32_MAX;

    bool destroyed_ = false;
};
