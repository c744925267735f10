// msgbox_demo: opens a message box of every kind through the Dovwox plug-in,
// loaded at run time from beside the program as a game loads it, clicks
// each button in turn and prints the result that reaches the box's parent.
// A game does the same with real input: open a box on its panel, wait for
// the result event (EWOXE_MsgBoxResult), close the box.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "dovwox/DovwoxPlugin.h"
#include "platform/fs.h"
#include "platform/library.h"
#include "platform/text.h"
#include "wox/CWOXRender.h"
#include "wox/CWOXSystem.h"
#include "wox/WOXScript.h"

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

const char* const kKindNames[] = {"OK",     "OK/Cancel",   "Abort/Retry/Ignore", "Yes/No/Cancel",
                                  "Yes/No", "Retry/Cancel"};
const char* const kResultNames[] = {"OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"};

std::string ResultName(uint32_t result) {
    return result < 7 ? kResultNames[result] : "none";
}

std::string ProgramFolder() {
    std::string path = platform::ModulePath();
    size_t cut = platform::LastSeparator(path, platform::PathSeparators::kBoth);
    return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

// The results the panel received since the last call.
std::string TakeResults(woxscript::Recorder* panel) {
    std::string out;
    for (const woxscript::SeenEvent& ev : panel->events) {
        if (ev.kind == EWOXE_MsgBoxResult) {
            out += out.empty() ? "" : ", ";
            out += ev.param1 < 7
                       ? "result " + std::to_string(ev.param1) + " (" + ResultName(ev.param1) + ")"
                       : std::string("result none");
        }
    }
    panel->events.clear();
    return out.empty() ? "nothing" : out;
}

}  // namespace

int main(int argc, char** argv) {
    const char* usage =
        "usage: msgbox_demo\n"
        "       msgbox_demo --help | --version\n"
        "Opens a message box of each kind through the Dovwox plug-in, clicks its\n"
        "buttons and prints what reached the box's parent.\n";
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::fputs(usage, stdout);
        return cli::kExitOk;
    }
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::fputs(cli::VersionLine("msgbox_demo").c_str(), stdout);
        return cli::kExitOk;
    }
    if (argc > 1) {
        return cli::UsageError(std::cerr, "msgbox_demo", std::string("unknown argument ") + argv[1],
                               usage);
    }
    std::string libraryPath = ProgramFolder() + "\\" + platform::SharedLibraryFileName("Dovwox");
    auto library = platform::SharedLibrary::Open(libraryPath);
    if (!library) {
        const std::string line =
            cli::FailureLine("msgbox_demo", "cannot load the plug-in",
                             platform::GbkToUtf8(platform::NativePath(libraryPath)),
                             platform::GbkToUtf8(library.error().Message()));
        std::fprintf(stderr, "%s\n", line.c_str());
        return 1;
    }
    auto getEntry = library->Function<DovwoxGetEntryFn>(kDovwoxEntryName);
    const tagDovwoxEntry* dov = getEntry != nullptr ? getEntry() : nullptr;
    if (dov == nullptr || dov->dwSize != sizeof(tagDovwoxEntry)) {
        std::fprintf(stderr, "%s is not a Dovwox this program can use\n",
                     platform::NativePath(libraryPath).c_str());
        return 1;
    }
    std::printf("Dovwox loaded\n");

    int exitCode = 0;
    {
        CWOXSystem sys;
        sys.Init(kScreenWidth, kScreenHeight);
        sys.RegisterWndType<woxscript::Recorder>("demo_panel");
        tagWOXWndData panelData = woxscript::Record("panel", "demo_panel", "", 112, 84, 800, 600);
        auto* panel = static_cast<woxscript::Recorder*>(sys.CreateWnd(&panelData));

        CDOVWOX_Collocate collocate;
        dov->Init(&collocate, &sys);
        std::printf("msg_box registered: %s\n", sys.IsWndTypeRegistered("msg_box") ? "yes" : "no");

        for (int kind = 0; kind < 6; ++kind) {
            for (size_t i = 0;; ++i) {
                CWOXWnd* box =
                    dov->MsgBox(&collocate, "Choose a button.", static_cast<EMB_Type>(kind), panel);
                if (!WOXIsValidWnd(box)) {
                    std::printf("kind %d: no box\n", kind);
                    exitCode = 1;
                    break;
                }
                const auto& buttons = box->GetChildren();
                if (i == 0) {
                    tagWOXRect r = box->GetScreenRect();
                    std::printf("kind %d %s: box %dx%d at (%d,%d), buttons", kind, kKindNames[kind],
                                r.width, r.height, r.x, r.y);
                    for (const CWOXWnd* b : buttons) {
                        const tagWOXWndData& d = b->GetData();
                        std::printf(" %s[%d,%d %dx%d]", d.szText, d.nX, d.nY, d.nWidth, d.nHeight);
                    }
                    std::printf("\n");
                }
                if (i >= buttons.size()) {
                    sys.DestroyWnd(box);
                    break;
                }
                // Taken before the click: a pressed button rises to the top
                // of its siblings, which reorders the list.
                std::string caption = buttons[i]->GetData().szText;
                Tarnet::tagPoint at = woxscript::Centre(buttons[i]);
                woxscript::Click(sys, at.x, at.y);
                std::printf("  click %s -> %s\n", caption.c_str(), TakeResults(panel).c_str());
                sys.DestroyWnd(box);
            }
        }

        // The keyboard: Tab moves through the buttons, Enter presses one.
        CWOXWnd* box = dov->MsgBox(&collocate, "Keys.", EMBT_ABORTRETRYIGNORE, panel);
        woxscript::Key(sys, EUII_KeyDown, kWOXKeyTab);
        woxscript::Key(sys, EUII_KeyDown, kWOXKeyTab);
        woxscript::Press(sys, kWOXKeyEnter);
        std::printf("Tab, Tab, Enter on Abort/Retry/Ignore -> %s\n", TakeResults(panel).c_str());
        // A click on the box's body picks no button.
        tagWOXRect r = box->GetScreenRect();
        woxscript::Click(sys, r.x + 4, r.y + 4);
        std::printf("click on the box's body -> %s\n", TakeResults(panel).c_str());
        sys.DestroyWnd(box);

        // The text wraps between words inside its 250-pixel rectangle.
        box = dov->MsgBox(&collocate,
                          "The patch could not be applied because the disk is full. Free some "
                          "space and try again.",
                          EMBT_RETRYCANCEL, panel);
        sys.Render();
        for (const tagWOXDrawCmd& cmd : sys.GetRender()->GetCommands()) {
            if (cmd.eKind == tagWOXDrawCmd::Text && cmd.dwFormat == 0x110) {
                for (const tagWOXTextLine& line : cmd.lines) {
                    std::printf("text line at (%d,%d): %s\n", line.x, line.y, line.text.c_str());
                }
            }
        }

        // Unregistering closes what is still open, before the library goes.
        dov->Destroy(&collocate);
        std::printf("msg_box unregistered, windows left: %zu\n", sys.GetWndCount());
    }
    library->Close();
    std::printf("done\n");
    return exitCode;
}
