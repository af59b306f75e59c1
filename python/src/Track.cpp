// A sequence tracked against its first picture, step by step as an iterator.
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include <pybind11/stl.h>

#include "Strainresult.h"
#include "base/Error.h"
#include "base/Folderlock.h"
#include "segment/Segmentrun.h"
#include "strain/Strainfield.h"
#include "track/Trackfiles.h"
#include "track/Tracksequence.h"

using namespace pybind11::literals;

namespace {

struct TPyStep {
  TTrackStep Step;
  std::optional<TPyStrain> Strain;  // none for a failed step
};

// Runs the sequence on a thread of its own and hands its steps over as they are written; a
// notebook shows each while the next picture is measured.
class TPyTrack {
 public:
  TPyTrack(std::vector<std::string> pictures, std::string out, TTrackOptions options,
           py::object folder, std::unique_ptr<TFolderLock> lock)
      : FPictures(std::move(pictures)),
        FOut(std::move(out)),
        FOptions(options),
        FFolder(std::move(folder)),
        FLock(std::move(lock)) {
    FThread = std::thread([this] { Run(); });
  }
  ~TPyTrack() { Close(); }
  TPyTrack(const TPyTrack&) = delete;
  TPyTrack& operator=(const TPyTrack&) = delete;

  TPyStep Next() {
    std::unique_lock<std::mutex> lock(FMutex, std::defer_lock);
    for (;;) {
      {
        // Waits in short turns so that Ctrl-C reaches Python between them.
        py::gil_scoped_release release;
        lock.lock();
        FChanged.wait_for(lock, std::chrono::milliseconds(100),
                          [this] { return !FSteps.empty() || FDone; });
      }
      if (!FSteps.empty() || FDone) break;
      lock.unlock();
      if (PyErr_CheckSignals() != 0) throw py::error_already_set();
    }
    if (!FSteps.empty()) {
      TDone done = std::move(FSteps.front());
      FSteps.pop_front();
      lock.unlock();
      TPyStep step{done.Step, std::nullopt};
      if (done.Field) step.Strain = StrainResultOf(std::move(done.Field));
      return step;
    }
    lock.unlock();
    Close();
    if (FFailure) std::rethrow_exception(std::exchange(FFailure, nullptr));
    throw py::stop_iteration();
  }

  // Stops after the step in hand, waits for the thread, gives the folder free for another run
  // and removes a temporary folder.
  void Close() {
    FStop = true;
    if (FThread.joinable()) {
      py::gil_scoped_release release;
      FThread.join();
    }
    FLock.reset();
    if (!FFolder.is_none()) std::exchange(FFolder, py::none()).attr("cleanup")();
  }

 private:
  void Run() {
    TTrackHooks hooks;
    hooks.Stop = &FStop;
    hooks.Lock = FLock.get();
    std::shared_ptr<const TStrainField> measured;
    hooks.StepMeasured = [&measured](const TTrackStep&, const TStrainField& field) {
      measured = std::make_shared<TStrainField>(field);
    };
    hooks.StepDone = [this, &measured](const TTrackStep& step, int32_t, int32_t) {
      std::shared_ptr<const TStrainField> field = std::exchange(measured, nullptr);
      // The arrays are made where Python runs: the step waits as a field until then.
      std::lock_guard<std::mutex> lock(FMutex);
      FSteps.push_back({step, step.Good() ? field : nullptr});
      FChanged.notify_all();
    };
    try {
      // Steps that could not be written fail the run as they fail latticor-cli track.
      const std::string unwritten =
          UnwrittenStepsMessage(TrackSequence(FPictures, FOut, FOptions, hooks), FOut);
      if (!unwritten.empty()) throw TError(unwritten);
    } catch (...) {
      std::lock_guard<std::mutex> lock(FMutex);
      FFailure = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(FMutex);
    FDone = true;
    FChanged.notify_all();
  }

  std::vector<std::string> FPictures;
  std::string FOut;
  TTrackOptions FOptions;
  py::object FFolder;                  // a tempfile.TemporaryDirectory when no folder was given
  std::unique_ptr<TFolderLock> FLock;  // held from the check to the end of the run
  std::atomic<bool> FStop{false};
  std::mutex FMutex;
  std::condition_variable FChanged;
  struct TDone {
    TTrackStep Step;
    std::shared_ptr<const TStrainField> Field;
  };
  std::deque<TDone> FSteps;  // written, not yet taken
  bool FDone = false;
  std::exception_ptr FFailure;
  std::thread FThread;
};

TTrackOptions TrackOptionsOf(std::optional<bool> black, int32_t median,
                             std::optional<int32_t> window, int32_t adjust,
                             std::optional<int32_t> threshold, const py::object& leastArea,
                             const std::string& centroid, const std::string& dots,
                             std::optional<int32_t> maxNx, std::optional<int32_t> maxNy,
                             std::array<float, 2> scale, int32_t neighbourhood,
                             const std::string& measure, std::optional<std::array<float, 2>> shift,
                             std::optional<int32_t> jobs, bool plots, const std::string& bits16) {
  TTrackOptions o = BatchTrackOptions();
  o.Bits16 = Bits16Of(bits16);
  if (black) o.BlackDots = *black, o.FindPolarity = false;
  if (median != 0) o.Median = median;
  o.Window = window;
  o.Adjust = adjust;
  o.Threshold = threshold;
  TSegmentRunOptions segmentation;
  segmentation.Median = o.Median, segmentation.Window = window, segmentation.Adjust = adjust;
  segmentation.Threshold = threshold;
  CheckSegmentRunOptions(segmentation);
  if (py::isinstance<py::str>(leastArea) &&
      (leastArea.cast<std::string>() == "robust" || leastArea.cast<std::string>() == "auto")) {
    o.AutoLeastArea = leastArea.cast<std::string>() == "auto";
  } else if (py::isinstance<py::int_>(leastArea) && !py::isinstance<py::bool_>(leastArea) &&
             leastArea.cast<long long>() >= 0 && leastArea.cast<long long>() <= 2147483647) {
    o.LeastArea = leastArea.cast<int32_t>();
  } else {
    throw py::value_error(
        "least_area must be \"robust\", \"auto\" or a number of pixels (0 or "
        "more), not " +
        std::string(py::repr(leastArea)));
  }
  if (centroid != "plain" && centroid != "refined")
    throw py::value_error("centroid must be \"plain\" or \"refined\", not \"" + centroid + "\"");
  o.RefinedCentroids = centroid == "refined";
  o.LatticeDots = LatticeOf(dots);
  if (!!maxNx != !!maxNy) throw py::value_error("max_nx and max_ny go together");
  for (const auto& size : {maxNx, maxNy})
    if (size && (*size < 1 || *size > 100000))
      throw py::value_error("max_nx and max_ny must be from 1 to 100000");
  o.MaxNx = maxNx, o.MaxNy = maxNy;
  for (float f : scale) CheckFinite(f, "scale", true);
  o.ScaleX = scale[0], o.ScaleY = scale[1];
  if (neighbourhood < 1 || neighbourhood > 50)
    throw py::value_error("neighbourhood must be from 1 to 50, not " +
                          std::to_string(neighbourhood));
  o.Neighbourhood = neighbourhood;
  if (measure == "green")
    o.Measure = TStrainMeasure::Green;
  else if (measure != "small")
    throw py::value_error("measure must be \"small\" or \"green\", not \"" + measure + "\"");
  if (shift) {
    for (float f : *shift) CheckFinite(f, "shift", false);
    o.Shift = shift;
  }
  if (jobs && (*jobs < 1 || *jobs > 256))
    throw py::value_error("jobs must be from 1 to 256, not " + std::to_string(*jobs));
  if (jobs) o.Jobs = *jobs;
  o.Plots = plots;
  return o;
}

}  // namespace

void AddTrack(py::module_& m) {
  py::class_<TPyStep> step(
      m, "TrackStep",
      "One step of a sequence: the fields of a row of summary.csv (step, picture, dots, pairs, "
      "lost, mean_dx, mean_dy, exx, eyy, exy, rotation, reason, registration; good is reason == "
      "\"\"; note says how a step was registered when not simply as predicted) and strain, the "
      "step's Strain against the first picture (None for a failed step).");
  step.def_property_readonly("step", [](const TPyStep& s) { return s.Step.Step; })
      .def_property_readonly("picture", [](const TPyStep& s) { return s.Step.Picture; })
      .def_property_readonly("dots", [](const TPyStep& s) { return s.Step.Dots; })
      .def_property_readonly("pairs", [](const TPyStep& s) { return s.Step.Pairs; })
      .def_property_readonly("lost", [](const TPyStep& s) { return s.Step.Lost; })
      .def_property_readonly("mean_dx", [](const TPyStep& s) { return s.Step.MeanDx; })
      .def_property_readonly("mean_dy", [](const TPyStep& s) { return s.Step.MeanDy; })
      .def_property_readonly("exx", [](const TPyStep& s) { return s.Step.Exx; })
      .def_property_readonly("eyy", [](const TPyStep& s) { return s.Step.Eyy; })
      .def_property_readonly("exy", [](const TPyStep& s) { return s.Step.Exy; })
      .def_property_readonly("rotation", [](const TPyStep& s) { return s.Step.Rotation; })
      .def_property_readonly("reason", [](const TPyStep& s) { return s.Step.Reason; })
      .def_property_readonly("registration", [](const TPyStep& s) { return s.Step.Registration; })
      .def_property_readonly("note", [](const TPyStep& s) { return s.Step.Note; })
      .def_property_readonly("good", [](const TPyStep& s) { return s.Step.Good(); })
      .def_property_readonly("strain",
                             [](const TPyStep& s) -> py::object {
                               if (!s.Strain) return py::none();
                               return py::cast(*s.Strain);
                             })
      .def("__repr__", [](const TPyStep& s) {
        return "<latticor.TrackStep " + std::to_string(s.Step.Step) + " " + s.Step.Picture +
               (s.Step.Good() ? ": " + std::to_string(s.Step.Pairs) + " pairs>"
                              : ": failed: " + s.Step.Reason + ">");
      });

  py::class_<TPyTrack>(m, "Track",
                       "The steps of track() as they are written; close() stops after the step "
                       "in hand.")
      .def("__iter__", [](TPyTrack& t) -> TPyTrack& { return t; })
      .def("__next__", &TPyTrack::Next)
      .def("close", &TPyTrack::Close)
      .def("__enter__", [](TPyTrack& t) -> TPyTrack& { return t; })
      .def("__exit__", [](TPyTrack& t, const py::args&) { t.Close(); });

  m.def(
      "track",
      [](const py::object& pictures, const py::object& out, bool force, std::optional<bool> black,
         int32_t median, std::optional<int32_t> window, int32_t adjust,
         std::optional<int32_t> threshold, const py::object& leastArea, const std::string& centroid,
         const std::string& dots, std::optional<int32_t> maxNx, std::optional<int32_t> maxNy,
         std::array<float, 2> scale, int32_t neighbourhood, const std::string& measure,
         std::optional<std::array<float, 2>> shift, std::optional<int32_t> jobs, bool plots,
         const std::string& bits16) {
        std::vector<std::string> given;
        if (IsPath(pictures)) {
          given.push_back(PathOf(pictures, "pictures"));
        } else {
          for (const py::handle& p : py::iter(pictures)) given.push_back(PathOf(p, "a picture"));
        }
        const TTrackOptions options =
            TrackOptionsOf(black, median, window, adjust, threshold, leastArea, centroid, dots,
                           maxNx, maxNy, scale, neighbourhood, measure, shift, jobs, plots, bits16);
        py::object folder = py::none();
        std::string outDir;
        if (out.is_none()) {
          folder = py::module_::import("tempfile")
                       .attr("TemporaryDirectory")("prefix"_a = "latticor-track-");
          outDir = folder.attr("name").cast<std::string>();
        } else {
          outDir = PathOf(out, "out");
        }
        std::vector<std::string> sequence = TrackPictures(given, outDir);
        std::unique_ptr<TFolderLock> lock;
        const TFileCheck check = LockTrackFiles(sequence, outDir, plots, force, lock);
        if (check.Status == 2) throw py::value_error(check.Message);
        if (check.Status != 0) throw TError(check.Message);
        return std::make_unique<TPyTrack>(std::move(sequence), outDir, options, folder,
                                          std::move(lock));
      },
      py::arg("pictures"), py::arg("out") = py::none(), py::kw_only(), py::arg("force") = false,
      py::arg("black") = py::none(), py::arg("median") = 0, py::arg("window") = py::none(),
      py::arg("adjust") = 0, py::arg("threshold") = py::none(), py::arg("least_area") = "robust",
      py::arg("centroid") = "refined", py::arg("dots") = "lattice", py::arg("max_nx") = py::none(),
      py::arg("max_ny") = py::none(), py::arg("scale") = std::array<float, 2>{1.0f, 1.0f},
      py::arg("neighbourhood") = 1, py::arg("measure") = "small", py::arg("shift") = py::none(),
      py::arg("jobs") = py::none(), py::arg("plots") = false, py::arg("bits16") = "percentile",
      "track(pictures, out=None, *, force=False, black=None, median=0, window=None, adjust=0, "
      "threshold=None, least_area=\"robust\", centroid=\"refined\", dots=\"lattice\", max_nx=None, "
      "max_ny=None, "
      "scale=(1, 1), neighbourhood=1, measure=\"small\", shift=None, jobs=None, plots=False, "
      "bits16=\"percentile\") -> Track\n\n"
      "Tracks a sequence of pictures of one grid as latticor-cli track: every picture indexed "
      "from the one before (each dot where its own motion predicts it, the motion found again "
      "from the pictures where a step departs from that), matched against the first, strain "
      "per step. pictures: paths in "
      "order (the first is the reference), one folder (its pictures in natural order) or a "
      "multi-page TIFF (its pages in order; \"stack.tif#N\" names page N, from 1). "
      "Returns an iterator of TrackStep, each as soon as it is written. The files (summary.csv, "
      "step-NNNN.csv, codes/) go to out, which an earlier run's results keep unless force and "
      "one run at a time writes into (until the iterator ends or is closed); without out to a "
      "temporary folder removed at the end. jobs: pictures segmented at once "
      "(default: the machine's cores). black: None finds the dots' colour from the first picture. "
      "measure: \"small\" or \"green\" (Green-Lagrange, free of rigid rotation). shift=(dx, dy): "
      "the grid's motion from the first picture to the second, pixels, where nothing in the "
      "pictures decides it. The other options as in segment() and measure(); "
      "least_area \"robust\", \"auto\" or pixels; max_nx with max_ny. Raises latticor.Error "
      "when the first picture fails or another run writes into out; later failures are steps "
      "with a reason; a pair whose motion nothing decides is a step with registration "
      "\"ambiguous\"; steps whose files could not be written raise latticor.Error after the "
      "last step.");
}
