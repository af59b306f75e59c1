#pragma once

#include <string>

#include "match/Matchalign.h"
#include "register/Registration.h"

class TMatch;

// Whether a matching pairs each dot with itself, told the user before they trust it.
struct TPairingCheck {
  enum class TKind {
    Fine,          // the dots' patterns show the indices agree, or nothing looks wrong
    OneReference,  // the files are indexed from one reference (their lineages agree)
    Off,           // the dots' patterns show the deformed indices off by Map
    Suspicious,    // nothing decides, and the displacement or the axes look like an offset
  };
  TKind Kind = TKind::Fine;
  TIndexMap Map;                // Off: the map from the deformed indices to the initial ones
  TMatchAlignment Alignment;    // Suspicious
  TRegistration Registration;   // of the two files' patterns, unless OneReference
  std::string Warning() const;  // for Off and Suspicious, else empty
};

// Checks a matching after Match: the files' lineages, then their patterns placed on each other
// (the dots and picture sizes the matching job holds), then the displacement.
TPairingCheck CheckPairing(const TMatch& match);

// Match, then the check, the same for every shell. With align the deformed indices are placed
// on the initial ones by the dots' patterns; where nothing in the files decides, that is refused
// with a TError saying why (the matching is left as Match made it). Returns what to tell the
// user: the alignment's note, the check's warning, or nothing when the pairs look right.
std::string MatchAndCheck(TMatch& match, bool align);
