// The questions and notices that stop a run from failing silently or producing nonsense (a
// window too large for a wide picture, a least area above every dot, Auto on a picture that was
// never segmented, dots of the other colour than the one chosen), and a code file opened for
// viewing.
#include "AppTest.h"
#include "base/Convert.h"

using namespace AppTest;

class TWarningsTest : public TFormTest {
  Q_OBJECT

  TEncodeParameterForm& P() { return EncodeParameters(); }
  bool Segmented() {
    const TGrayImage& image = Form().Workflow().FSegmenter->Image();
    const uint8_t background = Form().Workflow().FWhiteDots ? 0 : 255;
    return std::count(image.Data(), image.Data() + image.Size(), background) > image.Size() / 4;
  }

 private slots:
  void WidePictureGetsAWindowItsSegmentationAccepts() {
    WriteGridPicture(Work("wide.bmp"), 800, 300);
    NewSegment("wide.bmp");
    QCOMPARE(Parameters().SegmentWinSizeEdit->text(), QString("150"));
    QCOMPARE(Parameters().WinSizeLessThanLabel->text(), QString("No Larger Than 150"));
    Trigger(Form(), "MultiAreaSegmentMenuItem");
    QVERIFY(FPlatform->Errors.empty());
    QCOMPARE(Form().Workflow().FSegmenter->FWinSizeX, 150);
    QVERIFY(Segmented());
    // A tall picture keeps width div 4, which is below its bound.
    WriteGridPicture(Work("tall.bmp"), 200, 500);
    NewSegment("tall.bmp");
    QCOMPARE(Parameters().SegmentWinSizeEdit->text(), QString("50"));
    QCOMPARE(Parameters().WinSizeLessThanLabel->text(), QString("No Larger Than 100"));
  }

  void DotsOfTheOtherColourAreQuestionedBeforeSegmenting() {
    for (bool whiteDots : {true, false}) {
      const std::string name = whiteDots ? "white.bmp" : "black.bmp";
      WriteGridPicture(Work(name), 240, 160, whiteDots);
      if (Form().Workflow().FWhiteDots == whiteDots) Trigger(Form(), "WhiteDotToolButtonAction");
      NewSegment(name);
      const TGrayImage original(Work(name));
      // No: nothing is segmented, and Simple Segment opens no dialog.
      FPlatform->AskAnswers = {false, false};
      Trigger(Form(), "MultiAreaSegmentMenuItem");
      Trigger(Form(), "SimpleSegmentMenuItem");
      QVERIFY(SameImages(Form().Workflow().FSegmenter->Image(), original));
      QVERIFY(FPlatform->DialogTitles.empty());
      QCOMPARE(FPlatform->Questions.size(), size_t(2));
      const std::string look = whiteDots ? "look white, but black dots" : "look black, but white";
      QVERIFY2(FPlatform->Questions[0].find(look) != std::string::npos,
               FPlatform->Questions[0].c_str());
      // Yes segments as asked: the dots become background.
      FPlatform->AskAnswers = {true};
      Trigger(Form(), "MultiAreaSegmentMenuItem");
      QVERIFY(!SameImages(Form().Workflow().FSegmenter->Image(), original));
      // The right colour asks nothing.
      FPlatform->Questions.clear();
      Trigger(Form(), "WhiteDotToolButtonAction");
      Trigger(Form(), "ReLoadImageMenuItem");
      Trigger(Form(), "MultiAreaSegmentMenuItem");
      QVERIFY(Segmented());
      QVERIFY(FPlatform->Questions.empty());
      QVERIFY(FPlatform->Errors.empty());
    }
  }

  void LeastAreaAboveEveryDotProposesTheEstimateFromTheDots() {
    const std::vector<QPointF> centres = Lattice(20, 20, 20, 20, 9, 6);
    WriteDots(Work("dots.bmp"), 200, 140, centres, 4);
    NewEncode("dots.bmp");
    P().AreaThresholdEdit->setText("500");
    FPlatform->AskAnswers = {true};
    DoEncoding();
    QCOMPARE(FPlatform->Questions.size(), size_t(1));
    QVERIFY2(FPlatform->Questions[0].find("smaller than the least area 500") != std::string::npos,
             FPlatform->Questions[0].c_str());
    QVERIFY(FPlatform->Errors.empty());
    QCOMPARE(Form().Workflow().FEncoder->DotSum(), int32_t(centres.size()));
    // All dots alike: the estimate is a third of one dot's area, and the field shows it.
    const int32_t area = Form().Workflow().FEncoder->DotInfo()[0].Area;
    QCOMPARE(P().AreaThresholdEdit->text().toStdString(), IntToStr(area / 3));
    // No keeps the field's value and its message.
    P().AreaThresholdEdit->setText("500");
    FPlatform->AskAnswers = {false};
    DoEncoding();
    QCOMPARE(FPlatform->Errors,
             std::vector<std::string>{"No dots in this image\nmay be you should give a small noise "
                                      "threshold."});
    QCOMPARE(P().AreaThresholdEdit->text(), QString("500"));
    // A least area that keeps some dot asks nothing.
    P().AreaThresholdEdit->setText(QString::number(area));
    FPlatform->Questions.clear();
    DoEncoding();
    QVERIFY(FPlatform->Questions.empty());
    QCOMPARE(Form().Workflow().FEncoder->DotSum(), int32_t(centres.size()));
  }

  void AutoExplainsPicturesItCannotEstimate() {
    WriteGridPicture(Work("gray.bmp"), 240, 160);
    WriteDots(Work("dots.bmp"), 200, 140, Lattice(20, 20, 20, 20, 9, 6), 4);
    NewEncode("gray.bmp");
    Press(P().AutoButton);
    QCOMPARE(FPlatform->Notices.size(), size_t(1));
    QVERIFY2(FPlatform->Notices[0].find("looks unsegmented") != std::string::npos,
             FPlatform->Notices[0].c_str());
    QVERIFY(FPlatform->Notices[0].find("Segment it first") != std::string::npos);
    QCOMPARE(P().AreaThresholdEdit->text(), QString("100"));
    NewEncode("dots.bmp");
    Trigger(Form(), "WhiteDotToolButtonAction");  // black dots on a white-dot result
    Press(P().AutoButton);
    QCOMPARE(FPlatform->Notices.size(), size_t(2));
    QVERIFY2(FPlatform->Notices[1].find("segmented for white dots, but black") != std::string::npos,
             FPlatform->Notices[1].c_str());
    QCOMPARE(P().AreaThresholdEdit->text(), QString("100"));
    Trigger(Form(), "WhiteDotToolButtonAction");
    Press(P().AutoButton);
    QCOMPARE(FPlatform->Notices.size(), size_t(2));
    QVERIFY(P().AreaThresholdEdit->text() != QString("100"));
  }

  void CodeFileShowsItsDotsOverItsPicture() {
    WriteDots(Work("dots.bmp"), 200, 140, Lattice(20, 20, 20, 20, 9, 6), 4);
    auto job = CoreRun(Work("dots.bmp"), true, 10, 2);
    job->SaveCodes(Work("dots.cod"));
    Form().RunCommand([this] { Form().OpenCodeFile(Work("dots.cod")); });
    QVERIFY(FPlatform->Errors.empty());
    const std::vector<TDotInfo>& shown = Form().CodeViewDots();
    QCOMPARE(shown.size(), size_t(job->DotSum()));
    const TGrayImage picture(Work("dots.bmp"));
    for (int32_t i = 0; i < job->DotSum(); ++i) {
      const TDotInfo& dot = job->DotInfo()[i];
      const auto x = int32_t(dot.x), y = int32_t(dot.y);
      QCOMPARE(Form().ViewSurface().Pixel(x - 3, y), clRed);  // the mark's left end
      QCOMPARE(Form().ViewSurface().Pixel(x, y - 3), clRed);
    }
    QCOMPARE(Form().ViewSurface().Pixel(0, 0), GrayColor(picture.GetPixel(0, 0)));
    QVERIFY(Form().statusBar()->currentMessage().contains("54 dots over dots.bmp"));
    // Another picture on the view drops the marks.
    Form().DisplayImage(Work("dots.bmp"));
    QVERIFY(Form().CodeViewDots().empty());
    QVERIFY(ViewShows(Form(), picture));
    // Without its picture beside it: a message naming the picture, and nothing shown.
    std::filesystem::create_directory(Work("alone"));
    std::filesystem::copy_file(Work("dots.cod"), Work("alone/dots.cod"));
    Form().RunCommand([this] { Form().OpenCodeFile(Work("alone/dots.cod")); });
    QCOMPARE(FPlatform->Errors.size(), size_t(1));
    QVERIFY2(
        FPlatform->Errors[0].find("encoded from the picture \"dots.bmp\"") != std::string::npos,
        FPlatform->Errors[0].c_str());
    QVERIFY(Form().CodeViewDots().empty());
    // Not a code file: the loader's own message.
    WriteFileBytes(Work("bad.cod"), "not a code file\r\n");
    Form().RunCommand([this] { Form().OpenCodeFile(Work("bad.cod")); });
    QCOMPARE(FPlatform->Errors.size(), size_t(2));
    QVERIFY(FPlatform->Errors[1].find("is not a code file!") != std::string::npos);
  }
};

LATTICOR_APP_TEST_MAIN(TWarningsTest)
#include "WarningsTest.moc"
