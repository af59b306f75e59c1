// The pipeline on small fuzzed pictures (up to 64 x 64): multi-area and simple segmentation,
// then dot extraction, nearest-dot searches, origin search, the grid walk, the display and the
// code file. It must never crash, hang or overflow, and every fast path must agree with its
// plain reference: the threshold row kernel with the per-pixel definition (and the lattice with
// an independent one), the one-pass blob labelling with fill-by-fill extraction, the bucket
// grid with linear scans, and a written code file with the dots it was written from.
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <set>
#include <utility>

#include "FuzzSupport.h"
#include "base/Error.h"
#include "base/RgbSurface.h"
#include "encode/Dotgrid.h"
#include "encode/Encode.h"
#include "match/Match.h"
#include "reference/LinearSearch.h"
#include "reference/PlainExtraction.h"
#include "reference/PlainLattice.h"
#include "segment/Segment.h"
#include "synth/Synth.h"

namespace {

using TPixels = std::vector<uint8_t>;

TPixels PixelsOf(const TGrayImage& image) {
  return TPixels(image.Data(), image.Data() + image.Size());
}

std::unique_ptr<TGrayImage> ImageOf(const TPixels& pixels, int32_t w, int32_t h) {
  auto image = std::make_unique<TGrayImage>();
  image->SetWidth(w);
  image->SetHeight(h);
  std::memcpy(image->Data(), pixels.data(), pixels.size());
  return image;
}

// Raw bytes, a two-level picture of blobs, or a synthetic grid with light and noise.
TPixels MakePicture(TFuzzInput& in, int32_t w, int32_t h) {
  TPixels pixels(static_cast<size_t>(w) * h, 0);
  const int32_t kind = in.Int(0, 2);
  if (kind == 0) {
    for (uint8_t& p : pixels) p = in.Byte();
  } else if (kind == 1) {
    const uint8_t off = in.Byte(), on = in.Byte();
    for (size_t i = 0; i < pixels.size(); i += 8) {
      const uint8_t bits = in.Byte();
      for (size_t b = 0; b < 8 && i + b < pixels.size(); ++b)
        pixels[i + b] = bits >> b & 1 ? on : off;
    }
  } else {
    TSynthOptions o;
    o.Width = w;
    o.Height = h;
    o.PitchX = in.Int(4, 16);
    o.PitchY = in.Bit() ? o.PitchX : in.Int(4, 16);
    o.Radius = in.Int(2, static_cast<int32_t>(std::min(o.PitchX, o.PitchY)) - 2) / 2.0;
    o.WhiteDots = in.Bit();
    o.NoiseSigma = in.Int(0, 20);
    o.Gradient = in.Int(-60, 60);
    o.RotationDeg = in.Int(-45, 45);
    o.Missing = in.Int(0, 3);
    o.Seed = in.Byte();
    const bool deformed = in.Bit();
    try {
      TGrayImage image;
      TSynthGrid(o).Render(deformed, image);
      pixels = PixelsOf(image);
    } catch (const TError&) {  // too small for a dot: a blank picture
    }
  }
  return pixels;
}

struct TRect {
  int32_t X1, Y1, X2, Y2;
  bool Empty() const { return X1 > X2 || Y1 > Y2; }
  bool Inside(int32_t w, int32_t h) const { return X1 >= 0 && Y1 >= 0 && X2 < w && Y2 < h; }
};

// Mostly the whole picture, else a part of it, possibly empty or reaching outside.
TRect MakeRect(TFuzzInput& in, int32_t w, int32_t h) {
  switch (in.Int(0, 3)) {
    case 2: {
      const int32_t x1 = in.Int(0, w - 1), y1 = in.Int(0, h - 1);
      return {x1, y1, in.Int(x1 - 1, w - 1), in.Int(y1 - 1, h - 1)};
    }
    case 3:
      return {in.Int(-2, w + 1), in.Int(-2, h + 1), in.Int(-2, w + 1), in.Int(-2, h + 1)};
    default:
      return {0, 0, w - 1, h - 1};
  }
}

// The job's lattice against one built independently from the definition, pixel by pixel.
void CheckLattice(const TSegment& job, int32_t w, int32_t h) {
  TPlainLattice plain(w, h, job.FWinSizeX, job.FWinSizeY);
  if (plain.N != job.WinNumX() || plain.M != job.WinNumY() || plain.FirstX != job.FirstCenterX() ||
      plain.LastX != job.LastCenterX() || plain.FirstY != job.FirstCenterY() ||
      plain.LastY != job.LastCenterY())
    FuzzFail("lattice of %d x %d windows differs", job.FWinSizeX, job.FWinSizeY);
  for (int32_t j = 0; j < plain.M; ++j)
    for (int32_t i = 0; i < plain.N; ++i)
      plain.T[static_cast<size_t>(j) * plain.N + i] = job.GetThreshold(i, j);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const TCell a = job.LocateCell(x, y), b = plain.Locate(x, y);
      if (std::memcmp(&a, &b, sizeof a) != 0) FuzzFail("cell of (%d,%d) differs", x, y);
      if (TSegment::InterpolateThreshold(a) != plain.Threshold(x, y))
        FuzzFail("threshold of (%d,%d) differs", x, y);
    }
}

// Multi-area segmentation against the definition; the segmented pixels, or the original ones
// when the run was refused.
TPixels CheckMultiArea(TFuzzInput& in, const TPixels& original, int32_t w, int32_t h, bool white) {
  const int32_t bound = std::min(w, h) / 2;
  const int32_t winX = in.Int(0, bound + 1);
  const int32_t winY = in.Bit() ? winX : in.Int(0, bound + 1);
  const int32_t adjust = in.Int(-40, 40);
  const TRect r = MakeRect(in, w, h);
  TSegment job(ImageOf(original, w, h), false);
  job.FWhiteDots = white;
  job.FWinSizeX = winX;
  job.FWinSizeY = winY;
  const bool valid = winX >= 1 && winY >= 1 && winX <= bound && winY <= bound;
  try {
    job.MultiAreaSegmentRect(false, nullptr, adjust, r.X1, r.Y1, r.X2, r.Y2);
  } catch (const TError& e) {
    if (valid && (r.Empty() || r.Inside(w, h))) FuzzFail("multi-area refused: %s", e.what());
    if (PixelsOf(job.Image()) != original) FuzzFail("a refused multi-area run changed pixels");
    return original;
  }
  if (!valid || !(r.Empty() || r.Inside(w, h)))
    FuzzFail("multi-area accepted a bad window or rectangle");
  const TPixels expected =
      r.Empty() ? original : SegmentByDefinition(job, original, r.X1, r.Y1, r.X2, r.Y2);
  if (PixelsOf(job.Image()) != expected)
    FuzzFail("multi-area differs from the per-pixel definition");
  CheckLattice(job, w, h);
  return expected;
}

void CheckSimple(TFuzzInput& in, const TPixels& original, int32_t w, int32_t h, bool white) {
  const int32_t threshold = in.Int(-20, 280);
  const TRect r = MakeRect(in, w, h);
  TSegment job(ImageOf(original, w, h), false);
  job.FWhiteDots = white;
  try {
    job.SimpleSegmentRect(nullptr, threshold, r.X1, r.Y1, r.X2, r.Y2);
  } catch (const TError& e) {
    if (r.Empty() || r.Inside(w, h)) FuzzFail("simple segmentation refused: %s", e.what());
    if (PixelsOf(job.Image()) != original) FuzzFail("a refused simple run changed pixels");
    return;
  }
  if (!(r.Empty() || r.Inside(w, h))) FuzzFail("simple segmentation accepted a bad rectangle");
  const TPixels expected =
      r.Empty() ? original
                : SimpleSegmentByDefinition(original, w, white, threshold, r.X1, r.Y1, r.X2, r.Y2);
  if (PixelsOf(job.Image()) != expected)
    FuzzFail("simple segmentation differs from the definition");
}

void CheckSearches(TFuzzInput& in, TEncode& job, int32_t w, int32_t h) {
  const std::vector<TDotInfo>& dots = job.DotInfo();
  const int32_t n = static_cast<int32_t>(dots.size());
  TDotGrid grid;
  grid.Build(dots.data(), n);
  for (int32_t q = in.Int(0, 6); q > 0; --q) {
    float x = static_cast<float>(in.Int(-40, 4 * w + 40)) / 4.0f,
          y = static_cast<float>(in.Int(-40, 4 * h + 40)) / 4.0f;
    const int32_t kind = in.Int(0, 2);
    if (kind == 1) {  // on a dot
      const TDotInfo& d = dots[in.Int(0, n - 1)];
      x = d.x, y = d.y;
    } else if (kind == 2) {  // half way between two dots: ties
      const TDotInfo& a = dots[in.Int(0, n - 1)];
      const TDotInfo& b = dots[in.Int(0, n - 1)];
      x = (a.x + b.x) / 2, y = (a.y + b.y) / 2;
    }
    const float tolX = static_cast<float>(in.Int(0, 255)) / 8.0f,
                tolY = in.Bit() ? tolX : static_cast<float>(in.Int(0, 255)) / 8.0f;
    if (job.NearestDot(x, y) != LinearNearest(dots, x, y, 1.0e10f, -1))
      FuzzFail("NearestDot(%g, %g) differs from the scan", x, y);
    if (grid.NearestWithin(x, y, tolX, tolY) != LinearWithin(dots, x, y, tolX, tolY))
      FuzzFail("NearestDotWithin(%g, %g, %g, %g) differs from the scan", x, y, tolX, tolY);
  }
  for (int32_t i = 0; i < n; ++i)
    if (job.NearestOtherDot(i) != LinearNearest(dots, dots[i].x, dots[i].y, 1.0e20f, i))
      FuzzFail("NearestOtherDot(%d) differs from the scan", i);
}

void RunOrigin(TFuzzInput& in, TEncode& job) {
  const int32_t n = job.DotSum();
  const int32_t method = in.Int(-1, 4);
  int32_t origin = -1;
  try {
    switch (in.Int(0, 2)) {
      case 0:
        origin = job.FindOrigin(method);
        break;
      case 1: {
        const float ratios[] = {static_cast<float>(in.Int(1, 40)) / 10.0f, 0.0f, -1.0f,
                                std::numeric_limits<float>::quiet_NaN(),
                                std::numeric_limits<float>::infinity()};
        origin = job.FindOriginByRatio(method, ratios[in.Int(0, 4)]);
        break;
      }
      default: {
        const int32_t pick = in.Int(-1, n);
        int32_t neighbours[4];
        for (int32_t& k : neighbours) k = in.Int(-1, n);
        origin = job.SetOrigin(pick, neighbours, in.Int(-3, 3), in.Int(-3, 3));
      }
    }
    if (origin >= n) FuzzFail("origin %d of %d dots", origin, n);
    if (origin >= 0) job.Encode(origin);
  } catch (const TError&) {
  }
  for (const TDotInfo& d : job.DotInfo())
    for (int32_t k : d.Neighbour)
      if (k < -1 || k >= n) FuzzFail("neighbour link %d of %d dots", k, n);
  const TCoordinate& table = job.Coordinate();
  for (int32_t ny = -table.MaxNy(); ny <= table.MaxNy(); ++ny)
    for (int32_t nx = -table.MaxNx(); nx <= table.MaxNx(); ++nx)
      if (int32_t k = table.GetIndex(nx, ny); k < -1 || k >= n) FuzzFail("table entry %d", k);
}

// The code file of the job loads back as the dots it was written from, and matches itself.
void CheckCodeFile(TEncode& job, const std::string& path) {
  job.SaveCodes(path);
  std::vector<const TDotInfo*> coded;
  std::set<std::pair<int32_t, int32_t>> positions;
  bool inRange = true;
  for (const TDotInfo& d : job.DotInfo()) {
    if (!d.Coded) continue;
    coded.push_back(&d);
    positions.insert({d.Nx, d.Ny});
    inRange = inRange && job.Coordinate().Contains(d.Nx, d.Ny);
  }
  try {
    TMatch match(path, path);
    if (!inRange) FuzzFail("a dot outside the grid range was loaded");
    if (match.FDotSum[0] != static_cast<int32_t>(coded.size()))
      FuzzFail("loaded dot count differs");
    for (size_t k = 0; k < coded.size(); ++k) {
      const TDotInfo& a = match.FDotInfo[0][k];
      const TDotInfo& b = *coded[k];
      if (a.Nx != b.Nx || a.Ny != b.Ny || a.Area != b.Area || std::fabs(a.x - b.x) > 6e-4f ||
          std::fabs(a.y - b.y) > 6e-4f)
        FuzzFail("dot %zu loads back different", k);
    }
    match.Match();
    if (match.FMatchSum != static_cast<int32_t>(positions.size()))
      FuzzFail("self-match count differs");
  } catch (const TError& e) {
    if (inRange) FuzzFail("a written code file was refused: %s", e.what());
  }
}

void CheckEncoding(TFuzzInput& in, const TPixels& picture, int32_t w, int32_t h, bool white,
                   const std::string& codePath) {
  const int32_t maxN = in.Int(0, 40);
  TEncode job(ImageOf(picture, w, h), white, false, maxN, maxN);
  job.SetDelay(0);
  job.SetPause([](int32_t) {});
  TPlainExtraction ref(job.Image(), job.Background());
  auto sameImage = [&] {
    return std::memcmp(job.Image().Data(), ref.Img.data(), ref.Img.size()) == 0;
  };

  job.PrepareImage(nullptr);
  ref.PrepareImage();
  if (job.AreaThreshold() != ref.AreaThreshold || job.DotSum() != ref.DotSum ||
      job.TotalArea() != ref.TotalArea || !sameImage())
    FuzzFail("PrepareImage differs from the fill-by-fill reference");

  const int32_t choice = in.Int(0, 3);
  if (choice > 0) {
    ref.AreaThreshold = choice == 1 ? -1 : in.Int(0, 40);
    job.SetAreaThreshold(ref.AreaThreshold);
  }
  const std::string expected = ref.RemoveNoise();
  std::string got;
  try {
    job.RemoveNoise(nullptr);
  } catch (const TError& e) {
    got = e.Message();
  }
  if (got != expected || job.DotSum() != ref.DotSum || job.AreaThreshold() != ref.AreaThreshold ||
      !sameImage())
    FuzzFail("RemoveNoise differs from the reference");
  if (!expected.empty()) return;

  job.BuildDotInfo(nullptr);
  ref.BuildDotInfo();
  if (job.DotSum() != static_cast<int32_t>(ref.Dots.size()) || !sameImage())
    FuzzFail("BuildDotInfo found %d dots, the reference %zu", job.DotSum(), ref.Dots.size());
  for (size_t i = 0; i < ref.Dots.size(); ++i) {
    const TDotInfo& a = job.DotInfo()[i];
    const TDotInfo& b = ref.Dots[i];
    if (a.x != b.x || a.y != b.y || a.Area != b.Area)
      FuzzFail("dot %zu differs from the reference", i);
  }

  CheckSearches(in, job, w, h);
  RunOrigin(in, job);
  TRgbSurface canvas(w, h);
  job.SetCanvas(&canvas);
  job.ShowPosition();
  job.PickDot(in.Int(0, w - 1), in.Int(0, h - 1), &canvas);
  job.SelectDot(in.Int(-1, job.DotSum()), &canvas);
  job.SetCanvas(nullptr);
  CheckCodeFile(job, codePath);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TFuzzScratch scratch("pipeline");
  static const std::string codePath = scratch.File("dots.cod");
  TFuzzInput in(data, size);
  const int32_t w = in.Int(1, 64), h = in.Int(1, 64);
  const bool white = in.Bit();
  const TPixels picture = MakePicture(in, w, h);
  const TPixels segmented = CheckMultiArea(in, picture, w, h, white);
  CheckSimple(in, picture, w, h, white);
  CheckEncoding(in, in.Bit() ? segmented : picture, w, h, white, codePath);
  return 0;
}
