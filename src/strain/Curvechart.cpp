#include "strain/Curvechart.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "strain/Plotapp.h"
#include "strain/Plotscale.h"

namespace {

// A tick step of about a fifth of the span, nice (1, 2 or 5 times a power of ten).
double TickStep(double span) {
  return NiceCeil(std::max(span, 1e-300) / 5);
}

QString Number(double value, double step) {
  if (std::fabs(value) < step * 1e-6) value = 0;
  const double magnitude = std::max(std::fabs(value), step);
  if (magnitude >= 1e6 || step < 1e-4) return QString::number(value, 'g', 3);
  const int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 9);
  return QString::number(value, 'f', decimals);
}

// The values at the ticks of [low, high] with a step, from the first multiple inside.
std::vector<double> Ticks(double low, double high, double step) {
  std::vector<double> ticks;
  for (double t = step * std::ceil(low / step - 1e-9); t <= high + step * 1e-9; t += step)
    ticks.push_back(t);
  return ticks;
}

}  // namespace

TChartFrame PaintCurveChart(QPainter& painter, const QRectF& rect, const TCurveChart& chart) {
  TChartFrame frame;
  double xLow = INFINITY, xHigh = -INFINITY, yLow = INFINITY, yHigh = -INFINITY;
  for (const TCurveSeries& series : chart.Series)
    for (const QPointF& p : series.Points) {
      if (!std::isfinite(p.x()) || !std::isfinite(p.y())) continue;
      xLow = std::min(xLow, p.x());
      xHigh = std::max(xHigh, p.x());
      yLow = std::min(yLow, p.y());
      yHigh = std::max(yHigh, p.y());
    }
  if (chart.MarkerX && std::isfinite(*chart.MarkerX)) {
    xLow = std::min(xLow, *chart.MarkerX);
    xHigh = std::max(xHigh, *chart.MarkerX);
  }
  const bool empty = !(yLow <= yHigh);
  if (empty) xLow = 0, xHigh = 1, yLow = 0, yHigh = 1;
  if (!(xHigh > xLow)) xLow -= 0.5, xHigh += 0.5;
  if (!(yHigh > yLow)) {
    const double half = std::max(std::fabs(yLow) * 0.05, 1e-9);
    yLow -= half;
    yHigh += half;
  }
  const double yStep = TickStep(yHigh - yLow);
  yLow = yStep * std::floor(yLow / yStep + 1e-9);
  yHigh = yStep * std::ceil(yHigh / yStep - 1e-9);
  const double xStep =
      chart.WholeX ? std::max(1.0, TickStep(xHigh - xLow)) : TickStep(xHigh - xLow);

  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  const QFontMetricsF metrics(painter.font());
  const double line = metrics.height();
  double labelWidth = 0;
  const std::vector<double> yTicks = Ticks(yLow, yHigh, yStep);
  for (double y : yTicks)
    labelWidth = std::max(labelWidth, metrics.horizontalAdvance(Number(y, yStep)));
  const double top = rect.top() + 6 + (chart.Title.isEmpty() ? 0 : line * 1.3) +
                     (chart.Series.empty() ? 0 : line * 1.2) + 4;
  const double left = rect.left() + 8 + (chart.YLabel.isEmpty() ? 0 : line + 4) + labelWidth + 6;
  const double bottom = rect.bottom() - 6 - line - (chart.XLabel.isEmpty() ? 0 : line + 2) - 4;
  const double right = rect.right() - 12;
  frame.Area =
      QRectF(QPointF(left, top), QPointF(std::max(right, left + 10), std::max(bottom, top + 10)));
  frame.XLow = xLow;
  frame.XHigh = xHigh;
  frame.YLow = yLow;
  frame.YHigh = yHigh;
  const QRectF& area = frame.Area;
  auto px = [&](double x) { return area.left() + (x - xLow) / (xHigh - xLow) * area.width(); };
  auto py = [&](double y) { return area.bottom() - (y - yLow) / (yHigh - yLow) * area.height(); };

  const QColor grid(225, 225, 225);
  for (double y : yTicks) {
    painter.setPen(QPen(grid, 1));
    painter.drawLine(QPointF(area.left(), py(y)), QPointF(area.right(), py(y)));
    painter.setPen(Qt::black);
    const QString label = Number(y, yStep);
    painter.drawText(QPointF(area.left() - 6 - metrics.horizontalAdvance(label),
                             py(y) + metrics.capHeight() / 2),
                     label);
  }
  for (double x : Ticks(xLow, xHigh, xStep)) {
    painter.setPen(QPen(grid, 1));
    painter.drawLine(QPointF(px(x), area.top()), QPointF(px(x), area.bottom()));
    painter.setPen(Qt::black);
    const QString label = Number(x, xStep);
    painter.drawText(
        QPointF(px(x) - metrics.horizontalAdvance(label) / 2, area.bottom() + 4 + metrics.ascent()),
        label);
  }
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(area);
  if (!chart.XLabel.isEmpty())
    painter.drawText(QRectF(area.left(), area.bottom() + 4 + line, area.width(), line + 2),
                     Qt::AlignCenter, chart.XLabel);
  if (!chart.YLabel.isEmpty()) {
    painter.save();
    painter.translate(rect.left() + 8 + line / 2, area.center().y());
    painter.rotate(-90);
    // Shortened with an ellipsis when the axis is shorter than the label.
    painter.drawText(QRectF(-area.height() / 2, -line / 2, area.height(), line), Qt::AlignCenter,
                     metrics.elidedText(chart.YLabel, Qt::ElideRight, area.height()));
    painter.restore();
  }
  double y = rect.top() + 6;
  if (!chart.Title.isEmpty()) {
    QFont bold = painter.font();
    bold.setBold(true);
    painter.save();
    painter.setFont(bold);
    painter.drawText(QRectF(rect.left(), y, rect.width(), line * 1.3), Qt::AlignCenter,
                     chart.Title);
    painter.restore();
    y += line * 1.3;
  }
  // The legend: a short line of each colour before each name, in one row.
  double x = area.left();
  for (const TCurveSeries& series : chart.Series) {
    painter.setPen(QPen(series.Colour, 3));
    painter.drawLine(QPointF(x, y + line * 0.6), QPointF(x + 18, y + line * 0.6));
    painter.setPen(Qt::black);
    painter.drawText(QPointF(x + 22, y + metrics.ascent()), series.Name);
    x += 22 + metrics.horizontalAdvance(series.Name) + 16;
  }
  if (empty) {
    painter.drawText(area, Qt::AlignCenter, "nothing to plot");
    painter.restore();
    return frame;
  }

  painter.setClipRect(area.adjusted(-4, -4, 4, 4));
  if (chart.MarkerX) {
    painter.setPen(QPen(QColor(120, 120, 120), 1.5, Qt::DashLine));
    painter.drawLine(QPointF(px(*chart.MarkerX), area.top()),
                     QPointF(px(*chart.MarkerX), area.bottom()));
  }
  for (const TCurveSeries& series : chart.Series) {
    QPainterPath path;
    bool open = false;
    for (const QPointF& p : series.Points) {
      if (!std::isfinite(p.x()) || !std::isfinite(p.y())) {
        open = false;
        continue;
      }
      const QPointF at(px(p.x()), py(p.y()));
      if (open)
        path.lineTo(at);
      else
        path.moveTo(at);
      open = true;
    }
    painter.setPen(QPen(series.Colour, 1.8));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    if (!series.Markers) continue;
    painter.setPen(Qt::NoPen);
    painter.setBrush(series.Colour);
    for (const QPointF& p : series.Points)
      if (std::isfinite(p.x()) && std::isfinite(p.y()))
        painter.drawEllipse(QPointF(px(p.x()), py(p.y())), 2.6, 2.6);
  }
  painter.restore();
  return frame;
}

QImage RenderCurveChart(const TCurveChart& chart, int width, int height) {
  EnsureGuiApplication();
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  QFont font = painter.font();
  font.setPixelSize(14);
  painter.setFont(font);
  PaintCurveChart(painter, QRectF(0, 0, width, height), chart);
  return image;
}
