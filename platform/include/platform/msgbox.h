// The message-box service. Every message box of the system goes through
// ShowMessageBox, whose handler can be replaced: the Windows GUI shows a
// real box, the console asks on the terminal, tests script the answers.
//
// Texts and captions are GBK. Button sets and answers use the values of the
// Windows API (MB_OK ..., IDOK ...), which the system's code compares with.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// Button sets (low four bits of the type).
constexpr uint32_t kMbOk = 0x0;
constexpr uint32_t kMbOkCancel = 0x1;
constexpr uint32_t kMbAbortRetryIgnore = 0x2;
constexpr uint32_t kMbYesNoCancel = 0x3;
constexpr uint32_t kMbYesNo = 0x4;
constexpr uint32_t kMbRetryCancel = 0x5;
// Icons.
constexpr uint32_t kMbIconError = 0x10;
constexpr uint32_t kMbIconQuestion = 0x20;
constexpr uint32_t kMbIconWarning = 0x30;
constexpr uint32_t kMbIconInformation = 0x40;

// Answers.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// owner is the native owner window or null; text and caption may be null
// (no caption = the default caption, below).
using MessageBoxHandler =
    std::function<int(void* owner, const char* text, const char* caption, uint32_t type)>;

// Shows a box through the installed handler and answers the pressed button.
// May be called from any thread; the handler decides where the box appears.
int ShowMessageBox(void* owner, const char* text, const char* caption, uint32_t type);

// The caption of boxes shown without one (GBK): the program's title, which
// the program sets at start. Until it does, or with "", the platform's own
// default applies ("Error"). The real box and the console box use it;
// handlers installed by tests see the null caption as it was given.
void SetDefaultCaption(const std::string& gbk);
std::string DefaultCaption();

// Installs a handler; answers the previous one. An empty handler restores
// the platform's default (a real box on Windows, a terminal prompt on POSIX;
// without a terminal the prompt answers the button that ends the step
// without repeating it: OK, Cancel, Abort or No).
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// The platform's own box, whatever handler is installed: a real box on
// Windows, the terminal prompt elsewhere. For front ends whose handler shows
// the box itself.
int SystemMessageBox(void* owner, const char* text, const char* caption, uint32_t type);

// The console's message box, for front ends without windows: writes the box
// to standard error and reads the choice from the terminal. Without a
// terminal it answers the button that ends the step without repeating it
// (OK, Cancel, Abort or No), so unattended runs never hang on a question.
// Install it with SetMessageBoxHandler(ConsoleMessageBox).
int ConsoleMessageBox(void* owner, const char* text, const char* caption, uint32_t type);

// The buttons a type offers, first button first.
std::vector<int> ButtonsOf(uint32_t type);
// The button of a type that ends the step without repeating it: OK, Cancel,
// Abort or No. What a box answers when nobody can be asked.
int StepEndingAnswer(uint32_t type);
// English name of an answer ("OK", "Retry", ...).
const char* AnswerName(int answer);

// How a box is answered when nobody is asked (unattended runs, tools).
enum class BoxAnswers {
    kEndStep,  // the button that ends the step without repeating it (StepEndingAnswer)
    kRetry,    // try again where the box offers it (Retry), else go on (Yes, OK); the
               // caller bounds how often the same question is retried
    kSkip,     // go on past what can be skipped (Ignore, Yes, OK), never repeat: where
               // the box offers neither (Retry/Cancel) the step ends
};
// The button policy picks for a box of type; always one of its buttons.
int PolicyAnswer(BoxAnswers policy, uint32_t type);

// Installs a handler for its own lifetime and puts back the one it replaced
// when it goes, on every way out of the scope (a return, an exception).
class ScopedMessageBoxHandler {
public:
    explicit ScopedMessageBoxHandler(MessageBoxHandler handler);
    ~ScopedMessageBoxHandler();
    ScopedMessageBoxHandler(const ScopedMessageBoxHandler&) = delete;
    ScopedMessageBoxHandler& operator=(const ScopedMessageBoxHandler&) = delete;

private:
    MessageBoxHandler previous_;
};

// For tests: installs itself as the handler for its lifetime, answers from a
// queue and records every box it was asked to show. An empty queue answers
// the first button of the set. Thread-safe.
class ScriptedMessageBoxes {
public:
    struct Asked {
        std::string text;     // GBK; "" for null
        std::string caption;  // GBK; "" for null
        bool hasCaption = false;
        uint32_t type = 0;
        void* owner = nullptr;
    };

    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes();
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    void Answer(int answer);  // append one answer to the queue
    std::vector<Asked> asked() const;
    size_t count() const;

private:
    int Handle(void* owner, const char* text, const char* caption, uint32_t type);

    mutable std::mutex mu_;
    std::deque<int> answers_;
    std::vector<Asked> asked_;
    ScopedMessageBoxHandler installed_;  // last: it goes first
};

}  // namespace platform
