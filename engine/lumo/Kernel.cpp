#include "lumo/Kernel.h"

#include "lumo/DiskFS.h"

namespace Lumo {

Kernel* Kernel::Inst() {
    static Kernel* kernel = new Kernel;  // lives to the end of the process
    return kernel;
}

Kernel::Kernel() : m_diskFS(new DiskFS), m_defaultFS(nullptr) {}

Kernel::~Kernel() {
    delete m_diskFS;
}

IFS* Kernel::DefaultFS() {
    return m_defaultFS ? m_defaultFS : m_diskFS;
}

void Kernel::SetDefaultFS(IFS* fs) {
    m_defaultFS = fs;
}

}  // namespace Lumo
