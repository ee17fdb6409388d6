// The state of one run: every shared record and every value a stage leaves
// for the stages after it. Each stage is a function on this object; reading
// its members in order follows the data from stage to stage.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <memory>

#include "background/edge.h"
#include "background/model.h"
#include "driver/answers.h"
#include "driver/console.h"
#include "driver/records.h"
#include "output/result_file.h"
#include "spectra/kaxis.h"
#include "spectra/transform.h"

namespace xas {

struct Run {
  Run(std::FILE* in, std::FILE* out, std::FILE* err) : answers(in, out), console(out, err) {
    unit95.hold_in(held_exafs, sizeof held_exafs);
    unit83.hold_in(held_absorption_plot, sizeof held_absorption_plot);
    unit86.hold_in(held_exafs_plot, sizeof held_exafs_plot);
  }

  // Terminal dialogue.
  Answers answers;
  Console console;

  // Driver: the plot answer (1: TopDrawer scripts as well) and pi.
  int itop = 0;
  float pi = 0.0f;

  // The data file and the spectrum.
  Name90 file;
  dev_t file_device = 0;  // identity of the data file that was read,
  ino_t file_inode = 0;   // so that no result file can replace it
  Data data;
  Logic logic;

  // Edge location.
  Deriv deriv;
  float emax = 0.0f;  // mid-point energy of the steepest slope
  float apm = 0.0f;   // steepest slope
  int i1 = 0, i2 = 0; // edge band
  float ewl = 0.0f;   // white-line energy (keV)
  float wl = 0.0f;    // absorption at the white-line maximum
  float slp = 0.0f;   // refined steepest slope

  // Background model (E0 is model.spl0.e0) and fit.
  Model model;
  float whf = 0.0f;   // weight exponent of the fit
  float aa = 0.0f;    // pre-edge line: absorption = bb + aa * energy
  float bb = 0.0f;
  float ajump = 0.0f; // edge jump
  int imin = 0;       // first point of the fit
  int imax = 0;       // last point of the fit less one

  // Wave-number axis and signal.
  Exafs exafs;
  int ne0 = 0;        // first point above E0
  OneBased<float, kMaxPoints> fit;   // background of each point
  OneBased<float, kMaxPoints> anor;  // jump times normalisation factor
  float anorm = 0.0f;
  float examax = 0.0f;

  // Fourier transform.
  float akmin = 0.0f, akmax = 0.0f, dk = 0.0f, wh = 0.0f;
  float rmin = 0.0f, rmax = 0.0f, dr = 0.0f;
  Selection selection;
  Fourie fourie;
  TransformJob transform_job;  // the R points still being computed
  int threads = 0;             // threads sharing the transform; 0: one per core

  // Limits of the EXAFS plot.
  int lmax = 0;
  float exalim = 0.0f;

  // Result files: the base name and one file per unit.
  Name90 base;        // result base name
  int ifi = 0;        // its length
  Name90 fileout;     // name of the result file being opened
  ResultFile unit98;  // .gabs  absorption
  ResultFile unit82;  // .topn  noise plot
  ResultFile unit97;  // .gfou  Fourier transform
  ResultFile unit95;  // .gexa  EXAFS
  ResultFile unit83;  // .topa  absorption plot
  ResultFile unit86;  // .tope  EXAFS plot
  ResultFile unit87;  // .topf  Fourier plot

  // Room for the text of the files composed while the transform runs, sized
  // for their longest lines: .gexa rows of 30 characters; .topa derivative
  // lines of 35 and two kinds of rows of 19; .tope rows of 17.
  char held_exafs[kMaxPoints * 30 + 4096];
  char held_absorption_plot[kMaxPoints * (35 + 19 + 19) + 8192];
  char held_exafs_plot[kMaxPoints * 17 + 4096];
};

// Frees a run state made by make_run.
struct RunDeleter {
  void operator()(Run* run) const;
};
using RunPtr = std::unique_ptr<Run, RunDeleter>;

// The run state of the program: one instance, all its memory mapped at once
// (a page fault each for the megabytes of fixed arrays would cost more than a
// small reduction itself).
RunPtr make_run(std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace xas
