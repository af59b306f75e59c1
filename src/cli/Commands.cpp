#include "cli/Commands.h"

#include <algorithm>

#include "base/RgbSurface.h"
#include "cli/ScaledSurface.h"
#include "encode/Encode.h"
#include "image/Grayimage.h"
#include "match/Match.h"
#include "segment/Segment.h"
#include "strain/Straincsv.h"
#include "strain/Strainpairs.h"

namespace {

// What the view shows after Show Position: the picture, the dots the walk did not expand in
// red, and every dot's label; small outlined labels stay readable on bright and dark pictures
// and cover little of the neighbouring dots.
void SaveOverlay(TEncode& job, int32_t overlayScale, const std::string& fileName) {
  const int32_t scale = std::max(overlayScale, 1);
  CheckImageSize(int64_t{job.FImage->Width()} * scale, int64_t{job.FImage->Height()} * scale,
                 "The overlay picture");
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
  picture.SaveBmp(fileName);
}

}  // namespace

void RunSegment(const TSegmentArgs& args) {
  // New Segment, then Filter, then Multi-Area Segment or Simple Segment, then Save Result.
  TSegment job(args.Input, false);
  RunSegmentation(job, args.Run);
  job.SaveResult(args.Output);
}

TEncodeSummary RunEncode(const TEncodeArgs& args) {
  // New Encode and an automatic Do Encoding: a fresh job, extraction, origin, walk.
  TEncode job(args.Input, !args.BlackDots, false, args.MaxNx, args.MaxNy);
  const TEncodeSummary summary = RunEncoding(job, args.Run);
  // Save Result: the scale factors in force go into the code file.
  job.FScaleX = args.Scale[0];
  job.FScaleY = args.Scale[1];
  job.SaveCodes(args.Output);
  if (!args.Overlay.empty()) SaveOverlay(job, args.OverlayScale, args.Overlay);
  return summary;
}

int32_t RunMatch(const TMatchArgs& args) {
  // Do Matching, then Save Result with the chosen layout and Y axis option.
  TMatch match(args.Initial, args.Deformed);
  match.Match();
  match.FChangeYAxis = !args.KeepY;
  if (!args.Output.empty()) match.WriteResult(args.Layout, args.Output);
  if (!args.Csv.empty()) WritePairsCsv(args.Csv, PairsFromMatch(match));
  return match.FMatchSum;
}

void RunSynth(const TSynthArgs& args) {
  TSynthGrid grid(args.Options);
  TGrayImage image;
  grid.Render(false, image);
  image.SaveToFile(args.Initial);
  grid.Render(true, image);
  image.SaveToFile(args.Deformed);
  grid.SaveTruthCsv(args.Truth);
}
