// The Python module latticor: the measurement of dot grid pictures on numpy arrays.
#include <cmath>

#include "Binding.h"
#include "base/Error.h"

TBits16 Bits16Of(const std::string& text) {
  if (text == "percentile") return TBits16::Percentile;
  if (text == "shift") return TBits16::Shift;
  throw py::value_error("bits16 must be \"percentile\" or \"shift\", not \"" + text + "\"");
}

bool IsPath(const py::handle& object) {
  return py::isinstance<py::str>(object) || py::hasattr(object, "__fspath__");
}

std::string PathOf(const py::handle& path, const char* what) {
  if (!IsPath(path))
    throw py::type_error(std::string(what) + " must be a path (str or os.PathLike), not " +
                         std::string(py::str(path.get_type().attr("__name__"))));
  py::object text = py::module_::import("os").attr("fspath")(path);
  if (!py::isinstance<py::str>(text))
    throw py::type_error(std::string(what) + " must be a path given as text, not bytes");
  return text.cast<std::string>();
}

void CheckFinite(double value, const char* what, bool positive) {
  if (!std::isfinite(value) || (positive && !(value > 0)))
    throw py::value_error(std::string(what) + " must be a finite" + (positive ? " positive" : "") +
                          " number, not " + std::string(py::str(py::float_(value))));
}

bool LatticeOf(const std::string& dots) {
  if (dots != "lattice" && dots != "blobs")
    throw py::value_error("dots must be \"lattice\" or \"blobs\", not \"" + dots + "\"");
  return dots == "lattice";
}

PYBIND11_MODULE(latticor, m) {
  m.doc() =
      "Latticor: displacement and strain fields by the grid method.\n\n"
      "Pictures of a dot grid are segmented, every dot is measured (centroid, area) and given "
      "grid indices (nx, ny); two measurements of the same grid are matched into displacements "
      "and strains. The functions run the same core as latticor-cli and give the same results:\n\n"
      "    read_picture, write_bitmap   picture files <-> numpy arrays\n"
      "    segment                      the background set to one value\n"
      "    measure -> Measurement       dots with grid indices; to_code_file, read_code_file\n"
      "    match -> Match               pairs and displacements\n"
      "    strain -> Strain             strain at every dot\n"
      "    track -> iterator of TrackStep   a sequence against its first picture\n\n"
      "Failures raise latticor.Error with the system's message; wrong arguments raise "
      "TypeError or ValueError. Long calls release the GIL.";
  // Every docstring begins with the function's signature in Python's own words.
  py::options options;
  options.disable_function_signatures();
  // The system's one error type, with its message exactly as the user is meant to read it.
  py::register_exception<TError>(m, "Error");
  AddPictures(m);
  AddMeasure(m);
  AddPairs(m);
  AddTrack(m);
}
