#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

// A chart of curves against one axis (a quantity against the step, a profile along a line),
// painted into any rectangle with any QPainter: a widget at its size, or an image to save.
struct TCurveSeries {
  QString Name;
  QColor Colour;
  // Points in order of x; a point whose y is not finite leaves a gap in the line.
  std::vector<QPointF> Points;
  bool Markers = true;  // a dot on each point
};

struct TCurveChart {
  QString Title;
  QString XLabel;
  QString YLabel;
  std::vector<TCurveSeries> Series;
  std::optional<double> MarkerX;  // a vertical line at this x (the step shown)
  bool WholeX = false;            // x ticks at whole numbers only
};

// Where a painted chart's plot area lies and the values its edges stand for.
struct TChartFrame {
  QRectF Area;
  double XLow = 0, XHigh = 1, YLow = 0, YHigh = 1;
  // The x value under a horizontal position (not clamped).
  double XAt(double px) const { return XLow + (px - Area.left()) / Area.width() * (XHigh - XLow); }
};

// The title on top, the series' names in a row under it, the axes with nice ticks and a light
// grid, the curves and the marker line. Without any finite point the area says so.
TChartFrame PaintCurveChart(QPainter& painter, const QRectF& rect, const TCurveChart& chart);
// The chart on a white image of that size; needs a GUI application for the text (made when
// missing).
QImage RenderCurveChart(const TCurveChart& chart, int width, int height);
