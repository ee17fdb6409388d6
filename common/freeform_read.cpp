#include "common/freeform_read.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>

#include "common/characters.h"

namespace xas {

bool OneLineSource::next_line(std::string_view* line) {
  if (used_) return false;
  used_ = true;
  *line = line_;
  return true;
}

namespace {

constexpr long kMaxRepeat = 200000000;

bool is_separator(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '/';
}

bool equals_lower(std::string_view text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (lower(text[i]) != word[i]) return false;
  return true;
}

std::string item_message(const char* before, int item, const char* after) {
  return std::string(before) + std::to_string(item) + after;
}

bool parse_value(std::string_view text, int* value, int item, std::string* message) {
  bool overflow = false;
  if (parse_integer(text, value, &overflow)) return true;
  *message = overflow ? item_message("Integer overflow while reading item ", item, "")
                      : item_message("Bad integer for item ", item, " in list input");
  return false;
}

bool parse_value(std::string_view text, double* value, int item, std::string* message) {
  if (parse_real(text, value)) return true;
  *message = item_message("Bad real number in item ", item, " of list input");
  return false;
}

// Where a read stopped: the targets it reached (assigned or skipped by a null
// value) and how many of them received a value.
struct ReadProgress {
  int items = 0;
  int values = 0;
};

template <typename T>
ListRead read_values(ListSource& source, T* targets, int count, std::string* message,
                     ReadProgress* progress = nullptr) {
  std::string_view line;
  if (count <= 0) return ListRead::complete;
  if (!source.next_line(&line)) return ListRead::end;
  std::size_t pos = 0;
  int item = 0;               // next target, from 0
  int values = 0;             // targets assigned so far
  bool after_value = false;   // a comma now only separates the value just read
  auto stop = [&](ListRead result) {
    if (progress != nullptr) *progress = ReadProgress{item, values};
    return result;
  };
  while (item < count) {
    while (pos < line.size() && is_blank(line[pos])) ++pos;
    if (pos == line.size()) {
      if (!source.next_line(&line)) return stop(ListRead::end);
      pos = 0;
      continue;
    }
    char c = line[pos];
    if (c == ',' || c == ';') {
      ++pos;
      if (after_value)
        after_value = false;
      else
        ++item;  // null value
      continue;
    }
    if (c == '/') return stop(ListRead::complete);

    std::size_t start = pos;
    while (pos < line.size() && !is_separator(line[pos])) ++pos;
    std::string_view token = line.substr(start, pos - start);
    after_value = true;

    // A repeat count: digits followed by '*'.
    std::size_t star = 0;
    while (star < token.size() && is_digit(token[star])) ++star;
    if (star > 0 && star < token.size() && token[star] == '*') {
      long repeat = 0;
      for (std::size_t i = 0; i < star; ++i) {
        repeat = repeat * 10 + (token[i] - '0');
        if (repeat > kMaxRepeat) {
          *message = item_message("Repeat count overflow in item ", item + 1, " of list input");
          return stop(ListRead::error);
        }
      }
      if (repeat == 0) {
        *message = item_message("Zero repeat count in item ", item + 1, " of list input");
        return stop(ListRead::error);
      }
      std::string_view rest = token.substr(star + 1);
      long left = count - item;
      int copies = static_cast<int>(repeat < left ? repeat : left);
      if (rest.empty()) {  // r null values
        item += copies;
        continue;
      }
      T value{};
      if (!parse_value(rest, &value, item + 1, message)) return stop(ListRead::error);
      for (int i = 0; i < copies; ++i) targets[item++] = value;
      values += copies;
      continue;
    }
    if (!parse_value(token, &targets[item], item + 1, message)) return stop(ListRead::error);
    ++item;
    ++values;
  }
  return stop(ListRead::complete);
}

}  // namespace

ListRead read_list(ListSource& source, int* targets, int count, std::string* message) {
  return read_values(source, targets, count, message);
}

ListRead read_list(ListSource& source, double* targets, int count, std::string* message,
                   int* taken) {
  ReadProgress progress;
  const ListRead result = read_values(source, targets, count, message, &progress);
  if (taken != nullptr) *taken = progress.items;
  return result;
}

LineValues count_values(std::string_view line, int limit) {
  if (limit <= 0) return {};
  std::unique_ptr<double[]> targets(new double[limit]);
  OneLineSource source(line);
  std::string message;
  ReadProgress progress;
  read_values(source, targets.get(), limit, &message, &progress);
  return LineValues{progress.items, progress.values};
}

bool parse_integer(std::string_view text, int* value, bool* overflow) {
  *overflow = false;
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  std::int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (!is_digit(text[i])) return false;
    if (v <= std::int64_t{1} << 32) v = v * 10 + (text[i] - '0');
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min()) {
    // Only report overflow for a well-formed number.
    *overflow = true;
    return false;
  }
  *value = static_cast<int>(v);
  return true;
}

bool parse_real(std::string_view text, double* value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::string_view body = text.substr(i);
  if (equals_lower(body, "inf") || equals_lower(body, "infinity")) {
    *value = negative ? -std::numeric_limits<double>::infinity()
                      : std::numeric_limits<double>::infinity();
    return true;
  }
  if (equals_lower(body, "nan")) {
    *value = std::numeric_limits<double>::quiet_NaN();
    return true;
  }

  // Rebuild the number as "digits.digitse[sign]digits" for the conversion.
  char local[640];  // a data line holds at most 500 characters
  std::string heap;
  char* buf = local;
  if (text.size() + 8 > sizeof local) {
    heap.resize(text.size() + 8);
    buf = heap.data();
  }
  std::size_t n = 0;
  std::size_t digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (is_digit(c)) {
      buf[n++] = c;
      ++digits;
    } else if (c == '.' && !point) {
      buf[n++] = c;
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  bool exponent_negative = false;
  if (i < text.size()) {
    char c = lower(text[i]);
    if (c == 'e' || c == 'd' || c == 'q') {
      ++i;
      if (i < text.size() && (text[i] == '+' || text[i] == '-')) exponent_negative = text[i++] == '-';
    } else if (c == '+' || c == '-') {
      exponent_negative = c == '-';
      ++i;
    } else {
      return false;
    }
    if (i == text.size()) return false;
    buf[n++] = 'e';
    if (exponent_negative) buf[n++] = '-';
    for (; i < text.size(); ++i) {
      if (!is_digit(text[i])) return false;
      buf[n++] = text[i];
    }
  }
  double v = 0.0;
  auto [ptr, ec] = std::from_chars(buf, buf + n, v);
  if (ec == std::errc::result_out_of_range) {
    // Beyond the range of a double: the C conversion gives infinity or zero.
    buf[n] = '\0';
    v = std::strtod(buf, nullptr);
  } else if (ec != std::errc() || ptr != buf + n) {
    return false;
  }
  *value = negative ? -v : v;
  return true;
}

}  // namespace xas
