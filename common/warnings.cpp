#include "common/warnings.h"

namespace xas {

std::vector<std::string> Warnings::take() {
  std::vector<std::string> texts;
  for (Held& held : held_) texts.push_back(std::move(held.text));
  held_.clear();
  return texts;
}

std::string Warnings::refusal(std::string_view text) const {
  std::string line(text);
  for (const Held& held : held_)
    if (held.input) line += "; note: " + held.text;
  return line;
}

}  // namespace xas
