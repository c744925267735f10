// The base of the engine file systems that read a file whole into memory
// when it is opened (an archive's entries, the in-memory files): the handle
// table and the reads, seeks and tells on it. A derived file system finds
// the bytes and hands them out with OpenBytes; handles never touch the
// source again. Game thread only.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "lumo/IFS.h"

namespace Lumo {

class LUMO_API BufferedFS : public IFS {
public:
    ~BufferedFS() override;

    void Close(FHandle h) override;
    uint32_t Read(void* buffer, uint32_t count, FHandle h) override;
    uint32_t Seek(FHandle h, int32_t offset, int origin) override;
    uint32_t Tell(FHandle h) override;

    // Number of handles open now (for leak checks in tests and tools).
    size_t OpenCount() const;

protected:
    BufferedFS();
    // A new handle reading bytes from their start, or kNoFile when no more
    // handles can be opened. The bytes are shared: a file replaced while
    // open keeps reading its old contents.
    FHandle OpenBytes(std::shared_ptr<const std::string> bytes);

private:
    struct Files;
    std::unique_ptr<Files> m_files;
};

}  // namespace Lumo
