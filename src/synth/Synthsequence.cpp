#include "synth/Synthsequence.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "base/Error.h"
#include "image/Grayimage.h"

TSynthOptions SequenceStep(const TSynthOptions& final, int32_t steps, int32_t k) {
  const double t = static_cast<double>(k) / steps;
  TSynthOptions options = final;
  options.TranslateX = final.TranslateX * t;
  options.TranslateY = final.TranslateY * t;
  options.Exx = final.Exx * t;
  options.Eyy = final.Eyy * t;
  options.Exy = final.Exy * t;
  options.TurnDeg = final.TurnDeg * t;
  options.CrackOpening = final.CrackOpening * t;
  return options;
}

namespace {

bool SequenceName(const std::string& name) {
  for (const auto& [stem, ext] : {std::pair{"frame-", ".bmp"}, {"truth-", ".csv"}}) {
    const std::string_view s(stem), e(ext);
    if (!name.starts_with(s) || !name.ends_with(e) || name.size() < s.size() + e.size() + 4)
      continue;
    const std::string digits = name.substr(s.size(), name.size() - s.size() - e.size());
    if (digits.find_first_not_of("0123456789") == std::string::npos) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> SequenceFilesIn(const std::string& dir) {
  std::vector<std::string> files;
  std::error_code failure;
  for (std::filesystem::directory_iterator entry(dir, failure), end; !failure && entry != end;
       entry.increment(failure))
    if (entry->is_regular_file(failure) && SequenceName(entry->path().filename().string()))
      files.push_back(entry->path().string());
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::string> WriteSynthSequence(const TSynthOptions& final, int32_t steps,
                                            const std::string& dir) {
  if (steps < 1) throw TError("A sequence needs at least 1 step");
  std::vector<std::string> pictures;
  TGrayImage image;
  for (int32_t k = 0; k <= steps; ++k) {
    const TSynthGrid grid(SequenceStep(final, steps, k));
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04d.bmp", k);
    const std::string picture = (std::filesystem::path(dir) / name).string();
    grid.Render(k > 0, image);
    image.SaveToFile(picture);
    std::snprintf(name, sizeof name, "truth-%04d.csv", k);
    grid.SaveTruthCsv((std::filesystem::path(dir) / name).string());
    pictures.push_back(picture);
  }
  return pictures;
}
