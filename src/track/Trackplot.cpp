#include "track/Trackplot.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "base/Error.h"
#include "strain/Plotapp.h"
#include "strain/Plotscale.h"

namespace {

constexpr int Width = 960;
constexpr int Height = 600;
// Plot area inside the figure.
const QRectF Area(110, 70, 640, 450);

struct TCurve {
  const char* Name;
  double TTrackStep::*Value;
  QColor Colour;
};

// Colours that stay apart for the common forms of colour blindness.
const TCurve Curves[] = {{"exx", &TTrackStep::Exx, QColor(0, 114, 178)},
                         {"eyy", &TTrackStep::Eyy, QColor(213, 94, 0)},
                         {"exy", &TTrackStep::Exy, QColor(0, 158, 115)}};

// A tick step of about a fifth of the span, nice (1, 2 or 5 times a power of ten).
double TickStep(double span) {
  return NiceCeil(std::max(span, 1e-12) / 5);
}

QString Number(double value, double step) {
  if (std::abs(value) < step * 1e-6) value = 0;
  const int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(step))), 0, 9);
  return QString::number(value, 'f', decimals);
}

}  // namespace

QImage RenderTrackSummary(const std::vector<TTrackStep>& steps) {
  double low = 0, high = 0;
  int32_t first = -1, last = -1;
  for (const TTrackStep& step : steps) {
    if (!step.Good()) continue;
    if (first < 0) first = step.Step;
    last = step.Step;
    for (const TCurve& curve : Curves) {
      low = std::min(low, step.*curve.Value);
      high = std::max(high, step.*curve.Value);
    }
  }
  if (first < 0) throw TError("No step was tracked: nothing to plot");
  EnsureGuiApplication();

  const double yStep = TickStep(high - low);
  const double yLow = std::floor(low / yStep) * yStep;
  const double yHigh = std::max(std::ceil(high / yStep) * yStep, yLow + yStep);
  const double xHigh = std::max(static_cast<double>(last), 1.0);
  const double xStep = std::max(1.0, TickStep(xHigh));
  auto px = [&](double x) { return Area.left() + x / xHigh * Area.width(); };
  auto py = [&](double y) { return Area.bottom() - (y - yLow) / (yHigh - yLow) * Area.height(); };

  QImage image(Width, Height, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QFont font = painter.font();
  font.setPixelSize(15);
  painter.setFont(font);
  const QFontMetricsF metrics(font);

  // Grid, ticks and their labels.
  painter.setPen(QPen(QColor(225, 225, 225), 1));
  for (double y = yLow; y <= yHigh + yStep / 2; y += yStep) {
    painter.setPen(QPen(QColor(225, 225, 225), 1));
    painter.drawLine(QPointF(Area.left(), py(y)), QPointF(Area.right(), py(y)));
    painter.setPen(Qt::black);
    const QString label = Number(y, yStep);
    painter.drawText(QPointF(Area.left() - 8 - metrics.horizontalAdvance(label),
                             py(y) + metrics.ascent() / 2 - 1),
                     label);
  }
  for (double x = 0; x <= xHigh + xStep / 2; x += xStep) {
    painter.setPen(QPen(QColor(225, 225, 225), 1));
    painter.drawLine(QPointF(px(x), Area.top()), QPointF(px(x), Area.bottom()));
    painter.setPen(Qt::black);
    const QString label = Number(x, xStep);
    painter.drawText(
        QPointF(px(x) - metrics.horizontalAdvance(label) / 2, Area.bottom() + 8 + metrics.ascent()),
        label);
  }
  painter.setPen(QPen(Qt::black, 1.5));
  painter.drawRect(Area);

  // Axis titles and the figure's title.
  painter.drawText(QRectF(Area.left(), Area.bottom() + 34, Area.width(), 24), Qt::AlignCenter,
                   "step (picture number, 0 = reference)");
  painter.save();
  painter.translate(28, Area.center().y());
  painter.rotate(-90);
  painter.drawText(QRectF(-Area.height() / 2, -12, Area.height(), 24), Qt::AlignCenter,
                   "mean strain (x right, y up)");
  painter.restore();
  QFont titleFont = font;
  titleFont.setPixelSize(19);
  titleFont.setBold(true);
  painter.setFont(titleFont);
  painter.drawText(QRectF(0, 16, Width, 34), Qt::AlignCenter, "Mean strain against step");
  painter.setFont(font);

  // The curves: a line through consecutive good steps, a marker on each.
  for (const TCurve& curve : Curves) {
    painter.setPen(QPen(curve.Colour, 2.2));
    QPainterPath path;
    bool open = false;
    for (const TTrackStep& step : steps) {
      if (!step.Good()) {
        open = false;
        continue;
      }
      const QPointF point(px(step.Step), py(step.*curve.Value));
      if (open) {
        path.lineTo(point);
      } else {
        path.moveTo(point);
      }
      open = true;
    }
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.setBrush(curve.Colour);
    for (const TTrackStep& step : steps)
      if (step.Good()) painter.drawEllipse(QPointF(px(step.Step), py(step.*curve.Value)), 3, 3);
  }

  // Legend beside the plot area.
  double y = Area.top() + 10;
  for (const TCurve& curve : Curves) {
    painter.setPen(QPen(curve.Colour, 3));
    painter.drawLine(QPointF(Area.right() + 24, y), QPointF(Area.right() + 60, y));
    painter.setPen(Qt::black);
    painter.drawText(QPointF(Area.right() + 68, y + metrics.ascent() / 2 - 1), curve.Name);
    y += 28;
  }
  return image;
}
