// The Match menu and the scale dialog driven through the main window: Do Matching, Save Result
// with the result type dialog in several layouts, and the scale computed, typed and measured
// with a drag.
#include "AppTest.h"
#include "match/Matchalign.h"

using namespace AppTest;

class TMatchMenuTest : public TFormTest {
  Q_OBJECT

  TComputeScaleForm& S() { return *Form().ComputeScaleForm(); }

  // Two encoded pictures of one lattice, the second moved by (1.5, -2) pixels, as code files.
  void WriteCodeFiles() {
    WriteDots(Work("init.bmp"), 200, 160, Lattice(30, 30, 20, 20, 8, 6), 4.5);
    WriteDots(Work("def.bmp"), 200, 160, Lattice(31.5, 28, 20, 20, 8, 6), 4.5);
    CoreRun(Work("init.bmp"), true, 20, 2)->SaveCodes(Work("init.cod"));
    CoreRun(Work("def.bmp"), true, 20, 2)->SaveCodes(Work("def.cod"));
  }
  void DoMatching(const std::string& initial, const std::string& deformed) {
    FPlatform->FileAnswers.push_back(Work(initial));
    WithFile("DoMatchingToolButtonAction", deformed);
  }
  // Save Result with the given layout and Y option through a fresh result type dialog.
  void SaveMatch(const std::string& name, int layout, bool changeY) {
    FPlatform->FileAnswers.push_back(Work(name));
    FPlatform->DialogScripts.push_back([=, this](QDialog& dialog) {
      auto& d = static_cast<TMatchResultForm&>(dialog);
      QVERIFY(d.MatchResultTypeComboBox->currentIndex() == 0);
      QVERIFY(d.ChangeYaxisCheckBox->isChecked());
      d.MatchResultTypeComboBox->setCurrentIndex(layout);
      d.ChangeYaxisCheckBox->setChecked(changeY);
      Press(d.OKButton);
    });
    Trigger(Form(), "SaveMatchResultMenuItem");
  }
  // The file the matching job writes directly for the same choices to the same path.
  std::string Expected(const std::string& deformed, int layout, bool changeY,
                       const std::string& path) {
    TMatch job(Work("init.cod"), Work(deformed));
    job.Match();
    job.FChangeYAxis = changeY;
    const std::string saved = ReadFileBytes(path);
    job.WriteResult(layout, path);
    const std::string bytes = ReadFileBytes(path);
    WriteFileBytes(path, saved);
    return bytes;
  }

 private slots:
  void CodeFileWithTwoDotsAtOnePositionIsRefused() {
    WriteCodeFiles();
    DoMatching("init.cod", "def.cod");
    QVERIFY(Form().Workflow().FMatcher);
    WriteFileBytes(Work("dup.cod"),
                   "VRKT-FS\r\n2 64 48\r\n5  5  1.000000  1.000000  0\r\n"
                   "  0  10.0  10.0  0  0  30\r\n  1  20.0  10.0  0  0  30\r\ng.bmp\r\n");
    DoMatching("init.cod", "dup.cod");
    QCOMPARE(FPlatform->Errors.back(), Work("dup.cod") +
                                           ": the dots on lines 4 and 5 have the same grid "
                                           "position (0 , 0); each position holds one dot.");
    QVERIFY(!Form().Workflow().FMatcher);
  }

  void WholePitchOffsetIsReportedAndAlignedOnYes() {
    WriteDots(Work("init.bmp"), 200, 160, Lattice(30, 30, 20, 20, 8, 6), 4.5);
    WriteDots(Work("def.bmp"), 200, 160, Lattice(30.5, 29, 20, 20, 8, 6), 4.5);
    CoreRun(Work("init.bmp"), true, 20, 2)->SaveCodes(Work("init.cod"));
    // The deformed indices one less than the initial ones: its origin is its right neighbour.
    auto shifted = CoreRun(Work("def.bmp"), true, 20, 2);
    shifted->ModifyOrigin(shifted->DotInfo()[shifted->FindOrigin(2)].Neighbour[0]);
    shifted->SaveCodes(Work("shifted.cod"));
    for (bool yes : {false, true}) {
      FPlatform->AskAnswers.push_back(yes);
      DoMatching("init.cod", "shifted.cod");
      QCOMPARE(FPlatform->Questions.size(), size_t{yes ? 2u : 1u});
      const std::string& q = FPlatform->Questions.back();
      QVERIFY(q.find("The dots' patterns show that the two code files index the grid from origins "
                     "(1, 0) dots apart") != std::string::npos);
      QVERIFY(q.find("Shift the deformed indices by (1, 0)") != std::string::npos);
      const TMatch& m = *Form().Workflow().FMatcher;
      QCOMPARE(m.FMatchSum, yes ? 48 : 42);
      for (int32_t k = 0; k < m.FMatchSum; ++k)
        QVERIFY(std::fabs(m.FDisplacement[k].x - (yes ? 0.5f : 20.5f)) < 0.01f);
    }
    QCOMPARE(FPlatform->Notices.back(), AlignmentNote(1, 0, 0));
    // A pair without offset asks nothing.
    DoMatching("init.cod", "init.cod");
    QCOMPARE(FPlatform->Questions.size(), size_t{2});
  }

  void SaveResultTwiceWithLayoutsOneAndSeven() {
    WriteCodeFiles();
    DoMatching("init.cod", "def.cod");
    QCOMPARE(FPlatform->FileRequests.at(0).Title, std::string("selet the initial code file"));
    QCOMPARE(FPlatform->FileRequests.at(1).Title, std::string("select the deformed code file"));
    QCOMPARE(FPlatform->FileRequests.at(1).FilterIndex, 2);
    QVERIFY(Form().Workflow().FMatcher->FMatchSum == 48);
    QVERIFY(FPlatform->Beeps == 1);
    SaveMatch("first.dat", 1, true);
    const auto& request = FPlatform->FileRequests.back();
    QCOMPARE(request.Title, std::string("Save matching results to"));
    QVERIFY(request.Save);
    QVERIFY(request.FilterIndex == 3);
    QVERIFY(request.ProposedName == "Match0");
    QVERIFY(request.DefaultExt == "dat");
    QVERIFY(request.Dir == FWork->Path() + "/");
    QCOMPARE(FPlatform->DialogTitles, std::vector<std::string>{"Select Result Type"});
    SaveMatch("second.dat", 7, false);
    QCOMPARE(FPlatform->Beeps, 3);
    QCOMPARE(ReadFileBytes(Work("first.dat")), Expected("def.cod", 1, true, Work("first.dat")));
    QCOMPARE(ReadFileBytes(Work("second.dat")), Expected("def.cod", 7, false, Work("second.dat")));
    QVERIFY(FPlatform->Errors.empty());
  }

  void CancelsWriteNothingAndFailuresKeepWhatTheySay() {
    Trigger(Form(), "SaveMatchResultToolButtonAction");
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{"Do matching first."});
    QVERIFY(FPlatform->FileRequests.empty());
    WriteCodeFiles();
    DoMatching("init.cod", "init.cod");
    TMatch* job = Form().Workflow().FMatcher.get();
    // Cancel in the second open dialog keeps the job; Cancel in the save dialog, then in the
    // result type dialog writes nothing and does not beep.
    FPlatform->FileAnswers = {Work("init.cod"), std::nullopt, std::nullopt, Work("Match0.dat")};
    FPlatform->DialogScripts.push_back(
        [this](QDialog& d) { Press(static_cast<TMatchResultForm&>(d).CancelButton); });
    Trigger(Form(), "DoMatchingMenuItem");
    QCOMPARE(Form().Workflow().FMatcher.get(), job);
    const int beeps = FPlatform->Beeps;
    Trigger(Form(), "SaveMatchResultMenuItem");
    Trigger(Form(), "SaveMatchResultMenuItem");
    QVERIFY(!std::filesystem::exists(Work("Match0.dat")));
    QVERIFY(FPlatform->Beeps == beeps);
    // A folder that cannot be written: the writer's message and the reason; the job stays for
    // another try.
    SaveMatch("missing/Match0.dat", 1, true);
    QCOMPARE(FPlatform->Errors.back(), std::string("write result file error \n") +
                                           Work("missing/Match0.dat") +
                                           " (No such file or directory)");
    // A folder that does not exist is not taken as the working directory.
    QCOMPARE(Form().Workflow().FWorkDir, FWork->Path() + "/");
    SaveMatch("Match0.dat", 0, true);
    QCOMPARE(ReadFileBytes(Work("Match0.dat")), Expected("init.cod", 0, true, Work("Match0.dat")));
    // A missing code file ends Do Matching with no job left.
    DoMatching("init.cod", "gone.cod");
    QVERIFY(!Form().Workflow().FMatcher);
    QVERIFY(!Form().Busy());
    QVERIFY(FPlatform->Errors.back().find("gone.cod") != std::string::npos);
  }

  void ScaleDialogComputesOrTakesTheFactors() {
    Form().Workflow().FScaleX = 0.1f;
    QVERIFY(!S().isVisible());
    QVERIFY(S().windowFlags() & Qt::Tool);
    Trigger(Form(), "SetScaleToolButtonAction");
    QVERIFY(S().isVisible());
    QVERIFY(S().ScaleXRadioButton->isChecked());
    QCOMPARE(S().windowTitle(), QString("Compute Scale"));
    QCOMPARE(S().ScaleXEdit->text(), QString("0.1"));
    QCOMPARE(S().ActualScaleXEdit->text(), QString("1.0"));
    QVERIFY(!S().SetScaleGroupBox->isEnabled());
    QVERIFY(S().ComputeScaleGroupBox->isEnabled());
    ComputeScale("250", "5", "200", "5");
    QVERIFY(Form().Workflow().FScaleX == 0.02f);
    QVERIFY(Form().Workflow().FScaleY == 0.025f);
    QCOMPARE(S().ScaleXEdit->text(), QString("0.02"));
    QCOMPARE(S().ScaleYEdit->text(), QString("0.025"));
    // An image length of 0 changes nothing.
    S().ImageScaleYEdit->setText("0");
    Press(S().ApplyScaleButton);
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{"Floating point division by zero."});
    QVERIFY(Form().Workflow().FScaleY == 0.025f);
    QVERIFY(S().ScaleYEdit->text() == "0.025");
    // Set Scale switches the groups and takes the typed factors.
    S().SetScaleCheckBox->click();
    QVERIFY(S().SetScaleGroupBox->isEnabled());
    QVERIFY(!S().ComputeScaleGroupBox->isEnabled());
    S().ScaleXEdit->setText("0.5");
    S().ScaleYEdit->setText("0.5");
    Press(S().ApplyScaleButton);
    QVERIFY(Form().Workflow().FScaleX == 0.5f);
    QVERIFY(Form().Workflow().FScaleY == 0.5f);
    QVERIFY(S().ScaleXEdit->text() == "0.5");
    // Close hides it; shown again it keeps its texts and shows the window's factors.
    Press(S().CloseButton);
    QVERIFY(!S().isVisible());
    Form().Workflow().FScaleY = 2;
    Trigger(Form(), "SetScaleMenuItem");
    QVERIFY(S().SetScaleCheckBox->isChecked());
    QVERIFY(S().ImageScaleXEdit->text() == "250");
    QCOMPARE(S().ScaleYEdit->text(), QString("2"));
  }

  void DragFillsTheImageLengthOfTheSelectedAxis() {
    WriteDots(Work("dots.bmp"), 200, 160, Lattice(30, 30, 20, 20, 8, 6), 4.5);
    NewEncode("dots.bmp");
    // Each drag given as the lengths "x y" it leaves in the dialog.
    auto drag = [this](QPoint from, QPoint to) {
      Drag(from, to);
      return S().ImageScaleXEdit->text() + " " + S().ImageScaleYEdit->text();
    };
    QCOMPARE(drag(QPoint(10, 40), QPoint(110, 45)), QString("1 1"));  // hidden: nothing
    Trigger(Form(), "SetScaleMenuItem");
    QCOMPARE(drag(QPoint(10, 40), QPoint(110, 45)), QString("100 1"));
    Press(S().ScaleYRadioButton);
    QCOMPARE(drag(QPoint(10, 40), QPoint(110, 45)), QString("100 5"));
    QCOMPARE(drag(QPoint(20, 150), QPoint(20, 300)), QString("100 9"));  // clamped to row 159
    S().SetScaleCheckBox->click();
    QCOMPARE(drag(QPoint(0, 0), QPoint(50, 50)), QString("100 9"));
  }
};

LATTICOR_APP_TEST_MAIN(TMatchMenuTest)
#include "MatchMenuTest.moc"
