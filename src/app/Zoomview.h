#pragma once

#include <QPoint>
#include <QPointer>
#include <QScrollArea>
#include <cstdint>

class TBoxOverlay;
class TPaintBox;

// The image view of the main window: the paint box in a scroll area, zoomed to fit the window
// or by steps, panned with the scroll bars, the wheel and a middle-button drag. Everything the
// box reports is in picture pixels, whatever the zoom. The box lies on a canvas at least as large
// as the viewport, so that a zoom about a point keeps that point where it is even where the
// picture is narrower than the window; Fit and a new picture centre it.
class TZoomView : public QScrollArea {
  Q_OBJECT
 public:
  explicit TZoomView(QWidget* parent = nullptr);

  TPaintBox* PaintBox() const { return FPaintBox; }
  // A new picture size: the whole picture fits the window when it is larger, else 1:1.
  void ShowPicture(int32_t width, int32_t height);

  double Zoom() const;
  // The zoom at which the whole picture fits the window.
  double FitZoom() const;
  // Fits the picture and keeps it fitted while the window changes size, until another zoom.
  void FitToWindow();
  bool Fitting() const { return FFitting; }
  void ActualSize();
  void ZoomIn();
  void ZoomOut();
  // Zooms keeping the picture point under a point of the viewport where it is.
  void ZoomAt(double zoom, QPoint viewportPoint);

  // Shows an overlay in the box (nullptr: the box's own picture again). When that changes the
  // picture's size, or the picture was fitted, the new one is fitted to the window.
  void SetOverlay(TBoxOverlay* overlay);
  // A widget kept at the right edge of the window, over the picture but clear of its centre
  // (a colour bar); nullptr hides the one shown. The view places it, it stays the caller's.
  void SetLegend(QWidget* legend);
  QWidget* Legend() const { return FLegend; }

  static constexpr double MinZoom = 1.0 / 64;
  static constexpr double MaxZoom = 32;

 signals:
  void ZoomChanged(double zoom);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  double NextStep(bool in) const;
  void PlaceLegend();
  // Puts the box's top-left corner at a point of the viewport, as near as the picture allows
  // without leaving an empty strip where it could show more of itself; the scroll bars follow.
  void PlaceBox(QPoint topLeft);
  QPoint BoxTopLeft() const;
  QPoint Centred() const;

  QWidget* FCanvas;
  TPaintBox* FPaintBox;
  bool FFitting = false;  // the picture is kept fitted to the window when the window changes
  bool FPanning = false;
  QPoint FPanFrom;
  QPointer<QWidget> FLegend;
};
