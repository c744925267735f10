// The engine kernel: the process-wide services the framework reaches without
// being handed them, first of all the default file system.
#pragma once

#include "lumo/IFS.h"

namespace Lumo {

class LUMO_API Kernel {
public:
    static Kernel* Inst();

    // Never null: the file system set with SetDefaultFS, or else a disk file
    // system on the current directory.
    IFS* DefaultFS();
    // Makes fs the default (not owned; it must outlive its use as the
    // default). Null restores the disk file system. An archive-backed file
    // system is installed this way by the game at start-up.
    void SetDefaultFS(IFS* fs);

private:
    Kernel();
    ~Kernel();
    Kernel(const Kernel&) = delete;
    Kernel& operator=(const Kernel&) = delete;

    IFS* m_diskFS;
    IFS* m_defaultFS;
};

}  // namespace Lumo
