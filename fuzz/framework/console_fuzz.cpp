// The console fed typed characters and printed texts from fuzzed bytes. The
// input line must always end in the cursor and fit its buffer, and every
// scrollback line must stay within its 99 characters.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/GConsole.h"
#include "lumo/DrawX.h"

namespace {

GFC::GConsole* g_console = nullptr;

void Echo(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        g_console->Print("%s", a.c_str());
    }
}

void Check(const GFC::GConsole& c) {
    const char* input = c.GetInputLine();
    size_t n = strnlen(input, GFC::GConsole::kInputChars);
    if (n == 0 || n > size_t(GFC::GConsole::kMaxInputLength) || input[n - 1] != '_') {
        __builtin_trap();
    }
    for (int i = 0; i < GFC::GConsole::kLines; ++i) {
        if (strnlen(c.GetLine(i), GFC::GConsole::kLineChars) >= size_t(GFC::GConsole::kLineChars)) {
            __builtin_trap();
        }
    }
    int cursor = c.GetHistoryCursor();
    if (cursor < -1 || cursor >= static_cast<int>(c.GetHistory().size())) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GFC::GConsole console;
    g_console = &console;
    console.RegCommand(Echo, "echo", "prints its arguments");
    console.RegCommand(Echo, "%s%n%x", "a name that looks like a format");
    for (size_t i = 0; i < size; ++i) {
        // 0x01 introduces a printed text: the next byte is its length.
        if (data[i] == 0x01 && i + 1 < size) {
            size_t length = data[i + 1];
            size_t start = i + 2 < size ? i + 2 : size;
            if (length > size - start) {
                length = size - start;
            }
            std::string text(reinterpret_cast<const char*>(data + start), length);
            console.Print("%s", text.c_str());
            i = start + length - 1;
        } else {
            console.OnChar(static_cast<char>(data[i]));
        }
        Check(console);
    }
    console.Draw();
    Lumo::DrawX::ClearRecorded();
    return 0;
}
