// Free-form output records: the layout of every screen message and of many
// result-file lines.
//
// A record begins with one blank. Each item after the first is preceded by one
// blank, except a text that directly follows another text: the two abut.
// Texts are written as they stand, integers right-aligned in 11 columns, reals
// in 16 columns with nine significant digits.
#pragma once

#include <cstddef>
#include <string_view>

namespace xas {

// Writes the 16-column free-form rendering of a single-precision real at out:
// fixed point (right-aligned in 12 columns, then 4 blanks) for 0 and for
// magnitudes from 0.1 up to 1e9, otherwise "d.ddddddddE+xx" right-aligned in
// 16 columns; "NaN", "Infinity" and "-Infinity" right-aligned in 16 columns.
void put_freeform_real(char* out, float value);

// The same rendering by the general path, which put_freeform_real falls back
// on where its fast path does not reach (and which the tests hold it to).
void put_freeform_real_general(char* out, float value);

// Builds one record; line() gives it without its line feed.
class FreeFormRecord {
 public:
  FreeFormRecord() { buf_[0] = ' '; }
  FreeFormRecord& add_text(std::string_view text);
  FreeFormRecord& add_integer(int value);
  FreeFormRecord& add_real(float value);
  std::string_view line() const { return std::string_view(buf_, len_); }

 private:
  void separate(bool is_text);
  void append(std::string_view s);

  static constexpr std::size_t kCapacity = 2048;
  char buf_[kCapacity];   // only the first len_ characters are ever read
  std::size_t len_ = 1;  // the leading blank
  bool has_items_ = false;
  bool last_was_text_ = false;
};

}  // namespace xas
