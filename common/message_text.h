// Pieces of the messages a run writes to the error stream: names in quotes
// and energies as a user reads them.
#pragma once

#include <string>
#include <string_view>

namespace xas {

// The text in single quotes: 'cu.dat'.
std::string quote(std::string_view text);

// An energy held in keV, written in eV with one decimal: "8981.1 eV".
std::string ev(float kev);

// Two energies held in keV, as a range in eV: "8974.0-8977.0 eV".
std::string ev_range(float from_kev, float to_kev);

}  // namespace xas
