// What an FTP server sends on the control connection: any bytes, cut into
// reply lines the way the downloader reads them, through the code, SIZE and
// PASV readers. Whatever they accept must be in range.
#include <cstddef>
#include <cstdint>
#include <string>

#include "patcher/FtpReply.h"

namespace {

void Check(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReplyLine line;
    for (size_t i = 0; i < size; ++i) {
        ReplyLine::State s = line.Feed(static_cast<char>(data[i]));
        Check(line.size() <= kReplyBytesMax);
        if (s == ReplyLine::State::kMore) {
            continue;
        }
        std::string text = line.Text();
        line.Clear();
        if (s == ReplyLine::State::kOverlong) {
            continue;  // the step fails; nothing is parsed
        }
        int code = ReplyCode(text);
        Check(code == 0 || (code >= 100 && code <= 599));
        if (auto n = ParseSizeReply(text)) {
            Check(*n >= 0);
        }
        if (auto a = ParsePasvReply(text)) {
            Check(a->port != 0 && a->Dotted().size() <= 15);
        }
    }
    // The readers on the whole input as one line, too.
    std::string all(reinterpret_cast<const char*>(data), size);
    (void)ReplyCode(all);
    (void)ParseSizeReply(all);
    (void)ParsePasvReply(all);
    return 0;
}
