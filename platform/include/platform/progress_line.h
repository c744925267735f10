// The progress line of the command-line tools: one line on standard error,
// redrawn in place on a terminal, cleared before anything else is written.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

namespace platform {

// Paths are cut from the left to this many bytes of UTF-8 (the end of a
// path tells more than its start).
constexpr size_t kProgressTextMax = 60;

// Writes "[done/total] what" or "[percent%] what" over the line before it,
// never past the total or 100 %. A line that is not enabled (output that is
// not a terminal) writes nothing at all.
class ProgressLine {
public:
    ProgressLine(std::ostream& out, bool enabled) : out_(out), enabled_(enabled) {}
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // what is GBK; it is shown in UTF-8, cut at a character's start.
    void Show(size_t done, size_t total, const std::string& what);
    void ShowPercent(size_t percent, const std::string& what);
    // Clears the line if one is shown, so that a message starts clean.
    void End();

private:
    void Draw(const std::string& count, const std::string& what);

    std::ostream& out_;
    bool enabled_;
    bool shown_ = false;
};

}  // namespace platform
