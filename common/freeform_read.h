// Free-form (list) input: the rules by which every number the program takes
// in is read, the user's answers and the numbers of each data line.
//
// A read asks for a fixed list of targets and takes values from the text in
// order. Values are separated by blanks, tabs, one comma or one semicolon, or
// the end of a line. Two commas with only blanks between them (or a comma
// before the first value) give a null value: that target keeps what it held.
// A slash ends the read, leaving the remaining targets as they are. "r*v"
// stands for r copies of v and "r*" for r null values.
#pragma once

#include <string>
#include <string_view>

namespace xas {

enum class ListRead {
  complete,  // every target was assigned, skipped by a null value, or left by a slash
  end,       // the text ran out first
  error,     // a malformed value; the message says which item
};

// Supplies the lines a read takes its values from.
class ListSource {
 public:
  virtual ~ListSource() = default;
  // The next line; false when there is none.
  virtual bool next_line(std::string_view* line) = 0;
};

// A single line; the read can never go beyond it.
class OneLineSource : public ListSource {
 public:
  explicit OneLineSource(std::string_view line) : line_(line) {}
  bool next_line(std::string_view* line) override;

 private:
  std::string_view line_;
  bool used_ = false;
};

// Fill targets[0..count) in order. On error, message receives the text (the
// item number counts targets from 1); on end it is left alone. Targets
// assigned before a failure keep their new values.
ListRead read_list(ListSource& source, int* targets, int count, std::string* message);
// `taken` (may be null) receives the number of targets the text gave a
// value or a null value before the read ended; targets left by a slash are
// not counted.
ListRead read_list(ListSource& source, double* targets, int count, std::string* message,
                   int* taken = nullptr);

// How far a read of one line alone gets: the targets it reaches before the
// line ends, a slash or a malformed value (null values included), at most
// `limit`, and how many of them receive a number. A read of that many targets
// from the line completes; a read of one more does not, unless a slash ends it.
struct LineValues {
  int items = 0;
  int numbers = 0;
};
LineValues count_values(std::string_view line, int limit);

// Parses one value. Integers: an optional sign and decimal digits. Reals: an
// optional sign, digits with an optional point, and an optional exponent
// introduced by E, D or Q in either case or directly by its sign; also inf,
// infinity and nan in any case. Reals are rounded to the nearest double.
bool parse_integer(std::string_view text, int* value, bool* overflow);
bool parse_real(std::string_view text, double* value);

}  // namespace xas
