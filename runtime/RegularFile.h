#pragma once
// Opening a file that the program reads or writes. A name may lead to a FIFO or a
// device (a pipe saved under a picture's name, /dev/zero, a log file that is a pipe):
// a plain open would wait for a writer, or reading would never end. Every file is
// therefore opened without blocking and kept only when it is a regular file.

#include <fcntl.h>

#include "runtime/FileDescriptor.h"

namespace orvalis {

// open(2) with `flags` (O_CLOEXEC is added) that never blocks: returns a descriptor in
// blocking mode on a regular file, or none (not IsOpen) with errno set. What is not a regular file is
// refused with EISDIR for a folder and ENODEV for anything else (a FIFO, a device, a
// socket), and is never truncated.
FileDescriptor OpenRegularFile(const char* path, int flags, mode_t mode = 0666);

}  // namespace orvalis
