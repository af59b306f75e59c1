#pragma once

#include <cstdint>
#include <vector>

class TGridSide;

// Where a picture's grid lies against a reference: the map from one side's indices to the
// other's, chosen among the whole-pitch offsets and quarter turns by what is not periodic.
//
// The map takes a target index m to the reference index R(K) m + T, R(K) a turn by K quarter
// turns (the grid's own symmetry: a motion and a turn of a right angle look alike dot by dot).
struct TIndexMap {
  int32_t K = 0;
  int32_t Tx = 0, Ty = 0;
  void Apply(int64_t mx, int64_t my, int64_t& nx, int64_t& ny) const;
  void Invert(int64_t nx, int64_t ny, int64_t& mx, int64_t& my) const;
  bool operator==(const TIndexMap&) const = default;
};

// What is known of the motion before the pictures are compared.
enum class TPriorKind {
  Guess,       // nothing: the places of the reference dots themselves (no motion)
  Prediction,  // each dot's own motion in the steps before (a sequence)
  Override,    // the user's: the map nearest to it is taken whatever the pictures say
};

struct TPrior {
  TPriorKind Kind = TPriorKind::Guess;
  // A prediction known to have failed before (a step after one whose motion nothing decided)
  // is only a guess: the pictures must decide.
  bool Trusted = true;
  // The predicted place of each reference dot in the new picture, in the reference's order.
  std::vector<float> X, Y;
};

struct TCandidate {
  TIndexMap Map;
  int32_t Overlap = 0;     // target dots paired with a reference dot
  int32_t Conflicts = 0;   // cells one side shows taken (or odd) and the other empty (or not)
  double Dx = 0, Dy = 0;   // median motion of the paired dots, target minus reference, pixels
  double Departure = 1e9;  // median distance of the pairs from the predicted places, pitches
  double TurnDeg = 0;      // of the reference's steps onto the target's, counterclockwise
};

enum class TDecision {
  Pictures,    // the cells decide: no other map comes near
  Prediction,  // the predicted map, within a quarter pitch
  Override,    // the user's motion
  Ambiguous,   // nothing decides between Chosen and the Rivals
  NoFit,       // no map puts the reference on this picture's dots
};

struct TRegistration {
  TDecision Decision = TDecision::NoFit;
  TCandidate Chosen;
  // Maps nothing tells from the chosen one, nearest to the prior first.
  std::vector<TCandidate> Rivals;
  // With a prediction: the predicted map departed from the pictures by more than a quarter
  // pitch, so the pictures were compared afresh.
  bool Departed = false;
  bool Plausible = true;  // some quarter turn gives the two grids about one pitch
};

// A predicted map within this many pitches of its pairs is taken as it is.
constexpr double PredictionReach = 0.25;

TRegistration Register(const TGridSide& reference, const TGridSide& target, const TPrior& prior);
