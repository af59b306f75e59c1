#include "app/Zoomview.h"

#include <QMouseEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>

#include "app/Imageview.h"

namespace {

// Zoom steps: powers of two with one step between each pair, so that 1:1 and the halvings are
// always reachable.
constexpr std::array<double, 23> Steps{1.0 / 64, 1.0 / 48, 1.0 / 32, 1.0 / 24, 1.0 / 16, 1.0 / 12,
                                       1.0 / 8,  1.0 / 6,  1.0 / 4,  1.0 / 3,  1.0 / 2,  2.0 / 3,
                                       1,        1.5,      2,        3,        4,        6,
                                       8,        12,       16,       24,       32};

}  // namespace

TZoomView::TZoomView(QWidget* parent) : QScrollArea(parent), FPaintBox(new TPaintBox) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  setAlignment(Qt::AlignCenter);
  setWidgetResizable(false);
  setWidget(FPaintBox);
  FPaintBox->installEventFilter(this);
  FPaintBox->Surface().SetLabelsApart(true);
}

double TZoomView::Zoom() const {
  return FPaintBox->Zoom();
}

void TZoomView::ShowPicture(int32_t width, int32_t height) {
  FPaintBox->ResizeSurface(width, height);
  const QSize room = maximumViewportSize();
  if (width > room.width() || height > room.height()) {
    FitToWindow();
  } else {
    ZoomAt(1.0, QPoint(0, 0));
    FFitting = false;
  }
}

double TZoomView::FitZoom() const {
  const QSize s = FPaintBox->PictureSize();
  if (s.width() <= 0 || s.height() <= 0) return 1.0;
  const QSize room = maximumViewportSize();
  // One pixel less than the room, so that rounding up never brings the scroll bars back.
  const double zoom = std::min((room.width() - 1) / static_cast<double>(s.width()),
                               (room.height() - 1) / static_cast<double>(s.height()));
  return std::clamp(zoom, MinZoom, MaxZoom);
}

void TZoomView::FitToWindow() {
  ZoomAt(FitZoom(), viewport()->rect().center());
  FFitting = true;
}

void TZoomView::ActualSize() {
  ZoomAt(1.0, viewport()->rect().center());
}

void TZoomView::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  if (FFitting) FitToWindow();
  PlaceLegend();
}

void TZoomView::SetOverlay(TBoxOverlay* overlay) {
  const QSize before = FPaintBox->PictureSize();
  FPaintBox->SetOverlay(overlay);
  if (FFitting || FPaintBox->PictureSize() != before) FitToWindow();
}

void TZoomView::SetLegend(QWidget* legend) {
  if (FLegend != nullptr && FLegend != legend) FLegend->hide();
  FLegend = legend;
  if (legend == nullptr) return;
  // A child of the scroll area, not of the viewport: scrolling moves the picture, not the bar.
  if (legend->parentWidget() != this) legend->setParent(this);
  PlaceLegend();
  legend->show();
  legend->raise();
}

void TZoomView::PlaceLegend() {
  if (FLegend == nullptr) return;
  const QRect room = viewport()->geometry();
  constexpr int margin = 8;
  const QSize hint = FLegend->sizeHint();
  const int width = std::min(hint.width(), std::max(room.width() - 2 * margin, 1));
  const int height = std::min(hint.height(), std::max(room.height() - 2 * margin, 1));
  FLegend->setGeometry(room.right() + 1 - margin - width, room.top() + (room.height() - height) / 2,
                       width, height);
}

double TZoomView::NextStep(bool in) const {
  const double zoom = Zoom();
  if (in) {
    for (double step : Steps)
      if (step > zoom * 1.001) return step;
    return MaxZoom;
  }
  for (auto it = Steps.rbegin(); it != Steps.rend(); ++it)
    if (*it < zoom / 1.001) return *it;
  return MinZoom;
}

void TZoomView::ZoomIn() {
  ZoomAt(NextStep(true), viewport()->rect().center());
}

void TZoomView::ZoomOut() {
  ZoomAt(NextStep(false), viewport()->rect().center());
}

void TZoomView::ZoomAt(double zoom, QPoint viewportPoint) {
  zoom = std::clamp(zoom, MinZoom, MaxZoom);
  FFitting = false;
  const double old = Zoom();
  // The picture point under the viewport point, in picture pixels (fractional).
  const QPoint boxPoint = FPaintBox->mapFrom(viewport(), viewportPoint);
  const double px = boxPoint.x() / old, py = boxPoint.y() / old;
  FPaintBox->SetZoom(zoom);
  // The scroll bars learn the new size from the box's resize; then the point goes back under
  // the viewport point.
  horizontalScrollBar()->setRange(0, std::max(FPaintBox->width() - viewport()->width(), 0));
  verticalScrollBar()->setRange(0, std::max(FPaintBox->height() - viewport()->height(), 0));
  horizontalScrollBar()->setValue(static_cast<int>(std::lround(px * zoom - viewportPoint.x())));
  verticalScrollBar()->setValue(static_cast<int>(std::lround(py * zoom - viewportPoint.y())));
  if (zoom != old) emit ZoomChanged(zoom);
}

void TZoomView::wheelEvent(QWheelEvent* event) {
  if (event->modifiers() & Qt::ControlModifier) {
    const int delta = event->angleDelta().y();
    if (delta != 0) {
      const QPoint at = viewport()->mapFrom(this, event->position().toPoint());
      ZoomAt(NextStep(delta > 0), at);
    }
    event->accept();
    return;
  }
  QScrollArea::wheelEvent(event);
}

bool TZoomView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FPaintBox) {
    // The middle button pans; the box never sees it, so it starts no rubber band.
    auto* mouse = dynamic_cast<QMouseEvent*>(event);
    if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::MiddleButton) {
      FPanning = true;
      FPanFrom = mouse->globalPosition().toPoint();
      FPaintBox->setCursor(Qt::ClosedHandCursor);
      return true;
    }
    if (event->type() == QEvent::MouseMove && FPanning) {
      const QPoint now = mouse->globalPosition().toPoint();
      const QPoint delta = now - FPanFrom;
      FPanFrom = now;
      horizontalScrollBar()->setValue(horizontalScrollBar()->value() - delta.x());
      verticalScrollBar()->setValue(verticalScrollBar()->value() - delta.y());
      return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::MiddleButton) {
      FPanning = false;
      FPaintBox->unsetCursor();
      return true;
    }
  }
  return QScrollArea::eventFilter(watched, event);
}
