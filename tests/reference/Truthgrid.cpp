#include "reference/Truthgrid.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "encode/Dotgrid.h"
#include "encode/Encode.h"
#include "encode/Encoderun.h"
#include "image/Grayimage.h"
#include "segment/Segment.h"

namespace {

constexpr int32_t Sub = 16;

}  // namespace

TTruthGrid::TTruthGrid(const TTruthOptions& o) : FOptions(o) {
  std::mt19937_64 rng(o.Seed * 7919u + 13u);
  std::uniform_real_distribution<double> phase(0.0, o.Pitch);
  const double px = phase(rng), py = phase(rng);
  const double cx = o.Width / 2.0, cy = o.Height / 2.0;
  const double margin = o.Radius + 3 * o.Blur + 3;
  for (double y = py; y < o.Height; y += o.Pitch)
    for (double x = px; x < o.Width; x += o.Pitch) {
      TTruthDot d{x, y, x + o.Tx + o.Strain * (x - cx), y + o.Ty + o.Strain * (y - cy)};
      const bool inside = std::min({d.X0, d.Y0, d.X1, d.Y1}) >= margin &&
                          std::max(d.X0, d.X1) <= o.Width - 1 - margin &&
                          std::max(d.Y0, d.Y1) <= o.Height - 1 - margin;
      if (inside) FDots.push_back(d);
    }
}

void TTruthGrid::Render(bool deformed, TGrayImage& image) const {
  const TTruthOptions& o = FOptions;
  const int32_t w = o.Width, h = o.Height;
  std::vector<double> cover(static_cast<size_t>(w) * h, 0.0);
  const double r = o.Radius;
  for (const TTruthDot& d : FDots) {
    const double x0 = deformed ? d.X1 : d.X0, y0 = deformed ? d.Y1 : d.Y0;
    for (int32_t y = static_cast<int32_t>(y0 - r - 1); y <= static_cast<int32_t>(y0 + r + 1); ++y)
      for (int32_t x = static_cast<int32_t>(x0 - r - 1); x <= static_cast<int32_t>(x0 + r + 1);
           ++x) {
        int32_t hits = 0;
        for (int32_t sy = 0; sy < Sub; ++sy)
          for (int32_t sx = 0; sx < Sub; ++sx) {
            const double ux = x - 0.5 + (sx + 0.5) / Sub - x0;
            const double uy = y - 0.5 + (sy + 0.5) / Sub - y0;
            hits += ux * ux + uy * uy <= r * r;
          }
        cover[static_cast<size_t>(y) * w + x] += static_cast<double>(hits) / (Sub * Sub);
      }
  }
  if (o.Blur > 0) {
    const int32_t k = static_cast<int32_t>(std::ceil(4 * o.Blur));
    std::vector<double> kernel(static_cast<size_t>(2 * k + 1));
    double sum = 0;
    for (int32_t i = -k; i <= k; ++i)
      sum += kernel[i + k] = std::exp(-0.5 * i * i / (o.Blur * o.Blur));
    for (double& v : kernel) v /= sum;
    std::vector<double> tmp(cover.size(), 0.0);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        double s = 0;
        for (int32_t i = -k; i <= k; ++i) {
          const int32_t xx = std::clamp(x + i, 0, w - 1);
          s += kernel[i + k] * cover[static_cast<size_t>(y) * w + xx];
        }
        tmp[static_cast<size_t>(y) * w + x] = s;
      }
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        double s = 0;
        for (int32_t i = -k; i <= k; ++i) {
          const int32_t yy = std::clamp(y + i, 0, h - 1);
          s += kernel[i + k] * tmp[static_cast<size_t>(yy) * w + x];
        }
        cover[static_cast<size_t>(y) * w + x] = s;
      }
  }
  std::mt19937_64 rng(o.Seed * 104729u + (deformed ? 1u : 0u));
  std::normal_distribution<double> noise(0.0, o.Noise > 0 ? o.Noise : 1.0);
  image.SetWidth(w);
  image.SetHeight(h);
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* row = image.Row(y);
    for (int32_t x = 0; x < w; ++x) {
      double v = o.Background + (o.Dot - o.Background) * cover[static_cast<size_t>(y) * w + x] +
                 o.Gradient * (x / static_cast<double>(w) - 0.5);
      if (o.Noise > 0) v += noise(rng);
      row[x] = static_cast<uint8_t>(std::clamp(std::lround(v), 0l, 255l));
    }
  }
  if (o.Jpeg > 0) {
    QImage q(w, h, QImage::Format_Grayscale8);
    for (int32_t y = 0; y < h; ++y)
      std::memcpy(q.scanLine(y), image.Row(y), static_cast<size_t>(w));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setQuality(o.Jpeg);
    writer.write(q);
    buffer.close();
    buffer.open(QIODevice::ReadOnly);
    QImage back = QImageReader(&buffer, "jpg").read().convertToFormat(QImage::Format_Grayscale8);
    for (int32_t y = 0; y < h && !back.isNull(); ++y)
      std::memcpy(image.Row(y), back.constScanLine(y), static_cast<size_t>(w));
  }
}

namespace {

std::vector<TDotInfo> Measure(const TGrayImage& picture, bool refined) {
  auto copy = std::make_unique<TGrayImage>();
  copy->SetWidth(picture.Width());
  copy->SetHeight(picture.Height());
  std::memcpy(copy->Data(), picture.Data(), static_cast<size_t>(picture.Size()));
  TSegment segment(std::move(copy), false);
  segment.FWhiteDots = true;
  segment.FWinSizeX = segment.FWinSizeY = picture.Width() / 4;
  segment.MultiAreaSegment(false, nullptr);
  auto segmented = std::make_unique<TGrayImage>();
  segmented->SetWidth(picture.Width());
  segmented->SetHeight(picture.Height());
  std::memcpy(segmented->Data(), segment.Image().Data(), static_cast<size_t>(picture.Size()));
  TEncode job(std::move(segmented), true, false, 1, 1);
  TEncodeRunOptions options;
  options.Refined = refined;
  options.RefinePicture = &picture;
  ExtractDots(job, options);
  job.FDotInfo.resize(static_cast<size_t>(job.FDotSum));
  return job.FDotInfo;
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
