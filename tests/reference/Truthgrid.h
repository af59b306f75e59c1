#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "encode/Encoderun.h"

class TGrayImage;

// Grid pictures with known dot centres, rendered independently of the product's synthetic
// pictures: every pixel's coverage by the union of the discs (dots and specks alike, as paint)
// is integrated on a 16 x 16 sub-pixel lattice, optionally blurred with a sampled Gaussian, lit
// with linear gradients, given Gaussian noise from the standard library's generator, rounded to
// 8 bits and optionally stored and read back as a JPEG file of the given quality.
struct TTruthOptions {
  int32_t Width = 1000;
  int32_t Height = 800;
  double Pitch = 20;
  double Radius = 5;
  double RadiusRight = 0;  // radius at the right edge, growing linearly from Radius (0: none)
  double SmallRadius = 0;  // radius of every other dot as on a chessboard (0: all Radius)
  double Blur = 0;         // Gaussian sigma in pixels
  double Noise = 2;        // gray levels
  double Gradient = 0;     // gray levels from the left edge to the right edge
  double GradientY = 0;    // gray levels from the top edge to the bottom edge
  int32_t Jpeg = 0;        // quality 1..100, 0 for none
  int32_t Specks = 0;      // discs of the dots' gray at random, different in either picture
  double SpeckMin = 0.7, SpeckMax = 2.5;  // their radii
  double Tx = 0.37, Ty = -0.23;
  double Strain = 0;  // uniform stretch about the picture centre, both axes
  double Dot = 200, Background = 50;
  uint32_t Seed = 1;
};

struct TTruthDot {
  double X0, Y0, X1, Y1;  // true centres in the initial and the deformed picture
  double R;               // radius
};

class TTruthGrid {
 public:
  explicit TTruthGrid(const TTruthOptions& o);
  const std::vector<TTruthDot>& Dots() const { return FDots; }
  int32_t Columns() const { return FColumns; }
  void Render(bool deformed, TGrayImage& image) const;

 private:
  TTruthOptions FOptions;
  std::vector<TTruthDot> FDots;
  int32_t FColumns = 0;
};

// The displacement error of a measured pair against the truth: every true dot whose two
// measured centres are found (each the nearest measured dot within a third of the pitch).
struct TAccuracy {
  int32_t Pairs = 0;
  double Rms = 0;  // of the error vector's length, pixels
  double Max = 0;
};

// Segments both pictures as the command-line tool does by default (multi-area windows of a
// quarter of the width), extracts the dots with the Auto least area and measures their
// centroids, plain or refined on the unsegmented picture.
TAccuracy MeasureAccuracy(const TTruthOptions& o, bool refined);

// The whole way through: both pictures segmented as above, the initial one encoded with run
// (refined centroids on its own picture when run.Refined), the deformed one indexed from it as
// a reference, the dots paired by their indices. A pair is indexed when both its dots are the
// same true dot's, else mispaired; the error is taken over the indexed pairs.
struct TEncodingAccuracy {
  int32_t Truth = 0;
  int32_t Indexed = 0;
  int32_t Mispaired = 0;
  double Rms = 0, Max = 0;
  std::string Failure;  // the message of an encoding that failed
  double Share() const { return Truth > 0 ? static_cast<double>(Indexed) / Truth : 0; }
};
TEncodingAccuracy MeasureEncoding(const TTruthOptions& o, TEncodeRunOptions run);

// Segmented as above, for a test that extracts by itself.
void SegmentLikeTheCli(const TGrayImage& picture, TGrayImage& segmented);
