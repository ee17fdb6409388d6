// The warnings of one run: results that are computed but worth a second
// look. They are held until the run is known to stand, then given in their
// order (on the error stream, and in the command line's summary); a run
// refused before that gives its refusal alone, as one line. Warnings about
// how the input was read may explain a refusal and are added to it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xas {

class Warnings {
 public:
  // A warning about a result; `input`: about how the input was read.
  void add(std::string text, bool input = false) { held_.push_back({std::move(text), input}); }
  // The held warnings, in their order, and no more.
  std::vector<std::string> take();
  // A refusal, with the held input warnings that may explain it.
  std::string refusal(std::string_view text) const;

 private:
  struct Held {
    std::string text;
    bool input;
  };
  std::vector<Held> held_;
};

}  // namespace xas
