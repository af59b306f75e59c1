#pragma once

#include <QWidget>
#include <functional>

#include "strain/Curvechart.h"

// A chart of curves in a window (the sequence's mean strains, a dot's history, a line
// profile): drawn at the widget's size, a click reports the x value under it.
class TChartView : public QWidget {
  Q_OBJECT
 public:
  explicit TChartView(QWidget* parent = nullptr);

  void SetChart(TCurveChart chart);
  const TCurveChart& Chart() const { return FChart; }
  // The x value of the plot area under a point of the widget, as last painted.
  double XAt(QPoint point) const { return FFrame.XAt(point.x()); }
  std::function<void(double x)> OnClick;

  QSize sizeHint() const override { return QSize(420, 220); }
  QSize minimumSizeHint() const override { return QSize(240, 150); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  TCurveChart FChart;
  TChartFrame FFrame;
};
