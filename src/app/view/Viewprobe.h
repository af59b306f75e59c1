#pragma once

#include <QLabel>
#include <cstdint>
#include <string>

class TGrayImage;
class TMainForm;

// The gray picture the view shows (the encoding job's, else the segmentation job's, else the
// viewed picture, or the one under a map); null when there is none.
const TGrayImage* PictureShown(const TMainForm& form);

// The probe at the right of the status bar: the picture pixel under the mouse, its gray value
// (in the picture as read, not as marked) and the zoom. (What a map shows there follows the
// position text on the left.)
class TViewProbe : public QLabel {
  Q_OBJECT
 public:
  explicit TViewProbe(TMainForm& form);

  // The text for the mouse over picture pixel (x, y); only the zoom when outside the picture.
  std::string TextAt(int32_t x, int32_t y) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::string ZoomText() const;

  TMainForm& FForm;
};
