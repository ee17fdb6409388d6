// The sample's channel: the ways the columns of a file can give the sample's
// absorption (a column of it, ln(I0/I1), fluorescence over I0), and the
// choice among them by the data, where a file offers more than one.
#pragma once

#include <string>
#include <vector>

#include "cli/formats/head.h"
#include "driver/request.h"
#include "results/data_file.h"

namespace xas {

// One way to read the sample's absorption from a file.
struct Channel {
  Request request;    // how the data reader reads it: columns, mode, lines, angle
  std::string label;  // for the summary: "ln(i0/itrans)", "sum_fe_ka/i0", "mufluor", "col 2"
  std::string words;  // for the log: "ln(I0/I1), I0 column 3 'i0', I1 column 4 'itrans'"
  int kind = 0;       // 0 an absorption column, 1 transmission, 2 fluorescence
};

// The request of a table read as the command line reads it, before its
// columns are chosen: the table's lines and its number of columns.
Request table_request(const std::string& path, const TableHead& head, int ncol);

// The channels a file's column names offer, in order of preference: the
// absorption columns, then ln(I0/I1), then fluorescence over I0 (the
// channels of the header's element first; a named sum before the elements
// of a detector summed, before single ones). A reference channel is never
// one of them. `dspacing` (above 0) is the crystal spacing given for an
// energy written as an angle. Empty, with *why, when the names offer none.
std::vector<Channel> candidate_channels(const std::string& path, const TableHead& head,
                                        double dspacing, std::string* why);

// A channel's edge stands clearly above its noise when its jump is at least
// this many times the average r.m.s. noise of the spectrum.
// Measured on beamline files: transmission through a sample that was
// measured in fluorescence stands at 1 to 27, the channel measured at 120 and
// more, as do samples measured in transmission.
inline constexpr float kEdgeToNoise = 50.0f;
// Two channels whose edges lie within this many eV agree.
inline constexpr float kChannelsAgree = 5.0f;

// The choice among the candidates: each is reduced (all but its transform)
// and the first, in order of preference, whose edge stands clearly above its
// noise is kept (of the fluorescence channels, the one that stands
// highest); when the best of another kind also stands and puts the edge
// elsewhere, a warning names both. When none stands so, the one whose edge stands
// highest is kept with a warning; when none can be reduced at all, the
// refusal of the first, naming its channel.
struct ChannelChoice {
  int chosen = -1;  // index in the candidates; -1: none
  std::vector<std::string> warnings;
  std::string refusal;
};
ChannelChoice choose_channel(const std::vector<Channel>& candidates, const DataText& text);

}  // namespace xas
