#include "cli/Commands.h"

#include <algorithm>
#include <cstdio>
#include <future>
#include <memory>

#include "base/Bmp.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/RgbSurface.h"
#include "base/SaveGroup.h"
#include "cli/Filecheck.h"
#include "cli/ScaledSurface.h"
#include "encode/Codefile.h"
#include "encode/Encode.h"
#include "image/Grayimage.h"
#include "match/Match.h"
#include "match/Matchalign.h"
#include "register/Pairingcheck.h"
#include "register/Registerrun.h"
#include "segment/Segment.h"
#include "strain/Straincsv.h"
#include "strain/Strainpairs.h"

namespace {

// What the view shows after Show Position: the picture, the dots the walk did not expand in
// red, and every dot's label; small outlined labels stay readable on bright and dark pictures
// and cover little of the neighbouring dots.
void SaveOverlay(TEncode& job, int32_t overlayScale, const std::string& fileName) {
  const int32_t scale = std::max(overlayScale, 1);
  TRgbSurface picture(job.Image().Width() * scale, job.Image().Height() * scale);
  picture.FTextStyle = TRgbSurface::TTextStyle::Outlined;
  picture.FSmallFont = true;
  picture.FTextColor = TColor{255, 255, 0};
  picture.FTextBackground = clBlack;
  TScaledSurface scaled(picture, scale);
  TSurface* surface = scale > 1 ? static_cast<TSurface*>(&scaled) : &picture;
  job.Image().Repaint(surface);
  job.SetCanvas(surface);
  job.ShowPosition();
  job.SetCanvas(nullptr);
  picture.SaveBmp(fileName);
}

// --page for a file of one page is that page: the option names the page of the stack among the
// files a command reads (encode's segmented INPUT and its --picture).
int32_t PageOf(const std::string& path, int32_t page) {
  return page != 1 && PictureFilePages(path) == 1 ? 1 : page;
}

// How a picture was indexed from its reference, for the summary line.
std::string RegistrationLine(const TRegisterReport& report) {
  std::string line = "indexed from the reference, " + report.Text();
  if (report.Unplaced > 0)
    line += Format(" (%d dots in regions whose motion nothing decides left unindexed)",
                   report.Unplaced);
  if (report.Main.Decision == TDecision::Override && !report.Main.Rivals.empty())
    line += "; WARNING: the dots' pattern shows the motion " +
            Format("(%.1f, %.1f) px", report.Main.Rivals[0].Dx, report.Main.Rivals[0].Dy) +
            " instead of the --shift given";
  return line;
}

}  // namespace

std::string TableRangeNote(int32_t maxNx, int32_t maxNy) {
  return Format(
      "\n(the grid reaches beyond the table of --max-nx %d and --max-ny %d: give larger values)",
      maxNx, maxNy);
}

void RunSegment(const TSegmentArgs& args) {
  CheckFiles({{"INPUT", args.Input, ""}}, {{"OUTPUT", args.Output, ""}}, args.Force);
  // New Segment, then Filter, then Multi-Area Segment or Simple Segment, then Save Result.
  TSegment job(std::make_unique<TGrayImage>(args.Input, args.Bits16, PageOf(args.Input, args.Page)),
               false);
  // A camera picture says how it became 8-bit gray; a bitmap has nothing to tell.
  const std::string& decoding = job.Image().Decoding();
  if (!decoding.ends_with("bitmap"))
    std::fprintf(stderr, "segment: %s read as %s\n", args.Input.c_str(), decoding.c_str());
  RunSegmentation(job, args.Run);
  job.SaveResult(args.Output);
}

TEncodeSummary RunEncode(const TEncodeArgs& args) {
  CheckFiles({{"INPUT", args.Input, ""},
              {"--reference", args.Reference, ""},
              {"--picture", args.Picture, ""}},
             {{"OUTPUT", args.Output, "file open error:Can create file "},
              {"--overlay", args.Overlay, ""}},
             args.Force);
  // The unsegmented picture is read on a thread of its own while INPUT is read.
  std::future<std::unique_ptr<TGrayImage>> reading;
  if (args.Run.Refined && !args.Picture.empty())
    reading = std::async(std::launch::async, [&args] {
      return std::make_unique<TGrayImage>(args.Picture, args.Bits16,
                                          PageOf(args.Picture, args.Page));
    });
  // New Encode and an automatic Do Encoding: a fresh job, extraction, origin, walk.
  TEncode job(std::make_unique<TGrayImage>(args.Input, args.Bits16, PageOf(args.Input, args.Page)),
              !args.BlackDots, false, args.MaxNx, args.MaxNy);
  const int32_t scale = std::max(args.OverlayScale, 1);
  if (!args.Overlay.empty())  // an overlay too large to save is known before the work
    CheckPictureOutput(args.Overlay, int64_t{job.Image().Width()} * scale,
                       int64_t{job.Image().Height()} * scale);
  TEncodeRunOptions run = args.Run;
  TRegisterReference reference;
  if (!args.Reference.empty()) {
    try {
      reference = ReferenceFromCodeFile(ReadCodeFile(args.Reference));
    } catch (const TError& e) {  // said of the reference, never of this picture
      throw TError(e.Message() + "\n(in the reference code file " + args.Reference + ")");
    }
  }
  std::unique_ptr<TGrayImage> picture;
  if (reading.valid()) {
    picture = reading.get();
    run.RefinePicture = picture.get();
  }
  bool walking = false;
  TEncodeRunHooks hooks;
  hooks.OriginFound = [&walking](int32_t) { walking = true; };
  TEncodeSummary summary;
  std::string registration;
  try {
    if (!args.Reference.empty()) {
      TRegisterOptions options;
      if (args.Shift) {
        options.Prior = TPriorKind::Override;
        options.ShiftX = (*args.Shift)[0], options.ShiftY = (*args.Shift)[1];
      }
      options.SizeTable = run.AutoTable;
      const TReferenceRun result = EncodeFromReference(job, run, hooks, reference, options);
      summary = result.Summary;
      registration = RegistrationLine(result.Report);
    } else {
      summary = RunEncoding(job, run, hooks);
    }
  } catch (const TError& e) {
    // What the extraction kept and removed tells why no grid was found in it.
    if (job.Sorting().Ran)
      std::fprintf(stderr, "encode: lattice rules: %s\n", SortingText(job.Sorting()).c_str());
    // The walk left the grid table: say which options make it larger.
    const std::string message = e.Message();
    if (!walking || !message.ends_with("not in the range")) throw;
    throw TError(message + TableRangeNote(args.MaxNx, args.MaxNy));
  }
  // Save Result: the scale factors in force go into the code file. With an overlay both files
  // are committed together or neither.
  TSaveGroup outputs;
  job.SetScale(args.Scale[0], args.Scale[1]);
  job.SaveCodes(args.Output);
  if (!args.Overlay.empty()) SaveOverlay(job, args.OverlayScale, args.Overlay);
  outputs.Commit();
  // One line a person or a script can check: a picture of noise that "encodes" 4 dots shows.
  std::string origin = registration;
  if (summary.Origin >= 0) {
    const TDotInfo& o = job.DotInfo()[static_cast<size_t>(summary.Origin)];
    const char* how = run.Origin == TOriginSource::Pitch    ? "from the pitch"
                      : run.Origin == TOriginSource::Picked ? "picked"
                                                            : "automatic";
    origin = Format("origin dot %d at (%.2f, %.2f) with (%d, %d), %s", summary.Origin, o.x, o.y,
                    o.Nx, o.Ny, how);
  }
  std::fprintf(
      stderr,
      "encode: %d dots found, %d indexed, %d unindexed; least area %d px; %stable "
      "+-%d x +-%d; %s; %s centroids; read as %s%s\n",
      summary.Dots, summary.Coded, summary.Dots - summary.Coded, summary.LeastArea,
      job.Sorting().Ran ? ("lattice rules: " + SortingText(job.Sorting()) + "; ").c_str() : "",
      job.Coordinate().MaxNx(), job.Coordinate().MaxNy(), origin.c_str(),
      run.Refined ? "refined" : "plain", summary.Decoding.c_str(),
      picture ? ("; --picture read as " + picture->Decoding()).c_str() : "");
  return summary;
}

int32_t RunMatch(const TMatchArgs& args) {
  const bool thetaR = args.Layout == 0 || args.Layout == 5 || args.Layout == 7;
  CheckFiles({{"INITIAL", args.Initial, ""}, {"DEFORMED", args.Deformed, ""}},
             {{"OUTPUT", args.Output,
               thetaR ? "write theta & r result  error \n" : "write result file error \n"},
              {"--csv", args.Csv, ""}},
             args.Force);
  // Do Matching, then Save Result with the chosen layout and Y axis option.
  TMatch match(args.Initial, args.Deformed);
  const std::string note = MatchAndCheck(match, args.Align);
  if (!note.empty()) std::fprintf(stderr, "%s\n", note.c_str());
  match.FChangeYAxis = !args.KeepY;
  TSaveGroup outputs;  // the displacement file and the CSV together or neither
  if (!args.Output.empty()) match.WriteResult(args.Layout, args.Output);
  if (!args.Csv.empty()) WritePairsCsv(args.Csv, PairsFromMatch(match));
  outputs.Commit();
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
