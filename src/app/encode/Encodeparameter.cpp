// The encode parameter dialog: its four pages. The handlers are in Encodeparameteractions.cpp.
#include "app/encode/Encodeparameter.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Formparts.h"
#include "app/Shell.h"

namespace {

void Colour(QLabel* label, Qt::GlobalColor colour, bool bold = false) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
  if (bold) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
  }
}

// Three rows of three dots, with the horizontal interval marked between the centres of the
// first row and the vertical one beside the last column.
QPixmap IntervalPicture() {
  QPixmap picture(160, 130);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  const int x0 = 24, y0 = 42, dx = 42, dy = 36;
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i) painter.drawEllipse(QPoint(x0 + i * dx, y0 + j * dy), 6, 6);
  painter.setPen(QPen(Qt::red, 1.5));
  const int lineY = y0 - 16;  // dx, above the first row
  painter.drawLine(x0, lineY, x0 + dx, lineY);
  painter.drawLine(x0, lineY - 4, x0, lineY + 4);
  painter.drawLine(x0 + dx, lineY - 4, x0 + dx, lineY + 4);
  const int lineX = x0 + 2 * dx + 18;  // dy, right of the last column
  painter.drawLine(lineX, y0 + dy, lineX, y0 + 2 * dy);
  painter.drawLine(lineX - 4, y0 + dy, lineX + 4, y0 + dy);
  painter.drawLine(lineX - 4, y0 + 2 * dy, lineX + 4, y0 + 2 * dy);
  painter.setPen(QPen(Qt::gray, 1, Qt::DotLine));  // from the centres to the marks
  painter.drawLine(x0, y0, x0, lineY);
  painter.drawLine(x0 + dx, y0, x0 + dx, lineY);
  painter.drawLine(x0 + 2 * dx, y0 + dy, lineX, y0 + dy);
  painter.drawLine(x0 + 2 * dx, y0 + 2 * dy, lineX, y0 + 2 * dy);
  painter.setPen(QColor(0, 0, 128));
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(12);
  painter.setFont(font);
  painter.drawText(QRect(x0, lineY - 18, dx, 14), Qt::AlignCenter, "dx");
  painter.drawText(QRect(lineX + 4, y0 + dy, 160 - lineX - 4, dy), Qt::AlignCenter, "dy");
  return picture;
}

}  // namespace

TEncodeParameterForm::TEncodeParameterForm(TShell& mainForm)
    : QWidget(&mainForm.Window(), ToolWindowFlags), FMainForm(mainForm) {
  setObjectName("EncodeParameterForm");
  setWindowTitle("Encode Parameter");
  PageControl = new QTabWidget(this);
  PageControl->setObjectName("PageControl");
  PageControl->addTab(BuildEncodePage(), "Encode");
  PageControl->addTab(BuildViewPage(), "View  && Modify");
  PageControl->addTab(BuildOriginPage(), "Set Origin");
  PageControl->addTab(BuildDxDyPage(), "Set dx dy");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PageControl);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  // At the right of the screen, where it covers the least of a picture centred in the view.
  adjustSize();
  const QRect area = mainForm.Window().screen()->availableGeometry();
  move(std::max(area.left(), area.right() - frameGeometry().width() - 24), area.top() + 118);
}

QWidget* TEncodeParameterForm::BuildEncodePage() {
  auto* page = new QWidget;
  page->setObjectName("EncodeTabSheet");
  EncodeInfoGroupBox = new QGroupBox("Encode Infomation", page);
  EncodeInfoGroupBox->setObjectName("EncodeInfoGroupBox");
  MethodLabel = NewLabel("MethodLabel", "Automatic Choose Origin Method", EncodeInfoGroupBox);
  MethodLabel->setWordWrap(true);
  Colour(MethodLabel, Qt::red);
  // The four methods only: a typed text would name no method.
  ChooseOriginMethodComboBox = new QComboBox(EncodeInfoGroupBox);
  ChooseOriginMethodComboBox->setObjectName("ChooseOriginMethodComboBox");
  ChooseOriginMethodComboBox->addItems(
      {"Max Area", "Center Index Dot", "Center Grid Dot", "Center Image Dot"});
  ChooseOriginMethodComboBox->setCurrentIndex(2);
  AreaLabel = NewLabel("AreaLabel", "The Least Grid Area", EncodeInfoGroupBox);
  Colour(AreaLabel, Qt::red);
  AreaThresholdEdit = NewEdit("AreaThresholdEdit", "100", EncodeInfoGroupBox, 80);
  AutoButton = NewButton("AutoButton", "Auto", EncodeInfoGroupBox);
  AutoButton->setToolTip("Set Black or White Grid First!!!");
  OnClick(AutoButton, &TEncodeParameterForm::AutoButtonClick);

  auto* grid = new QGridLayout(EncodeInfoGroupBox);
  grid->addWidget(MethodLabel, 0, 0, 1, 2);
  grid->addWidget(ChooseOriginMethodComboBox, 1, 0, 1, 2);
  grid->addWidget(AreaLabel, 2, 0, 1, 2);
  grid->addWidget(AreaThresholdEdit, 3, 0);
  grid->addWidget(AutoButton, 3, 1, Qt::AlignLeft);
  grid->setColumnStretch(1, 1);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(EncodeInfoGroupBox);
  layout->addWidget(BuildReferenceGroup(page));
  layout->addStretch(1);
  return page;
}

QWidget* TEncodeParameterForm::BuildViewPage() {
  auto* page = new QWidget;
  page->setObjectName("ViewTabSheet");
  GridInfoGroupBox = new QGroupBox("Grid Information", page);
  GridInfoGroupBox->setObjectName("GridInfoGroupBox");
  QWidget* box = GridInfoGroupBox;
  IndexEdit = NewEdit("IndexEdit", "-1", box, 64, true);
  AreaEdit = NewEdit("AreaEdit", "0", box, 64, true);
  // Room for a position with 15 significant digits.
  const int positionWidth = fontMetrics().horizontalAdvance("-000.000000000000") + 16;
  FxEdit = NewEdit("FxEdit", "0", box, positionWidth, true);
  FyEdit = NewEdit("FyEdit", "0", box, positionWidth, true);
  CodedCheckBox = new QCheckBox("Coded", box);
  CodedCheckBox->setObjectName("CodedCheckBox");
  NetedCheckBox = new QCheckBox("Neted", box);
  NetedCheckBox->setObjectName("NetedCheckBox");
  NxEdit = NewEdit("NxEdit", "0", box, 64);
  NyEdit = NewEdit("NyEdit", "0", box, 64);
  ModifyCoordButton = NewButton("ModifyCoordButton", "Modify Coord.", box);
  ModifyOriginButton = NewButton("ModifyOriginButton", "Modify  Origin", box);
  OnClick(ModifyCoordButton, &TEncodeParameterForm::ModifyCoordButtonClick);
  OnClick(ModifyOriginButton, &TEncodeParameterForm::ModifyOriginButtonClick);

  auto* grid = new QGridLayout(box);
  grid->addWidget(NewLabel("IndexLabel", "Index", box), 0, 0);
  grid->addWidget(IndexEdit, 0, 1);
  grid->addWidget(NewLabel("AreaCaptionLabel", "area", box), 0, 2);
  grid->addWidget(AreaEdit, 0, 3);
  grid->addWidget(NewLabel("PositionLabel", "Position", box), 1, 0);
  auto* position = new QHBoxLayout;
  position->addWidget(NewLabel("PositionOpenLabel", "(", box));
  position->addWidget(FxEdit);
  position->addWidget(NewLabel("PositionCommaLabel", ",", box));
  position->addWidget(FyEdit);
  position->addWidget(NewLabel("PositionCloseLabel", ")", box));
  position->addStretch(1);
  grid->addLayout(position, 1, 1, 1, 4);
  grid->addWidget(NewLabel("StatusLabel", "Status:", box), 2, 0);
  grid->addWidget(CodedCheckBox, 2, 1);
  grid->addWidget(NetedCheckBox, 2, 2, 1, 2);
  grid->addWidget(NewLabel("CoordinateLabel", "Coordinate", box), 3, 0);
  auto* coordinate = new QHBoxLayout;
  coordinate->addWidget(NewLabel("CoordinateOpenLabel", "(", box));
  coordinate->addWidget(NxEdit);
  coordinate->addWidget(NewLabel("CoordinateCommaLabel", ",", box));
  coordinate->addWidget(NyEdit);
  coordinate->addWidget(NewLabel("CoordinateCloseLabel", ")", box));
  coordinate->addStretch(1);
  grid->addLayout(coordinate, 3, 1, 1, 4);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ModifyCoordButton);
  buttons->addWidget(ModifyOriginButton);
  buttons->addStretch(1);
  grid->addLayout(buttons, 4, 0, 1, 5);

  ViewModeGroupBox = new QGroupBox("View Mode", page);
  ViewModeGroupBox->setObjectName("ViewModeGroupBox");
  PassViewRadioButton = new QRadioButton("Pass View", ViewModeGroupBox);
  PassViewRadioButton->setObjectName("PassViewRadioButton");
  ClickViewRadioButton = new QRadioButton("Click  View", ViewModeGroupBox);
  ClickViewRadioButton->setObjectName("ClickViewRadioButton");
  ViewModeRadioGroup = new QButtonGroup(this);
  ViewModeRadioGroup->setObjectName("ViewModeRadioGroup");
  ViewModeRadioGroup->addButton(PassViewRadioButton, 0);
  ViewModeRadioGroup->addButton(ClickViewRadioButton, 1);
  ClickViewRadioButton->setChecked(true);
  auto* modes = new QHBoxLayout(ViewModeGroupBox);
  modes->addWidget(PassViewRadioButton);
  modes->addWidget(ClickViewRadioButton);
  modes->addStretch(1);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(GridInfoGroupBox);
  layout->addWidget(ViewModeGroupBox);
  layout->addStretch(1);
  return page;
}

QWidget* TEncodeParameterForm::BuildOriginPage() {
  auto* page = new QWidget;
  page->setObjectName("OriginTabSheet");
  FSpeedButtons = new QButtonGroup(this);
  FSpeedButtons->setExclusive(true);
  auto speed = [this, page](const char* name, const char* text, int32_t slot) {
    auto* button = new QToolButton(page);
    button->setObjectName(name);
    button->setText(text);
    button->setCheckable(true);
    button->setFixedSize(58, 26);
    FSpeedButtons->addButton(button, slot + 1);
    connect(button, &QToolButton::clicked, this,
            [this, slot] { FMainForm.RunCommand([this, slot] { SpeedButtonClick(slot); }); });
    return button;
  };
  UpSpeedButton = speed("UpSpeedButton", "Up", 3);
  LeftSpeedButton = speed("LeftSpeedButton", "Left", 2);
  OriginSpeedButton = speed("OriginSpeedButton", "Origin", OriginSlot);
  RightSpeedButton = speed("RightSpeedButton", "Right", 0);
  DownSpeedButton = speed("DownSpeedButton", "down", 1);
  OriginSpeedButton->setChecked(true);
  auto* cross = new QGridLayout;
  cross->setSpacing(2);
  cross->addWidget(UpSpeedButton, 0, 1);
  cross->addWidget(LeftSpeedButton, 1, 0);
  cross->addWidget(OriginSpeedButton, 1, 1);
  cross->addWidget(RightSpeedButton, 1, 2);
  cross->addWidget(DownSpeedButton, 2, 1);

  DirectSetOriginEdit = NewEdit("DirectSetOriginEdit", "0", page, 70);
  SetButton = NewButton("SetButton", "Set", page);
  OnClick(SetButton, &TEncodeParameterForm::SetButtonClick);
  SetOriginNxEdit = NewEdit("SetOriginNxEdit", "0", page, 50);
  SetOriginNyEdit = NewEdit("SetOriginNyEdit", "0", page, 50);
  SetOriginStartButton = NewButton("SetOriginStartButton", "Start Encode Again", page);
  connect(SetOriginStartButton, &QPushButton::clicked, this,
          [this] { FMainForm.RunCommand([this] { StartEncodeAgainClick(-1); }); });

  auto* fields = new QGridLayout;
  fields->addWidget(NewLabel("GridIndexLabel", "Grid Index", page), 0, 0);
  fields->addWidget(DirectSetOriginEdit, 0, 1, 1, 2);
  fields->addWidget(SetButton, 0, 3);
  fields->addWidget(NewLabel("SetOriginLabel", "Origin", page), 1, 0);
  fields->addWidget(NewLabel("SetOriginNxLabel", "nx", page), 1, 1, Qt::AlignRight);
  fields->addWidget(SetOriginNxEdit, 1, 2);
  fields->addWidget(NewLabel("SetOriginNyLabel", "ny", page), 2, 1, Qt::AlignRight);
  fields->addWidget(SetOriginNyEdit, 2, 2);
  auto* top = new QHBoxLayout;
  top->addLayout(cross);
  top->addSpacing(12);
  top->addLayout(fields);
  top->addStretch(1);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(top);
  layout->addWidget(SetOriginStartButton, 0, Qt::AlignRight);
  layout->addStretch(1);
  return page;
}

QWidget* TEncodeParameterForm::BuildDxDyPage() {
  auto* page = new QWidget;
  page->setObjectName("DxDyTabSheet");
  IntervalLabel = NewLabel("IntervalLabel", "Give the interval of the grid image ", page);
  IntervalLabel->setWordWrap(true);
  IntervalImage = new QLabel(page);
  IntervalImage->setObjectName("IntervalImage");
  IntervalImage->setFixedSize(160, 130);
  IntervalImage->setPixmap(IntervalPicture());
  IntervalImage->setFrameStyle(QFrame::Box | QFrame::Plain);
  auto* dxLabel = NewLabel("DxLabel", "dx", page);
  auto* dyLabel = NewLabel("DyLabel", "dy", page);
  Colour(dxLabel, Qt::red, true);
  Colour(dyLabel, Qt::red, true);
  DxEdit = NewEdit("DxEdit", "0", page, 70);
  DyEdit = NewEdit("DyEdit", "0", page, 70);
  SetDxDyStartButton = NewButton("SetDxDyStartButton", "Start Encode Again", page);
  connect(SetDxDyStartButton, &QPushButton::clicked, this,
          [this] { FMainForm.RunCommand([this] { StartEncodeAgainClick(0); }); });

  auto* fields = new QGridLayout;
  fields->addWidget(dxLabel, 0, 0);
  fields->addWidget(DxEdit, 0, 1);
  fields->addWidget(dyLabel, 1, 0);
  fields->addWidget(DyEdit, 1, 1);
  fields->setRowStretch(2, 1);
  fields->addWidget(SetDxDyStartButton, 3, 0, 1, 2);
  auto* row = new QHBoxLayout;
  row->addWidget(IntervalImage, 0, Qt::AlignTop);
  row->addSpacing(8);
  row->addLayout(fields);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(IntervalLabel);
  layout->addLayout(row);
  layout->addStretch(1);
  return page;
}

void TEncodeParameterForm::OnClick(QPushButton* button, void (TEncodeParameterForm::*handler)()) {
  connect(button, &QPushButton::clicked, this,
          [this, handler] { FMainForm.RunCommand([this, handler] { (this->*handler)(); }); });
}
