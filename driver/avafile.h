// The data reader: the dialogue's questions about the data file and its
// columns, the opening of the file (read once, whole), and the loading of
// its table into `data` (energies in eV).
#pragma once

#include <string>
#include <vector>

#include "common/records.h"
#include "driver/request.h"
#include "results/data_file.h"

namespace xas {

class AnswerSource;
class TextOut;
class Warnings;

// The questions of the file name and the columns, each with its echo: fills
// the request's path, name, ncol, mode and columns. Fails on a missing or
// malformed answer, a name the dialogue cannot hold, and columns the table
// has no room for.
bool ask_data_file(AnswerSource& answers, const ReadingRules& rules, TextOut& screen,
                   Request* request, std::string* err);

// The same screen lines for a request given beforehand, as the dialogue
// would show them had it been answered so.
void show_data_file(const Request& request, TextOut& screen);

// How opening the data file ended.
enum class Opened {
  read,         // the text is read
  cannot_open,  // neither the file nor (in the dialogue) the fallback opens
  refused,      // it is no data file, or reading it failed
};

// Reads the request's file whole. Where the rules allow it, a file that
// cannot be opened leads to the fallback file "fort.30", with a notice on the
// screen and a warning; the request's path and name then name it. Fails with
// "Cannot open file '<name>': <reason>" when nothing can be opened.
Opened open_data_file(Request* request, int answers_fd, TextOut& screen, Warnings& warnings,
                      DataText* text, std::string* err);

// Loads the table from the file's text as the request reads it: the file-name
// line, the keV notice, one point per line that yields all its numbers, the
// count line. Fails, naming the line, where a line cut at the dialogue's
// width would change the numbers read, and when no line holds the numbers
// asked for; warns of lines holding more numbers than read and of points
// beyond the dialogue's limit.
bool load_table(const Request& request, const DataText& text, TextOut& screen,
                Warnings& warnings, Data& data, std::string* err);

// Loads a table given as numbers (the library's arrays, one point for each
// pair) as load_table loads one read from a file: the same screen lines, the
// same keV rule.
void load_points(const Request& request, const std::vector<float>& energy,
                 const std::vector<float>& absorption, TextOut& screen, Data& data);

// avafile: the dialogue's questions, the opening and the loading in turn.
// *opened tells how the opening ended (Opened::read past it).
bool avafile(AnswerSource& answers, const ReadingRules& rules, int answers_fd, TextOut& screen,
             Warnings& warnings, Request* request, DataText* text, Data& data, Opened* opened,
             std::string* err);

// The keV rule of the reader: every energy below 200 is taken as keV and
// brought to eV; the notice " ENERGY is in keV!" when the first one is.
void energies_to_ev(Data& data, TextOut& screen);

}  // namespace xas
