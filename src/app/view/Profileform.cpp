#include "app/view/Profileform.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Main.h"
#include "app/Platform.h"
#include "app/view/Chartview.h"
#include "base/AtomicFile.h"
#include "base/Error.h"
#include "strain/Straincsv.h"
#include "strain/Strainplot.h"

TProfileForm::TProfileForm(TMainForm& form) : QDockWidget("Line Profile", &form), FForm(form) {
  setObjectName("ProfileForm");
  setAllowedAreas(Qt::BottomDockWidgetArea | Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  auto* body = new QWidget(this);
  ProfileChart = new TChartView(body);
  ProfileChart->setObjectName("ProfileChart");
  ProfileChart->setMinimumSize(360, 200);
  SavePlotButton = new QPushButton("Save Plot...", body);
  SavePlotButton->setObjectName("SavePlotButton");
  SaveCsvButton = new QPushButton("Save CSV...", body);
  SaveCsvButton->setObjectName("SaveCsvButton");
  CloseButton = new QPushButton("Close", body);
  CloseButton->setObjectName("CloseButton");
  for (QPushButton* button : {SavePlotButton, SaveCsvButton, CloseButton})
    button->setAutoDefault(false);
  // The buttons beside the chart: the dock takes little of the view's height.
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(SavePlotButton);
  buttons->addWidget(SaveCsvButton);
  buttons->addStretch(1);
  buttons->addWidget(CloseButton);
  auto* layout = new QHBoxLayout(body);
  layout->addWidget(ProfileChart, 1);
  layout->addLayout(buttons);
  setWidget(body);
  connect(SavePlotButton, &QPushButton::clicked, this,
          [this] { FForm.RunCommand([this] { SavePlotButtonClick(); }); });
  connect(SaveCsvButton, &QPushButton::clicked, this,
          [this] { FForm.RunCommand([this] { SaveCsvButtonClick(); }); });
  connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
}

void TProfileForm::SetProfile(const TCurveChart& chart, std::vector<TProfilePoint> points,
                              QString valueName) {
  ProfileChart->SetChart(chart);
  FPoints = std::move(points);
  FValueName = std::move(valueName);
}

void TProfileForm::SavePlotButtonClick() {
  const auto chosen =
      FForm.Platform().SaveFile("Save the profile plot to", 4, FForm.FWorkDir, "Profile0", "png");
  if (!chosen) return;
  const std::string path = FForm.FollowChoice(*chosen);
  SavePng(RenderCurveChart(ProfileChart->Chart(), 900, 520), path);
  FForm.Report("Profile plot written to " + path);
}

void TProfileForm::SaveCsvButtonClick() {
  const auto chosen =
      FForm.Platform().SaveFile("Save the profile to", 4, FForm.FWorkDir, "Profile0", "csv");
  if (!chosen) return;
  const std::string path = FForm.FollowChoice(*chosen);
  std::string text = "distance," + FValueName.toStdString() + "\n";
  for (const TProfilePoint& point : FPoints) {
    AppendCsvFixed(text, point.Distance, 3);
    text += ',';
    AppendGeneral(text, point.Value, 8);
    text += '\n';
  }
  TAtomicFile file(path);
  file.OpenOrRaise();
  file.Write(text);
  file.Commit();
  FForm.Report(std::to_string(FPoints.size()) + " profile points written to " + path);
}
