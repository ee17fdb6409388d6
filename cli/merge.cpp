#include "cli/merge.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace xas {

namespace {

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

std::string ev(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

// mu at e by linear interpolation between the points around it (energies
// ascending; e within their range).
double interpolated(const std::vector<float>& energy, const std::vector<float>& mu, double e) {
  const auto upper = std::lower_bound(energy.begin(), energy.end(), e);
  const std::size_t j = static_cast<std::size_t>(upper - energy.begin());
  if (j < energy.size() && energy[j] == e) return mu[j];
  if (j == 0) return mu.front();
  if (j >= energy.size()) return mu.back();
  const double e0 = energy[j - 1], e1 = energy[j];
  const double t = e1 > e0 ? (e - e0) / (e1 - e0) : 0.0;
  return mu[j - 1] + t * (static_cast<double>(mu[j]) - mu[j - 1]);
}

}  // namespace

MergePlan plan_merge(const std::vector<MergeInput>& inputs) {
  MergePlan plan;
  plan.weights.assign(inputs.size(), 0.0);
  std::vector<std::size_t> candidates;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (inputs[i].averaged && inputs[i].noise > 0.0f && std::isfinite(inputs[i].noise))
      candidates.push_back(i);
    else
      plan.left_out.push_back(inputs[i].name + " is left out of the merge: it has no noise level"
                              " to weight it by");
  }
  std::vector<double> edges;
  for (std::size_t i : candidates) edges.push_back(inputs[i].e0);
  const double middle = edges.empty() ? 0.0 : median(edges);
  std::vector<double> deviations;
  for (double e : edges) deviations.push_back(std::fabs(e - middle));
  const double scatter = deviations.empty() ? 0.0 : 1.4826 * median(deviations);
  const double limit = std::max(kMergeScatters * scatter, kMergeEdgeFloor);
  double total = 0.0;
  for (std::size_t i : candidates) {
    const double apart = std::fabs(inputs[i].e0 - middle);
    if (apart > limit) {
      plan.left_out.push_back(inputs[i].name + " is left out of the merge: its edge at " +
                              ev(inputs[i].e0) + " eV lies " + ev(apart) +
                              " eV from the series' median " + ev(middle) + " eV, beyond " +
                              ev(limit) + " eV (3 times their scatter, at least 0.5 eV)");
      continue;
    }
    const double noise = inputs[i].noise;
    plan.weights[i] = 1.0 / (noise * noise);
    total += plan.weights[i];
    ++plan.used;
  }
  if (total > 0.0)
    for (double& w : plan.weights) w /= total;
  return plan;
}

void merge_spectra(const std::vector<MergeInput>& inputs, const MergePlan& plan,
                   std::vector<float>* energy, std::vector<float>* mu) {
  energy->clear();
  mu->clear();
  const MergeInput* first = nullptr;
  double low = -INFINITY, high = INFINITY;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (plan.weights[i] <= 0.0 || inputs[i].energy->empty()) continue;
    if (first == nullptr) first = &inputs[i];
    low = std::max(low, static_cast<double>(inputs[i].energy->front()));
    high = std::min(high, static_cast<double>(inputs[i].energy->back()));
  }
  if (first == nullptr) return;
  for (float e : *first->energy) {
    if (e < low || e > high) continue;
    double sum = 0.0;
    for (std::size_t i = 0; i < inputs.size(); ++i)
      if (plan.weights[i] > 0.0)
        sum += plan.weights[i] * interpolated(*inputs[i].energy, *inputs[i].mu, e);
    energy->push_back(e);
    mu->push_back(static_cast<float>(sum));
  }
}

}  // namespace xas
