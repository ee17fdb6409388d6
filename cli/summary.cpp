#include "cli/summary.h"

#include <cstdio>

#include "cli/pictures.h"
#include "common/error_stream.h"
#include "driver/reduction.h"

namespace xas {

namespace {

// A cell of the summary: no tab or line end may break the table.
std::string cell(std::string text) {
  for (char& c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return text;
}

std::string join(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
  return text;
}

// The message of a reduced file: its notes, then its warnings.
std::vector<std::string> messages(const FileOutcome& o) {
  std::vector<std::string> all = o.notes;
  all.insert(all.end(), o.warnings.begin(), o.warnings.end());
  return all;
}

}  // namespace

void set_report_values(const Reduction& r, FileOutcome* out) {
  out->points = r.data.n;
  out->e0 = r.e0_ev();
  out->slope = r.slope();
  out->jump = r.jump();
  out->ewl = r.ewl_ev();
  out->hwl = r.hwl();
  out->averaged = r.noise.averaged;
  out->noise = r.noise.sxave;
}

std::string summary_header(bool shift) {
  return std::string("file\tstatus\tchannel\tpoints\te0_eV\tslope\tjump\tewl_eV\thwl\tnoise\t") +
         (shift ? "shift_eV\t" : "") + "message";
}

std::string summary_row(const FileOutcome& o, bool shift) {
  std::vector<std::string> cells{cell(o.path)};
  if (o.refused) {
    cells.push_back("refused");
    cells.push_back(cell(o.channel));
    for (int i = 0; i < (shift ? 8 : 7); ++i) cells.emplace_back();
    cells.push_back(cell(o.refusal));
  } else {
    cells.insert(cells.end(), {"ok", cell(o.channel), std::to_string(o.points), report_digits(o.e0),
                               report_digits(o.slope), report_digits(o.jump), report_digits(o.ewl),
                               report_digits(o.hwl), o.averaged ? report_digits(o.noise) : ""});
    if (shift) cells.push_back(o.shifted ? report_digits(o.shift) : "");
    cells.push_back(cell(join(messages(o))));
  }
  std::string row;
  for (const std::string& c : cells) row += (row.empty() ? "" : "\t") + c;
  return row;
}

Progress::Progress(bool shown, int total) : shown_(shown), total_(total), start_(Clock::now()) {}

void Progress::draw(int done, int refused) {
  if (!shown_) return;
  const Clock::time_point now = Clock::now();
  if (done < total_ && drawn_ && now - last_ < std::chrono::milliseconds(100)) return;
  last_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  char line[160];
  std::snprintf(line, sizeof line, "\rxasreduce: %d/%d reduced, %d refused, %.1f s\033[K", done,
                total_, refused, seconds);
  error_text(line);
  drawn_ = true;
}

void Progress::say(const std::string& text) {
  if (drawn_) error_text("\r\033[K");
  error_line(text);
  drawn_ = false;
}

void Progress::end() {
  if (drawn_) error_text("\n");
  drawn_ = false;
}

}  // namespace xas
