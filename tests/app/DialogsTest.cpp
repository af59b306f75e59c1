// The dialogs of the main window with their built-in texts, and the About box.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include "AppTest.h"
#include "app/Imageview.h"
#include "image/Filter.h"
#include "segment/Segmentparameter.h"
#include "segment/Simplesegmentparameter.h"

using namespace AppTest;

class TDialogsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TScriptedPlatform> FPlatform;
  std::unique_ptr<TMainForm> FForm;

  TMainForm& NewForm() {
    FForm = std::make_unique<TMainForm>(*FPlatform);
    return *FForm;
  }

 private slots:
  void init() {
    ClearSettings();
    FPlatform = std::make_unique<TScriptedPlatform>();
  }
  void cleanup() {
    FForm.reset();
    QVERIFY2(FPlatform->Unexpected.empty(), FPlatform->UnexpectedText().c_str());
    QVERIFY2(FPlatform->AllAnswersUsed(), "a scripted answer was left over");
  }

  void DialogsOpenWithTheirBuiltInTexts() {
    TMainForm& form = NewForm();
    TSegmentParameterForm& parameters = *form.FSegmentParameterForm;
    QVERIFY(!parameters.isVisible());
    QCOMPARE(parameters.windowTitle(), QString("Segment  Parameter"));
    QVERIFY(parameters.windowFlags() & Qt::Tool);
    QCOMPARE(parameters.pos(), QPoint(617, 118));
    QCOMPARE(parameters.GroupBox1->title(), QString("Multi-Area Segment  Para."));
    QVERIFY(parameters.GroupBox1->font().bold());
    QVERIFY(!parameters.WinSizeLessThanLabel->font().bold());
    QCOMPARE(parameters.Label9->text(), QString("Win.  Size"));
    QCOMPARE(parameters.Label9->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(parameters.SegmentWinSizeEdit->text(), QString("150"));
    QCOMPARE(parameters.WinSizeLessThanLabel->text(), QString("No Larger Than  000 "));
    QCOMPARE(parameters.Label10->text(), QString("Adjust"));
    QCOMPARE(parameters.AdjustThresholdEdit->text(), QString("0"));
    QCOMPARE(parameters.AdjustThresholdEdit->toolTip(),
             QString("Simple segment use this as  the Threshold"));
    QCOMPARE(parameters.GroupBox2->title(), QString("Modify Image"));
    QStringList rectangle;
    for (QLabel* label :
         {parameters.Label1, parameters.Label2, parameters.Label31, parameters.Label32})
      rectangle << label->text();
    QCOMPARE(rectangle, QStringList({"x", "y", "dx", "dy"}));
    for (QLineEdit* edit :
         {parameters.XEdit, parameters.YEdit, parameters.DxEdit, parameters.DyEdit})
      QCOMPARE(edit->text(), QString("0"));
    QCOMPARE(parameters.ModifySegmentButton->text(), QString("Modify"));
    QCOMPARE(parameters.ModifySegmentButton->toolTip(), QString("Use the current Grid attributes"));
    QCOMPARE(parameters.CloseButton->text(), QString("Close"));

    TFilterForm filter;
    QCOMPARE(filter.windowTitle(), QString("Remove Noise"));
    QCOMPARE(filter.Label1->text(), QString("Select  Filter  Type"));
    QCOMPARE(filter.FilterTypeComboBox->count(), 1);
    QCOMPARE(filter.FilterTypeComboBox->currentText(), QString("Median Filter"));
    QCOMPARE(filter.MedianFilterTrackBar->minimum(), 0);
    QCOMPARE(filter.MedianFilterTrackBar->maximum(), 10);
    QCOMPARE(filter.MedianFilterTrackBar->value(), 3);
    QCOMPARE(filter.MedianFilterTrackBar->tickPosition(), QSlider::TicksBelow);
    QCOMPARE(filter.TrackBarValueLabel->text(), QString("3"));
    QCOMPARE(filter.BitBtn1->text(), QString("OK"));
    QCOMPARE(filter.BitBtn2->text(), QString("Cancel"));

    TSimpleSegmentParameterForm simple;
    QCOMPARE(simple.windowTitle(), QString("Simple Segment Parameter"));
    QCOMPARE(simple.Label1->text(), QString(" Simple  Segment   Threshold"));
    QCOMPARE(simple.SimpleSegmentThresholdEdit->text(), QString("128"));
    QCOMPARE(simple.HistogramImage->PaintBox()->size(), QSize(256, 110));
    QCOMPARE(simple.BitBtn2->text(), QString("OK"));
    QCOMPARE(simple.BitBtn1->text(), QString("Cancel"));
  }

  void AboutBoxClosesOnClickButNotOnItsMailLink() {
    TMainForm& form = NewForm();
    bool scripted = false;
    FPlatform->DialogScripts.push_back([&](QDialog& box) {
      scripted = true;
      QCOMPARE(box.size(), QSize(430, 369));
      QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
      auto* mail = box.findChild<QLabel*>("MailToLabel");
      auto* name = box.findChild<QLabel*>("ProductName");
      QCOMPARE(name->text(), QString("Halvern Tools"));
      QCOMPARE(box.findChild<QLabel*>("Version")->text(), QString("Version  1.0"));
      QCOMPARE(box.findChild<QLabel*>("Comments")->text(),
               QString("Any Problems, please contact with    "));
      QCOMPARE(mail->text(), QString("support@latticor.example"));
      QCOMPARE(mail->cursor().shape(), Qt::PointingHandCursor);
      QCOMPARE(mail->palette().color(QPalette::WindowText), QColor(Qt::yellow));
      MoveMouse(mail, QPoint(3, 3));
      QTRY_VERIFY(mail->font().underline());
      QCOMPARE(mail->palette().color(QPalette::WindowText), QColor(Qt::red));
      QTest::mouseClick(mail, Qt::LeftButton, {}, QPoint(3, 3));
      QVERIFY(box.isVisible());
      MoveMouse(&box, QPoint(300, 40));
      QTRY_VERIFY(!mail->font().underline());
      QCOMPARE(mail->palette().color(QPalette::WindowText), QColor(Qt::yellow));
      QTest::mouseClick(name, Qt::LeftButton, {}, QPoint(5, 5));
      QVERIFY(!box.isVisible());
    });
    Trigger(form, "AboutToolButtonAction");
    QVERIFY(scripted);
    QCOMPARE(FPlatform->DialogTitles, std::vector<std::string>{"About"});
    QCOMPARE(FPlatform->Urls, std::vector<std::string>{"mailto:support@latticor.example"});
  }
};

LATTICOR_APP_TEST_MAIN(TDialogsTest)
#include "DialogsTest.moc"
