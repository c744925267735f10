// The latency probe: one ICMP echo per address, each on a thread of its own,
// with the round-trip times kept by ping id.
//
// Ways to send an echo, by mode:
//  - raw mode (Init with preferRaw when the socket library starts at 2.1,
//    which it does everywhere in practice): a raw ICMP socket carrying the
//    request of EchoPacket.h. When the system refuses the raw socket (no
//    privilege), an unprivileged Linux ping socket is used instead, and where
//    there is none (Windows) the system's ICMP helper library;
//  - library mode (no preferRaw, or the socket library only starts at 1.1):
//    the ICMP helper library with 64 bytes of 0xAA.
// A ping whose way is missing altogether records "no answer".
//
// Thread use: Init, Ping and Stop from one owner thread; HasResult, Result,
// WaitForResult and Way from any thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/icmp.h"

// A missing answer. Every recorded value other than this is a time in ms.
constexpr int kNoAnswer = -1;
// A host text longer than this is refused (records kNoAnswer) rather than
// cut, which would probe another host than the one configured.
constexpr size_t kMaxPingHostLength = 39;
// Time-to-live of the echo requests sent over sockets.
constexpr int kPingTtl = 128;
// A waiting ping looks at the cancel flag at least this often.
constexpr uint32_t kPingWaitSliceMs = 150;
// The helper library's echo data: 64 bytes of 0xAA.
constexpr uint16_t kHelperEchoSize = 64;
constexpr uint8_t kHelperEchoByte = 0xAA;
// After its time-out a ping still reads what already arrived, at most this
// many datagrams, so a busy thread that woke late does not miss its answer.
constexpr int kLateReads = 32;
// Stop waits this long for each ping thread. Only resolving a host name can
// take longer, and it cannot be interrupted: such a thread is left to end by
// itself, writing only into state it shares (nothing of a pinger that is
// gone). The server list waits for a result no longer than the ping's
// time-out plus this.
constexpr uint32_t kPingStopWaitMs = 1000;

// How one ping went out.
enum class PingWay {
    kNone,  // nothing was sent: no way, an unresolvable host, a failed send
    kRawSocket,
    kDatagramSocket,  // Linux ping socket
    kHelperLibrary,   // ICMP.DLL
};
const char* PingWayName(PingWay way);

// Where the pinger's echoes go out: the system's ICMP sockets and helper
// library. Tests give a pinger one that refuses or counts. Called from the
// ping threads, several at a time; a thread left behind by Stop keeps it.
class PingEnv {
public:
    virtual ~PingEnv() = default;
    virtual platform::Result<platform::IcmpSocket> OpenSocket(platform::IcmpSocketKind kind,
                                                              int ttl);
    virtual platform::Result<platform::IcmpHelper> LoadHelper();
};

class CPinger {
public:
    enum class Mode { kNone, kRaw, kLibrary };

    // env: where the echoes go out; null for the system's.
    explicit CPinger(std::shared_ptr<PingEnv> env = nullptr);
    ~CPinger();  // Stop()
    CPinger(const CPinger&) = delete;
    CPinger& operator=(const CPinger&) = delete;

    // Ends what a previous Init started (as Stop does), stores the time-out,
    // clears the results and the cancel flag and chooses the mode. False
    // when library mode was needed and the helper library (or the socket
    // library at 1.1) could not be had; pings then record kNoAnswer.
    bool Init(uint32_t timeoutMs, bool preferRaw);

    // Starts one echo to host (a dotted address or a name, resolved to its
    // first IPv4 address) on a thread of its own. Answers the ping's id (ids
    // count up from 1 over the pinger's life), or -1 when the thread could
    // not start.
    int Ping(const std::string& host);

    bool HasResult(int id) const;
    // The round-trip time in ms; kNoAnswer when it did not answer in time or
    // there is no result (yet).
    int Result(int id) const;
    // Blocks until the ping id has recorded its result, and answers it;
    // kNoAnswer at once for an id that was never handed out, and when no
    // result came within limitMs (-1: no limit).
    int WaitForResult(int id, int limitMs = -1) const;
    PingWay Way(int id) const;

    // Sets the cancel flag, waits up to kPingStopWaitMs for each ping thread
    // to end (one still resolving a name is left to end by itself), and
    // releases the helper library and the socket library.
    void Stop();

    Mode mode() const { return mode_; }

    // For tests: asked before each echo request is sent, with the dotted
    // address; false drops the request as if lost on the way, so the ping
    // waits out its time-out. Set before Ping.
    using DeliveryFilter = std::function<bool(const std::string& ipv4)>;
    void SetDeliveryFilter(DeliveryFilter filter) { deliver_ = std::move(filter); }
    // For tests: resolves host names instead of the system (a slow name
    // server). Set before Ping.
    using Resolver = std::function<std::vector<std::string>(const std::string& host)>;
    void SetResolver(Resolver resolver) { resolve_ = std::move(resolver); }

private:
    // What the ping threads and the pinger share: a thread left behind by
    // Stop keeps it alive and writes only here.
    struct Shared {
        std::atomic<bool> cancel{false};
        mutable std::mutex mu;                      // guards what follows
        mutable std::condition_variable recorded;   // a result was recorded
        mutable std::condition_variable cancelled;  // the cancel flag was set
        int counter = 0;                            // the last id handed out
        int firstId = 1;  // the first id of the current Init; older results are gone
        std::map<int, int> results;
        std::map<int, PingWay> ways;
        // Loaded at Init (library mode) or on demand; a thread holds it
        // while it uses it.
        std::shared_ptr<platform::IcmpHelper> helper;
        bool helperTried = false;
        std::shared_ptr<PingEnv> env;  // set once, before any thread starts
    };
    // One ping's task, run on its own thread.
    struct Task {
        std::shared_ptr<Shared> shared;
        int id;
        std::string host;
        Mode mode;
        uint32_t timeoutMs;
        DeliveryFilter deliver;
        Resolver resolve;
    };
    static void Run(Task task);
    static int RunSocket(const Task& task, platform::IcmpSocket& socket, const std::string& ipv4);
    static int RunHelper(const Task& task, const platform::IcmpHelper& helper,
                         const std::string& ipv4);
    static std::shared_ptr<platform::IcmpHelper> Helper(Shared& shared);
    static bool Delivered(const Task& task, const std::string& ipv4);
    // Sleeps up to ms; true when cancelled.
    static bool WaitCancelled(const Shared& shared, uint32_t ms);
    static void Record(Shared& shared, int id, int rtt, PingWay way);
    void JoinFinished();

    uint32_t timeoutMs_ = 500;
    Mode mode_ = Mode::kNone;
    bool socketLibraryStarted_ = false;
    DeliveryFilter deliver_;
    Resolver resolve_;
    std::vector<std::pair<int, std::thread>> threads_;  // ping id, its thread
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};
