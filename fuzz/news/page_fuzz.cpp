// Any bytes as a page. The first byte picks the charset the HTTP header
// names and the width of the text lines; the rest is the page. Whatever the
// page, its text is clean GBK, its links are ASCII addresses, it stays
// within the output limits, and its text lines fit their width without a
// split character.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "news/Page.h"
#include "platform/text.h"

namespace {

void Check(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

void CheckGbk(const std::string& s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (platform::IsGbkLeadByte(c)) {
            Check(i + 1 < s.size());
            unsigned char t = static_cast<unsigned char>(s[++i]);
            Check(t >= 0x40 && t != 0x7F && t != 0xFF);
        } else {
            Check(c >= 0x20 && c != 0x7F && c != 0xFF);  // 0x80 is the euro sign
        }
    }
}

const char* const kHeaders[] = {"", "gbk", "utf-8", "GB2312", "iso-8859-1", "utf8"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string header = kHeaders[data[0] % (sizeof kHeaders / sizeof kHeaders[0])];
    const int width = 1 + data[0] / 8;
    std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    news::Page page = news::ReadPage(bytes, "http://news.example/a/b.html", header);
    Check(page.charset == "gbk" || page.charset == "utf-8");
    Check(page.blocks.size() <= news::kBlocksMax);
    CheckGbk(page.title);
    std::size_t lines = 0;
    for (const news::Block& block : page.blocks) {
        Check(!block.lines.empty());
        Check(block.level >= 0 && block.level <= news::kDepthMax);
        lines += block.lines.size();
        for (const auto& line : block.lines) {
            for (const news::Span& span : line) {
                Check(!span.text.empty());
                CheckGbk(span.text);
                for (char c : span.link) {
                    Check(c > 0x20 && c < 0x7F);
                }
            }
        }
    }
    Check(lines <= news::kLinesMax);
    for (const std::string& line : news::PageText(page.blocks, width)) {
        Check(static_cast<int>(line.size()) <= (width < 2 ? 2 : width));
        CheckGbk(line);
    }
    return 0;
}
