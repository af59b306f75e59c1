#include "track/Tracksequence.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <unordered_set>

#include "base/AtomicFile.h"
#include "base/Error.h"
#include "base/Folderlock.h"
#include "base/Path.h"
#include "base/SaveGroup.h"
#include "encode/Codefile.h"
#include "encode/Encode.h"
#include "encode/Encodedefaults.h"
#include "encode/Encodereference.h"
#include "encode/Encoderun.h"
#include "image/Grayimage.h"
#include "strain/Straincsv.h"
#include "strain/Strainpairs.h"
#include "strain/Strainplot.h"
#include "track/Serialworker.h"
#include "track/Trackindexer.h"
#include "track/Trackinput.h"
#include "track/Trackpipeline.h"
#include "track/Trackplot.h"
#include "track/Tracksplit.h"

namespace {

// Matches a step's code file against the reference's.
TStrainField MeasureStep(const TCodeFileContent& reference, const std::string& referenceCodes,
                         const std::string& codes, int32_t referenceDots,
                         const TTrackOptions& options, TTrackStep& step) {
  TStrainOptions strainOptions;
  strainOptions.Neighbourhood = options.Neighbourhood;
  strainOptions.Measure = options.Measure;
  TStrainField field = StrainFromCodeFiles(reference, referenceCodes, codes, strainOptions);
  step.Pairs = static_cast<int32_t>(field.Points().size());
  step.Lost = referenceDots - step.Pairs;
  SetStepMeans(step, field, options.Neighbourhood);
  return field;
}

// The summary plot and the maps of the last step that has strain, over the reference picture.
void SaveTrackPlots(const std::string& outDir, const std::vector<TTrackStep>& steps,
                    const TStrainField* last, const std::string& referencePicture,
                    const TTrackOptions& options) {
  SavePng(RenderTrackSummary(steps), (std::filesystem::path(outDir) / "summary.png").string());
  if (!last) return;
  const std::unique_ptr<TGrayImage> picture = LoadSequencePicture(referencePicture, options.Bits16);
  SavePlots((std::filesystem::path(outDir) / "plots").string(), *last, picture.get());
}

}  // namespace

TTrackOptions BatchTrackOptions() {
  TTrackOptions options;
  options.Jobs = static_cast<int32_t>(std::clamp(std::thread::hardware_concurrency(), 1u, 256u));
  options.RefinedCentroids = true;
  options.FindPolarity = true;
  options.LatticeDots = true;
  return options;
}

std::vector<TTrackStep> TrackSequence(const std::vector<std::string>& pictures,
                                      const std::string& outDir, const TTrackOptions& options,
                                      const TTrackHooks& hooks) {
  if (pictures.empty()) throw TError("No picture to track");
  std::error_code failure;
  std::filesystem::create_directories(std::filesystem::path(outDir) / "codes", failure);
  if (failure) throw TError("Cannot create the folder " + outDir + ": " + failure.message());
  // One run at a time writes into a folder: two would mix their steps and summaries.
  std::optional<TFolderLock> lock;
  if (!hooks.Lock) lock.emplace(outDir);
  if (options.Plots) CheckPlotFolder((std::filesystem::path(outDir) / "plots").string());

  // Three stages: this thread indexes each picture from the one before (the only work that
  // must wait for the previous picture); a thread per step saves its code file, matches it
  // against the reference and writes its strain file, steps side by side; the writer then
  // lists the steps in summary.csv, in order, while the next pictures are indexed.
  if (options.Extracted)  // every picture's dots are there before any work
    for (const std::string& picture : pictures)
      if (!FileExists(TrackDotsFile(outDir, picture)))
        throw TError("The dots of " + picture + " are missing (" + TrackDotsFile(outDir, picture) +
                     "): extract them first with --extract");
  const TTrackOptions run = WithDotColour(pictures[0], options);
  TTrackPipeline pipeline(pictures.size(), run, [&](size_t i) {
    return run.Extracted ? ReadDotsFile(TrackDotsFile(outDir, pictures[i]), pictures[i], run)
                         : ExtractPicture(pictures[i], run);
  });
  std::vector<TTrackStep> steps;  // the writer's until it has finished
  const int32_t total = static_cast<int32_t>(pictures.size());
  const std::string summary = (std::filesystem::path(outDir) / "summary.csv").string();
  const std::string referenceCodes = TrackCodeFile(outDir, pictures[0]);
  int32_t referenceDots = 0;
  std::unique_ptr<TStrainField> lastField;  // for the maps
  auto stopped = [&hooks] { return hooks.Stop && hooks.Stop->load(); };
  // The reference's code file as read back, once its step has saved it: every step is matched
  // against it.
  std::promise<std::shared_ptr<const TCodeFileContent>> referenceSaved;
  std::shared_future<std::shared_ptr<const TCodeFileContent>> referenceCodeFile =
      referenceSaved.get_future().share();
  struct TMeasured {
    TTrackStep Step;
    std::unique_ptr<TStrainField> Field;  // kept for the hook and the maps
    // The step's code file and strain CSV, held back until the summary that lists the step is
    // written: a step's files are complete together or missing together.
    std::unique_ptr<TSaveGroup> Files;
  };
  // Saves and measures a step on a thread of its own; job is null for a step whose picture could
  // not be indexed.
  auto measureStep = [&](TTrackStep step, const std::unique_ptr<TEncode>& job) {
    TMeasured done{step, nullptr, nullptr};
    if (!job || (step.Step > 0 && stopped())) return done;
    const size_t i = static_cast<size_t>(step.Step);
    bool told = false;
    done.Files = std::make_unique<TSaveGroup>();
    try {
      const std::string codes = TrackCodeFile(outDir, pictures[i]);
      job->SaveCodes(codes);
      // The code file is read back as written, from where it waits for the commit.
      const std::string written = done.Files->Where(codes);
      if (i == 0) {
        referenceSaved.set_value(std::make_shared<const TCodeFileContent>(ReadCodeFile(written)));
        told = true;
      }
      try {
        TStrainField field = MeasureStep(*referenceCodeFile.get(), referenceCodes, written,
                                         referenceDots, options, done.Step);
        WriteStrainCsv(TrackStepFile(outDir, i), field);
        if (hooks.StepMeasured || (options.Plots && field.StrainCount() > 0))
          done.Field = std::make_unique<TStrainField>(std::move(field));
      } catch (const TError& e) {
        if (!told) throw;  // the reference itself is not there
        done.Step.Reason = e.Message();
      }
    } catch (...) {
      // The steps waiting for the reference learn why it is not there.
      if (i == 0 && !told) referenceSaved.set_exception(std::current_exception());
      done.Files.reset();
      // Without the reference's code file nothing can follow.
      if (i == 0) throw;
      try {
        throw;
      } catch (const TError& e) {
        done.Step.Reason = done.Step.WriteError = e.Message();
        done.Field.reset();
      }
    }
    if (done.Files) done.Files->Suspend();
    return done;
  };
  // Lists a step in the summary, in order, and commits its files with it.
  auto finishStep = [&](TMeasured done) {
    if (done.Step.Step > 0 && stopped()) return;  // measured, but the run stopped: nothing stays
    const size_t i = static_cast<size_t>(done.Step.Step);
    std::unique_ptr<TSaveGroup> group =
        done.Files ? std::move(done.Files) : std::make_unique<TSaveGroup>();
    group->Resume();
    steps.push_back(done.Step);
    try {
      WriteTrackSummary(summary, steps);
      group->Commit();
    } catch (const TError& e) {
      // Without the reference's code file nothing can follow.
      if (i == 0) throw;
      group.reset();
      done.Step.Reason = done.Step.WriteError = e.Message();
      done.Field.reset();
      steps.back() = done.Step;
      try {  // the summary says why the step is missing, if the disk takes that much
        WriteTrackSummary(summary, steps);
      } catch (const TError&) {
      }
    }
    group.reset();
    if (done.Field && hooks.StepMeasured) hooks.StepMeasured(done.Step, *done.Field);
    if (done.Field && options.Plots && done.Field->StrainCount() > 0)
      lastField = std::move(done.Field);
    if (hooks.StepDone) hooks.StepDone(done.Step, static_cast<int32_t>(steps.size()), total);
  };
  TSerialWorker writer(2);

  TTrackIndexer indexer(run, pictures.size() > 2);
  for (size_t i = 0; i < pictures.size(); ++i) {
    if ((i > 0 && stopped()) || writer.Failed()) break;
    TTrackStep step;
    step.Step = static_cast<int32_t>(i);
    step.Picture = ExtractFileName(pictures[i]);
    std::unique_ptr<TEncode> job;
    try {
      TPictureDots extracted;
      std::string error;
      if (!pipeline.Take(i, extracted, error)) throw TError(error);
      job = JobFromDots(extracted, run);
      const TStepIndexing indexing = indexer.Index(*job, static_cast<int32_t>(i));
      step.Dots = job->DotSum();
      step.Registration = RegistrationName(indexing.How);
      step.Note = indexing.Note;
      if (i == 0) referenceDots = static_cast<int32_t>(CodedDots(*job).size());
    } catch (const TError& e) {
      // Without a reference nothing can follow.
      if (i == 0) throw;
      step.Reason = e.Message();
      job.reset();
    }
    auto measured = std::make_shared<std::future<TMeasured>>(
        std::async(std::launch::async,
                   [&measureStep, step, job = std::move(job)] { return measureStep(step, job); }));
    writer.Post([&finishStep, measured] { finishStep(measured->get()); });
  }
  writer.Finish();
  if (options.Plots) SaveTrackPlots(outDir, steps, lastField.get(), pictures[0], options);
  return steps;
}

void SetStepMeans(TTrackStep& step, const TStrainField& field, int32_t neighbourhood) {
  std::unordered_set<int64_t> at;
  for (const TStrainPoint& point : field.Points())
    at.insert(int64_t{point.Pair.Nx} * 4294967296LL + static_cast<uint32_t>(point.Pair.Ny));
  const int32_t k = neighbourhood;
  auto complete = [&](const TStrainPoint& point) {
    for (int32_t y = -k; y <= k; ++y)
      for (int32_t x = -k; x <= k; ++x)
        if (!at.count(int64_t{point.Pair.Nx + x} * 4294967296LL +
                      static_cast<uint32_t>(point.Pair.Ny + y)))
          return false;
    return true;
  };
  const bool anyComplete = std::any_of(field.Points().begin(), field.Points().end(), complete);
  double dx = 0, dy = 0, exx = 0, eyy = 0, exy = 0, rotation = 0;
  int32_t moved = 0, strained = 0;
  for (const TStrainPoint& point : field.Points()) {
    if (anyComplete && !complete(point)) continue;
    ++moved;
    dx += point.Pair.Dx;
    dy += point.Pair.Dy;
    if (!point.HasStrain) continue;
    ++strained;
    exx += point.Exx;
    eyy += point.Eyy;
    exy += point.Exy;
    rotation += point.Rotation;
  }
  step.MeanDx = dx / moved;
  step.MeanDy = dy / moved;
  if (strained > 0) {
    step.Exx = exx / strained;
    step.Eyy = eyy / strained;
    step.Exy = exy / strained;
    step.Rotation = rotation / strained;
  }
}

std::string TrackStepFile(const std::string& outDir, size_t step) {
  char name[32];
  std::snprintf(name, sizeof name, "step-%04zu.csv", step);
  return (std::filesystem::path(outDir) / name).string();
}

std::string TrackCodeFile(const std::string& outDir, const std::string& picture) {
  const TSequencePicture which = SplitPicturePage(picture);
  std::filesystem::path name = std::filesystem::path(which.File).filename().replace_extension("");
  if (which.Paged) name += '#' + std::to_string(which.Page);
  return (std::filesystem::path(outDir) / "codes" / name).string() + ".cod";
}

void WriteTrackSummary(const std::string& path, const std::vector<TTrackStep>& steps) {
  std::string text =
      "step,picture,dots,pairs,lost,mean_dx,mean_dy,exx,eyy,exy,rotation,reason,registration\n";
  for (const TTrackStep& step : steps) {
    text += std::to_string(step.Step) + ',' + step.Picture + ',';
    if (step.Good()) {
      text += std::to_string(step.Dots) + ',' + std::to_string(step.Pairs) + ',' +
              std::to_string(step.Lost) + ',';
      for (double value : {step.MeanDx, step.MeanDy}) {
        AppendCsvFixed(text, value, 6);
        text += ',';
      }
      for (double value : {step.Exx, step.Eyy, step.Exy, step.Rotation}) {
        AppendGeneral(text, value, 8);
        text += ',';
      }
    } else {
      text += ",,,,,,,,,";
      // One cell: messages may hold line breaks and commas.
      std::string reason;
      for (char c : step.Reason) reason += c == '\n' || c == '\r' ? ' ' : c == '"' ? '\'' : c;
      text += '"' + reason + '"';
    }
    text += ',' + step.Registration + '\n';
  }
  TAtomicFile file(path);
  file.OpenOrRaise();
  file.Write(text);
  file.Commit();
}
