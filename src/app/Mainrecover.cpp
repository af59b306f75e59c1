// No dead ends in Do Encoding: a stage that works on the dots of the last run extracts them
// afresh when the least area has changed since, so that a wrong least area can be mended without
// New Encode; and a grid beyond the coordinate table is encoded again with a table large enough.
#include "app/Main.h"
#include "app/encode/Encodeparameter.h"
#include "app/platform/Platform.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "encode/Dotedit.h"
#include "encode/Encode.h"
#include "encode/Encodedefaults.h"

void TMainForm::ExtractAgainIfChanged(std::unique_ptr<TEncode>& former) {
  // A field that is no number is left to the stage's own reads, which report it as before.
  std::optional<int32_t> leastArea;
  try {
    leastArea = FEncodeParameterForm->LeastArea();
  } catch (const TError&) {
  }
  const bool extracted = FWorkflow.FEncoder->DotSum() > 0;
  if (!FExtractAgain && extracted &&
      (!leastArea || *leastArea == FWorkflow.FEncoder->AreaThreshold()))
    return;
  FExtractAgain = false;
  // The picks name dots of the job in hand: they are looked for again where those dots were.
  std::array<std::optional<TDotInfo>, 5> picked;
  const auto dotOf = [this](int32_t index) -> std::optional<TDotInfo> {
    if (index < 0 || index >= std::min(FWorkflow.FEncoder->DotSum(),
                                       int32_t(FWorkflow.FEncoder->DotInfo().size())))
      return std::nullopt;
    return FWorkflow.FEncoder->DotInfo()[static_cast<size_t>(index)];
  };
  picked[0] = dotOf(FWorkflow.FOriginDot);
  for (size_t d = 0; d < 4; ++d) picked[d + 1] = dotOf(FWorkflow.FNeighbourDots[d]);
  const int32_t stage = FWorkflow.FEncodeStage;
  FExtractOnly = true;
  try {
    FindOriginAutomatically(former);
  } catch (...) {
    FExtractOnly = false;
    FWorkflow.FEncodeStage = stage;
    throw;
  }
  FExtractOnly = false;
  FWorkflow.FEncodeStage = stage;
  FRunReport.clear();
  const auto same = [this](const std::optional<TDotInfo>& dot) {
    return dot ? SameDotIn(*FWorkflow.FEncoder, *dot) : -1;
  };
  FWorkflow.FOriginDot = same(picked[0]);
  for (size_t d = 0; d < 4; ++d) FWorkflow.FNeighbourDots[d] = same(picked[d + 1]);
  FRecoveryReport = " Dots extracted afresh with the least area " +
                    IntToStr(FWorkflow.FEncoder->AreaThreshold()) + ".";
}

bool TMainForm::OfferLargerTable(const std::string& message, int32_t stage) {
  const TTableSize size = AutoTableSize(*FWorkflow.FEncoder, 0, 0);
  if (size.MaxNx <= FWorkflow.FEncoder->Coordinate().MaxNx() &&
      size.MaxNy <= FWorkflow.FEncoder->Coordinate().MaxNy())
    return false;
  if (!FPlatform.Ask(DisplayText(message) +
                     Format("\nThe grid reaches beyond the coordinate table of max Nx %d and max "
                            "Ny %d.\nMake the table max Nx %d and max Ny %d, large enough for "
                            "every dot of this picture (Set Coordinate), and encode again?",
                            FWorkflow.FEncoder->Coordinate().MaxNx(),
                            FWorkflow.FEncoder->Coordinate().MaxNy(), size.MaxNx, size.MaxNy)))
    return false;
  FWorkflow.MaxNx = size.MaxNx;
  FWorkflow.MaxNy = size.MaxNy;
  // Stages 0 and -1 keep their job, whose table has the old size: a fresh one gets the new.
  FExtractAgain = stage != 1;
  DoEncodingFrom(stage);
  return true;
}
