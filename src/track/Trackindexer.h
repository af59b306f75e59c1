#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "register/Registerpicture.h"
#include "track/Trackoptions.h"

class TEncode;

// How a step's picture got its indices.
enum class TStepRegistration {
  Reference,     // the first picture: its own origin and the walk
  Registered,    // the first step: the motion found from the dots' pattern
  Given,         // the first step: the motion the user gave
  Ambiguous,     // the first step: nothing decides the motion; the smallest was taken
  Predicted,     // each dot where its own motion in the steps before takes it
  ReRegistered,  // the motion departed from the prediction: found again from the pictures
};
const char* RegistrationName(TStepRegistration how);

struct TStepIndexing {
  TStepRegistration How = TStepRegistration::Reference;
  std::string Note;  // for the user, when the step was not simply predicted
  TRegisterReport Report;
};

// The indexing of a sequence, one extracted picture after the other (steps in increasing order,
// gaps allowed): the first picture from its own origin, every later one from the last good one,
// each of its dots predicted where its own motion per step so far takes it (the motion of its
// neighbours for a dot without one; no motion for the first step of a sequence). A step whose
// motion departs from the prediction by more than a quarter pitch is registered again from the
// pictures; when nothing there decides, the step fails, and the next steps are indexed from the
// last good one by the pictures alone until one is decided again. The one step of a pair is
// registered from the pictures; when nothing there decides, the smallest motion is taken and the
// step flagged as ambiguous. Callers iterate: ExtractPicture, then Index, then save the job's code
// file.
class TTrackIndexer {
 public:
  // sequence: more than two pictures, whose first step is predicted as no motion (a test's
  // steps are small); a pair's one step is registered from the pictures alone.
  TTrackIndexer(const TTrackOptions& options, bool sequence);

  // Gives the job's dots their indices. Raises TError with the reason when the step cannot be
  // indexed; the indexer then stays at its last good step.
  TStepIndexing Index(TEncode& job, int32_t step);
  // The lineage of the reference picture's indices, which every later code file carries.
  const std::string& Lineage() const { return FLineage; }
  int32_t LastGood() const { return FLastGood; }

 private:
  struct TDotTrack {
    float X = 0, Y = 0;    // where it was last found
    int32_t Step = 0;      // in which step
    float Vx = 0, Vy = 0;  // its motion per step
    bool Moving = false;   // found in two steps, so the motion is its own
  };
  void Predict(int32_t step, std::vector<float>& xs, std::vector<float>& ys) const;
  void Remember(const TEncode& job, int32_t step);

  TTrackOptions FOptions;
  bool FSequence;
  std::unordered_map<int64_t, TDotTrack> FTracks;  // by grid position
  TRegisterReference FReference;                   // the last good step's dots
  int32_t FLastGood = -1;
  // A step since the last good one failed for its motion: the prediction has failed once, so
  // until a step is decided by the pictures again, it does not decide.
  bool FLost = false;
  std::string FLineage;
};
