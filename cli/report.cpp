#include "cli/report.h"

#include <cstdint>

#include "common/version.h"

namespace xas {

namespace {

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string base64(const std::string& data) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((data.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < data.size(); i += 3) {
    const std::uint32_t v = (static_cast<unsigned char>(data[i]) << 16) |
                            (static_cast<unsigned char>(data[i + 1]) << 8) |
                            static_cast<unsigned char>(data[i + 2]);
    out += kDigits[v >> 18];
    out += kDigits[(v >> 12) & 63];
    out += kDigits[(v >> 6) & 63];
    out += kDigits[v & 63];
  }
  if (i < data.size()) {
    const bool two = i + 1 < data.size();
    const std::uint32_t v = (static_cast<unsigned char>(data[i]) << 16) |
                            (two ? static_cast<unsigned char>(data[i + 1]) << 8 : 0);
    out += kDigits[v >> 18];
    out += kDigits[(v >> 12) & 63];
    out += two ? kDigits[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

// A picture inside the page: the SVG as a data URI, a document of its own,
// so that the names inside one picture never meet another's.
std::string image(const std::string& svg, const std::string& alt) {
  return "<img alt=\"" + escaped(alt) + "\" src=\"data:image/svg+xml;base64," + base64(svg) +
         "\">";
}

std::vector<std::string> cells_of(const std::string& row) {
  std::vector<std::string> cells;
  std::size_t at = 0;
  for (;;) {
    const std::size_t tab = row.find('\t', at);
    cells.push_back(row.substr(at, tab == std::string::npos ? tab : tab - at));
    if (tab == std::string::npos) return cells;
    at = tab + 1;
  }
}

const char kStyle[] = R"(
body { font-family: "DejaVu Sans", Arial, sans-serif; margin: 1.5em; color: #222; }
h1 { font-size: 1.4em; } h2 { font-size: 1.15em; margin-top: 2em; }
table { border-collapse: collapse; font-size: 0.85em; }
th, td { border: 1px solid #ccc; padding: 0.25em 0.5em; text-align: right; vertical-align: top; }
th { background: #eef; cursor: pointer; user-select: none; position: sticky; top: 0; }
th.sorted-up::after { content: " \25B2"; } th.sorted-down::after { content: " \25BC"; }
td.text, th.text { text-align: left; }
td.message { text-align: left; white-space: pre-wrap; max-width: 45em; overflow-wrap: anywhere; }
tr.refused td { background: #fde0e0; } tr.warned td { background: #fff3d6; }
td.status { font-weight: bold; }
img { max-width: 100%; border: 1px solid #ddd; }
figure { margin: 1em 0 2em 0; } figcaption { font-weight: bold; margin-bottom: 0.3em; }
p.note { color: #a33; }
)";

// Sorts the table by the column clicked, numbers as numbers (empty cells
// last), again the other way round; the rows are counted into the body's
// data-rows once the page is ready.
const char kScript[] = R"(
(function () {
  var table = document.getElementById("summary");
  var body = table.tBodies[0];
  var heads = table.tHead.rows[0].cells;
  function key(row, column, numeric) {
    var text = row.cells[column].getAttribute("data-key") || row.cells[column].textContent;
    if (!numeric) return text.toLowerCase();
    var value = parseFloat(text);
    return isNaN(value) ? null : value;
  }
  Array.prototype.forEach.call(heads, function (head, column) {
    head.addEventListener("click", function () {
      var numeric = head.getAttribute("data-type") === "number";
      var up = !head.classList.contains("sorted-up");
      Array.prototype.forEach.call(heads, function (h) {
        h.classList.remove("sorted-up", "sorted-down");
      });
      head.classList.add(up ? "sorted-up" : "sorted-down");
      var rows = Array.prototype.slice.call(body.rows);
      rows.sort(function (a, b) {
        var x = key(a, column, numeric), y = key(b, column, numeric);
        if (x === y) return 0;
        if (x === null) return 1;
        if (y === null) return -1;
        return (x < y ? -1 : 1) * (up ? 1 : -1);
      });
      rows.forEach(function (row) { body.appendChild(row); });
    });
  });
  document.body.setAttribute("data-rows", String(body.rows.length));
})();
)";

}  // namespace

std::string report_page(const Report& report) {
  int refused = 0, warned = 0;
  for (const ReportRow& row : report.rows) {
    if (row.outcome.refused) ++refused;
    else if (!row.outcome.warnings.empty()) ++warned;
  }
  std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  page += "<title>" + escaped(report.title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n";
  page += "<body>\n<h1>" + escaped(report.title) + "</h1>\n";
  page += "<p>" + std::to_string(report.rows.size()) + " rows: " +
          std::to_string(report.rows.size() - refused - warned) + " reduced, " +
          std::to_string(warned) + " with warnings, " + std::to_string(refused) +
          " refused. Made by xasreduce " + kVersion +
          ". Click a column's head to sort the rows by it.</p>\n";
  if (!report.note.empty()) page += "<p class=\"note\">" + escaped(report.note) + "</p>\n";

  // The summary: the command line's cells, the message in full.
  const std::vector<std::string> names = cells_of(summary_header(report.shift));
  page += "<table id=\"summary\">\n<thead><tr><th data-type=\"number\">#</th>";
  for (const std::string& name : names) {
    const bool text = name == "file" || name == "status" || name == "channel" || name == "message";
    page += std::string("<th") + (text ? " class=\"text\"" : " data-type=\"number\"") + ">" +
            escaped(name) + "</th>";
  }
  page += "</tr></thead>\n<tbody>\n";
  for (std::size_t i = 0; i < report.rows.size(); ++i) {
    const FileOutcome& o = report.rows[i].outcome;
    const std::string status = o.refused ? "refused" : o.warnings.empty() ? "ok" : "warned";
    const std::vector<std::string> cells = cells_of(summary_row(o, report.shift));
    page += "<tr class=\"" + status + "\"><td>" + std::to_string(i + 1) + "</td>";
    for (std::size_t c = 0; c < cells.size() && c < names.size(); ++c) {
      const std::string& name = names[c];
      if (name == "message") {
        std::string text;
        auto add = [&](const std::string& line) { text += (text.empty() ? "" : "\n") + line; };
        if (o.refused) add(o.refusal);
        for (const std::string& note : o.notes) add(note);
        for (const std::string& warning : o.warnings) add("warning: " + warning);
        page += "<td class=\"message\">" + escaped(text) + "</td>";
      } else if (name == "file") {
        const std::string link = report.rows[i].svg.empty()
                                     ? escaped(cells[c])
                                     : "<a href=\"#spectrum-" + std::to_string(i + 1) + "\">" +
                                           escaped(cells[c]) + "</a>";
        page += "<td class=\"text\" data-key=\"" + escaped(cells[c]) + "\">" + link + "</td>";
      } else if (name == "status") {
        page += "<td class=\"text status\">" + status + "</td>";
      } else {
        page += std::string("<td") + (name == "channel" ? " class=\"text\"" : "") + ">" +
                escaped(cells[c]) + "</td>";
      }
    }
    page += "</tr>\n";
  }
  page += "</tbody>\n</table>\n";

  if (!report.series_svg.empty())
    page += "<h2>The series</h2>\n" + image(report.series_svg, "the series") + "\n";
  bool any = false;
  for (const ReportRow& row : report.rows) any = any || !row.svg.empty();
  if (any) page += "<h2>Each spectrum</h2>\n";
  for (std::size_t i = 0; i < report.rows.size(); ++i) {
    const ReportRow& row = report.rows[i];
    if (row.svg.empty()) continue;
    const std::string caption = std::to_string(i + 1) + " " + row.outcome.path;
    page += "<figure id=\"spectrum-" + std::to_string(i + 1) + "\"><figcaption>" +
            escaped(caption) + "</figcaption>" + image(row.svg, caption) + "</figure>\n";
  }
  page += "<script>" + std::string(kScript) + "</script>\n</body>\n</html>\n";
  return page;
}

}  // namespace xas
