// Helper program of the seam's tests, started as a child process:
//   helper exit CODE            ends at once with CODE
//   helper sleep MS             sleeps, then ends with 0
//   helper lock NAME FOLDER MS  takes the single-instance lock NAME (on
//                               POSIX in the runtime folder its environment
//                               names, which the test points at FOLDER),
//                               holds it for MS, ends with 0 (acquired),
//                               1 (already running) or 2 (failed); once it
//                               holds the lock it creates FOLDER/NAME.held
//   helper write PATH TEXT      writes TEXT to PATH (in the working folder)
//   helper args PATH ...        writes its arguments as the seam gives them
//                               (UTF-8), one per line, to PATH
//   helper streams IN OUT       reads standard input from IN and writes
//                               standard output to OUT: "in=T out=T" (the
//                               terminal answers), a line break, then, in
//                               binary mode, "binary" and a line break
//   helper settings WHERE PREFIX COUNT
//                               writes the values PREFIX0 .. PREFIX<COUNT-1>
//                               into the settings store at WHERE (a file
//                               on POSIX, a subkey of HKEY_LOCAL_MACHINE on
//                               Windows), one change at a time;
//                               ends with 0, or 4 when a write failed
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/console.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/instance.h"
#include "platform/settings.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        return 64;
    }
    std::string cmd = argv[1];
    if (cmd == "exit" && argc == 3) {
        return std::atoi(argv[2]);
    }
    if (cmd == "sleep" && argc == 3) {
        platform::SleepMs(static_cast<uint32_t>(std::atoi(argv[2])));
        return 0;
    }
    if (cmd == "lock" && argc == 5) {
        platform::SingleInstanceLock lock(argv[2]);
        if (lock.state() != platform::SingleInstanceLock::State::kAcquired) {
            return lock.state() == platform::SingleInstanceLock::State::kAlreadyRunning ? 1 : 2;
        }
        std::string marker =
            platform::SystemPathFromNative(std::string(argv[3]) + "/" + argv[2] + ".held");
        platform::File::Open(marker, platform::Access::kWrite, platform::kShareNone,
                             platform::Disposition::kCreateAlways);
        platform::SleepMs(static_cast<uint32_t>(std::atoi(argv[4])));
        return 0;
    }
    if (cmd == "write" && argc == 4) {
        auto f = platform::File::Open(argv[2], platform::Access::kWrite, platform::kShareNone,
                                      platform::Disposition::kCreateAlways);
        std::string text = argv[3];
        return f && f->Write(text.data(), text.size()) ? 0 : 3;
    }
    if (cmd == "args" && argc >= 3) {
        std::string text;
        std::vector<std::string> args = platform::Utf8Arguments(argc, argv);
        for (size_t i = 1; i < args.size(); ++i) {
            text += args[i] + "\n";
        }
        auto f = platform::File::Open(argv[2], platform::Access::kWrite, platform::kShareNone,
                                      platform::Disposition::kCreateAlways);
        return f && f->Write(text.data(), text.size()) ? 0 : 3;
    }
    if (cmd == "streams" && argc == 4) {
        if (!std::freopen(argv[2], "r", stdin) || !std::freopen(argv[3], "w", stdout)) {
            return 3;
        }
        std::printf("in=%d out=%d\n", platform::IsTerminal(platform::StdStream::kInput),
                    platform::IsTerminal(platform::StdStream::kOutput));
        platform::SetBinaryMode(platform::StdStream::kOutput);
        std::fputs("binary\n", stdout);
        return std::fclose(stdout) == 0 ? 0 : 3;
    }
    if (cmd == "settings" && argc == 5) {
        const platform::SettingsStore settings(argv[2]);
        int count = std::atoi(argv[4]);
        for (int i = 0; i < count; ++i) {
            std::string name = argv[3] + std::to_string(i);
            if (!settings.WriteString(name, name)) {
                return 4;
            }
        }
        return 0;
    }
    return 64;
}
