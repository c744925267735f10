// Drevik, the patcher.
//
//   drevik [--console]
//   drevik --servers
//   drevik --options [KEY=VALUE ...]
//
// --console shows message boxes as prompts on the terminal (the default on
// platforms without the Windows GUI). --servers prints the server list the
// patcher builds from update.ini in the current folder, and ends.
// --options prints the game client's options (ClientOpt.txt), or sets the
// ones given and saves the file, as the settings dialog does.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "patcher/CPatcherApp.h"
#include "patcher/ServersCommand.h"
#include "patcher/ui/LocalText.h"
#include "patcher/ui/OptionsCommand.h"
#include "platform/console.h"
#include "platform/msgbox.h"
#include "platform/text.h"

int main(int argc, char** argv) {
    // Boxes shown without a caption carry the patcher's title.
    platform::SetDefaultCaption(GetLocalText(GBK("《Tesmar》更新程序")));
    if (argc >= 2 && std::strcmp(argv[1], "--options") == 0) {
        // The game's options, not an update: no instance lock, no window.
        platform::SetMessageBoxHandler(platform::ConsoleMessageBox);
        platform::SetBinaryMode(platform::StdStream::kOutput);
        return RunOptionsCommand(std::vector<std::string>(argv + 2, argv + argc), std::cout,
                                 std::cerr);
    }
    bool servers = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--console") == 0) {
            platform::SetMessageBoxHandler(platform::ConsoleMessageBox);
        } else if (std::strcmp(argv[i], "--servers") == 0) {
            servers = true;
        } else {
            std::fprintf(stderr,
                         "usage: drevik [--console]\n       drevik --servers\n"
                         "       drevik --options [KEY=VALUE ...]\n");
            return 64;
        }
    }
    if (servers) {
        // A check of update.ini, not an update: no instance lock, no window.
        platform::SetMessageBoxHandler(platform::ConsoleMessageBox);
        platform::SetBinaryMode(platform::StdStream::kOutput);
        return RunServersCommand(std::cout);
    }
    CPatcherApp app([] {
        std::fprintf(stderr, "drevik: started; the update dialog is not part of this build yet\n");
        return 0;
    });
    if (!app.InitInstance()) {
        return 1;  // another instance is running
    }
    return app.exitCode();
}
