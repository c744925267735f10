// A terminal console built on Talvane: the in-game console (GConsole) fed
// from the keyboard line by line, with a few commands and a Lua host
// (GScript) whose functions print into the console.
//
//   talvane_console            then type: help, echo a b, add 1,2,3,
//                              lua con_print(square(7)), run FILE, log FILE, quit
//
// Everything the console shows is echoed to the terminal as it scrolls in;
// the engine log (script errors among it) is shown in the console too.
//
// How the pieces hang together is the part worth copying. Console commands
// and Lua functions are plain functions without a context argument, so they
// need one way back to the program's state. Here that state is one object,
// ConsoleApp, which owns the console, the script host and the file systems
// and lives on main's stack; the plain functions reach it through
// ConsoleApp::Inst(), the way a game reaches its application object. Nothing
// else is global, and nothing outlives main.
#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "framework/GConsole.h"
#include "framework/GLua.h"
#include "framework/GScript.h"
#include "lumo/DiskFS.h"
#include "lumo/Log.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

using Args = std::vector<std::string>;

std::string ProgramFolder() {
    std::string path = platform::ModulePath();
    size_t slash = platform::LastSeparator(path, platform::PathSeparators::kBoth);
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string Join(const Args& args) {
    std::string s;
    for (const std::string& a : args) {
        s += (s.empty() ? "" : " ") + a;
    }
    return s;
}

// The script host of the program: its native functions are static members
// of ConsoleApp, registered when the interpreter is built.
class ConsoleScript : public GFC::GScript {
protected:
    void OnRegFuncs() override;
};

class ConsoleApp {
public:
    ConsoleApp() : programFS_(ProgramFolder()) {
        assert(!s_inst && "one ConsoleApp at a time");
        s_inst = this;
        console_.RegCommand(CmdEcho, "echo", "prints its arguments");
        console_.RegCommand(CmdAdd, "add", "adds numbers: add 1,2 3");
        console_.RegCommand(CmdLua, "lua", "runs Lua code: lua con_print(square(7))");
        console_.RegCommand(CmdRun, "run", "runs a Lua file: run FILE");
        console_.RegCommand(CmdLog, "log", "writes the scrollback to a file: log FILE");
        console_.RegCommand(CmdQuit, "quit", "ends the program");
        Lumo::SetLogListener(ShowLogEntry, this);
    }
    ~ConsoleApp() {
        Lumo::SetLogListener(nullptr, nullptr);
        s_inst = nullptr;
    }
    ConsoleApp(const ConsoleApp&) = delete;
    ConsoleApp& operator=(const ConsoleApp&) = delete;

    // The running program; only valid while main's ConsoleApp exists.
    static ConsoleApp& Inst() {
        assert(s_inst);
        return *s_inst;
    }

    // Reads lines from in until it ends or "quit"; answers the exit code.
    int Run(std::istream& in) {
        console_.Print("Talvane console: type help for the commands, quit to end.");
        script_.LoadScript(&programFS_, "console.lua");
        ShowNewLines();

        std::string line;
        while (!quit_ && std::getline(in, line)) {
            while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
                line.pop_back();
            }
            rawLine_ = platform::Utf8ToGbk(line);
            const bool wasActive = console_.IsActive();
            for (char c : rawLine_) {
                console_.OnChar(c);
            }
            console_.OnChar(GFC::GConsole::kKeyEnter);
            ShowNewLines();
            if (wasActive && !console_.IsActive()) {
                std::cout << "(console hidden: type ` to show it again)\n";
            }
        }
        return 0;
    }

    // ---- Lua functions (registered by ConsoleScript) ----

    // con_print(...): prints its arguments, separated by spaces, to the console.
    static int ConPrint(lua_State* L) {
        std::string text;
        const int n = lua_gettop(L);
        lua_getglobal(L, "tostring");
        for (int i = 1; i <= n; ++i) {
            lua_pushvalue(L, -1);
            lua_pushvalue(L, i);
            lua_call(L, 1, 1);
            const char* s = lua_tostring(L, -1);
            if (i > 1) {
                text += ' ';
            }
            text += s ? s : "";
            lua_pop(L, 1);
        }
        lua_pop(L, 1);
        Inst().console_.Print("%s", text.c_str());
        return 0;
    }

    // add(a, b): the game-side arithmetic a script can call.
    static int LuaAdd(lua_State* L) {
        lua_pushnumber(L, luaL_checknumber(L, 1) + luaL_checknumber(L, 2));
        return 1;
    }

private:
    // ---- Console commands: each forwards to the running program ----

    static void CmdEcho(const Args& args) { Inst().console_.Print("%s", Join(args).c_str()); }
    static void CmdAdd(const Args& args) { Inst().Add(args); }
    static void CmdLua(const Args& args) { Inst().Lua(args); }
    static void CmdRun(const Args& args) { Inst().RunScript(args); }
    static void CmdLog(const Args& args) { Inst().Log(args); }
    static void CmdQuit(const Args&) { Inst().quit_ = true; }

    void Add(const Args& args) {
        double sum = 0;
        for (const std::string& a : args) {
            char* end = nullptr;
            double v = std::strtod(a.c_str(), &end);
            if (end == a.c_str() || *end) {
                console_.Print("add: %s is not a number", a.c_str());
                return;
            }
            sum += v;
        }
        console_.Print("= %g", sum);
    }

    void Lua(const Args& args) {
        if (args.empty()) {
            console_.Print("usage: lua CODE");
            return;
        }
        // Everything after the command word, commas included: the console
        // split the line at them, Lua needs them.
        size_t start = rawLine_.find_first_not_of(" ,");
        size_t code = rawLine_.find_first_of(" ,", start);
        script_.RunString(rawLine_.substr(code + 1).c_str());
    }

    void RunScript(const Args& args) {
        if (args.size() != 1) {
            console_.Print("usage: run FILE");
            return;
        }
        if (script_.RunFile(&workFS_, args[0].c_str())) {
            console_.Print("ran %s", args[0].c_str());
        }
    }

    void Log(const Args& args) {
        if (args.size() != 1) {
            console_.Print("usage: log FILE");
            return;
        }
        if (console_.LogToFile(args[0].c_str())) {
            console_.Print("scrollback written to %s", args[0].c_str());
        } else {
            console_.Print("could not write the scrollback to %s", args[0].c_str());
        }
    }

    // Engine log entries end in "\r\n" or nothing; the console takes one line.
    static void ShowLogEntry(const char* entry, void* app) {
        std::string line(entry);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
            line.pop_back();
        }
        static_cast<ConsoleApp*>(app)->console_.Print("[log] %s", line.c_str());
    }

    // Writes the scrollback lines added since the last call.
    void ShowNewLines() {
        unsigned long fresh = console_.GetLinesPrinted() - shown_;
        if (fresh > unsigned(GFC::GConsole::kLines)) {
            fresh = GFC::GConsole::kLines;
        }
        for (int i = GFC::GConsole::kLines - static_cast<int>(fresh); i < GFC::GConsole::kLines;
             ++i) {
            std::cout << platform::GbkToUtf8(console_.GetLine(i)) << '\n';
        }
        shown_ = console_.GetLinesPrinted();
        std::cout.flush();
    }

    static ConsoleApp* s_inst;

    GFC::GConsole console_;
    ConsoleScript script_;
    Lumo::DiskFS programFS_;   // the program's folder, for console.lua
    Lumo::DiskFS workFS_;      // the current folder, for "run"
    std::string rawLine_;      // the line as typed
    unsigned long shown_ = 0;  // console lines already written to the terminal
    bool quit_ = false;
};

ConsoleApp* ConsoleApp::s_inst = nullptr;

void ConsoleScript::OnRegFuncs() {
    RegFunc("con_print", ConsoleApp::ConPrint);
    RegFunc("add", ConsoleApp::LuaAdd);
}

}  // namespace

int main(int argc, char** argv) {
    const char* usage =
        "usage: talvane_console\n"
        "       talvane_console --help | --version\n"
        "The in-game console on a terminal: type help for the commands, quit to end.\n";
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << usage;
        return cli::kExitOk;
    }
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::cout << cli::VersionLine("talvane_console");
        return cli::kExitOk;
    }
    if (argc > 1) {
        return cli::UsageError(std::cerr, "talvane_console",
                               std::string("unknown argument ") + argv[1], usage);
    }
    ConsoleApp app;
    return app.Run(std::cin);
}
