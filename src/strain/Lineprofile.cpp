#include "strain/Lineprofile.h"

#include <algorithm>
#include <cmath>

#include "image/Grayimage.h"

std::vector<TProfilePoint> GrayProfile(const TGrayImage& picture, QPointF from, QPointF to) {
  std::vector<TProfilePoint> profile;
  const QPointF d = to - from;
  const double length = std::hypot(d.x(), d.y());
  const int32_t w = picture.Width(), h = picture.Height();
  if (w <= 0 || h <= 0 || !std::isfinite(length)) return profile;
  const auto steps = static_cast<int64_t>(std::floor(length));
  const QPointF unit = length > 0 ? d / length : QPointF();
  for (int64_t k = 0; k <= steps; ++k) {
    const QPointF p = from + unit * static_cast<double>(k);
    if (p.x() < 0 || p.y() < 0 || p.x() > w - 1 || p.y() > h - 1) continue;
    const auto x0 = static_cast<int32_t>(std::floor(p.x()));
    const auto y0 = static_cast<int32_t>(std::floor(p.y()));
    const int32_t x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
    const double fx = p.x() - x0, fy = p.y() - y0;
    const uint8_t* top = picture.Row(y0);
    const uint8_t* bottom = picture.Row(y1);
    const double value = (top[x0] * (1 - fx) + top[x1] * fx) * (1 - fy) +
                         (bottom[x0] * (1 - fx) + bottom[x1] * fx) * fy;
    profile.push_back({static_cast<double>(k), value});
  }
  return profile;
}

std::vector<TProfilePoint> FieldProfile(const TStrainField& field, const TPlotGeometry& geometry,
                                        TPlotQuantity quantity, QPointF from, QPointF to) {
  std::vector<TProfilePoint> profile;
  const QPointF d = to - from;
  const double length = std::hypot(d.x(), d.y());
  if (!(length > 0)) return profile;
  const QPointF unit = d / length;
  const double reach = geometry.Pitch() / 2;
  for (const TStrainPoint& point : field.Points()) {
    if (!HasValue(quantity, point)) continue;
    const QPointF r = geometry.Pixel(point.Pair) - from;
    const double along = r.x() * unit.x() + r.y() * unit.y();
    const double across = r.x() * unit.y() - r.y() * unit.x();
    if (along < 0 || along > length || std::fabs(across) > reach) continue;
    profile.push_back({along, ValueOf(quantity, point)});
  }
  std::sort(profile.begin(), profile.end(),
            [](const TProfilePoint& a, const TProfilePoint& b) { return a.Distance < b.Distance; });
  return profile;
}
