// The in-game developer console: a 20-line scrollback over the top of the
// screen, a one-line input field ending in a visible cursor "_", commands
// the game registers by name (matched without regard to case), a built-in
// "help", a recall history and a dump of the scrollback to a log file.
//
// The game feeds typed characters to OnChar, calls Draw each frame and
// writes with Print. Game thread only.
#pragma once

#include <string>
#include <vector>

#include "framework/GTypes.h"
#include "framework/GfcApi.h"

namespace GFC {

using GConsoleCmdHandler = void (*)(const std::vector<std::string>& args);

struct tagConsoleCmd {
    char name[32];   // zero-terminated, cut to 31 characters
    char help[100];  // zero-terminated, cut to 99 characters
    GConsoleCmdHandler handler;
};

class GFC_API GConsole {
public:
    static constexpr int kLines = 20;           // scrollback lines, 19 the newest
    static constexpr int kLineChars = 100;      // per scrollback line, terminator included
    static constexpr int kInputChars = 100;     // input buffer, terminator included
    static constexpr int kMaxInputLength = 99;  // typed characters plus the cursor
    static constexpr int kPrintBuffer = 512;    // formatted Print text, terminator included
    static constexpr char kCursor = '_';
    static constexpr char kToggleKey = '`';
    static constexpr char kKeyBackspace = 8;
    static constexpr char kKeyEnter = 13;
    static constexpr char kKeyEscape = 27;
    static constexpr char kKeyUp = 38;  // the up-arrow key code, which is also '&'

    GConsole();
    virtual ~GConsole();

    void Init(RECT rc);
    void SetActive(bool active) { m_active = active; }
    bool IsActive() const { return m_active; }

    // Appends a command. Names equal without regard to case may repeat; the
    // first registered wins. Null texts count as "".
    void RegCommand(GConsoleCmdHandler handler, const char* name, const char* help);

    // Appends printf-style text to the scrollback: the first 99 characters
    // on one line, the next 99 on a second; the rest is not shown. The text
    // is formatted into kPrintBuffer bytes at most.
    void Print(const char* fmt, ...) GFC_PRINTF(2, 3);

    // One typed character (see the key constants). The NUL character is
    // ignored: it cannot be part of a zero-terminated line.
    void OnChar(char c);

    // Draws the console (when active) through the engine's 2D drawing.
    void Draw();

    // Writes a header line and the non-empty scrollback lines to a text
    // file (system path). False when the file cannot be opened (nothing is
    // written) or a write or the close fails (what reached the file may be
    // cut short).
    bool LogToFile(const char* path);

    // Read access for the game's own rendering and for tests.
    const RECT& GetRect() const { return m_rect; }
    const char* GetInputLine() const { return m_input; }
    const char* GetLine(int i) const;  // "" outside 0..kLines-1
    const std::vector<std::string>& GetHistory() const { return m_history; }
    int GetHistoryCursor() const { return m_historyCursor; }
    const std::vector<tagConsoleCmd>& GetCommands() const { return m_cmds; }
    // Scrollback lines written since construction; a reader that remembers
    // the last value knows how many of the newest lines are new to it.
    unsigned long GetLinesPrinted() const { return m_linesPrinted; }

private:
    void RunCommand();
    void CmdHelp();
    void PushLine(const char* text, size_t length);
    void SetInput(const char* text);
    size_t InputLength() const;  // characters before the cursor

    RECT m_rect;
    std::vector<tagConsoleCmd> m_cmds;
    char m_input[kInputChars];
    char m_lines[kLines][kLineChars];
    bool m_active;
    std::vector<std::string> m_history;
    int m_historyCursor;
    unsigned long m_linesPrinted;
};

}  // namespace GFC
