#pragma once

#include <QDockWidget>
#include <memory>
#include <string>

#include "strain/Plotquantity.h"
#include "strain/Strainfield.h"
#include "strain/Strainoptions.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class TGrayImage;
class TMainForm;
class TStrainBar;
class TColourRangeBox;
class TStrainOverlay;

// "Strain Result": the strain of the main window's matching job. A window docked beside the
// image view, so that it never covers the picture: the summary, the choice of the quantity
// mapped over the initial picture in the view (with its colour bar at the view's edge), the
// neighbourhood and strain measure, the displacement vectors, and the strain CSV and plot files.
// While it is open the view shows the map; closed, the view shows its own picture and marks.
class TStrainResultForm : public QDockWidget {
  Q_OBJECT
 public:
  explicit TStrainResultForm(TMainForm& mainForm);
  ~TStrainResultForm() override;

  // Computes the strain of the matching job with the window's choices, reads the initial
  // picture named in its code file, and shows the window and the map. Raises TError when the
  // job has no pairs; a field without strain is shown with its displacements.
  void ShowResult();

  // The window's choices, typed.
  TPlotQuantity Quantity() const;
  TStrainOptions Options() const;
  bool VectorsShown() const;

  // The field shown; null before the first ShowResult.
  const TStrainField* Field() const { return FField.get(); }
  TStrainOverlay& Overlay() { return *FOverlay; }
  TStrainBar* Bar() const { return FBar; }

  void FieldComboBoxChange();
  // A new colour range: the map and its bar again.
  void RangeChange();
  void OptionsChange();
  void VectorsCheckBoxClick();
  void SaveCsvButtonClick();
  void SavePlotsButtonClick();

  QPlainTextEdit* SummaryMemo;
  QComboBox* FieldComboBox;  // dx, dy, |d|, exx, eyy, exy, e1, e2, rotation: TPlotQuantity's order
  QSpinBox* NeighbourhoodSpinBox;
  QComboBox* MeasureComboBox;  // small, green
  TColourRangeBox* RangeBox;
  QCheckBox* VectorsCheckBox;
  QLabel* NoteLabel;  // why a map or the picture is missing
  QPushButton* SaveCsvButton;
  QPushButton* SavePlotsButton;
  QPushButton* CloseButton;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // The strain of the job with the current choices, into the summary and the overlay.
  void Compute();
  // The chosen quantity onto the overlay and the bar; a note when it has no value anywhere.
  void ShowQuantity();
  // The initial picture named in the job's first code file, beside that file; null with a
  // note when it cannot be used.
  std::unique_ptr<TGrayImage> ReadInitialPicture(std::string& note) const;
  // The arrows' magnification at the view's zoom, under the colour bar.
  void ShowArrowMagnification();
  void Attach();
  void Detach();

  TMainForm& FMainForm;
  std::shared_ptr<const TStrainField> FField;
  std::unique_ptr<TGrayImage> FPicture;
  std::unique_ptr<TStrainOverlay> FOverlay;
  TStrainBar* FBar;
  std::string FPictureNote;
  bool FShowing = false;  // set while the fields are filled, so their changes compute nothing
};
