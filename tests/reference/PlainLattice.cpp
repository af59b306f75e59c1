#include "reference/PlainLattice.h"

TPlainLattice::TPlainLattice(int32_t width, int32_t height, int32_t sizeX, int32_t sizeY)
    : W(width), H(height), Sx(sizeX), Sy(sizeY) {
  N = W / Sx;
  M = H / Sy;
  FirstX = (W - N * Sx) / 2 + Sx / 2;
  LastX = FirstX + (N - 1) * Sx;
  FirstY = (H - M * Sy) / 2 + Sy / 2;
  LastY = FirstY + (M - 1) * Sy;
  T.assign(static_cast<size_t>(N) * M, 0);
}

TCell TPlainLattice::Locate(int32_t x, int32_t y) const {
  const int32_t n = N, m = M;
  TCell c;
  int32_t xLeft, yTop, k = -1, r = -1;
  // -1: left / top border, 1: right / bottom border, 0: inner.
  int32_t hx, vy;
  if (x < FirstX) {
    hx = -1, xLeft = 0, c.W = FirstX;
  } else if (x >= LastX) {
    hx = 1, xLeft = LastX, c.W = W - LastX;
  } else {
    hx = 0, k = (x - FirstX) / Sx, xLeft = FirstX + k * Sx, c.W = Sx;
  }
  if (y < FirstY) {
    vy = -1, yTop = 0, c.H = FirstY;
  } else if (y >= LastY) {
    vy = 1, yTop = LastY, c.H = H - LastY;
  } else {
    vy = 0, r = (y - FirstY) / Sy, yTop = FirstY + r * Sy, c.H = Sy;
  }
  c.Dx = x - xLeft;
  c.Dy = y - yTop;
  const int32_t w = c.W, h = c.H;
  auto left = [&](int32_t row) { return At(0, row) - (At(1, row) - At(0, row)) * w / Sx; };
  auto right = [&](int32_t row) {
    return At(n - 1, row) + (At(n - 1, row) - At(n - 2, row)) * w / Sx;
  };
  auto up = [&](int32_t col) { return At(col, 0) - (At(col, 1) - At(col, 0)) * h / Sy; };
  auto down = [&](int32_t col) {
    return At(col, m - 1) + (At(col, m - 1) - At(col, m - 2)) * h / Sy;
  };
  int32_t& TL = c.TL;
  int32_t& TR = c.TR;
  int32_t& BL = c.BL;
  int32_t& BR = c.BR;
  if (vy == -1 && hx == -1) {
    TR = up(0), BL = left(0), BR = At(0, 0), TL = (TR + BL + BR) / 3;
  } else if (vy == -1 && hx == 0) {
    TL = up(k), TR = up(k + 1), BL = At(k, 0), BR = At(k + 1, 0);
  } else if (vy == -1 && hx == 1) {
    TL = up(n - 1), BL = At(n - 1, 0), BR = right(0), TR = (TL + BL + BR) / 3;
  } else if (vy == 0 && hx == -1) {
    TL = left(r), TR = At(0, r), BL = left(r + 1), BR = At(0, r + 1);
  } else if (vy == 0 && hx == 0) {
    TL = At(k, r), TR = At(k + 1, r), BL = At(k, r + 1), BR = At(k + 1, r + 1);
  } else if (vy == 0 && hx == 1) {
    TL = At(n - 1, r), TR = right(r), BL = At(n - 1, r + 1), BR = right(r + 1);
  } else if (vy == 1 && hx == -1) {
    TL = left(m - 1), TR = At(0, m - 1), BR = down(0), BL = (TL + TR + BR) / 3;
  } else if (vy == 1 && hx == 0) {
    TL = At(k, m - 1), TR = At(k + 1, m - 1), BL = down(k), BR = down(k + 1);
  } else {
    TL = At(n - 1, m - 1), TR = right(m - 1), BL = down(n - 1), BR = (TL + TR + BL) / 3;
  }
  return c;
}

int32_t TPlainLattice::Threshold(int32_t x, int32_t y) const {
  const TCell c = Locate(x, y);
  return PlainInterpolate(c.Dx, c.Dy, c.W, c.H, c.TL, c.TR, c.BL, c.BR);
}

int32_t PlainInterpolate(int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t tl, int32_t tr,
                         int32_t bl, int32_t br) {
  const int32_t topNumerator = (w - dx) * tl + dx * tr;
  const int32_t bottomNumerator = (w - dx) * bl + dx * br;
  const float top = static_cast<float>(static_cast<long double>(topNumerator) / w);
  const float bottom = static_cast<float>(static_cast<long double>(bottomNumerator) / w);
  const long double t =
      (static_cast<long double>(h - dy) * top + static_cast<long double>(dy) * bottom) / h;
  return static_cast<int32_t>(t);  // the conversion truncates toward zero
}

int32_t NaiveDoubleBlend(int32_t dy, int32_t h, float top, float bottom) {
  const double slope = (static_cast<double>(bottom) - top) * (1.0 / h);
  return static_cast<int32_t>(top + dy * slope);
}

std::vector<uint8_t> SegmentByDefinition(const TSegment& job, const std::vector<uint8_t>& original,
                                         int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  std::vector<uint8_t> out = original;
  const int32_t w = job.Width();
  for (int32_t y = y1; y <= y2; ++y)
    for (int32_t x = x1; x <= x2; ++x) {
      const int32_t t = TSegment::InterpolateThreshold(job.LocateCell(x, y));
      uint8_t& v = out[static_cast<size_t>(y) * w + x];
      if (job.FWhiteDots && v < t) v = 0;
      if (!job.FWhiteDots && v > t) v = 255;
    }
  return out;
}

std::vector<uint8_t> SimpleSegmentByDefinition(const std::vector<uint8_t>& original, int32_t width,
                                               bool whiteDots, int32_t threshold, int32_t x1,
                                               int32_t y1, int32_t x2, int32_t y2) {
  std::vector<uint8_t> out = original;
  for (int32_t y = y1; y <= y2; ++y)
    for (int32_t x = x1; x <= x2; ++x) {
      uint8_t& v = out[static_cast<size_t>(y) * width + x];
      if (whiteDots && v < threshold) v = 0;
      if (!whiteDots && v > threshold) v = 255;
    }
  return out;
}
