#include "register/Pairingcheck.h"

#include "base/Error.h"
#include "encode/Codefile.h"
#include "match/Match.h"
#include "register/Registerpicture.h"

namespace {

// File i of the matching job as it was read: positions in pixels, its own picture size.
TCodeFileContent ContentOf(const TMatch& match, int32_t i) {
  TCodeFileContent c;
  c.Width = match.FPictureWidth[i];
  c.Height = match.FPictureHeight[i];
  c.Dots = match.FDotInfo[i];
  for (TDotInfo& d : c.Dots) {
    d.x /= match.FScaleX[i];
    d.y /= match.FScaleY[i];
  }
  return c;
}

}  // namespace

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
  check.Registration = RegisterCodeFiles(ContentOf(match, 0), ContentOf(match, 1));
  if (check.Registration.Decision == TDecision::Pictures) {
    check.Map = check.Registration.Chosen.Map;
    if (!(check.Map == TIndexMap{})) check.Kind = TPairingCheck::TKind::Off;
    return check;
  }
  check.Alignment = MeasureAlignment(match);
  if (check.Alignment.Suspicious()) check.Kind = TPairingCheck::TKind::Suspicious;
  return check;
}

std::string MatchAndCheck(TMatch& match, bool align) {
  match.Match();
  // Files indexed from one reference index the same dots alike: whatever their motion, there is
  // nothing to warn of and nothing to align.
  const TPairingCheck check = CheckPairing(match);
  if (!align || check.Kind == TPairingCheck::TKind::OneReference) return check.Warning();
  const TRegistration& reg = check.Registration;
  if (reg.Decision != TDecision::Pictures) {
    TRegisterReport report;
    report.Main = reg;
    throw TError(
        "--align refused: nothing in the two code files decides how their indices lie "
        "against each other" +
        (reg.Decision == TDecision::Ambiguous
             ? " (the dots could have moved by " + report.Candidates() + ")"
             : std::string(" (their dots' patterns do not fit)")) +
        ", so any shift could pair every dot with another one; nothing was written. Index "
        "the deformed picture from the initial one: encode DEFORMED --reference "
        "INITIAL.cod, or track INITIAL DEFORMED");
  }
  AlignDeformed(match, check.Map.Tx, check.Map.Ty, check.Map.K);
  return AlignmentNote(check.Map.Tx, check.Map.Ty, check.Map.K);
}
