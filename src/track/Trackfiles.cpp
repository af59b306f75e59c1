#include "track/Trackfiles.h"

#include <filesystem>

#include "track/Tracksequence.h"

void TrackCommandFiles(const std::vector<std::string>& pictures, const std::string& outDir,
                       bool plots, std::vector<TCommandFile>& inputs,
                       std::vector<TCommandFile>& outputs) {
  const std::filesystem::path out(outDir);
  outputs.push_back({"summary.csv", (out / "summary.csv").string(), ""});
  if (plots) outputs.push_back({"summary.png", (out / "summary.png").string(), ""});
  for (size_t i = 0; i < pictures.size(); ++i) {
    inputs.push_back({"PICTURE " + pictures[i], pictures[i], ""});
    outputs.push_back({"the code file of " + pictures[i], TrackCodeFile(outDir, pictures[i]), ""});
    outputs.push_back(
        {"the strain file of step " + std::to_string(i), TrackStepFile(outDir, i), ""});
  }
}
