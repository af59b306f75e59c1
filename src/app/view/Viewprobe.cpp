#include "app/view/Viewprobe.h"

#include <QEvent>
#include <QMouseEvent>
#include <QStatusBar>
#include <cmath>

#include "app/Boxoverlay.h"
#include "app/Imageview.h"
#include "app/Main.h"
#include "app/Zoomview.h"
#include "encode/Encode.h"
#include "image/Grayimage.h"
#include "segment/Segment.h"

const TGrayImage* PictureShown(const TMainForm& form) {
  if (const TBoxOverlay* overlay = form.PaintBox()->Overlay()) return overlay->GrayPicture();
  if (form.FEncoder) return &form.FEncoder->Image();
  if (form.FSegmenter) return &form.FSegmenter->Image();
  return form.FDisplayImage.get();
}

TViewProbe::TViewProbe(TMainForm& form) : QLabel(&form), FForm(form) {
  setObjectName("ProbeLabel");
  setTextFormat(Qt::PlainText);
  setMinimumWidth(fontMetrics().horizontalAdvance("(00000, 00000)  gray 000  zoom 3200%") + 8);
  form.statusBar()->addPermanentWidget(this);
  form.PaintBox()->installEventFilter(this);
  setText(QString::fromStdString(ZoomText()));
  connect(form.ImageView(), &TZoomView::ZoomChanged, this,
          [this] { setText(QString::fromStdString(ZoomText())); });
}

std::string TViewProbe::ZoomText() const {
  const double percent = FForm.ImageView()->Zoom() * 100;
  const int decimals = percent < 10 ? 1 : 0;
  char text[32];
  std::snprintf(text, sizeof text, "zoom %.*f%%", decimals, percent);
  return text;
}

std::string TViewProbe::TextAt(int32_t x, int32_t y) const {
  const QSize size = FForm.PaintBox()->PictureSize();
  if (x < 0 || y < 0 || x >= size.width() || y >= size.height()) return ZoomText();
  std::string text = "(";
  text.append(std::to_string(x)).append(", ").append(std::to_string(y)).append(")");
  const TGrayImage* picture = PictureShown(FForm);
  if (picture != nullptr && x < picture->Width() && y < picture->Height())
    text.append("  gray ").append(std::to_string(picture->Row(y)[x]));
  return text.append("  ").append(ZoomText());
}

bool TViewProbe::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove) {
    const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
    const QPoint pixel = FForm.PaintBox()->ToPicture(at);
    setText(QString::fromStdString(TextAt(pixel.x(), pixel.y())));
  } else if (event->type() == QEvent::Leave) {
    setText(QString::fromStdString(ZoomText()));
  }
  return QLabel::eventFilter(watched, event);
}
