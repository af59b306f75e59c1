#pragma once

#include <QWidget>
#include <cstdint>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TShell;

// The modeless tool window of the Segment menu: the window size and adjustment of multi-area
// segmentation, and a rectangle that Modify fills with the background value to erase specks.
// It keeps nothing but the texts of its fields; they become numbers only when used.
class TSegmentParameterForm : public QWidget {
  Q_OBJECT
 public:
  explicit TSegmentParameterForm(TShell& mainForm);

  // New Segment: the default window size and the largest one the job accepts, half the
  // smaller side; the default is width div 4 unless that exceeds the bound.
  void SetImageSize(int32_t width, int32_t height);
  // A drag on the image view: the top-left corner and the corner differences.
  void SetRectangle(int32_t x, int32_t y, int32_t dx, int32_t dy);
  void ModifySegmentButtonClick();

  // The multi-area settings, each parsed from its field when asked for.
  int32_t WindowSize() const;
  int32_t Adjust() const;

  QGroupBox* GroupBox1;
  QLabel* Label9;
  QLineEdit* SegmentWinSizeEdit;
  QLabel* WinSizeLessThanLabel;
  QLabel* Label10;
  QLineEdit* AdjustThresholdEdit;
  QGroupBox* GroupBox2;
  QLabel* Label1;
  QLineEdit* XEdit;
  QLabel* Label2;
  QLineEdit* YEdit;
  QLabel* Label31;
  QLineEdit* DxEdit;
  QLabel* Label32;
  QLineEdit* DyEdit;
  QPushButton* ModifySegmentButton;
  QPushButton* CloseButton;

 private:
  TShell& FMainForm;
};
