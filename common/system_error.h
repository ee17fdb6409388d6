// The system's reason for a failed call, as text: one function for the whole
// program, safe to call from several threads at once.
#pragma once

#include <string>

namespace xas {

// strerror's text for errnum ("No such file or directory").
std::string system_error_text(int errnum);

}  // namespace xas
