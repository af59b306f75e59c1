#include "register/Pairingcheck.h"

#include "match/Codeload.h"
#include "match/Match.h"
#include "register/Registerpicture.h"

std::string TPairingCheck::Warning() const {
  if (Kind == TKind::Off) return PatternWarning(Map.Tx, Map.Ty, Map.K);
  if (Kind == TKind::Suspicious) return AlignmentWarning(Alignment);
  return "";
}

TPairingCheck CheckPairing(const TMatch& match) {
  TPairingCheck check;
  if (match.FLineage[0] == match.FLineage[1]) {
    check.Kind = TPairingCheck::TKind::OneReference;
    return check;
  }
  check.Registration =
      RegisterCodeFiles(ReadCodeFile(match.FCodeFileName[0]), ReadCodeFile(match.FCodeFileName[1]));
  if (check.Registration.Decision == TDecision::Pictures) {
    check.Map = check.Registration.Chosen.Map;
    if (!(check.Map == TIndexMap{})) check.Kind = TPairingCheck::TKind::Off;
    return check;
  }
  check.Alignment = MeasureAlignment(match);
  if (check.Alignment.Suspicious()) check.Kind = TPairingCheck::TKind::Suspicious;
  return check;
}
