// The readers of the formats beamlines write, one a format, behind one
// interface: given the file's lines and where its table stands, a reader
// that recognises the file fills the names of the columns and whatever else
// its header tells, and says so.
#pragma once

#include <string_view>
#include <vector>

#include "cli/formats/head.h"

namespace xas::formats {

// The file's lines and its table: the run of lines that hold nothing but
// numbers, as many on each, that the head has found.
struct Table {
  std::vector<std::string_view> lines;  // lines[0] is line 1
  long first = 0;                       // the table's first line (from 1); 0: none
  int numbers = 0;
};

// A reader: true when it recognises the file, with the head filled.
using Reader = bool (*)(const Table& table, TableHead* head);

bool read_xdi(const Table& table, TableHead* head);       // XDI: "# Column.N: name units"
bool read_spec(const Table& table, TableHead* head);      // spec files: "#S" scans, "#L" names
bool read_epics(const Table& table, TableHead* head);     // Epics scans: "; D1 = {I0}" and a label line
bool read_cls(const Table& table, TableHead* head);       // CLS: quoted names on "#(1)" lines
bool read_kek(const Table& table, TableHead* head);       // KEK-PF: angles, "D=", counter modes
bool read_ssrl(const Table& table, TableHead* head);      // SSRL: names one a line after "Data:"
bool read_numbered(const Table& table, TableHead* head);  // a list of "N) name" items
bool read_fixed_width(const Table& table, TableHead* head);  // names under "Column Headings:"
bool read_plain(const Table& table, TableHead* head);     // the last line of names before the table

// Splits a line of names into as many names as the table has columns, the
// way that fits: "1_a 2_b" or "1) a 2) b" numbering, names apart by tabs or
// two or more blanks, or by single blanks. Empty when none fits.
std::vector<std::string> split_names(std::string_view text, int numbers);

}  // namespace xas::formats
