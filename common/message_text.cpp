#include "common/message_text.h"

#include <cstdio>

namespace xas {

// Built by appending: GCC 12 warns falsely about "'" + std::string.
std::string quote(std::string_view text) {
  std::string q(1, '\'');
  q.append(text);
  q += '\'';
  return q;
}

std::string ev(float kev) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.1f eV", static_cast<double>(kev) * 1000.0);
  return buf;
}

std::string ev_range(float from_kev, float to_kev) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.1f-%.1f eV", static_cast<double>(from_kev) * 1000.0,
                static_cast<double>(to_kev) * 1000.0);
  return buf;
}

}  // namespace xas
