#include "platform/msgbox.h"

#include "backend.h"

namespace platform {
namespace {

std::mutex& HandlerMutex() {
    static std::mutex mu;
    return mu;
}

MessageBoxHandler& Handler() {
    static MessageBoxHandler handler;
    return handler;
}

std::string& DefaultCaptionText() {
    static std::string caption;
    return caption;
}

}  // namespace

void SetDefaultCaption(const std::string& gbk) {
    std::lock_guard<std::mutex> lock(HandlerMutex());
    DefaultCaptionText() = gbk;
}

std::string DefaultCaption() {
    std::lock_guard<std::mutex> lock(HandlerMutex());
    return DefaultCaptionText();
}

int ShowMessageBox(void* owner, const char* text, const char* caption, uint32_t type) {
    MessageBoxHandler handler;
    {
        std::lock_guard<std::mutex> lock(HandlerMutex());
        handler = Handler();
    }
    // The handler runs without the lock: it may block for a long time and
    // other threads may want boxes of their own meanwhile.
    if (handler) {
        return handler(owner, text, caption, type);
    }
    return backend::DefaultMessageBox(owner, text, caption, type);
}

int SystemMessageBox(void* owner, const char* text, const char* caption, uint32_t type) {
    return backend::DefaultMessageBox(owner, text, caption, type);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    std::lock_guard<std::mutex> lock(HandlerMutex());
    MessageBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

std::vector<int> ButtonsOf(uint32_t type) {
    switch (type & 0xF) {
        case kMbOkCancel:
            return {kIdOk, kIdCancel};
        case kMbAbortRetryIgnore:
            return {kIdAbort, kIdRetry, kIdIgnore};
        case kMbYesNoCancel:
            return {kIdYes, kIdNo, kIdCancel};
        case kMbYesNo:
            return {kIdYes, kIdNo};
        case kMbRetryCancel:
            return {kIdRetry, kIdCancel};
        default:
            return {kIdOk};
    }
}

int StepEndingAnswer(uint32_t type) {
    switch (type & 0xF) {
        case kMbOkCancel:
        case kMbRetryCancel:
        case kMbYesNoCancel:
            return kIdCancel;
        case kMbAbortRetryIgnore:
            return kIdAbort;
        case kMbYesNo:
            return kIdNo;
        default:
            return kIdOk;
    }
}

const char* AnswerName(int answer) {
    switch (answer) {
        case kIdOk:
            return "OK";
        case kIdCancel:
            return "Cancel";
        case kIdAbort:
            return "Abort";
        case kIdRetry:
            return "Retry";
        case kIdIgnore:
            return "Ignore";
        case kIdYes:
            return "Yes";
        case kIdNo:
            return "No";
        default:
            return "?";
    }
}

int PolicyAnswer(BoxAnswers policy, uint32_t type) {
    if (policy == BoxAnswers::kEndStep) {
        return StepEndingAnswer(type);
    }
    switch (type & 0xF) {
        case kMbAbortRetryIgnore:
            return policy == BoxAnswers::kRetry ? kIdRetry : kIdIgnore;
        case kMbRetryCancel:
            return policy == BoxAnswers::kRetry ? kIdRetry : kIdCancel;
        case kMbYesNoCancel:
        case kMbYesNo:
            return kIdYes;
        default:
            return kIdOk;  // OK, and OK of OK/Cancel
    }
}

ScopedMessageBoxHandler::ScopedMessageBoxHandler(MessageBoxHandler handler)
    : previous_(SetMessageBoxHandler(std::move(handler))) {}

ScopedMessageBoxHandler::~ScopedMessageBoxHandler() {
    SetMessageBoxHandler(std::move(previous_));
}

ScriptedMessageBoxes::ScriptedMessageBoxes()
    : installed_([this](void* owner, const char* text, const char* caption, uint32_t type) {
          return Handle(owner, text, caption, type);
      }) {}

ScriptedMessageBoxes::~ScriptedMessageBoxes() = default;

void ScriptedMessageBoxes::Answer(int answer) {
    std::lock_guard<std::mutex> lock(mu_);
    answers_.push_back(answer);
}

std::vector<ScriptedMessageBoxes::Asked> ScriptedMessageBoxes::asked() const {
    std::lock_guard<std::mutex> lock(mu_);
    return asked_;
}

size_t ScriptedMessageBoxes::count() const {
    std::lock_guard<std::mutex> lock(mu_);
    return asked_.size();
}

int ScriptedMessageBoxes::Handle(void* owner, const char* text, const char* caption,
                                 uint32_t type) {
    std::lock_guard<std::mutex> lock(mu_);
    Asked a;
    a.text = text ? text : "";
    a.caption = caption ? caption : "";
    a.hasCaption = caption != nullptr;
    a.type = type;
    a.owner = owner;
    asked_.push_back(a);
    if (answers_.empty()) {
        return ButtonsOf(type).front();
    }
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

}  // namespace platform
