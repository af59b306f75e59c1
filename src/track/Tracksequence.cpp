#include "track/Tracksequence.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
#include "encode/Encode.h"
#include "encode/Encodedefaults.h"
#include "encode/Encodereference.h"
#include "encode/Encoderun.h"
#include "image/Grayimage.h"
#include "segment/Dotpolarity.h"
#include "strain/Straincsv.h"
#include "strain/Strainpairs.h"
#include "strain/Strainplot.h"
#include "track/Serialworker.h"
#include "track/Trackindexer.h"
#include "track/Trackpipeline.h"
#include "track/Trackplot.h"

namespace {

// Matches a step's code file against the reference's.
TStrainField MeasureStep(const std::string& referenceCodes, const std::string& codes,
                         int32_t referenceDots, const TTrackOptions& options, TTrackStep& step) {
  TStrainOptions strainOptions;
  strainOptions.Neighbourhood = options.Neighbourhood;
  strainOptions.Measure = options.Measure;
  TStrainField field = StrainFromCodeFiles(referenceCodes, codes, strainOptions);
  step.Pairs = static_cast<int32_t>(field.Points().size());
  step.Lost = referenceDots - step.Pairs;
  SetStepMeans(step, field, options.Neighbourhood);
  return field;
}

// The summary plot and the maps of the last step that has strain, over the reference picture.
void SaveTrackPlots(const std::string& outDir, const std::vector<TTrackStep>& steps,
                    const TStrainField* last, const std::string& referencePicture) {
  SavePng(RenderTrackSummary(steps), (std::filesystem::path(outDir) / "summary.png").string());
  if (!last) return;
  const TGrayImage picture(referencePicture);
  SavePlots((std::filesystem::path(outDir) / "plots").string(), *last, &picture);
}

// Black dots or white, from the first picture; raises when it cannot be told.
bool FindDotColour(const std::string& picture) {
  const TPolarityGuess guess = GuessDotPolarity(TGrayImage(picture));
  if (guess.Polarity == TDotPolarity::Unsure)
    throw TError("The dots' colour cannot be told from " + picture + ": give --white or --black");
  return guess.Polarity == TDotPolarity::Black;
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

  // Two stages: this thread indexes each picture from the one before (the only work that must
  // wait for the previous picture), the writer saves its code file, matches it against the
  // reference and writes the step's files, in order, while the next picture is indexed.
  TTrackOptions run = options;
  if (run.FindPolarity) run.BlackDots = FindDotColour(pictures[0]);
  TTrackPipeline pipeline(pictures, run);
  std::vector<TTrackStep> steps;  // the writer's until it has finished
  const int32_t total = static_cast<int32_t>(pictures.size());
  const std::string summary = (std::filesystem::path(outDir) / "summary.csv").string();
  const std::string referenceCodes = TrackCodeFile(outDir, pictures[0]);
  int32_t referenceDots = 0;
  std::unique_ptr<TStrainField> lastField;  // for the maps
  auto stopped = [&hooks] { return hooks.Stop && hooks.Stop->load(); };
  // Measures and writes a step; job is null for a step whose picture could not be indexed.
  auto finishStep = [&](TTrackStep step, const std::unique_ptr<TEncode>& job) {
    if (step.Step > 0 && stopped()) return;
    const size_t i = static_cast<size_t>(step.Step);
    std::unique_ptr<TStrainField> field;
    // A step's files are complete together or missing together: its code file, its strain CSV
    // and the summary that lists it are committed at once.
    try {
      TSaveGroup group;
      if (job) {
        const std::string codes = TrackCodeFile(outDir, pictures[i]);
        job->SaveCodes(codes);
        // The code file is read back as written, from where it waits for the commit.
        const std::string written = group.Where(codes);
        try {
          field = std::make_unique<TStrainField>(MeasureStep(
              i == 0 ? written : referenceCodes, written, referenceDots, options, step));
        } catch (const TError& e) {
          step.Reason = e.Message();
        }
        if (field) WriteStrainCsv(TrackStepFile(outDir, i), *field);
      }
      steps.push_back(step);
      WriteTrackSummary(summary, steps);
      group.Commit();
    } catch (const TError& e) {
      // Without the reference's code file nothing can follow.
      if (i == 0) throw;
      step.Reason = step.WriteError = e.Message();
      field.reset();
      if (steps.size() > i) steps.pop_back();
      steps.push_back(step);
      try {  // the summary says why the step is missing, if the disk takes that much
        WriteTrackSummary(summary, steps);
      } catch (const TError&) {
      }
    }
    if (field && hooks.StepMeasured) hooks.StepMeasured(step, *field);
    if (options.Plots && field && field->StrainCount() > 0) lastField = std::move(field);
    if (hooks.StepDone) hooks.StepDone(step, static_cast<int32_t>(steps.size()), total);
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
      std::string error;
      job = pipeline.Take(i, error);
      if (!job) throw TError(error);
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
    auto shared = std::make_shared<std::unique_ptr<TEncode>>(std::move(job));
    writer.Post([&finishStep, step, shared] { finishStep(step, *shared); });
  }
  writer.Finish();
  if (options.Plots) SaveTrackPlots(outDir, steps, lastField.get(), pictures[0]);
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
  return (std::filesystem::path(outDir) / "codes" /
          std::filesystem::path(picture).filename().replace_extension(".cod"))
      .string();
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
