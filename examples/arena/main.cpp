// arena: the model game built on Talvane. A window in which the player moves
// a marker with the arrow keys (or W, A, S, D) or by clicking where it
// should go; every player connected to the same arena_server sees everyone
// else's marker move. The backquote key opens the console; arena.lua, beside
// the program, is run at start-up and may define on_frame(frame).
//
//   arena [--server HOST:PORT] [--name NAME] [--script FILE] [--windowed]
//
// What a game takes from the framework, in the order this file uses it:
//   GSession     the connection to the server (ArenaSession)
//   GScript      Lua, with the game's own functions (ArenaScript)
//   GWin32App    the window and the main loop (ArenaApp)
//   GInput       keyboard and mouse snapshots, taken each frame
//   GActionMap   keys and buttons as numbered actions
//   GConsole     the developer console, fed from WM_CHAR
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <string>

#include "ArenaProtocol.h"
#include "cli/CommandLine.h"
#include "framework/DIKeys.h"
#include "framework/GActionMap.h"
#include "framework/GConsole.h"
#include "framework/GInput.h"
#include "framework/GLua.h"
#include "framework/GScript.h"
#include "framework/GSession.h"
#include "lumo/DiskFS.h"
#include "lumo/DrawX.h"
#include "lumo/Exception.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "tarnet/StreamTransport.h"
#include "win32app/GWin32App.h"
#include "win32app/WinApi.h"
#include "win32app/WinMsg.h"

namespace {

using arena::MsgReader;
using arena::MsgWriter;

constexpr int kStep = 4;           // pixels per frame while a key is held
constexpr uint32_t kFrameMs = 15;  // pause after each frame: about 60 frames a second
constexpr int kMarker = 16;        // marker size in pixels
constexpr uint32_t kOwnColour = Lumo::Color4ub(255, 32, 208, 64);
constexpr uint32_t kPeerColour = Lumo::Color4ub(255, 224, 64, 48);
constexpr uint32_t kGridColour = Lumo::Color4ub(255, 40, 40, 48);
constexpr uint32_t kTextColour = 0xFFFFFFFF;

// Game messages the application posts to itself (ids other than 1000 are
// the game's own).
constexpr uint32_t kMsgWelcomed = 2001;  // param1: our player id
constexpr uint32_t kMsgPeerLeft = 2002;  // param1: the player's id

struct Options {
    std::string server;  // HOST:PORT, empty to play alone
    std::string name = "player";
    std::string script;  // a Lua file run after arena.lua
    bool windowed = false;
};

struct Marker {
    std::string name;
    int x = 0, y = 0;
};

// ---------------------------------------------------------------------------
// The connection: sends our moves, keeps everyone's markers.

void OnPeerMoved(const Marker& m);  // tells the scripts

class ArenaSession : public GFC::GSession {
public:
    uint32_t myId = 0;                  // 0 until the server welcomed us
    std::map<uint32_t, Marker> others;  // everyone else, by player id

    void Hello(const std::string& name) { Add(MsgWriter(arena::kHello).Name(name)); }
    void Move(int x, int y) { Add(MsgWriter(arena::kMove).I32(x).I32(y)); }

protected:
    // One message of a received package: the framework has checked that its
    // header's length lies inside the package.
    unsigned long OnNetMessage(void* msg) override {
        const uint16_t kind = MsgReader::Kind(msg);
        if (GFC::NetMsgLength(msg) != arena::MsgBytes(kind)) {
            return 0;  // not a message of ours: drop the rest of the package
        }
        MsgReader r(msg);
        GFC::GWin32App* app = GFC::GWin32App::Inst();
        switch (kind) {
            case arena::kWelcome:
                myId = r.U32();
                app->PostMessage(kMsgWelcomed, myId, 0);
                break;
            case arena::kPos: {
                const uint32_t id = r.U32();
                Marker m;
                m.x = r.I32();
                m.y = r.I32();
                m.name = r.Name();
                if (id != myId) {
                    others[id] = m;
                    OnPeerMoved(m);
                }
                break;
            }
            case arena::kLeave: {
                const uint32_t id = r.U32();
                others.erase(id);
                app->PostMessage(kMsgPeerLeft, id, 0);
                break;
            }
            default:
                break;
        }
        return GSession::OnNetMessage(msg);
    }

private:
    void Add(const MsgWriter& w) {
        std::vector<uint8_t> bytes = w.Bytes();
        AddNetMsg(bytes.data(), static_cast<unsigned long>(bytes.size()));
    }
};

// ---------------------------------------------------------------------------
// The application.

class ArenaApp : public GFC::GWin32App {
public:
    explicit ArenaApp(const Options& opts) : m_opts(opts) {}
    int ExitCode() const { return m_exitCode; }

    // Called by the Lua functions below.
    void MoveTo(int x, int y) {
        m_me.x = arena::ClampX(x);
        m_me.y = arena::ClampY(y);
    }
    const Marker& Me() const { return m_me; }
    ArenaSession& Session() { return m_session; }
    GFC::GConsole& Console() { return m_console; }
    void Quit(int code) {
        m_exitCode = code;
        PostMessage(GFC::kGameMsgQuit, 0, 0);
    }

protected:
    void OnCreate() override;
    void OnDestroy() override;
    void OnFrame() override;
    uint32_t OnWin32Msg(GFC::HWND hWnd, GFC::UINT msg, GFC::WPARAM w, GFC::LPARAM l) override;
    void OnGameMsg(uint32_t msg, uint32_t param1, uint32_t param2) override;

private:
    void Connect(const std::string& hostPort);
    void ReadInput();
    // Copies the console's new lines to standard output, for whoever runs
    // the game from a terminal.
    void EchoConsole();
    void Draw();

    Options m_opts;
    ArenaSession m_session;
    GFC::GConsole m_console;
    GFC::GActionMap m_actions;
    unsigned long m_left = 0, m_right = 0, m_up = 0, m_down = 0;  // action ids
    unsigned long m_keyA = 0, m_keyD = 0, m_keyW = 0, m_keyS = 0, m_click = 0;
    Marker m_me;
    int m_sentX = -1, m_sentY = -1;  // the last position told to the server
    bool m_helloSent = false;
    bool m_online = false;  // the session was up at the last frame
    unsigned long m_frame = 0;
    unsigned long m_consoleShown = 0;  // console lines already echoed
    int m_exitCode = 0;
};

ArenaApp* g_app = nullptr;

// ---------------------------------------------------------------------------
// Lua: the game's functions for scripts and the console's "lua" command.

// move_to(x, y): places our marker (clamped to the arena).
int LuaMoveTo(lua_State* L) {
    g_app->MoveTo(static_cast<int>(luaL_checknumber(L, 1)),
                  static_cast<int>(luaL_checknumber(L, 2)));
    return 0;
}

// my_pos() -> x, y
int LuaMyPos(lua_State* L) {
    lua_pushnumber(L, g_app->Me().x);
    lua_pushnumber(L, g_app->Me().y);
    return 2;
}

// peer(name) -> x, y of the first other player of that name, or nil.
int LuaPeer(lua_State* L) {
    const char* name = luaL_checkstring(L, 1);
    for (const auto& [id, m] : g_app->Session().others) {
        if (m.name == name) {
            lua_pushnumber(L, m.x);
            lua_pushnumber(L, m.y);
            return 2;
        }
    }
    lua_pushnil(L);
    return 1;
}

// connected() -> whether the server has welcomed us.
int LuaConnected(lua_State* L) {
    lua_pushboolean(L, g_app->Session().IsValid() && g_app->Session().myId != 0);
    return 1;
}

// say(text): prints to the console.
int LuaSay(lua_State* L) {
    g_app->Console().Print("%s", luaL_checkstring(L, 1));
    return 0;
}

// quit([code]): ends the game with that exit code (0 by default).
int LuaQuit(lua_State* L) {
    g_app->Quit(static_cast<int>(luaL_optnumber(L, 1, 0)));
    return 0;
}

class ArenaScript : public GFC::GScript {
public:
    // on_frame(frame), when the scripts defined it.
    void OnFrameHook(unsigned long frame) {
        if (PushHook("on_frame")) {
            lua_pushnumber(GetLuaState(), static_cast<lua_Number>(frame));
            CallHook("on_frame", 1);
        }
    }
    // on_peer(name, x, y), for every position the server reports.
    void OnPeerHook(const Marker& m) {
        if (PushHook("on_peer")) {
            lua_State* L = GetLuaState();
            lua_pushstring(L, m.name.c_str());
            lua_pushnumber(L, m.x);
            lua_pushnumber(L, m.y);
            CallHook("on_peer", 3);
        }
    }

protected:
    void OnRegFuncs() override {
        RegFunc("move_to", LuaMoveTo);
        RegFunc("my_pos", LuaMyPos);
        RegFunc("peer", LuaPeer);
        RegFunc("connected", LuaConnected);
        RegFunc("say", LuaSay);
        RegFunc("quit", LuaQuit);
    }

private:
    // Pushes the global function name; false (nothing pushed) when there is
    // none.
    bool PushHook(const char* name) {
        lua_State* L = GetLuaState();
        if (!L) {
            return false;
        }
        lua_getglobal(L, name);
        if (lua_isfunction(L, -1)) {
            return true;
        }
        lua_pop(L, 1);
        return false;
    }
    void CallHook(const char* name, int args) {
        lua_State* L = GetLuaState();
        if (lua_pcall(L, args, 0, 0) != 0) {
            std::fprintf(stderr, "arena: %s: %s\n", name, lua_tostring(L, -1));
            lua_pop(L, 1);
            lua_pushnil(L);
            lua_setglobal(L, name);  // reported once, not every frame
        }
    }
};

ArenaScript g_script;

void OnPeerMoved(const Marker& m) {
    g_script.OnPeerHook(m);
}

// ---------------------------------------------------------------------------
// Console commands.

void CmdPos(const std::vector<std::string>&) {
    g_app->Console().Print("me %s at %d,%d", g_app->Me().name.c_str(), g_app->Me().x,
                           g_app->Me().y);
    for (const auto& [id, m] : g_app->Session().others) {
        g_app->Console().Print("player %u %s at %d,%d", id, m.name.c_str(), m.x, m.y);
    }
}

void CmdLua(const std::vector<std::string>& args) {
    std::string code;
    for (const std::string& a : args) {
        code += (code.empty() ? "" : " ") + a;
    }
    g_script.RunString(code.c_str());
}

void CmdQuit(const std::vector<std::string>&) {
    g_app->Quit(0);
}

std::string ProgramFolder() {
    const std::string path = platform::ModulePath();
    const size_t slash = platform::LastSeparator(path, platform::PathSeparators::kBoth);
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// ---------------------------------------------------------------------------

void ArenaApp::OnCreate() {
    m_me.name = m_opts.name;
    m_me.x = arena::kArenaWidth / 2;
    m_me.y = arena::kArenaHeight / 2;

    m_console.Init(GFC::RECT{0, 16, arena::kArenaWidth, 360});  // 20 lines and the input bar
    m_console.SetActive(false);                                 // the backquote key opens it
    m_console.RegCommand(CmdPos, "pos", "where everyone is");
    m_console.RegCommand(CmdLua, "lua", "runs Lua: lua move_to(10 20)");
    m_console.RegCommand(CmdQuit, "quit", "ends the game");

    m_left = m_actions.AddKBAction(DIK_LEFT);
    m_right = m_actions.AddKBAction(DIK_RIGHT);
    m_up = m_actions.AddKBAction(DIK_UP);
    m_down = m_actions.AddKBAction(DIK_DOWN);
    m_keyA = m_actions.AddKBAction(DIK_A);
    m_keyD = m_actions.AddKBAction(DIK_D);
    m_keyW = m_actions.AddKBAction(DIK_W);
    m_keyS = m_actions.AddKBAction(DIK_S);
    m_click = m_actions.AddMouseAction(0);

    Lumo::DiskFS programFS(ProgramFolder());
    g_script.LoadScript(&programFS, "arena.lua");
    if (!m_opts.script.empty()) {
        Lumo::DiskFS here;
        if (!g_script.RunFile(&here, m_opts.script.c_str())) {
            std::fprintf(stderr, "arena: cannot run %s\n", m_opts.script.c_str());
        }
    }

    m_session.Init("arena");
    if (!m_opts.server.empty()) {
        Connect(m_opts.server);
    }
}

void ArenaApp::Connect(const std::string& hostPort) {
    const size_t colon = hostPort.rfind(':');
    if (colon == std::string::npos) {
        m_console.Print("server: HOST:PORT expected, not %s", hostPort.c_str());
        return;
    }
    m_session.Open(hostPort.substr(0, colon).c_str(), std::atoi(hostPort.c_str() + colon + 1));
    m_console.Print("connecting to %s", hostPort.c_str());
}

void ArenaApp::OnDestroy() {
    m_session.Close();
    GFC::GInput::Inst()->Destroy();
    g_script.Close();
}

void ArenaApp::ReadInput() {
    GFC::GInput* input = GFC::GInput::Inst();
    input->UpdateKBInput();
    input->UpdateMouseInput();
    m_actions.Update();
    if (m_console.IsActive()) {
        return;  // keys are typing
    }
    auto held = [this](unsigned long a, unsigned long b) {
        return m_actions.IsPressed(a) || m_actions.IsClickOnce(a) || m_actions.IsPressed(b) ||
               m_actions.IsClickOnce(b);
    };
    int dx = 0, dy = 0;
    dx -= held(m_left, m_keyA) ? kStep : 0;
    dx += held(m_right, m_keyD) ? kStep : 0;
    dy -= held(m_up, m_keyW) ? kStep : 0;
    dy += held(m_down, m_keyS) ? kStep : 0;
    if (dx || dy) {
        MoveTo(m_me.x + dx, m_me.y + dy);
    }
    if (m_actions.IsClickOnce(m_click) || m_actions.IsDBClickOnce(m_click)) {
        const GFC::POINT p = input->GetCursorPos();
        MoveTo(p.x, p.y);
    }
}

void ArenaApp::OnFrame() {
    ++m_frame;
    ReadInput();
    g_script.OnFrameHook(m_frame);

    // Network: what arrived, then our move if we have one, one message a frame.
    m_session.RecvAllMsg();
    const bool online = m_session.IsValid();
    if (m_online && !online) {
        const Tarnet::CStreamTransport* t = m_session.GetTarnetInterface();
        m_console.Print("connection lost: %s", t ? t->GetCloseReason().c_str() : "no transport");
    }
    m_online = online;
    if (online && !m_helloSent) {
        m_session.Hello(m_me.name);
        m_helloSent = true;
    }
    if (m_session.myId != 0 && (m_me.x != m_sentX || m_me.y != m_sentY)) {
        m_session.Move(m_me.x, m_me.y);
        m_sentX = m_me.x;
        m_sentY = m_me.y;
        std::printf("pos %d,%d\n", m_me.x, m_me.y);
        std::fflush(stdout);
    }
    m_session.SendAllMsg();

    EchoConsole();
    Draw();
    platform::SleepMs(kFrameMs);
}

void ArenaApp::EchoConsole() {
    const unsigned long printed = m_console.GetLinesPrinted();
    unsigned long fresh = printed - m_consoleShown;
    if (fresh > unsigned(GFC::GConsole::kLines)) {
        fresh = GFC::GConsole::kLines;
    }
    for (int i = GFC::GConsole::kLines - static_cast<int>(fresh); i < GFC::GConsole::kLines; ++i) {
        std::printf("console: %s\n", m_console.GetLine(i));
    }
    std::fflush(stdout);
    m_consoleShown = printed;
}

void ArenaApp::Draw() {
    for (int x = 0; x < arena::kArenaWidth; x += 64) {
        Lumo::DrawX::Draw2DQuad(x, 0, 1, arena::kArenaHeight, false, kGridColour);
    }
    for (int y = 0; y < arena::kArenaHeight; y += 64) {
        Lumo::DrawX::Draw2DQuad(0, y, arena::kArenaWidth, 1, false, kGridColour);
    }
    for (const auto& [id, m] : m_session.others) {
        Lumo::DrawX::Draw2DQuad(m.x - kMarker / 2, m.y - kMarker / 2, kMarker, kMarker, false,
                                kPeerColour);
        Lumo::DrawX::DrawDebugString(m.name.c_str(), m.x + kMarker, m.y - kMarker / 2, kTextColour);
    }
    Lumo::DrawX::Draw2DQuad(m_me.x - kMarker / 2, m_me.y - kMarker / 2, kMarker, kMarker, false,
                            kOwnColour);
    Lumo::DrawX::DrawDebugString(m_me.name.c_str(), m_me.x + kMarker, m_me.y - kMarker / 2,
                                 kTextColour);
    const std::string status = m_session.IsValid() ? "online" : "offline";
    Lumo::DrawX::DrawDebugString(status.c_str(), 4, arena::kArenaHeight - 20, kTextColour);
    m_console.Draw();
    GFC::WinApi::PresentFrame(GetHWnd());
}

uint32_t ArenaApp::OnWin32Msg(GFC::HWND hWnd, GFC::UINT msg, GFC::WPARAM w, GFC::LPARAM l) {
    switch (msg) {
        case WM_CHAR:
            m_console.OnChar(static_cast<char>(w));  // the backquote opens and closes it
            return 0;
        case WM_CLOSE:
            Quit(0);  // the window goes when the loop ends
            return 0;
        default:
            return GWin32App::OnWin32Msg(hWnd, msg, w, l);
    }
}

void ArenaApp::OnGameMsg(uint32_t msg, uint32_t param1, uint32_t) {
    switch (msg) {
        case kMsgWelcomed:
            m_console.Print("welcome, player %u", param1);
            break;
        case kMsgPeerLeft:
            m_console.Print("player %u left", param1);
            break;
        default:
            break;
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options opts;
    CLI::App cli{"arena: the Talvane example game"};
    cli.add_option("--server", opts.server, "arena_server to join, HOST:PORT");
    cli.add_option("--name", opts.name, "player name (15 characters at most)");
    cli.add_option("--script", opts.script, "Lua file to run after arena.lua");
    cli.add_flag("--windowed", opts.windowed, "a captioned window instead of a borderless one");
    if (std::optional<int> code = cli::Parse(cli, "arena", argc, argv, std::cout, std::cerr)) {
        return *code;
    }

    GFC::GNetPlugin::Inst()->LoadDll(nullptr);
    ArenaApp app(opts);
    g_app = &app;
    try {
        app.Create(arena::kArenaWidth, arena::kArenaHeight, ("Tesmar arena - " + opts.name).c_str(),
                   !opts.windowed, nullptr);
    } catch (const Lumo::Exception& e) {
        // Mostly: no display to open the window on.
        std::fprintf(stderr, "arena: cannot open the window: %s (no display?)\n", e.what());
        return 1;
    }
    GFC::WinApi::ShowWindow(app.GetHWnd(), SW_SHOW);
    GFC::WinApi::SetForegroundWindow(app.GetHWnd());
    app.MainLoop();
    // The network objects go before the program does, while every thread
    // still runs.
    GFC::GNetPlugin::Inst()->Destroy();
    return app.ExitCode();
}
