#pragma once

#include <QDockWidget>
#include <vector>

#include "strain/Curvechart.h"
#include "strain/Lineprofile.h"

class QPushButton;
class TChartView;
class TPlatform;
class TMainForm;

// "Line Profile": the chart of the values along the line drawn on the view, saved as a picture
// or as a CSV file (distance, value). Docked under the view, so that it covers neither the
// picture nor another window.
class TProfileForm : public QDockWidget {
  Q_OBJECT
 public:
  explicit TProfileForm(TMainForm& form);

  void SetProfile(const TCurveChart& chart, std::vector<TProfilePoint> points, QString valueName);
  const std::vector<TProfilePoint>& Points() const { return FPoints; }

  void SavePlotButtonClick();
  void SaveCsvButtonClick();

  TChartView* ProfileChart;
  QPushButton* SavePlotButton;
  QPushButton* SaveCsvButton;
  QPushButton* CloseButton;

 private:
  TMainForm& FForm;
  std::vector<TProfilePoint> FPoints;
  QString FValueName;
};
