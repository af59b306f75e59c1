#include "encode/Discfit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <thread>

#include "encode/Discfitter.h"
#include "encode/Encode.h"
#include "encode/Parallelranges.h"
#include "encode/Pointbuckets.h"
#include "image/Gray16image.h"
#include "image/Grayimage.h"

using discfit::TFitter;
using discfit::TNeighbour;
using discfit::TResult;
using discfit::TStart;

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double EstimateBand = 3.5;    // px beyond the edge that the blur's estimate looks at
constexpr double EstimateMargin = 1.2;  // and how far it keeps from a neighbour's edge
// px: the fit keeps this much further from an overlapping neighbour's edge than its band, since
// the neighbour is where its start says, which may be off by as much.
constexpr double StartSlack = 0.5;
constexpr int32_t EstimateDots = 100;
// The blurs tried, in pixels; each sample dot's best is interpolated between its neighbours.
constexpr std::array<double, 11> Sigmas = {0.02, 0.1, 0.2, 0.35, 0.55, 0.8,
                                           1.15, 1.6, 2.2, 3.0,  4.2};
constexpr double Outliers = 6;  // residuals of this many noise sigmas are not the dot's
constexpr int32_t ThreadedDots = 2048;
constexpr int32_t MaxThreads = 8;

// The minimum of the parabola through three points (l, c), clamped to their range; the middle
// one when they do not open upwards.
double ParabolaMinimum(const double l[3], const double c[3]) {
  const double den = (l[0] - l[1]) * (l[0] - l[2]) * (l[1] - l[2]);
  const double qa = (l[2] * (c[1] - c[0]) + l[1] * (c[0] - c[2]) + l[0] * (c[2] - c[1])) / den;
  const double qb =
      (l[2] * l[2] * (c[0] - c[1]) + l[1] * l[1] * (c[2] - c[0]) + l[0] * l[0] * (c[1] - c[2])) /
      den;
  return qa > 0 ? std::clamp(-qb / (2 * qa), l[0], l[2]) : l[1];
}

struct TDots {
  std::vector<TStart> Start;
  std::vector<float> X, Y;
  float Largest = 0;
};

// The dots that overlap dot i, by the radii of their blobs (or the hints): a blurred blob is
// larger than its dot, which errs on the side of leaving more out.
void Near(const TPointBuckets& buckets, const TDots& d, int32_t i, std::vector<TNeighbour>& out) {
  out.clear();
  const TStart& s = d.Start[i];
  buckets.Near(s.X0, s.Y0, s.R0 + d.Largest + 1, [&](int32_t j) {
    const TStart& t = d.Start[j];
    if (j != i && std::hypot(t.X0 - s.X0, t.Y0 - s.Y0) < s.R0 + t.R0 + 1)
      out.push_back({static_cast<float>(t.X0), static_cast<float>(t.Y0), static_cast<float>(t.R0)});
  });
}

// The picture's blur: the median over a sample of dots of each one's best sigma.
template <typename T>
double EstimateSigma(TFitter<T>& fitter, const TDots& d) {
  const int32_t count = static_cast<int32_t>(d.Start.size());
  const TPointBuckets buckets(d.X, d.Y, 2 * d.Largest + 1);
  std::vector<TEdgeProfile> profiles;
  for (double sigma : Sigmas) profiles.emplace_back(sigma, 16);
  std::vector<TNeighbour> near;
  std::vector<double> best;
  for (int32_t i = 0; i < count; i += std::max(1, count / EstimateDots)) {
    Near(buckets, d, i, near);
    double cost[Sigmas.size()];
    size_t k = Sigmas.size();
    for (size_t j = 0; j < Sigmas.size(); ++j) {
      TResult r;
      cost[j] =
          fitter.Fit(d.Start[i], near, profiles[j], EstimateBand, EstimateMargin, r) ? r.Cost : -1;
      if (cost[j] >= 0 && (k == Sigmas.size() || cost[j] < cost[k])) k = j;
    }
    // A minimum beside a failed fit may only be the failure's edge.
    if (k == Sigmas.size() || (k > 0 && cost[k - 1] < 0) ||
        (k + 1 < Sigmas.size() && cost[k + 1] < 0))
      continue;
    double logSigma = std::log(Sigmas[k]);
    if (k > 0 && k + 1 < Sigmas.size() && cost[k - 1] >= 0 && cost[k + 1] >= 0) {
      const double l[3] = {std::log(Sigmas[k - 1]), logSigma, std::log(Sigmas[k + 1])};
      logSigma = ParabolaMinimum(l, cost + k - 1);
    }
    best.push_back(logSigma);
  }
  if (best.empty()) return Sigmas[0];
  const auto middle = best.begin() + static_cast<std::ptrdiff_t>(best.size() / 2);
  std::nth_element(best.begin(), middle, best.end());
  return std::exp(*middle);
}

// The fit on the picture's own values, T the type of its pixels (data: 8 or 16 bits).
template <typename T>
TFitReport FitOn(TEncode& job, std::vector<TDotInfo>& dots, const TGrayImage& picture,
                 const T* data, const TFitHints& hints, int32_t threads) {
  TFitReport report;
  const int32_t count = std::min(job.DotSum(), static_cast<int32_t>(dots.size()));
  const std::vector<TBackgroundPlane> planes = BackgroundPlanes(job, picture);  // checks the size
  if (count <= 0) return report;
  if (threads <= 0)
    threads =
        count < ThreadedDots
            ? 1
            : std::clamp(static_cast<int32_t>(std::thread::hardware_concurrency()), 1, MaxThreads);
  TDots d;
  d.Start.resize(static_cast<size_t>(count));
  d.X.resize(d.Start.size());
  d.Y.resize(d.Start.size());
  for (int32_t i = 0; i < count; ++i) {
    const float hinted = static_cast<size_t>(i) < hints.Radius.size() ? hints.Radius[i] : 0.0f;
    const double r = hinted > 0 ? hinted : std::sqrt(std::max(dots[i].Area, 1) / Pi);
    d.Start[i] = {dots[i].x, dots[i].y, r, 0, planes[static_cast<size_t>(i)]};
    d.X[i] = dots[i].x, d.Y[i] = dots[i].y;
    d.Largest = std::max(d.Largest, static_cast<float>(r));
  }
  const int32_t sign = job.Background() == 0 ? 1 : -1;
  auto fitter = [&] {
    return TFitter<T>(data, picture.Width(), picture.Height(), sign, hints.Junk);
  };
  {
    TFitter<T> f = fitter();
    report.Sigma = EstimateSigma(f, d);
  }
  // The blur's light reaches beyond the gap the background was first taken at.
  if (2.5 * report.Sigma > 3) {
    const std::vector<TBackgroundPlane> wider = BackgroundPlanes(job, picture, 2.5 * report.Sigma);
    for (int32_t i = 0; i < count; ++i) d.Start[i].Plane = wider[static_cast<size_t>(i)];
  }
  const TEdgeProfile profile(report.Sigma);
  // The band beyond the edge that the fit looks at: the edge's information is mostly within a
  // sigma and a half, a blurred neighbour's light beyond.
  const double band = std::min<double>(profile.Reach(), 1.6 * report.Sigma + 1.2);
  const TPointBuckets buckets(d.X, d.Y, 2 * d.Largest + 1);
  double outlier = 0;
  // A blob's radius is not the dot's: the threshold cut its edge somewhere. The sample's median
  // difference brings every start nearer, and the fits need fewer steps.
  {
    TFitter<T> f = fitter();
    std::vector<TNeighbour> near;
    std::vector<double> shift, noise;
    for (int32_t i = 0; i < count; i += std::max(1, count / EstimateDots)) {
      Near(buckets, d, i, near);
      TResult r;
      if (!f.Fit(d.Start[i], near, profile, band, band + StartSlack, r)) continue;
      shift.push_back(r.R - d.Start[i].R0);
      noise.push_back(std::sqrt(r.Cost / std::max(r.Pixels, 1)));
    }
    if (!noise.empty()) {
      const auto middle = noise.begin() + static_cast<std::ptrdiff_t>(noise.size() / 2);
      std::nth_element(noise.begin(), middle, noise.end());
      // The picture's noise as the typical dot's residual shows it, with room for its tails.
      outlier = Outliers * std::max(*middle, 1.0);
    }
    if (!shift.empty()) {
      const auto middle = shift.begin() + static_cast<std::ptrdiff_t>(shift.size() / 2);
      std::nth_element(shift.begin(), middle, shift.end());
      for (TStart& s : d.Start) s.R0 = std::max(s.R0 + *middle, 0.5 * s.R0);
    }
  }
  std::vector<char> held(d.Start.size(), 0);
  ForRanges(count, threads, [&](int32_t begin, int32_t end) {
    TFitter<T> f = fitter();
    f.SetOutlier(outlier);
    std::vector<TNeighbour> near;
    for (int32_t i = begin; i < end; ++i) {
      Near(buckets, d, i, near);
      TResult r;
      if (!f.Fit(d.Start[i], near, profile, band, band + StartSlack, r)) continue;
      dots[i].x = static_cast<float>(r.X);
      dots[i].y = static_cast<float>(r.Y);
      held[i] = 1;
    }
  });
  for (char h : held) report.Fitted += h;
  report.Kept = count - report.Fitted;
  job.DotsMoved();
  return report;
}

}  // namespace

TFitReport FitCentroids(TEncode& job, const TGrayImage& picture, const TFitHints& hints,
                        int32_t threads) {
  // A picture of more than 8 bits is fitted at its full depth, as the camera gave it.
  if (const TGray16Image* deep = picture.Deep())
    return FitOn(job, job.FDotInfo, picture, deep->Data(), hints, threads);
  return FitOn(job, job.FDotInfo, picture, picture.Data(), hints, threads);
}
