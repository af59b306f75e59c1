#include "encode/Latticeextract.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/Convert.h"
#include "base/Error.h"
#include "encode/Blobparts.h"
#include "encode/Blobscan.h"
#include "encode/Encode.h"
#include "encode/Lattice.h"
#include "encode/Pointbuckets.h"
#include "image/Grayimage.h"

namespace {

constexpr int32_t LeastSeeds = 12;
constexpr double OnNode = 0.25;       // of the pitch: a dot lies this close to its node at most
constexpr double DotShare = 0.1;      // of the typical dot: the least area of a dot not given
constexpr double LatticeShare = 0.5;  // of the pieces' area that the dots hold, at least
constexpr double Fair = 0.35;         // of the dots around it, the least area of a dot
constexpr double OffNodeDot = 0.5;    // of the typical dot: a piece this large is a dot

// The centroid of a dot that lost pixels: the weighted centroid over the part's pixels whose
// mirror image about the centroid is clear of what the blob lost (taken a pixel wider), moved
// until it rests. Point-symmetric dots come out on their centre whatever was cut on one side.
void SymmetricCentroid(const TBlobPart& part, const TBlobScan& scan, const uint8_t* pixels,
                       uint8_t background, int32_t width, double& x, double& y) {
  int32_t x0 = width, x1 = 0, y0 = part.FirstY, y1 = part.FirstY;
  for (uint32_t o : part.Pixels) {
    const int32_t px = static_cast<int32_t>(o % static_cast<uint32_t>(width));
    x0 = std::min(x0, px), x1 = std::max(x1, px);
    y1 = std::max(y1, static_cast<int32_t>(o / static_cast<uint32_t>(width)));
  }
  constexpr int32_t Margin = 3;
  x0 -= Margin, y0 -= Margin, x1 += Margin, y1 += Margin;
  const int32_t w = x1 - x0 + 1, h = y1 - y0 + 1;
  auto at = [&](int32_t px, int32_t py) { return static_cast<size_t>(py - y0) * w + (px - x0); };
  // 1: the part, 2: the rest of its blob, then 3: within a pixel of the rest.
  std::vector<uint8_t> label(static_cast<size_t>(w) * h, 0);
  for (int32_t py = std::max(0, y0); py <= std::min(scan.Height() - 1, y1); ++py)
    for (const TBlobScan::TRun* r = scan.RowBegin(py); r != scan.RowEnd(py); ++r)
      if (r->Blob == part.Blob)
        for (int32_t px = std::max(r->X0, x0); px <= std::min(r->X1, x1); ++px)
          label[at(px, py)] = 2;
  for (uint32_t o : part.Pixels)
    label[at(static_cast<int32_t>(o % static_cast<uint32_t>(width)),
             static_cast<int32_t>(o / static_cast<uint32_t>(width)))] = 1;
  std::vector<uint8_t> clear(label.size(), 1);
  for (int32_t py = 0; py < h; ++py)
    for (int32_t px = 0; px < w; ++px) {
      if (label[static_cast<size_t>(py) * w + px] != 2) continue;
      for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx) {
          const int32_t qx = px + dx, qy = py + dy;
          if (qx >= 0 && qy >= 0 && qx < w && qy < h) clear[static_cast<size_t>(qy) * w + qx] = 0;
        }
    }
  x = part.X, y = part.Y;
  for (int32_t it = 0; it < 20; ++it) {
    double sw = 0, sx = 0, sy = 0;
    for (uint32_t o : part.Pixels) {
      const int32_t px = static_cast<int32_t>(o % static_cast<uint32_t>(width));
      const int32_t py = static_cast<int32_t>(o / static_cast<uint32_t>(width));
      const int32_t mx = static_cast<int32_t>(std::lround(2 * x - px));
      const int32_t my = static_cast<int32_t>(std::lround(2 * y - py));
      if (!clear[at(px, py)] || mx < x0 || my < y0 || mx > x1 || my > y1 || !clear[at(mx, my)])
        continue;
      const double weight = pixels[o] ^ background;
      sw += weight, sx += weight * px, sy += weight * py;
    }
    if (!(sw > 0)) return;
    const double nx = sx / sw, ny = sy / sw, moved = std::hypot(nx - x, ny - y);
    x = nx, y = ny;
    if (moved < 1e-4) return;
  }
}

}  // namespace

std::string SortingText(const TDotSorting& s) {
  if (!s.Ran) return "";
  std::string text = Format("%d blobs: %d dots kept", s.Blobs, s.Dots);
  if (s.Merged || s.Cut)
    text +=
        Format(" (%d merged blobs split into %d dots, %d dots cut free)", s.Merged, s.Split, s.Cut);
  text += Format("; removed %d on the border, %d too small, %d off the grid", s.Border, s.Small,
                 s.OffGrid);
  if (s.Pitch > 0) text += Format("; pitch %.2f px", s.Pitch);
  return text;
}

TFitHints SortDots(TEncode& job, int32_t leastArea, bool areaGiven, TSurface* canvas) {
  job.SetCanvas(canvas);
  const TBlobScan& scan = job.Labelling();
  TGrayImage& image = *job.FImage;
  const int32_t width = image.Width();
  TBlobParts parts = SplitBlobs(scan, image.Data(), job.Background(), leastArea);
  const double typical = parts.TypicalArea;
  const int32_t least =
      areaGiven
          ? leastArea
          : std::max(3, typical > 0 ? static_cast<int32_t>(DotShare * typical) : leastArea / 3);
  TDotSorting sorting;
  sorting.Ran = true;
  sorting.Blobs = parts.Blobs;
  sorting.LeastArea = least;

  // The lattice from the dot-like pieces of an eighth of the typical dot or more.
  std::vector<float> sx, sy, sw;
  const double seedArea = std::max(3.0, typical > 0 ? typical / 8 : least);
  for (const TBlobPart& p : parts.Parts)
    if (p.Compact && !p.Border && p.Area >= seedArea) {
      sx.push_back(static_cast<float>(p.X)), sy.push_back(static_cast<float>(p.Y));
      sw.push_back(static_cast<float>(p.Area));
    }
  if (static_cast<int32_t>(sx.size()) < LeastSeeds) {  // a handful of dots: as specified
    job.ClearBorder();
    job.SetAreaThreshold(leastArea);
    job.RemoveNoise(canvas);
    job.BuildDotInfo(canvas);
    return {};
  }
  const TLattice lattice(sx, sy, sw, width, image.Height());
  const std::string noGrid =
      Format("No grid of dots found: the %d blobs of this picture lie on no lattice", parts.Blobs);
  if (!lattice.Found()) throw TError(noGrid);
  sorting.Pitch = lattice.Pitch();

  // Each piece on its node or not; of the pieces at one node the largest.
  const size_t n = parts.Parts.size();
  std::vector<char> keep(n, 0);
  std::vector<float> px(n), py(n);
  for (size_t i = 0; i < n; ++i) {
    const TBlobPart& p = parts.Parts[i];
    px[i] = static_cast<float>(p.X), py[i] = static_cast<float>(p.Y);
    int64_t node[2];
    if (p.Border)
      ++sorting.Border;
    else if (p.Area < least)
      ++sorting.Small;
    else if (lattice.Offset(p.X, p.Y, node) <= OnNode * lattice.Pitch())
      keep[i] = 1;
    else if (p.Area >= OffNodeDot * typical)
      keep[i] = 1;  // a piece of a dot's size where the lattice does not follow the grid
                    // (perspective, large strain): dropping it would leave a hole that looks
                    // like a missing dot
  }
  const TPointBuckets buckets(px, py, lattice.Pitch());
  for (size_t i = 0; i < n; ++i) {
    if (!keep[i]) continue;
    const TBlobPart& p = parts.Parts[i];
    buckets.Near(p.X, p.Y, 0.5 * lattice.Pitch(), [&](int32_t j) {
      const TBlobPart& q = parts.Parts[static_cast<size_t>(j)];
      if (static_cast<size_t>(j) == i || !keep[static_cast<size_t>(j)] ||
          std::hypot(q.X - p.X, q.Y - p.Y) >= 0.5 * lattice.Pitch())
        return;
      if (q.Area > p.Area || (q.Area == p.Area && static_cast<size_t>(j) < i)) keep[i] = 2;
    });
  }
  // A small piece on a node must still be a fair share of the smaller dots around it (their
  // lower quartile: a pattern may mix large and small dots): a speck near a node beyond the
  // grid's edge is not a dot.
  for (size_t i = 0; i < n; ++i) {
    const TBlobPart& p = parts.Parts[i];
    if (keep[i] != 1 || p.Area >= Fair * typical) continue;
    std::vector<int32_t> around;
    buckets.Near(p.X, p.Y, 2 * lattice.Pitch(), [&](int32_t j) {
      const TBlobPart& q = parts.Parts[static_cast<size_t>(j)];
      if (static_cast<size_t>(j) != i && keep[static_cast<size_t>(j)] == 1 &&
          std::hypot(q.X - p.X, q.Y - p.Y) <= 2 * lattice.Pitch())
        around.push_back(q.Area);
    });
    if (around.empty()) continue;
    const auto quartile = around.begin() + static_cast<std::ptrdiff_t>(around.size() / 4);
    std::nth_element(around.begin(), quartile, around.end());
    if (p.Area < Fair * *quartile) keep[i] = 3;
  }
  double pieceArea = 0, dotArea = 0;
  for (size_t i = 0; i < n; ++i) {
    const int32_t area = parts.Parts[i].Area;
    // Blobs cut by the edge are dropped whatever they are (segmented noise beside the grid may
    // make one large one): they do not count against the lattice.
    if (area >= least && !parts.Parts[i].Border) pieceArea += area;
    if (keep[i] == 1) dotArea += area;
    if (keep[i] == 3) ++sorting.Small;
    if (keep[i] != 1 && keep[i] != 3 && area >= least && !parts.Parts[i].Border) ++sorting.OffGrid;
  }
  // A grid's dots have their neighbours one step away; specks strewn at random that a fine
  // lattice happens to fit (its phase follows the few points of each block) mostly have none.
  int32_t dotCount = 0, linked = 0;
  for (size_t i = 0; i < n; ++i) {
    if (keep[i] != 1) continue;
    ++dotCount;
    int32_t neighbours = 0;
    for (int32_t k = 0; k < 4; ++k) {
      const double sign = k < 2 ? 1 : -1;
      const double x = parts.Parts[i].X + sign * lattice.Step(k % 2, 0);
      const double y = parts.Parts[i].Y + sign * lattice.Step(k % 2, 1);
      bool found = false;
      buckets.Near(x, y, OnNode * lattice.Pitch(), [&](int32_t j) {
        const TBlobPart& q = parts.Parts[static_cast<size_t>(j)];
        found = found || (keep[static_cast<size_t>(j)] == 1 &&
                          std::hypot(q.X - x, q.Y - y) <= OnNode * lattice.Pitch());
      });
      neighbours += found;
    }
    linked += neighbours >= 2;
  }
  if (!(dotArea >= LatticeShare * pieceArea) || !(linked >= LatticeShare * dotCount)) {
    sorting.Dots = dotCount;
    job.FSorting = sorting;  // what was found and dropped, for the user to see
    throw TError(noGrid);
  }

  // The dots in the scan order of their first pixels; the rest erased.
  std::vector<size_t> dots;
  std::vector<int32_t> perBlob(scan.Blobs().size(), 0);
  for (size_t i = 0; i < n; ++i)
    if (keep[i] == 1) dots.push_back(i), ++perBlob[static_cast<size_t>(parts.Parts[i].Blob)];
  std::stable_sort(dots.begin(), dots.end(), [&](size_t a, size_t b) {
    const TBlobPart &p = parts.Parts[a], &q = parts.Parts[b];
    return p.FirstY != q.FirstY ? p.FirstY < q.FirstY : p.FirstX < q.FirstX;
  });
  std::vector<uint32_t> junk = parts.Cut;
  uint8_t* data = image.Data();
  const uint8_t background = job.Background();
  std::vector<char> blobKept(scan.Blobs().size(), 0);
  for (size_t i : dots) blobKept[static_cast<size_t>(parts.Parts[i].Blob)] = 1;
  for (int32_t y = 0; y < scan.Height(); ++y)
    for (const TBlobScan::TRun* r = scan.RowBegin(y); r != scan.RowEnd(y); ++r)
      if (!scan.Blobs()[static_cast<size_t>(r->Blob)].Erased &&
          !blobKept[static_cast<size_t>(r->Blob)])
        for (int32_t x = r->X0; x <= r->X1; ++x)
          junk.push_back(static_cast<uint32_t>(y) * static_cast<uint32_t>(width) +
                         static_cast<uint32_t>(x));
  for (size_t i = 0; i < n; ++i)
    if (keep[i] != 1 && blobKept[static_cast<size_t>(parts.Parts[i].Blob)])
      junk.insert(junk.end(), parts.Parts[i].Pixels.begin(), parts.Parts[i].Pixels.end());
  std::sort(junk.begin(), junk.end());

  TFitHints hints;
  hints.Radius.assign(dots.size(), 0.0f);
  job.FDotInfo.assign(dots.size(), TDotInfo{});
  for (size_t k = 0; k < dots.size(); ++k) {
    const TBlobPart& p = parts.Parts[dots[k]];
    double x = p.X, y = p.Y;
    if (!p.Whole) {
      SymmetricCentroid(p, scan, data, background, width, x, y);
      hints.Radius[k] = static_cast<float>(p.Radius);
      ++sorting.Cut;
    }
    TDotInfo& d = job.FDotInfo[k];
    d.x = static_cast<float>(x), d.y = static_cast<float>(y);
    d.Area = p.Area;
    if (perBlob[static_cast<size_t>(p.Blob)] > 1) ++sorting.Split;
  }
  for (int32_t c : perBlob) sorting.Merged += c > 1;
  // Dots that merely came apart count as split, not as cut.
  sorting.Cut -= sorting.Split;
  // Erase the junk, and cut split dots apart: a pixel next to one of a dot of the same blob
  // that comes earlier goes.
  for (uint32_t o : junk) data[o] = background;
  std::vector<int32_t> owner;
  for (size_t k = 0; k < dots.size(); ++k) {
    const TBlobPart& p = parts.Parts[dots[k]];
    if (perBlob[static_cast<size_t>(p.Blob)] < 2) continue;
    if (owner.empty()) owner.assign(static_cast<size_t>(image.Size()), -1);
    for (uint32_t o : p.Pixels) owner[o] = static_cast<int32_t>(k);
  }
  if (!owner.empty()) {
    const int32_t h = image.Height();
    for (size_t o = 0; o < owner.size(); ++o) {
      if (owner[o] < 0) continue;
      const int32_t x = static_cast<int32_t>(o % static_cast<size_t>(width));
      const int32_t y = static_cast<int32_t>(o / static_cast<size_t>(width));
      for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx) {
          if (x + dx < 0 || y + dy < 0 || x + dx >= width || y + dy >= h) continue;
          const int32_t other = owner[static_cast<size_t>(y + dy) * width + (x + dx)];
          if (other >= 0 && other < owner[o]) data[o] = background;
        }
    }
  }
  job.FDotSum = static_cast<int32_t>(dots.size());
  job.FDotIndex = job.DotSum();
  job.SetAreaThreshold(least);
  job.DotsMoved();
  sorting.Dots = job.DotSum();
  job.FSorting = sorting;
  image.Repaint(canvas);
  if (job.DotSum() <= 0)
    throw TError("No dots in this image\nmay be you should give a small noise threshold");
  hints.Junk = std::move(junk);
  return hints;
}
