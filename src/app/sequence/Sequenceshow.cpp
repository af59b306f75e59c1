// The sequence window: a step on the view, the charts, and the step's files.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <cmath>
#include <filesystem>

#include "app/Imageview.h"
#include "app/Main.h"
#include "app/Platform.h"
#include "app/Zoomview.h"
#include "app/match/Strainbar.h"
#include "app/match/Strainoverlay.h"
#include "app/sequence/Sequenceform.h"
#include "app/view/Chartview.h"
#include "app/view/Colourrange.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/Path.h"
#include "base/SaveGroup.h"
#include "image/Grayimage.h"
#include "strain/Plotpaint.h"
#include "strain/Straincsv.h"
#include "strain/Strainpairs.h"
#include "strain/Strainplot.h"
#include "track/Trackplot.h"
#include "track/Tracksequence.h"

namespace {

// The summary plot's colours, which stay apart for the common forms of colour blindness.
const QColor Blue(0, 114, 178), Orange(213, 94, 0), Green(0, 158, 115);

constexpr double None = std::numeric_limits<double>::quiet_NaN();

}  // namespace

TPlotQuantity TSequenceForm::Quantity() const {
  return static_cast<TPlotQuantity>(std::max(FieldComboBox->currentIndex(), 0));
}

void TSequenceForm::StepsChanged() {
  const int count = FSteps ? static_cast<int>(FSteps->Steps().size()) : 0;
  FShowing = true;
  StepSlider->setRange(0, std::max(count - 1, 0));
  FShowing = false;
  ShowSummaryChart();
}

void TSequenceForm::ShowStep(int32_t k) {
  if (FSteps == nullptr || k < 0 || k >= static_cast<int32_t>(FSteps->Steps().size())) return;
  if (StepSlider->value() != k) {
    FShowing = true;
    StepSlider->setValue(k);
    FShowing = false;
  }
  FStepShown = k;
  const size_t step = static_cast<size_t>(k);
  const TTrackStep& row = FSteps->Steps()[step];
  std::string text = "Step " + std::to_string(k) + " of " +
                     std::to_string(FSteps->Steps().size() - 1) + ": " + row.Picture;
  if (row.Good())
    text += ", " + std::to_string(row.Dots) + " dots, " + std::to_string(row.Pairs) + " pairs, " +
            std::to_string(row.Lost) + " lost";
  StepLabel->setText(QString::fromStdString(text));
  std::shared_ptr<const TStrainField> field;
  try {
    field = FSteps->Field(step);
  } catch (const TError& e) {
    // The view keeps the step shown before, and says so.
    SetNote(e.Message() + (FField ? "; the view still shows the step before" : ""));
    ShowSummaryChart();
    return;
  }
  std::string note;
  const std::string path = FSteps->PicturePath(step);
  std::unique_ptr<TGrayImage> picture;
  if (path.empty()) {
    note = "The picture " + row.Picture + " was not found: the map is drawn on a blank area";
  } else {
    try {
      picture = std::make_unique<TGrayImage>(path);
    } catch (const TError& e) {
      note = "The picture " + path + " cannot be read (" + e.Message() + ")";
    }
  }
  FOverlay->SetPicture(picture.get(), *field);
  FPicture = std::move(picture);
  FField = field;
  FOverlay->SetField(FField);
  FOverlay->SetVectors(VectorsCheckBox->isChecked());
  const std::string check = CheckAgainstSummary(step, *FField);
  if (!check.empty()) note += (note.empty() ? "" : "\n") + check;
  FStepNote = note;
  ShowQuantity();
  ShowSummaryChart();
  ShowDotCharts();
  if (!Attached()) Attach();
}

std::string TSequenceForm::CheckAgainstSummary(size_t k, const TStrainField& field) const {
  const TTrackStep& row = FSteps->Steps()[k];
  TTrackStep shown;
  SetStepMeans(shown, field, FSteps->Options().Neighbourhood);
  const double mean = shown.Exx;
  if (std::fabs(mean - row.Exx) <= 1e-6 * std::fabs(row.Exx) + 1e-12) return "";
  return Format(
      "The summary's mean exx of this step (%.6g) is not that of the field shown (%.6g): the "
      "run used another neighbourhood than %d, or its code files have changed",
      row.Exx, mean, FSteps->Options().Neighbourhood);
}

void TSequenceForm::ShowQuantity() {
  if (!FField) return;
  std::string note = FStepNote;
  bool mapped = false;
  try {
    FOverlay->SetQuantity(Quantity());
    FBar->SetScale(Quantity(), FOverlay->Scale(), UnitText(*FField, Quantity(), FOverlay->Scale()));
    RangeBox->ShowLimits(FOverlay->Scale().Low(), FOverlay->Scale().High());
    mapped = true;
  } catch (const TError& e) {
    note += (note.empty() ? "" : "\n") + e.Message();
  }
  FBar->SetArrows(
      VectorsCheckBox->isChecked() && FView ? FOverlay->ArrowMagnification(FView->Zoom()) : 0);
  SetNote(note);
  if (Attached()) FView->SetLegend(mapped ? FBar : nullptr);
  FMainForm.PaintBox()->update();
}

void TSequenceForm::SetNote(const std::string& note) {
  NoteLabel->setText(QString::fromStdString(note));
  NoteLabel->setVisible(!note.empty());
}

void TSequenceForm::FieldComboBoxChange() {
  ShowQuantity();
}

void TSequenceForm::RangeChange() {
  FOverlay->SetRange(RangeBox->Range());
  ShowQuantity();
}

void TSequenceForm::VectorsCheckBoxClick() {
  FOverlay->SetVectors(VectorsCheckBox->isChecked());
  ShowQuantity();
}

void TSequenceForm::ShowSummaryChart() {
  TCurveChart chart;
  chart.Title = "Mean strain against step";
  chart.XLabel = "step (0 = reference)";
  chart.YLabel = "mean strain";
  chart.WholeX = true;
  TCurveSeries exx{"exx", Blue, {}}, eyy{"eyy", Orange, {}}, exy{"exy", Green, {}};
  if (FSteps)
    for (const TTrackStep& step : FSteps->Steps()) {
      const bool good = step.Good();
      exx.Points.emplace_back(step.Step, good ? step.Exx : None);
      eyy.Points.emplace_back(step.Step, good ? step.Eyy : None);
      exy.Points.emplace_back(step.Step, good ? step.Exy : None);
    }
  chart.Series = {exx, eyy, exy};
  if (FStepShown >= 0) chart.MarkerX = FStepShown;
  SummaryChart->SetChart(std::move(chart));
}

void TSequenceForm::ShowDot(int32_t nx, int32_t ny) {
  if (FSteps == nullptr) throw TError("Open a sequence first");
  std::optional<TSequenceSteps::THistory> history;
  FMainForm.LongCommand(
      [&] { history = FSteps->History(nx, ny, [this] { return FMainForm.CancelRequested(); }); });
  FDot = std::move(history);
  ShowDotCharts();
}

void TSequenceForm::ShowDotCharts() {
  DisplacementChart->setVisible(FDot.has_value());
  StrainChart->setVisible(FDot.has_value());
  if (!FDot) return;
  const QString dot = QString("Dot (%1, %2)").arg(FDot->Nx).arg(FDot->Ny);
  const QString unit = FField ? QString::fromStdString(FField->FUnit) : "px";
  TCurveChart displacement, strain;
  displacement.Title = dot + ": displacement";
  displacement.YLabel = "displacement (" + unit + ")";
  strain.Title = dot + ": strain";
  strain.YLabel = "strain";
  for (TCurveChart* chart : {&displacement, &strain}) {
    chart->XLabel = "step";
    chart->WholeX = true;
    if (FStepShown >= 0) chart->MarkerX = FStepShown;
  }
  const QString names[] = {"dx", "dy", "exx", "eyy", "exy"};
  const QColor colours[] = {Blue, Orange, Blue, Orange, Green};
  for (size_t q = 0; q < 5; ++q) {
    TCurveSeries series{names[q], colours[q], {}};
    for (size_t k = 0; k < FDot->Values.size(); ++k)
      series.Points.emplace_back(static_cast<double>(k), FDot->Values[k][q]);
    (q < 2 ? displacement : strain).Series.push_back(std::move(series));
  }
  DisplacementChart->SetChart(std::move(displacement));
  StrainChart->SetChart(std::move(strain));
}

void TSequenceForm::ExportCsvButtonClick() {
  if (!FField || FStepShown < 0) throw TError("No step is shown");
  const auto chosen = FMainForm.Platform().SaveFile(
      "Save the step's strain to", 4, FMainForm.FWorkDir, Format("step-%04d", FStepShown), "csv");
  if (!chosen) return;
  const std::string path = FMainForm.FollowChoice(*chosen);
  WriteStrainCsv(path, *FField);
  FMainForm.Report("Strain of step " + std::to_string(FStepShown) + " (" +
                   std::to_string(FField->Points().size()) + " dots) written to " + path);
}

void TSequenceForm::SavePlotsButtonClick() {
  if (!FField || FStepShown < 0) throw TError("No step is shown");
  RequireStrain(*FField);
  auto folder = FMainForm.Platform().ChooseFolder("Select a folder for the step's plots");
  if (!folder) return;
  CheckPlotFolder(*folder);
  const std::filesystem::path into(*folder);
  FMainForm.LongCommand([&] {
    // The maps lie over the reference picture, where the field's positions are.
    std::unique_ptr<TGrayImage> reference;
    const std::string path = FSteps->PicturePath(0);
    if (!path.empty()) {
      try {
        reference = std::make_unique<TGrayImage>(path);
      } catch (const TError&) {
        // a blank area then
      }
    }
    TSaveGroup group;
    SavePlots(*folder, *FField, reference.get());
    SavePng(RenderTrackSummary(FSteps->Steps()), (into / "summary.png").string());
    if (FDot) {
      SavePng(RenderCurveChart(DisplacementChart->Chart(), 900, 560),
              (into / "dot-displacement.png").string());
      SavePng(RenderCurveChart(StrainChart->Chart(), 900, 560), (into / "dot-strain.png").string());
    }
    group.Commit();
  });
  FMainForm.Report("Plots of step " + std::to_string(FStepShown) +
                   " (exx.png, eyy.png, exy.png, e1.png, displacement.png), summary.png" +
                   (FDot ? ", dot-displacement.png and dot-strain.png" : "") + " written to " +
                   IncludeTrailingSlash(*folder));
}
