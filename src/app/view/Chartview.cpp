#include "app/view/Chartview.h"

#include <QMouseEvent>
#include <QPainter>

TChartView::TChartView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TChartView::SetChart(TCurveChart chart) {
  FChart = std::move(chart);
  update();
}

void TChartView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  FFrame = PaintCurveChart(painter, QRectF(rect()), FChart);
}

void TChartView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && OnClick &&
      FFrame.Area.adjusted(-6, -6, 6, 6).contains(event->position()))
    OnClick(XAt(event->position().toPoint()));
}
