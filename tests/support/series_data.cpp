#include "support/series_data.h"

#include <cstdio>

#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas::test {

std::vector<std::pair<double, double>> copper_points() {
  std::vector<std::pair<double, double>> points;
  for (const std::string& line : split_lines(read_file(example("cu_foil.dat")))) {
    if (line.empty() || line[0] == '#') continue;
    double e = 0, a = 0;
    if (std::sscanf(line.c_str(), "%lf %lf", &e, &a) == 2) points.push_back({e, a});
  }
  return points;
}

std::vector<SummaryRow> summary_rows(const std::string& table) {
  auto cells = [](const std::string& line) {
    std::vector<std::string> out;
    std::size_t at = 0;
    for (;;) {
      const std::size_t tab = line.find('\t', at);
      out.push_back(line.substr(at, tab == std::string::npos ? tab : tab - at));
      if (tab == std::string::npos) return out;
      at = tab + 1;
    }
  };
  const std::vector<std::string> lines = split_lines(table);
  std::vector<SummaryRow> rows;
  if (lines.empty()) return rows;
  const std::vector<std::string> names = cells(lines[0]);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> values = cells(lines[i]);
    SummaryRow row;
    for (std::size_t c = 0; c < names.size() && c < values.size(); ++c) row[names[c]] = values[c];
    rows.push_back(row);
  }
  return rows;
}

double number(const SummaryRow& row, const std::string& column) {
  const auto at = row.find(column);
  return at == row.end() || at->second.empty() ? NAN : std::stod(at->second);
}

}  // namespace xas::test
