// Drevik, the patcher.
//
//   drevik [--console]
//
// --console shows message boxes as prompts on the terminal (the default on
// platforms without the Windows GUI).
#include <cstdio>
#include <cstring>

#include "patcher/CPatcherApp.h"
#include "platform/msgbox.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--console") == 0) {
            platform::SetMessageBoxHandler(platform::ConsoleMessageBox);
        } else {
            std::fprintf(stderr, "usage: drevik [--console]\n");
            return 64;
        }
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
