// The bindings of the module: Result wraps one reduced spectrum, its arrays
// read-only views of the values the result files are printed from; the
// reduction functions run without the interpreter's lock. The Python
// package (xasreduce/__init__.py) gives them their signatures and help.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "common/version.h"
#include "python/spectrum.h"

namespace py = pybind11;
using xas::module::Spectrum;

namespace {

// A read-only float32 view of `n` values owned by `owner`.
py::array view(const float* values, std::size_t n, py::handle owner) {
  py::array_t<float> a({n}, {sizeof(float)}, values, owner);
  a.attr("setflags")(py::arg("write") = false);
  return a;
}

py::array view(const std::vector<float>& v, py::handle owner) {
  return view(v.data(), v.size(), owner);
}

// The values of a record of points, the first n of them.
py::array view(const xas::PointValues& v, int n, py::handle owner) {
  return view(v.begin(), static_cast<std::size_t>(std::min(n, v.size())), owner);
}

xas::module::Keywords keywords(const py::list& items) {
  xas::module::Keywords out;
  for (py::handle item : items) {
    auto pair = item.cast<std::pair<std::string, std::string>>();
    out.push_back(pair);
  }
  return out;
}

std::vector<double> numbers(const py::array_t<double, py::array::c_style | py::array::forcecast>& a,
                            const char* what) {
  if (a.ndim() != 1)
    throw std::invalid_argument(std::string(what) + " must be one-dimensional, not of " +
                                std::to_string(a.ndim()) + " dimensions");
  return std::vector<double>(a.data(), a.data() + a.size());
}

Spectrum& spectrum(py::handle self) { return self.cast<Spectrum&>(); }

}  // namespace

PYBIND11_MODULE(_xasreduce, m) {
  m.doc() = "The reduction of X-ray absorption spectra: the bindings of the xasreduce package.";
  m.attr("version") = xas::kVersion;

  // A refusal becomes the package's Refused (a ValueError) with the path;
  // a result set that cannot be written an OSError.
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const xas::module::Refusal& e) {
      py::object refused = py::module_::import("xasreduce").attr("Refused");
      PyErr_SetObject(refused.ptr(), refused(e.what(), e.path, e.channel).ptr());
    } catch (const xas::module::WriteFailure& e) {
      PyErr_SetString(PyExc_OSError, e.what());
    }
  });

  py::class_<Spectrum, std::shared_ptr<Spectrum>> result(m, "Result", R"(
One reduced spectrum: the report's values, its warnings and notes, and the
arrays of its reduction (read-only numpy float32 arrays, the same values the
result files are printed from). Made by reduce_file(), reduce() and
reduce_many(); pickled by what it was reduced from, and reduced again where
its arrays are first needed after unpickling.)");

  // The report's values, as the summary prints them.
  struct Value {
    const char* name;
    float xas::FileOutcome::*field;
    const char* doc;
  };
  static const Value kValues[] = {
      {"e0", &xas::FileOutcome::e0, "The edge energy E0 (eV)."},
      {"slope", &xas::FileOutcome::slope, "The steepest slope of the edge over the jump (1/keV)."},
      {"jump", &xas::FileOutcome::jump, "The edge jump: the background's step at E0."},
      {"ewl", &xas::FileOutcome::ewl, "The energy of the white line (eV)."},
      {"hwl", &xas::FileOutcome::hwl, "The height of the white line over the jump."},
  };
  for (const Value& v : kValues) {
    const auto field = v.field;
    result.def_property_readonly(
        v.name, [field](const Spectrum& s) { return static_cast<double>(s.outcome().*field); },
        v.doc);
  }
  result
      .def_property_readonly(
          "noise",
          [](const Spectrum& s) {
            return s.outcome().averaged ? static_cast<double>(s.outcome().noise) : NAN;
          },
          "The average r.m.s. noise above the edge (NaN where none was fitted).")
      .def_property_readonly(
          "points", [](const Spectrum& s) { return s.outcome().points; }, "The number of points.")
      .def_property_readonly(
          "path",
          [](const Spectrum& s) -> py::object {
            return s.from_a_file() ? py::cast(s.name()) : py::none();
          },
          "The data file's path; None for a spectrum given as arrays.")
      .def_property_readonly(
          "name", [](const Spectrum& s) { return s.name(); },
          "The data file's path, or the name given to reduce().")
      .def_property_readonly(
          "channel", [](const Spectrum& s) { return s.outcome().channel; },
          "The channel reduced, as the summary names it: 'ln(i0/itrans)', 'col 2'.")
      .def_property_readonly(
          "warnings", [](const Spectrum& s) { return s.outcome().warnings; },
          "Results worth a second look, as the command line prints them.")
      .def_property_readonly(
          "notes", [](const Spectrum& s) { return s.outcome().notes; },
          "What the reduction was asked to do otherwise than by default, and what it is\n"
          "(an edge energy given, XANES only).");

  // The arrays.
  result
      .def_property_readonly(
          "energy", [](py::object self) { return view(spectrum(self).curves().energy, self); },
          "The energy of each point (eV), as the .gabs file prints it.")
      .def_property_readonly(
          "mu",
          [](py::object self) {
            const xas::Reduction& r = spectrum(self).reduction();
            return view(r.data.absorption, r.data.n, self);
          },
          "The absorption of each point.")
      .def_property_readonly(
          "derivative",
          [](py::object self) {
            const xas::Reduction& r = spectrum(self).reduction();
            return view(r.deriv.slope, r.data.n, self);
          },
          "The slope from each point to the next (1/keV) less the pre-edge line's slope.")
      .def_property_readonly(
          "pre_edge",
          [](py::object self) { return view(spectrum(self).curves().pre_edge, self); },
          "The pre-edge line at each point.")
      .def_property_readonly(
          "background",
          [](py::object self) { return view(spectrum(self).curves().background, self); },
          "The background (pre-edge line and fitted model) from 0.998 E0 on; below, where\n"
          "none is fitted, mu itself (chi is 0 there).")
      .def_property_readonly(
          "normalised",
          [](py::object self) { return view(spectrum(self).curves().normalised, self); },
          "(mu - pre-edge line) / jump at each point.")
      .def_property_readonly(
          "k", [](py::object self) { return view(spectrum(self).curves().k, self); },
          "The wave number (1/Angstrom) of each point above E0, as the .gexa file.")
      .def_property_readonly(
          "chi", [](py::object self) { return view(spectrum(self).curves().chi, self); },
          "chi(k) at each point above E0, as the .gexa file.")
      .def_property_readonly(
          "r",
          [](py::object self) {
            const xas::Reduction& r = spectrum(self).reduction();
            return view(r.fourie.r, r.fourie.n, self);
          },
          "The distances of the transform (Angstrom), as the .gfou file.")
      .def_property_readonly(
          "ft",
          [](py::object self) {
            const xas::Reduction& r = spectrum(self).reduction();
            return view(r.fourie.ft_mod, r.fourie.n, self);
          },
          "|FT| of k^w chi(k) at each distance, as the .gfou file.")
      .def_property_readonly(
          "point_noise",
          [](py::object self) {
            const xas::Reduction& r = spectrum(self).reduction();
            return view(r.data.noise, r.data.n, self);
          },
          "The |residual| of the local noise fit at each point (the .gabs noise column).")
      .def(
          "write",
          [](Spectrum& s, const std::string& directory, bool topdrawer, bool xdi,
             const std::string& base) { return s.write(directory, topdrawer, xdi, base); },
          py::arg("directory") = ".", py::arg("topdrawer") = false, py::arg("xdi") = false,
          py::arg("base") = "", R"(
Writes the result set into `directory` (created when missing) as the command
line does, byte for byte: BASE.gabs, BASE.gfou, BASE.gexa and BASE.log; the
four TopDrawer scripts with topdrawer=True; BASE_norm.xdi, BASE_chi.xdi and
BASE_ft.xdi with xdi=True. BASE is the data file's base name unless `base`
is given. Returns the paths written; raises OSError when the set cannot be
written (nothing is then replaced).)")
      .def("__repr__",
           [](const Spectrum& s) {
             char values[96];
             std::snprintf(values, sizeof values, "E0 %.2f eV, jump %.4g", s.outcome().e0,
                           s.outcome().jump);
             return "<xasreduce.Result " + s.name() + ": " + values + ">";
           })
      .def(py::pickle([](const Spectrum& s) { return py::bytes(s.state()); },
                      [](const py::bytes& state) { return Spectrum::from_state(state); }));

  m.def(
      "_reduce_file",
      [](const std::string& path, const py::list& items, int threads) {
        const xas::Options options = xas::module::keyword_options(keywords(items));
        py::gil_scoped_release free;
        return Spectrum::from_file(path, options, threads);
      },
      py::arg("path"), py::arg("keywords"), py::arg("threads"));
  m.def(
      "_reduce",
      [](const std::string& name,
         const py::array_t<double, py::array::c_style | py::array::forcecast>& energy,
         const py::array_t<double, py::array::c_style | py::array::forcecast>& mu,
         const py::list& items, int threads) {
        const xas::Options options = xas::module::keyword_options(keywords(items));
        const std::vector<double> e = numbers(energy, "energy"), a = numbers(mu, "mu");
        py::gil_scoped_release free;
        return Spectrum::from_points(name, e, a, options, threads);
      },
      py::arg("name"), py::arg("energy"), py::arg("mu"), py::arg("keywords"), py::arg("threads"));
  m.def(
      "_reduce_many",
      [](const std::vector<std::string>& paths, const py::list& items, int jobs) {
        const xas::Options options = xas::module::keyword_options(keywords(items));
        std::vector<xas::module::Reduced> reduced;
        {
          py::gil_scoped_release free;
          reduced = xas::module::reduce_files(paths, options, jobs);
        }
        py::list out;
        for (const xas::module::Reduced& r : reduced) {
          if (r.spectrum != nullptr)
            out.append(py::cast(r.spectrum));
          else
            out.append(py::make_tuple(r.refusal, r.channel));
        }
        return out;
      },
      py::arg("paths"), py::arg("keywords"), py::arg("jobs"));
  m.def(
      "_summary",
      [](const py::list& items) {
        std::vector<xas::FileOutcome> outcomes;
        for (py::handle item : items) {
          if (py::isinstance<Spectrum>(item)) {
            outcomes.push_back(item.cast<const Spectrum&>().outcome());
            continue;
          }
          const auto [path, refusal, channel] =
              item.cast<std::tuple<std::string, std::string, std::string>>();
          xas::FileOutcome refused;
          refused.path = path;
          refused.refused = true;
          refused.refusal = refusal;
          refused.channel = channel;
          outcomes.push_back(refused);
        }
        return xas::module::summary_text(outcomes);
      },
      py::arg("items"));
}
