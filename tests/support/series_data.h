// Spectra for the tests of series: the copper foil's points, Gaussian noise
// from a fixed seed, and the summary table read back by its column names.
#pragma once

#include <cmath>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace xas::test {

// The copper foil of the examples: (energy eV, absorption) points.
std::vector<std::pair<double, double>> copper_points();

// Gaussian numbers by Box and Muller from the 32-bit Mersenne twister, whose
// sequence the standard fixes, so that a series is the same everywhere.
class Gauss {
 public:
  explicit Gauss(std::uint32_t seed) : engine_(seed) {}
  double operator()() {
    const double u1 = (engine_() + 0.5) / 4294967296.0;
    const double u2 = (engine_() + 0.5) / 4294967296.0;
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2);
  }

 private:
  std::mt19937 engine_;
};

// The rows of a summary table, each cell by its column's name.
using SummaryRow = std::map<std::string, std::string>;
std::vector<SummaryRow> summary_rows(const std::string& table);

// A number cell; NaN when empty.
double number(const SummaryRow& row, const std::string& column);

}  // namespace xas::test
