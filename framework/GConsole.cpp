#include "framework/GConsole.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "lumo/DrawX.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace GFC {

namespace {

constexpr RECT kDefaultRect = {0, 16, 800, 360};
constexpr int kRowHeight = 16;
constexpr int kTextInset = 4;
constexpr uint32_t kTextColour = 0xFFFFFFFF;
constexpr size_t kModuleNameChars = 128;  // the header's program name, terminator included
const char kSeparators[] = " ,";

// Copies text into a fixed field, cut to leave room for the terminator.
template <size_t N>
void CopyField(char (&field)[N], const char* text) {
    std::snprintf(field, N, "%s", text ? text : "");
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return platform::GbkToLowerAscii(a) == platform::GbkToLowerAscii(b);
}

std::vector<std::string> Split(const char* line) {
    std::vector<std::string> tokens;
    const char* p = line;
    while (*p) {
        p += std::strspn(p, kSeparators);
        size_t n = std::strcspn(p, kSeparators);
        if (n > 0) {
            tokens.emplace_back(p, n);
        }
        p += n;
    }
    return tokens;
}

}  // namespace

GConsole::GConsole()
    : m_rect(kDefaultRect), m_active(true), m_historyCursor(-1), m_linesPrinted(0) {
    std::memset(m_lines, 0, sizeof m_lines);
    SetInput("");
}

GConsole::~GConsole() = default;

void GConsole::Init(RECT rc) {
    m_rect = rc;
}

void GConsole::RegCommand(GConsoleCmdHandler handler, const char* name, const char* help) {
    tagConsoleCmd cmd;
    CopyField(cmd.name, name);
    CopyField(cmd.help, help);
    cmd.handler = handler;
    m_cmds.push_back(cmd);
}

const char* GConsole::GetLine(int i) const {
    return (i >= 0 && i < kLines) ? m_lines[i] : "";
}

void GConsole::PushLine(const char* text, size_t length) {
    std::memmove(m_lines[0], m_lines[1], sizeof(m_lines[0]) * (kLines - 1));
    char* last = m_lines[kLines - 1];
    std::memset(last, 0, kLineChars);
    std::memcpy(last, text, length < size_t(kLineChars - 1) ? length : size_t(kLineChars - 1));
    ++m_linesPrinted;
}

void GConsole::Print(const char* fmt, ...) {
    if (!fmt) {
        return;
    }
    char text[kPrintBuffer];
    va_list args;
    va_start(args, fmt);
    int n = std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    if (n < 0) {
        return;
    }
    const size_t perLine = kLineChars - 1;
    size_t length = std::strlen(text);
    PushLine(text, length);
    if (length > perLine) {
        PushLine(text + perLine, length - perLine);
    }
}

size_t GConsole::InputLength() const {
    return std::strlen(m_input) - 1;  // the cursor is always there
}

void GConsole::SetInput(const char* text) {
    size_t n = std::strlen(text);
    if (n > size_t(kMaxInputLength - 1)) {
        n = kMaxInputLength - 1;
    }
    std::memcpy(m_input, text, n);
    m_input[n] = kCursor;
    m_input[n + 1] = '\0';
}

void GConsole::OnChar(char c) {
    if (c == kToggleKey) {
        m_active = !m_active;
        m_historyCursor = m_active ? static_cast<int>(m_history.size()) - 1 : -1;
        return;
    }
    if (!m_active || c == '\0') {
        return;
    }
    size_t length = InputLength();
    switch (c) {
        case kKeyBackspace:
            if (length > 0) {
                m_input[length - 1] = kCursor;
                m_input[length] = '\0';
            }
            return;
        case kKeyEnter: {
            m_input[length] = '\0';
            const std::string line(m_input);
            Print(">%s", line.c_str());
            if (!line.empty()) {
                if (m_history.empty() || !EqualNoCase(line, m_history.back())) {
                    m_history.push_back(line);
                    m_historyCursor = static_cast<int>(m_history.size()) - 1;
                }
            }
            RunCommand();
            SetInput("");
            return;
        }
        case kKeyEscape:
            SetInput("");
            return;
        case kKeyUp:
            if (m_historyCursor >= 0 && m_historyCursor < static_cast<int>(m_history.size())) {
                SetInput(m_history[m_historyCursor].c_str());
                m_historyCursor = m_historyCursor == 0 ? static_cast<int>(m_history.size()) - 1
                                                       : m_historyCursor - 1;
            }
            return;
        default:
            if (length + 1 < size_t(kMaxInputLength)) {
                m_input[length] = c;
                m_input[length + 1] = kCursor;
                m_input[length + 2] = '\0';
            }
            return;
    }
}

void GConsole::RunCommand() {
    // The line without its cursor (Enter has taken it off).
    std::vector<std::string> tokens = Split(m_input);
    if (tokens.empty()) {
        return;
    }
    const std::string name = tokens.front();
    tokens.erase(tokens.begin());
    if (EqualNoCase(name, "help")) {
        CmdHelp();
        return;
    }
    for (size_t i = 0; i < m_cmds.size(); ++i) {
        if (EqualNoCase(name, m_cmds[i].name)) {
            // The handler may register more commands; take it before calling.
            GConsoleCmdHandler handler = m_cmds[i].handler;
            if (handler) {
                handler(tokens);
            }
            return;
        }
    }
    Print("Console error: unknow console command.");
}

void GConsole::CmdHelp() {
    Print("--Console cmd list:");
    for (size_t i = 0; i < m_cmds.size(); ++i) {
        Print("%s:%s", m_cmds[i].name, m_cmds[i].help);
    }
}

void GConsole::Draw() {
    if (!m_active) {
        return;
    }
    const RECT& r = m_rect;
    Lumo::DrawX::Draw2DQuad(0, 0, r.right, r.bottom, false, Lumo::Color4ub(200, 5, 0, 5));
    Lumo::DrawX::Draw2DQuad(r.left, r.bottom - kRowHeight, r.right - r.left, kRowHeight, false,
                            Lumo::Color4ub(200, 5, 50, 55));
    Lumo::DrawX::DrawDebugString(m_input, r.left + kTextInset, r.bottom - kRowHeight - 1,
                                 kTextColour);
    for (int i = 0; i < kLines; ++i) {
        if (m_lines[i][0] != '\0') {
            Lumo::DrawX::DrawDebugString(m_lines[i], r.left + kTextInset, r.top + kRowHeight * i,
                                         kTextColour);
        }
    }
}

bool GConsole::LogToFile(const char* path) {
    if (!path || !*path) {
        return false;
    }
    // Text mode: the lines end as the platform's text files do.
    auto file = platform::OpenStdioFile(path, "wt");
    if (!file) {
        return false;
    }
    std::FILE* f = *file;
    std::string module = platform::ModulePath();
    if (module.size() > kModuleNameChars - 1) {
        module.resize(kModuleNameChars - 1);
    }
    char date[16] = "";
    char clock[16] = "";
    std::time_t now = std::time(nullptr);
    if (const std::tm* local = std::localtime(&now)) {
        std::strftime(date, sizeof date, "%m/%d/%y", local);
        std::strftime(clock, sizeof clock, "%H:%M:%S", local);
    }
    // The file is buffered: a full disk may show first at the close, so its
    // result counts as much as every line's.
    bool written = std::fprintf(f, "%s Log at %s\t%s\n", module.c_str(), date, clock) >= 0;
    for (int i = 0; i < kLines && written; ++i) {
        if (m_lines[i][0] != '\0') {
            written = std::fprintf(f, "%s\n", m_lines[i]) >= 0;
        }
    }
    const bool closed = std::fclose(f) == 0;
    return written && closed;
}

}  // namespace GFC
