#include "app/segment/Simplesegmentparameter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Formparts.h"
#include "app/view/Imageview.h"
#include "app/view/Paintbox.h"

TSimpleSegmentParameterForm::TSimpleSegmentParameterForm(QWidget* parent) : QDialog(parent) {
  setObjectName("SimpleSegmentParameterForm");
  setWindowTitle("Simple Segment Parameter");
  // A fixed dialog border: a title and a close box, no resizing.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  HistogramImage = new TImageView(this);
  HistogramImage->setObjectName("HistogramImage");
  HistogramImage->SetImageSize(THistogramPlot::AreaWidth, THistogramPlot::AreaHeight);
  HistogramImage->PaintBox()->Surface().Reset(THistogramPlot::AreaWidth, THistogramPlot::AreaHeight,
                                              clWhite);
  HistogramImage->PaintBox()->OnMouseMove = [this](int32_t x, int32_t y) {
    HistogramImageMouseMove(x, y);
  };
  HistogramImage->PaintBox()->OnClick = [this] { HistogramImageClick(); };

  Label1 = new QLabel(" Simple  Segment   Threshold", this);
  Label1->setObjectName("Label1");
  Label1->setTextFormat(Qt::PlainText);
  SimpleSegmentThresholdEdit = new QLineEdit("128", this);
  SimpleSegmentThresholdEdit->setObjectName("SimpleSegmentThresholdEdit");
  SimpleSegmentThresholdEdit->setFixedWidth(64);

  const TDialogButtons buttons = MakeDialogButtons(this, "BitBtn2", "BitBtn1");
  BitBtn2 = buttons.Ok;
  BitBtn1 = buttons.Cancel;

  auto* field = new QHBoxLayout;
  field->addWidget(Label1);
  field->addWidget(SimpleSegmentThresholdEdit);
  field->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(HistogramImage, 0, Qt::AlignHCenter);
  layout->addLayout(field);
  layout->addLayout(buttons.Row);
  // A fixed dialog border: the dialog cannot be resized.
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TSimpleSegmentParameterForm::SetHistogram(const std::array<int32_t, 256>& counts) {
  FPlot.SetHistogram(counts, &HistogramImage->PaintBox()->Surface());
  HistogramImage->PaintBox()->update();
}

void TSimpleSegmentParameterForm::HistogramImageMouseMove(int32_t x, int32_t y) {
  FPlot.MouseMove(x, y);
}

void TSimpleSegmentParameterForm::HistogramImageClick() {
  if (!FPlot.Click(&HistogramImage->PaintBox()->Surface())) return;
  SimpleSegmentThresholdEdit->setText(QString::number(FPlot.MarkerX()));
  HistogramImage->PaintBox()->update();
}

int32_t TSimpleSegmentParameterForm::Threshold() const {
  return IntOf(SimpleSegmentThresholdEdit);
}
