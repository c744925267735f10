// A terminal console built on Talvane: the in-game console (GConsole) fed
// from the keyboard line by line, with a few commands and a Lua host
// (GScript) whose functions print into the console.
//
//   talvane_console            then type: help, echo a b, add 1,2,3,
//                              lua con_print(square(7)), run FILE, log FILE, quit
//
// Everything the console shows is echoed to the terminal as it scrolls in;
// the engine log (script errors among it) is shown in the console too.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "framework/GConsole.h"
#include "framework/GLua.h"
#include "framework/GScript.h"
#include "lumo/DiskFS.h"
#include "lumo/Log.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

GFC::GConsole* g_console = nullptr;
GFC::GScript* g_script = nullptr;
Lumo::DiskFS* g_workFS = nullptr;
std::string g_rawLine;  // the line as typed: the console splits at commas, Lua needs them
bool g_quit = false;

// con_print(...): prints its arguments, separated by spaces, to the console.
int ConPrint(lua_State* L) {
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
    g_console->Print("%s", text.c_str());
    return 0;
}

// add(a, b): the game-side arithmetic a script can call.
int LuaAdd(lua_State* L) {
    lua_pushnumber(L, luaL_checknumber(L, 1) + luaL_checknumber(L, 2));
    return 1;
}

class ConsoleScript : public GFC::GScript {
protected:
    void OnRegFuncs() override {
        RegFunc("con_print", ConPrint);
        RegFunc("add", LuaAdd);
    }
};

std::string Join(const std::vector<std::string>& args) {
    std::string s;
    for (const std::string& a : args) {
        s += (s.empty() ? "" : " ") + a;
    }
    return s;
}

void CmdEcho(const std::vector<std::string>& args) {
    g_console->Print("%s", Join(args).c_str());
}

void CmdAdd(const std::vector<std::string>& args) {
    double sum = 0;
    for (const std::string& a : args) {
        char* end = nullptr;
        double v = std::strtod(a.c_str(), &end);
        if (end == a.c_str() || *end) {
            g_console->Print("add: %s is not a number", a.c_str());
            return;
        }
        sum += v;
    }
    g_console->Print("= %g", sum);
}

void CmdLua(const std::vector<std::string>& args) {
    if (args.empty()) {
        g_console->Print("usage: lua CODE");
        return;
    }
    // Everything after the command word, commas included.
    size_t start = g_rawLine.find_first_not_of(" ,");
    size_t code = g_rawLine.find_first_of(" ,", start);
    g_script->RunString(g_rawLine.substr(code + 1).c_str());
}

void CmdRun(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        g_console->Print("usage: run FILE");
        return;
    }
    if (g_script->RunFile(g_workFS, args[0].c_str())) {
        g_console->Print("ran %s", args[0].c_str());
    }
}

void CmdLog(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        g_console->Print("usage: log FILE");
        return;
    }
    g_console->LogToFile(args[0].c_str());
    g_console->Print("scrollback written to %s", args[0].c_str());
}

void CmdQuit(const std::vector<std::string>&) {
    g_quit = true;
}

// Engine log entries end in "\r\n" or nothing; the console takes one line.
void ShowLogEntry(const char* entry, void*) {
    std::string line(entry);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    g_console->Print("[log] %s", line.c_str());
}

// Writes the scrollback lines added since the last call.
void ShowNewLines(unsigned long& shown) {
    unsigned long fresh = g_console->GetLinesPrinted() - shown;
    if (fresh > unsigned(GFC::GConsole::kLines)) {
        fresh = GFC::GConsole::kLines;
    }
    for (int i = GFC::GConsole::kLines - static_cast<int>(fresh); i < GFC::GConsole::kLines; ++i) {
        std::cout << platform::GbkToUtf8(g_console->GetLine(i)) << '\n';
    }
    shown = g_console->GetLinesPrinted();
    std::cout.flush();
}

std::string ProgramFolder() {
    std::string path = platform::ModulePath();
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

int main() {
    GFC::GConsole console;
    ConsoleScript script;
    Lumo::DiskFS programFS(ProgramFolder());
    Lumo::DiskFS workFS;  // the current folder, for "run"
    g_console = &console;
    g_script = &script;
    g_workFS = &workFS;

    console.RegCommand(CmdEcho, "echo", "prints its arguments");
    console.RegCommand(CmdAdd, "add", "adds numbers: add 1,2 3");
    console.RegCommand(CmdLua, "lua", "runs Lua code: lua con_print(square(7))");
    console.RegCommand(CmdRun, "run", "runs a Lua file: run FILE");
    console.RegCommand(CmdLog, "log", "writes the scrollback to a file: log FILE");
    console.RegCommand(CmdQuit, "quit", "ends the program");
    Lumo::SetLogListener(ShowLogEntry, nullptr);

    unsigned long shown = 0;
    console.Print("Talvane console: type help for the commands, quit to end.");
    script.LoadScript(&programFS, "console.lua");
    ShowNewLines(shown);

    std::string line;
    while (!g_quit && std::getline(std::cin, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
            line.pop_back();
        }
        g_rawLine = platform::Utf8ToGbk(line);
        const bool wasActive = console.IsActive();
        for (char c : g_rawLine) {
            console.OnChar(c);
        }
        console.OnChar(GFC::GConsole::kKeyEnter);
        ShowNewLines(shown);
        if (wasActive && !console.IsActive()) {
            std::cout << "(console hidden: type ` to show it again)\n";
        }
    }
    Lumo::SetLogListener(nullptr, nullptr);
    return 0;
}
