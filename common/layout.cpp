#include "common/layout.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/characters.h"
#include "common/fields.h"

namespace xas {
namespace {

// Plain A writes a text at its full length, which no layout can bound. The
// longest text the program holds is a 500-character data line; max_length()
// counts that much for a plain A, and render() refuses a longer text.
constexpr std::size_t kPlainTextMax = 500;

// Numeric fields are at most this wide (the bound of the field writers);
// texts and nX counts may be wider, up to kMaxCount.
constexpr int kMaxNumericWidth = 256;
constexpr int kMaxCount = 100000;

[[noreturn]] void layout_error(std::string_view text, const char* what) {
  std::fprintf(stderr, "layout \"%.*s\": %s\n", static_cast<int>(text.size()), text.data(), what);
  std::abort();
}

// Reads an unsigned count at pos; returns -1 when no digit stands there.
int read_count(std::string_view s, std::size_t& pos) {
  if (pos >= s.size() || !is_digit(s[pos])) return -1;
  int n = 0;
  while (pos < s.size() && is_digit(s[pos])) {
    n = n * 10 + (s[pos] - '0');
    if (n > kMaxCount) return kMaxCount + 1;
    ++pos;
  }
  return n;
}

}  // namespace

Layout::Layout(std::string_view text) {
  std::size_t pos = 0;
  auto skip_blanks = [&] {
    while (pos < text.size() && is_blank(text[pos])) ++pos;
  };

  skip_blanks();
  if (pos >= text.size() || text[pos] != '(') layout_error(text, "missing '('");
  ++pos;

  bool closed = false;
  while (!closed) {
    // Commas and blanks only separate items.
    while (pos < text.size() && (text[pos] == ',' || is_blank(text[pos]))) ++pos;
    if (pos >= text.size()) layout_error(text, "missing ')'");

    const char c = text[pos];
    Item item{};
    if (c == ')') {
      ++pos;
      closed = true;
      continue;
    }
    if (c == '\'') {
      // A literal; a doubled apostrophe stands for one apostrophe.
      item.kind = Item::Kind::literal;
      ++pos;
      for (;;) {
        if (pos >= text.size()) layout_error(text, "unterminated literal");
        if (text[pos] == '\'') {
          if (pos + 1 < text.size() && text[pos + 1] == '\'') {
            item.literal.push_back('\'');
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        item.literal.push_back(text[pos++]);
      }
    } else if (c == '/') {
      item.kind = Item::Kind::slash;
      ++pos;
    } else if (is_digit(c)) {
      const int n = read_count(text, pos);
      if (pos >= text.size() || upper(text[pos]) != 'X') layout_error(text, "a count must be followed by X");
      if (n < 1 || n > kMaxCount) layout_error(text, "bad nX count");
      ++pos;
      item.kind = Item::Kind::blanks;
      item.w = n;
    } else {
      const char letter = upper(c);
      ++pos;
      if (letter == 'X') {
        item.kind = Item::Kind::blanks;
        item.w = 1;
      } else if (letter == 'A') {
        item.kind = Item::Kind::text;
        const int w = read_count(text, pos);
        if (w == 0 || w > kMaxCount) layout_error(text, "bad A width");
        item.w = w < 0 ? 0 : w;  // 0: plain A
      } else if (letter == 'I') {
        item.kind = Item::Kind::integer;
        item.w = read_count(text, pos);
        if (item.w < 1 || item.w > kMaxNumericWidth) layout_error(text, "bad I width");
      } else if (letter == 'F' || letter == 'E') {
        item.kind = letter == 'F' ? Item::Kind::fixed : Item::Kind::exponent;
        item.w = read_count(text, pos);
        if (item.w < 1 || item.w > kMaxNumericWidth) layout_error(text, "bad field width");
        if (pos >= text.size() || text[pos] != '.') layout_error(text, "F and E fields need w.d");
        ++pos;
        item.d = read_count(text, pos);
        if (item.d < 0 || item.d >= item.w || (letter == 'E' && item.d < 1)) {
          layout_error(text, "bad decimals");
        }
      } else {
        layout_error(text, "unknown item");
      }
    }

    switch (item.kind) {
      case Item::Kind::literal: max_length_ += item.literal.size(); break;
      case Item::Kind::slash: max_length_ += 1; break;
      case Item::Kind::text: max_length_ += item.w == 0 ? kPlainTextMax : static_cast<std::size_t>(item.w); break;
      default: max_length_ += static_cast<std::size_t>(item.w); break;
    }
    items_.push_back(std::move(item));
  }

  skip_blanks();
  if (pos != text.size()) layout_error(text, "text after ')'");
  max_length_ += 1;  // the final line feed
}

std::size_t Layout::render(char* out, std::initializer_list<LayoutValue> values) const {
  char* p = out;
  // Blanks of nX items wait here until a literal or a value field follows
  // them in the same line; a line or layout end drops them.
  std::size_t pending = 0;
  auto flush_blanks = [&] {
    std::memset(p, ' ', pending);
    p += pending;
    pending = 0;
  };
  const LayoutValue* value = values.begin();
  auto take = [&](LayoutValue::Kind kind) -> const LayoutValue* {
    if (value == values.end()) return nullptr;
    if (value->kind != kind) {
      std::fputs("layout: value of the wrong kind for its field\n", stderr);
      std::abort();
    }
    return value++;
  };

  for (const Item& item : items_) {
    const LayoutValue* v = nullptr;
    switch (item.kind) {
      case Item::Kind::literal:
        flush_blanks();
        std::memcpy(p, item.literal.data(), item.literal.size());
        p += item.literal.size();
        continue;
      case Item::Kind::blanks:
        pending += static_cast<std::size_t>(item.w);
        continue;
      case Item::Kind::slash:
        pending = 0;
        *p++ = '\n';
        continue;
      case Item::Kind::fixed:
      case Item::Kind::exponent:
        v = take(LayoutValue::Kind::real);
        break;
      case Item::Kind::integer:
        v = take(LayoutValue::Kind::integer);
        break;
      case Item::Kind::text:
        v = take(LayoutValue::Kind::text);
        break;
    }
    if (v == nullptr) break;  // values used up: the layout ends at this field

    flush_blanks();
    switch (item.kind) {
      case Item::Kind::fixed: put_fixed(p, v->real, item.w, item.d); break;
      case Item::Kind::exponent: put_exponent(p, v->real, item.w, item.d); break;
      case Item::Kind::integer: put_integer(p, v->integer, item.w); break;
      case Item::Kind::text:
        if (item.w == 0) {
          if (v->text.size() > kPlainTextMax) {
            std::fputs("layout: text too long for a plain A field\n", stderr);
            std::abort();
          }
          std::memcpy(p, v->text.data(), v->text.size());
          p += v->text.size();
          continue;
        }
        put_text(p, v->text, item.w);
        break;
      default: break;
    }
    p += item.w;
  }

  if (value != values.end()) {
    std::fputs("layout: more values than value fields\n", stderr);
    std::abort();
  }
  *p++ = '\n';
  return static_cast<std::size_t>(p - out);
}

std::string Layout::format(std::initializer_list<LayoutValue> values) const {
  std::string s(max_length_, '\0');
  s.resize(render(s.data(), values));
  return s;
}

}  // namespace xas
