#include "platform/writeback.h"

#include <fcntl.h>

namespace platform {

void StartWriteBack(File& file, uint64_t offset, uint64_t length) {
#if defined(__linux__)
    if (!file.IsOpen() || length == 0) {
        return;
    }
    // Queues the dirty pages of the range for writing and returns; errors
    // (a file system without the call, a full queue) are the flush's to meet.
    (void)::sync_file_range(static_cast<int>(file.native()), static_cast<off_t>(offset),
                            static_cast<off_t>(length), SYNC_FILE_RANGE_WRITE);
#else
    (void)file;
    (void)offset;
    (void)length;
#endif
}

}  // namespace platform
