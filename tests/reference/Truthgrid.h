#pragma once

#include <cstdint>
#include <vector>

class TGrayImage;

// Grid pictures with known dot centres, rendered independently of the product's synthetic
// pictures: every pixel's coverage by each disc is integrated on a 16 x 16 sub-pixel lattice,
// optionally blurred with a sampled Gaussian, lit with a linear gradient, given Gaussian noise
// from the standard library's generator, rounded to 8 bits and optionally stored and read back
// as a JPEG file of the given quality.
struct TTruthOptions {
  int32_t Width = 1000;
  int32_t Height = 800;
  double Pitch = 20;
  double Radius = 5;
  double Blur = 0;      // Gaussian sigma in pixels
  double Noise = 2;     // gray levels
  double Gradient = 0;  // gray levels from the left edge to the right edge
  int32_t Jpeg = 0;     // quality 1..100, 0 for none
  double Tx = 0.37, Ty = -0.23;
  double Strain = 0;  // uniform stretch about the picture centre, both axes
  double Dot = 200, Background = 50;
  uint32_t Seed = 1;
};

struct TTruthDot {
  double X0, Y0, X1, Y1;  // true centres in the initial and the deformed picture
};

class TTruthGrid {
 public:
  explicit TTruthGrid(const TTruthOptions& o);
  const std::vector<TTruthDot>& Dots() const { return FDots; }
  void Render(bool deformed, TGrayImage& image) const;

 private:
  TTruthOptions FOptions;
  std::vector<TTruthDot> FDots;
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
