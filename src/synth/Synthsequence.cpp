#include "synth/Synthsequence.h"

#include <cstdio>
#include <filesystem>

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
