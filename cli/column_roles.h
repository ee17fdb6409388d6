// What a column's name says it holds, by a table of the names beamlines
// give their columns: the energy (or the monochromator angle), the counting
// time, the incident intensity I0, the transmitted intensity I1, a
// fluorescence channel, an absorption already formed, and the reference
// channels (a foil measured behind the sample), which are never the sample.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xas {

enum class Role {
  none,
  energy,
  angle,         // the monochromator angle, in degrees
  time,          // the counting time
  i0,            // incident intensity
  i1,            // transmitted intensity
  reference_i,   // an intensity behind the reference foil (I2, Iref)
  fluorescence,  // a fluorescence (or electron yield) channel
  absorption,    // the sample's absorption
  reference,     // the reference's absorption
  normalised,    // an absorption already normalised: not measured data
};

struct ColumnRole {
  Role role = Role::none;
  // energy: 0 a measured energy, 1 a requested one; fluorescence: 0 a sum
  // over a detector's elements, 1 one element of a detector.
  int rank = 0;
  // fluorescence: the detector or line whose elements are summed
  // ("fe ka", "ifch"); the element of the line when it is named ("fe").
  std::string group;
  std::string element;
};

// The role of a column named `name`, letter case aside, with a "_cN" column
// suffix, units in parentheses or brackets and a trailing "*" set aside.
ColumnRole role_of(std::string_view name);

// The names the table knows, by role, for --help and the manual.
struct KnownNames {
  const char* what;
  const char* names;
};
const std::vector<KnownNames>& known_column_names();

}  // namespace xas
