// The Encode menu driven through the main window: New Encode, the three origin stages of Do
// Encoding with their messages, the display while the walk runs, Show Position and Save Result,
// each compared with the encoding job run directly.
#include "AppTest.h"

using namespace AppTest;

namespace {

const std::string AutoFailed =
    "Can not automaticly find origin\nYou can give dx & dy or direct set the origin\nthen push "
    "\"Start Encode Again\" Button ";
const std::string RatioFailed =
    "Can not automaticly find origin\nYou Should Point it, \"use Direct Set Origin\"";

}  // namespace

class TEncodeMenuTest : public TFormTest {
  Q_OBJECT

  TEncodeParameterForm& P() { return EncodeParameters(); }
  // A picture of dots written and opened with New Encode, the least area set to 20.
  void Open(const std::string& name, int32_t width, int32_t height,
            const std::vector<QPointF>& centres, double radius = 4) {
    WriteDots(Work(name), width, height, centres, radius);
    NewEncode(name);
    P().AreaThresholdEdit->setText("20");
  }
  // A view pixel inside dot i's blob, up and left of its centre, where no label reaches.
  TColor InsideDot(const TDotInfo& dot) {
    return Form().ViewSurface().Pixel(int32_t(dot.x) - 2, int32_t(dot.y) - 2);
  }

 private slots:
  void NewEncodeOpensTheJobAndTheDialog() {
    Parameters().show();
    P().ChooseOriginMethodComboBox->setCurrentIndex(0);
    Form().Workflow().FEncodeStage = 0;
    Form().Workflow().FOriginDot = 7;
    Open("dots.bmp", 200, 150, Lattice(20, 20, 16, 16, 10, 7));
    const auto& request = FPlatform->FileRequests.at(0);
    QCOMPARE(request.Title, std::string("select the segmented result image file"));
    QVERIFY(request.FilterIndex == 1);
    QVERIFY(request.Dir == FWork->Path() + "/");
    QCOMPARE(Form().Workflow().FEncodeImageName, Work("dots.bmp"));
    QCOMPARE(Form().Workflow().FEncoder->Delay(), 50);  // the job's own pause until a run sets it
    QVERIFY(ViewShows(Form(), TGrayImage(Work("dots.bmp"))));
    QCOMPARE(P().ChooseOriginMethodComboBox->currentIndex(), 2);
    QVERIFY(P().isVisible());
    QVERIFY(!Parameters().isVisible());
    // A fresh job starts at the automatic stage; the picks and picking stay.
    QVERIFY(Form().Workflow().FEncodeStage == 1);
    QVERIFY(Form().Workflow().FOriginDot == 7);
    QVERIFY(!Form().Workflow().FPickEnabled);
    // A New Segment hides the dialog again and resets the stage.
    NewSegment("dots.bmp");
    QVERIFY(!P().isVisible());
    QVERIFY(!Form().Workflow().FEncoder);
    QCOMPARE(Form().Workflow().FEncodeStage, 1);
  }

  void DoEncodingMatchesTheCoreAndTheDotsVanishOneByOne() {
    // A lattice and two stray dots out of the walk's reach.
    std::vector<QPointF> centres = Lattice(21.3, 18.6, 16, 16, 13, 11);
    centres.insert(centres.begin() + 20, QPointF(270, 50));
    centres.emplace_back(270.5, 150.5);
    Open("dots.bmp", 300, 200, centres);
    Trigger(Form(), "DelayMenuItem");
    const TGrayImage picture(Work("dots.bmp"));
    // At each pause the dots expanded so far, and only they, are erased on the view.
    std::vector<int> erasedAtPause;
    FPlatform->OnSleep = [&](int) {
      int erased = 0;
      for (const TDotInfo& dot : Form().Workflow().FEncoder->DotInfo())
        erased += Form().ViewSurface().Pixel(int(dot.x), int(dot.y)) == GrayColor(0);
      erasedAtPause.push_back(erased);
    };
    DoEncoding();
    QCOMPARE(FPlatform->Errors, std::vector<std::string>());
    QCOMPARE(FPlatform->Beeps, 1);
    QVERIFY(!Form().Busy());
    QVERIFY(Form().Workflow().FEncodeStage == 1);
    QVERIFY(Form().Workflow().FPickEnabled);
    auto core = CoreRun(Work("dots.bmp"), true, 20, 2);
    const TEncode& job = *Form().Workflow().FEncoder;
    QCOMPARE(DotDifference(job, *core), std::string());
    int neted = 0;
    for (const TDotInfo& dot : job.DotInfo()) neted += dot.Neted;
    QCOMPARE(neted, 13 * 11);
    // One 50 ms pause per expanded dot (the origin is assigned, not expanded).
    QCOMPARE(FPlatform->Sleeps, std::vector<int>(size_t(neted - 1), 50));
    for (size_t k = 0; k < erasedAtPause.size(); ++k) QCOMPARE(erasedAtPause[k], int(k) + 1);
    // The picture is back; the dots the walk did not expand are red.
    QVERIFY(SameImages(job.Image(), picture));
    for (const TDotInfo& dot : job.DotInfo()) {
      const uint8_t gray = picture.GetPixel(int32_t(dot.x) - 2, int32_t(dot.y) - 2);
      QCOMPARE(InsideDot(dot), dot.Neted ? GrayColor(gray) : clRed);
    }
    // Without Delay the next run (a fresh job from the file) pauses nowhere.
    Trigger(Form(), "DelayMenuItem");
    FPlatform->OnSleep = nullptr;
    FPlatform->Sleeps.clear();
    DoEncoding();
    QVERIFY(FPlatform->Sleeps.empty());
    QCOMPARE(DotDifference(*Form().Workflow().FEncoder, *core), std::string());
  }

  void StageMachineFromAutomaticFailureToPickedOrigin() {
    // One row of dots: no perpendicular neighbour anywhere.
    Open("row.bmp", 160, 60, Lattice(20, 30, 16, 16, 8, 1));
    std::vector<std::pair<bool, int>> stateAtError;  // busy, beeps when the box opens
    FPlatform->OnError = [&](const std::string&) {
      stateAtError.emplace_back(Form().Busy(), FPlatform->Beeps);
    };
    P().hide();
    DoEncoding();
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{AutoFailed});
    QVERIFY(Form().Workflow().FEncodeStage == 0);
    QVERIFY(P().isVisible());
    QVERIFY(Form().Workflow().FOriginDot == -1);
    QCOMPARE(Form().Workflow().FNeighbourDots, (std::array<int32_t, 4>{-1, -1, -1, -1}));
    const TEncode* job = Form().Workflow().FEncoder.get();
    // Stage 0 on the same job: the ratio finds no vertical neighbours either.
    P().DxEdit->setText("16");
    P().DyEdit->setText("16");
    P().hide();
    Press(P().SetDxDyStartButton);
    QCOMPARE(Form().Workflow().FEncoder.get(), job);
    QCOMPARE(FPlatform->Errors.back(), RatioFailed);
    QVERIFY(Form().Workflow().FEncodeStage == -1);
    QVERIFY(P().isVisible());
    // Stage -1 without picks.
    Press(P().SetOriginStartButton);
    QCOMPARE(FPlatform->Errors.back(), std::string(" You give the wrong ORIGIN(starting grid)"));
    QCOMPARE(Form().Workflow().FEncodeStage, -1);
    // Every failure beeped and showed idle before its message.
    QCOMPARE(stateAtError, (std::vector<std::pair<bool, int>>{{false, 1}, {false, 2}, {false, 3}}));
    // The user picks the origin and its two neighbours by clicking, with origin indices (5, -2).
    const int32_t origin = DotNear(*job, 84, 30), right = DotNear(*job, 100, 30),
                  left = DotNear(*job, 68, 30);
    Click(DotPoint(origin));
    Press(P().RightSpeedButton);
    Click(DotPoint(right));
    Press(P().LeftSpeedButton);
    Click(DotPoint(left));
    QCOMPARE(Form().Workflow().FNeighbourDots, (std::array<int32_t, 4>{right, -1, left, -1}));
    P().SetOriginNxEdit->setText("5");
    P().SetOriginNyEdit->setText("-2");
    Press(P().SetOriginStartButton);
    QCOMPARE(FPlatform->Errors.size(), size_t(3));
    QVERIFY(Form().Workflow().FEncodeStage == 1);
    QVERIFY(Form().Workflow().FEncoder.get() == job);
    for (const TDotInfo& dot : job->DotInfo()) {
      QVERIFY(dot.Coded);
      QCOMPARE(dot.Nx, 5 + int(std::lround((dot.x - 84) / 16)));
      QCOMPARE(dot.Ny, -2);
    }
    QCOMPARE(FPlatform->Beeps, 4);
  }

  void BadFieldsAreReportedInTheOrderTheStagesReadThem() {
    Open("row.bmp", 160, 60, Lattice(20, 30, 16, 16, 8, 1));
    DoEncoding();
    // The pitch stage reads dx before dy.
    P().DxEdit->setText("wide");
    P().DyEdit->setText("tall");
    Press(P().SetDxDyStartButton);
    QCOMPARE(FPlatform->Errors.back(), std::string("'wide' is not a valid floating point value."));
    QCOMPARE(Form().Workflow().FEncodeStage, 0);
    P().DxEdit->setText("16");
    P().DyEdit->setText("16");
    Press(P().SetDxDyStartButton);
    QCOMPARE(Form().Workflow().FEncodeStage, -1);
    // The picked-origin stage reads Ny before Nx.
    P().SetOriginNxEdit->setText("east");
    P().SetOriginNyEdit->setText("north");
    Press(P().SetOriginStartButton);
    QCOMPARE(FPlatform->Errors.back(), std::string("'north' is not a valid integer value."));
    P().SetOriginNyEdit->setText("0");
    Press(P().SetOriginStartButton);
    QCOMPARE(FPlatform->Errors.back(), std::string("'east' is not a valid integer value."));
    QCOMPARE(Form().Workflow().FEncodeStage, -1);
  }

  void NewEncodeAfterAFailedRunStartsAgainAutomatically() {
    Open("row.bmp", 160, 60, Lattice(20, 30, 16, 16, 8, 1));
    DoEncoding();
    QVERIFY(Form().Workflow().FEncodeStage == 0);
    NewEncode("row.bmp");
    P().DxEdit->setText("16");
    P().DyEdit->setText("16");
    // The fresh job's dots are found first: the same automatic failure again, not a pitch
    // search among dots the job does not have.
    DoEncoding();
    QCOMPARE(FPlatform->Errors, (std::vector<std::string>{AutoFailed, AutoFailed}));
    QVERIFY(Form().Workflow().FEncodeStage == 0);
    QCOMPARE(Form().Workflow().FEncoder->DotSum(), 8);
  }

  void PitchRatioFromADragRescuesAGridTooTallForTheAutomaticSearch() {
    // dy / dx = 4: the automatic search looks no further than 3 times the nearest distance.
    Open("tall.bmp", 120, 240, Lattice(20, 20, 10, 40, 9, 6), 3);
    P().AreaThresholdEdit->setText("10");
    DoEncoding();
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{AutoFailed});
    Drag(QPoint(50, 60), QPoint(60, 100));
    QCOMPARE(P().DxEdit->text() + " " + P().DyEdit->text(), QString("10 40"));
    Press(P().SetDxDyStartButton);
    QVERIFY(FPlatform->Errors.size() == 1);
    QVERIFY(Form().Workflow().FEncodeStage == 1);
    QCOMPARE(Form().Workflow().FEncoder->Ratio(), 4.0f);
    for (const TDotInfo& dot : Form().Workflow().FEncoder->DotInfo()) QVERIFY(dot.Coded);
    // A field that is not a number ends the run with the conversion error; stage 0 stays.
    P().DxEdit->setText("ten");
    Press(P().SetDxDyStartButton);
    QCOMPARE(FPlatform->Errors.back(), std::string("'ten' is not a valid floating point value."));
    QVERIFY(Form().Workflow().FEncodeStage == 0);
    QVERIFY(!Form().Busy());
  }

  void DoEncodingWithTheFileGoneLeavesNoJob() {
    Open("dots.bmp", 200, 150, Lattice(20, 20, 16, 16, 10, 7));
    std::filesystem::remove(Work("dots.bmp"));
    DoEncoding();
    QVERIFY(FPlatform->Errors.size() == 1);
    QVERIFY(FPlatform->Beeps == 1);
    QVERIFY(!Form().Busy());
    QVERIFY(!Form().Workflow().FEncoder);
    QVERIFY(Form().Workflow().FEncodeStage == 1);
    // The view no longer shows the released picture.
    QVERIFY(Form().ViewSurface().Pixel(20, 20) == Form().PaintBox()->Background());
    // A least area that is not a number: the job is built and prepared, then the run ends.
    Open("dots.bmp", 200, 150, Lattice(20, 20, 16, 16, 10, 7));
    P().AreaThresholdEdit->setText("many");
    DoEncoding();
    QCOMPARE(FPlatform->Errors.back(), std::string("'many' is not a valid integer value."));
    QVERIFY(Form().Workflow().FEncoder);
    QVERIFY(Form().Workflow().FPickEnabled);
  }

  void ShowPositionDrawsWhatTheJobDraws() {
    Open("dots.bmp", 200, 160, Lattice(20, 20, 24, 24, 7, 6));
    DoEncoding();
    // Show Position: the same drawing as the job makes on a copy of the view.
    TPaintBox copy;
    copy.Surface().SetLabelsApart(true);
    copy.Surface().Reset(200, 160, clBlack);
    copy.Surface().DrawPicture(Form().ViewSurface());
    TEncode& job = *Form().Workflow().FEncoder;
    job.SetCanvas(&copy.Surface());
    job.ShowPosition();
    job.SetCanvas(&Form().ViewSurface());
    Trigger(Form(), "ShowPositionMenuItem");
    const TViewSurface& view = Form().ViewSurface();
    QVERIFY(SameSurfaces(view, copy.Surface()));
    // The labels are kept for the screen, one per dot at its centre pixel, as the job wrote them.
    QCOMPARE(view.Labels().size(), size_t(job.DotSum()));
    QCOMPARE(view.Labels().size(), copy.Surface().Labels().size());
    for (size_t i = 0; i < view.Labels().size(); ++i) {
      QCOMPARE(view.Labels()[i].Text, copy.Surface().Labels()[i].Text);
      QCOMPARE(view.Labels()[i].X, copy.Surface().Labels()[i].X);
    }
    const TDotInfo& last = job.DotInfo().back();
    QCOMPARE(view.Labels().back().Text, job.DotLabel(job.DotSum() - 1));
    QCOMPARE(view.Labels().back().Y, int32_t(last.y));
  }

  void SaveResultWritesTheCodeFileWithTheScaleInForce() {
    Open("dots.bmp", 200, 160, Lattice(20, 20, 24, 24, 7, 6));
    DoEncoding();
    // Save Result: the factors of the scale dialog go into the file, written where the dialog
    // said; the working directory follows.
    ComputeScale("250", "5", "200", "5");
    std::filesystem::create_directory(Work("elsewhere"));
    WithFile("SaveEncodeResultToolButtonAction", "elsewhere/two.cod");
    const auto& request = FPlatform->FileRequests.back();
    QCOMPARE(request.Title, std::string("Save codes to"));
    QVERIFY(request.FilterIndex == 2);
    QVERIFY(request.DefaultExt == "cod");
    QVERIFY(request.Dir == FWork->Path() + "/");
    QVERIFY(!std::filesystem::exists(Work("two.cod")));
    QCOMPARE(Form().Workflow().FCodeFileName, Work("elsewhere/two.cod"));
    QCOMPARE(Form().Workflow().FWorkDir, Work("elsewhere/"));
    auto core = CoreRun(Work("dots.bmp"), true, 20, 2);
    core->SetScale(0.02f, 0.025f);
    core->SaveCodes(Work("core.cod"));
    const std::string two = ReadFileBytes(Work("elsewhere/two.cod"));
    QCOMPARE(two, ReadFileBytes(Work("core.cod")));
    // Cancel writes nothing; a folder that cannot be written reports and keeps the old file.
    FPlatform->FileAnswers.push_back(std::nullopt);
    Trigger(Form(), "SaveEncodeResultMenuItem");
    SaveCodes("missing/two.cod");
    QCOMPARE(FPlatform->Errors.size(), size_t(1));
    QCOMPARE(ReadFileBytes(Work("elsewhere/two.cod")), two);
  }

  void AutoProposesTwoThirdsOfTheMeanArea() {
    TGrayImage squares;
    squares.SetWidth(120);
    squares.SetHeight(80);
    squares.FillRect(0, 0, 0, 119, 79);
    for (int i = 0; i < 4; ++i) squares.FillRect(200, 10 + 25 * i, 20, 19 + 25 * i, 29);
    squares.FillRect(200, 0, 50, 9, 59);  // touches the border: cleared before the mean
    squares.SaveToFile(Work("squares.bmp"));
    Press(P().AutoButton);  // no picture chosen yet: nothing happens
    QCOMPARE(P().AreaThresholdEdit->text(), QString("100"));
    NewEncode("squares.bmp");
    Press(P().AutoButton);
    QCOMPARE(P().AreaThresholdEdit->text(), QString("66"));
  }

  void CommandsWithoutAJobDoNothing() {
    DoEncoding();
    Trigger(Form(), "ShowPositionMenuItem");
    Trigger(Form(), "SaveEncodeResultMenuItem");
    for (QAbstractButton* button : {P().SetOriginStartButton, P().SetDxDyStartButton,
                                    P().ModifyCoordButton, P().ModifyOriginButton})
      Press(button);
    QVERIFY(Form().Workflow().FEncodeStage == 1);
    QVERIFY(!Form().Workflow().FPickEnabled);
    QVERIFY(FPlatform->Beeps == 0);
    QVERIFY(FPlatform->FileRequests.empty());
    QVERIFY(FPlatform->Errors.empty());
    // The Set button stores the index in the active slot even without a job.
    Press(P().RightSpeedButton);
    P().DirectSetOriginEdit->setText("12");
    Press(P().SetButton);
    QCOMPARE(Form().Workflow().FNeighbourDots[0], 12);
    P().DirectSetOriginEdit->setText("x");
    Press(P().SetButton);
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{"'x' is not a valid integer value."});
  }
};

LATTICOR_APP_TEST_MAIN(TEncodeMenuTest)
#include "EncodeMenuTest.moc"
