#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TGrayImage;

// Synthetic grid pictures with a known displacement field, for tests, benchmarks and the
// command-line tool.
//
// Dots sit on a lattice of pitch PitchX x PitchY, rotated by RotationDeg about the picture
// centre, with a seeded sub-pixel phase. The deformed picture moves every dot by the motion of
// TSynthMotion: a uniform strain E = [[Exx, Exy], [Exy, Eyy]] about the picture centre, given in
// the frame x right, y up (that of the displacement files), plus an optional non-uniform field
// (a linearly varying strain, or a plate with a circular hole under tension along x), turned
// rigidly by TurnDeg about the centre, then translated by T (image pixels). Only dots whose whole
// disc lies at least two pixels inside the picture in both states are drawn, so none touches the
// border. Pixel (x, y) covers [x - 0.5, x + 0.5] x [y - 0.5, y + 0.5]: centres are in the same
// frame as the measured centroids.
enum class TSynthField { Uniform, Linear, Hole, Crack };

struct TSynthOptions {
  int32_t Width = 800;
  int32_t Height = 600;
  double PitchX = 20;
  double PitchY = 20;
  double Radius = 5;
  bool WhiteDots = true;
  double NoiseSigma = 0;  // Gaussian noise, gray levels
  double Gradient = 0;    // brightness change from the top-left to the bottom-right corner
  double Blur = 0;        // Gaussian blur of the dots' edges (focus, optics), sigma in pixels
  int32_t Specks = 0;     // specks of dust or paint of 1 to 4 pixels, placed at random per picture
  double RotationDeg = 0;
  int32_t Missing = 0;  // dots left out at random, never the centre dot or its neighbours
  double TranslateX = 0;
  double TranslateY = 0;
  double Exx = 0;
  double Eyy = 0;
  double Exy = 0;
  TSynthField Field = TSynthField::Uniform;
  // Linear: exx runs from -FieldStrain at the left edge to +FieldStrain at the right one.
  // Hole: the remote strain along x (stress over Young's modulus).
  double FieldStrain = 0.002;
  double HoleRadius = 40;  // pixels; no dot is drawn inside or on it
  double HoleX = -1;       // hole centre, pixels; -1: three quarters of
  double HoleY = -1;       // the width, half the height
  double Poisson = 0.3;    // plane stress
  // Crack: a straight crack along x at image row CrackY (-1: the middle) opens by CrackOpening
  // pixels, each side moving half of it away from the other.
  double CrackY = -1;
  double CrackOpening = 0;
  double TurnDeg = 0;  // rigid rotation, counterclockwise (y up)
  // The grid's extent in dots about the centre dot (0: as far as the picture reaches), so that
  // its outline lies inside the pictures.
  int32_t Columns = 0;
  int32_t Rows = 0;
  // Each picture shows every dot that fits in it (as a camera does), not only those that fit
  // in both.
  bool ClipEach = false;
  uint32_t Seed = 1;
  // Gray levels of the dots and of the background (before gradient and noise); by default
  // bright dots on a dark background for white dots and the reverse for black dots.
  int32_t DotLevel = -1;
  int32_t BackgroundLevel = -1;
};

struct TSynthDot {
  int32_t I = 0;  // lattice column, growing to the right; 0 at the dot nearest the centre
  int32_t J = 0;  // lattice row, growing downwards
  double X0 = 0;  // true centre in the initial picture
  double Y0 = 0;
  double X1 = 0;  // true centre in the deformed picture
  double Y1 = 0;
  bool Present = true;  // false for the dots left out
  bool Shown0 = true;   // in the initial picture (false only with ClipEach)
  bool Shown1 = true;   // in the deformed picture
};

class TSynthGrid {
 public:
  // The most dots a grid may have (every dot is kept in memory, 56 bytes each).
  static constexpr int64_t MaxDots = int64_t{1} << 24;

  // Refuses (TError) sizes a picture cannot have, non-positive pitches or radius, a radius
  // that lets neighbouring dots touch, or a grid of more than MaxDots dots.
  explicit TSynthGrid(const TSynthOptions& options);

  const TSynthOptions& Options() const { return FOptions; }
  // Every lattice dot that fits in both pictures (with ClipEach: in either), present or left
  // out, in row-major lattice order.
  const std::vector<TSynthDot>& Dots() const { return FDots; }
  // The dot at lattice (0, 0), nearest the picture centre.
  const TSynthDot& CentreDot() const;

  // Draws the initial (deformed = false) or deformed picture into image, sizing it.
  void Render(bool deformed, TGrayImage& image) const;
  // The truth as CSV: "i,j,x0,y0,x1,y1" and one line per present dot (shown in both pictures,
  // or with ClipEach in either).
  void SaveTruthCsv(const std::string& fileName) const;

 private:
  TSynthOptions FOptions;
  std::vector<TSynthDot> FDots;
  size_t FCentre = 0;
};
