#include "output/xdi_files.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "common/text_out.h"
#include "common/version.h"

namespace xas {

namespace {

// The shortest text that reads back to the same float; "nan" for NaN.
std::string number(float v) {
  if (std::isnan(v)) return "nan";
  char buf[32];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : "nan";
}

std::string number(double v) {
  char buf[32];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : "nan";
}

// A header value on one line: control characters would end or break it.
std::string one_line(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return text;
}

struct Column {
  std::string label;  // one word
  std::string unit;   // "" for none
};

// The version line, the columns, the fields common to the three files and
// those given, the end of the header and the label line.
void write_head(const XdiHead& head, const XdiRecords& r, const std::vector<Column>& columns,
                const std::vector<std::pair<std::string, std::string>>& fields, TextOut& out) {
  out.line(std::string("# XDI/1.0 xasreduce/") + kVersion);
  for (std::size_t i = 0; i < columns.size(); ++i)
    out.line("# Column." + std::to_string(i + 1) + ": " + columns[i].label +
             (columns[i].unit.empty() ? "" : " " + columns[i].unit));
  if (!head.element.empty()) out.line("# Element.symbol: " + one_line(head.element));
  if (!head.edge.empty()) out.line("# Element.edge: " + one_line(head.edge));
  if (head.dspacing > 0.0) out.line("# Mono.d_spacing: " + number(head.dspacing));
  const float ajump = r.background.ajump;
  out.line("# Scan.edge_energy: " + number(r.edge.e0 * 1000.0f) + " eV");
  if (!head.source.empty()) out.line("# xasreduce.source: " + one_line(head.source));
  if (!head.channel.empty()) out.line("# xasreduce.channel: " + one_line(head.channel));
  out.line("# xasreduce.slope: " + number(r.edge.slp / ajump));
  out.line("# xasreduce.jump: " + number(ajump));
  out.line("# xasreduce.ewl: " + number(r.edge.ewl * 1000.0f) + " eV");
  out.line("# xasreduce.hwl: " + number(r.edge.wl / ajump));
  if (r.noise.averaged) out.line("# xasreduce.noise: " + number(r.noise.sxave));
  for (const auto& [name, value] : fields) out.line("# xasreduce." + name + ": " + value);
  out.line("# ///");
  out.line("#-----");
  std::string labels = "#";
  for (const Column& c : columns) labels += " " + c.label;
  out.line(labels);
}

// The fields of the transform: its k window, taper and weight.
std::vector<std::pair<std::string, std::string>> transform_fields(const TransformParams& p) {
  return {{"kmin", number(p.akmin) + " 1/Angstrom"},
          {"kmax", number(p.akmax) + " 1/Angstrom"},
          {"dk", number(p.dk) + " 1/Angstrom"},
          {"kweight", number(p.wh)}};
}

// One row: the first value from the line's start (a reader of the format
// in use overruns its line buffer on many lines that start with blanks), the
// next ones right-aligned in 15 characters, so that the columns line up and
// at least one blank parts them.
void row(std::initializer_list<float> values, TextOut& out) {
  std::string line;
  for (float v : values) {
    const std::string text = number(v);
    if (line.empty()) {
      line = text;
      line.resize(std::max<std::size_t>(text.size(), 14), ' ');
      continue;
    }
    line.append(text.size() < 15 ? 15 - text.size() : 1, ' ');
    line += text;
  }
  out.line(line);
}

}  // namespace

void write_norm_xdi(const XdiHead& head, const XdiRecords& r, TextOut& out) {
  const std::string mu = head.technique == 't' ? "mutrans" : head.technique == 'f' ? "mufluor" : "mu";
  const std::string norm =
      head.technique == 't' ? "normtrans" : head.technique == 'f' ? "normfluor" : "norm";
  write_head(head, r,
             {{"energy", "eV"}, {mu, ""}, {norm, ""}, {"bkg", ""}, {"dmude", "1/keV"}}, {}, out);
  const Curves& c = r.curves;
  for (int i = 1; i <= r.data.n; ++i) {
    const std::size_t j = static_cast<std::size_t>(i - 1);
    row({c.energy[j], r.data.absorption(i), c.normalised[j], c.background[j], r.deriv.slope(i)},
        out);
  }
}

void write_chi_xdi(const XdiHead& head, const XdiRecords& r, TextOut& out) {
  write_head(head, r, {{"k", "1/Angstrom"}, {"chi", ""}, {"chik2", "1/Angstrom^2"}, {"window", ""}},
             transform_fields(r.params), out);
  const Curves& c = r.curves;
  for (std::size_t j = 0; j < c.k.size(); ++j) row({c.k[j], c.chi[j], c.chi_k2[j], c.window[j]}, out);
}

void write_ft_xdi(const XdiHead& head, const XdiRecords& r, TextOut& out) {
  write_head(head, r, {{"r", "Angstrom"}, {"chir_mag", ""}}, transform_fields(r.params), out);
  for (int m = 1; m <= r.fourie.n; ++m) row({r.fourie.r(m), r.fourie.ft_mod(m)}, out);
}

}  // namespace xas
