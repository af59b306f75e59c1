#include "synth/Synth.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

#include "base/AtomicFile.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "image/Grayimage.h"
#include "synth/Synthmotion.h"

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr int Supersampling = 8;  // per axis, for pixels on a dot's edge

// Fast seeded Gaussian noise: a table of normal samples picked by a xorshift generator.
class TNoise {
 public:
  // Without noise the table stays empty: small pictures are rendered often by the tests.
  TNoise(uint32_t seed, double sigma)
      : FState(0x9E3779B97F4A7C15ull ^ seed), FTable(sigma > 0 ? 65536 : 0) {
    std::mt19937 rng(seed);
    std::normal_distribution<float> normal(0.0f, static_cast<float>(sigma));
    for (float& v : FTable) v = normal(rng);
  }
  float Next() {
    FState ^= FState << 13;
    FState ^= FState >> 7;
    FState ^= FState << 17;
    return FTable[FState & 0xFFFF];
  }

 private:
  uint64_t FState;
  std::vector<float> FTable;
};

// Separable Gaussian blur of a coverage map, the picture's edge pixels repeated beyond it.
void Blur(std::vector<float>& cover, int32_t w, int32_t h, double sigma) {
  const int32_t k = static_cast<int32_t>(std::ceil(3 * sigma));
  std::vector<float> kernel(static_cast<size_t>(2 * k + 1));
  double sum = 0;
  for (int32_t i = -k; i <= k; ++i) sum += std::exp(-0.5 * i * i / (sigma * sigma));
  for (int32_t i = -k; i <= k; ++i)
    kernel[static_cast<size_t>(i + k)] =
        static_cast<float>(std::exp(-0.5 * i * i / (sigma * sigma)) / sum);
  std::vector<float> line(static_cast<size_t>(std::max(w, h)));
  auto pass = [&](int32_t count, int32_t length, size_t step, size_t stride) {
    for (int32_t c = 0; c < count; ++c) {
      float* p = cover.data() + static_cast<size_t>(c) * stride;
      for (int32_t i = 0; i < length; ++i) line[static_cast<size_t>(i)] = p[i * step];
      for (int32_t i = 0; i < length; ++i) {
        float v = 0;
        for (int32_t t = -k; t <= k; ++t)
          v += kernel[static_cast<size_t>(t + k)] *
               line[static_cast<size_t>(std::clamp(i + t, 0, length - 1))];
        p[i * step] = v;
      }
    }
  };
  pass(h, w, 1, static_cast<size_t>(w));  // rows
  pass(w, h, static_cast<size_t>(w), 1);  // columns
}

// Specks of 1 to 4 pixels at full dot level; each picture gets its own.
void AddSpecks(std::vector<float>& cover, const TSynthOptions& o, bool deformed) {
  std::mt19937 rng(o.Seed * 40503u + (deformed ? 7u : 3u));
  std::uniform_int_distribution<int32_t> px(1, std::max(1, o.Width - 3));
  std::uniform_int_distribution<int32_t> py(1, std::max(1, o.Height - 3));
  std::uniform_int_distribution<int32_t> shape(0, 3);
  for (int32_t n = 0; n < o.Specks; ++n) {
    const int32_t x = px(rng), y = py(rng), s = shape(rng);
    for (int32_t k = 0; k <= s; ++k) {
      const int32_t sx = std::min(x + (k & 1), o.Width - 1),
                    sy = std::min(y + (k >> 1), o.Height - 1);
      cover[static_cast<size_t>(sy) * static_cast<size_t>(o.Width) + static_cast<size_t>(sx)] =
          1.0f;
    }
  }
}

}  // namespace

TSynthGrid::TSynthGrid(const TSynthOptions& options) : FOptions(options) {
  const TSynthOptions& o = FOptions;
  if (o.Width < 1 || o.Height < 1) throw TError("The picture size must be at least 1 x 1");
  CheckImageSize(o.Width, o.Height, "A synthetic picture");
  if (!(o.PitchX > 0) || !(o.PitchY > 0) || !(o.Radius > 0))
    throw TError("Pitch and radius must be positive");
  if (2 * o.Radius + 2 > std::min(o.PitchX, o.PitchY))
    throw TError("The dots would touch: the radius must stay below half the pitch minus 1");
  if (!std::isfinite(o.RotationDeg) || !std::isfinite(o.TranslateX) ||
      !std::isfinite(o.TranslateY) || !std::isfinite(o.Exx) || !std::isfinite(o.Eyy) ||
      !std::isfinite(o.Exy) || !std::isfinite(o.NoiseSigma) || !std::isfinite(o.Gradient) ||
      o.NoiseSigma < 0 || !std::isfinite(o.Blur) || o.Blur < 0 || o.Blur > 50 || o.Specks < 0 ||
      !std::isfinite(o.FieldStrain) || !std::isfinite(o.HoleRadius) || o.HoleRadius < 0 ||
      !std::isfinite(o.HoleX) || !std::isfinite(o.HoleY) || !std::isfinite(o.TurnDeg) ||
      !std::isfinite(o.CrackY) || !std::isfinite(o.CrackOpening) || o.Columns < 0 || o.Rows < 0 ||
      !(o.Poisson > -1 && o.Poisson < 0.5))
    throw TError("Synthetic picture options must be finite numbers");

  // Every lattice dot is kept in memory: a pitch far too small for the picture is refused with
  // the estimate before any is made.
  const double estimate = (o.Width / o.PitchX + 4) * (o.Height / o.PitchY + 4);
  if (estimate > static_cast<double>(MaxDots))
    throw TError(
        Format("The grid would hold about %.0f dots (about %.0f MB of memory), more than "
               "the %lld a synthetic picture may have: use a larger pitch or a smaller "
               "picture",
               estimate, estimate * sizeof(TSynthDot) / 1e6, static_cast<long long>(MaxDots)));

  std::mt19937 rng(o.Seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const double phaseX = unit(rng) - 0.5, phaseY = unit(rng) - 0.5;
  const double cx = o.Width / 2.0, cy = o.Height / 2.0;
  const double angle = o.RotationDeg * Pi / 180.0;
  const double c = std::cos(angle), s = std::sin(angle);
  const double margin = o.Radius + 2.0;
  const TSynthMotion motion(o);
  auto inside = [&](double x, double y) {
    return x - margin >= 0 && y - margin >= 0 && x + margin <= o.Width - 1 &&
           y + margin <= o.Height - 1;
  };
  // No dot fits a picture narrower than a dot and its margins: said before any work.
  if (o.Width - 1 < 2 * margin || o.Height - 1 < 2 * margin)
    throw TError("The picture is too small to hold a single dot");
  const int32_t reach =
      static_cast<int32_t>(std::hypot(o.Width, o.Height) / std::min(o.PitchX, o.PitchY) / 2 + 2);
  // Each lattice row visits only the columns whose initial centre can lie inside the picture
  // (a few more, for rounding), so the work follows the dots, not the square of the diagonal:
  // a picture of 1048576 x 20 pixels rotated 45 degrees would otherwise visit 10^9 places.
  // The dots found and their order are the same.
  auto columns = [&](int32_t j, int32_t& first, int32_t& last) {
    double lo = -reach, hi = reach;
    const double ly = j * o.PitchY + phaseY;
    // x0 = cx + c (i PitchX + phaseX) - s ly, y0 = cy + s (i PitchX + phaseX) + c ly, each
    // within [margin, size - 1 - margin].
    auto clip = [&](double slope, double base, double low, double high) {
      if (std::fabs(slope) < 1e-12) {
        if (base < low - 1 || base > high + 1) lo = 1, hi = 0;
        return;
      }
      double a = (low - base) / slope, b = (high - base) / slope;
      if (a > b) std::swap(a, b);
      lo = std::max(lo, a - 2);
      hi = std::min(hi, b + 2);
    };
    clip(c * o.PitchX, cx + c * phaseX - s * ly, margin, o.Width - 1 - margin);
    clip(s * o.PitchX, cy + s * phaseX + c * ly, margin, o.Height - 1 - margin);
    if (lo > hi) return false;
    first = static_cast<int32_t>(std::floor(lo));
    last = static_cast<int32_t>(std::ceil(hi));
    return true;
  };
  for (int32_t j = -reach; j <= reach; ++j) {
    int32_t first = 0, last = 0;
    if (!columns(j, first, last)) continue;
    for (int32_t i = first; i <= last; ++i) {
      const double lx = i * o.PitchX + phaseX, ly = j * o.PitchY + phaseY;
      TSynthDot dot;
      dot.I = i;
      dot.J = j;
      dot.X0 = cx + c * lx - s * ly;
      dot.Y0 = cy + s * lx + c * ly;
      motion.Deformed(dot.X0, dot.Y0, dot.X1, dot.Y1);
      // C dots across: C / 2 left of the centre dot, the rest from it to the right.
      if (o.Columns > 0 && (i < -(o.Columns / 2) || i >= o.Columns - o.Columns / 2)) continue;
      if (o.Rows > 0 && (j < -(o.Rows / 2) || j >= o.Rows - o.Rows / 2)) continue;
      dot.Shown0 = inside(dot.X0, dot.Y0);
      dot.Shown1 = inside(dot.X1, dot.Y1);
      if (o.ClipEach ? !dot.Shown0 && !dot.Shown1 : !dot.Shown0 || !dot.Shown1) continue;
      if (motion.InHole(dot.X0, dot.Y0, margin)) continue;
      if (i == 0 && j == 0) FCentre = FDots.size();
      FDots.push_back(dot);
    }
  }
  if (FDots.empty()) throw TError("The picture is too small to hold a single dot");
  if (FDots[FCentre].I != 0 || FDots[FCentre].J != 0) FCentre = FDots.size() / 2;

  // Leave out dots away from the centre dot and its four neighbours.
  std::vector<size_t> candidates;
  for (size_t k = 0; k < FDots.size(); ++k)
    if (std::abs(FDots[k].I) + std::abs(FDots[k].J) > 1) candidates.push_back(k);
  std::shuffle(candidates.begin(), candidates.end(), rng);
  const size_t missing = std::min(candidates.size(), static_cast<size_t>(std::max(o.Missing, 0)));
  for (size_t k = 0; k < missing; ++k) FDots[candidates[k]].Present = false;
}

const TSynthDot& TSynthGrid::CentreDot() const {
  return FDots[FCentre];
}

void TSynthGrid::Render(bool deformed, TGrayImage& image) const {
  const TSynthOptions& o = FOptions;
  const double dot = o.DotLevel >= 0 ? o.DotLevel : (o.WhiteDots ? 215 : 40);
  const double background = o.BackgroundLevel >= 0 ? o.BackgroundLevel : (o.WhiteDots ? 40 : 215);
  image.SetWidth(o.Width);
  image.SetHeight(o.Height);

  // Coverage of every pixel by the dots, then lighting and noise.
  std::vector<float> cover(static_cast<size_t>(o.Width) * o.Height, 0.0f);
  const double r = o.Radius;
  for (const TSynthDot& d : FDots) {
    if (!d.Present || !(deformed ? d.Shown1 : d.Shown0)) continue;
    const double x0 = deformed ? d.X1 : d.X0, y0 = deformed ? d.Y1 : d.Y0;
    const int32_t left = static_cast<int32_t>(std::floor(x0 - r - 1));
    const int32_t right = static_cast<int32_t>(std::ceil(x0 + r + 1));
    const int32_t top = static_cast<int32_t>(std::floor(y0 - r - 1));
    const int32_t bottom = static_cast<int32_t>(std::ceil(y0 + r + 1));
    for (int32_t y = std::max(top, 0); y <= std::min(bottom, o.Height - 1); ++y) {
      for (int32_t x = std::max(left, 0); x <= std::min(right, o.Width - 1); ++x) {
        const double dist = std::hypot(x - x0, y - y0);
        float value;
        if (dist <= r - 0.75) {
          value = 1.0f;
        } else if (dist >= r + 0.75) {
          continue;
        } else {
          int hits = 0;
          for (int sy = 0; sy < Supersampling; ++sy)
            for (int sx = 0; sx < Supersampling; ++sx) {
              const double px = x - 0.5 + (sx + 0.5) / Supersampling - x0;
              const double py = y - 0.5 + (sy + 0.5) / Supersampling - y0;
              hits += px * px + py * py <= r * r;
            }
          value = static_cast<float>(hits) / (Supersampling * Supersampling);
        }
        float& cell = cover[static_cast<size_t>(y) * o.Width + x];
        cell = std::max(cell, value);
      }
    }
  }

  if (o.Specks > 0) AddSpecks(cover, o, deformed);
  if (o.Blur > 0) Blur(cover, o.Width, o.Height, o.Blur);

  TNoise noise(o.Seed * 2654435761u + (deformed ? 1u : 0u), o.NoiseSigma);
  for (int32_t y = 0; y < o.Height; ++y) {
    uint8_t* row = image.Row(y);
    const float* c = cover.data() + static_cast<size_t>(y) * o.Width;
    for (int32_t x = 0; x < o.Width; ++x) {
      const double light = o.Gradient * ((x + 0.5) / o.Width + (y + 0.5) / o.Height - 1.0) / 2.0;
      double v = background + c[x] * (dot - background) + light;
      if (o.NoiseSigma > 0) v += noise.Next();
      row[x] = static_cast<uint8_t>(std::clamp(std::lround(v), 0l, 255l));
    }
  }
}

void TSynthGrid::SaveTruthCsv(const std::string& fileName) const {
  TAtomicFile file(fileName);
  file.OpenOrRaise();
  file.Write("i,j,x0,y0,x1,y1\n");
  for (const TSynthDot& d : FDots)
    if (d.Present) file.Printf("%d,%d,%.6f,%.6f,%.6f,%.6f\n", d.I, d.J, d.X0, d.Y0, d.X1, d.Y1);
  file.Commit();
}
