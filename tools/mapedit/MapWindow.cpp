#include "MapWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Editing.h"
#include "Picture.h"
#include "Session.h"
#include "framework/DIKeys.h"
#include "framework/GActionMap.h"
#include "framework/GConsole.h"
#include "framework/GInput.h"
#include "lumo/DrawX.h"
#include "lumo/Exception.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "win32app/GWin32App.h"
#include "win32app/WinApi.h"
#include "win32app/WinMsg.h"

namespace mapedit {

namespace {

constexpr unsigned kWidth = 1024, kHeight = 768;  // when the desktop's size is unknown
constexpr int kStatusHeight = 20;                 // the status line under the view
constexpr int kPanStep = 16;                      // pixels per frame while an arrow is held
constexpr float kZoomStep = 1.25f;                // per wheel notch or +/- press
constexpr int kWheelNotch = 120;
constexpr uint32_t kFrameMs = 15;
// Frames without a change between two paintings of the same picture.
constexpr int kRepaintFrames = 30;
constexpr uint32_t kStatusBack = 0xFF303030;
constexpr uint32_t kStatusText = 0xFFFFFFFF;
constexpr uint32_t kQuestionBack = 0xFF804000;

// The console's commands: every mapedit command, then the window's own.
struct ConsoleCommand {
    const char* name;
    const char* help;
};
constexpr const char* kAsOnCommandLine = "as on the mapedit command line";
constexpr ConsoleCommand kCommands[] = {{"list", kAsOnCommandLine},
                                        {"set", kAsOnCommandLine},
                                        {"add-static", kAsOnCommandLine},
                                        {"add-npc", kAsOnCommandLine},
                                        {"add-waypoint", kAsOnCommandLine},
                                        {"add-trigger", kAsOnCommandLine},
                                        {"add-sound", kAsOnCommandLine},
                                        {"add-gather", kAsOnCommandLine},
                                        {"add-chopfield", kAsOnCommandLine},
                                        {"add-wall", kAsOnCommandLine},
                                        {"move", kAsOnCommandLine},
                                        {"delete", kAsOnCommandLine},
                                        {"turn", kAsOnCommandLine},
                                        {"scale", kAsOnCommandLine},
                                        {"path", kAsOnCommandLine},
                                        {"save", kAsOnCommandLine},
                                        {"save-as", kAsOnCommandLine},
                                        {"undo", "takes the last change back (Ctrl+Z)"},
                                        {"redo", "makes the change taken back again (Ctrl+Y)"}};
constexpr size_t kCommandCount = sizeof kCommands / sizeof kCommands[0];

class MapWindow;
MapWindow* g_window = nullptr;

class MapWindow : public GFC::GWin32App {
public:
    MapWindow(Session& s, const WindowOptions& o, std::ostream& out)
        : m_edit(s), m_opts(o), m_out(out) {}

    // A console line: the command's name and its words.
    void Command(const char* name, const std::vector<std::string>& args);

protected:
    void OnCreate() override;
    void OnDestroy() override { GFC::GInput::Inst()->Destroy(); }
    void OnFrame() override;
    uint32_t OnWin32Msg(GFC::HWND hWnd, GFC::UINT msg, GFC::WPARAM w, GFC::LPARAM l) override;
    void OnGameMsg(uint32_t, uint32_t, uint32_t) override {}

private:
    void ReadInput();
    void Keys(const GFC::POINT& p);
    void Draw();
    // Shows what a command printed in the console (and on standard output).
    void Say(const std::string& text);
    // Copies the console's new lines to standard output, for whoever runs
    // the window from a terminal or a script.
    void EchoConsole();
    void RequestClose();
    void Quit() { PostMessage(GFC::kGameMsgQuit, 0, 0); }
    bool Hit(unsigned long action) const {
        return m_actions.IsClickOnce(action) || m_actions.IsDBClickOnce(action);
    }
    bool Held(unsigned long action) const { return Hit(action) || m_actions.IsPressed(action); }

    EditController m_edit;
    WindowOptions m_opts;
    std::ostream& m_out;
    GFC::GConsole m_console;
    GFC::GActionMap m_actions;
    unsigned long m_consoleShown = 0;

    // Action ids.
    unsigned long m_left = 0, m_right = 0, m_up = 0, m_down = 0;
    unsigned long m_zoomIn = 0, m_zoomIn2 = 0, m_zoomOut = 0, m_zoomOut2 = 0, m_home = 0;
    unsigned long m_add[7] = {};
    unsigned long m_delete = 0, m_turn = 0, m_bigger = 0, m_smaller = 0, m_escape = 0;
    unsigned long m_keyZ = 0, m_keyY = 0, m_keyS = 0, m_keyQ = 0, m_keyN = 0;

    bool m_redraw = true;             // the map or the view changed: draw the top view again
    bool m_repaint = false;           // only the console changed: paint what there is
    int m_idleFrames = 0;             // frames since the window was last painted
    std::vector<ColourRect> m_rects;  // the last top view drawn
    int m_viewW = 0, m_viewH = 0;
    // The cursor in client coordinates, as the mouse messages last placed
    // it (they follow every move, also while a button is held), and where
    // it was in the previous frame.
    GFC::POINT m_cursor{0, 0};
    GFC::POINT m_last{0, 0};
    bool m_panning = false;
    bool m_asking = false;  // the close question is up
    std::string m_status, m_message, m_title;
};

// One handler per console command: the console tells a handler only its
// words, not the name it was called by.
template <size_t N>
void Handle(const std::vector<std::string>& args) {
    g_window->Command(kCommands[N].name, args);
}

template <size_t... N>
void Register(GFC::GConsole& console, std::index_sequence<N...>) {
    (console.RegCommand(&Handle<N>, kCommands[N].name, kCommands[N].help), ...);
}

void MapWindow::OnCreate() {
    GFC::RECT client{0, 0, int(kWidth), int(kHeight)};
    GFC::WinApi::GetClientRect(GetHWnd(), &client);
    m_console.Init(GFC::RECT{0, 0, client.right, 360});
    m_cursor = m_last = GFC::GInput::Inst()->GetCursorPos();
    m_console.SetActive(false);
    Register(m_console, std::make_index_sequence<kCommandCount>());

    m_left = m_actions.AddKBAction(DIK_LEFT);
    m_right = m_actions.AddKBAction(DIK_RIGHT);
    m_up = m_actions.AddKBAction(DIK_UP);
    m_down = m_actions.AddKBAction(DIK_DOWN);
    m_zoomIn = m_actions.AddKBAction(DIK_EQUALS);
    m_zoomIn2 = m_actions.AddKBAction(DIK_ADD);
    m_zoomOut = m_actions.AddKBAction(DIK_MINUS);
    m_zoomOut2 = m_actions.AddKBAction(DIK_SUBTRACT);
    m_home = m_actions.AddKBAction(DIK_HOME);
    const unsigned short digits[7] = {DIK_1, DIK_2, DIK_3, DIK_4, DIK_5, DIK_6, DIK_7};
    for (int i = 0; i < 7; ++i) {
        m_add[i] = m_actions.AddKBAction(digits[i]);
    }
    m_delete = m_actions.AddKBAction(DIK_DELETE);
    m_turn = m_actions.AddKBAction(DIK_R);
    m_bigger = m_actions.AddKBAction(DIK_PRIOR);
    m_smaller = m_actions.AddKBAction(DIK_NEXT);
    m_escape = m_actions.AddKBAction(DIK_ESCAPE);
    m_keyZ = m_actions.AddKBAction(DIK_Z);
    m_keyY = m_actions.AddKBAction(DIK_Y);
    m_keyS = m_actions.AddKBAction(DIK_S);
    m_keyQ = m_actions.AddKBAction(DIK_Q);
    m_keyN = m_actions.AddKBAction(DIK_N);
}

void MapWindow::Command(const char* name, const std::vector<std::string>& args) {
    std::string said;
    if (std::string(name) == "undo") {
        said = m_edit.Undo() ? "undone\n" : "nothing to undo\n";
    } else if (std::string(name) == "redo") {
        said = m_edit.Redo() ? "redone\n" : "nothing to redo\n";
    } else {
        std::vector<std::string> words{name};
        words.insert(words.end(), args.begin(), args.end());
        m_edit.Apply(words, said);
    }
    Say(said);
    m_redraw = true;
}

void MapWindow::Say(const std::string& text) {
    std::istringstream in(text);
    int lines = 0;
    for (std::string line; std::getline(in, line); ++lines) {
        m_console.Print("%s", line.c_str());
        EchoConsole();  // now: the scrollback keeps only the last lines
        m_message = line;
    }
    if (lines > 1) {
        m_message = std::to_string(lines) + " lines in the console (`)";
    }
}

void MapWindow::RequestClose() {
    if (m_edit.Dirty()) {
        m_asking = true;
        m_redraw = true;
    } else {
        Quit();
    }
}

void MapWindow::ReadInput() {
    GFC::GInput* input = GFC::GInput::Inst();
    input->UpdateKBInput();
    input->UpdateMouseInput();
    m_actions.Update();
    const GFC::POINT p = m_cursor;
    const bool inView = p.x >= 0 && p.y >= 0 && p.x < m_viewW && p.y < m_viewH;
    const bool moved = p.x != m_last.x || p.y != m_last.y;
    const bool shift = input->KeyDown(DIK_LSHIFT) || input->KeyDown(DIK_RSHIFT);

    if (m_asking) {
        // Only the question's keys count.
        std::string said;
        if (Hit(m_keyY)) {
            if (m_edit.Save(said)) {
                Quit();
            }
            m_asking = false;
        } else if (Hit(m_keyN)) {
            Quit();
        } else if (Hit(m_escape)) {
            m_asking = false;
        }
        Say(said);
        m_redraw = true;
        m_last = p;
        return;
    }

    // The mouse: left picks, drags and bands; right and middle pan.
    std::string said;
    if (input->MouseDownFirst(0) && inView) {
        if (shift) {
            m_edit.BeginBand(p.x, p.y);
        } else {
            m_edit.BeginDrag(p.x, p.y);
        }
        m_redraw = true;
    } else if (input->MouseDown(0) && moved) {
        m_edit.DragTo(p.x, p.y);
        m_edit.BandTo(p.x, p.y);
        m_redraw = m_redraw || m_edit.Dragging() || m_edit.Banding();
    }
    if (input->MouseUp(0)) {
        m_edit.EndDrag();
        if (m_edit.Banding()) {
            m_edit.EndBand(p.x, p.y, said);
        }
        m_redraw = true;
    }
    if ((input->MouseDownFirst(1) || input->MouseDownFirst(2)) && inView) {
        m_panning = true;
    } else if (m_panning && (input->MouseDown(1) || input->MouseDown(2))) {
        if (moved) {
            m_edit.GetView().Pan(p.x - m_last.x, p.y - m_last.y);
            m_redraw = true;
        }
    } else {
        m_panning = false;
    }
    const float wheel = float(input->GetMouseState().lZ);
    if (wheel != 0 && inView) {
        m_edit.GetView().ZoomAt(p.x, p.y, std::pow(kZoomStep, wheel / kWheelNotch));
        m_redraw = true;
    }
    m_last = p;
    if (!m_console.IsActive()) {  // else the keys are typing
        Keys(p);
    }
    Say(said);
}

void MapWindow::Keys(const GFC::POINT& p) {
    GFC::GInput* input = GFC::GInput::Inst();
    const bool ctrl = input->KeyDown(DIK_LCONTROL) || input->KeyDown(DIK_RCONTROL);
    const bool shift = input->KeyDown(DIK_LSHIFT) || input->KeyDown(DIK_RSHIFT);
    View& view = m_edit.GetView();
    std::string said;
    bool changed = true;
    if (ctrl) {
        if (Hit(m_keyZ)) {
            said = m_edit.Undo() ? "undone\n" : "nothing to undo\n";
        } else if (Hit(m_keyY)) {
            said = m_edit.Redo() ? "redone\n" : "nothing to redo\n";
        } else if (Hit(m_keyS)) {
            if (m_edit.Save(said) && said.empty()) {
                said = "saved " + platform::NativePath(m_edit.GetSession().mapPath) + "\n";
            }
        } else if (Hit(m_keyQ)) {
            RequestClose();
        } else {
            changed = false;
        }
        Say(said);
        m_redraw = m_redraw || changed;
        return;
    }
    const int dx = (Held(m_left) ? kPanStep : 0) - (Held(m_right) ? kPanStep : 0);
    const int dy = (Held(m_up) ? kPanStep : 0) - (Held(m_down) ? kPanStep : 0);
    if (dx || dy) {
        view.Pan(dx, dy);
    } else if (Hit(m_zoomIn) || Hit(m_zoomIn2)) {
        view.ZoomAt(view.Width() / 2, view.Height() / 2, kZoomStep);
    } else if (Hit(m_zoomOut) || Hit(m_zoomOut2)) {
        view.ZoomAt(view.Width() / 2, view.Height() / 2, 1 / kZoomStep);
    } else if (Hit(m_home)) {
        float ex = 0, ez = 0;
        m_edit.GetSession().GroundExtent(ex, ez);
        view.Fit(ex, ez);
    } else if (Hit(m_delete)) {
        m_edit.DeletePicked(said);
    } else if (Hit(m_turn)) {
        m_edit.TurnPicked(shift ? -kTurnStepDegrees : kTurnStepDegrees, said);
    } else if (Hit(m_bigger)) {
        m_edit.ScalePicked(kScaleStep, said);
    } else if (Hit(m_smaller)) {
        m_edit.ScalePicked(1 / kScaleStep, said);
    } else if (Hit(m_escape)) {
        m_edit.ClearSelection();
    } else {
        changed = false;
        for (int i = 0; i < 7; ++i) {
            if (Hit(m_add[i])) {
                m_edit.AddAt(AddKind(i), p.x, p.y, said);
                changed = true;
            }
        }
    }
    Say(said);
    m_redraw = m_redraw || changed;
}

void MapWindow::Draw() {
    GFC::RECT client{0, 0, int(kWidth), int(kHeight)};
    GFC::WinApi::GetClientRect(GetHWnd(), &client);
    const int w = std::max(1, int(client.right)),
              h = std::max(1, int(client.bottom) - kStatusHeight);
    if (w != m_viewW || h != m_viewH) {
        m_viewW = w;
        m_viewH = h;
        m_edit.GetView().SetViewport(w, h);
        m_redraw = true;
    }
    if (m_redraw) {
        m_redraw = false;
        Picture pic(w, h, 0x202020);
        m_edit.GetSession().DrawTopView(pic, m_edit.GetView().Camera());
        m_rects = RectsOf(pic);
        const std::string picked = m_edit.Status();
        std::string status = m_asking ? "Unsaved changes. Save before closing? Y save and close, "
                                        "N close without saving, Esc keep editing"
                             : picked.empty() ? (m_message.empty() ? "nothing picked" : m_message)
                                              : picked;
        if (status != m_status) {
            m_status = status;
            m_out << "status: " << status << '\n';
        }
        const std::string title = "mapedit - " + platform::NativePath(m_edit.GetSession().mapPath) +
                                  (m_edit.Dirty() ? " *" : "");
        if (title != m_title) {
            m_title = title;
            GFC::WinApi::SetWindowTextA(GetHWnd(), title.c_str());
        }
        if (m_opts.printLayout) {
            GFC::POINT origin{0, 0};  // the client area's top left on the screen
            if (ScreenToClient(&origin)) {
                origin.x = -origin.x;
                origin.y = -origin.y;
            }
            // One write, so a reader rarely sees half a layout.
            std::ostringstream block;
            block << "layout " << w << ' ' << h << ' ' << origin.x << ' ' << origin.y << '\n';
            for (const std::string& line : m_edit.Layout()) {
                block << line << '\n';
            }
            block << "layout end\n";
            m_out << block.str();
        }
        m_out.flush();
        m_idleFrames = 0;
    } else if (m_repaint || ++m_idleFrames >= kRepaintFrames) {
        m_idleFrames = 0;  // also now and then, for what covered the window
    } else {
        return;  // nothing new to show
    }
    m_repaint = false;
    for (const ColourRect& r : m_rects) {
        Lumo::DrawX::Draw2DQuad(r.x, r.y, r.w, r.h, false, 0xFF000000 | r.rgb);
    }
    Lumo::DrawX::Draw2DQuad(0, h, w, kStatusHeight, false, m_asking ? kQuestionBack : kStatusBack);
    Lumo::DrawX::DrawDebugString(m_status.c_str(), 4, h + 2, kStatusText);
    m_console.Draw();
    GFC::WinApi::PresentFrame(GetHWnd());
}

void MapWindow::EchoConsole() {
    const unsigned long printed = m_console.GetLinesPrinted();
    unsigned long fresh = printed - m_consoleShown;
    if (fresh > unsigned(GFC::GConsole::kLines)) {
        fresh = GFC::GConsole::kLines;
    }
    for (int i = GFC::GConsole::kLines - int(fresh); i < GFC::GConsole::kLines; ++i) {
        m_out << "console: " << m_console.GetLine(i) << '\n';
    }
    m_consoleShown = printed;
    m_repaint = m_repaint || fresh > 0;
}

void MapWindow::OnFrame() {
    ReadInput();
    EchoConsole();
    Draw();
    platform::SleepMs(kFrameMs);
}

uint32_t MapWindow::OnWin32Msg(GFC::HWND hWnd, GFC::UINT msg, GFC::WPARAM w, GFC::LPARAM l) {
    switch (msg) {
        case WM_CHAR:
            if (!m_asking) {
                m_console.OnChar(static_cast<char>(w));  // the backquote opens and closes it
                m_repaint = true;
            }
            return 0;
        case WM_CLOSE:
            RequestClose();
            return 0;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            // Client coordinates, signed 16 bits each.
            m_cursor.x = static_cast<int16_t>(static_cast<uint32_t>(l) & 0xFFFF);
            m_cursor.y = static_cast<int16_t>((static_cast<uint32_t>(l) >> 16) & 0xFFFF);
            return GWin32App::OnWin32Msg(hWnd, msg, w, l);
        default:
            return GWin32App::OnWin32Msg(hWnd, msg, w, l);
    }
}

}  // namespace

int RunWindow(Session& session, const WindowOptions& options, std::ostream& out,
              std::ostream& err) {
    MapWindow app(session, options, out);
    g_window = &app;
    try {
        app.Create(kWidth, kHeight, "mapedit", false, nullptr);
    } catch (const Lumo::Exception& e) {
        err << "mapedit: cannot open the window: " << e.GetMsg() << " (no display?)\n";
        g_window = nullptr;
        return 1;
    }
    GFC::WinApi::ShowWindow(app.GetHWnd(), SW_SHOW);
    GFC::WinApi::SetForegroundWindow(app.GetHWnd());
    app.MainLoop();
    g_window = nullptr;
    return 0;
}

}  // namespace mapedit
