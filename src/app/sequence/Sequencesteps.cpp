#include "app/sequence/Sequencesteps.h"

#include <cmath>
#include <filesystem>
#include <limits>

#include "base/Cancel.h"
#include "base/Error.h"
#include "base/Path.h"
#include "strain/Strainpairs.h"
#include "track/Tracksequence.h"

namespace {

int64_t Key(int32_t nx, int32_t ny) {
  return int64_t{nx} * 4294967296LL + static_cast<uint32_t>(ny);
}

}  // namespace

TSequenceSteps::TSequenceSteps(std::string outDir, std::vector<std::string> pictures,
                               const TStrainOptions& options)
    : FOutDir(std::move(outDir)), FPictures(std::move(pictures)), FOptions(options) {}

std::string TSequenceSteps::PicturePath(size_t k) const {
  if (k < FPictures.size()) return FileExists(FPictures[k]) ? FPictures[k] : "";
  if (k >= FSteps.size() || FPictureFolder.empty()) return "";
  const std::string path = (std::filesystem::path(FPictureFolder) / FSteps[k].Picture).string();
  return FileExists(path) ? path : "";
}

void TSequenceSteps::AddStep(const TTrackStep& step, std::shared_ptr<const TStrainField> field) {
  FSteps.push_back(step);
  // Only after the reference's, whose dots the histories' table is made of.
  const size_t k = FSteps.size() - 1;
  if (field && (k == 0 || !FDotIndex.empty())) Remember(k, field);
}

std::shared_ptr<const TStrainField> TSequenceSteps::Field(size_t k) {
  if (k >= FSteps.size()) throw TError("No step " + std::to_string(k) + " yet");
  for (const auto& [step, field] : FKept)
    if (step == k) return field;
  // The reference's dots first: every field fills its row of the histories' table.
  if (FDotIndex.empty() && k != 0) Field(0);
  const TTrackStep& step = FSteps[k];
  if (!step.Good())
    throw TError("Step " + std::to_string(k) + " (" + step.Picture + ") failed: " + step.Reason);
  auto field = std::make_shared<const TStrainField>(StrainFromCodeFiles(
      TrackCodeFile(FOutDir, FSteps[0].Picture), TrackCodeFile(FOutDir, step.Picture), FOptions));
  Remember(k, field);
  return field;
}

void TSequenceSteps::Remember(size_t k, const std::shared_ptr<const TStrainField>& field) {
  FKept.emplace_back(k, field);
  if (FKept.size() > KeptFields) FKept.erase(FKept.begin());
  if (FTable.size() < FSteps.size()) FTable.resize(FSteps.size());
  if (FDotIndex.empty() && k == 0) {
    for (const TStrainPoint& point : field->Points())
      FDotIndex.emplace(Key(point.Pair.Nx, point.Pair.Ny), FDotIndex.size());
  }
  if (FDotIndex.empty()) return;  // filled from the reference's own field first
  std::vector<std::array<float, 5>>& row = FTable[k];
  row.assign(FDotIndex.size(), {NAN, NAN, NAN, NAN, NAN});
  for (const TStrainPoint& point : field->Points()) {
    const auto at = FDotIndex.find(Key(point.Pair.Nx, point.Pair.Ny));
    if (at == FDotIndex.end()) continue;
    std::array<float, 5>& values = row[at->second];
    values[0] = static_cast<float>(point.Pair.Dx);
    values[1] = static_cast<float>(point.Pair.Dy);
    if (!point.HasStrain) continue;
    values[2] = static_cast<float>(point.Exx);
    values[3] = static_cast<float>(point.Eyy);
    values[4] = static_cast<float>(point.Exy);
  }
}

TSequenceSteps::THistory TSequenceSteps::History(int32_t nx, int32_t ny,
                                                 const std::function<bool()>& cancelled) {
  if (FDotIndex.empty()) Field(0);
  if (FTable.size() < FSteps.size()) FTable.resize(FSteps.size());
  const auto at = FDotIndex.find(Key(nx, ny));
  if (at == FDotIndex.end())
    throw TError("The reference has no dot (" + std::to_string(nx) + ", " + std::to_string(ny) +
                 ")");
  THistory history;
  history.Nx = nx;
  history.Ny = ny;
  constexpr double None = std::numeric_limits<double>::quiet_NaN();
  // The steps there are now: a run may add some while this waits for the event loop.
  const size_t count = FSteps.size();
  for (size_t k = 0; k < count; ++k) {
    if (FTable[k].empty() && FSteps[k].Good()) {
      if (cancelled && cancelled()) throw TCancelled();
      try {
        Field(k);
      } catch (const TError&) {
        FTable[k].assign(FDotIndex.size(), {NAN, NAN, NAN, NAN, NAN});  // unreadable: none
      }
    }
    std::array<double, 5> values{None, None, None, None, None};
    if (!FTable[k].empty())
      for (size_t q = 0; q < values.size(); ++q) values[q] = FTable[k][at->second][q];
    history.Values.push_back(values);
  }
  return history;
}
