#include "track/Trackindexer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/Convert.h"
#include "base/Error.h"
#include "encode/Encode.h"
#include "encode/Encodedefaults.h"
#include "encode/Encodereference.h"
#include "encode/Encoderun.h"
#include "match/Codelineage.h"

namespace {

int64_t Key(int32_t nx, int32_t ny) {
  return int64_t{nx} * 4294967296LL + static_cast<uint32_t>(ny);
}

float Median(std::vector<float>& v) {
  const auto middle = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), middle, v.end());
  return *middle;
}

}  // namespace

const char* RegistrationName(TStepRegistration how) {
  switch (how) {
    case TStepRegistration::Reference:
      return "reference";
    case TStepRegistration::Registered:
      return "registered";
    case TStepRegistration::Given:
      return "shift";
    case TStepRegistration::Ambiguous:
      return "ambiguous";
    case TStepRegistration::Predicted:
      return "predicted";
    case TStepRegistration::ReRegistered:
      return "re-registered";
  }
  return "";
}

TTrackIndexer::TTrackIndexer(const TTrackOptions& options, bool sequence)
    : FOptions(options), FSequence(sequence) {}

void TTrackIndexer::Predict(int32_t step, std::vector<float>& xs, std::vector<float>& ys) const {
  // A dot without a motion of its own takes its neighbours' (within two cells), else the
  // median motion of all.
  std::vector<float> allX, allY;
  for (const auto& [key, t] : FTracks)
    if (t.Moving) allX.push_back(t.Vx), allY.push_back(t.Vy);
  const float medianX = allX.empty() ? 0 : Median(allX), medianY = allY.empty() ? 0 : Median(allY);
  std::vector<float> nearX, nearY;
  for (const TDotInfo& d : FReference.Dots) {
    const TDotTrack& t = FTracks.at(Key(d.Nx, d.Ny));
    float vx = t.Vx, vy = t.Vy;
    if (!t.Moving) {
      nearX.clear(), nearY.clear();
      for (int32_t y = -2; y <= 2; ++y)
        for (int32_t x = -2; x <= 2; ++x) {
          const auto n = FTracks.find(Key(d.Nx + x, d.Ny + y));
          if (n != FTracks.end() && n->second.Moving)
            nearX.push_back(n->second.Vx), nearY.push_back(n->second.Vy);
        }
      vx = nearX.empty() ? medianX : Median(nearX);
      vy = nearY.empty() ? medianY : Median(nearY);
    }
    const float gap = static_cast<float>(step - t.Step);
    xs.push_back(t.X + vx * gap);
    ys.push_back(t.Y + vy * gap);
  }
}

void TTrackIndexer::Remember(const TEncode& job, int32_t step) {
  const int32_t count = std::min(job.DotSum(), static_cast<int32_t>(job.DotInfo().size()));
  for (int32_t i = 0; i < count; ++i) {
    const TDotInfo& d = job.DotInfo()[static_cast<size_t>(i)];
    if (!d.Coded) continue;
    const auto [found, fresh] = FTracks.try_emplace(Key(d.Nx, d.Ny));
    TDotTrack& t = found->second;
    if (!fresh && t.Step < step) {
      const float gap = static_cast<float>(step - t.Step);
      t.Vx = (d.x - t.X) / gap, t.Vy = (d.y - t.Y) / gap, t.Moving = true;
    }
    t.X = d.x, t.Y = d.y, t.Step = step;
  }
  FReference = ReferenceFromJob(job, FLineage);
  FLastGood = step;
}

TStepIndexing TTrackIndexer::Index(TEncode& job, int32_t step) {
  const bool sized = FOptions.MaxNx && FOptions.MaxNy;
  TStepIndexing result;
  if (FLastGood < 0) {
    if (!sized) ResizeTable(job, AutoTableSize(job, 0, 0));
    ContinueEncoding(job, TEncodeRunOptions{});
    FLineage = LineageOfDots(CodedDots(job), true);
    Remember(job, step);
    return result;
  }
  TRegisterOptions options;
  options.SizeTable = !sized;
  options.AcceptAmbiguous = true;  // said below, in the words of a sequence
  const bool moving =
      std::any_of(FTracks.begin(), FTracks.end(), [](const auto& t) { return t.second.Moving; });
  if (!moving && FOptions.Shift) {
    options.Prior = TPriorKind::Override;
    options.ShiftX = (*FOptions.Shift)[0], options.ShiftY = (*FOptions.Shift)[1];
  } else if (moving || FSequence) {
    options.Prior = TPriorKind::Prediction;
    options.TrustPrediction = !FLost;
    Predict(step, options.PredictedX, options.PredictedY);
  }
  result.Report = RegisterPicture(job, FReference, options);
  const TRegistration& main = result.Report.Main;
  const std::string motion = result.Report.Text();
  if (options.Prior == TPriorKind::Prediction) {
    if (main.Decision == TDecision::Ambiguous) {
      FLost = true;
      throw TError(Format("The grid's motion departs %.2f pitch from the one predicted from the "
                          "steps before, and nothing in the pictures tells it since step %d: it "
                          "moved by ",
                          main.Chosen.Departure, FLastGood) +
                   result.Report.Candidates());
    }
    FLost = false;
    result.How = main.Decision == TDecision::Prediction ? TStepRegistration::Predicted
                                                        : TStepRegistration::ReRegistered;
    if (result.How == TStepRegistration::ReRegistered)
      result.Note = Format("the motion departs %.2f pitch from the prediction: registered again, ",
                           main.Chosen.Departure) +
                    motion;
  } else if (options.Prior == TPriorKind::Override) {
    result.How = TStepRegistration::Given;
    result.Note = motion;
  } else if (main.Decision == TDecision::Ambiguous) {
    result.How = TStepRegistration::Ambiguous;
    result.Note =
        "nothing in the pictures tells the grid's motion from the first picture: it "
        "moved by " +
        result.Report.Candidates() + "; the smallest was taken. Give the motion with --shift DX DY";
  } else {
    result.How = TStepRegistration::Registered;
    result.Note = motion;
  }
  job.SetScale(FOptions.ScaleX, FOptions.ScaleY);
  Remember(job, step);
  return result;
}
