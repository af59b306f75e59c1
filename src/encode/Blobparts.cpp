#include "encode/Blobparts.h"

#include <algorithm>
#include <cmath>

#include "encode/Blobscan.h"
#include "encode/Distancemap.h"
#include "encode/Pointbuckets.h"

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Opening = 0.7;     // the opening's radius, of the blob's largest inner radius
constexpr double Beyond = 1.0;      // px: a pixel this far beyond the disc of the area sticks out
constexpr double DiscMoment = 1.2;  // second moment over a disc's of the same area, at most
constexpr size_t Pinhole = 4;       // px: a hole this small in a blob is noise
constexpr double Together = 0.8;    // cores closer than this many deepest radii are one dot's
constexpr double Larger = 1.1;  // a blob this much larger than the dots around it is looked into

struct TRunAt {
  int32_t Y, X0, X1;
};

struct TShape {
  int64_t N = 0;
  double Sx = 0, Sy = 0, Sxx = 0, Syy = 0;
  int32_t X0 = 0, X1 = 0, Y0 = 0, Y1 = 0;
  double Reach2 = 0;  // largest squared distance of a pixel from the mean
};

// Sum of k and of k^2 for k = a .. b.
double Sum1(int32_t a, int32_t b) {
  return (static_cast<double>(a) + b) * (b - a + 1) / 2;
}
double Sum2(int32_t a, int32_t b) {
  auto s = [](double n) { return n * (n + 1) * (2 * n + 1) / 6; };
  return s(b) - s(a - 1.0);
}

// Holes of a few pixels inside a blob are noise on a bright dot (a threshold near the dots'
// level, as on a grid of merged dots): they count as the blob's, or its depth would break there.
void FillPinholes(std::vector<char>& outside, int32_t w, int32_t h) {
  std::vector<char> seen(outside.size(), 0);
  std::vector<size_t> hole, stack;
  for (size_t k = 0; k < outside.size(); ++k) {
    if (!outside[k] || seen[k]) continue;
    hole.clear();
    bool open = false;
    stack.push_back(k);
    seen[k] = 1;
    while (!stack.empty()) {
      const size_t c = stack.back();
      stack.pop_back();
      hole.push_back(c);
      const int32_t cx = static_cast<int32_t>(c % static_cast<size_t>(w));
      const int32_t cy = static_cast<int32_t>(c / static_cast<size_t>(w));
      open = open || cx == 0 || cy == 0 || cx == w - 1 || cy == h - 1;
      // 4-connected: the blob is 8-connected, so its holes are 4-connected.
      const int32_t nx[4] = {cx - 1, cx + 1, cx, cx}, ny[4] = {cy, cy, cy - 1, cy + 1};
      for (int32_t i = 0; i < 4; ++i) {
        if (nx[i] < 0 || ny[i] < 0 || nx[i] >= w || ny[i] >= h) continue;
        const size_t n = static_cast<size_t>(ny[i]) * static_cast<size_t>(w) + nx[i];
        if (outside[n] && !seen[n]) seen[n] = 1, stack.push_back(n);
      }
    }
    if (!open && hole.size() <= Pinhole)
      for (size_t c : hole) outside[c] = 0;
  }
}

// One blob cut open: its parts and what was cut away, appended.
void Open(const std::vector<TRunAt>& runs, int32_t blob, const TShape& shape, int32_t width,
          int32_t height, const uint8_t* pixels, uint8_t background, TBlobParts& out) {
  const int32_t w = shape.X1 - shape.X0 + 3, h = shape.Y1 - shape.Y0 + 3;  // a margin of 1
  const size_t size = static_cast<size_t>(w) * static_cast<size_t>(h);
  auto cell = [&](int32_t x, int32_t y) {
    return static_cast<size_t>(y - shape.Y0 + 1) * static_cast<size_t>(w) +
           static_cast<size_t>(x - shape.X0 + 1);
  };
  std::vector<char> outside(size, 1);
  for (const TRunAt& r : runs)
    for (int32_t x = r.X0; x <= r.X1; ++x) outside[cell(x, r.Y)] = 0;
  FillPinholes(outside, w, h);
  std::vector<int32_t> depth;
  DistanceMap(outside, w, h, depth);
  int32_t deepest = 0;
  for (size_t k = 0; k < size; ++k)
    if (!outside[k]) deepest = std::max(deepest, depth[k]);
  const double rho = std::max(1.0, Opening * std::sqrt(static_cast<double>(deepest)));
  // The cores, 8-connected, numbered from 1.
  std::vector<int32_t> core(size, 0);
  std::vector<size_t> stack;
  int32_t cores = 0;
  for (size_t k = 0; k < size; ++k) {
    if (outside[k] || depth[k] < rho * rho || core[k]) continue;
    core[k] = ++cores;
    stack.push_back(k);
    while (!stack.empty()) {
      const size_t c = stack.back();
      stack.pop_back();
      const int32_t cx = static_cast<int32_t>(c % static_cast<size_t>(w));
      const int32_t cy = static_cast<int32_t>(c / static_cast<size_t>(w));
      for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx) {
          const int32_t nx = cx + dx, ny = cy + dy;
          if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
          const size_t n = static_cast<size_t>(ny) * static_cast<size_t>(w) + nx;
          if (!outside[n] && !core[n] && depth[n] >= rho * rho) core[n] = cores, stack.push_back(n);
        }
    }
  }
  // Cores closer than the deepest radius are one dot's (noise on its edge can break its core).
  {
    std::vector<double> cx(static_cast<size_t>(cores) + 1, 0), cy(cx.size(), 0), cn(cx.size(), 0);
    for (size_t k = 0; k < size; ++k)
      if (core[k]) {
        cx[core[k]] += static_cast<double>(k % static_cast<size_t>(w));
        cy[core[k]] += static_cast<double>(k / static_cast<size_t>(w)), cn[core[k]] += 1;
      }
    std::vector<int32_t> same(cx.size());
    for (size_t c = 0; c < same.size(); ++c) same[c] = static_cast<int32_t>(c);
    const double apart = Together * std::sqrt(static_cast<double>(deepest));
    for (int32_t a = 1; a <= cores; ++a)
      for (int32_t b = a + 1; b <= cores; ++b)
        if (std::hypot(cx[a] / cn[a] - cx[b] / cn[b], cy[a] / cn[a] - cy[b] / cn[b]) < apart) {
          int32_t ra = a, rb = b;
          while (same[ra] != ra) ra = same[ra];
          while (same[rb] != rb) rb = same[rb];
          same[std::max(ra, rb)] = std::min(ra, rb);
        }
    std::vector<int32_t> number(same.size(), 0);
    int32_t kept = 0;
    for (int32_t c = 1; c <= cores; ++c) {
      int32_t root = c;
      while (same[root] != root) root = same[root];
      if (!number[root]) number[root] = ++kept;
      number[c] = number[root];
    }
    for (int32_t& c : core) c = number[c];
    cores = kept;
  }
  std::vector<char> isCore(size, 0);
  for (size_t k = 0; k < size; ++k) isCore[k] = core[k] > 0;
  std::vector<int32_t> toCore, nearest;
  DistanceMap(isCore, w, h, toCore, &nearest);
  // Scan order of the pixels gives every part its first pixel and ascending offsets.
  const size_t first = out.Parts.size();
  out.Parts.resize(first + static_cast<size_t>(cores));
  std::vector<double> depthOf(static_cast<size_t>(cores), 0), sw(static_cast<size_t>(cores), 0),
      sx(static_cast<size_t>(cores), 0), sy(static_cast<size_t>(cores), 0);
  const double reach = (rho + 0.5) * (rho + 0.5);
  bool cut = false;
  for (const TRunAt& r : runs)
    for (int32_t x = r.X0; x <= r.X1; ++x) {
      const size_t k = cell(x, r.Y);
      const uint32_t offset =
          static_cast<uint32_t>(r.Y) * static_cast<uint32_t>(width) + static_cast<uint32_t>(x);
      if (nearest[k] < 0 || toCore[k] > reach) {
        out.Cut.push_back(offset);
        cut = true;
        continue;
      }
      const int32_t c = core[static_cast<size_t>(nearest[k])] - 1;
      TBlobPart& part = out.Parts[first + static_cast<size_t>(c)];
      if (part.Pixels.empty()) part.FirstX = x, part.FirstY = r.Y;
      part.Border = part.Border || x == 0 || r.Y == 0 || x == width - 1 || r.Y == height - 1;
      part.Pixels.push_back(offset);
      const double weight = pixels[offset] ^ background;
      sw[c] += weight, sx[c] += weight * x, sy[c] += weight * r.Y;
      depthOf[c] = std::max(depthOf[c], static_cast<double>(depth[k]));
    }
  for (int32_t c = 0; c < cores; ++c) {
    TBlobPart& part = out.Parts[first + static_cast<size_t>(c)];
    part.Blob = blob;
    part.Area = static_cast<int32_t>(part.Pixels.size());
    part.X = sw[c] > 0 ? sx[c] / sw[c] : 0;
    part.Y = sw[c] > 0 ? sy[c] / sw[c] : 0;
    part.Radius = std::sqrt(depthOf[c]);
    part.Compact = true;
    part.Whole = false;
  }
  // Parts in scan order of their first pixels (the runs come row by row, so rows are in order).
  std::sort(out.Parts.begin() + static_cast<std::ptrdiff_t>(first), out.Parts.end(),
            [](const TBlobPart& a, const TBlobPart& b) {
              return a.FirstY != b.FirstY ? a.FirstY < b.FirstY : a.FirstX < b.FirstX;
            });
  if (cores == 1 && !cut) {  // nothing came apart: the blob is whole after all
    out.Parts[first].Whole = true;
    out.Parts[first].Pixels.clear();
  }
}

}  // namespace

TBlobParts SplitBlobs(const TBlobScan& scan, const uint8_t* pixels, uint8_t background,
                      int32_t leastArea) {
  TBlobParts out;
  const std::vector<TBlobScan::TBlob>& blobs = scan.Blobs();
  const size_t n = blobs.size();
  std::vector<TShape> shape(n);
  std::vector<size_t> runCount(n + 1, 0);
  for (int32_t y = 0; y < scan.Height(); ++y)
    for (const TBlobScan::TRun* r = scan.RowBegin(y); r != scan.RowEnd(y); ++r) {
      TShape& s = shape[static_cast<size_t>(r->Blob)];
      if (s.N == 0) s.X0 = r->X0, s.X1 = r->X1, s.Y0 = s.Y1 = y;
      s.X0 = std::min(s.X0, r->X0), s.X1 = std::max(s.X1, r->X1), s.Y1 = y;
      const int64_t len = r->X1 - r->X0 + 1;
      s.N += len;
      s.Sx += Sum1(r->X0, r->X1), s.Sxx += Sum2(r->X0, r->X1);
      s.Sy += static_cast<double>(len) * y, s.Syy += static_cast<double>(len) * y * y;
      ++runCount[static_cast<size_t>(r->Blob) + 1];
    }
  // The runs of every blob together, and the farthest pixel from the blob's mean (a run's
  // farthest pixel is one of its ends).
  for (size_t b = 1; b <= n; ++b) runCount[b] += runCount[b - 1];
  std::vector<TRunAt> runs(runCount[n]);
  std::vector<size_t> fill(runCount.begin(), runCount.end() - 1);
  for (int32_t y = 0; y < scan.Height(); ++y)
    for (const TBlobScan::TRun* r = scan.RowBegin(y); r != scan.RowEnd(y); ++r) {
      const size_t b = static_cast<size_t>(r->Blob);
      runs[fill[b]++] = {y, r->X0, r->X1};
      TShape& s = shape[b];
      const double mx = s.Sx / static_cast<double>(s.N), my = s.Sy / static_cast<double>(s.N);
      const double dx = std::max(std::abs(r->X0 - mx), std::abs(r->X1 - mx)), dy = y - my;
      s.Reach2 = std::max(s.Reach2, dx * dx + dy * dy);
    }
  // Disc-shaped: a second moment about the mean (less the pixels' own 1/6) that of a disc of the
  // same area, and no pixel well beyond that disc.
  std::vector<char> disc(n, 0);
  std::vector<int32_t> typical;
  for (size_t b = 0; b < n; ++b) {
    const TShape& s = shape[b];
    if (blobs[b].Erased || s.N == 0) continue;
    ++out.Blobs;
    const double a = static_cast<double>(s.N);
    const double moment = s.Sxx - s.Sx * s.Sx / a + s.Syy - s.Sy * s.Sy / a - a / 6;
    const double radius = std::sqrt(a / Pi);
    disc[b] = 2 * Pi * moment <= DiscMoment * a * a && std::sqrt(s.Reach2) <= radius + Beyond;
    if (disc[b] && !blobs[b].Border && blobs[b].Area >= leastArea) typical.push_back(blobs[b].Area);
  }
  if (typical.size() >= 8) {
    const auto middle = typical.begin() + static_cast<std::ptrdiff_t>(typical.size() / 2);
    std::nth_element(typical.begin(), middle, typical.end());
    out.TypicalArea = *middle;
  }
  // The dots around each blob: the median area of the disc-shaped blobs within a few pitches
  // (dots may grow across the picture), the typical one where there are too few.
  std::vector<float> dx, dy, da;
  for (size_t b = 0; b < n; ++b)
    if (disc[b] && blobs[b].Area >= leastArea && !blobs[b].Erased) {
      dx.push_back(static_cast<float>(shape[b].Sx / static_cast<double>(shape[b].N)));
      dy.push_back(static_cast<float>(shape[b].Sy / static_cast<double>(shape[b].N)));
      da.push_back(static_cast<float>(blobs[b].Area));
    }
  const double spacing = dx.empty() ? 1
                                    : std::sqrt(static_cast<double>(scan.Width()) * scan.Height() /
                                                static_cast<double>(dx.size()));
  const TPointBuckets around(dx, dy, 2.5 * spacing);
  std::vector<float> near;
  auto localArea = [&](size_t b) {
    near.clear();
    const double x = shape[b].Sx / static_cast<double>(shape[b].N);
    const double y = shape[b].Sy / static_cast<double>(shape[b].N);
    around.Near(x, y, 2.5 * spacing, [&](int32_t j) {
      if (std::hypot(dx[j] - x, dy[j] - y) <= 2.5 * spacing) near.push_back(da[j]);
    });
    if (near.size() < 3) return out.TypicalArea;
    const auto middle = near.begin() + static_cast<std::ptrdiff_t>(near.size() / 2);
    std::nth_element(near.begin(), middle, near.end());
    return static_cast<double>(*middle);
  };
  std::vector<TRunAt> own;
  for (size_t b = 0; b < n; ++b) {
    const TBlobScan::TBlob& blob = blobs[b];
    if (blob.Erased || shape[b].N == 0) continue;
    // Without a typical dot (every blob merged or odd) every blob of the least area is opened.
    const bool look = blob.Area >= std::max(leastArea, 4) &&
                      (out.TypicalArea == 0 || !disc[b] || blob.Area > Larger * localArea(b)) &&
                      (!blob.Border || out.TypicalArea == 0 || blob.Area > 1.5 * out.TypicalArea);
    if (look && blob.Area >= out.TypicalArea / 4) {
      own.assign(runs.begin() + static_cast<std::ptrdiff_t>(runCount[b]),
                 runs.begin() + static_cast<std::ptrdiff_t>(runCount[b + 1]));
      Open(own, static_cast<int32_t>(b), shape[b], scan.Width(), scan.Height(), pixels, background,
           out);
      if (!out.Parts.back().Whole || out.Parts.back().Blob != static_cast<int32_t>(b)) continue;
      out.Parts.back() = {};  // came out whole: as any whole blob below
      out.Parts.pop_back();
    }
    TBlobPart part;
    part.Blob = static_cast<int32_t>(b);
    part.X = static_cast<double>(blob.SumX) / static_cast<double>(blob.SumW);
    part.Y = static_cast<double>(blob.SumY) / static_cast<double>(blob.SumW);
    part.Area = blob.Area;
    part.Radius = std::sqrt(blob.Area / Pi);
    part.FirstX = blob.FirstX, part.FirstY = blob.FirstY;
    part.Compact = disc[b] && !blob.Border;
    part.Border = blob.Border;
    out.Parts.push_back(std::move(part));
  }
  std::sort(out.Cut.begin(), out.Cut.end());
  if (out.TypicalArea == 0) {  // every dot merged: the typical dot is the typical part
    typical.clear();
    for (const TBlobPart& p : out.Parts)
      if (!p.Whole && !p.Border) typical.push_back(p.Area);
    if (!typical.empty()) {
      const auto middle = typical.begin() + static_cast<std::ptrdiff_t>(typical.size() / 2);
      std::nth_element(typical.begin(), middle, typical.end());
      out.TypicalArea = *middle;
    }
  }
  return out;
}
