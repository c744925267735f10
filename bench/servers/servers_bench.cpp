// What building the server list costs on loopback, where the network adds
// nothing: one echo by each way, a whole build of N servers with three
// addresses each, and reading a reply.
//
//   build/native/bin/servers_bench --benchmark_counters_tabular=true
//
// Raw sockets need root (or CAP_NET_RAW); the ping-socket rows need
// net.ipv4.ping_group_range to admit the user's group. Rows whose way is
// missing are skipped with the reason.
#include <benchmark/benchmark.h>

#include <memory>

#include <string>

#include "patcher/CPinger.h"
#include "patcher/EchoPacket.h"
#include "patcher/ServerList.h"
#include "platform/icmp.h"
#include "testsupport/settings_store.h"
#include "testsupport/temp_dir.h"

namespace {

constexpr uint32_t kTimeoutMs = 5000;

// One echo to 127.0.0.1 and its answer; arg 0: raw socket, 1: raw refused
// (the ping socket where there is one).
// The system's ways with raw sockets refused, as for an unprivileged process.
class RawRefusingEnv : public PingEnv {
public:
    platform::Result<platform::IcmpSocket> OpenSocket(platform::IcmpSocketKind kind,
                                                      int ttl) override {
        if (kind == platform::IcmpSocketKind::kRaw) {
            return platform::AccessDeniedError();
        }
        return PingEnv::OpenSocket(kind, ttl);
    }
};

void BM_Echo(benchmark::State& state) {
    bool refuseRaw = state.range(0) == 1;
    CPinger pinger(refuseRaw ? std::make_shared<RawRefusingEnv>() : nullptr);
    pinger.Init(kTimeoutMs, true);
    int probe = pinger.Ping("127.0.0.1");
    if (pinger.WaitForResult(probe) == kNoAnswer) {
        state.SkipWithError(refuseRaw ? "no ping socket here" : "no raw socket here");
        return;
    }
    state.SetLabel(PingWayName(pinger.Way(probe)));
    for (auto _ : state) {
        int id = pinger.Ping("127.0.0.1");
        benchmark::DoNotOptimize(pinger.WaitForResult(id));
    }
    pinger.Stop();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Echo)->Arg(0)->Arg(1)->UseRealTime();

// A whole build: N servers of three loopback addresses each, one version
// server given as an address.
void BM_BuildServerList(benchmark::State& state) {
    testsupport::TempDir dir;
    testsupport::ScopedSettingsStore settings("ServersBench");
    int servers = static_cast<int>(state.range(0));
    std::string ini = "[config]\r\nBorough_num=" + std::to_string(servers) + "\r\n";
    for (int i = 0; i < servers; ++i) {
        ini += "[Borough" + std::to_string(i) + "]\r\nname=s" + std::to_string(i) +
               "\r\ndianxin=1\r\nlogin_num=3\r\n";
        for (int j = 0; j < 3; ++j) {
            ini += "ip" + std::to_string(j) + "=127.0." + std::to_string(i) + "." +
                   std::to_string(j + 1) + "\r\n";
        }
    }
    ini += "[checkversion]\r\nnum=1\r\nip0=127.0.0.1\r\n";
    testsupport::WriteFile(dir / "update.ini", ini);

    ServerListOptions options;
    options.folder = dir.path();
    options.pingTimeoutMs = kTimeoutMs;
    options.settings = settings.store();
    for (auto _ : state) {
        ServerListState results;
        PicListModel list;
        BuildServerList(results, list, options);
        benchmark::DoNotOptimize(list.GetCount());
    }
    state.SetItemsProcessed(state.iterations() * servers * 3);  // addresses probed
}
BENCHMARK(BM_BuildServerList)
    ->Arg(1)
    ->Arg(10)
    ->Arg(50)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_ParseEchoReply(benchmark::State& state) {
    EchoRequest request = BuildEchoRequest(0x1234, 7, 99);
    uint8_t datagram[20 + kEchoRequestSize] = {0x45};
    for (size_t i = 0; i < kEchoRequestSize; ++i) {
        datagram[20 + i] = request[i];
    }
    datagram[20] = kIcmpEchoReply;
    datagram[22] = 0;
    datagram[23] = 0;
    uint16_t sum = InternetChecksum(datagram + 20, kEchoRequestSize);
    datagram[22] = static_cast<uint8_t>(sum >> 8);
    datagram[23] = static_cast<uint8_t>(sum);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ParseEchoReply(datagram, sizeof datagram, true, EchoMatch{0x1234, 7}));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseEchoReply);

}  // namespace

BENCHMARK_MAIN();
