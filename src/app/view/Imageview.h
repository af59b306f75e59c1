#pragma once

#include <QFrame>
#include <cstdint>

#include "app/view/Paintbox.h"

// A sunken frame with a paint box 4 pixels inside it: the image view of the main window and the
// histogram area of the simple segment dialog.
class TImageView : public QFrame {
  Q_OBJECT
 public:
  static constexpr int32_t Border = 4;

  explicit TImageView(QWidget* parent = nullptr);
  TPaintBox* PaintBox() const { return FPaintBox; }
  // Frame of (w + 8) x (h + 8) with the paint box of w x h at (4, 4).
  void SetImageSize(int32_t width, int32_t height);

 private:
  TPaintBox* FPaintBox;
};
