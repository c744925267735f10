#include "lumo/Log.h"

#include <cstdarg>
#include <cstdio>
#include <deque>
#include <mutex>

namespace Lumo {

namespace {

struct LogState {
    std::mutex lock;
    std::deque<std::string> entries;
    LogListener listener = nullptr;
    void* user = nullptr;
};

LogState& State() {
    static LogState* state = new LogState;  // never destroyed: logging may happen at exit
    return *state;
}

}  // namespace

void _WriteLogString(const char* format, ...) {
    if (!format) {
        return;
    }
    char small[512];
    std::string entry;
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n >= 0 && static_cast<size_t>(n) < sizeof small) {
        entry.assign(small, static_cast<size_t>(n));
    } else if (n >= 0) {
        entry.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(&entry[0], entry.size(), format, again);
        entry.resize(static_cast<size_t>(n));
    }
    va_end(again);

    LogState& s = State();
    LogListener listener;
    void* user;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.entries.push_back(entry);
        while (s.entries.size() > kLogEntriesKept) {
            s.entries.pop_front();
        }
        listener = s.listener;
        user = s.user;
    }
    if (listener) {
        listener(entry.c_str(), user);
    }
}

std::vector<std::string> GetLogEntries() {
    LogState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return std::vector<std::string>(s.entries.begin(), s.entries.end());
}

std::string GetLogText() {
    LogState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    std::string text;
    for (const std::string& e : s.entries) {
        text += e;
    }
    return text;
}

void ClearLog() {
    LogState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.entries.clear();
}

void SetLogListener(LogListener listener, void* user) {
    LogState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.listener = listener;
    s.user = user;
}

}  // namespace Lumo
