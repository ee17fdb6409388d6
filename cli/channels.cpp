#include "cli/channels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "cli/column_roles.h"
#include "common/message_text.h"
#include "common/text_out.h"
#include "common/warnings.h"
#include "driver/avafile.h"
#include "driver/reduction.h"

namespace xas {

namespace {

std::string numbers_text(int n) { return std::to_string(n) + (n == 1 ? " number" : " numbers"); }

// A column as the messages and the log name it: "column 3 'i0'".
std::string column_words(const TableHead& head, int column) {
  std::string text = "column " + std::to_string(column);
  if (static_cast<std::size_t>(column) <= head.names.size() && !head.names[column - 1].empty())
    text += " '" + head.names[column - 1] + "'";
  return text;
}

// A column's name for a label, without a "_c7" column suffix; "col 7" when unnamed.
std::string name_or_column(const TableHead& head, int column) {
  if (!(static_cast<std::size_t>(column) <= head.names.size() && !head.names[column - 1].empty()))
    return "col " + std::to_string(column);
  std::string name = head.names[column - 1];
  std::size_t digits = name.size();
  while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
  if (digits < name.size() && digits >= 2 && (name[digits - 1] == 'c' || name[digits - 1] == 'C') &&
      name[digits - 2] == '_')
    name.erase(digits - 2);
  return name;
}

std::string lowered(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// The roles of the named columns, from 1.
struct Columns {
  std::vector<ColumnRole> roles;  // roles[c - 1]
  int first(Role role) const {
    for (std::size_t i = 0; i < roles.size(); ++i)
      if (roles[i].role == role) return static_cast<int>(i) + 1;
    return 0;
  }
};

Columns roles_of(const TableHead& head) {
  Columns c;
  for (int i = 0; i < head.numbers; ++i) {
    ColumnRole role;
    if (static_cast<std::size_t>(i) < head.names.size()) role = role_of(head.names[i]);
    // Where the file's own header says what a counter measures, that holds.
    if (static_cast<std::size_t>(i) < head.counters.size() && head.counters[i] != '\0') {
      role = ColumnRole();
      role.role = head.counters[i] == 'i'   ? Role::i0
                  : head.counters[i] == 't' ? Role::i1
                                            : Role::fluorescence;
      role.group = "counter";
    }
    c.roles.push_back(role);
  }
  return c;
}

// The energy column: a measured energy before a requested one.
int energy_column(const Columns& c) {
  for (int rank = 0; rank <= 1; ++rank)
    for (std::size_t i = 0; i < c.roles.size(); ++i)
      if (c.roles[i].role == Role::energy && c.roles[i].rank == rank) return static_cast<int>(i) + 1;
  return 0;
}

std::string label_list(const TableHead& head) {
  std::string list;
  for (int i = 0; i < head.numbers; ++i) {
    if (!list.empty()) list += ' ';
    const bool named = static_cast<std::size_t>(i) < head.names.size() && !head.names[i].empty();
    list += named ? head.names[i] : "-";
  }
  return list;
}

const char kHint[] = "give the columns with -c E,MU or -c E,I0,I1 or -f E,IF,I0";

}  // namespace

Request table_request(const std::string& path, const TableHead& head, int ncol) {
  Request r;
  r.path = path;
  r.name = shown_name(path);
  r.rules = command_line_rules();
  r.first_line = head.first_line > 0 ? head.first_line : 1;
  r.last_line = head.last_line;
  r.ncol = ncol > 0 ? ncol : head.numbers;
  r.ncol_said = ncol > 0 ? "the " + numbers_text(ncol) + " of -n " + std::to_string(ncol)
                         : "the " + numbers_text(head.numbers) + " of line " +
                               std::to_string(head.first_line) + ", its first data line";
  return r;
}

std::vector<Channel> candidate_channels(const std::string& path, const TableHead& head,
                                        double dspacing, std::string* why) {
  std::vector<Channel> out;
  if (head.first_line == 0) {
    *why = "no data line: no line outside the header holds numbers only";
    return out;
  }
  const Request base = table_request(path, head, 0);
  if (head.numbers < 3) {  // the dialogue's table of energy and absorption
    Channel ch;
    ch.request = base;
    ch.label = "col 2";
    ch.words = "column 2 of a two-column table";
    out.push_back(ch);
    return out;
  }
  if (head.names.empty()) {
    *why = numbers_text(head.numbers) + " per line and no column names; " + kHint;
    return out;
  }
  const Columns c = roles_of(head);
  Request r = base;
  r.energy = energy_column(c);
  if (r.energy == 0) {
    const int angle = c.first(Role::angle);
    const double spacing = dspacing > 0.0 ? dspacing : head.dspacing;
    if (angle != 0 && !(spacing > 0.0)) {
      *why = column_words(head, angle) +
             " holds the monochromator angle and the header gives no crystal spacing: give it"
             " with --dspacing D (Angstrom)";
      return out;
    }
    if (angle == 0) {
      *why = "no column is named as the energy among its columns: " + label_list(head) + "; " +
             kHint;
      return out;
    }
    r.energy = angle;
    r.dspacing = spacing;
  }
  const std::string energy_text =
      r.dspacing > 0.0 ? " (the energy from the angle of " + column_words(head, r.energy) + ")" : "";

  // The sample's absorption columns.
  for (std::size_t i = 0; i < c.roles.size(); ++i) {
    if (c.roles[i].role != Role::absorption) continue;
    Channel ch;
    ch.request = r;
    ch.request.mode = Mode::absorption;
    ch.request.absorption = static_cast<int>(i) + 1;
    ch.label = name_or_column(head, ch.request.absorption);
    ch.words = "the absorption of " + column_words(head, ch.request.absorption) + energy_text;
    out.push_back(ch);
  }
  // Transmission: the leftmost I0 and I1.
  const int i0 = c.first(Role::i0), i1 = c.first(Role::i1);
  if (i0 != 0 && i1 != 0) {
    Channel ch;
    ch.request = r;
    ch.request.mode = Mode::intensities;
    ch.request.i0 = i0;
    ch.request.i1 = i1;
    ch.label = "ln(" + lowered(name_or_column(head, i0)) + "/" + lowered(name_or_column(head, i1)) + ")";
    ch.words = "ln(I0/I1), I0 " + column_words(head, i0) + ", I1 " + column_words(head, i1) +
               energy_text;
    ch.kind = 1;
    out.push_back(ch);
  }
  // Fluorescence over I0: named sums and single channels one by one, the
  // elements of a detector with no sum of their own summed.
  if (i0 != 0) {
    struct Fluorescence {
      std::vector<int> columns;
      bool sum;
      std::string element;
    };
    std::vector<Fluorescence> found;
    std::map<std::string, std::size_t> groups;  // group -> index in found
    for (std::size_t i = 0; i < c.roles.size(); ++i) {
      const ColumnRole& role = c.roles[i];
      if (role.role != Role::fluorescence) continue;
      const int column = static_cast<int>(i) + 1;
      if (role.rank == 1) {
        const auto at = groups.find(role.group);
        if (at != groups.end()) {
          found[at->second].columns.push_back(column);
          continue;
        }
        groups[role.group] = found.size();
      }
      found.push_back({{column}, role.rank == 0, role.element});
    }
    // A detector's elements are not summed again where the file sums them.
    std::vector<Fluorescence> kept;
    for (const Fluorescence& f : found) {
      bool summed = false;
      if (!f.sum && f.columns.size() > 1 && !f.element.empty())
        for (const Fluorescence& g : found)
          summed = summed || (g.sum && g.element == f.element);
      if (!summed) kept.push_back(f);
    }
    // The header's element first.
    const std::string element = lowered(head.element);
    std::stable_sort(kept.begin(), kept.end(), [&](const Fluorescence& a, const Fluorescence& b) {
      return !element.empty() && a.element == element && b.element != element;
    });
    for (const Fluorescence& f : kept) {
      Channel ch;
      ch.request = r;
      ch.request.mode = Mode::fluorescence;
      ch.request.fluorescence = f.columns.front();
      ch.request.more_fluorescence.assign(f.columns.begin() + 1, f.columns.end());
      ch.request.i0 = i0;
      const std::string name = lowered(name_or_column(head, f.columns.front()));
      if (f.columns.size() == 1) {
        ch.label = name + "/" + lowered(name_or_column(head, i0));
        ch.words = "fluorescence " + column_words(head, f.columns.front()) + " over I0 " +
                   column_words(head, i0) + energy_text;
      } else {
        const std::string last = lowered(name_or_column(head, f.columns.back()));
        ch.label = (last == name ? "sum(" + std::to_string(f.columns.size()) + " " + name + ")"
                                 : "sum(" + name + ".." + last + ")") +
                   "/" + lowered(name_or_column(head, i0));
        ch.words = "fluorescence summed over the " + std::to_string(f.columns.size()) +
                   " columns " + std::to_string(f.columns.front()) + " ('" +
                   name_or_column(head, f.columns.front()) + "') to " +
                   std::to_string(f.columns.back()) + " ('" +
                   name_or_column(head, f.columns.back()) + "'), over I0 " +
                   column_words(head, i0) + energy_text;
      }
      ch.kind = 2;
      out.push_back(ch);
    }
  }
  if (out.empty())
    *why = "no known names of absorption, I0 with I1, or fluorescence with I0 among its columns: " +
           label_list(head) + "; " + kHint;
  for (Channel& ch : out) ch.request.channel = ch.label;
  return out;
}

namespace {

struct Score {
  bool reduced = false;
  std::string refusal;
  float e0 = 0, jump = 0, noise = 0, ratio = 0;
};

// A channel reduced but for its transform: where its edge lies and how
// clearly it stands above the noise.
Score score(const Channel& ch, const DataText& text) {
  Score s;
  Reduction r;
  TextOut screen;  // not shown
  Warnings warnings;
  std::string err;
  ReductionSettings settings;
  settings.threads = 1;
  settings.transform = false;
  if (!load_table(ch.request, text, screen, warnings, r.data, &err) ||
      !check_points(r.data, quote(ch.request.path), &err) || !reduce(settings, r, &err)) {
    s.refusal = err;
    return s;
  }
  s.reduced = true;
  s.e0 = r.e0_ev();
  s.jump = r.jump();
  s.noise = r.noise.averaged ? r.noise.sxave
                             : (r.noise.ranges.empty() ? 0.0f : r.noise.ranges.front().rms);
  s.ratio = s.noise > 0.0f ? s.jump / s.noise : INFINITY;
  return s;
}

std::string figure(float value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3g", static_cast<double>(value));
  return buf;
}

}  // namespace

ChannelChoice choose_channel(const std::vector<Channel>& candidates, const DataText& text) {
  ChannelChoice choice;
  if (candidates.size() == 1) {
    choice.chosen = 0;
    return choice;
  }
  std::vector<Score> scores;
  for (const Channel& ch : candidates) scores.push_back(score(ch, text));
  auto stands = [&](std::size_t i) { return scores[i].reduced && scores[i].ratio >= kEdgeToNoise; };
  for (std::size_t i = 0; i < candidates.size() && choice.chosen < 0; ++i) {
    if (!stands(i)) continue;
    // Fluorescence channels are many, alike and in no order of merit: the
    // one whose edge stands highest.
    std::size_t best = i;
    if (candidates[i].kind == 2)
      for (std::size_t j = i + 1; j < candidates.size(); ++j)
        if (stands(j) && scores[j].ratio > scores[best].ratio) best = j;
    choice.chosen = static_cast<int>(best);
  }
  if (choice.chosen >= 0) {
    const std::size_t c = static_cast<std::size_t>(choice.chosen);
    // The best of the other kinds that stand: does it put the edge elsewhere?
    std::size_t other = candidates.size();
    for (std::size_t j = 0; j < candidates.size(); ++j)
      if (stands(j) && candidates[j].kind != candidates[c].kind &&
          (other == candidates.size() || scores[j].ratio > scores[other].ratio))
        other = j;
    for (std::size_t j = other; j < candidates.size(); j = candidates.size()) {
      if (std::fabs(scores[j].e0 - scores[c].e0) <= kChannelsAgree) continue;
      char at_c[32], at_j[32];
      std::snprintf(at_c, sizeof at_c, "%.1f eV", static_cast<double>(scores[c].e0));
      std::snprintf(at_j, sizeof at_j, "%.1f eV", static_cast<double>(scores[j].e0));
      choice.warnings.push_back("the channels disagree: " + candidates[c].label +
                                " puts the edge at " + at_c + ", " + candidates[j].label + " at " +
                                at_j + "; " + candidates[c].label +
                                " is reduced (choose the other with -c or -f)");
      break;
    }
    return choice;
  }
  // No edge stands clearly above its noise: the highest of those reduced.
  for (std::size_t i = 0; i < candidates.size(); ++i)
    if (scores[i].reduced &&
        (choice.chosen < 0 || scores[i].ratio > scores[static_cast<std::size_t>(choice.chosen)].ratio))
      choice.chosen = static_cast<int>(i);
  if (choice.chosen >= 0) {
    const std::size_t c = static_cast<std::size_t>(choice.chosen);
    choice.warnings.push_back("no channel shows an edge clearly above its noise: " +
                              candidates[c].label + " is reduced, its edge jump " +
                              figure(scores[c].jump) + " only " + figure(scores[c].ratio) +
                              " times its noise " + figure(scores[c].noise));
    return choice;
  }
  choice.refusal = "no channel can be reduced:";
  for (std::size_t i = 0; i < candidates.size(); ++i)
    choice.refusal += (i == 0 ? " " : "; ") + candidates[i].label + ": " + scores[i].refusal;
  return choice;
}

}  // namespace xas
