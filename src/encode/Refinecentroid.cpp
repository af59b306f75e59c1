#include "encode/Refinecentroid.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/Convert.h"
#include "base/Error.h"
#include "encode/Dotgrid.h"
#include "encode/Encode.h"
#include "image/Grayimage.h"

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Grow = 0.5;           // the disc reaches this far beyond the blob's own radius
constexpr double Clearance = 1.0;      // and stays this far from the neighbouring blob
constexpr double BackgroundGap = 3.0;  // background pixels lie this far beyond every blob
constexpr int32_t Iterations = 4;

// Mean background per block, interpolated bilinearly between block centres.
class TBackground {
 public:
  TBackground(const TGrayImage& picture, const std::vector<uint8_t>& nearDot, int32_t block)
      : FBlock(block),
        FCols((picture.Width() + block - 1) / block),
        FRows((picture.Height() + block - 1) / block),
        FMean(static_cast<size_t>(FCols) * static_cast<size_t>(FRows), 0.0f) {
    const int32_t w = picture.Width(), h = picture.Height();
    std::vector<double> sum(FMean.size(), 0.0);
    std::vector<int64_t> count(FMean.size(), 0);
    for (int32_t y = 0; y < h; ++y) {
      const uint8_t* row = picture.Data() + static_cast<size_t>(y) * static_cast<size_t>(w);
      const uint8_t* mask = nearDot.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
      const size_t base = static_cast<size_t>(y / block) * static_cast<size_t>(FCols);
      for (int32_t x = 0; x < w; ++x) {
        if (mask[x]) continue;
        const size_t k = base + static_cast<size_t>(x / block);
        sum[k] += row[x];
        ++count[k];
      }
    }
    // Blocks without background take the mean of the blocks around them that have some.
    std::vector<char> known(FMean.size(), 0);
    bool any = false;
    for (size_t k = 0; k < FMean.size(); ++k)
      if (count[k] >= 8) {
        FMean[k] = static_cast<float>(sum[k] / static_cast<double>(count[k]));
        known[k] = 1;
        any = true;
      }
    if (!any) return;  // a picture of dots only: no background to subtract
    for (bool missing = true; missing;) {
      missing = false;
      std::vector<char> next = known;
      for (int32_t r = 0; r < FRows; ++r)
        for (int32_t c = 0; c < FCols; ++c) {
          const size_t k = static_cast<size_t>(r) * static_cast<size_t>(FCols) + c;
          if (known[k]) continue;
          double s = 0;
          int32_t n = 0;
          for (int32_t dr = -1; dr <= 1; ++dr)
            for (int32_t dc = -1; dc <= 1; ++dc) {
              const int32_t rr = r + dr, cc = c + dc;
              if (rr < 0 || cc < 0 || rr >= FRows || cc >= FCols) continue;
              const size_t q = static_cast<size_t>(rr) * static_cast<size_t>(FCols) + cc;
              if (known[q]) s += FMean[q], ++n;
            }
          if (n > 0) {
            FMean[k] = static_cast<float>(s / n);
            next[k] = 1;
          } else {
            missing = true;
          }
        }
      known.swap(next);
    }
  }

  double At(double x, double y) const {
    const double fx = std::clamp((x + 0.5) / FBlock - 0.5, 0.0, FCols - 1.0);
    const double fy = std::clamp((y + 0.5) / FBlock - 0.5, 0.0, FRows - 1.0);
    const int32_t c0 = static_cast<int32_t>(fx), r0 = static_cast<int32_t>(fy);
    const int32_t c1 = std::min(c0 + 1, FCols - 1), r1 = std::min(r0 + 1, FRows - 1);
    const double ax = fx - c0, ay = fy - r0;
    auto m = [this](int32_t r, int32_t c) {
      return static_cast<double>(FMean[static_cast<size_t>(r) * static_cast<size_t>(FCols) + c]);
    };
    return (1 - ay) * ((1 - ax) * m(r0, c0) + ax * m(r0, c1)) +
           ay * ((1 - ax) * m(r1, c0) + ax * m(r1, c1));
  }

 private:
  int32_t FBlock, FCols, FRows;
  std::vector<float> FMean;
};

// Marks the pixels within the given radius of (x, y).
void MarkDisc(std::vector<uint8_t>& mask, int32_t w, int32_t h, double x, double y, double r) {
  const int32_t y0 = std::max(0, static_cast<int32_t>(std::floor(y - r)));
  const int32_t y1 = std::min(h - 1, static_cast<int32_t>(std::ceil(y + r)));
  for (int32_t py = y0; py <= y1; ++py) {
    const double dy = py - y;
    const double half = r * r - dy * dy;
    if (half < 0) continue;
    const double s = std::sqrt(half);
    const int32_t x0 = std::max(0, static_cast<int32_t>(std::ceil(x - s)));
    const int32_t x1 = std::min(w - 1, static_cast<int32_t>(std::floor(x + s)));
    if (x0 > x1) continue;
    std::fill(mask.begin() + static_cast<std::ptrdiff_t>(py) * w + x0,
              mask.begin() + static_cast<std::ptrdiff_t>(py) * w + x1 + 1, uint8_t{1});
  }
}

}  // namespace

void RefineCentroids(TEncode& job, const TGrayImage& picture) {
  const TGrayImage& segmented = *job.FImage;
  if (picture.Width() != segmented.Width() || picture.Height() != segmented.Height())
    throw TError(
        Format("The picture for refined centroids is %d x %d pixels, the segmented "
               "picture %d x %d: they must be the same picture",
               picture.Width(), picture.Height(), segmented.Width(), segmented.Height()));
  const int32_t count = std::min(job.FDotSum, static_cast<int32_t>(job.FDotInfo.size()));
  if (count <= 0) return;
  const int32_t w = picture.Width(), h = picture.Height();
  std::vector<TDotInfo>& dots = job.FDotInfo;

  TDotGrid grid;
  grid.Build(dots.data(), count);
  std::vector<double> radius(static_cast<size_t>(count)), reach(static_cast<size_t>(count));
  std::vector<double> spacing;
  std::vector<uint8_t> nearDot(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
  for (int32_t i = 0; i < count; ++i) {
    const TDotInfo& d = dots[i];
    const double r = std::sqrt(std::max(d.Area, 1) / Pi);
    radius[i] = r;
    const int32_t j = grid.Nearest(d.x, d.y, 1.0e20f, i);
    double limit = 1e9;
    if (j >= 0) {
      const double gap = std::hypot(dots[j].x - d.x, dots[j].y - d.y);
      spacing.push_back(gap);
      limit = gap - std::sqrt(std::max(dots[j].Area, 1) / Pi) - Clearance;
    }
    reach[i] = std::max(std::min(r + Grow, limit), r + 0.5);
    MarkDisc(nearDot, w, h, d.x, d.y, r + BackgroundGap);
  }
  // Blocks of about two pitches hold enough background for a mean that hardly moves with noise.
  double pitch = 32;
  if (!spacing.empty()) {
    std::nth_element(spacing.begin(), spacing.begin() + spacing.size() / 2, spacing.end());
    pitch = spacing[spacing.size() / 2];
  }
  const int32_t block = std::clamp(static_cast<int32_t>(2 * pitch), 16, 256);
  const TBackground background(picture, nearDot, block);
  const int32_t sign = job.FBackground == 0 ? 1 : -1;  // dark dots weigh by how much darker

  for (int32_t i = 0; i < count; ++i) {
    TDotInfo& d = dots[i];
    const double R = reach[i];
    // The background as a plane through the dot: a slope left in the weights would pull the
    // centroid uphill.
    const double b = background.At(d.x, d.y);
    const double gx = (background.At(d.x + 1, d.y) - background.At(d.x - 1, d.y)) / 2;
    const double gy = (background.At(d.x, d.y + 1) - background.At(d.x, d.y - 1)) / 2;
    double cx = d.x, cy = d.y;
    for (int32_t it = 0; it < Iterations; ++it) {
      const int32_t x0 = std::max(0, static_cast<int32_t>(std::floor(cx - R - 1)));
      const int32_t x1 = std::min(w - 1, static_cast<int32_t>(std::ceil(cx + R + 1)));
      const int32_t y0 = std::max(0, static_cast<int32_t>(std::floor(cy - R - 1)));
      const int32_t y1 = std::min(h - 1, static_cast<int32_t>(std::ceil(cy + R + 1)));
      double sw = 0, sx = 0, sy = 0;
      for (int32_t y = y0; y <= y1; ++y) {
        const uint8_t* row = picture.Data() + static_cast<size_t>(y) * static_cast<size_t>(w);
        const double dy = y - cy;
        for (int32_t x = x0; x <= x1; ++x) {
          const double dx = x - cx;
          // The disc's edge is half a pixel wide, so the weights do not jump as it moves.
          const double edge = R + 0.5 - std::sqrt(dx * dx + dy * dy);
          if (edge <= 0) continue;
          const double level = b + gx * (x - d.x) + gy * (y - d.y);
          const double weight = sign * (row[x] - level) * std::min(edge, 1.0);
          sw += weight;
          sx += weight * x;
          sy += weight * y;
        }
      }
      if (!(sw > 0)) break;
      const double nx = sx / sw, ny = sy / sw;
      // A disc pulled more than a pixel away follows something else than its dot.
      if (std::hypot(nx - d.x, ny - d.y) > 1.0) break;
      const double moved = std::hypot(nx - cx, ny - cy);
      cx = nx;
      cy = ny;
      if (moved < 1e-4) break;
    }
    d.x = static_cast<float>(cx);
    d.y = static_cast<float>(cy);
  }
  job.DotsMoved();
}
