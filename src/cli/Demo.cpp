// The demo: a synthetic pair with a known deformation, run through segment, encode and match
// exactly as the subcommands run them, the measured displacements and strains compared with the
// truth, and the strain plots written beside the pictures.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "base/AtomicFile.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "cli/Commands.h"
#include "image/Grayimage.h"
#include "match/Match.h"
#include "strain/Straincsv.h"
#include "strain/Strainpairs.h"
#include "strain/Strainplot.h"
#include "strain/Strainsummary.h"

namespace {

using TClock = std::chrono::steady_clock;

double MillisecondsSince(TClock::time_point start) {
  return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

struct TErrorStats {
  double SumSquares = 0;
  double Max = 0;
  int32_t Count = 0;
  void Add(double error) {
    SumSquares += error * error;
    Max = std::max(Max, std::fabs(error));
    ++Count;
  }
  double Rms() const { return Count > 0 ? std::sqrt(SumSquares / Count) : 0.0; }
};

}  // namespace

void RunDemo(const std::string& directory) {
  // The folder is made and proved writable before the work, with the reason when it is not.
  std::error_code failed;
  if (!directory.empty()) std::filesystem::create_directories(directory, failed);
  if (failed) throw TError("Cannot create the folder \"" + directory + "\". " + failed.message());
  const std::string dir =
      directory.empty() || directory.back() == '/' ? directory : directory + "/";
  if (const int problem = SaveProblem(dir + "initial.bmp"); problem != 0)
    throw TError("Cannot write into the folder \"" + directory + "\". " + std::strerror(problem));

  TSynthArgs synth;
  TSynthOptions& o = synth.Options;
  o.Width = 800;
  o.Height = 600;
  o.PitchX = 20;
  o.PitchY = 20;
  o.Radius = 5;
  o.NoiseSigma = 2;
  o.Gradient = 30;
  o.RotationDeg = 1.5;
  o.TranslateX = 0.37;
  o.TranslateY = -0.23;
  o.Exx = 0.003;
  o.Eyy = -0.002;
  o.Exy = 0.001;
  o.Seed = 1;
  synth.Initial = dir + "initial.bmp";
  synth.Deformed = dir + "deformed.bmp";
  synth.Truth = dir + "truth.csv";

  TClock::time_point start = TClock::now();
  RunSynth(synth);
  const double synthMs = MillisecondsSince(start);

  double segmentMs = 0, encodeMs = 0;
  TEncodeSummary found[2];
  const char* names[2] = {"initial", "deformed"};
  for (int i = 0; i < 2; ++i) {
    TSegmentArgs segment;
    segment.Input = dir + names[i] + ".bmp";
    segment.Output = dir + names[i] + "-segmented.bmp";
    start = TClock::now();
    RunSegment(segment);
    segmentMs += MillisecondsSince(start);

    TEncodeArgs encode;
    encode.Input = segment.Output;
    encode.Output = dir + names[i] + ".cod";
    encode.Overlay = dir + names[i] + "-overlay.bmp";
    encode.OverlayScale = 3;
    start = TClock::now();
    found[i] = RunEncode(encode);
    encodeMs += MillisecondsSince(start);
  }

  TMatchArgs matchArgs;
  matchArgs.Initial = dir + "initial.cod";
  matchArgs.Deformed = dir + "deformed.cod";
  matchArgs.Output = dir + "displacement.dat";
  matchArgs.Layout = 6;
  start = TClock::now();
  const int32_t pairs = RunMatch(matchArgs);
  const double matchMs = MillisecondsSince(start);

  // Strain as the strain subcommand computes it, with the plots over the initial picture.
  start = TClock::now();
  const TStrainField field = StrainFromCodeFiles(matchArgs.Initial, matchArgs.Deformed, {});
  WriteStrainCsv(dir + "strain.csv", field);
  const TStrainSummary strain(field);
  const TGrayImage initialPicture(synth.Initial);
  SavePlots(dir, field, &initialPicture);
  const double strainMs = MillisecondsSince(start);

  // Compare every pair with the truth: the true dot is the one whose initial centre lies
  // within half a pitch of the measured one. dy is measured with the y axis up.
  TSynthGrid grid(o);
  TMatch match(matchArgs.Initial, matchArgs.Deformed);
  match.Match();
  TErrorStats dxError, dyError;
  int32_t unmatched = 0;
  for (int32_t k = 0; k < match.FMatchSum; ++k) {
    const TDotInfo& dot = match.FDotInfo[0][match.FMatchIndex[k]];
    const TSynthDot* truth = nullptr;
    double best = o.PitchX * o.PitchX / 4;
    for (const TSynthDot& d : grid.Dots()) {
      const double dd = (d.X0 - dot.x) * (d.X0 - dot.x) + (d.Y0 - dot.y) * (d.Y0 - dot.y);
      if (d.Present && dd < best) best = dd, truth = &d;
    }
    if (truth == nullptr) {
      ++unmatched;
      continue;
    }
    dxError.Add(match.FDisplacement[k].x - (truth->X1 - truth->X0));
    dyError.Add(match.FDisplacement[k].y - (truth->Y0 - truth->Y1));
  }

  int32_t present = 0;
  for (const TSynthDot& d : grid.Dots()) present += d.Present;
  std::printf("Latticor demo: a synthetic pair with a known deformation, files in %s\n",
              dir.c_str());
  std::printf(
      "  picture      %d x %d pixels, pitch %g x %g px, dot radius %g px, noise %g, "
      "rotation %g deg\n",
      o.Width, o.Height, o.PitchX, o.PitchY, o.Radius, o.NoiseSigma, o.RotationDeg);
  std::printf("  deformation  translation (%g, %g) px, strain exx %g eyy %g exy %g\n", o.TranslateX,
              o.TranslateY, o.Exx, o.Eyy, o.Exy);
  std::printf("  truth        %d dots in each picture\n", present);
  for (int i = 0; i < 2; ++i)
    std::printf("  %-12s %d dots found, %d encoded (least area %d px)\n", names[i], found[i].Dots,
                found[i].Coded, found[i].LeastArea);
  std::printf("  matched      %d pairs%s\n", pairs,
              unmatched > 0 ? Format(" (%d not found in the truth)", unmatched).c_str() : "");
  std::printf("  error dx     RMS %.4f px, max %.4f px\n", dxError.Rms(), dxError.Max);
  std::printf("  error dy     RMS %.4f px, max %.4f px\n", dyError.Rms(), dyError.Max);
  // The synthetic strain is given with y up, the frame of the strain file.
  std::printf("  strain       %d dots with strain (3 x 3 neighbourhood, small strain)\n",
              strain.FWithStrain);
  std::printf("               %9s %11s %11s %11s\n", "", "truth", "mean", "whole fit");
  const double truth[3] = {o.Exx, o.Eyy, o.Exy};
  const double fit[3] = {strain.FWholeField.Exx, strain.FWholeField.Eyy, strain.FWholeField.Exy};
  const char* components[3] = {"exx", "eyy", "exy"};
  for (int c = 0; c < 3; ++c)
    std::printf("               %9s %11.6f %11.6f %11.6f\n", components[c], truth[c],
                strain.Of(components[c]).Mean, fit[c]);
  std::printf(
      "  time         synth %.0f ms, segment %.0f ms, encode %.0f ms, match %.0f ms, strain and "
      "plots %.0f ms\n",
      synthMs, segmentMs, encodeMs, matchMs, strainMs);
  std::printf(
      "  files        initial.bmp deformed.bmp truth.csv *-segmented.bmp *.cod "
      "*-overlay.bmp displacement.dat strain.csv exx.png eyy.png exy.png e1.png "
      "displacement.png\n");
  if (pairs == 0) throw TError("The demo matched no dots");
}
