// versiond under load on loopback: many concurrent clients, each asking for
// an upgrade path of three files and waiting for the whole answer before
// asking again. Reports requests per second and latency percentiles.
//
//   build/native/bin/versiond_bench --benchmark_counters_tabular=true
//
// Persistent: each client keeps its connection and asks again at once.
// ConnectPerRequest: each request on a new connection, as the patcher does
// (connect, ask, read, close with a reset); its latency includes the connect.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "VersionServer.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/net.h"
#include "platform/net_options.h"
#include "testsupport/temp_dir.h"

namespace {

using platform::TcpSocket;

constexpr uint32_t kRunMs = 3000;

// Latencies need finer steps than the millisecond tick.
uint64_t NowUs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

struct Server {
    testsupport::TempDir dir;
    std::shared_ptr<const versiond::Catalog> catalog;
    std::unique_ptr<versiond::VersionServer> server;
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> logLines{0};
    std::thread thread;

    Server() {
        std::string manifest = "latest 40\nmirror * 127.0.0.1\npath 37";
        for (int i = 0; i < 3; ++i) {
            std::string name = "patch\\v" + std::to_string(37 + i) + ".cpk";
            testsupport::WriteFile(dir / name, std::string(1000 + i, 'p'));
            manifest += " " + name;
        }
        std::string error;
        auto m = versiond::ParseManifest(manifest + "\n", &error);
        catalog = std::make_shared<const versiond::Catalog>(
            std::move(*versiond::Catalog::Build(*m, dir.path(), &error)));
        versiond::ServerOptions options;
        options.address = "127.0.0.1";
        options.maxClients = 1 << 16;
        // The log line of every request is formatted as in production, then
        // counted instead of written.
        options.log = [this](const std::string& line) {
            benchmark::DoNotOptimize(line.data());
            ++logLines;
        };
        server = std::make_unique<versiond::VersionServer>(catalog, options);
        if (!server->Listen()) {
            std::abort();
        }
        thread = std::thread([this] { server->Run(stop); });
    }
    ~Server() {
        stop = true;
        thread.join();
    }
};

struct Client {
    TcpSocket socket;
    enum { kConnecting, kReading } state = kConnecting;
    size_t got = 0;
    uint64_t sentAt = 0;  // microseconds
};

bool StartConnect(Client& c, uint16_t port) {
    auto s = TcpSocket::Create();
    if (!s || !s->SetNonBlocking(true)) {
        return false;
    }
    (void)platform::SetLinger(*s, true, 0);
    c.socket = std::move(s.value());
    c.state = Client::kConnecting;
    c.got = 0;
    c.sentAt = NowUs();  // a new connection's time counts toward its request
    return static_cast<bool>(c.socket.Connect("127.0.0.1", port));
}

void RunLoad(benchmark::State& state, bool connectPerRequest) {
    const size_t clients = static_cast<size_t>(state.range(0));
    Server server;
    std::vector<uint8_t> request = MakeFrame(EncodeVersionRequest({37, 0}));
    std::vector<uint8_t> answer;
    server.catalog->Respond({37, 0}, answer);
    const size_t answerSize = answer.size();

    for (auto _ : state) {
        std::vector<Client> all(clients);
        for (Client& c : all) {
            if (!StartConnect(c, server.server->port())) {
                state.SkipWithError("connect failed");
                return;
            }
        }
        std::vector<uint64_t> latenciesUs;
        latenciesUs.reserve(1 << 20);
        std::vector<platform::PollItem> items(clients);
        uint64_t start = platform::TickCount64();
        uint8_t buffer[4096];
        while (platform::TickCount64() - start < kRunMs) {
            for (size_t i = 0; i < clients; ++i) {
                items[i] = platform::PollItem{};
                items[i].socket = &all[i].socket;
                items[i].wantRead = all[i].state == Client::kReading;
                items[i].wantWrite = all[i].state == Client::kConnecting;
            }
            if (!platform::Poll(items, 100)) {
                state.SkipWithError("poll failed");
                return;
            }
            for (size_t i = 0; i < clients; ++i) {
                Client& c = all[i];
                if (c.state == Client::kConnecting && (items[i].writable || items[i].failed)) {
                    if (!c.socket.PendingError() ||
                        !c.socket.SendAll(request.data(), request.size())) {
                        state.SkipWithError("request failed");
                        return;
                    }
                    c.state = Client::kReading;
                } else if (c.state == Client::kReading && items[i].readable) {
                    auto r = c.socket.Recv(buffer, sizeof buffer);
                    if (!r || *r == 0) {
                        state.SkipWithError("server closed a connection");
                        return;
                    }
                    c.got += *r;
                    if (c.got < answerSize) {
                        continue;
                    }
                    uint64_t now = NowUs();
                    latenciesUs.push_back(now - c.sentAt);
                    if (connectPerRequest) {
                        c.socket.Close();
                        if (!StartConnect(c, server.server->port())) {
                            state.SkipWithError("reconnect failed");
                            return;
                        }
                    } else {
                        c.got = 0;
                        (void)c.socket.SendAll(request.data(), request.size());
                        c.sentAt = now;
                    }
                }
            }
        }
        double seconds = static_cast<double>(platform::TickCount64() - start) / 1000.0;
        state.SetIterationTime(seconds);
        std::sort(latenciesUs.begin(), latenciesUs.end());
        auto pct = [&](double p) {
            if (latenciesUs.empty()) {
                return 0.0;
            }
            size_t k = static_cast<size_t>(p * static_cast<double>(latenciesUs.size() - 1));
            return static_cast<double>(latenciesUs[k]) / 1000.0;
        };
        state.counters["req_per_s"] = static_cast<double>(latenciesUs.size()) / seconds;
        state.counters["p50_ms"] = pct(0.50);
        state.counters["p99_ms"] = pct(0.99);
        state.counters["max_ms"] = pct(1.0);
        state.counters["requests"] = static_cast<double>(latenciesUs.size());
    }
    state.counters["log_lines"] = static_cast<double>(server.logLines.load());
}

void BM_VersiondPersistent(benchmark::State& state) {
    RunLoad(state, false);
}
void BM_VersiondConnectPerRequest(benchmark::State& state) {
    RunLoad(state, true);
}

BENCHMARK(BM_VersiondPersistent)
    ->Arg(1)
    ->Arg(100)
    ->Arg(2000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VersiondConnectPerRequest)
    ->Arg(1)
    ->Arg(100)
    ->Arg(2000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
