#include "app/segment/Segmentparameter.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "app/Formparts.h"
#include "app/Main.h"
#include "base/Convert.h"
#include "segment/Segment.h"

namespace {

void MakeRed(QLabel* label) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, Qt::red);
  label->setPalette(palette);
}

}  // namespace

TSegmentParameterForm::TSegmentParameterForm(TMainForm& mainForm)
    : QWidget(&mainForm, ToolWindowFlags), FMainForm(mainForm) {
  setObjectName("SegmentParameterForm");
  setWindowTitle("Segment  Parameter");

  GroupBox1 = new QGroupBox("Multi-Area Segment  Para.", this);
  GroupBox1->setObjectName("GroupBox1");
  QFont bold = GroupBox1->font();
  bold.setBold(true);
  GroupBox1->setFont(bold);
  Label9 = NewLabel("Label9", "Win.  Size", GroupBox1);
  MakeRed(Label9);
  SegmentWinSizeEdit = NewEdit("SegmentWinSizeEdit", "150", GroupBox1, 64);
  WinSizeLessThanLabel = NewLabel("WinSizeLessThanLabel", "No Larger Than  000 ", GroupBox1);
  Label10 = NewLabel("Label10", "Adjust", GroupBox1);
  MakeRed(Label10);
  AdjustThresholdEdit = NewEdit("AdjustThresholdEdit", "0", GroupBox1, 64);
  AdjustThresholdEdit->setToolTip("Simple segment use this as  the Threshold");
  // The caption alone is bold; the controls inside keep the normal font.
  QFont normal = font();
  normal.setBold(false);
  for (QWidget* w : std::initializer_list<QWidget*>{
           Label9, SegmentWinSizeEdit, WinSizeLessThanLabel, Label10, AdjustThresholdEdit})
    w->setFont(normal);
  auto* grid1 = new QGridLayout(GroupBox1);
  grid1->addWidget(Label9, 0, 0);
  grid1->addWidget(SegmentWinSizeEdit, 0, 1);
  grid1->addWidget(WinSizeLessThanLabel, 0, 2);
  grid1->addWidget(Label10, 1, 0);
  grid1->addWidget(AdjustThresholdEdit, 1, 1);
  grid1->setColumnStretch(2, 1);

  GroupBox2 = new QGroupBox("Modify Image", this);
  GroupBox2->setObjectName("GroupBox2");
  Label1 = NewLabel("Label1", "x", GroupBox2);
  XEdit = NewEdit("XEdit", "0", GroupBox2, 56);
  Label2 = NewLabel("Label2", "y", GroupBox2);
  YEdit = NewEdit("YEdit", "0", GroupBox2, 56);
  Label31 = NewLabel("Label31", "dx", GroupBox2);
  DxEdit = NewEdit("DxEdit", "0", GroupBox2, 56);
  Label32 = NewLabel("Label32", "dy", GroupBox2);
  DyEdit = NewEdit("DyEdit", "0", GroupBox2, 56);
  ModifySegmentButton = new QPushButton("Modify", GroupBox2);
  ModifySegmentButton->setObjectName("ModifySegmentButton");
  ModifySegmentButton->setToolTip("Use the current Grid attributes");
  auto* grid2 = new QGridLayout(GroupBox2);
  grid2->addWidget(Label1, 0, 0);
  grid2->addWidget(XEdit, 0, 1);
  grid2->addWidget(Label2, 0, 2);
  grid2->addWidget(YEdit, 0, 3);
  grid2->addWidget(Label31, 1, 0);
  grid2->addWidget(DxEdit, 1, 1);
  grid2->addWidget(Label32, 1, 2);
  grid2->addWidget(DyEdit, 1, 3);
  grid2->addWidget(ModifySegmentButton, 0, 4, 2, 1, Qt::AlignVCenter);
  grid2->setColumnStretch(5, 1);

  CloseButton = new QPushButton("Close", this);
  CloseButton->setObjectName("CloseButton");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(CloseButton);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(GroupBox1);
  layout->addWidget(GroupBox2);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(CloseButton, &QPushButton::clicked, this, &QWidget::hide);
  connect(ModifySegmentButton, &QPushButton::clicked, this,
          [this] { FMainForm.RunCommand([this] { ModifySegmentButtonClick(); }); });
  move(617, 118);
}

void TSegmentParameterForm::SetImageSize(int32_t width, int32_t height) {
  const int32_t bound = TSegment::WindowBound(width, height);
  SegmentWinSizeEdit->setText(QString::number(TSegment::DefaultWindow(width, height)));
  WinSizeLessThanLabel->setText("No Larger Than " + QString::number(bound));
}

void TSegmentParameterForm::SetRectangle(int32_t x, int32_t y, int32_t dx, int32_t dy) {
  XEdit->setText(QString::number(x));
  YEdit->setText(QString::number(y));
  DxEdit->setText(QString::number(dx));
  DyEdit->setText(QString::number(dy));
}

int32_t TSegmentParameterForm::WindowSize() const {
  return IntOf(SegmentWinSizeEdit);
}

int32_t TSegmentParameterForm::Adjust() const {
  return IntOf(AdjustThresholdEdit);
}

void TSegmentParameterForm::ModifySegmentButtonClick() {
  if (!FMainForm.FSegmenter) return;
  const int32_t x = IntOf(XEdit);
  const int32_t y = IntOf(YEdit);
  const int32_t dx = IntOf(DxEdit);
  const int32_t dy = IntOf(DyEdit);
  FMainForm.EraseRect(x, y, dx, dy);
}
