#include "cli/Commands.h"

#include <algorithm>
#include <memory>

#include "base/Bmp.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/RgbSurface.h"
#include "base/SaveGroup.h"
#include "cli/Filecheck.h"
#include "cli/ScaledSurface.h"
#include "encode/Encode.h"
#include "image/Grayimage.h"
#include "match/Match.h"
#include "segment/Segment.h"

void RunSegment(const TSegmentArgs& args) {
  CheckFiles({{"INPUT", args.Input, ""}}, {{"OUTPUT", args.Output, ""}}, args.Force);
  // New Segment, then Filter, then Multi-Area Segment or Simple Segment, then Save Result.
  TSegment job(args.Input, false);
  if (args.Median) job.Image().MedianFilter(*args.Median, *args.Median);
  job.FWhiteDots = !args.BlackDots;
  if (args.Threshold) {
    job.SimpleSegment(nullptr, *args.Threshold);
  } else {
    const int32_t window = args.Window ? *args.Window : job.Image().Width() / 4;
    job.FWinSizeX = window;
    job.FWinSizeY = window;
    job.FAdjust = args.Adjust;
    job.MultiAreaSegment(false, nullptr);
  }
  job.SaveResult(args.Output);
}

TEncodeSummary RunEncode(const TEncodeArgs& args) {
  CheckFiles({{"INPUT", args.Input, ""}},
             {{"OUTPUT", args.Output, "file open error:Can create file "},
              {"--overlay", args.Overlay, ""}},
             args.Force);
  const bool white = !args.BlackDots;
  // New Encode and an automatic Do Encoding: a fresh job, extraction, origin, walk.
  TEncode job(args.Input, white, false, args.MaxNx, args.MaxNy);
  const int32_t scale = std::max(args.OverlayScale, 1);
  if (!args.Overlay.empty())  // an overlay too large to save is known before the work
    CheckPictureOutput(args.Overlay, int64_t{job.FImage->Width()} * scale,
                       int64_t{job.FImage->Height()} * scale);
  // The least area field: a number, or what the Auto button proposes.
  const int32_t leastArea =
      args.LeastArea ? *args.LeastArea : TEncode::AutoLeastArea(args.Input, white);
  job.FDelay = 0;
  job.PrepareImage(nullptr);
  job.FAreaThreshold = leastArea;
  job.RemoveNoise(nullptr);
  job.BuildDotInfo(nullptr);

  int32_t origin;
  if (args.Origin) {
    origin =
        job.SetOrigin(*args.Origin, args.Neighbours.data(), args.OriginGrid[0], args.OriginGrid[1]);
    if (origin < 0) throw TError(TEncode::WrongOriginMessage);
  } else if (args.Pitch) {
    origin = job.FindOriginByRatio(args.Method, (*args.Pitch)[1] / (*args.Pitch)[0]);
    if (origin < 0) throw TError(TEncode::RatioOriginFailedMessage);
  } else {
    origin = job.FindOrigin(args.Method);
    if (origin < 0) throw TError(TEncode::AutoOriginFailedMessage);
  }
  try {
    job.Encode(origin);
  } catch (const TError& e) {
    // The walk left the grid table: say which options make it larger.
    const std::string message = e.Message();
    if (!message.ends_with("not in the range")) throw;
    throw TError(message + Format("\n(the grid reaches beyond the table of --max-nx %d and "
                                  "--max-ny %d: give larger values)",
                                  args.MaxNx, args.MaxNy));
  }

  // Save Result: the scale factors in force go into the code file. With an overlay both files
  // are committed together or neither.
  TSaveGroup outputs;
  job.FScaleX = args.ScaleX;
  job.FScaleY = args.ScaleY;
  job.SaveCodes(args.Output);

  if (!args.Overlay.empty()) {
    // What the view shows after Show Position: the picture, the dots the walk did not expand
    // in red, and every dot's label; small outlined labels stay readable on bright and dark
    // pictures and cover little of the neighbouring dots.
    TRgbSurface picture(job.FImage->Width() * scale, job.FImage->Height() * scale);
    picture.FTextStyle = TRgbSurface::TTextStyle::Outlined;
    picture.FSmallFont = true;
    picture.FTextColor = TColor{255, 255, 0};
    picture.FTextBackground = clBlack;
    TScaledSurface scaled(picture, scale);
    TSurface* surface = scale > 1 ? static_cast<TSurface*>(&scaled) : &picture;
    job.FImage->Repaint(surface);
    job.FCanvas = surface;
    job.ShowPosition();
    job.FCanvas = nullptr;
    picture.SaveBmp(args.Overlay);
  }
  outputs.Commit();

  TEncodeSummary summary;
  summary.Width = job.FImage->Width();
  summary.Height = job.FImage->Height();
  summary.Dots = job.FDotSum;
  summary.LeastArea = leastArea;
  for (int32_t i = 0; i < job.FDotSum; ++i) {
    summary.Coded += job.FDotInfo[i].Coded;
    summary.Neted += job.FDotInfo[i].Neted;
  }
  return summary;
}

int32_t RunMatch(const TMatchArgs& args) {
  const bool thetaR = args.Layout == 0 || args.Layout == 5 || args.Layout == 7;
  CheckFiles({{"INITIAL", args.Initial, ""}, {"DEFORMED", args.Deformed, ""}},
             {{"OUTPUT", args.Output,
               thetaR ? "write theta & r result  error \n" : "write result file error \n"}},
             args.Force);
  // Do Matching, then Save Result with the chosen layout and Y axis option.
  TMatch match(args.Initial, args.Deformed);
  match.Match();
  match.FChangeYAxis = !args.KeepY;
  match.WriteResult(args.Layout, args.Output);
  return match.FMatchSum;
}

void RunSynth(const TSynthArgs& args) {
  // Everything the sizes and names decide is settled before a pixel is drawn, and the three
  // files are committed together.
  CheckFiles(
      {},
      {{"INITIAL", args.Initial, ""}, {"DEFORMED", args.Deformed, ""}, {"TRUTH", args.Truth, ""}},
      false);
  for (const std::string& picture : {args.Initial, args.Deformed})
    CheckPictureOutput(picture, args.Options.Width, args.Options.Height);
  TSynthGrid grid(args.Options);
  TSaveGroup outputs;
  TGrayImage image;
  grid.Render(false, image);
  image.SaveToFile(args.Initial);
  grid.Render(true, image);
  image.SaveToFile(args.Deformed);
  grid.SaveTruthCsv(args.Truth);
  outputs.Commit();
}
