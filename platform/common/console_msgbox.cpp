// The console's message box, written to the terminal and answered there.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "backend.h"
#include "platform/console.h"
#include "platform/text.h"

namespace platform {

int ConsoleMessageBox(void* /*owner*/, const char* text, const char* caption, uint32_t type) {
    std::string fallback = DefaultCaption();
    std::string title = caption            ? GbkToUtf8(caption)
                        : fallback.empty() ? std::string("Error")
                                           : GbkToUtf8(fallback);
    std::string body = text ? GbkToUtf8(text) : std::string();
    std::vector<int> buttons = ButtonsOf(type);
    WriteText(StdStream::kError, "[" + title + "] " + body + "\n");
    bool interactive = backend::IsInteractiveTerminal();
    if (!interactive) {
        int answer = StepEndingAnswer(type);
        WriteText(StdStream::kError, std::string("  -> ") + AnswerName(answer) + "\n");
        return answer;
    }
    for (;;) {
        std::string choices;
        for (size_t i = 0; i < buttons.size(); ++i) {
            choices += "  " + std::to_string(i + 1) + ") " + AnswerName(buttons[i]);
        }
        WriteText(StdStream::kError, choices + "\n  > ");
        char line[64];
        if (!std::fgets(line, sizeof line, stdin)) {
            return StepEndingAnswer(type);
        }
        unsigned long pick = std::strtoul(line, nullptr, 10);
        if (pick >= 1 && pick <= buttons.size()) {
            return buttons[pick - 1];
        }
        for (int b : buttons) {
            char first = AnswerName(b)[0];
            if (line[0] == first || line[0] == first + 32) {
                return b;
            }
        }
    }
}

}  // namespace platform
