#include "reference/Truthgrid.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <unordered_map>

#include "base/Error.h"
#include "encode/Dotgrid.h"
#include "encode/Encode.h"
#include "image/Grayimage.h"
#include "register/Registerpicture.h"
#include "register/Registerrun.h"
#include "segment/Segment.h"

namespace {

constexpr int32_t Sub = 16;
using TMask = std::array<uint64_t, Sub * Sub / 64>;  // which sub-pixel samples a disc covers

// The pixels that discs cover, in whole or in part: the union of the discs, sample by sample.
struct TCoverage {
  int32_t W, H;
  std::vector<char> Full;
  std::unordered_map<size_t, TMask> Part;

  TCoverage(int32_t w, int32_t h) : W(w), H(h), Full(static_cast<size_t>(w) * h, 0) {}
  void Disc(double x0, double y0, double r) {
    for (int32_t y = std::max(0, static_cast<int32_t>(y0 - r - 1));
         y <= std::min(H - 1, static_cast<int32_t>(y0 + r + 1)); ++y)
      for (int32_t x = std::max(0, static_cast<int32_t>(x0 - r - 1));
           x <= std::min(W - 1, static_cast<int32_t>(x0 + r + 1)); ++x) {
        const size_t k = static_cast<size_t>(y) * W + x;
        const double d = std::hypot(x - x0, y - y0);
        if (Full[k] || d - 0.7072 >= r) continue;  // no sample of the pixel lies closer
        if (d + 0.7072 <= r) {
          Full[k] = 1;
          continue;
        }
        TMask& m = Part[k];
        for (int32_t s = 0; s < Sub * Sub; ++s) {
          const double ux = x - 0.5 + (s % Sub + 0.5) / Sub - x0;
          const double uy = y - 0.5 + (s / Sub + 0.5) / Sub - y0;
          if (ux * ux + uy * uy <= r * r) m[s / 64] |= uint64_t{1} << (s % 64);
        }
      }
  }
  std::vector<double> Values() const {
    std::vector<double> v(Full.begin(), Full.end());
    for (const auto& [k, m] : Part)
      if (!Full[k]) {
        int32_t hits = 0;
        for (uint64_t word : m) hits += std::popcount(word);
        v[k] = static_cast<double>(hits) / (Sub * Sub);
      }
    return v;
  }
};

void Blur(std::vector<double>& cover, int32_t w, int32_t h, double sigma) {
  const int32_t k = static_cast<int32_t>(std::ceil(4 * sigma));
  std::vector<double> kernel(static_cast<size_t>(2 * k + 1));
  double sum = 0;
  for (int32_t i = -k; i <= k; ++i) sum += kernel[i + k] = std::exp(-0.5 * i * i / (sigma * sigma));
  for (double& v : kernel) v /= sum;
  std::vector<double> tmp(cover.size(), 0.0);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      double s = 0;
      for (int32_t i = -k; i <= k; ++i)
        s += kernel[i + k] * cover[static_cast<size_t>(y) * w + std::clamp(x + i, 0, w - 1)];
      tmp[static_cast<size_t>(y) * w + x] = s;
    }
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      double s = 0;
      for (int32_t i = -k; i <= k; ++i)
        s += kernel[i + k] * tmp[static_cast<size_t>(std::clamp(y + i, 0, h - 1)) * w + x];
      cover[static_cast<size_t>(y) * w + x] = s;
    }
}

void JpegRoundTrip(TGrayImage& image, int32_t quality) {
  const int32_t w = image.Width(), h = image.Height();
  QImage q(w, h, QImage::Format_Grayscale8);
  for (int32_t y = 0; y < h; ++y) std::memcpy(q.scanLine(y), image.Row(y), static_cast<size_t>(w));
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpg");
  writer.setQuality(quality);
  writer.write(q);
  buffer.close();
  buffer.open(QIODevice::ReadOnly);
  QImage back = QImageReader(&buffer, "jpg").read().convertToFormat(QImage::Format_Grayscale8);
  for (int32_t y = 0; y < h && !back.isNull(); ++y)
    std::memcpy(image.Row(y), back.constScanLine(y), static_cast<size_t>(w));
}

}  // namespace

TTruthGrid::TTruthGrid(const TTruthOptions& o) : FOptions(o) {
  std::mt19937_64 rng(o.Seed * 7919u + 13u);
  std::uniform_real_distribution<double> phase(0.0, o.Pitch);
  const double px = phase(rng), py = phase(rng);
  const double cx = o.Width / 2.0, cy = o.Height / 2.0;
  const double largest = std::max({o.Radius, o.RadiusRight, o.SmallRadius});
  const double margin = largest + 3 * o.Blur + 3;
  int32_t j = 0;
  for (double y = py; y < o.Height; y += o.Pitch, ++j) {
    int32_t columns = 0, i = 0;
    for (double x = px; x < o.Width; x += o.Pitch, ++i) {
      double r = o.RadiusRight > 0 ? o.Radius + (o.RadiusRight - o.Radius) * x / o.Width : o.Radius;
      if (o.SmallRadius > 0 && (i + j) % 2) r = o.SmallRadius;
      TTruthDot d{x, y, x + o.Tx + o.Strain * (x - cx), y + o.Ty + o.Strain * (y - cy), r};
      const bool inside = std::min({d.X0, d.Y0, d.X1, d.Y1}) >= margin &&
                          std::max(d.X0, d.X1) <= o.Width - 1 - margin &&
                          std::max(d.Y0, d.Y1) <= o.Height - 1 - margin;
      if (!inside) continue;
      FDots.push_back(d);
      ++columns;
    }
    FColumns = std::max(FColumns, columns);
  }
}

void TTruthGrid::Render(bool deformed, TGrayImage& image) const {
  const TTruthOptions& o = FOptions;
  const int32_t w = o.Width, h = o.Height;
  TCoverage coverage(w, h);
  for (const TTruthDot& d : FDots)
    coverage.Disc(deformed ? d.X1 : d.X0, deformed ? d.Y1 : d.Y0, d.R);
  std::mt19937_64 specks(o.Seed * 15485863u + (deformed ? 7u : 3u));
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int32_t s = 0; s < o.Specks; ++s) {
    const double x = unit(specks) * w, y = unit(specks) * h;
    coverage.Disc(x, y, o.SpeckMin + (o.SpeckMax - o.SpeckMin) * unit(specks));
  }
  std::vector<double> cover = coverage.Values();
  if (o.Blur > 0) Blur(cover, w, h, o.Blur);
  std::mt19937_64 rng(o.Seed * 104729u + (deformed ? 1u : 0u));
  std::normal_distribution<double> noise(0.0, o.Noise > 0 ? o.Noise : 1.0);
  image.SetWidth(w);
  image.SetHeight(h);
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* row = image.Row(y);
    for (int32_t x = 0; x < w; ++x) {
      double v = o.Background + (o.Dot - o.Background) * cover[static_cast<size_t>(y) * w + x] +
                 o.Gradient * (x / static_cast<double>(w) - 0.5) +
                 o.GradientY * (y / static_cast<double>(h) - 0.5);
      if (o.Noise > 0) v += noise(rng);
      row[x] = static_cast<uint8_t>(std::clamp(std::lround(v), 0l, 255l));
    }
  }
  if (o.Jpeg > 0) JpegRoundTrip(image, o.Jpeg);
}

void SegmentLikeTheCli(const TGrayImage& picture, TGrayImage& segmented) {
  auto copy = std::make_unique<TGrayImage>();
  copy->SetSize(picture.Width(), picture.Height());
  std::memcpy(copy->Data(), picture.Data(), static_cast<size_t>(picture.Size()));
  TSegment segment(std::move(copy), false);
  segment.FWhiteDots = true;
  segment.FWinSizeX = segment.FWinSizeY = picture.Width() / 4;
  segment.MultiAreaSegment(false, nullptr);
  segmented.SetSize(picture.Width(), picture.Height());
  std::memcpy(segmented.Data(), segment.Image().Data(), static_cast<size_t>(picture.Size()));
}

namespace {

std::unique_ptr<TEncode> SegmentedJob(const TGrayImage& picture) {
  auto segmented = std::make_unique<TGrayImage>();
  SegmentLikeTheCli(picture, *segmented);
  return std::make_unique<TEncode>(std::move(segmented), true, false, 1, 1);
}

std::vector<TDotInfo> Measure(const TGrayImage& picture, bool refined) {
  auto job = SegmentedJob(picture);
  TEncodeRunOptions options;
  options.Refined = refined;
  options.RefinePicture = &picture;
  ExtractDots(*job, options);
  std::vector<TDotInfo> dots = job->DotInfo();
  dots.resize(static_cast<size_t>(job->DotSum()));
  return dots;
}

// The true dot nearest to a measured one within a third of the pitch, -1 for none.
int32_t TrueDot(const TDotGrid& truth, const TDotInfo& d, double pitch) {
  return truth.Nearest(d.x, d.y, static_cast<float>(pitch * pitch / 9), -1);
}

TDotGrid TruthIndex(const TTruthGrid& grid, bool deformed) {
  std::vector<TDotInfo> at(grid.Dots().size());
  for (size_t i = 0; i < at.size(); ++i) {
    const TTruthDot& t = grid.Dots()[i];
    at[i].x = static_cast<float>(deformed ? t.X1 : t.X0);
    at[i].y = static_cast<float>(deformed ? t.Y1 : t.Y0);
  }
  TDotGrid index;
  index.Build(at.data(), static_cast<int32_t>(at.size()));
  return index;
}

}  // namespace

TAccuracy MeasureAccuracy(const TTruthOptions& o, bool refined) {
  TTruthGrid grid(o);
  TGrayImage a, b;
  grid.Render(false, a);
  grid.Render(true, b);
  const std::vector<TDotInfo> da = Measure(a, refined), db = Measure(b, refined);
  TDotGrid ga, gb;
  ga.Build(da.data(), static_cast<int32_t>(da.size()));
  gb.Build(db.data(), static_cast<int32_t>(db.size()));
  const float limit = static_cast<float>(o.Pitch * o.Pitch / 9);
  TAccuracy acc;
  double sum = 0;
  for (const TTruthDot& t : grid.Dots()) {
    const int32_t i = ga.Nearest(static_cast<float>(t.X0), static_cast<float>(t.Y0), limit, -1);
    const int32_t j = gb.Nearest(static_cast<float>(t.X1), static_cast<float>(t.Y1), limit, -1);
    if (i < 0 || j < 0) continue;
    const double ex = (static_cast<double>(db[j].x) - da[i].x) - (t.X1 - t.X0);
    const double ey = (static_cast<double>(db[j].y) - da[i].y) - (t.Y1 - t.Y0);
    const double e2 = ex * ex + ey * ey;
    sum += e2;
    acc.Max = std::max(acc.Max, std::sqrt(e2));
    ++acc.Pairs;
  }
  acc.Rms = acc.Pairs > 0 ? std::sqrt(sum / acc.Pairs) : 0;
  return acc;
}

TEncodingAccuracy MeasureEncoding(const TTruthOptions& o, TEncodeRunOptions run) {
  const TTruthGrid grid(o);
  TEncodingAccuracy acc;
  acc.Truth = static_cast<int32_t>(grid.Dots().size());
  TGrayImage a, b;
  grid.Render(false, a);
  grid.Render(true, b);
  auto ja = SegmentedJob(a), jb = SegmentedJob(b);
  run.AutoTable = true;
  try {
    run.RefinePicture = &a;
    RunEncoding(*ja, run);
    // The truth's motion is small: indexed from the reference as it lies, no search.
    TRegisterOptions registration;
    registration.Prior = TPriorKind::Override;
    run.RefinePicture = &b;
    EncodeFromReference(*jb, run, {}, ReferenceFromJob(*ja, ""), registration);
  } catch (const TError& e) {
    acc.Failure = e.Message();
    return acc;
  }
  std::map<std::pair<int32_t, int32_t>, int32_t> deformed;
  for (int32_t i = 0; i < jb->DotSum(); ++i)
    if (jb->DotInfo()[i].Coded) deformed[{jb->DotInfo()[i].Nx, jb->DotInfo()[i].Ny}] = i;
  const TDotGrid ta = TruthIndex(grid, false), tb = TruthIndex(grid, true);
  double sum = 0;
  for (int32_t i = 0; i < ja->DotSum(); ++i) {
    const TDotInfo& p = ja->DotInfo()[i];
    const auto found = p.Coded ? deformed.find({p.Nx, p.Ny}) : deformed.end();
    if (found == deformed.end()) continue;
    const TDotInfo& q = jb->DotInfo()[found->second];
    const int32_t t = TrueDot(ta, p, o.Pitch);
    if (t < 0 || t != TrueDot(tb, q, o.Pitch)) {
      ++acc.Mispaired;
      continue;
    }
    const TTruthDot& truth = grid.Dots()[static_cast<size_t>(t)];
    const double ex = (static_cast<double>(q.x) - p.x) - (truth.X1 - truth.X0);
    const double ey = (static_cast<double>(q.y) - p.y) - (truth.Y1 - truth.Y0);
    sum += ex * ex + ey * ey;
    acc.Max = std::max(acc.Max, std::hypot(ex, ey));
    ++acc.Indexed;
  }
  acc.Rms = acc.Indexed > 0 ? std::sqrt(sum / acc.Indexed) : 0;
  return acc;
}
