// What the window tells about the work: the state panel, the status after each command, the
// fresh stage of New Encode, and the questions before a doubtful code file is saved.
#include "AppTest.h"
#include "support/Encodeprobe.h"

using namespace AppTest;

class TStateTest : public TFormTest {
  Q_OBJECT

  QString State() { return Form().StateLabel()->text(); }
  QString Status() { return Form().statusBar()->currentMessage(); }

 private slots:
  void StatePanelFollowsFolderPicturePolarityAndStage() {
    std::filesystem::create_directory(Work("run"));
    WriteGridPicture(Work("run/grid.bmp"), 200, 150);
    QVERIFY(State().contains(QString::fromStdString("Folder: " + FWork->Path() + "/ ")));
    QVERIFY(State().contains("Picture: none"));
    NewSegment("run/grid.bmp");
    QVERIFY(State().contains(QString::fromStdString("Folder: " + Work("run/") + " ")));
    QVERIFY(State().contains("Picture: grid.bmp"));
    QVERIFY(State().contains("Dots: white"));
    QCOMPARE(Status(), QString("Picture 200 x 150. Next: Multi-Area Segment or Simple Segment."));
    Trigger(Form(), "WhiteDotToolButtonAction");
    QVERIFY(State().contains("Dots: black"));
    Form().Workflow().FEncodeStage = -1;
    Trigger(Form(), "ShowPositionMenuItem");  // any command brings the panel up to date
    QVERIFY(State().contains("Encoding: origin picked by hand"));
  }

  void NewEncodeStartsAutomaticAndDoEncodingSaysWhatItDid() {
    WriteDots(Work("dots.bmp"), 200, 160, Lattice(20, 20, 24, 24, 7, 6), 5);
    // A stage left by a failed run of another picture.
    Form().Workflow().FEncodeStage = 0;
    NewEncode("dots.bmp");
    QCOMPARE(Form().Workflow().FEncodeStage, 1);
    QVERIFY(State().contains("Encoding: automatic"));
    QCOMPARE(Status(), QString("Next: Do Encoding (F5)."));
    EncodeParameters().AreaThresholdEdit->setText("20");
    DoEncoding();
    QVERIFY(FPlatform->Errors.empty());
    QCOMPARE(Status(), QString("42 dots found, 42 indexed, 0 not indexed. Next: Save Result "
                               "(Ctrl+S)."));
    // Start Encode Again with the pitch: the status names the stage that ran.
    EncodeParameters().DxEdit->setText("24");
    EncodeParameters().DyEdit->setText("24");
    Form().Workflow().FEncodeStage = 0;
    DoEncoding();
    QVERIFY(Status().startsWith("Encoded with the origin from the grid interval dx, dy: 42 dots"));
  }

  void SaveResultAsksBeforeAnEmptyAndRefusesAClashingCodeFile() {
    WriteDots(Work("dots.bmp"), 200, 160, Lattice(20, 20, 24, 24, 7, 6), 5);
    NewEncode("dots.bmp");
    // No dots indexed yet: asked, and No writes nothing.
    FPlatform->AskAnswers.push_back(false);
    SaveCodes("empty.cod");
    QCOMPARE(FPlatform->Questions.back(),
             std::string("No dot has grid indices: the code file would hold no dots.\n"
                         "Save it anyway?"));
    QVERIFY(!std::filesystem::exists(Work("empty.cod")));
    EncodeParameters().AreaThresholdEdit->setText("20");
    DoEncoding();
    // A clean encoding is saved without a question.
    const size_t asked = FPlatform->Questions.size();
    SaveCodes("clean.cod");
    QCOMPARE(FPlatform->Questions.size(), asked);
    QVERIFY(std::filesystem::exists(Work("clean.cod")));
    // Two dots with the same indices: named, and no file that matching would refuse.
    std::vector<TDotInfo>& dots = TEncodeProbe::Dots(*Form().Workflow().FEncoder);
    dots[7].Nx = dots[3].Nx;
    dots[7].Ny = dots[3].Ny;
    SaveCodes("clash.cod");
    QCOMPARE(FPlatform->Questions.size(), asked);
    QVERIFY(FPlatform->Errors.back().starts_with(
        "Dots 3 and 7 both have the grid indices (" + std::to_string(dots[3].Nx) + "," +
        std::to_string(dots[3].Ny) + "): a code file holds one dot per position"));
    QVERIFY(!std::filesystem::exists(Work("clash.cod")));
  }
};

LATTICOR_APP_TEST_MAIN(TStateTest)
#include "StateTest.moc"
