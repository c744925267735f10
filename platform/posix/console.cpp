#include "platform/console.h"

#include <unistd.h>

#include <cstdio>

#include "platform/fs.h"

namespace platform {

bool IsTerminal(StdStream stream) {
    int fd = stream == StdStream::kInput    ? STDIN_FILENO
             : stream == StdStream::kOutput ? STDOUT_FILENO
                                            : STDERR_FILENO;
    return ::isatty(fd) == 1;
}

void SetBinaryMode(StdStream /*stream*/) {}

void WriteText(StdStream stream, const std::string& utf8) {
    std::FILE* f = stream == StdStream::kError ? stderr : stdout;
    std::fwrite(utf8.data(), 1, utf8.size(), f);
    std::fflush(f);
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        args.emplace_back(argv[i] ? argv[i] : "");
    }
    return args;
}

std::string SystemPathFromArgument(const std::string& utf8) {
    return SystemPathFromNative(utf8);
}

}  // namespace platform
