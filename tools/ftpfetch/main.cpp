#include <atomic>
#include <csignal>
#include <iostream>

#include "FtpFetch.h"
#include "platform/console.h"

namespace {

std::atomic<bool> g_stop{false};

extern "C" void OnSignal(int) {
    g_stop = true;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::vector<std::string> args = platform::Utf8Arguments(argc, argv);
    if (!args.empty()) {
        args.erase(args.begin());
    }
    return RunFtpFetch(args, std::cout, std::cerr,
                       platform::IsTerminal(platform::StdStream::kError), &g_stop);
}
