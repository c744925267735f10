// UpdatePackef.dat, the self-update helper (see SelfUpdate.h).
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "SelfUpdate.h"
#include "cli/CommandLine.h"
#include "platform/console.h"
#include "platform/msgbox.h"
#include "platform/text.h"

namespace {

constexpr const char* kName = "UpdatePackef.dat";
constexpr const char* kUsage =
    "usage: UpdatePackef.dat [PATCHER [ARGUMENTS...]]\n"
    "       UpdatePackef.dat --help | --version\n"
    "Waits until the patcher has ended, moves download\\PATCHER over PATCHER in the\n"
    "current folder and starts it with ARGUMENTS.\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args = platform::Utf8Arguments(argc, argv);
    // Only the first word is the helper's: the rest are the patcher's.
    if (args.size() > 1 && !args[1].empty() && args[1][0] == '-') {
        if (args[1] == "--help" || args[1] == "-h") {
            platform::WriteText(platform::StdStream::kOutput, kUsage);
            return cli::kExitOk;
        }
        if (args[1] == "--version") {
            platform::WriteText(platform::StdStream::kOutput, cli::VersionLine(kName));
            return cli::kExitOk;
        }
        return cli::UsageError(std::cerr, kName, "unknown option " + args[1], kUsage);
    }
    SelfUpdateOptions options;
    options.patcher = args.size() > 1 ? platform::Utf8ToGbk(args[1]) : DefaultPatcherName();
    for (size_t i = 2; i < args.size(); ++i) {
        options.args.push_back(args[i]);
    }
    SelfUpdateResult r = RunSelfUpdate(options);
    if (!r.error.empty()) {
        std::string text = std::string(kName) + ": " + r.error;
        std::fprintf(stderr, "%s\n", text.c_str());
        // A player without a console learns it from a box.
        platform::ShowMessageBox(nullptr, platform::Utf8ToGbk(text).c_str(), "UpdatePackef",
                                 platform::kMbOk | platform::kMbIconError);
    }
    return r.exitCode;
}
