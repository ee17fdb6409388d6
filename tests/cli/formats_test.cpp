// The heads of the formats beamlines write, a few lines of each, and what
// the readers take from them: where the table starts, its width, the names
// of its columns, and the rest their headers tell.
#include "cli/formats/head.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/column_roles.h"

namespace xas {
namespace {

std::string joined(const std::vector<std::string>& names) {
  std::string s;
  for (const std::string& n : names) s += (s.empty() ? "" : "|") + (n.empty() ? "-" : n);
  return s;
}

TEST(Formats, EachFamilyGivesItsTableAndNames) {
  struct Case {
    const char* family;
    std::string text;
    const char* format;
    long first_line;
    int numbers;
    const char* names;  // joined with "|"
  };
  const std::string rows3 = "8000 1 2\n8001 1 2\n8002 1 2\n";
  const Case cases[] = {
      {"XDI", "# XDI/1.0\n# Column.1: energy eV\n# Column.3: itrans\n# Column.2: i0\n# ///\n"
              "#----\n" + rows3,
       "XDI", 7, 3, "energy|i0|itrans"},
      {"spec, names two blanks apart", "#S 1 ascan\n#N 3\n#L Mono Energy  I0  Ion 1\n" + rows3,
       "spec", 4, 3, "Mono Energy|I0|Ion 1"},
      {"Epics scan", "; Epics Scan 1 dimensional scan\n; P1 = {Energy} --> pv\n; D1 = {I0}  --> pv\n"
                     "; D2 = {I1}  --> pv\n;---------\n;  P1 D1 D2\n" + rows3,
       "Epics scan", 7, 3, "Energy|I0|I1"},
      {"CLS", "# CLS Data Acquisition\n#(1)\t\"Event-ID\"\t\"Energy\"\t\"Detector1\"\n"
              "1, 8000, 5\n1, 8001, 6\n1, 8002, 7\n",
       "CLS", 3, 3, "Event-ID|Energy|Detector1"},
      {"SSRL: names one a line, header rows of numbers",
       "SSRL   EXAFS Data Collector 1.3\nPTS:  3 COLS:  3\n\nWeights:\n 1.0 1.0 1.0\nOffsets:\n"
       " 0 5.5 3.2\nData:\nAchieved Energy\nI0\nI1\n\n" + rows3,
       "SSRL", 13, 3, "Achieved Energy|I0|I1"},
      {"numbered names, two a line", "#  1) Mono Energy *  3) I1\n#  2) I0\n# Column Headings:\n"
                                     "#Mono Energy *        I0                   I1\n" + rows3,
       "numbered names", 5, 3, "Mono Energy|I0|I1"},
      {"fixed-width names", "# Column Headings:\n#Mono Energy *        Scaler preset time * I0\n"
                            + rows3,
       "fixed-width names", 3, 3, "Mono Energy|Scaler preset time|I0"},
      {"names with blanks, two or more apart", "free text\n3000 x 806\n  Mono Energy   I0   It\n" + rows3,
       "table", 4, 3, "Mono Energy|I0|It"},
      {"numbered names on one line", "#C 1_Energy (keV) 2_i0 3_i1\n" + rows3, "table", 2, 3,
       "Energy (keV)|i0|i1"},
      {"no names", rows3, "table", 1, 3, ""},
      {"a short table of scan regions before the data",
       "# regions\n1 100 2 4\n2 200 3 4\n# E I0 I1\n" + rows3 + rows3, "table", 5, 3, "E|I0|I1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.family);
    const TableHead head = read_head(c.text);
    EXPECT_EQ(head.not_a_spectrum, "");
    EXPECT_EQ(head.format, c.format);
    EXPECT_EQ(head.first_line, c.first_line);
    EXPECT_EQ(head.numbers, c.numbers);
    EXPECT_EQ(joined(head.names), c.names);
  }
}

TEST(Formats, AngleFileGivesItsSpacingAndCounterModes) {
  const std::string kek =
      "  9809     KEK-PF   BL12C\n"
      " Mono :   SI(111)       D=  3.13551 A    Initial angle=  9.25969 deg\n"
      " Block      Init-Eng  final-Eng      Step/eV     Time/s       Num\n"
      "     1       12049.00  12150.00         6.00       1.00        17\n"
      "     2       12150.00  12320.00          .35       1.00       486\n"
      "  Angle(c)  Angle(o)    time/s         2         3\n"
      "      Mode         0         0         1         2\n"
      "    Offset         0         0   826.150   652.975\n"
      "   9.44433   9.44420      1.00    252916    592687\n"
      "   9.43958   9.43960      1.00    256349    604260\n";
  const TableHead head = read_head(kek);
  EXPECT_EQ(head.format, "KEK-PF");
  EXPECT_EQ(head.first_line, 9);
  EXPECT_EQ(head.numbers, 5);
  EXPECT_DOUBLE_EQ(head.dspacing, 3.13551);
  EXPECT_EQ(joined(head.names), "Angle(c)|Angle(o)|time/s|2|3");
  EXPECT_EQ(head.counters, std::string("\0\0\0it", 5));
}

TEST(Formats, WhatIsNoSpectrumIsSaidSo) {
  struct Case {
    std::string text;
    const char* says;
  };
  const Case cases[] = {
      {"# k chi\n0.0 0.1\n0.05 0.2\n0.1 0.3\n", "holds chi(k), not an absorption spectrum"},
      {std::string("\x1f\x8b\x08\x00rest", 8), "is compressed (gzip)"},
      {std::string("8000 1\n\0\0\0", 10), "is not a text file"},
      {"# Athena project file -- version 0.9\n$old_group = 'a';\n", "is a project file"},
      {"TITLE Cu\nPOTENTIALS\n 0 29 Cu\nATOMS\n 0.0 0.0 0.0 0\n",
       "is the input of a scattering calculation"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    EXPECT_EQ(read_head(c.text).not_a_spectrum.rfind(c.says, 0), 0u)
        << read_head(c.text).not_a_spectrum;
  }
}

TEST(ColumnRoles, BeamlineSpellings) {
  struct Case {
    const char* name;
    Role role;
    const char* group;  // fluorescence: what its channels are summed by
  };
  const Case cases[] = {
      {"Mono Energy *", Role::energy, ""},   {"ZapEnergy", Role::energy, ""},
      {"eBraggEnergy", Role::energy, ""},    {"Energy_c1", Role::energy, ""},
      {"Energy (keV)", Role::energy, ""},    {"Angle(o)", Role::angle, ""},
      {"Mon", Role::i0, ""},                 {"I0_KEITHLEY1_c4", Role::i0, ""},
      {"I0_EH1", Role::i0, ""},              {"PreKB-I0", Role::i0, ""},
      {"Ion1", Role::i1, ""},                {"It-32", Role::i1, ""},
      {"irefer", Role::reference_i, ""},     {"IR_EH2", Role::reference_i, ""},
      {"mu_ref", Role::reference, ""},       {"murefer", Role::reference, ""},
      {"mutrans", Role::absorption, ""},     {"xmu(trans)", Role::absorption, ""},
      {"norm", Role::normalised, ""},        {"iff", Role::fluorescence, "iff"},
      {"Ifch1", Role::fluorescence, "ifch"}, {"sum_fe_ka", Role::fluorescence, "fe ka"},
      {"AsKa_Sum", Role::fluorescence, "as ka"}, {"Fe_Ka_mca3", Role::fluorescence, "fe ka"},
      {"ROI2", Role::fluorescence, "roi"},   {"Lytle", Role::fluorescence, "lytle"},
      {"OutputCounts_mca1", Role::none, ""}, {"DTFactor_mca1", Role::none, ""},
      {"Ifslow2", Role::none, ""},           {"Real time clock", Role::time, ""},
      {"Requested Energy", Role::energy, ""},
  };
  for (const Case& c : cases) {
    const ColumnRole role = role_of(c.name);
    EXPECT_EQ(role.role, c.role) << c.name;
    if (c.role == Role::fluorescence) {
      EXPECT_EQ(role.group, c.group) << c.name;
    }
  }
  // A measured energy before a requested one.
  EXPECT_EQ(role_of("Achieved Energy").rank, 0);
  EXPECT_EQ(role_of("Requested Energy").rank, 1);
}

}  // namespace
}  // namespace xas
