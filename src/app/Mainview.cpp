// Mouse interaction on the image view: the position in the status bar, the rubber band whose
// size feeds the tool dialogs, picking the dots of an encoding job, and where the picture is on
// the screen.
#include <QStatusBar>
#include <algorithm>
#include <cstdlib>

#include "app/Boxoverlay.h"
#include "app/Imageview.h"
#include "app/Main.h"
#include "app/Zoomview.h"
#include "app/encode/Encodeparameter.h"
#include "app/match/Computescale.h"
#include "app/segment/Segmentparameter.h"
#include "base/Convert.h"
#include "encode/Encode.h"

void TMainForm::ShowRubberBand(bool shown, int32_t x, int32_t y) {
  // The band covers both corners. It is drawn over the picture at screen resolution, so it
  // shows at every zoom and never touches the picture.
  if (!shown) {
    PaintBox()->SetBand(std::nullopt);
    return;
  }
  PaintBox()->SetBand(QRect(QPoint(std::min(FAnchorX, x), std::min(FAnchorY, y)),
                            QPoint(std::max(FAnchorX, x), std::max(FAnchorY, y))));
}

bool TMainForm::StrainShown() const {
  // The dots of the encoding job are not what the view shows then: nothing is picked.
  return PaintBox()->Overlay() != nullptr;
}

void TMainForm::PaintBoxMouseDown(int32_t x, int32_t y) {
  // A second button pressed during a drag starts a new one; the old band must not stay behind.
  if (FDragging && FBandShown) ShowRubberBand(false, FCurrentX, FCurrentY);
  FBandShown = false;
  FDragging = true;
  FCurrentX = FAnchorX = x;
  FCurrentY = FAnchorY = y;
}

void TMainForm::PaintBoxMouseMove(int32_t x, int32_t y) {
  std::string text = "Current(" + IntToStr(x) + ", " + IntToStr(y) + ")";
  if (FDragging) {
    if (FBandShown) ShowRubberBand(false, FCurrentX, FCurrentY);
    FBandShown = false;
    // The size of the band as it stood before this movement.
    text += "Width: " + IntToStr(std::abs(FAnchorX - FCurrentX) + 1) +
            " Height: " + IntToStr(std::abs(FAnchorY - FCurrentY) + 1);
  }
  FCurrentX = std::clamp(x, 0, std::max(FViewWidth - 1, 0));
  FCurrentY = std::clamp(y, 0, std::max(FViewHeight - 1, 0));
  if (FPickEnabled && FEncodeParameterForm->ViewMode() != 1 && FEncoder && !StrainShown())
    PickAt(FCurrentX, FCurrentY);
  if (FDragging) {
    ShowRubberBand(true, FCurrentX, FCurrentY);
    FBandShown = true;
  }
  // Over the strain map, what it shows at the nearest dot.
  if (StrainShown()) text += PaintBox()->Overlay()->ValueAt(x, y);
  statusBar()->showMessage(QString::fromStdString(text));
}

void TMainForm::PaintBoxMouseUp(int32_t x, int32_t y) {
  if (!FDragging) return;
  FDragging = false;
  FEndX = std::clamp(x, 0, std::max(FViewWidth - 1, 0));
  FEndY = std::clamp(y, 0, std::max(FViewHeight - 1, 0));
  if (FBandShown) ShowRubberBand(false, FCurrentX, FCurrentY);
  FBandShown = false;
  // Corner differences, one less than the band's size: a drag from one dot centre to the next
  // gives the grid pitch.
  const int32_t dx = std::abs(FEndX - FAnchorX);
  const int32_t dy = std::abs(FEndY - FAnchorY);
  FEncodeParameterForm->SetDxDy(dx, dy);
  if (FSegmentParameterForm->isVisible())
    FSegmentParameterForm->SetRectangle(std::min(FAnchorX, FEndX), std::min(FAnchorY, FEndY), dx,
                                        dy);
  if (FComputeScaleForm->isVisible())
    FComputeScaleForm->SetImageLength(FAnchorX, FAnchorY, FEndX, FEndY);
}

void TMainForm::PaintBoxClick() {
  if (FPickEnabled && FEncodeParameterForm->ViewMode() == 1 && FEncoder && !StrainShown())
    PickAt(FCurrentX, FCurrentY);
}

void TMainForm::PickAt(int32_t x, int32_t y) {
  FEncoder->PickDot(x, y, &ViewSurface());
  PaintBox()->update();
  // Also when the pick hit the dot already selected: the dialog shows it again and the active
  // slot takes it.
  const int32_t selected = FEncoder->Selected();
  if (selected < 0) return;
  FEncodeParameterForm->ShowDot(selected);
}

QRect TMainForm::PictureOnScreen() const {
  const QWidget* viewport = FImageView->viewport();
  const QRect shown = QRect(PaintBox()->mapTo(viewport, QPoint(0, 0)), PaintBox()->size())
                          .intersected(viewport->rect());
  return QRect(viewport->mapToGlobal(shown.topLeft()), shown.size());
}

QRect TMainForm::ControlsOnScreen() const {
  return QRect(mapToGlobal(QPoint(0, 0)), QSize(width(), centralWidget()->y()));
}
