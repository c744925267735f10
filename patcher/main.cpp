// Drevik, the patcher.
//
//   drevik [--console]
//   drevik --servers
//
// --console shows message boxes as prompts on the terminal (the default on
// platforms without the Windows GUI). --servers prints the server list the
// patcher builds from update.ini in the current folder, and ends.
#include <cstdio>
#include <cstring>
#include <iostream>

#include "patcher/CPatcherApp.h"
#include "patcher/ServersCommand.h"
#include "platform/console.h"
#include "platform/msgbox.h"

int main(int argc, char** argv) {
    bool servers = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--console") == 0) {
            platform::SetMessageBoxHandler(platform::ConsoleMessageBox);
        } else if (std::strcmp(argv[i], "--servers") == 0) {
            servers = true;
        } else {
            std::fprintf(stderr, "usage: drevik [--console]\n       drevik --servers\n");
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
