// Messages per second through a game session and the stream transport over
// loopback, beside a plain TCP client exchanging the same bytes with the
// same echo server. Both keep kWindow messages in flight.
//
//   build/native/bin/network_bench --benchmark_repetitions=9
//       --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true
// (one command line)
// Compare items_per_second of BM_SessionEcho/N with BM_PlainTcpEcho/N. On a
// busy machine the two sides drift apart between runs; interleaving the
// repetitions keeps them under the same load.
#include <benchmark/benchmark.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "framework/GSession.h"
#include "platform/clock.h"
#include "platform/net.h"
#include "tarnet/Framing.h"
#include "tarnet/StreamTransport.h"
#include "tarnet/Tarnet.h"

namespace {

constexpr int kWindow = 64;       // messages sent and not yet echoed back, at most
constexpr uint32_t kWaitMs = 50;  // one wait for echoes; the loop waits again

// Echoes every byte back until the client closes.
class EchoServer {
public:
    EchoServer() {
        auto l = platform::TcpSocket::Listen("127.0.0.1", 0, 4);
        if (!l) {
            std::abort();
        }
        m_listener = std::move(*l);
        m_port = *m_listener.LocalPort();
        m_thread = std::thread([this] { Run(); });
    }
    ~EchoServer() { m_thread.join(); }
    uint16_t port() const { return m_port; }

private:
    void Run() {
        auto c = m_listener.Accept();
        if (!c) {
            return;
        }
        c->SetNoDelay(true);
        std::vector<uint8_t> buf(64 * 1024);
        for (;;) {
            auto r = c->Recv(buf.data(), buf.size());
            if (!r || *r == 0 || !c->SendAll(buf.data(), *r)) {
                return;
            }
        }
    }
    platform::TcpSocket m_listener;
    uint16_t m_port = 0;
    std::thread m_thread;
};

std::vector<uint8_t> Message(size_t size) {
    std::vector<uint8_t> m(size, 0x5A);
    m[0] = 1;
    m[1] = 0;
    m[2] = static_cast<uint8_t>(size);
    m[3] = static_cast<uint8_t>(size >> 8);
    return m;
}

class EchoSession : public GFC::GSession {
protected:
    unsigned long OnNetMessage(void* msg) override { return GSession::OnNetMessage(msg); }
};

void BM_SessionEcho(benchmark::State& state) {
    const size_t size = static_cast<size_t>(state.range(0));
    EchoServer server;
    static int sessions = 0;
    EchoSession session;
    session.Init(("bench" + std::to_string(++sessions)).c_str());
    session.Open("127.0.0.1", server.port());
    while (!session.IsValid()) {
        std::this_thread::yield();
    }
    Tarnet::CStreamTransport* transport = session.GetTarnetInterface();
    std::vector<uint8_t> msg = Message(size);
    long sent = 0, echoed = 0;
    // False once the connection broke: the echoes still missing never come.
    auto receive = [&] {
        const int n = session.RecvAllMsg();
        if (n == 0 && !transport->WaitForPackage(kWaitMs) && transport->IsBroken()) {
            return false;
        }
        echoed += n;
        return true;
    };
    bool alive = true;
    for (auto _ : state) {
        while (alive && sent - echoed >= kWindow) {
            alive = receive();
        }
        session.AddNetMsg(msg.data(), static_cast<unsigned long>(msg.size()));
        session.SendAllMsg();
        ++sent;
    }
    while (alive && echoed < sent) {
        alive = receive();
    }
    if (!alive) {
        state.SkipWithError("connection broke");
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
    session.Close();
    Tarnet::DestroyEngine();
}

void BM_PlainTcpEcho(benchmark::State& state) {
    const size_t size = static_cast<size_t>(state.range(0));
    EchoServer server;
    auto c = platform::TcpSocket::Create();
    if (!c || !c->Connect("127.0.0.1", server.port())) {
        state.SkipWithError("connect failed");
        return;
    }
    c->SetNoDelay(true);
    // The same bytes the session puts on the wire: a frame per message.
    std::vector<uint8_t> frame;
    const std::vector<uint8_t> msg = Message(size);
    Tarnet::AppendFrame(frame, msg.data(), static_cast<uint32_t>(msg.size()));
    std::vector<uint8_t> buf(64 * 1024);
    long sent = 0;
    size_t echoedBytes = 0;
    // False once the connection closed or failed.
    auto receive = [&] {
        auto r = c->Recv(buf.data(), buf.size());
        if (!r || *r == 0) {
            return false;
        }
        echoedBytes += *r;
        return true;
    };
    bool alive = true;
    for (auto _ : state) {
        while (alive && static_cast<long>(echoedBytes / frame.size()) + kWindow <= sent) {
            alive = receive();
        }
        c->SendAll(frame.data(), frame.size());
        ++sent;
    }
    while (alive && echoedBytes < static_cast<size_t>(sent) * frame.size()) {
        alive = receive();
    }
    if (!alive) {
        state.SkipWithError("connection closed");
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
    c->Close();
}

BENCHMARK(BM_SessionEcho)->Arg(16)->Arg(128)->Arg(1000)->UseRealTime();
BENCHMARK(BM_PlainTcpEcho)->Arg(16)->Arg(128)->Arg(1000)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
