// The page of a series (--report): one self-contained HTML file with the
// summary table (sortable by any column, refused and warned rows marked,
// each message in full), the picture of the series and the picture of each
// spectrum, the pictures inside the page as SVG images: no network, no
// server, one file to copy.
#pragma once

#include <string>
#include <vector>

#include "cli/summary.h"

namespace xas {

struct ReportRow {
  FileOutcome outcome;
  std::string svg;  // the spectrum's picture ("": none)
};

struct Report {
  std::string title;
  bool shift = false;           // the summary has the shift_eV column
  std::vector<ReportRow> rows;  // in the order of the files, the merge last
  std::string series_svg;       // "": none
  std::string note;             // why pictures are missing, when they are
};

// The page's text.
std::string report_page(const Report& report);

}  // namespace xas
