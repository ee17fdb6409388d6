#include "common/system_error.h"

#include <cstring>

namespace xas {

std::string system_error_text(int errnum) {
  // strerror() may share one buffer between threads; the GNU strerror_r
  // returns the text (in buf, or a static string) without that risk.
  char buf[256];
  return std::string(strerror_r(errnum, buf, sizeof buf));
}

}  // namespace xas
