// Starting the write of a file's bytes to the disk early.
//
// A writer of many megabytes that must make them durable at its end (an
// archive's batch, flushed before its header switches) spends that end
// waiting for the whole of them. Asked to start on each stretch as soon as
// it is written, the system writes them while the writer goes on, and the
// final flush finds little left to do. Only a hint: it makes nothing
// durable, orders nothing, and its failure changes nothing; durability is
// still the flush's alone.
#pragma once

#include <cstdint>

#include "platform/file.h"

namespace platform {

// Asks the system to start writing [offset, offset + length) of file to the
// disk without waiting for it. Does nothing where the system offers no
// such request (Windows writes behind on its own). Any thread that may use
// the file may call it.
void StartWriteBack(File& file, uint64_t offset, uint64_t length);

}  // namespace platform
