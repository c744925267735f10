#include "patcher/CPinger.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <system_error>

#include "patcher/EchoPacket.h"
#include "platform/clock.h"
#include "platform/net.h"
#include "platform/process.h"

const char* PingWayName(PingWay way) {
    switch (way) {
        case PingWay::kRawSocket:
            return "raw socket";
        case PingWay::kDatagramSocket:
            return "ping socket";
        case PingWay::kHelperLibrary:
            return "ICMP.DLL";
        default:
            return "none";
    }
}

CPinger::CPinger() = default;

CPinger::~CPinger() {
    Stop();
}

bool CPinger::Init(uint32_t timeoutMs, bool preferRaw) {
    Stop();
    timeoutMs_ = timeoutMs;
    {
        std::lock_guard<std::mutex> lock(mu_);
        results_.clear();
        ways_.clear();
        firstId_ = counter_ + 1;
        cancel_.store(false);
    }
    if (preferRaw && platform::StartSocketLibraryAt(2, 1)) {
        socketLibraryStarted_ = true;
        mode_ = Mode::kRaw;
        return true;
    }
    if (!platform::StartSocketLibraryAt(1, 1)) {
        return false;
    }
    socketLibraryStarted_ = true;
    auto helper = platform::IcmpHelper::Load();
    if (!helper) {
        platform::StopSocketLibrary();
        socketLibraryStarted_ = false;
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(mu_);
        helper_ = std::make_unique<platform::IcmpHelper>(std::move(*helper));
        helperTried_ = true;
    }
    mode_ = Mode::kLibrary;
    return true;
}

int CPinger::Ping(const std::string& host) {
    int id;
    {
        std::lock_guard<std::mutex> lock(mu_);
        id = ++counter_;
    }
    JoinFinished();
    threads_.reserve(threads_.size() + 1);  // so storing the started thread cannot fail
    try {
        threads_.emplace_back(id, std::thread(&CPinger::Run, this, id, host));
    } catch (const std::system_error&) {
        // Whoever waits for this id is not left waiting.
        Record(id, kNoAnswer, PingWay::kNone);
        return -1;
    }
    return id;
}

bool CPinger::HasResult(int id) const {
    std::lock_guard<std::mutex> lock(mu_);
    return results_.count(id) != 0;
}

int CPinger::Result(int id) const {
    std::lock_guard<std::mutex> lock(mu_);
    auto it = results_.find(id);
    return it == results_.end() ? kNoAnswer : it->second;
}

int CPinger::WaitForResult(int id) const {
    std::unique_lock<std::mutex> lock(mu_);
    if (id < firstId_ || id > counter_) {
        return kNoAnswer;
    }
    // Every ping thread records exactly one result before it ends.
    recorded_.wait(lock, [&] { return results_.count(id) != 0; });
    return results_.at(id);
}

PingWay CPinger::Way(int id) const {
    std::lock_guard<std::mutex> lock(mu_);
    auto it = ways_.find(id);
    return it == ways_.end() ? PingWay::kNone : it->second;
}

void CPinger::Stop() {
    {
        std::lock_guard<std::mutex> lock(mu_);
        cancel_.store(true);
    }
    cancelled_.notify_all();
    // A ping notices the flag within one wait slice; only resolving a host
    // name can take longer, and that cannot be interrupted. Waiting for it
    // is still better than leaving a thread behind that writes into a
    // pinger that is gone.
    for (auto& t : threads_) {
        t.second.join();
    }
    threads_.clear();
    {
        std::lock_guard<std::mutex> lock(mu_);
        helper_.reset();
        helperTried_ = false;
    }
    if (socketLibraryStarted_) {
        platform::StopSocketLibrary();
        socketLibraryStarted_ = false;
    }
    mode_ = Mode::kNone;
}

void CPinger::Run(int id, std::string host) {
    if (mode_ == Mode::kNone || host.size() > kMaxPingHostLength) {
        Record(id, kNoAnswer, PingWay::kNone);
        return;
    }
    std::vector<std::string> addresses = platform::ResolveIPv4(host);
    if (addresses.empty()) {
        Record(id, kNoAnswer, PingWay::kNone);
        return;
    }
    const std::string& ipv4 = addresses.front();

    if (mode_ == Mode::kLibrary) {
        const platform::IcmpHelper* helper = Helper();
        Record(id, helper ? RunHelper(*helper, ipv4) : kNoAnswer,
               helper ? PingWay::kHelperLibrary : PingWay::kNone);
        return;
    }

    auto socket = platform::IcmpSocket::Open(platform::IcmpSocketKind::kRaw, kPingTtl);
    if (!socket) {
        // Raw sockets need privileges most players do not have: an
        // unprivileged ping socket measures the same, and where the system
        // has none the helper library does.
        socket = platform::IcmpSocket::Open(platform::IcmpSocketKind::kDatagram, kPingTtl);
    }
    if (socket) {
        PingWay way = socket->kind() == platform::IcmpSocketKind::kRaw ? PingWay::kRawSocket
                                                                       : PingWay::kDatagramSocket;
        int rtt = RunSocket(*socket, id, ipv4);
        socket->Close();
        Record(id, rtt, way);
        return;
    }
    if (const platform::IcmpHelper* helper = Helper()) {
        Record(id, RunHelper(*helper, ipv4), PingWay::kHelperLibrary);
        return;
    }
    Record(id, kNoAnswer, PingWay::kNone);
}

int CPinger::RunSocket(platform::IcmpSocket& socket, int id, const std::string& ipv4) {
    const auto ownId = static_cast<uint16_t>(platform::CurrentProcessId());
    const auto sequence = static_cast<uint16_t>(id);
    const uint32_t sent = platform::TickCount();
    EchoRequest request = BuildEchoRequest(ownId, sequence, sent);
    if (Delivered(ipv4) && !socket.SendTo(ipv4, request.data(), request.size())) {
        return kNoAnswer;
    }
    // A ping socket's requests carry the kernel's identifier, not ours.
    EchoMatch ours{socket.KernelIdentifier().value_or(ownId), sequence};

    uint8_t datagram[kMaxEchoDatagram];
    int lateReads = 0;
    while (!cancel_.load()) {
        // One deadline for the whole wait: on a raw socket every ICMP
        // datagram of the host wakes us, and those must not use up the time.
        uint32_t elapsed = platform::TickCount() - sent;
        uint32_t remaining = elapsed >= timeoutMs_ ? 0 : timeoutMs_ - elapsed;
        if (remaining == 0 && lateReads++ >= kLateReads) {
            break;
        }
        platform::WaitResult w =
            socket.WaitReadable(static_cast<int>(std::min(remaining, kPingWaitSliceMs)));
        if (w == platform::WaitResult::kError) {
            break;
        }
        if (w == platform::WaitResult::kTimeout) {
            if (remaining == 0) {
                break;
            }
            continue;
        }
        auto n = socket.Recv(datagram, sizeof datagram);
        if (!n) {
            break;
        }
        ParsedEcho parsed = ParseEchoReply(datagram, *n, socket.IncludesIpHeader(), ours);
        if (parsed.verdict == EchoVerdict::kNotOurs) {
            continue;
        }
        // Identifier and sequence repeat (process ids of other containers,
        // sequences after 65,536 pings); the timestamp tells our request
        // from an older one.
        if (parsed.timestamp && *parsed.timestamp != sent) {
            continue;
        }
        if (parsed.verdict == EchoVerdict::kNoAnswer) {
            return kNoAnswer;
        }
        return static_cast<int>(std::min<uint32_t>(platform::TickCount() - sent, INT_MAX));
    }
    return kNoAnswer;
}

int CPinger::RunHelper(const platform::IcmpHelper& helper, const std::string& ipv4) {
    if (!Delivered(ipv4)) {
        WaitCancelled(timeoutMs_);
        return kNoAnswer;
    }
    uint8_t data[kHelperEchoSize];
    std::memset(data, kHelperEchoByte, sizeof data);
    auto echo = helper.SendEcho(ipv4, data, kHelperEchoSize, timeoutMs_);
    if (!echo || !echo->answered) {
        return kNoAnswer;
    }
    return static_cast<int>(std::min<uint32_t>(echo->rttMs, INT_MAX));
}

const platform::IcmpHelper* CPinger::Helper() {
    std::lock_guard<std::mutex> lock(mu_);
    if (!helperTried_) {
        helperTried_ = true;
        auto helper = platform::IcmpHelper::Load();
        if (helper) {
            helper_ = std::make_unique<platform::IcmpHelper>(std::move(*helper));
        }
    }
    return helper_.get();
}

void CPinger::JoinFinished() {
    // A thread records its result as its last act, so joining one that has
    // recorded does not wait; a long-lived pinger keeps no dead threads.
    for (auto it = threads_.begin(); it != threads_.end();) {
        if (HasResult(it->first)) {
            it->second.join();
            it = threads_.erase(it);
        } else {
            ++it;
        }
    }
}

bool CPinger::Delivered(const std::string& ipv4) const {
    return !deliver_ || deliver_(ipv4);
}

bool CPinger::WaitCancelled(uint32_t ms) const {
    std::unique_lock<std::mutex> lock(mu_);
    return cancelled_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return cancel_.load(); });
}

void CPinger::Record(int id, int rtt, PingWay way) {
    {
        std::lock_guard<std::mutex> lock(mu_);
        results_[id] = rtt;
        ways_[id] = way;
    }
    recorded_.notify_all();
}
