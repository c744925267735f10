// arena_server: the arena example's game server.
//
//   arena_server [--address ADDR] [--port N] [--port-file FILE]
//
// Listens on ADDR (127.0.0.1 by default) and port N (0 = any free port),
// writes the port to FILE when asked, and serves until it is stopped.
#include <cstdio>
#include <iostream>
#include <optional>

#include "ArenaServer.h"
#include "cli/CommandLine.h"

namespace {
constexpr int kPumpMs = 50;
}

int main(int argc, char** argv) {
    CLI::App cli{"arena_server: the arena example's game server"};
    std::string address = "127.0.0.1";
    int port = 0;
    std::string portFile;
    cli.add_option("--address", address, "address to listen on");
    cli.add_option("--port", port, "port to listen on (0: any free port)");
    cli.add_option("--port-file", portFile, "file to write the port to");
    if (std::optional<int> code =
            cli::Parse(cli, "arena_server", argc, argv, std::cout, std::cerr)) {
        return *code;
    }

    arena::ArenaServer server;
    server.SetLog([](const std::string& line) {
        std::printf("arena_server: %s\n", line.c_str());
        std::fflush(stdout);
    });
    if (!server.Listen(address.c_str(), port)) {
        std::fprintf(stderr, "arena_server: cannot listen on %s:%d\n", address.c_str(), port);
        return 1;
    }
    std::printf("arena_server: listening on %s:%d\n", address.c_str(), server.GetPort());
    std::fflush(stdout);
    if (!portFile.empty()) {
        // Written whole under a temporary name first, so a reader never
        // sees half a number.
        const std::string tmp = portFile + ".tmp";
        FILE* f = std::fopen(tmp.c_str(), "w");
        if (!f || std::fprintf(f, "%d\n", server.GetPort()) < 0 || std::fclose(f) != 0 ||
            std::rename(tmp.c_str(), portFile.c_str()) != 0) {
            std::fprintf(stderr, "arena_server: cannot write %s\n", portFile.c_str());
            return 1;
        }
    }
    for (;;) {
        server.Pump(kPumpMs);
    }
}
