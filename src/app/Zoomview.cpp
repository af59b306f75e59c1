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

TZoomView::TZoomView(QWidget* parent)
    : QScrollArea(parent), FCanvas(new QWidget), FPaintBox(new TPaintBox(FCanvas)) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setWidgetResizable(false);
  FCanvas->setObjectName("ImageCanvas");
  setWidget(FCanvas);
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
    const double old = Zoom();
    FPaintBox->SetZoom(1.0);
    FFitting = false;
    PlaceBox(Centred());
    if (old != 1.0) emit ZoomChanged(1.0);
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
  const double old = Zoom(), zoom = FitZoom();
  FPaintBox->SetZoom(zoom);
  PlaceBox(Centred());
  FFitting = true;
  if (zoom != old) emit ZoomChanged(zoom);
}

QPoint TZoomView::BoxTopLeft() const {
  return FPaintBox->mapTo(viewport(), QPoint(0, 0));
}

QPoint TZoomView::Centred() const {
  const QSize room = viewport()->size(), box = FPaintBox->size();
  return QPoint((room.width() - box.width()) / 2, (room.height() - box.height()) / 2);
}

void TZoomView::PlaceBox(QPoint topLeft) {
  const QSize room = viewport()->size(), box = FPaintBox->size();
  // Per direction: a box narrower than the viewport moves on the canvas, a wider one scrolls.
  auto place = [](int at, int boxSize, int roomSize, int& offset, int& scroll) {
    offset = scroll = 0;
    if (boxSize <= roomSize)
      offset = std::clamp(at, 0, roomSize - boxSize);
    else
      scroll = std::clamp(-at, 0, boxSize - roomSize);
  };
  int x = 0, y = 0, sx = 0, sy = 0;
  place(topLeft.x(), box.width(), room.width(), x, sx);
  place(topLeft.y(), box.height(), room.height(), y, sy);
  FCanvas->resize(std::max(box.width(), room.width()), std::max(box.height(), room.height()));
  FPaintBox->move(x, y);
  horizontalScrollBar()->setRange(0, std::max(FCanvas->width() - room.width(), 0));
  verticalScrollBar()->setRange(0, std::max(FCanvas->height() - room.height(), 0));
  horizontalScrollBar()->setValue(sx);
  verticalScrollBar()->setValue(sy);
}

void TZoomView::ActualSize() {
  ZoomAt(1.0, viewport()->rect().center());
}

void TZoomView::resizeEvent(QResizeEvent* event) {
  // The box stays where it is on the screen, as far as the new room allows.
  const QPoint at = BoxTopLeft();
  QScrollArea::resizeEvent(event);
  if (FFitting)
    FitToWindow();
  else
    PlaceBox(at);
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
  // The point goes back under the viewport point.
  PlaceBox(QPoint(static_cast<int>(std::lround(viewportPoint.x() - px * zoom)),
                  static_cast<int>(std::lround(viewportPoint.y() - py * zoom))));
  if (zoom != old) emit ZoomChanged(zoom);
}

void TZoomView::wheelEvent(QWheelEvent* event) {
  if (event->modifiers() & Qt::ControlModifier) {
    const int delta = event->angleDelta().y();
    if (delta != 0) {
      // The event comes from the viewport (or the box), in the viewport's coordinates.
      const QPoint at = viewport()->mapFromGlobal(event->globalPosition().toPoint());
      ZoomAt(NextStep(delta > 0), at);
    }
    event->accept();
    return;
  }
  QScrollArea::wheelEvent(event);
}

bool TZoomView::eventFilter(QObject* watched, QEvent* event) {
  // A box that changed size by itself (a new picture or overlay) keeps its place.
  if (watched == FPaintBox && event->type() == QEvent::Resize) PlaceBox(BoxTopLeft());
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
