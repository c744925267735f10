// ftp_test_server: the tests' proftpd fixture as a program, for the
// side-by-side benchmarks. Serves FOLDER on a free loopback port, prints the
// port, and stops the server when its standard input closes.
//
//   ftp_test_server FOLDER [RATE_KBPS]
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/fs.h"
#include "proftpd_server.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: ftp_test_server FOLDER [RATE_KBPS]\n");
        return 2;
    }
    testsupport::ProftpdOptions options;
    options.root = platform::SystemPathFromNative(argv[1]);
    options.retrRateKBps = argc == 3 ? std::atoi(argv[2]) : 0;
    testsupport::ProftpdServer server(options);
    if (!server.ok()) {
        std::fprintf(stderr, "ftp_test_server: %s\n", server.error().c_str());
        return 1;
    }
    std::printf("%u\n", static_cast<unsigned>(server.port()));
    std::fflush(stdout);
    std::string ignored;
    while (std::getline(std::cin, ignored)) {
    }
    return 0;
}
