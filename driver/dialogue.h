// The driver's own steps of a run: the banner, the check of the loaded
// points, the plot question and the energy unit.
#pragma once

#include <string>

#include "driver/avafile.h"
#include "common/records.h"

namespace xas {

class AnswerSource;
class TextOut;

// The banner: seven lines of 33 characters.
void banner(TextOut& screen);

// Refuses a spectrum the stages cannot work on: no points at all, or values
// that are not finite numbers, or energies that are not positive.
bool check_points(const DataFile& file, const Data& data, std::string* err);

// The plot question: its answer, itop (1: TopDrawer scripts as well).
bool ask_plot(AnswerSource& answers, TextOut& screen, int& itop, std::string* err);

// Brings the energies to keV: a first energy of 80 or more is taken as eV.
void energies_to_kev(Data& data, TextOut& screen);

}  // namespace xas
