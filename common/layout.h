// Layouts: a parenthesised list of fields and literals, such as
// "(1X,F6.3,1X,F8.5,1X,F12.6)" or "(/,'  >>> opening file: ',A90)", parsed
// once and written many times.
//
// Items are taken from left to right. Each value takes the next F, E, I or A
// field; literals, nX and "/" are carried out as they are met. When the values
// run out the layout stops at the next value field, so a trailing nX, and any
// literal or nX after the last literal that precedes that field, is not written.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace xas {

// One value handed to a layout: a single-precision real, an integer or a text.
struct LayoutValue {
  enum class Kind { real, integer, text };
  LayoutValue(float v) : kind(Kind::real), real(v) {}
  LayoutValue(int v) : kind(Kind::integer), integer(v) {}
  LayoutValue(std::string_view v) : kind(Kind::text), text(v) {}
  LayoutValue(const char* v) : kind(Kind::text), text(v) {}
  // Refers to the string; a temporary lives until the end of the call it is
  // written in, which is as long as a layout uses its values.
  LayoutValue(const std::string& v) : kind(Kind::text), text(v) {}

  Kind kind;
  float real = 0.0f;
  int integer = 0;
  std::string_view text;
};

class Layout {
 public:
  // Parses a layout. An item this notation does not know is a programming
  // error and aborts.
  explicit Layout(std::string_view text);

  // Writes the layout with these values into out and returns the number of
  // characters written. Every line it produces, the last one included, ends
  // with a line feed. out must hold max_length() characters.
  std::size_t render(char* out, std::initializer_list<LayoutValue> values) const;

  // The same, returned as a string (for tests and rare lines).
  std::string format(std::initializer_list<LayoutValue> values) const;

  // An upper bound of what render() can write for any values.
  std::size_t max_length() const { return max_length_; }

 private:
  struct Item {
    enum class Kind { literal, blanks, slash, fixed, exponent, integer, text };
    Kind kind;
    int w = 0;  // field width, or the n of nX; 0 for plain A
    int d = 0;
    std::string literal;
  };
  std::vector<Item> items_;
  std::size_t max_length_ = 0;
};

}  // namespace xas
