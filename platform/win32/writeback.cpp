#include "platform/writeback.h"

namespace platform {

void StartWriteBack(File& file, uint64_t offset, uint64_t length) {
    // The cache manager writes dirty pages behind on its own; the only
    // request Windows has (FlushFileBuffers) would wait for the whole file.
    (void)file;
    (void)offset;
    (void)length;
}

}  // namespace platform
