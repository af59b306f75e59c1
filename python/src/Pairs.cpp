// Matching two measurements into pairs and displacements, and the strain of the pairs.
#include <cmath>
#include <limits>
#include <map>

#include "Measurement.h"
#include "Strainresult.h"
#include "match/Match.h"
#include "register/Pairingcheck.h"
#include "strain/Straincsv.h"
#include "strain/Strainpairs.h"
#include "strain/Strainsummary.h"

namespace {

// A matched job and its pairs as arrays in the frame of the pairs CSV: x right, y up, units of
// the code files.
struct TPyMatch {
  std::shared_ptr<TMatch> Job;
  std::string Note;
  py::dict Arrays;
};

std::shared_ptr<TMatch> MatchOf(const py::handle& initial, const py::handle& deformed) {
  std::string names[2];
  TCodeFileContent first = ContentOf(initial, "initial", names[0]);
  TCodeFileContent second = ContentOf(deformed, "deformed", names[1]);
  py::gil_scoped_release release;
  return std::make_shared<TMatch>(std::move(first), std::move(second), names[0], names[1]);
}

TPyMatch Match(const py::object& initial, const py::object& deformed, bool align) {
  TPyMatch result;
  result.Job = MatchOf(initial, deformed);
  std::vector<TStrainPair> pairs;
  {
    py::gil_scoped_release release;
    result.Note = MatchAndCheck(*result.Job, align);
    pairs = PairsFromMatch(*result.Job);
  }
  std::vector<int32_t> nx, ny;
  std::vector<double> x, y, dx, dy;
  for (const TStrainPair& p : pairs) {
    nx.push_back(p.Nx), ny.push_back(p.Ny);
    x.push_back(p.X), y.push_back(p.Y), dx.push_back(p.Dx), dy.push_back(p.Dy);
  }
  result.Arrays["nx"] = ArrayOf(std::move(nx));
  result.Arrays["ny"] = ArrayOf(std::move(ny));
  result.Arrays["x"] = ArrayOf(std::move(x));
  result.Arrays["y"] = ArrayOf(std::move(y));
  result.Arrays["dx"] = ArrayOf(std::move(dx));
  result.Arrays["dy"] = ArrayOf(std::move(dy));
  result.Arrays["index"] =
      ArrayOf(std::vector<int32_t>(result.Job->FMatchIndex.begin(), result.Job->FMatchIndex.end()));
  if (!align && !result.Note.empty()) PyErr_WarnEx(PyExc_UserWarning, result.Note.c_str(), 1);
  return result;
}

TPyStrain Strain(const py::object& initial, const py::object& deformed, int32_t neighbourhood,
                 const std::string& measure) {
  if (neighbourhood < 1 || neighbourhood > 50)
    throw py::value_error("neighbourhood must be from 1 to 50, not " +
                          std::to_string(neighbourhood));
  TStrainOptions options;
  options.Neighbourhood = neighbourhood;
  if (measure == "green")
    options.Measure = TStrainMeasure::Green;
  else if (measure != "small")
    throw py::value_error("measure must be \"small\" or \"green\", not \"" + measure + "\"");
  const std::shared_ptr<TMatch> job = MatchOf(initial, deformed);
  std::shared_ptr<TStrainField> field;
  {
    // The steps of StrainFromCodeFiles, on files already read.
    py::gil_scoped_release release;
    job->Match();
    field = std::make_shared<TStrainField>(StrainOfMatch(*job, options));
    RequireStrain(*field);
  }
  return StrainResultOf(field);
}

py::object Column(const py::dict& arrays, const char* name) {
  return arrays[name];
}

}  // namespace

TPyStrain StrainResultOf(std::shared_ptr<const TStrainField> field) {
  TPyStrain result;
  const auto& points = field->Points();
  const double none = std::numeric_limits<double>::quiet_NaN();
  std::vector<int32_t> nx, ny;
  std::vector<bool> has;
  std::map<std::string, std::vector<double>> columns;
  for (const TStrainPoint& p : points) {
    nx.push_back(p.Pair.Nx), ny.push_back(p.Pair.Ny);
    has.push_back(p.HasStrain);
    columns["x"].push_back(p.Pair.X), columns["y"].push_back(p.Pair.Y);
    columns["dx"].push_back(p.Pair.Dx), columns["dy"].push_back(p.Pair.Dy);
    const std::pair<const char*, double> strains[] = {
        {"exx", p.Exx}, {"eyy", p.Eyy},     {"exy", p.Exy},          {"e1", p.E1},
        {"e2", p.E2},   {"angle", p.Angle}, {"rotation", p.Rotation}};
    for (const auto& [name, value] : strains) columns[name].push_back(p.HasStrain ? value : none);
  }
  result.Arrays["nx"] = ArrayOf(std::move(nx));
  result.Arrays["ny"] = ArrayOf(std::move(ny));
  for (const char* name :
       {"x", "y", "dx", "dy", "exx", "eyy", "exy", "e1", "e2", "angle", "rotation"})
    result.Arrays[name] = ArrayOf(std::move(columns[name]));
  py::array_t<bool> flags(static_cast<py::ssize_t>(has.size()));
  for (size_t i = 0; i < has.size(); ++i) flags.mutable_at(static_cast<py::ssize_t>(i)) = has[i];
  flags.attr("flags").attr("writeable") = false;
  result.Arrays["has_strain"] = flags;
  result.Field = std::move(field);
  return result;
}

void AddPairs(py::module_& m) {
  py::class_<TPyMatch> match(
      m, "Match",
      "The pairs of two measurements of one grid: the dots that share a grid position.\n\n"
      "Arrays, one value per pair in the order of the displacement file (ascending ny, then "
      "nx), the columns of latticor-cli match --csv: nx, ny, x, y (the initial position, y up "
      "from the bottom of the picture), dx, dy (y up), in the code files' units; index: the "
      "pair's row in the initial code file. note: the whole-pitch offset warning or, with "
      "align=True, what the alignment did; empty when the pairs look right.");
  for (const char* name : {"nx", "ny", "x", "y", "dx", "dy", "index"})
    match.def_property_readonly(name, [name](const TPyMatch& r) { return Column(r.Arrays, name); });
  match.def_readonly("note", &TPyMatch::Note)
      .def_property_readonly("pairs", [](const TPyMatch& r) { return r.Job->FMatchSum; })
      .def("__len__", [](const TPyMatch& r) { return r.Job->FMatchSum; })
      .def(
          "write_result",
          [](const TPyMatch& r, const py::object& path, int32_t layout, bool keepY) {
            if (layout < 0 || layout >= TMatch::LayoutCount)
              throw py::value_error("layout must be from 0 to 7, not " + std::to_string(layout));
            const std::string file = PathOf(path, "path");
            py::gil_scoped_release release;
            r.Job->FChangeYAxis = !keepY;
            r.Job->WriteResult(layout, file);
          },
          py::arg("path"), py::arg("layout") = 0, py::arg("keep_y") = false,
          "write_result(path, layout=0, keep_y=False)\n\n"
          "The displacement file latticor-cli match writes: layout 0 x y theta r, 1 x y dx dy, "
          "2 x y dx, 3 x y dy, 4 index x y dx dy, 5 index x y theta r, 6 nx ny x y dx dy, "
          "7 nx ny x y theta r; y up unless keep_y.")
      .def(
          "to_csv",
          [](const TPyMatch& r, const py::object& path) {
            const std::string file = PathOf(path, "path");
            py::gil_scoped_release release;
            WritePairsCsv(file, PairsFromMatch(*r.Job));
          },
          py::arg("path"), "to_csv(path)\n\nThe pairs as latticor-cli match --csv writes them.");
  m.def("match", &Match, py::arg("initial"), py::arg("deformed"), py::kw_only(),
        py::arg("align") = false,
        "match(initial, deformed, *, align=False) -> Match\n\n"
        "Pairs the dots of two measurements of one grid (Measurement objects or code file "
        "paths) by grid position, as latticor-cli match. When the pairs are off by whole dots "
        "(the median displacement beyond half a pitch) a UserWarning says so, and align=True "
        "shifts the deformed indices by that offset instead.");

  py::class_<TPyStrain> strain(
      m, "Strain",
      "The strain at every paired dot, the columns of latticor-cli strain's CSV as arrays: nx, "
      "ny, x, y, dx, dy, exx, eyy, exy (tensor shear), e1 >= e2 (principal), angle (degrees, of "
      "e1 from x), rotation (degrees); frame x right, y up. The strain columns are NaN where a "
      "dot's neighbourhood fixes no gradient (has_strain False there).");
  for (const char* name : {"nx", "ny", "x", "y", "dx", "dy", "exx", "eyy", "exy", "e1", "e2",
                           "angle", "rotation", "has_strain"})
    strain.def_property_readonly(name,
                                 [name](const TPyStrain& r) { return Column(r.Arrays, name); });
  strain.def_property_readonly("unit", [](const TPyStrain& r) { return r.Field->FUnit; })
      .def("__len__", [](const TPyStrain& r) { return r.Field->Points().size(); })
      .def_property_readonly(
          "summary", [](const TPyStrain& r) { return TStrainSummary(*r.Field).Text(); },
          "The summary latticor-cli strain prints")
      .def(
          "to_csv",
          [](const TPyStrain& r, const py::object& path) {
            const std::string file = PathOf(path, "path");
            py::gil_scoped_release release;
            WriteStrainCsv(file, *r.Field);
          },
          py::arg("path"), "to_csv(path)\n\nThe strain CSV latticor-cli strain writes.");
  m.def("strain", &Strain, py::arg("initial"), py::arg("deformed"), py::kw_only(),
        py::arg("neighbourhood") = 1, py::arg("measure") = "small",
        "strain(initial, deformed, *, neighbourhood=1, measure=\"small\") -> Strain\n\n"
        "The strain at every dot of two measurements of one grid (Measurement objects or code "
        "file paths), as latticor-cli strain: the displacement gradient fitted over each dot's "
        "(2K + 1) x (2K + 1) grid neighbourhood, K = neighbourhood (1..50). measure: \"small\" "
        "(engineering strain) or \"green\" (Green-Lagrange, free of rigid rotation).");
}
