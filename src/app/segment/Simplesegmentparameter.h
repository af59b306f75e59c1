#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

#include "segment/Histogramplot.h"

class QLabel;
class QLineEdit;
class QPushButton;
class TImageView;

// The threshold dialog of simple segmentation: the histogram of the picture, where a click
// picks the gray level under the mouse, and the threshold field.
class TSimpleSegmentParameterForm : public QDialog {
  Q_OBJECT
 public:
  explicit TSimpleSegmentParameterForm(QWidget* parent = nullptr);

  // Copies the counts, finds the largest and draws the histogram with the marker at 128.
  void SetHistogram(const std::array<int32_t, 256>& counts);
  void HistogramImageMouseMove(int32_t x, int32_t y);
  // Moves the marker to the gray level of the last mouse position and puts it in the field.
  void HistogramImageClick();
  // The threshold, parsed from its field when asked for.
  int32_t Threshold() const;

  const THistogramPlot& Plot() const { return FPlot; }

  TImageView* HistogramImage;
  QLabel* Label1;
  QLineEdit* SimpleSegmentThresholdEdit;
  QPushButton* BitBtn2;
  QPushButton* BitBtn1;

 private:
  // Counts, maximum, mouse and marker positions, and the drawing rules of the histogram.
  THistogramPlot FPlot;
};
