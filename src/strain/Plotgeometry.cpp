#include "strain/Plotgeometry.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

uint64_t Key(int64_t nx, int64_t ny) {
  return (static_cast<uint64_t>(nx) << 32) ^ static_cast<uint32_t>(ny);
}

}  // namespace

TPlotGeometry::TPlotGeometry(const TStrainField& field, bool deformed) : FDeformed(deformed) {
  FScaleX = field.FScaleX > 0 ? field.FScaleX : 1;
  FScaleY = field.FScaleY > 0 ? field.FScaleY : 1;
  FTop = field.FPictureHeight * FScaleY;
  const std::vector<TStrainPoint>& points = field.Points();

  // Lattice steps: medians over the pairs of grid neighbours, robust to a few bad dots.
  std::unordered_map<uint64_t, size_t> at;
  at.reserve(points.size());
  for (size_t k = 0; k < points.size(); ++k)
    at.emplace(Key(points[k].Pair.Nx, points[k].Pair.Ny), k);
  std::vector<double> xx, xy, yx, yy;
  for (const TStrainPoint& p : points) {
    const QPointF here = Pixel(p.Pair);
    if (auto it = at.find(Key(int64_t{p.Pair.Nx} + 1, p.Pair.Ny)); it != at.end()) {
      const QPointF step = Pixel(points[it->second].Pair) - here;
      xx.push_back(step.x());
      xy.push_back(step.y());
    }
    if (auto it = at.find(Key(p.Pair.Nx, int64_t{p.Pair.Ny} + 1)); it != at.end()) {
      const QPointF step = Pixel(points[it->second].Pair) - here;
      yx.push_back(step.x());
      yy.push_back(step.y());
    }
  }
  if (!xx.empty()) FStepX = QPointF(Median(xx), Median(xy));
  if (!yx.empty()) FStepY = QPointF(Median(yx), Median(yy));
  if (xx.empty() && !yx.empty()) FStepX = QPointF(-FStepY.y(), FStepY.x());
  if (yx.empty() && !xx.empty()) FStepY = QPointF(FStepX.y(), -FStepX.x());

  if (field.FPictureWidth > 0 && field.FPictureHeight > 0) {
    FWidth = field.FPictureWidth;
    FHeight = field.FPictureHeight;
    return;
  }
  // No picture: a frame around the dots, one pitch wide.
  double left = 1e300, right = -1e300, top = 1e300, bottom = -1e300;
  for (const TStrainPoint& p : points) {
    const QPointF q = Pixel(p.Pair);
    left = std::min(left, q.x());
    right = std::max(right, q.x());
    top = std::min(top, q.y());
    bottom = std::max(bottom, q.y());
  }
  const double margin = std::max(Pitch(), 1.0);
  FShiftX = margin - left;
  FShiftY = margin - top;
  FWidth = static_cast<int32_t>(std::ceil(right - left + 2 * margin));
  FHeight = static_cast<int32_t>(std::ceil(bottom - top + 2 * margin));
}

QPointF TPlotGeometry::Pixel(const TStrainPair& pair) const {
  const double x = FDeformed ? pair.X + pair.Dx : pair.X;
  const double y = FDeformed ? pair.Y + pair.Dy : pair.Y;
  return QPointF(x / FScaleX + FShiftX, (FTop - y) / FScaleY + FShiftY);
}

double TPlotGeometry::Pitch() const {
  return (std::hypot(FStepX.x(), FStepX.y()) + std::hypot(FStepY.x(), FStepY.y())) / 2;
}

int32_t TPlotGeometry::NearestPoint(const TStrainField& field, QPointF pixel) const {
  const double reach = Pitch() / 2;
  double best = reach * reach;
  int32_t nearest = -1;
  const std::vector<TStrainPoint>& points = field.Points();
  for (size_t k = 0; k < points.size(); ++k) {
    const QPointF d = Pixel(points[k].Pair) - pixel;
    const double distance = d.x() * d.x() + d.y() * d.y();
    if (distance <= best) {
      best = distance;
      nearest = static_cast<int32_t>(k);
    }
  }
  return nearest;
}
