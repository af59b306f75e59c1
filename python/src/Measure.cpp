// Measuring a picture: segmentation, dot extraction, grid indices; code files written and read.
#include <array>
#include <optional>

#include <pybind11/stl.h>

#include "Measurement.h"
#include "encode/Encode.h"
#include "encode/Encoderun.h"
#include "image/Grayimage.h"
#include "register/Registerrun.h"
#include "segment/Segment.h"
#include "segment/Segmentrun.h"

namespace {

// "robust", "auto", a number of pixels as text or as an int.
TLeastArea LeastAreaOf(const py::handle& value) {
  std::optional<TLeastArea> area;
  if (py::isinstance<py::str>(value)) {
    area = LeastAreaFromText(value.cast<std::string>());
  } else if (py::isinstance<py::int_>(value) && !py::isinstance<py::bool_>(value)) {
    const long long pixels = value.cast<long long>();
    if (pixels >= -1 && pixels <= 2147483647)
      area = TLeastArea::Given(static_cast<int32_t>(pixels));
  } else {
    throw py::type_error("least_area must be \"robust\", \"auto\" or a number of pixels");
  }
  if (!area)
    throw py::value_error(
        "least_area must be \"robust\", \"auto\" or a number of pixels (0 or "
        "more, -1 for the default of 10), not " +
        std::string(py::repr(value)));
  return *area;
}

int32_t TableSizeOf(std::optional<int32_t> value, const char* what) {
  if (!value) return 50;
  if (*value < 0 || *value > 100000)
    throw py::value_error(std::string(what) + " must be from 0 to 100000, not " +
                          std::to_string(*value));
  return *value;
}

}  // namespace

int32_t TPyMeasurement::Indexed() const {
  int32_t n = 0;
  for (const TDotInfo& dot : Dots) n += dot.Coded;
  return n;
}

void TPyMeasurement::MakeArrays() {
  std::vector<int32_t> index, nx, ny, area;
  std::vector<float> x, y;
  for (size_t i = 0; i < Dots.size(); ++i) {
    const TDotInfo& dot = Dots[i];
    if (!dot.Coded) continue;
    index.push_back(static_cast<int32_t>(i));
    x.push_back(dot.x), y.push_back(dot.y);
    nx.push_back(dot.Nx), ny.push_back(dot.Ny), area.push_back(dot.Area);
  }
  Index = ArrayOf(std::move(index)), X = ArrayOf(std::move(x)), Y = ArrayOf(std::move(y));
  Nx = ArrayOf(std::move(nx)), Ny = ArrayOf(std::move(ny)), Area = ArrayOf(std::move(area));
}

TCodeFileContent ContentOf(const py::handle& codes, const char* what, std::string& name) {
  if (IsPath(codes)) {
    name = PathOf(codes, what);
    py::gil_scoped_release release;
    return ReadCodeFile(name);
  }
  if (!py::isinstance<TPyMeasurement>(codes))
    throw py::type_error(std::string(what) + " must be a Measurement or the path of a code file");
  const TPyMeasurement& m = codes.cast<const TPyMeasurement&>();
  name = m.Source;
  std::string text = m.Text();
  py::gil_scoped_release release;
  return ReadCodeFileText(std::move(text), name);
}

namespace {

TPyMeasurement Measure(const py::object& picture, const py::object& segmented, bool black,
                       int32_t median, std::optional<int32_t> window, int32_t adjust,
                       std::optional<int32_t> threshold, const py::object& leastArea,
                       int32_t method, std::optional<int32_t> maxNx, std::optional<int32_t> maxNy,
                       std::array<float, 2> scale, std::optional<std::array<float, 2>> pitch,
                       std::optional<int32_t> origin,
                       std::optional<std::array<int32_t, 4>> neighbours,
                       std::array<int32_t, 2> originGrid, const py::object& reference,
                       std::optional<std::array<float, 2>> shift, const std::string& centroid,
                       const std::string& dots, const std::string& name,
                       const std::string& bits16) {
  const TBits16 rule = Bits16Of(bits16);
  TSegmentRunOptions segmentation;
  segmentation.WhiteDots = !black;
  if (median != 0) segmentation.Median = median;
  segmentation.Window = window;
  segmentation.Adjust = adjust;
  segmentation.Threshold = threshold;
  const bool segmentationGiven = median != 0 || window || adjust != 0 || threshold;
  if (!segmented.is_none() && segmentationGiven)
    throw py::value_error(
        "segmented is the segmentation already: median, window, adjust and "
        "threshold go with a picture to segment");
  CheckSegmentRunOptions(segmentation);

  TEncodeRunOptions run = BatchEncodeOptions();
  run.LeastArea = LeastAreaOf(leastArea);
  run.Method = method;
  if (centroid != "plain" && centroid != "refined")
    throw py::value_error("centroid must be \"plain\" or \"refined\", not \"" + centroid + "\"");
  run.Refined = centroid == "refined";
  run.Lattice = LatticeOf(dots);
  if (maxNx || maxNy) run.AutoTable = false;
  const int32_t tableNx = TableSizeOf(maxNx, "max_nx"), tableNy = TableSizeOf(maxNy, "max_ny");
  for (float s : scale) CheckFinite(s, "scale", true);
  const int origins = !!pitch + !!origin + !reference.is_none();
  if (origins > 1) throw py::value_error("give at most one of pitch, origin and reference");
  if (!origin && neighbours) throw py::value_error("neighbours go with origin");
  if (pitch) {
    for (float p : *pitch) CheckFinite(p, "pitch", true);
    run.Origin = TOriginSource::Pitch;
    run.Pitch = *pitch;
  }
  if (origin) {
    if (!neighbours) throw py::value_error("origin needs neighbours (right, down, left, up)");
    run.Origin = TOriginSource::Picked;
    run.PickedDot = *origin;
    run.PickedNeighbours = *neighbours;
    run.PickedGrid = originGrid;
  }
  if (shift && reference.is_none()) throw py::value_error("shift goes with reference");
  TRegisterReference registerReference;
  TRegisterOptions registerOptions;
  registerOptions.ShiftInput = "with shift=(dx, dy)";
  registerOptions.SizeTable = run.AutoTable;
  if (shift) {
    for (float s : *shift) CheckFinite(s, "shift", false);
    registerOptions.Prior = TPriorKind::Override;
    registerOptions.ShiftX = (*shift)[0], registerOptions.ShiftY = (*shift)[1];
  }
  if (!reference.is_none()) {
    std::string referenceName;
    registerReference = ReferenceFromCodeFile(ContentOf(reference, "reference", referenceName));
  }

  // The picture as taken weighs the refined centroids; the one to segment is a copy of it.
  std::unique_ptr<TGrayImage> taken = ImageOfArray(picture, "picture", rule);
  std::unique_ptr<TGrayImage> work = segmented.is_none()
                                         ? ImageOfArray(picture, "picture", rule)
                                         : ImageOfArray(segmented, "segmented", rule);
  if (work->Width() != taken->Width() || work->Height() != taken->Height())
    throw py::value_error("segmented must have the shape of picture");

  TPyMeasurement result;
  {
    py::gil_scoped_release release;
    if (segmented.is_none()) {
      TSegment job(std::move(work), false);
      RunSegmentation(job, segmentation);
      work = job.ReleaseImage();
    }
    TEncode job(std::move(work), !black, false, tableNx, tableNy);
    if (run.Refined) run.RefinePicture = taken.get();
    TEncodeSummary summary;
    if (reference.is_none()) {
      summary = RunEncoding(job, run);
    } else {
      const TReferenceRun indexed =
          EncodeFromReference(job, run, {}, registerReference, registerOptions);
      summary = indexed.Summary;
      result.Registration = indexed.Report.Text();
    }
    job.SetScale(scale[0], scale[1]);
    result.Header = CodeHeaderOf(job);
    result.Header.ImageName = name;
    result.Dots.assign(job.DotInfo().begin(),
                       job.DotInfo().begin() + std::min<size_t>(job.DotInfo().size(),
                                                                static_cast<size_t>(job.DotSum())));
    result.Found = summary.Dots;
    result.Expanded = summary.Neted;
    result.LeastArea = summary.LeastArea;
    result.Origin = summary.Origin;
    result.Decoding = summary.Decoding;
  }
  result.Source = name.empty() ? "measurement" : "measurement of " + name;
  result.MakeArrays();
  return result;
}

TPyMeasurement ReadCodes(const py::object& path) {
  TPyMeasurement result;
  result.Source = PathOf(path, "path");
  {
    py::gil_scoped_release release;
    TCodeFileContent c = ReadCodeFile(result.Source);
    result.Header.Width = c.Width;
    result.Header.Height = c.Height;
    result.Header.MaxNx = c.Table->MaxNx();
    result.Header.MaxNy = c.Table->MaxNy();
    result.Header.ScaleX = c.ScaleX;
    result.Header.ScaleY = c.ScaleY;
    result.Header.Background = c.Background;
    result.Header.ImageName = c.ImageName;
    result.Header.Mark = c.Mark;
    result.Dots = std::move(c.Dots);
    result.Found = result.Expanded = static_cast<int32_t>(result.Dots.size());
  }
  result.MakeArrays();
  return result;
}

}  // namespace

void AddMeasure(py::module_& m) {
  py::class_<TPyMeasurement>(
      m, "Measurement",
      "The dots of one picture that carry grid indices, as its code file holds them.\n\n"
      "Arrays, one value per row of the code file (read-only): index (the dot's index among "
      "the dots found), x, y (float32 centroid in pixels, column and row, unscaled), nx, ny "
      "(grid indices, ny upwards), area (pixels). Counts: dots (found), indexed, expanded, "
      "least_area, origin (index of the origin dot). Header: width, height, max_nx, max_ny, "
      "scale, background, name. The code file rounds x and y to three decimals; match and "
      "strain use them as the file gives them, as latticor-cli does.")
      .def_readonly("index", &TPyMeasurement::Index)
      .def_readonly("x", &TPyMeasurement::X)
      .def_readonly("y", &TPyMeasurement::Y)
      .def_readonly("nx", &TPyMeasurement::Nx)
      .def_readonly("ny", &TPyMeasurement::Ny)
      .def_readonly("area", &TPyMeasurement::Area)
      .def_readonly("dots", &TPyMeasurement::Found, "Dots found")
      .def_property_readonly("indexed", &TPyMeasurement::Indexed, "Dots with grid indices")
      .def_readonly("expanded", &TPyMeasurement::Expanded,
                    "Dots whose neighbours were searched; the others are where the walk stopped")
      .def_readonly("least_area", &TPyMeasurement::LeastArea, "The least dot area used, pixels")
      .def_readonly("origin", &TPyMeasurement::Origin, "Index of the origin dot, -1 if unknown")
      .def_readonly("decoding", &TPyMeasurement::Decoding, "How the picture was read")
      .def_readonly("registration", &TPyMeasurement::Registration,
                    "How the dots were placed on the reference's: the motion found and what "
                    "decided it; empty without a reference")
      .def_property_readonly("width", [](const TPyMeasurement& r) { return r.Header.Width; })
      .def_property_readonly("height", [](const TPyMeasurement& r) { return r.Header.Height; })
      .def_property_readonly("max_nx", [](const TPyMeasurement& r) { return r.Header.MaxNx; })
      .def_property_readonly("max_ny", [](const TPyMeasurement& r) { return r.Header.MaxNy; })
      .def_property_readonly("scale",
                             [](const TPyMeasurement& r) {
                               return std::array<float, 2>{r.Header.ScaleX, r.Header.ScaleY};
                             })
      .def_property_readonly("background",
                             [](const TPyMeasurement& r) { return r.Header.Background; })
      .def_property_readonly("name", [](const TPyMeasurement& r) { return r.Header.ImageName; })
      .def("__len__", [](const TPyMeasurement& r) { return r.Indexed(); })
      .def("__repr__",
           [](const TPyMeasurement& r) {
             return "<latticor.Measurement " + std::to_string(r.Indexed()) + " of " +
                    std::to_string(r.Found) + " dots indexed, " + std::to_string(r.Header.Width) +
                    " x " + std::to_string(r.Header.Height) + ">";
           })
      .def(
          "to_code_file",
          [](const TPyMeasurement& r, const py::object& path) {
            const std::string file = PathOf(path, "path");
            py::gil_scoped_release release;
            SaveCodeFile(file, r.Header, r.Dots, static_cast<int32_t>(r.Dots.size()));
          },
          py::arg("path"),
          "to_code_file(path)\n\n"
          "Writes the code file (\"VRKT-FS\", CR LF lines), byte for byte what latticor-cli "
          "encode writes for the same picture and choices. A failed write leaves any previous "
          "file whole and raises latticor.Error.");

  m.def("measure", &Measure, py::arg("picture"), py::arg("segmented") = py::none(), py::kw_only(),
        py::arg("black") = false, py::arg("median") = 0, py::arg("window") = py::none(),
        py::arg("adjust") = 0, py::arg("threshold") = py::none(), py::arg("least_area") = "robust",
        py::arg("method") = 2, py::arg("max_nx") = py::none(), py::arg("max_ny") = py::none(),
        py::arg("scale") = std::array<float, 2>{1.0f, 1.0f}, py::arg("pitch") = py::none(),
        py::arg("origin") = py::none(), py::arg("neighbours") = py::none(),
        py::arg("origin_grid") = std::array<int32_t, 2>{0, 0}, py::arg("reference") = py::none(),
        py::arg("shift") = py::none(), py::arg("centroid") = "refined", py::arg("dots") = "lattice",
        py::arg("name") = "", py::arg("bits16") = "percentile",
        "measure(picture, segmented=None, *, black=False, median=0, window=None, adjust=0, "
        "threshold=None, least_area=\"robust\", method=2, max_nx=None, max_ny=None, "
        "scale=(1, 1), pitch=None, origin=None, neighbours=None, origin_grid=(0, 0), "
        "reference=None, shift=None, centroid=\"refined\", dots=\"lattice\", name=\"\", "
        "bits16=\"percentile\") "
        "-> Measurement\n\n"
        "Finds and measures the dots of a grid picture (2-D uint8 or uint16 array) and gives "
        "them grid indices: latticor-cli segment, then encode with --centroid refined --picture "
        "on the picture as taken, in one call. The picture is not changed.\n\n"
        "segmented: the picture's segmentation already made (segment(), a file); the "
        "segmentation options (black excepted) go without it: see segment().\n"
        "least_area: \"robust\" (a third of the area-weighted median blob), \"auto\" (2 x mean "
        "blob area // 3) or pixels. method: the origin, 0 max area, 1 centre index dot, 2 centre "
        "grid dot, 3 centre image dot. max_nx, max_ny: the grid table, None sized from the dots "
        "(one given fixes it, the other 50). scale: the factors written into the code file.\n"
        "The origin, at most one way: pitch=(dx, dy) in pixels; origin=dot index with "
        "neighbours=(right, down, left, up) and origin_grid=(nx, ny); or reference=an earlier "
        "Measurement or code file of the same grid, whose indices the dots take: the grid's "
        "motion since is found from what is not periodic (its outline, missing dots), as "
        "latticor-cli encode --reference finds it; shift=(dx, dy) in pixels gives it instead "
        "where nothing in the pictures decides (a grid without missing dots filling both "
        "pictures, refused with its candidate motions). registration says how it was found.\n"
        "centroid: \"refined\" (weighted above the local background on the picture) or "
        "\"plain\" (on the segmented blob). dots: \"lattice\" (a blob is a dot by its size, shape "
        "and place in the grid: specks dropped or cut away, touching dots split) or \"blobs\" "
        "(every blob of the least area, as the window). name: the image name the code file "
        "carries.\n"
        "Raises latticor.Error with the system's message when no dot or no origin is found.");
  m.def("read_code_file", &ReadCodes, py::arg("path"),
        "read_code_file(path) -> Measurement\n\n"
        "A code file as the matching reads it: its rows numbered 0.. in file order (index), "
        "positions in pixels as written, its header. Raises latticor.Error with the loader's "
        "message for a file that is missing or no code file.");
}
