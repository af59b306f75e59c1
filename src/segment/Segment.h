#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "image/Grayimage.h"

class TSurface;

// The interpolation cell of one pixel: its four corner thresholds, the pixel's offsets from the
// cell's top-left corner and the cell's width and height.
struct TCell {
  int32_t TL = 0, TR = 0, BL = 0, BR = 0;
  int32_t Dx = 0, Dy = 0;
  int32_t W = 0, H = 0;
};

// The segmentation job: owns the gray image of one measurement and separates the dots from the
// background in place. Every pixel on the background side of its threshold becomes the
// background value (0 for white dots, 255 for black dots); all others keep their gray value.
//
// Multi-area segmentation divides the image into a centred lattice of equal windows, takes each
// window's mean plus an adjustment as its threshold, and interpolates a threshold for every
// pixel bilinearly between the window centres (extrapolating linearly beyond the outer ones).
// Simple segmentation uses one threshold for the whole image.
class TSegment {
 public:
  // The largest window the segmentation takes, half the smaller side, and the window offered
  // when none is given: width div 4 within that bound (never below 1).
  static int32_t WindowBound(int32_t width, int32_t height);
  static int32_t DefaultWindow(int32_t width, int32_t height);

  // Loads the image file (always read as a bitmap; the image's errors propagate). Windows
  // start at width div 4 in both directions, white dots, adjustment 0, no threshold table.
  TSegment(const std::string& fileName, bool show);
  // The same for an image already in memory.
  TSegment(std::unique_ptr<TGrayImage> image, bool show);
  TSegment(const TSegment&) = delete;
  TSegment& operator=(const TSegment&) = delete;

  TGrayImage& Image() { return *FImage; }
  const TGrayImage& Image() const { return *FImage; }
  // Hands the picture over (to an encoding job) without copying it; the job is empty after.
  std::unique_ptr<TGrayImage> ReleaseImage();

  // The job's parameters, set by the dialogs and the command-line tool before a run.
  int32_t FWinSizeX = 0;
  int32_t FWinSizeY = 0;
  bool FWhiteDots = true;
  bool FShowProgress = false;
  int32_t FAdjust = 0;
  // Asked between rows of a multi-area run whether to stop; true makes the run put back the
  // pixels and the threshold table it changed and raise TCancelled. Unset: never asked.
  std::function<bool()> FCancel;

  // Segments the whole image, drawing each pixel's new value on the surface when show is set
  // (and a surface is given).
  void MultiAreaSegment(bool show, TSurface* surface);
  // Rebuilds the threshold table with FWinSizeX, FWinSizeY and adjust, then segments the
  // inclusive rectangle. A rectangle reaching outside the image is refused before any pixel
  // changes, with the message of the first pixel outside.
  void MultiAreaSegmentRect(bool show, TSurface* surface, int32_t adjust, int32_t x1, int32_t y1,
                            int32_t x2, int32_t y2);
  // Rebuilds the window lattice and its thresholds (window mean + FAdjust, clamped to 0..255).
  // A window size below 1 or above half the smaller image side is refused first, naming the
  // allowed range.
  void ComputeThresholds();
  // T(i, j) of window column i, row j; a window outside the table raises an error.
  int32_t GetThreshold(int32_t i, int32_t j) const;
  void SetThreshold(int32_t i, int32_t j, int32_t t);
  // The cell whose corners interpolate the threshold of pixel (x, y); corners outside the
  // lattice are extrapolated linearly, image corners are the mean of the cell's other three.
  TCell LocateCell(int32_t x, int32_t y) const;
  // Bilinear interpolation inside a cell, truncated toward zero and not clamped (w, h >= 1).
  static int32_t InterpolateThreshold(int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t tl,
                                      int32_t tr, int32_t bl, int32_t br);
  static int32_t InterpolateThreshold(const TCell& cell);

  // One threshold t for the whole image or an inclusive rectangle of it; a pixel equal to t
  // keeps its value. Draws progress when FShowProgress is set and a surface is given.
  void SimpleSegment(TSurface* surface, int32_t threshold);
  void SimpleSegmentRect(TSurface* surface, int32_t threshold, int32_t x1, int32_t y1, int32_t x2,
                         int32_t y2);

  // Fills the inclusive rectangle (x, y)-(x + dx, y + dy), clipped to the image, with the
  // background value of white dots (0) or black dots (255); a negative dx or dy fills nothing.
  void ModifyRect(bool whiteDots, int32_t x, int32_t y, int32_t dx, int32_t dy);

  // Writes the image as ".bmp" or ".raw", by extension.
  void SaveResult(const std::string& fileName) const;
  // Loads the image again from its file (restoring the unsegmented picture); the job follows a
  // change of size.
  void ReloadImage(const std::string& fileName);

  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  int32_t WinNumX() const { return FWinNumX; }
  int32_t WinNumY() const { return FWinNumY; }
  int32_t FirstCenterX() const { return FFirstCenterX; }
  int32_t LastCenterX() const { return FLastCenterX; }
  int32_t FirstCenterY() const { return FFirstCenterY; }
  int32_t LastCenterY() const { return FLastCenterY; }

 private:
  void SyncSize();
  void CheckWindowSize() const;
  void CheckRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
  int32_t T(int32_t i, int32_t j) const;
  void SegmentRow(int32_t y, int32_t x1, const int16_t* thresholds, int32_t count);
  void ShowRow(TSurface* surface, int32_t y, int32_t x1, int32_t x2);
  void SegmentRect(bool paint, TSurface* surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                   std::vector<uint8_t>* undo);

  std::unique_ptr<TGrayImage> FImage;
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  std::vector<int32_t> FThreshold;
  int32_t FWinNumX = 0;
  int32_t FWinNumY = 0;
  int32_t FFirstCenterX = 0, FLastCenterX = 0;
  int32_t FFirstCenterY = 0, FLastCenterY = 0;
  // Window sizes the lattice was last built with (LocateCell uses these, not later edits).
  int32_t FCellSizeX = 0;
  int32_t FCellSizeY = 0;
};
