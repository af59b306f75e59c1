#pragma once

#include <QWidget>
#include <cstdint>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TShell;

// "Compute Scale": the two scale factors (physical units per pixel) of the main window, computed
// from a length measured in the image and the same length in the physical unit, or typed in.
// A modeless tool window: the image view's drags fill the image length of the selected axis.
class TComputeScaleForm : public QWidget {
  Q_OBJECT
 public:
  explicit TComputeScaleForm(TShell& mainForm);

  // A line dragged on the image view from (x1, y1) to (x2, y2), the end already clamped.
  void SetImageLength(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void SetScaleCheckBoxClick();
  void ApplyScaleButtonClick();

  // The dialog's own copy of the factors, refreshed from the main window when it is shown.
  float FScaleX = 1.0f;
  float FScaleY = 1.0f;

  QGroupBox* ComputeScaleGroupBox;
  QButtonGroup* ScaleXYRadioGroup;  // ids 0 "X" and 1 "Y"
  QRadioButton* ScaleXRadioButton;
  QRadioButton* ScaleYRadioButton;
  QLineEdit* ImageScaleXEdit;
  QLineEdit* ActualScaleXEdit;
  QLineEdit* ImageScaleYEdit;
  QLineEdit* ActualScaleYEdit;
  QCheckBox* SetScaleCheckBox;
  QGroupBox* SetScaleGroupBox;
  QLineEdit* ScaleXEdit;
  QLineEdit* ScaleYEdit;
  QPushButton* ApplyScaleButton;
  QPushButton* CloseButton;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowFactors();

  TShell& FMainForm;
};
