#include "support/expected_text.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "common/freeform_write.h"

namespace xas::test {

std::string right(const std::string& s, std::size_t width) {
  return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

std::string padded(const std::string& s, std::size_t width) {
  if (s.size() > width)
    throw std::length_error("'" + s + "' is longer than " + std::to_string(width) + " columns");
  return s + std::string(width - s.size(), ' ');
}

std::string ff_int(int v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%11d", v);
  return buf;
}

std::string ff_real(float v) {
  if (std::isnan(v)) return right("NaN", 16);
  if (std::isinf(v)) return right(v > 0 ? "Infinity" : "-Infinity", 16);
  const float a = std::fabs(v);
  char buf[64];
  if (a == 0.0f || (a >= 0.1f && a < 1.0e9f)) {
    int before = 0;
    for (double p = 1.0; a >= p; p *= 10.0) ++before;
    const int decimals = a == 0.0f ? 8 : 9 - before;
    std::snprintf(buf, sizeof buf, "%.*f", decimals, static_cast<double>(v));
    return right(buf, 12) + "    ";
  }
  std::snprintf(buf, sizeof buf, "%.8E", static_cast<double>(v));
  return right(buf, 16);
}

std::string two_reals(float a, float b) {
  std::string line = " ";
  line += ff_real(a);
  line += ' ';
  line += ff_real(b);
  return line;
}

std::string fixed(float v, int w, int d) {
  std::string s;
  if (std::isnan(v)) {
    s = "NaN";
  } else {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", d, static_cast<double>(v));
    s = buf;
    if (static_cast<int>(s.size()) > w && s.rfind("0.", 0) == 0) s.erase(0, 1);
    if (static_cast<int>(s.size()) > w && s.rfind("-0.", 0) == 0) s.erase(1, 1);
    if (static_cast<int>(s.size()) > w) return std::string(static_cast<std::size_t>(w), '*');
  }
  return right(s, static_cast<std::size_t>(w));
}

std::string program_real(float v) {
  char buf[16];
  put_freeform_real(buf, v);
  return std::string(buf, 16);
}

std::string file_name_line(const std::string& name) { return " >>> FILE NAME: " + padded(name); }

std::string count_line(int n) { return "  >>>  " + ff_int(n) + "   DATA ENERGY POINTS!"; }

}  // namespace xas::test
