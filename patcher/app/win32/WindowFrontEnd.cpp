// The window front end: CUpdateWnd driven by CUpdateDlg.
#include "patcher/WindowFrontEnd.h"

#include "platform/native_windows.h"

#include <cstdio>
#include <functional>
#include <utility>

#include "patcher/NewsPages.h"
#include "patcher/gui/CUpdateWnd.h"
#include "patcher/text/LocalText.h"
#include "platform/msgbox.h"
#include "platform/text.h"

namespace {

// The exit code for how the dialog came out.
int ExitCodeOf(UpdateOutcome outcome) {
    switch (outcome) {
        case UpdateOutcome::kDone:
            return kExitCurrent;
        case UpdateOutcome::kSelfUpdateStored:
        case UpdateOutcome::kHandedOver:
            return kExitSelfUpdate;
        case UpdateOutcome::kPending:
        case UpdateOutcome::kFailed:
            break;
    }
    return kExitFailed;
}

UpdateWindowUrls WindowUrls(const UpdateShared& shared) {
    UpdateWindowUrls urls;
    static_assert(kUpdateWindowUrls == kUrlCount, "the window links to the dialog's URLs");
    for (size_t i = 0; i < kUrlCount; ++i) {
        urls[i] = shared.urls[i];
    }
    return urls;
}

// A standard handle that leads somewhere (given by the parent, or set).
bool HandleIsUsable(DWORD which) {
    HANDLE h = GetStdHandle(which);
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}

}  // namespace

int RunWindow(const ConsoleOptions& options, UpdateDlgOptions dialogOptions,
              WindowFrontEndOptions window) {
    CUpdateDlg* dialog = nullptr;  // set once the dialog exists; the window comes first
    std::function<void()> apply;
    UpdateWindowEvents events;
    events.command = [&](int id) {
        if (dialog == nullptr) {
            return;
        }
        if (id == kIdStartGame) {
            dialog->OnStartGame();
        } else if (id == kIdExit) {
            dialog->OnExit();
        } else if (id == kIdUpdateStop) {
            dialog->OnUpdateButton();
        }
        apply();
    };
    events.serverChosen = [&](int row) {
        if (dialog != nullptr) {
            dialog->work().SelectServer(row);
            apply();
        }
    };
    events.closeRequest = [&] {
        if (dialog != nullptr) {
            dialog->OnCloseRequest(0);
            apply();
        }
    };
    events.wake = [&] {
        if (dialog != nullptr) {
            dialog->PumpEvents(0);
            apply();
        }
    };
    CUpdateWnd wnd(std::move(events), window.skinFolder, window.gameFolder);
    wnd.SetPageFetchOptions(NewsFetchOptions());
    if (!wnd.Create(GetLocalText(GBK("《Tesmar》更新程序")), {})) {
        return kExitFailed;
    }

    // Real boxes, owned by the window even where a worker gave no owner: an
    // ownerless box would leave the window's buttons live while the update
    // waits for the answer.
    HWND owner = wnd.hwnd();
    dialogOptions.owner = owner;
    if (!dialogOptions.showBox) {
        dialogOptions.showBox = [owner](void* given, const char* text, const char* caption,
                                        uint32_t type) {
            return platform::SystemMessageBox(given != nullptr ? given : owner, text, caption,
                                              type);
        };
    }
    dialogOptions.wake = [&wnd] { wnd.PostWake(); };
    dialogOptions.helperArgs = options.arguments;
    int code = kExitFailed;
    {
        CUpdateDlg dlg(std::move(dialogOptions));
        dialog = &dlg;
        apply = [&] {
            const UpdateDlgDisplay& d = dlg.display();
            UpdateWork::ServerRows servers = dlg.work().ServerList();
            wnd.SetVersionText(d.versionText);
            wnd.SetStatusText(d.statusText);
            wnd.SetDownloadLabel(d.downloadLabel);
            wnd.SetUpdateLabel(d.updateLabel);
            wnd.SetBars(d.downloadBar, d.updateBar);
            wnd.SetUpdateRunning(d.updateButtonRunning);
            wnd.EnableStartGame(d.startGameEnabled);
            if (d.startGameFocused) {
                wnd.FocusStartGame();
            }
            wnd.SetServers(servers.rows, servers.selected);
        };
        dlg.OnInitDialog();
        wnd.SetTitle(dlg.display().title);
        wnd.SetUrls(WindowUrls(dlg.shared()));
        apply();
        MSG msg;
        while (!dlg.ended() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        code = ExitCodeOf(dlg.outcome());
        dialog = nullptr;
        // The dialog's destructor joins the workers, whose last wakes still
        // reach the window: they find no dialog and do nothing.
    }
    return code;
}

bool AttachConsoleForFrontEnd() {
    bool hadIn = HandleIsUsable(STD_INPUT_HANDLE);
    bool hadOut = HandleIsUsable(STD_OUTPUT_HANDLE);
    bool hadErr = HandleIsUsable(STD_ERROR_HANDLE);
    if (hadIn && hadOut && hadErr) {
        return true;  // everything redirected: nothing to show in a console
    }
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (!AttachConsole(ATTACH_PARENT_PROCESS) && !AllocConsole()) {
        return false;
    }
    // Attaching may set the standard handles to the console; the ones the
    // parent gave stay.
    if (hadIn) {
        SetStdHandle(STD_INPUT_HANDLE, in);
    } else if (std::freopen("CONIN$", "r", stdin) != nullptr) {
        SetStdHandle(STD_INPUT_HANDLE,
                     CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    }
    const struct {
        bool had;
        HANDLE handle;
        DWORD which;
        FILE* stream;
    } outputs[] = {{hadOut, out, STD_OUTPUT_HANDLE, stdout},
                   {hadErr, err, STD_ERROR_HANDLE, stderr}};
    for (const auto& o : outputs) {
        if (o.had) {
            SetStdHandle(o.which, o.handle);
            continue;
        }
        if (std::freopen("CONOUT$", "w", o.stream) != nullptr) {
            SetStdHandle(o.which,
                         CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
        }
    }
    return true;
}
