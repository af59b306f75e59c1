#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;
class TMainForm;

// The modeless tool window of the Encode menu: every input of an encoding run (least dot area,
// origin method, a picked origin with its neighbours, the grid intervals) and the view and hand
// correction of one picked dot. It has no OK button: the runs read its fields when they need
// them. The pick slots it names live in the main window (FOriginDot, FNeighbourDots).
class TEncodeParameterForm : public QWidget {
  Q_OBJECT
 public:
  explicit TEncodeParameterForm(TMainForm& mainForm);

  // The pick slots of the five toggle buttons: the origin, or a neighbour direction 0..3
  // (right, down, left, up).
  static constexpr int32_t OriginSlot = -1;
  // The slot of the toggle button that is down.
  int32_t ActiveSlot() const;
  // The main window's field behind a slot.
  int32_t& SlotValue(int32_t slot);
  // 0 "Pass View" (every movement picks), 1 "Click  View" (only a click does).
  int ViewMode() const;

  // The values of an encoding run, each parsed from its field when asked for, so a command's
  // read order decides which bad field it reports.
  int32_t LeastArea() const;
  // A least area chosen for the user (the estimate from the dots) shown in its field.
  void SetLeastArea(int32_t pixels);
  // The item of "Choose Origin Method", 0..3.
  int32_t OriginMethod() const;
  void SetOriginMethod(int32_t method);
  // The grid intervals of the "Set dx dy" page.
  float GridDx() const;
  float GridDy() const;
  // The grid position the picked origin is given on the "Set Origin" page.
  int32_t OriginNx() const;
  int32_t OriginNy() const;
  // "Reference and Centroids": the code file of an earlier picture of the same grid whose
  // indices the automatic run takes over (empty: the origin method), the grid's motion since
  // (dx, dy in pixels, parsed when asked for), refined instead of plain centroids, and the
  // unsegmented picture to refine them on (empty: the picture last segmented).
  std::string ReferenceFile() const;
  // Empty fields: the motion is found from the pictures.
  std::optional<std::array<float, 2>> Shift() const;
  bool RefinedCentroids() const;
  // The lattice rules of extraction instead of every blob of the least area (TEncodeRunOptions).
  bool LatticeDots() const;
  std::string RefinePictureFile() const;
  void SetReferenceFile(const std::string& path);
  void SetRefinePictureFile(const std::string& path);

  // A pick selected dot index of the current job: its record into the fields, and the index
  // into the active slot.
  void ShowDot(int32_t index);
  // A drag on the image view: the corner differences become the grid intervals.
  void SetDxDy(int32_t dx, int32_t dy);

  // Button handlers; the buttons run them through the main window's error handler.
  void AutoButtonClick();
  void SpeedButtonClick(int32_t slot);
  void SetButtonClick();
  // stage -1 from the "Set Origin" page, 0 from the "Set dx dy" page.
  void StartEncodeAgainClick(int32_t stage);
  void ModifyCoordButtonClick();
  void ModifyOriginButtonClick();
  void ReferenceButtonClick();
  void RefinePictureButtonClick();

  QTabWidget* PageControl;
  // "Encode"
  QGroupBox* EncodeInfoGroupBox;
  QLabel* MethodLabel;
  QComboBox* ChooseOriginMethodComboBox;
  QLabel* AreaLabel;
  QLineEdit* AreaThresholdEdit;
  QPushButton* AutoButton;
  QGroupBox* ReferenceGroupBox;
  QLineEdit* ReferenceEdit;
  QPushButton* ReferenceButton;
  QPushButton* ReferenceClearButton;
  QLineEdit* ShiftDxEdit;
  QLineEdit* ShiftDyEdit;
  QButtonGroup* CentroidRadioGroup;  // ids 0 plain, 1 refined
  QRadioButton* PlainCentroidRadioButton;
  QRadioButton* RefinedCentroidRadioButton;
  QButtonGroup* DotsRadioGroup;  // ids 0 every blob, 1 the lattice rules
  QRadioButton* BlobDotsRadioButton;
  QRadioButton* LatticeDotsRadioButton;
  QLineEdit* RefinePictureEdit;
  QPushButton* RefinePictureButton;
  QPushButton* RefinePictureClearButton;
  // "View  && Modify"
  QGroupBox* GridInfoGroupBox;
  QLineEdit* IndexEdit;
  QLineEdit* AreaEdit;
  QLineEdit* FxEdit;
  QLineEdit* FyEdit;
  QCheckBox* CodedCheckBox;
  QCheckBox* NetedCheckBox;
  QLineEdit* NxEdit;
  QLineEdit* NyEdit;
  QPushButton* ModifyCoordButton;
  QPushButton* ModifyOriginButton;
  QGroupBox* ViewModeGroupBox;
  QButtonGroup* ViewModeRadioGroup;  // ids 0 and 1, the items of the choice
  QRadioButton* PassViewRadioButton;
  QRadioButton* ClickViewRadioButton;
  // "Set Origin"
  QToolButton* UpSpeedButton;
  QToolButton* LeftSpeedButton;
  QToolButton* OriginSpeedButton;
  QToolButton* RightSpeedButton;
  QToolButton* DownSpeedButton;
  QLineEdit* DirectSetOriginEdit;
  QPushButton* SetButton;
  QLineEdit* SetOriginNxEdit;
  QLineEdit* SetOriginNyEdit;
  QPushButton* SetOriginStartButton;
  // "Set dx dy"
  QLabel* IntervalLabel;
  QLabel* IntervalImage;
  QLineEdit* DxEdit;
  QLineEdit* DyEdit;
  QPushButton* SetDxDyStartButton;

 private:
  QWidget* BuildEncodePage();
  QWidget* BuildViewPage();
  QWidget* BuildOriginPage();
  QWidget* BuildDxDyPage();
  QGroupBox* BuildReferenceGroup(QWidget* page);
  // The shift only with a reference, the picture only for refined centroids.
  void UpdateReferenceGroup();
  // Runs a handler through the main window's error handler when the button is pressed.
  void OnClick(QPushButton* button, void (TEncodeParameterForm::*handler)());
  // Highlights a dot of the current job on the image view (nothing without a job or for -1).
  void SelectOnView(int32_t index);

  TMainForm& FMainForm;
  QButtonGroup* FSpeedButtons;  // id = slot + 1
};
