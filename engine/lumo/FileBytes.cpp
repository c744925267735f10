#include "lumo/FileBytes.h"

namespace Lumo {

uint32_t BytesLeft(IFS* fs, FHandle h) {
    if (!fs || h == kNoFile) {
        return 0;
    }
    const uint32_t pos = fs->Tell(h);
    // Seeks take signed offsets: a position beyond 2 GiB cannot be restored.
    if (pos == kSeekFailed || pos > 0x7FFFFFFFu) {
        return 0;
    }
    const uint32_t end = fs->Seek(h, 0, SEEK_ORIGIN_END);
    fs->Seek(h, static_cast<int32_t>(pos), SEEK_ORIGIN_BEGIN);
    if (end == kSeekFailed || end < pos) {
        return 0;
    }
    return end - pos;
}

}  // namespace Lumo
