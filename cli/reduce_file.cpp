#include "cli/reduce_file.h"

#include "cli/channels.h"
#include "cli/formats/head.h"
#include "common/message_text.h"
#include "common/text_out.h"
#include "driver/avafile.h"
#include "driver/dialogue.h"
#include "driver/reduction.h"
#include "results/data_file.h"

namespace xas {

std::vector<std::string> LoadedFile::read_warnings() {
  std::vector<std::string> all = choice_warnings;
  for (std::string& warning : input.take()) all.push_back(std::move(warning));
  return all;
}

std::vector<std::string> LoadedFile::warnings(const Reduction& reduction) {
  std::vector<std::string> all = read_warnings();
  all.insert(all.end(), reduction.warnings.begin(), reduction.warnings.end());
  return all;
}

XdiHead xdi_head(const LoadedFile& file) {
  XdiHead head;
  head.source = file.path;
  head.channel = file.words;
  head.technique = file.request.mode == Mode::intensities    ? 't'
                   : file.request.mode == Mode::fluorescence ? 'f'
                                                             : 0;
  head.element = file.element;
  head.edge = file.edge;
  head.dspacing = file.request.dspacing > 0.0 ? file.request.dspacing : file.mono_spacing;
  return head;
}

bool load_file(const std::string& path, const FileChoice& choice, LoadedFile* file, Data& data,
               std::string* err) {
  file->path = path;
  DataText text;
  switch (read_data_file(path, -1, &text, err)) {
    case DataRead::read:
      break;
    case DataRead::cannot_open:
      *err = "cannot open " + quote(path) + ": " + *err;
      return false;
    case DataRead::refused:
      return false;
  }
  file->device = text.device;
  file->inode = text.inode;
  const TableHead head = read_head(text.text);
  if (!head.not_a_spectrum.empty()) {
    *err = quote(path) + " " + head.not_a_spectrum;
    return false;
  }
  file->element = head.element;
  file->edge = head.edge;
  file->mono_spacing = head.mono_spacing;
  std::vector<Channel> candidates(1);
  const bool given = !choice.columns.empty() || !choice.fluorescence.empty();
  if (given || choice.ncol > 0) {
    if (!chosen_channel(path, head, choice.columns, choice.fluorescence, choice.ncol,
                        choice.dspacing, &candidates[0], err))
      return false;
  } else {
    candidates = candidate_channels(path, head, choice.dspacing, err);
    if (candidates.empty()) return false;
  }
  const ChannelChoice chosen = choose_channel(candidates, text);
  if (chosen.chosen < 0) {
    *err = chosen.refusal;
    return false;
  }
  const Channel& channel = candidates[static_cast<std::size_t>(chosen.chosen)];
  // A refusal names the channel when the file's names chose it.
  if (!given && !head.names.empty()) file->in_channel = " (in the channel " + channel.label + ")";
  file->request = channel.request;
  file->request.itop = 0;
  file->channel = channel.label;
  file->words = channel.words;
  file->log_note = " ... channel reduced: " + channel.words + " (" + head.format + " file)";
  file->choice_warnings = chosen.warnings;

  TextOut screen;
  banner(screen);
  show_data_file(file->request, screen);
  bool loaded = load_table(file->request, text, screen, file->input, data, err);
  if (loaded && !check_points(data, quote(path), err)) {
    loaded = false;
    // Energies from 0 or below: no measured spectrum starts there.
    if (data.n > 0 && data.energy(1) <= 0.0f)
      *err = "its energies (column " + std::to_string(file->request.energy) +
             ") start at 0 or below: a spectrum on a relative energy scale, as a calculation"
             " gives, is not a measured one; give absolute energies";
  }
  file->screen = screen.take();
  if (loaded && choice.reference)
    file->reference = reference_edge(head, text, file->request, choice.reference_columns);
  if (loaded) return true;
  *err = file->refusal(*err);
  return false;
}

void load_points_file(const std::string& name, const std::vector<float>& energy,
                      const std::vector<float>& mu, const std::string& words, LoadedFile* file,
                      Data& data) {
  file->path = name;
  Request& r = file->request;
  r.path = name;
  r.name = shown_name(name);
  r.ncol = 2;
  r.rules = command_line_rules();
  r.channel = words;
  file->channel = "col 2";
  file->words = words;
  file->log_note = " ... channel reduced: " + words;
  TextOut screen;
  banner(screen);
  show_data_file(r, screen);
  load_points(r, energy, mu, screen, data);
  file->screen = screen.take();
}

}  // namespace xas
