// The merge of a series: repeat scans averaged on the first one's energy
// grid, each weighted by the inverse square of its own measured noise; a
// scan whose edge lies apart from the others' is left out, with the reason.
#pragma once

#include <string>
#include <vector>

namespace xas {

// One reduced spectrum offered to the merge: its points as loaded (eV,
// after any alignment), its edge energy and its average r.m.s. noise.
struct MergeInput {
  std::string name;
  const std::vector<float>* energy = nullptr;
  const std::vector<float>* mu = nullptr;
  float e0 = 0.0f;         // eV
  bool averaged = false;   // a noise level was found
  float noise = 0.0f;
};

// An edge farther than this many scatters (1.4826 median absolute
// deviations) from the median edge of the series leaves its spectrum out,
// and never one closer than kMergeEdgeFloor eV: repeat scans whose edges
// agree to a few hundredths of an eV are not parted by their last digits.
inline constexpr double kMergeScatters = 3.0;
inline constexpr double kMergeEdgeFloor = 0.5;  // eV

struct MergePlan {
  std::vector<double> weights;         // per input, summing to 1; 0 for those left out
  std::vector<std::string> left_out;   // a warning for each input left out, naming it
  int used = 0;                        // the inputs averaged
};

// Which inputs are averaged, with which weights.
MergePlan plan_merge(const std::vector<MergeInput>& inputs);

// The weighted average of the inputs the plan uses, each interpolated
// linearly, on the energies of the first one that lie within every one's
// range.
void merge_spectra(const std::vector<MergeInput>& inputs, const MergePlan& plan,
                   std::vector<float>* energy, std::vector<float>* mu);

}  // namespace xas
