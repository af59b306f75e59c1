#pragma once

#include <QDockWidget>
#include <QPoint>
#include <QPointer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/sequence/Sequencesteps.h"
#include "strain/Plotquantity.h"
#include "track/Trackoptions.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;
class TChartView;
class TColourRangeBox;
class TGrayImage;
class TMainForm;
class TSequenceRun;
class TStrainBar;
class TStrainOverlay;
class TZoomView;

// "Sequence": a whole test in the main window. It tracks a sequence of pictures with the core's
// tracking on a thread of its own (progress bar, Cancel after the step in hand, the window usable
// meanwhile; the files are those of the track command), or opens the results folder of an
// earlier run. A step slider (and Page Up / Page Down) shows each step's picture in the view with
// its strain map drawn where the dots have moved to; a chart of the summary's mean strains
// against the step (a click there chooses the step); a click on a dot in the view charts its
// displacement and strain against the step. Docked beside the view; while it is open the view
// shows the step, closed the view shows its own picture again.
class TSequenceForm : public QDockWidget {
  Q_OBJECT
 public:
  explicit TSequenceForm(TMainForm& mainForm);
  ~TSequenceForm() override;

  // Starts tracking into outDir; raises TError while a run is going on.
  void StartRun(std::vector<std::string> pictures, const std::string& outDir,
                const TTrackOptions& options);
  // Shows the results folder of a finished run (its summary.csv); the pictures are looked for
  // beside the folder and in it, else in a folder the user chooses.
  void OpenResults(const std::string& outDir);
  bool Running() const;
  TSequenceRun* Run() const { return FRun; }

  // Shows step k (a failed one only says why); -1 before any step is shown.
  void ShowStep(int32_t k);
  int32_t StepShown() const { return FStepShown; }
  // Charts the history of the reference dot at grid position (nx, ny).
  void ShowDot(int32_t nx, int32_t ny);
  // Takes the map off the view, leaving the window open (a command drew on the view).
  void EndView();
  // Puts the step's map back on the view.
  void Attach();

  TSequenceSteps* Steps() const { return FSteps.get(); }
  TStrainOverlay& Overlay() { return *FOverlay; }
  TPlotQuantity Quantity() const;
  const std::optional<TSequenceSteps::THistory>& Dot() const { return FDot; }

  void CancelButtonClick();
  void FieldComboBoxChange();
  void RangeChange();
  void VectorsCheckBoxClick();
  void ExportCsvButtonClick();
  void SavePlotsButtonClick();

  QProgressBar* ProgressBar;
  QPushButton* CancelButton;
  QLabel* RunLabel;
  QSlider* StepSlider;
  QLabel* StepLabel;
  QComboBox* FieldComboBox;  // the order of TPlotQuantity
  TColourRangeBox* RangeBox;
  QCheckBox* VectorsCheckBox;
  TChartView* SummaryChart;
  TChartView* DisplacementChart;
  TChartView* StrainChart;
  QLabel* NoteLabel;
  QPushButton* ExportCsvButton;
  QPushButton* SavePlotsButton;
  QPushButton* CloseButton;
  QAction* PreviousStepAction;  // Page Up
  QAction* NextStepAction;      // Page Down

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A new sequence in the window: its steps, no step shown, no dot chosen.
  void Begin(std::unique_ptr<TSequenceSteps> steps);
  void RunStepDone(const TTrackStep& step, int32_t done, int32_t total,
                   std::shared_ptr<const TStrainField> field);
  void RunEnded(const std::string& ending);
  // The slider's range and the summary chart after the steps changed.
  void StepsChanged();
  void ShowQuantity();
  void ShowSummaryChart();
  void ShowDotCharts();
  void SetNote(const std::string& note);
  // Where the pictures of an opened results folder are: beside it, in it, or where the user
  // says; "" for none.
  std::string FindPictureFolder(const std::string& outDir, const std::string& reference) const;
  // The summary's mean exx of step k against the field's: a field computed with another
  // neighbourhood than the run's must not pass for the run's.
  std::string CheckAgainstSummary(size_t k, const TStrainField& field) const;
  bool Attached() const;

  TMainForm& FMainForm;
  QPointer<TZoomView> FView;
  std::unique_ptr<TSequenceSteps> FSteps;
  TSequenceRun* FRun = nullptr;
  std::unique_ptr<TStrainOverlay> FOverlay;
  TStrainBar* FBar;
  std::unique_ptr<TGrayImage> FPicture;  // the picture of the step shown
  std::shared_ptr<const TStrainField> FField;
  int32_t FStepShown = -1;
  std::string FStepNote;
  std::optional<TSequenceSteps::THistory> FDot;
  std::optional<QPoint> FPressedAt;  // a left press on the view, for a click on a dot
  bool FShowing = false;             // set while fields are filled by the window itself
};
