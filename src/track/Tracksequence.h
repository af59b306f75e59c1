#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "track/Trackoptions.h"

class TFolderLock;
class TStrainField;

// What a shell learns while a sequence runs, and how it stops one.
struct TTrackHooks {
  // After every step (good or failed) is written, with the number of steps done and the total;
  // called on the thread that writes the steps, one call at a time.
  std::function<void(const TTrackStep& step, int32_t done, int32_t total)> StepDone;
  // Just before StepDone of a step that was matched against the reference, with its strain
  // field (the rows of its step file); on the same thread.
  std::function<void(const TTrackStep& step, const TStrainField& field)> StepMeasured;
  // Set (say by a signal handler) to stop after the step in hand; steps written stay complete.
  const std::atomic<bool>* Stop = nullptr;
  // The lock the shell took on outDir before its checks (LockTrackFiles); without one the run
  // takes it itself.
  const TFolderLock* Lock = nullptr;
};

// The choices of a sequence run by the command line and Python unless they say otherwise:
// refined centroids, the lattice rules of extraction, and as many pictures extracted at once as
// the machine has cores.
TTrackOptions BatchTrackOptions();

// Tracks a sequence of pictures of one grid. The first picture is the reference and is indexed
// from its own origin; every later picture is indexed with the last good picture's dots as
// reference, looked for where the grid's motion per step so far takes them, so the indices stay
// on the same physical dots for any total motion as long as each step's motion differs from the
// one before by less than about 0.4 pitch. Every step is matched against the reference: the strain
// CSV goes to outDir/step-NNNN.csv and the code file to outDir/codes/NAME.cod (NAME the picture's
// name without its extension); outDir/summary.csv gets one row per step and is rewritten after
// every step. With options.Plots, outDir/summary.png (mean strains against the step) and the maps
// of the last step in outDir/plots/ follow the last step. A step that fails is reported with its
// reason and the next one follows the last good one. A step's files are written on a thread of
// their own while the next picture is indexed; a step's code file, strain CSV and summary row are
// committed together, so a step whose files cannot be written has none of them, is reported
// failed with its WriteError, and its indices still lead the next picture. The run holds
// TFolderLock on outDir (or the shell's, hooks.Lock). Pictures are segmented and extracted
// options.Jobs at a time; the results do not depend on it. Raises TError when there is no picture,
// the reference fails, outDir cannot be made or another run holds it; returns the steps done.
std::vector<TTrackStep> TrackSequence(const std::vector<std::string>& pictures,
                                      const std::string& outDir, const TTrackOptions& options,
                                      const TTrackHooks& hooks = {});

// The step's means from its strain field, leaving out the dots whose neighbourhood is not
// complete (borders, crack lips, holes), whose strain rests on fewer neighbours; over all paired
// dots where none is complete.
void SetStepMeans(TTrackStep& step, const TStrainField& field, int32_t neighbourhood);

// Where a sequence's files go: outDir/step-NNNN.csv for step k, and outDir/codes/NAME.cod for a
// picture (NAME its file name without the extension).
std::string TrackStepFile(const std::string& outDir, size_t step);
std::string TrackCodeFile(const std::string& outDir, const std::string& picture);

// "step,picture,dots,pairs,lost,mean_dx,mean_dy,exx,eyy,exy,reason" and one row per step; the
// number cells of a failed step are empty. Saved through the atomic writer.
void WriteTrackSummary(const std::string& path, const std::vector<TTrackStep>& steps);
