#include "app/view/Imageview.h"

#include "app/view/Paintbox.h"

TImageView::TImageView(QWidget* parent) : QFrame(parent), FPaintBox(new TPaintBox(this)) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  FPaintBox->move(Border, Border);
}

void TImageView::SetImageSize(int32_t width, int32_t height) {
  FPaintBox->ResizeSurface(width, height);
  setFixedSize(width + 2 * Border, height + 2 * Border);
}
