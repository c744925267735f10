// UpdatePackef.dat, the self-update helper (see SelfUpdate.h).
#include <cstdio>
#include <string>
#include <vector>

#include "SelfUpdate.h"
#include "platform/console.h"
#include "platform/msgbox.h"
#include "platform/text.h"

int main(int argc, char** argv) {
    std::vector<std::string> args = platform::Utf8Arguments(argc, argv);
    SelfUpdateOptions options;
    options.patcher = args.size() > 1 ? platform::Utf8ToGbk(args[1]) : DefaultPatcherName();
    for (size_t i = 2; i < args.size(); ++i) {
        options.args.push_back(args[i]);
    }
    SelfUpdateResult r = RunSelfUpdate(options);
    if (!r.error.empty()) {
        std::string text = "UpdatePackef: " + r.error;
        std::fprintf(stderr, "%s\n", text.c_str());
        // A player without a console learns it from a box.
        platform::ShowMessageBox(nullptr, platform::Utf8ToGbk(text).c_str(), "UpdatePackef",
                                 platform::kMbOk | platform::kMbIconError);
    }
    return r.exitCode;
}
