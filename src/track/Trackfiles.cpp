#include "track/Trackfiles.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/Error.h"
#include "strain/Strainplot.h"
#include "track/Trackinput.h"
#include "track/Tracksequence.h"

void TrackCommandFiles(const std::vector<std::string>& pictures, const std::string& outDir,
                       bool plots, std::vector<TCommandFile>& inputs,
                       std::vector<TCommandFile>& outputs) {
  const std::filesystem::path out(outDir);
  outputs.push_back({"summary.csv", (out / "summary.csv").string(), ""});
  if (plots) outputs.push_back({"summary.png", (out / "summary.png").string(), ""});
  for (size_t i = 0; i < pictures.size(); ++i) {
    inputs.push_back({"PICTURE " + pictures[i], SplitPicturePage(pictures[i]).File, ""});
    outputs.push_back({"the code file of " + pictures[i], TrackCodeFile(outDir, pictures[i]), ""});
    outputs.push_back(
        {"the strain file of step " + std::to_string(i), TrackStepFile(outDir, i), ""});
  }
}

TFileCheck CheckTrackFiles(const std::vector<std::string>& pictures, const std::string& outDir,
                           bool plots, bool force) {
  namespace fs = std::filesystem;
  const fs::path out(outDir);
  std::error_code failure;
  if (fs::exists(out, failure) && !fs::is_directory(out, failure))
    return {1, "--out " + outDir + " is a file: the results need a folder"};
  if (!force && fs::exists(out / "summary.csv", failure))
    return {1, "The folder " + outDir +
                   " holds the results of an earlier run (summary.csv): give another --out, or "
                   "--force to write over them"};
  fs::create_directories(out / "codes", failure);
  if (failure) return {1, "Cannot create the folder " + outDir + ": " + failure.message()};
  std::vector<TCommandFile> inputs, outputs;
  TrackCommandFiles(pictures, outDir, plots, inputs, outputs);
  return CheckCommandFiles(inputs, outputs, force);
}

TFileCheck LockTrackFiles(const std::vector<std::string>& pictures, const std::string& outDir,
                          bool plots, bool force, std::unique_ptr<TFolderLock>& lock) {
  lock.reset();
  // The first check makes the folder the lock file goes into, and names a file in its place.
  TFileCheck check = CheckTrackFiles(pictures, outDir, plots, force);
  if (check.Status != 0) return check;
  lock = std::make_unique<TFolderLock>(outDir);
  check = CheckTrackFiles(pictures, outDir, plots, force);
  if (check.Status != 0) lock.reset();
  return check;
}

std::vector<std::string> TrackPictures(const std::vector<std::string>& given,
                                       const std::string& outDir) {
  namespace fs = std::filesystem;
  std::vector<std::string> pictures = SequencePictures(given);
  std::error_code failure;
  if (given.size() != 1 || !fs::is_directory(given[0], failure)) return pictures;
  std::vector<std::string> own = PlotFiles((fs::path(outDir) / "plots").string());
  own.push_back((fs::path(outDir) / "summary.png").string());
  std::erase_if(pictures, [&own](const std::string& picture) {
    return std::any_of(own.begin(), own.end(), [&picture](const std::string& output) {
      std::error_code ignored;
      return fs::equivalent(picture, output, ignored);
    });
  });
  if (pictures.empty()) throw TError("No picture in the folder " + given[0]);
  return pictures;
}

std::string UnwrittenStepsMessage(const std::vector<TTrackStep>& steps, const std::string& outDir) {
  const auto unwritten = std::count_if(
      steps.begin(), steps.end(), [](const TTrackStep& step) { return !step.WriteError.empty(); });
  if (unwritten == 0) return "";
  const auto first = std::find_if(steps.begin(), steps.end(),
                                  [](const TTrackStep& step) { return !step.WriteError.empty(); });
  return std::to_string(unwritten) + " of " + std::to_string(steps.size()) +
         " steps could not be written, the first one step " + std::to_string(first->Step) + ": " +
         first->WriteError + "; their files are missing in " + outDir;
}
