#pragma once

#include <QElapsedTimer>
#include <QRect>
#include <QString>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/RgbSurface.h"

class TPaintBox;

// The picture behind a paint box. The system draws into it through the surface operations, so
// everything drawn is the same as on the in-memory pictures of the core; Qt paint events only
// copy it to the screen.
class TViewSurface : public TRgbSurface {
 public:
  explicit TViewSurface(TPaintBox& box);

  // A fresh picture of the given size, filled with one colour.
  void Reset(int32_t width, int32_t height, TColor fill);
  // Repaints the box at once so that progress drawn during a long command shows while the
  // command still runs; no more than once per FlushInterval, since a repaint costs far more
  // than the drawing between two of them.
  void Flush() override;
  // Inverts every other pixel of the outline of the rectangle [left, right) x [top, bottom),
  // each pixel once: drawing the same rectangle twice leaves the picture as it was.
  void InvertFocusRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
  // Labels: black glyphs on a pale yellow box with a dark edge just left of it. The box reads on
  // white dots and on a black background alike; where the labels of a dense grid overlap, each
  // later box hides the rest of the one before, and the dark edge shows where a label (and the
  // centre of its dot) begins.
  // With labels kept apart, a text is not burnt into the picture but kept as a label at an image
  // position, and the box draws it at screen resolution at every zoom. A picture drawn over a
  // label's position takes the label away, as it would cover burnt-in text.
  void TextOut(int32_t x, int32_t y, const std::string& text) override;
  void DrawGray(const uint8_t* pixels, int32_t width, int32_t height) override;
  void DrawPicture(const TRgbSurface& picture) override;
  void DrawGrayRow(int32_t x, int32_t y, const uint8_t* pixels, int32_t count) override;

  struct TLabel {
    int32_t X = 0;
    int32_t Y = 0;
    std::string Text;
  };
  void SetLabelsApart(bool apart) { FLabelsApart = apart; }

  // What the view shows, to be put back when a command that drew on it is cancelled.
  struct TSnapshot {
    TRgbSurface Picture;
    std::vector<TLabel> Labels;
  };
  TSnapshot Snapshot() const { return {*this, FLabels}; }
  // Draws the snapshot's picture and its labels; the surface must have the snapshot's size.
  void Restore(const TSnapshot& snapshot);
  const std::vector<TLabel>& Labels() const { return FLabels; }
  uint64_t LabelVersion() const { return FLabelVersion; }  // changes with every label change

  static constexpr int FlushInterval = 40;  // milliseconds

 private:
  void InvertPixel(int32_t x, int32_t y);
  void DropLabels(int32_t left, int32_t top, int32_t right, int32_t bottom);
  static uint64_t Place(int32_t x, int32_t y) {
    return (uint64_t{static_cast<uint32_t>(x)} << 32) | static_cast<uint32_t>(y);
  }

  TPaintBox& FBox;
  QElapsedTimer FLastFlush;
  bool FLabelsApart = false;
  std::vector<TLabel> FLabels;
  // The positions that hold a label: a label at a new position (Show Position writes tens of
  // thousands) is added without looking through the others.
  std::unordered_set<uint64_t> FLabelPlaces;
  uint64_t FLabelVersion = 0;
};
