#include "strain/Plotpaint.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>

#include "base/Error.h"
#include "strain/Colormap.h"

namespace {

QString Superscript(int value) {
  static const char16_t digits[] = u"\u2070\u00b9\u00b2\u00b3\u2074\u2075\u2076\u2077\u2078\u2079";
  QString text;
  if (value < 0) text += QChar(0x207B);
  for (QChar c : QString::number(std::abs(value))) text += QChar(digits[c.digitValue()]);
  return text;
}

const TColorMap& MapOf(const TPlotScale& scale) {
  return scale.Diverging() ? TColorMap::Diverging() : TColorMap::Viridis();
}

// The area whose dots are painted: within grown by margin, or everything when within is empty.
QRectF PaintedArea(const QRectF& within, double margin) {
  if (within.isEmpty()) return QRectF();
  return within.adjusted(-margin, -margin, margin, margin);
}

}  // namespace

TPlotScale ScaleOf(const TStrainField& field, TPlotQuantity quantity, const TColourRange& range) {
  std::vector<double> values;
  values.reserve(field.Points().size());
  for (const TStrainPoint& p : field.Points())
    if (HasValue(quantity, p)) values.push_back(ValueOf(quantity, p));
  if (values.empty())
    throw TError(std::string("Nothing to plot for ") + InfoOf(quantity).Name +
                 ": no dot has strain");
  return ScaleForRange(std::move(values), InfoOf(quantity).Signed, range);
}

QString UnitText(const TStrainField& field, TPlotQuantity quantity, const TPlotScale& scale) {
  const TPlotQuantityInfo& info = InfoOf(quantity);
  QString unit = info.Displacement ? QString::fromStdString(field.FUnit)
                 : info.Degrees    ? "degrees"
                                   : "strain";
  if (scale.Exponent() != 0) unit += QString(" \u00d710") + Superscript(scale.Exponent());
  return unit;
}

void PaintCells(QPainter& painter, const TStrainField& field, const TPlotGeometry& geometry,
                TPlotQuantity quantity, const TPlotScale& scale, const QRectF& within) {
  const TColorMap& map = MapOf(scale);
  const QRectF area = PaintedArea(within, 2 * geometry.Pitch());
  // A hair over half a step: neighbouring cells overlap slightly instead of leaving seams.
  const QPointF a = geometry.StepX() * 0.51, b = geometry.StepY() * 0.51;
  painter.save();
  // Without antialiasing neighbouring cells meet without seams.
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(Qt::NoPen);
  for (const TStrainPoint& p : field.Points()) {
    if (!HasValue(quantity, p)) continue;
    const QPointF c = geometry.Pixel(p.Pair);
    if (!area.isEmpty() && !area.contains(c)) continue;
    const QPointF corners[4] = {c - a - b, c + a - b, c + a + b, c - a + b};
    painter.setBrush(map.At(scale.Fraction(ValueOf(quantity, p))));
    painter.drawConvexPolygon(corners, 4);
  }
  painter.restore();
}

double PaintColourBar(QPainter& painter, const QRectF& bar, const TPlotScale& scale,
                      const QString& unit) {
  const TColorMap& map = MapOf(scale);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  const int rows = std::max(1, static_cast<int>(bar.height()));
  for (int i = 0; i < rows; ++i) {
    const double t = 1.0 - (i + 0.5) / rows;  // high values on top
    painter.fillRect(QRectF(bar.left(), bar.top() + i * bar.height() / rows, bar.width(),
                            bar.height() / rows + 1),
                     map.At(t));
  }
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(bar);
  const QFontMetricsF metrics(painter.font());
  double labelWidth = 0;
  for (double tick : scale.Ticks()) {
    const double y = bar.bottom() - scale.Fraction(tick) * bar.height();
    painter.drawLine(QPointF(bar.right(), y), QPointF(bar.right() + 5, y));
    const QString label = QString::fromStdString(scale.Label(tick));
    painter.drawText(QPointF(bar.right() + 8, y + metrics.capHeight() / 2), label);
    labelWidth = std::max(labelWidth, 8 + metrics.horizontalAdvance(label));
  }
  painter.drawText(QPointF(bar.left(), bar.top() - metrics.descent() - 6), unit);
  painter.restore();
  return labelWidth;
}

double ArrowFactor(const TStrainField& field, const TPlotGeometry& geometry) {
  std::vector<double> lengths;
  lengths.reserve(field.Points().size());
  for (const TStrainPoint& p : field.Points())
    lengths.push_back(std::hypot(p.Pair.Dx * geometry.UnitX(), p.Pair.Dy * geometry.UnitY()));
  if (lengths.empty()) return 1;
  const size_t at = std::min(lengths.size() - 1, lengths.size() * 995 / 1000);
  std::nth_element(lengths.begin(), lengths.begin() + static_cast<std::ptrdiff_t>(at),
                   lengths.end());
  const double largest = lengths[at];
  if (!(largest > 0) || !(geometry.Pitch() > 0)) return 1;
  return NiceFloor(geometry.Pitch() / largest);
}

void PaintArrows(QPainter& painter, const TStrainField& field, const TPlotGeometry& geometry,
                 double factor, int32_t step, const QColor& color, double penWidth,
                 const QRectF& within) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  QPen pen(color, penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  pen.setCosmetic(true);  // the same width at any zoom
  painter.setPen(pen);
  painter.setBrush(color);
  const double head = geometry.Pitch() * 0.22;
  const QRectF area = PaintedArea(within, 0);
  const double pad = std::max(head, 1.0);
  // The shafts go to the painter in one batch, and the heads are filled without an outline:
  // stroking arrow by arrow costs more than all the filling.
  std::vector<QLineF> shafts;
  std::vector<std::array<QPointF, 3>> heads;
  for (const TStrainPoint& p : field.Points()) {
    if (step > 1 && (p.Pair.Nx % step != 0 || p.Pair.Ny % step != 0)) continue;
    const QPointF from = geometry.Pixel(p.Pair);
    const QPointF d(p.Pair.Dx * geometry.UnitX() * factor, -p.Pair.Dy * geometry.UnitY() * factor);
    const double length = std::hypot(d.x(), d.y());
    if (length < 1e-9) continue;
    if (!area.isEmpty() &&
        !area.intersects(QRectF(from, from + d).normalized().adjusted(-pad, -pad, pad, pad)))
      continue;
    const QPointF to = from + d;
    const QPointF unit = d / length, normal(-unit.y(), unit.x());
    const double h = std::min(head, length * 0.4);
    shafts.emplace_back(from, to - unit * h * 0.8);
    heads.push_back({to, to - unit * h + normal * h * 0.55, to - unit * h - normal * h * 0.55});
  }
  painter.drawLines(shafts.data(), static_cast<int>(shafts.size()));
  painter.setPen(Qt::NoPen);
  for (const auto& tip : heads) painter.drawConvexPolygon(tip.data(), 3);
  painter.restore();
}
