#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

// The "Remove Noise" dialog: the filter type and the median window chosen on a slider.
class TFilterForm : public QDialog {
  Q_OBJECT
 public:
  explicit TFilterForm(QWidget* parent = nullptr);

  // The entry whose text the list shows, -1 when the user typed something else.
  int FilterType() const;
  // The slider position (0 .. 10).
  int WindowSize() const;

  QLabel* Label1;
  QComboBox* FilterTypeComboBox;
  QSlider* MedianFilterTrackBar;
  QLabel* TrackBarValueLabel;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
};
