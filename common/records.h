// The shared records of the reduction: the spectrum (`data`) and the two
// stage switches (`logic`), with the containers every stage uses.
#pragma once

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <string_view>
#include <vector>

namespace xas {

// The most points the dialogue reads from a data file (its banner says so);
// the command line and the library take spectra of any length.
inline constexpr int kDialoguePoints = 15000;

// A fixed-capacity array indexed from 1 to N, as the reduction's formulas are written.
template <typename T, int N>
class OneBased {
 public:
  T& operator()(int i) {
    assert(i >= 1 && i <= N);
    return v_[static_cast<std::size_t>(i - 1)];
  }
  const T& operator()(int i) const {
    assert(i >= 1 && i <= N);
    return v_[static_cast<std::size_t>(i - 1)];
  }
  // Element 1 is at [0]; for the loops that work on raw memory.
  T* begin() { return v_.data(); }
  const T* begin() const { return v_.data(); }
  static constexpr int capacity() { return N; }

 private:
  std::array<T, N> v_{};
};

// A blank-padded text field of fixed width, such as a 90-character file name.
template <int W>
class FixedText {
 public:
  FixedText() { c_.fill(' '); }
  explicit FixedText(std::string_view s) { set(s); }
  // Cuts or blank-pads to W characters.
  void set(std::string_view s) {
    c_.fill(' ');
    std::copy_n(s.begin(), std::min<std::size_t>(s.size(), W), c_.begin());
  }
  std::string_view view() const { return std::string_view(c_.data(), W); }
  // Without its trailing blanks.
  std::string_view trimmed() const {
    std::string_view v = view();
    std::size_t end = v.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string_view() : v.substr(0, end + 1);
  }
  char operator()(int column) const {  // 1-based
    assert(column >= 1 && column <= W);
    return c_[static_cast<std::size_t>(column - 1)];
  }
  static constexpr int width() { return W; }

 private:
  std::array<char, W> c_;
};

using Name90 = FixedText<90>;

// One value per point, indexed from 1 to size() as the formulas are written.
// Sized by the stage that fills it; a new size starts from zeros.
template <typename T>
class Points {
 public:
  // n zero values (the capacity is kept for the next spectrum).
  void zero(int n) { v_.assign(static_cast<std::size_t>(std::max(n, 0)), T{}); }
  // n values: those held are kept, new ones are zero.
  void resize(int n) { v_.resize(static_cast<std::size_t>(std::max(n, 0)), T{}); }
  T& operator()(int i) {
    assert(i >= 1 && i <= size());
    return v_[static_cast<std::size_t>(i - 1)];
  }
  const T& operator()(int i) const {
    assert(i >= 1 && i <= size());
    return v_[static_cast<std::size_t>(i - 1)];
  }
  int size() const { return static_cast<int>(v_.size()); }
  // Element 1 is at [0]; for the loops that work on raw memory.
  T* begin() { return v_.data(); }
  const T* begin() const { return v_.data(); }
  const std::vector<T>& values() const { return v_; }

 private:
  std::vector<T> v_;
};

// One single-precision value per point.
using PointValues = Points<float>;

// pi in single precision, as the normalisation and the transform window use it.
inline constexpr float kPi = 3.1415927f;

// data: the spectrum. Energies are in eV as the reader hands them over and in
// keV from the driver's unit step on.
struct Data {
  int n = 0;
  PointValues energy;
  PointValues absorption;
  PointValues abs_lin;  // absorption less the pre-edge line
  PointValues noise;    // |residual| of the local noise fit

  // n points, every value zero.
  void zero(int points) {
    n = points;
    energy.zero(points);
    absorption.zero(points);
    abs_lin.zero(points);
    noise.zero(points);
  }
  // n points: the values held are kept, new ones are zero.
  void resize(int points) {
    n = points;
    energy.resize(points);
    absorption.resize(points);
    abs_lin.resize(points);
    noise.resize(points);
  }
};

// logic: the stage switches; each is set to 'S' right before its stage runs.
struct Logic {
  char fit = '\0';      // enables the background fit and the normalisation
  char fourier = '\0';  // enables the Fourier transform
};

}  // namespace xas
