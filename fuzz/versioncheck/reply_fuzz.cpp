// The reply side of the version check: a stream of frames as a server might
// send them, cut the way the receiver cuts them, through the decoders and
// the reply collection.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "patcher/VersionCheck.h"
#include "patcher/VersionMessages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PatchFileList list;
    VersionReplyCollector collector(list);
    size_t pos = 0;
    while (size - pos >= kFrameLengthSize) {
        uint32_t length = GetU32(data + pos);
        pos += kFrameLengthSize;
        if (length > kMaxFrameBody) {
            break;  // the receiver gives up on the connection here
        }
        size_t n = length < size - pos ? length : size - pos;
        const uint8_t* body = data + pos;
        pos += n;

        (void)DecodeVersionRequest(body, n);
        (void)DecodeDownloadAddress(body, n);
        (void)DecodeVersionResult(body, n);
        if (auto base = DecodeWebMirror(body, n)) {
            // What is read back can be sent again, in no more bytes.
            auto again = EncodeWebMirror(*base);
            if (!again || again->size() > n || base->empty() || base->size() > kWebMirrorMax) {
                std::abort();
            }
        }
        if (auto items = DecodeFileList(body, n)) {
            for (const FileListItem& item : *items) {
                SplitPath split = SplitPatchPath(item.path);
                if (split.directory.size() + split.fileName.size() > item.path.size()) {
                    std::abort();
                }
            }
        }
        if (collector.Take(body, n)) {
            break;
        }
    }
    if (collector.reply().webMirrors.size() > kWebMirrorsInReply) {
        std::abort();
    }
    for (const PatchFileEntry& e : list.Snapshot()) {
        if (e.md5Text.size() > kMd5TextLength || e.localPath.size() > kPatchPathMax ||
            e.directory.size() > kPatchPathMax) {
            std::abort();
        }
    }
    return 0;
}
