// Writes a whole text to a descriptor: the one write loop of the program,
// used by the text written to files, the screen and the error stream.
#pragma once

#include <cstddef>

namespace xas {

// Writes size bytes, going on after partial writes and interruptions.
// Returns 0, or the errno of the failure (EIO for a write that makes no
// progress, as a device that takes nothing more).
int write_all(int fd, const char* data, std::size_t size);

}  // namespace xas
