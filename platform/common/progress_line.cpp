#include "platform/progress_line.h"

#include "platform/text.h"

namespace platform {
namespace {

constexpr const char* kClearLine = "\r\x1b[K";
constexpr const char* kCutMark = "...";

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

void ProgressLine::Show(size_t done, size_t total, const std::string& what) {
    Draw("[" + std::to_string(done < total ? done : total) + "/" + std::to_string(total) + "] ",
         what);
}

void ProgressLine::ShowPercent(size_t percent, const std::string& what) {
    Draw("[" + std::to_string(percent < 100 ? percent : 100) + "%] ", what);
}

void ProgressLine::Draw(const std::string& count, const std::string& what) {
    if (!enabled_) {
        return;
    }
    std::string shown = GbkToUtf8(what);
    if (shown.size() > kProgressTextMax) {
        size_t from = shown.size() - (kProgressTextMax - 3);
        while (from < shown.size() && IsUtf8Continuation(shown[from])) {
            ++from;
        }
        shown = kCutMark + shown.substr(from);
    }
    out_ << kClearLine << count << shown << std::flush;
    shown_ = true;
}

void ProgressLine::End() {
    if (shown_) {
        out_ << kClearLine << std::flush;
        shown_ = false;
    }
}

}  // namespace platform
