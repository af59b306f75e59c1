#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "encode/Dotinfo.h"
#include "register/Registration.h"

class TEncode;

// A picture's dots indexed from an earlier picture of the same grid, so that both give every
// physical dot the same (Nx, Ny) however far the grid moved or turned.
//
// The picture's dots are first indexed by their own lattice (Lattice.h), in components that no
// crack or gap crosses; each component is then placed on the reference by what is not periodic
// (Registration.h): which cells hold dots (the grid's outline, missing dots), which dots are
// damaged, and what is known of the motion. Every dot of a component then takes the indices of
// the reference dot its own place maps to, and dots beyond the reference's the indices their
// neighbours lead to. A dot whose motion departs from its neighbours' by more than a third of a
// pitch is left unindexed.
struct TRegisterReference {
  // The indexed dots (Coded, with Nx and Ny), pixels of the reference picture.
  std::vector<TDotInfo> Dots;
  // Every dot of the reference picture, indexed or not, for telling an empty cell from one the
  // reference left unindexed; empty: Dots.
  std::vector<TDotInfo> AllDots;
  int32_t Width = 0, Height = 0;
  // The lineage of the reference's indices (match/Codelineage.h), written into the code file
  // of a picture indexed from it; empty: none written.
  std::string Lineage;
};

struct TCodeFileContent;
// A code file as a reference: its dots, picture size and lineage.
TRegisterReference ReferenceFromCodeFile(const TCodeFileContent& content);
// An indexed job as a reference: its Coded dots, all its dots, its picture size; lineage as
// given.
TRegisterReference ReferenceFromJob(const TEncode& job, const std::string& lineage);

struct TRegisterOptions {
  TPriorKind Prior = TPriorKind::Guess;
  float ShiftX = 0, ShiftY = 0;  // Override: the grid's motion since the reference, pixels
  // Prediction: each reference dot's predicted place, in the order of Dots.
  std::vector<float> PredictedX, PredictedY;
  bool TrustPrediction = true;  // false: the pictures must decide (TPrior::Trusted)
  // With nothing to decide between whole-pitch offsets: raise the ambiguity (false) or index
  // with the smallest motion and report it (true).
  bool AcceptAmbiguous = false;
  // The grid table: sized for the indices given (true) or the job's own, which raises the
  // range error for an index beyond it.
  bool SizeTable = true;
  // How the user gives the motion, for the messages ("with --shift DX DY").
  std::string ShiftInput = "with --shift DX DY";
};

struct TRegisterReport {
  TRegistration Main;    // of the largest component
  int32_t Indexed = 0;   // dots given indices
  int32_t Regions = 0;   // components placed
  int32_t Unplaced = 0;  // dots of components that could not be placed
  int32_t Outliers = 0;  // dots left out for their motion
  // "motion (dx, dy) px, turn t deg, decided by ...", for the one-line summaries.
  std::string Text() const;
  // "(dx, dy) px" of the main placement and its rivals, for messages.
  std::string Candidates() const;
};

// Indexes the extracted dots of job (after ExtractDots) from the reference: Nx, Ny, Coded, Neted
// and the neighbour links of every placed dot, the grid table, and the code file's mark of the
// reference's lineage. Raises TError when the
// picture or the reference has too few dots, when the reference does not fit the picture
// (another grid or pitch), and when the motion is ambiguous and options.AcceptAmbiguous is false;
// the job's dots are then left unindexed.
TRegisterReport RegisterPicture(TEncode& job, const TRegisterReference& reference,
                                const TRegisterOptions& options);

// The placement of a code file's indices on another's of the same grid by the dots' pattern
// alone: the map from the deformed file's (Nx, Ny) to the initial file's.
TRegistration RegisterCodeFiles(const TCodeFileContent& initial, const TCodeFileContent& deformed);

// The message of an ambiguous placement, naming the motions and how to give one.
std::string AmbiguityMessage(const TRegisterReport& report, const std::string& shiftInput);
