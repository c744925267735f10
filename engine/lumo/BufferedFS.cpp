#include "lumo/BufferedFS.h"

#include "HandleTable.h"

namespace Lumo {

struct BufferedFS::Files {
    HandleTable<BufferFile> handles;
};

BufferedFS::BufferedFS() : m_files(new Files) {}

BufferedFS::~BufferedFS() = default;

FHandle BufferedFS::OpenBytes(std::shared_ptr<const std::string> bytes) {
    auto open = std::make_unique<BufferFile>();
    open->bytes = std::move(bytes);
    return m_files->handles.Add(std::move(open));
}

void BufferedFS::Close(FHandle h) {
    m_files->handles.Remove(h);
}

uint32_t BufferedFS::Read(void* buffer, uint32_t count, FHandle h) {
    BufferFile* f = m_files->handles.Get(h);
    return f ? f->Read(buffer, count) : 0;
}

uint32_t BufferedFS::Seek(FHandle h, int32_t offset, int origin) {
    BufferFile* f = m_files->handles.Get(h);
    return f ? f->Seek(offset, origin) : kSeekFailed;
}

uint32_t BufferedFS::Tell(FHandle h) {
    const BufferFile* f = m_files->handles.Get(h);
    return f ? f->pos : kSeekFailed;
}

size_t BufferedFS::OpenCount() const {
    return m_files->handles.OpenCount();
}

}  // namespace Lumo
