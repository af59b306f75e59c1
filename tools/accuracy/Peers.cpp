#include "Peers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "encode/Dotgrid.h"
#include "image/Grayimage.h"

#if defined(LATTICOR_HAVE_OPENCV)
#include <opencv2/core.hpp>
#include <opencv2/features2d.hpp>
#include <opencv2/imgproc.hpp>

namespace {

using TPoints = std::vector<cv::Point2d>;

cv::Mat MatOf(const TGrayImage& image) {
  cv::Mat m(image.Height(), image.Width(), CV_8U);
  std::memcpy(m.data, image.Data(), static_cast<size_t>(image.Size()));
  return m;
}

TPoints BlobDetector(const cv::Mat& picture, const TTruthOptions& o) {
  cv::SimpleBlobDetector::Params p;
  p.blobColor = 255;
  p.minThreshold = 10;
  p.maxThreshold = 250;
  p.thresholdStep = 10;
  p.minDistBetweenBlobs = static_cast<float>(0.3 * o.Pitch);
  p.filterByArea = true;
  p.minArea = static_cast<float>(0.5 * M_PI * o.Radius * o.Radius);
  p.maxArea = static_cast<float>(3 * M_PI * o.Radius * o.Radius);
  p.filterByCircularity = true;
  p.minCircularity = 0.7f;
  p.filterByInertia = true;
  p.minInertiaRatio = 0.5f;
  p.filterByConvexity = true;
  p.minConvexity = 0.85f;
  std::vector<cv::KeyPoint> keys;
  cv::SimpleBlobDetector::create(p)->detect(picture, keys);
  TPoints points;
  for (const cv::KeyPoint& k : keys) points.emplace_back(k.pt.x, k.pt.y);
  return points;
}

TPoints OtsuComponents(const cv::Mat& picture) {
  cv::Mat binary, labels, stats, centroids;
  cv::threshold(picture, binary, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
  const int n = cv::connectedComponentsWithStats(binary, labels, stats, centroids, 8);
  TPoints points;
  for (int i = 1; i < n; ++i)
    points.emplace_back(centroids.at<double>(i, 0), centroids.at<double>(i, 1));
  return points;
}

// Least-squares fit of background + contrast * Phi((radius - distance) / edge) on the pixels
// within reach of (x, y), by damped Gauss-Newton; the centre is left as it came when the fit
// does not settle.
void FitDisc(const cv::Mat& f, double& x, double& y, double radius, double edge, double reach) {
  double p[6] = {x, y, radius, std::max(edge, 0.5), 0, 0};  // x y r s A B
  std::vector<std::array<double, 3>> pixels;                // x, y, value
  for (int v = static_cast<int>(y - reach); v <= static_cast<int>(y + reach) + 1; ++v)
    for (int u = static_cast<int>(x - reach); u <= static_cast<int>(x + reach) + 1; ++u)
      if (u >= 0 && v >= 0 && u < f.cols && v < f.rows && std::hypot(u - x, v - y) <= reach)
        pixels.push_back({double(u), double(v), f.at<float>(v, u)});
  if (pixels.size() < 12) return;
  double low = 1e9, high = -1e9;
  for (const auto& q : pixels) low = std::min(low, q[2]), high = std::max(high, q[2]);
  p[4] = high - low, p[5] = low;
  double lambda = 1e-3, cost = 1e300;
  for (int it = 0; it < 30; ++it) {
    cv::Matx66d a = cv::Matx66d::zeros();
    cv::Vec6d g = cv::Vec6d::all(0);
    double c = 0;
    for (const auto& q : pixels) {
      const double dx = q[0] - p[0], dy = q[1] - p[1], d = std::max(std::hypot(dx, dy), 1e-9);
      const double t = (p[2] - d) / p[3];
      const double phi = 0.5 * std::erfc(-t / std::sqrt(2.0));
      const double dens = std::exp(-0.5 * t * t) / std::sqrt(2 * M_PI);
      const double e = q[2] - (p[5] + p[4] * phi);
      const cv::Vec6d j(p[4] * dens / p[3] * dx / d, p[4] * dens / p[3] * dy / d,
                        p[4] * dens / p[3], -p[4] * dens * t / p[3], phi, 1);
      a += j * j.t();
      g += j * e;
      c += e * e;
    }
    if (c > cost) {  // the last step made it worse: back and damp more
      lambda *= 10;
      if (lambda > 1e6) break;
    } else {
      cost = c;
      lambda = std::max(lambda / 10, 1e-6);
    }
    cv::Matx66d damped = a;
    for (int i = 0; i < 6; ++i) damped(i, i) *= 1 + lambda;
    cv::Vec6d step;
    if (!cv::solve(damped, g, step, cv::DECOMP_CHOLESKY)) break;
    for (int i = 0; i < 6; ++i) p[i] += step[i];
    p[3] = std::max(p[3], 0.05);
    if (std::hypot(step[0], step[1]) < 1e-5) break;
  }
  if (std::hypot(p[0] - x, p[1] - y) < 0.5 * radius) x = p[0], y = p[1];
}

TPoints LocalFit(const cv::Mat& picture, const TTruthOptions& o) {
  cv::Mat f, smooth, peaks, binary;
  picture.convertTo(f, CV_32F);
  cv::GaussianBlur(f, smooth, cv::Size(), std::max(1.0, o.Radius / 2));
  const int k = std::max(3, 2 * static_cast<int>(0.3 * o.Pitch) + 1);
  cv::dilate(smooth, peaks, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(k, k)));
  cv::Mat smooth8;
  smooth.convertTo(smooth8, CV_8U);
  const double level = cv::threshold(smooth8, binary, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
  TPoints points;
  const double mask = o.Radius + 1.5, reach = o.Radius + 3 * std::max(o.Blur, 0.5) + 2;
  for (int v = 0; v < f.rows; ++v)
    for (int u = 0; u < f.cols; ++u) {
      if (smooth.at<float>(v, u) < peaks.at<float>(v, u) || smooth.at<float>(v, u) <= level)
        continue;
      // The iterated masked centroid above the level of a ring around the mask.
      double x = u, y = v;
      for (int it = 0; it < 10; ++it) {
        std::vector<float> ring;
        double sw = 0, sx = 0, sy = 0;
        for (int b = static_cast<int>(y - mask - 2); b <= static_cast<int>(y + mask + 2) + 1; ++b)
          for (int a = static_cast<int>(x - mask - 2); a <= static_cast<int>(x + mask + 2) + 1;
               ++a) {
            if (a < 0 || b < 0 || a >= f.cols || b >= f.rows) continue;
            const double d = std::hypot(a - x, b - y);
            if (d > mask && d <= mask + 2) ring.push_back(f.at<float>(b, a));
          }
        if (ring.empty()) break;
        std::nth_element(ring.begin(), ring.begin() + ring.size() / 2, ring.end());
        const double base = ring[ring.size() / 2];
        for (int b = static_cast<int>(y - mask); b <= static_cast<int>(y + mask) + 1; ++b)
          for (int a = static_cast<int>(x - mask); a <= static_cast<int>(x + mask) + 1; ++a) {
            if (a < 0 || b < 0 || a >= f.cols || b >= f.rows || std::hypot(a - x, b - y) > mask)
              continue;
            const double w = std::max(0.0, f.at<float>(b, a) - base);
            sw += w, sx += w * a, sy += w * b;
          }
        if (sw <= 0) break;
        const double nx = sx / sw, ny = sy / sw, moved = std::hypot(nx - x, ny - y);
        x = nx, y = ny;
        if (moved < 0.01) break;
      }
      FitDisc(f, x, y, o.Radius, std::hypot(o.Blur, 0.3), reach);
      points.emplace_back(x, y);
    }
  return points;
}

TPoints Detect(int32_t peer, const TGrayImage& image, const TTruthOptions& o) {
  const cv::Mat m = MatOf(image);
  if (peer == 0) return BlobDetector(m, o);
  if (peer == 1) return OtsuComponents(m);
  return LocalFit(m, o);
}

}  // namespace

TPeerResult MeasurePeer(const TTruthOptions& o, int32_t peer) {
  const TTruthGrid grid(o);
  TGrayImage a, b;
  grid.Render(false, a);
  grid.Render(true, b);
  TDotGrid index[2];
  std::vector<TDotInfo> found[2];
  for (int32_t k = 0; k < 2; ++k) {
    for (const cv::Point2d& p : Detect(peer, k ? b : a, o)) {
      TDotInfo d{};
      d.x = static_cast<float>(p.x), d.y = static_cast<float>(p.y);
      found[k].push_back(d);
    }
    index[k].Build(found[k].data(), static_cast<int32_t>(found[k].size()));
  }
  TPeerResult result;
  result.Available = true;
  const float limit = static_cast<float>(o.Pitch * o.Pitch / 9);
  double sum = 0;
  int32_t pairs = 0;
  for (const TTruthDot& t : grid.Dots()) {
    const int32_t i =
        index[0].Nearest(static_cast<float>(t.X0), static_cast<float>(t.Y0), limit, -1);
    const int32_t j =
        index[1].Nearest(static_cast<float>(t.X1), static_cast<float>(t.Y1), limit, -1);
    if (i < 0 || j < 0) continue;
    const double ex = (double(found[1][j].x) - found[0][i].x) - (t.X1 - t.X0);
    const double ey = (double(found[1][j].y) - found[0][i].y) - (t.Y1 - t.Y0);
    sum += ex * ex + ey * ey;
    result.Max = std::max(result.Max, std::hypot(ex, ey));
    ++pairs;
  }
  result.Rms = pairs ? std::sqrt(sum / pairs) : 0;
  result.Found = grid.Dots().empty()
                     ? 0
                     : static_cast<double>(pairs) / static_cast<double>(grid.Dots().size());
  return result;
}

#else

TPeerResult MeasurePeer(const TTruthOptions&, int32_t) {
  return {};
}

#endif
