#pragma once

#include <QWidget>

#include "strain/Plotscale.h"

class QComboBox;
class QDoubleSpinBox;
class QLineEdit;

// How a strain map's colours span its values, chosen in a row of a result window: the whole
// range, percentiles of the values, symmetric about 0 from those percentiles, or typed limits.
class TColourRangeBox : public QWidget {
  Q_OBJECT
 public:
  explicit TColourRangeBox(QWidget* parent = nullptr);

  // The choice, typed; limits that are not numbers raise the conversion message.
  TColourRange Range() const;
  // The range of the map shown, as the limits to start from, unless limits are chosen.
  void ShowLimits(double low, double high);

  QComboBox* RangeComboBox;  // whole, percentiles, symmetric, limits: the order of TRangeMode
  QDoubleSpinBox* PercentSpinBox;
  QLineEdit* LowEdit;
  QLineEdit* HighEdit;

 signals:
  // A new mode, share or limit (a limit when its field is left or Return pressed).
  void Changed();

 private:
  void ShowFields();
};
