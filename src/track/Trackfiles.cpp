#include "track/Trackfiles.h"

#include <filesystem>
#include <system_error>

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
