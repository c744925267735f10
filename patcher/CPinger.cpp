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

platform::Result<platform::IcmpSocket> PingEnv::OpenSocket(platform::IcmpSocketKind kind, int ttl) {
    return platform::IcmpSocket::Open(kind, ttl);
}

platform::Result<platform::IcmpHelper> PingEnv::LoadHelper() {
    return platform::IcmpHelper::Load();
}

CPinger::CPinger(std::shared_ptr<PingEnv> env) {
    shared_->env = env ? std::move(env) : std::make_shared<PingEnv>();
}

CPinger::~CPinger() {
    Stop();
}

bool CPinger::Init(uint32_t timeoutMs, bool preferRaw) {
    Stop();
    timeoutMs_ = timeoutMs;
    Shared& sh = *shared_;
    {
        std::lock_guard<std::mutex> lock(sh.mu);
        sh.results.clear();
        sh.ways.clear();
        sh.firstId = sh.counter + 1;
        sh.cancel.store(false);
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
    auto helper = sh.env->LoadHelper();
    if (!helper) {
        platform::StopSocketLibrary();
        socketLibraryStarted_ = false;
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(sh.mu);
        sh.helper = std::make_shared<platform::IcmpHelper>(std::move(*helper));
        sh.helperTried = true;
    }
    mode_ = Mode::kLibrary;
    return true;
}

int CPinger::Ping(const std::string& host) {
    int id;
    {
        std::lock_guard<std::mutex> lock(shared_->mu);
        id = ++shared_->counter;
    }
    JoinFinished();
    threads_.reserve(threads_.size() + 1);  // so storing the started thread cannot fail
    try {
        Task task{shared_, id, host, mode_, timeoutMs_, deliver_, resolve_};
        threads_.emplace_back(id, std::thread(&CPinger::Run, std::move(task)));
    } catch (const std::system_error&) {
        // Whoever waits for this id is not left waiting.
        Record(*shared_, id, kNoAnswer, PingWay::kNone);
        return -1;
    }
    return id;
}

bool CPinger::HasResult(int id) const {
    std::lock_guard<std::mutex> lock(shared_->mu);
    return shared_->results.count(id) != 0;
}

int CPinger::Result(int id) const {
    std::lock_guard<std::mutex> lock(shared_->mu);
    auto it = shared_->results.find(id);
    return it == shared_->results.end() ? kNoAnswer : it->second;
}

int CPinger::WaitForResult(int id, int limitMs) const {
    const Shared& sh = *shared_;
    std::unique_lock<std::mutex> lock(sh.mu);
    if (id < sh.firstId || id > sh.counter) {
        return kNoAnswer;
    }
    // Every ping thread records exactly one result before it ends.
    auto recorded = [&] { return sh.results.count(id) != 0; };
    if (limitMs < 0) {
        sh.recorded.wait(lock, recorded);
    } else if (!sh.recorded.wait_for(lock, std::chrono::milliseconds(limitMs), recorded)) {
        return kNoAnswer;
    }
    return sh.results.at(id);
}

PingWay CPinger::Way(int id) const {
    std::lock_guard<std::mutex> lock(shared_->mu);
    auto it = shared_->ways.find(id);
    return it == shared_->ways.end() ? PingWay::kNone : it->second;
}

void CPinger::Stop() {
    Shared& sh = *shared_;
    {
        std::lock_guard<std::mutex> lock(sh.mu);
        sh.cancel.store(true);
    }
    sh.cancelled.notify_all();
    // A ping notices the flag within one wait slice, records its result and
    // ends; one still resolving a host name cannot be interrupted and is
    // left to end by itself (it holds the shared state, not the pinger).
    for (auto& t : threads_) {
        std::unique_lock<std::mutex> lock(sh.mu);
        const bool recorded = sh.recorded.wait_for(lock, std::chrono::milliseconds(kPingStopWaitMs),
                                                   [&] { return sh.results.count(t.first) != 0; });
        lock.unlock();
        if (recorded) {
            t.second.join();
        } else {
            t.second.detach();
        }
    }
    threads_.clear();
    {
        std::lock_guard<std::mutex> lock(sh.mu);
        sh.helper.reset();
        sh.helperTried = false;
    }
    if (socketLibraryStarted_) {
        platform::StopSocketLibrary();
        socketLibraryStarted_ = false;
    }
    mode_ = Mode::kNone;
}

void CPinger::Run(Task task) {
    Shared& sh = *task.shared;
    const int id = task.id;
    if (task.mode == Mode::kNone || task.host.size() > kMaxPingHostLength) {
        Record(sh, id, kNoAnswer, PingWay::kNone);
        return;
    }
    std::vector<std::string> addresses =
        task.resolve ? task.resolve(task.host) : platform::ResolveIPv4(task.host);
    // A stop that came while the name was resolved: nothing more is sent.
    if (addresses.empty() || sh.cancel.load()) {
        Record(sh, id, kNoAnswer, PingWay::kNone);
        return;
    }
    const std::string& ipv4 = addresses.front();

    if (task.mode == Mode::kLibrary) {
        std::shared_ptr<platform::IcmpHelper> helper = Helper(sh);
        Record(sh, id, helper ? RunHelper(task, *helper, ipv4) : kNoAnswer,
               helper ? PingWay::kHelperLibrary : PingWay::kNone);
        return;
    }

    auto socket = sh.env->OpenSocket(platform::IcmpSocketKind::kRaw, kPingTtl);
    if (!socket) {
        // Raw sockets need privileges most players do not have: an
        // unprivileged ping socket measures the same, and where the system
        // has none the helper library does.
        socket = sh.env->OpenSocket(platform::IcmpSocketKind::kDatagram, kPingTtl);
    }
    if (socket) {
        PingWay way = socket->kind() == platform::IcmpSocketKind::kRaw ? PingWay::kRawSocket
                                                                       : PingWay::kDatagramSocket;
        int rtt = RunSocket(task, *socket, ipv4);
        socket->Close();
        Record(sh, id, rtt, way);
        return;
    }
    if (std::shared_ptr<platform::IcmpHelper> helper = Helper(sh)) {
        Record(sh, id, RunHelper(task, *helper, ipv4), PingWay::kHelperLibrary);
        return;
    }
    Record(sh, id, kNoAnswer, PingWay::kNone);
}

int CPinger::RunSocket(const Task& task, platform::IcmpSocket& socket, const std::string& ipv4) {
    const Shared& sh = *task.shared;
    const auto ownId = static_cast<uint16_t>(platform::CurrentProcessId());
    const auto sequence = static_cast<uint16_t>(task.id);
    const uint32_t sent = platform::TickCount();
    EchoRequest request = BuildEchoRequest(ownId, sequence, sent);
    if (Delivered(task, ipv4) && !socket.SendTo(ipv4, request.data(), request.size())) {
        return kNoAnswer;
    }
    // A ping socket's requests carry the kernel's identifier, not ours.
    EchoMatch ours{socket.KernelIdentifier().value_or(ownId), sequence};

    uint8_t datagram[kMaxEchoDatagram];
    int lateReads = 0;
    while (!sh.cancel.load()) {
        // One deadline for the whole wait: on a raw socket every ICMP
        // datagram of the host wakes us, and those must not use up the time.
        uint32_t elapsed = platform::TickCount() - sent;
        uint32_t remaining = elapsed >= task.timeoutMs ? 0 : task.timeoutMs - elapsed;
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

int CPinger::RunHelper(const Task& task, const platform::IcmpHelper& helper,
                       const std::string& ipv4) {
    if (!Delivered(task, ipv4)) {
        WaitCancelled(*task.shared, task.timeoutMs);
        return kNoAnswer;
    }
    uint8_t data[kHelperEchoSize];
    std::memset(data, kHelperEchoByte, sizeof data);
    auto echo = helper.SendEcho(ipv4, data, kHelperEchoSize, task.timeoutMs);
    if (!echo || !echo->answered) {
        return kNoAnswer;
    }
    return static_cast<int>(std::min<uint32_t>(echo->rttMs, INT_MAX));
}

std::shared_ptr<platform::IcmpHelper> CPinger::Helper(Shared& shared) {
    std::lock_guard<std::mutex> lock(shared.mu);
    if (!shared.helperTried) {
        shared.helperTried = true;
        auto helper = shared.env->LoadHelper();
        if (helper) {
            shared.helper = std::make_shared<platform::IcmpHelper>(std::move(*helper));
        }
    }
    return shared.helper;
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

bool CPinger::Delivered(const Task& task, const std::string& ipv4) {
    return !task.deliver || task.deliver(ipv4);
}

bool CPinger::WaitCancelled(const Shared& shared, uint32_t ms) {
    std::unique_lock<std::mutex> lock(shared.mu);
    return shared.cancelled.wait_for(lock, std::chrono::milliseconds(ms),
                                     [&] { return shared.cancel.load(); });
}

void CPinger::Record(Shared& shared, int id, int rtt, PingWay way) {
    {
        std::lock_guard<std::mutex> lock(shared.mu);
        shared.results[id] = rtt;
        shared.ways[id] = way;
    }
    shared.recorded.notify_all();
}
