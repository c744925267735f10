#include "platform/progress_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "platform/text.h"

namespace {

TEST(ProgressLine, DrawsOverItselfAndClearsOnlyWhatItDrew) {
    std::ostringstream out;
    platform::ProgressLine line(out, true);
    line.End();
    EXPECT_EQ(out.str(), "");
    line.Show(1, 3, "a\\b");
    line.Show(2, 3, "c");
    line.End();
    line.End();
    EXPECT_EQ(out.str(), "\r\x1b[K[1/3] a\\b\r\x1b[K[2/3] c\r\x1b[K");

    // Never past the end, whatever the caller counted.
    std::ostringstream capped;
    platform::ProgressLine counts(capped, true);
    counts.Show(15, 11, "x");
    counts.ShowPercent(116, "y");
    EXPECT_EQ(capped.str(), "\r\x1b[K[11/11] x\r\x1b[K[100%] y");

    std::ostringstream quiet;
    platform::ProgressLine off(quiet, false);
    off.Show(1, 1, "x");
    off.End();
    EXPECT_EQ(quiet.str(), "");
}

TEST(ProgressLine, LongPathsKeepTheirEndAndWholeCharacters) {
    // Three-byte characters in UTF-8: a cut at a fixed byte count would fall
    // inside one.
    std::string gbk = "data\\";
    for (int i = 0; i < 30; ++i) {
        gbk += GBK("图");
    }
    gbk += "\\end.txt";
    std::ostringstream out;
    platform::ProgressLine line(out, true);
    line.Show(7, 9, gbk);
    std::string text = out.str().substr(std::string("\r\x1b[K[7/9] ").size());
    EXPECT_LE(text.size(), platform::kProgressTextMax);
    EXPECT_EQ(text.rfind("...", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 8), "\\end.txt");
    EXPECT_EQ(text.substr(3, 3), "图");
}

}  // namespace
