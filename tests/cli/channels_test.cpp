// The sample's channel, chosen by the data among those a file's names offer:
// the edge that stands clearly above its noise, transmission before
// fluorescence, a warning where both stand and disagree.
#include "cli/channels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace xas {
namespace {

// An edge at e0 (eV) with a white line above it: the step of a spectrum.
double edge(double e, double e0) {
  const double x = e - e0;
  return 0.5 + std::atan(x / 2.0) / M_PI + 0.3 * std::exp(-(x - 6.0) * (x - 6.0) / 30.0);
}

// A file of energy, I0, I1 and IF: `transmission` and `fluorescence` are the
// edges' jumps (0: none) and their energies; a little noise on every counter.
std::string scan(double transmission, double t_edge, double fluorescence, double f_edge) {
  std::string text = "# energy i0 itrans ifluor\n";
  unsigned seed = 7;
  auto noise = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return ((seed >> 16) & 0x7fff) / 32768.0 - 0.5;
  };
  for (int i = 0; i < 500; ++i) {
    const double e = 8800.0 + 1.2 * i;
    const double i0 = 1.0e6 * (1.0 + 2e-4 * noise());
    const double mu = 0.5 - 1e-5 * (e - 8800.0) + transmission * edge(e, t_edge);
    const double i1 = i0 * std::exp(-mu) * (1.0 + 2e-4 * noise());
    const double f = i0 * (0.01 + fluorescence * edge(e, f_edge)) * (1.0 + 2e-4 * noise());
    char line[160];
    std::snprintf(line, sizeof line, "%.3f %.3f %.3f %.4f\n", e, i0, i1, f);
    text += line;
  }
  return text;
}

TEST(Channels, TheDataChooseTheSamplesChannel) {
  struct Case {
    const char* what;
    std::string text;
    const char* chosen;
    const char* warning;  // the start of the one warning; "" for none
  };
  const Case cases[] = {
      {"an edge in transmission only", scan(1.0, 8980, 0.0, 0), "ln(i0/itrans)", ""},
      {"an edge in fluorescence only", scan(0.0, 0, 0.05, 8980), "ifluor/i0", ""},
      {"the same edge in both", scan(1.0, 8980, 0.05, 8980), "ln(i0/itrans)", ""},
      {"edges apart in the two", scan(1.0, 8980, 0.05, 9000), "ln(i0/itrans)",
       "the channels disagree: ln(i0/itrans) puts the edge at 89"},
      {"a transmission edge no higher than its noise", scan(0.0005, 8980, 0.05, 8980), "ifluor/i0",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DataText text;
    text.path = "scan.dat";
    text.text = c.text;
    std::string why;
    const std::vector<Channel> candidates =
        candidate_channels(text.path, read_head(text.text), 0.0, &why);
    ASSERT_EQ(candidates.size(), 2u) << why;
    EXPECT_EQ(candidates[0].label, "ln(i0/itrans)");
    EXPECT_EQ(candidates[1].label, "ifluor/i0");
    const ChannelChoice choice = choose_channel(candidates, text);
    ASSERT_GE(choice.chosen, 0) << choice.refusal;
    EXPECT_EQ(candidates[static_cast<std::size_t>(choice.chosen)].label, c.chosen);
    if (*c.warning == '\0') {
      EXPECT_TRUE(choice.warnings.empty()) << choice.warnings.front();
    } else {
      ASSERT_EQ(choice.warnings.size(), 1u);
      EXPECT_EQ(choice.warnings[0].rfind(c.warning, 0), 0u) << choice.warnings[0];
    }
  }
}

// What the names offer, and what they cannot.
TEST(Channels, CandidatesOfTheNames) {
  struct Case {
    std::string names;  // the names line over three rows of six numbers
    std::string candidates;  // labels joined with "|", or "refused: ..." (its start)
  };
  const Case cases[] = {
      {"energy i0 itrans irefer mutrans murefer", "mutrans|ln(i0/itrans)"},
      {"energy i0 it if1 if2 if3", "ln(i0/it)|sum(if1..if3)/i0"},
      {"energy i0 sum_fe_ka fe_ka_1 fe_ka_2 ca_ka_1", "sum_fe_ka/i0|ca_ka_1/i0"},
      {"energy i0 i2 irefer murefer time", "refused: no known names of absorption"},
      {"time i0 itrans a b c", "refused: no column is named as the energy"},
      {"angle i0 itrans a b c", "refused: column 1 'angle' holds the monochromator angle"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.names);
    const std::string text = "# " + c.names + "\n1 2 3 4 5 6\n1 2 3 4 5 6\n1 2 3 4 5 6\n";
    std::string why;
    const std::vector<Channel> candidates = candidate_channels("f", read_head(text), 0.0, &why);
    std::string labels;
    for (const Channel& ch : candidates) labels += (labels.empty() ? "" : "|") + ch.label;
    if (c.candidates.rfind("refused: ", 0) == 0)
      EXPECT_EQ(("refused: " + why).rfind(c.candidates, 0), 0u) << why;
    else
      EXPECT_EQ(labels, c.candidates);
  }
}

}  // namespace
}  // namespace xas
