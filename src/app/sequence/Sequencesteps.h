#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "strain/Strainfield.h"
#include "strain/Strainoptions.h"
#include "track/Trackoptions.h"

// A tracked sequence as the sequence window shows it: the steps of its summary, where its code
// files and pictures are, each step's strain computed from its code file and the reference's as
// the track command computes it, and the history of one dot over the steps. A field is computed
// once: the last few are kept whole, and every one leaves its dots' values in a table for the
// histories.
class TSequenceSteps {
 public:
  // pictures: the pictures' paths in step order when known (a run of this window), else empty:
  // then a step's picture is looked for by its name in the picture folder.
  TSequenceSteps(std::string outDir, std::vector<std::string> pictures,
                 const TStrainOptions& options);

  const std::string& OutDir() const { return FOutDir; }
  const std::vector<TTrackStep>& Steps() const { return FSteps; }
  void SetSteps(std::vector<TTrackStep> steps) { FSteps = std::move(steps); }
  // A step just tracked (they come in order), with its field when the run handed it over.
  void AddStep(const TTrackStep& step, std::shared_ptr<const TStrainField> field = nullptr);
  const TStrainOptions& Options() const { return FOptions; }

  void SetPictureFolder(const std::string& folder) { FPictureFolder = folder; }
  // Step k's picture; "" when it is not known or not there.
  std::string PicturePath(size_t k) const;

  // Step k's strain against the reference. Raises TError for a failed step (with its reason)
  // and the reader's error for a code file that is missing or bad.
  std::shared_ptr<const TStrainField> Field(size_t k);

  // The values of one reference dot over the steps: displacement dx, dy and strain exx, eyy,
  // exy, NaN where the step failed or lost the dot (or it has no strain there).
  struct THistory {
    int32_t Nx = 0, Ny = 0;
    std::vector<std::array<double, 5>> Values;  // per step
  };
  // Computes the fields not yet seen; cancelled() is asked between steps and ends the work
  // with TCancelled. Raises TError for a dot the reference does not have.
  THistory History(int32_t nx, int32_t ny, const std::function<bool()>& cancelled);

  static constexpr size_t KeptFields = 3;

 private:
  void Remember(size_t k, const std::shared_ptr<const TStrainField>& field);

  std::string FOutDir;
  std::vector<std::string> FPictures;
  std::string FPictureFolder;
  TStrainOptions FOptions;
  std::vector<TTrackStep> FSteps;
  std::vector<std::pair<size_t, std::shared_ptr<const TStrainField>>> FKept;  // newest last
  // The reference's dots by grid position, and each step's values of them (empty: not yet).
  std::unordered_map<int64_t, size_t> FDotIndex;
  std::vector<std::vector<std::array<float, 5>>> FTable;
};
