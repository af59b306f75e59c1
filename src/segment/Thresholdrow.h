#pragma once

#include <cstdint>
#include <vector>

// The arithmetic of the bilinear threshold, shared by the per-pixel definition and the fast
// row kernel below so that both round the same way.
//
// Edge quotient: ((w - dx) * a + dx * b) / w, divided in floating point and rounded to single
// precision. The numerator is formed in 64 bits (equal to the 32-bit product for every cell the
// lattice produces, and free of overflow for any other argument). w must be at least 1.
float EdgeQuotient(int32_t dx, int32_t w, int32_t a, int32_t b);

// Blend: ((h - dy) * top + dy * bottom) / h in extended precision, truncated toward zero. Not
// clamped to 0..255; saturated only at the ends of the 32-bit range. h must be at least 1.
int32_t BlendTruncate(int32_t dy, int32_t h, float top, float bottom);

// v clamped to the 16-bit range.
int16_t Saturate16(int32_t v);

// Instruction sets of the row kernel; Best is the widest this processor has.
enum class TLaneSet { Best, Portable, Sse2, Avx };

// The thresholds of whole image rows inside one row of interpolation cells. Every column keeps
// its top and bottom edge quotients, and a row of thresholds is then a short vectorisable loop
// in double precision; each result is certified equal to BlendTruncate, and the rare pixel
// that cannot be certified is computed by BlendTruncate itself.
class TThresholdRow {
 public:
  TThresholdRow() { SelectLanes(TLaneSet::Best); }
  // Restricts the kernel to one instruction set (all give the same thresholds); false, and no
  // change, when this processor lacks it.
  bool SelectLanes(TLaneSet set);

  // Starts a cell row of count columns whose cells are h rows high (h >= 1).
  void Reset(int32_t count, int32_t h);
  // Column i: the edge quotients of the top and the bottom side of its cell.
  void SetColumn(int32_t i, float top, float bottom);
  // Thresholds of the image row dy rows below the top of the cells, 0 <= dy < h: count values,
  // each equal to BlendTruncate(dy, h, top, bottom) of its column saturated to 16 bits (the
  // lattice gives -255..510; a gray value compares alike with anything beyond). Valid until the
  // next call.
  const int16_t* Compute(int32_t dy);

 private:
  void ComputeChecked(int32_t dy, int16_t* out) const;
  void ComputeExact(int32_t dy, int32_t begin, int32_t end, int16_t* out) const;

  TLaneSet FLanes = TLaneSet::Portable;
  int32_t FCount = 0;
  int32_t FPadded = 0;
  int32_t FHeight = 1;
  bool FCertifiable = true;     // every value small enough for the double-precision bound
  std::vector<double> FTop;     // top edge quotient, exactly
  std::vector<double> FBottom;  // bottom edge quotient, exactly
  std::vector<double> FSlope;   // (bottom - top) / h, approximately
  std::vector<int16_t> FOut;
};
