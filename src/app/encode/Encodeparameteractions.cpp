// The encode parameter dialog: what its buttons do, and what the main window's picks and drags
// put into it. Every change to a dot goes through the encoding job.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "app/Formparts.h"
#include "app/Shell.h"
#include "app/encode/Encodeparameter.h"
#include "app/platform/Platform.h"
#include "app/view/Paintbox.h"
#include "base/Convert.h"
#include "base/Path.h"
#include "encode/Encode.h"
#include "encode/Encodedefaults.h"
#include "image/Grayimage.h"

namespace {

QString Text(int64_t value) {
  return QString::fromStdString(IntToStr(value));
}

}  // namespace

int32_t TEncodeParameterForm::ActiveSlot() const {
  const int id = FSpeedButtons->checkedId();
  return id >= 1 && id <= 4 ? id - 1 : OriginSlot;
}

int32_t& TEncodeParameterForm::SlotValue(int32_t slot) {
  if (slot >= 0 && slot < 4) return FMainForm.Workflow().FNeighbourDots[static_cast<size_t>(slot)];
  return FMainForm.Workflow().FOriginDot;
}

int TEncodeParameterForm::ViewMode() const {
  return ViewModeRadioGroup->checkedId();
}

int32_t TEncodeParameterForm::LeastArea() const {
  return IntOf(AreaThresholdEdit);
}

void TEncodeParameterForm::SetLeastArea(int32_t pixels) {
  AreaThresholdEdit->setText(Text(pixels));
}

int32_t TEncodeParameterForm::OriginMethod() const {
  return ChooseOriginMethodComboBox->currentIndex();
}

void TEncodeParameterForm::SetOriginMethod(int32_t method) {
  ChooseOriginMethodComboBox->setCurrentIndex(method);
}

float TEncodeParameterForm::GridDx() const {
  return static_cast<float>(StrToFloat(DxEdit->text().toStdString()));
}

float TEncodeParameterForm::GridDy() const {
  return static_cast<float>(StrToFloat(DyEdit->text().toStdString()));
}

int32_t TEncodeParameterForm::OriginNx() const {
  return IntOf(SetOriginNxEdit);
}

int32_t TEncodeParameterForm::OriginNy() const {
  return IntOf(SetOriginNyEdit);
}

void TEncodeParameterForm::ShowDot(int32_t index) {
  const TEncode* job = FMainForm.Workflow().FEncoder.get();
  if (job == nullptr || index < 0 || index >= static_cast<int32_t>(job->DotInfo().size())) return;
  const TDotInfo& dot = job->DotInfo()[static_cast<size_t>(index)];
  IndexEdit->setText(Text(index));
  FxEdit->setText(QString::fromStdString(ShortFloatToStr(dot.x)));
  FyEdit->setText(QString::fromStdString(ShortFloatToStr(dot.y)));
  NxEdit->setText(Text(dot.Nx));
  NyEdit->setText(Text(dot.Ny));
  AreaEdit->setText(Text(dot.Area));
  CodedCheckBox->setChecked(dot.Coded);
  NetedCheckBox->setChecked(dot.Neted);
  DirectSetOriginEdit->setText(Text(index));
  // In Pass View one pick follows the mouse: the whole way is one step to undo.
  FMainForm.SetPick(ActiveSlot(), index, ViewMode() == 0);
}

void TEncodeParameterForm::SetDxDy(int32_t dx, int32_t dy) {
  DxEdit->setText(Text(dx));
  DyEdit->setText(Text(dy));
}

void TEncodeParameterForm::SelectOnView(int32_t index) {
  if (!FMainForm.Workflow().FEncoder || index < 0) return;
  FMainForm.Workflow().FEncoder->SelectDot(index, &FMainForm.ViewSurface());
  FMainForm.PaintBox()->update();
}

void TEncodeParameterForm::AutoButtonClick() {
  // The estimate comes from the file as it is on disk, with the current dot colour.
  if (!FileExists(FMainForm.Workflow().FEncodeImageName)) return;
  // The mean blob of a picture that was never segmented, or that is segmented for the other
  // dot colour, is the whole picture or nothing: no least area to propose.
  const bool white = FMainForm.Workflow().FWhiteDots;
  const TSegmentedLook look =
      LookOfSegmentation(TGrayImage(FMainForm.Workflow().FEncodeImageName), white);
  if (look == TSegmentedLook::Unsegmented) {
    FMainForm.Platform().ShowNotice(
        "This picture looks unsegmented: few of its pixels have the background value " +
        std::string(white ? "0" : "255") + " of " + (white ? "white" : "black") +
        " dots.\nSegment it first (Segment menu: New Segment, Multi-Area Segment, Save Result), "
        "then open the saved result with New Encode.");
    return;
  }
  if (look == TSegmentedLook::OtherDots) {
    FMainForm.Platform().ShowNotice(
        std::string("This picture looks segmented for ") + (white ? "black" : "white") +
        " dots, but " + (white ? "white" : "black") +
        " dots are chosen.\nSet the White or Black grid button first, then press Auto again.");
    return;
  }
  AreaThresholdEdit->setText(Text(TEncode::AutoLeastArea(FMainForm.Workflow().FEncodeImageName,
                                                         FMainForm.Workflow().FWhiteDots)));
}

void TEncodeParameterForm::SpeedButtonClick(int32_t slot) {
  if (QAbstractButton* button = FSpeedButtons->button(slot + 1)) button->setChecked(true);
  const int32_t index = SlotValue(slot);
  DirectSetOriginEdit->setText(Text(index));
  SelectOnView(index);
}

void TEncodeParameterForm::SetButtonClick() {
  const int32_t index = IntOf(DirectSetOriginEdit);
  FMainForm.SetPick(ActiveSlot(), index, false);
  SelectOnView(index);
}

void TEncodeParameterForm::StartEncodeAgainClick(int32_t stage) {
  if (!FMainForm.Workflow().FEncoder) return;
  FMainForm.DoEncodingFrom(stage);
}

void TEncodeParameterForm::ModifyCoordButtonClick() {
  TEncode* job = FMainForm.Workflow().FEncoder.get();
  if (job == nullptr || job->Selected() < 0) return;
  const int32_t nx = IntOf(NxEdit);
  const int32_t ny = IntOf(NyEdit);
  FMainForm.CorrectDot(job->Selected(), nx, ny, NetedCheckBox->isChecked());
}

void TEncodeParameterForm::ModifyOriginButtonClick() {
  TEncode* job = FMainForm.Workflow().FEncoder.get();
  if (job == nullptr) return;
  FMainForm.MoveOrigin(IntOf(IndexEdit));
}
