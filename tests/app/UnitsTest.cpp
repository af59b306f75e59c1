// The units in sight: the scale in the state panel (marked while it is an earlier run's), what
// Apply did, the scale a saved code file carries, a matching made before the scale changed, and
// a displacement file whose y column mixes pixels and units.
#include "AppTest.h"

using namespace AppTest;

class TUnitsTest : public TFormTest {
  Q_OBJECT

  QString State() { return Form().StateLabel()->text(); }
  QString Status() { return Form().statusBar()->currentMessage(); }

 private slots:
  void ScaleIsShownFromStartToTheDisplacementFile() {
    SetSetting("Image Scale/scalex", 0.05);
    SetSetting("Image Scale/scaley", 0.05);
    NewForm().show();
    QVERIFY(State().contains("Scale: 0.05 x 0.05/px (earlier run)"));
    WriteDots(Work("dots.bmp"), 200, 160, Lattice(20, 20, 24, 24, 7, 6), 5);
    NewEncode("dots.bmp");
    EncodeParameters().AreaThresholdEdit->setText("20");
    DoEncoding();
    SaveCodes("dots.cod");
    QVERIFY2(Status().contains("It carries the scale 0.05 x 0.05 per pixel, kept from an earlier "
                               "run"),
             qPrintable(Status()));
    // Apply that changes nothing says so, and the factors are this run's from then on.
    ComputeScale("20", "1", "20", "1");
    QVERIFY2(Status().startsWith("Nothing was applied: the scale 0.05 x 0.05 is already in force. "
                                 "Without Set Scale"),
             qPrintable(Status()));
    QVERIFY(!State().contains("earlier run"));
    FPlatform->FileAnswers.push_back(Work("dots.cod"));
    WithFile("DoMatchingMenuItem", "dots.cod");
    QVERIFY(!State().contains("stale"));
    // A new scale after matching: the result is stale until matched again.
    ComputeScale("20", "1", "10", "1");
    QVERIFY(Status().startsWith("Scale 0.05 x 0.1 per pixel (was 0.05 x 0.05)"));
    QVERIFY(Status().contains("The matching result was made before"));
    QVERIFY(State().contains("Match: stale (scale 0.05 x 0.05)"));
    ComputeScale("10", "1", "20", "1");
    QVERIFY(State().contains("Match: stale"));
    // The y column of the displacement file mixes units: said, and the CSV is offered.
    FPlatform->FileAnswers.push_back(Work("M.dat"));
    FPlatform->DialogScripts.push_back(
        [](QDialog& d) { Press(static_cast<TMatchResultForm&>(d).OKButton); });
    FPlatform->AskAnswers.push_back(false);
    Trigger(Form(), "SaveMatchResultMenuItem");
    QCOMPARE(FPlatform->Questions.size(), size_t(1));
    QVERIFY2(FPlatform->Questions[0].starts_with("In M.dat the y column is the picture height in "
                                                 "pixels (160) minus the scaled y: with the scale "
                                                 "y 0.05 it mixes pixels and units"),
             FPlatform->Questions[0].c_str());
    ComputeScale("20", "1", "20", "1");
    QVERIFY(!State().contains("stale"));
    QVERIFY(FPlatform->Errors.empty());
  }
};

LATTICOR_APP_TEST_MAIN(TUnitsTest)
#include "UnitsTest.moc"
