// The Match menu and the scale dialog driven through the main window: Do Matching, Save Result
// with the result type dialog in several layouts, and the scale computed, typed and measured
// with a drag.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>

#include "AppTest.h"
#include "app/Imageview.h"
#include "encode/Encodeparameter.h"
#include "match/Computescale.h"
#include "match/Match.h"
#include "match/Matchresult.h"

using namespace AppTest;

class TMatchMenuTest : public TFormTest {
  Q_OBJECT

  TComputeScaleForm& S() { return *Form().FComputeScaleForm; }

  // Two encoded pictures of one lattice, the second moved by (1.5, -2) pixels, as code files.
  void WriteCodeFiles() {
    WriteDots(Work("init.bmp"), 200, 160, Lattice(30, 30, 20, 20, 8, 6), 4.5);
    WriteDots(Work("def.bmp"), 200, 160, Lattice(31.5, 28, 20, 20, 8, 6), 4.5);
    CoreRun(Work("init.bmp"), true, 20, 2)->SaveCodes(Work("init.cod"));
    CoreRun(Work("def.bmp"), true, 20, 2)->SaveCodes(Work("def.cod"));
  }
  void DoMatching(const std::string& initial, const std::string& deformed) {
    FPlatform->FileAnswers.push_back(Work(initial));
    FPlatform->FileAnswers.push_back(Work(deformed));
    Trigger(Form(), "DoMatchingToolButtonAction");
  }
  // Save Result with the given layout and Y option through the result type dialog.
  void SaveMatch(const std::string& name, int layout, bool changeY) {
    FPlatform->FileAnswers.push_back(Work(name));
    FPlatform->DialogScripts.push_back([=, this](QDialog& dialog) {
      auto& d = static_cast<TMatchResultForm&>(dialog);
      QCOMPARE(d.MatchResultTypeComboBox->currentIndex(), 0);  // a fresh dialog every time
      QVERIFY(d.ChangeYaxisCheckBox->isChecked());
      d.MatchResultTypeComboBox->setCurrentIndex(layout);
      d.ChangeYaxisCheckBox->setChecked(changeY);
      Press(d.OKButton);
    });
    Trigger(Form(), "SaveMatchResultMenuItem");
  }
  // What the matching job writes directly for the same choices and the same path.
  std::string Expected(const std::string& initial, const std::string& deformed, int layout,
                       bool changeY, const std::string& path) {
    TMatch job(Work(initial), Work(deformed));
    job.Match();
    job.FChangeYAxis = changeY;
    const std::string saved = ReadFileBytes(path);
    job.WriteResult(layout, path);
    const std::string bytes = ReadFileBytes(path);
    WriteFileBytes(path, saved);
    return bytes;
  }

 private slots:
  void SaveResultTwiceWithLayoutsOneAndSeven() {
    WriteCodeFiles();
    DoMatching("init.cod", "def.cod");
    QCOMPARE(FPlatform->FileRequests.at(0).Title, std::string("selet the initial code file"));
    QCOMPARE(FPlatform->FileRequests.at(1).Title, std::string("select the deformed code file"));
    QCOMPARE(FPlatform->FileRequests.at(1).FilterIndex, 2);
    QVERIFY(Form().FMatcher != nullptr);
    QCOMPARE(Form().FMatcher->FMatchSum, 48);
    QCOMPARE(FPlatform->Beeps, 1);
    SaveMatch("first.dat", 1, true);
    const auto& request = FPlatform->FileRequests.back();
    QVERIFY(request.Save);
    QCOMPARE(request.Title, std::string("Save matching results to"));
    QCOMPARE(request.FilterIndex, 3);
    QCOMPARE(request.ProposedName, std::string("Match0"));
    QCOMPARE(request.DefaultExt, std::string("dat"));
    QCOMPARE(request.Dir, FWork->Path() + "/");
    QCOMPARE(FPlatform->DialogTitles, std::vector<std::string>{"Select Result Type"});
    SaveMatch("second.dat", 7, false);
    QCOMPARE(FPlatform->Beeps, 3);
    const std::string first = ReadFileBytes(Work("first.dat"));
    const std::string second = ReadFileBytes(Work("second.dat"));
    QCOMPARE(first, Expected("init.cod", "def.cod", 1, true, Work("first.dat")));
    QCOMPARE(second, Expected("init.cod", "def.cod", 7, false, Work("second.dat")));
    QVERIFY(first.find("In this " + Work("first.dat") + ", 48 dots have been matched\r\n") !=
            std::string::npos);
    QVERIFY(first.find("       1.500       2.000\r\n") != std::string::npos);  // dy up: +2
    QVERIFY(second.find(" Y axis is not changed\r\n") != std::string::npos);
    QVERIFY(FPlatform->Errors.empty());
  }

  void CancelsWriteNothingAndFailuresKeepWhatTheySay() {
    Trigger(Form(), "SaveMatchResultToolButtonAction");
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{"Do matching first."});
    QVERIFY(FPlatform->FileRequests.empty());
    WriteCodeFiles();
    DoMatching("init.cod", "init.cod");  // the same file twice: every displacement is 0
    TMatch* job = Form().FMatcher.get();
    for (int32_t k = 0; k < job->FMatchSum; ++k)
      QVERIFY(job->FDisplacement[size_t(k)].x == 0 && job->FDisplacement[size_t(k)].y == 0);
    // Cancel in the second open dialog keeps the job.
    FPlatform->FileAnswers.push_back(Work("init.cod"));
    FPlatform->FileAnswers.push_back(std::nullopt);
    Trigger(Form(), "DoMatchingMenuItem");
    QCOMPARE(Form().FMatcher.get(), job);
    // Cancel in the save dialog, then in the result type dialog: nothing written, no beep.
    const int beeps = FPlatform->Beeps;
    FPlatform->FileAnswers.push_back(std::nullopt);
    Trigger(Form(), "SaveMatchResultMenuItem");
    FPlatform->FileAnswers.push_back(Work("Match0.dat"));
    FPlatform->DialogScripts.push_back(
        [this](QDialog& d) { Press(static_cast<TMatchResultForm&>(d).CancelButton); });
    Trigger(Form(), "SaveMatchResultMenuItem");
    QVERIFY(!std::filesystem::exists(Work("Match0.dat")));
    QCOMPARE(FPlatform->Beeps, beeps);
    // A folder that cannot be written: the writer's message; the job stays for another try.
    Form().FWorkDir = Work("missing/");
    SaveMatch("Match0.dat", 1, true);
    QCOMPARE(FPlatform->Errors.back(),
             std::string("write result file error \n") + Work("missing/Match0.dat") + ".");
    Form().FWorkDir = FWork->Path() + "/";
    SaveMatch("Match0.dat", 0, true);
    QCOMPARE(ReadFileBytes(Work("Match0.dat")),
             Expected("init.cod", "init.cod", 0, true, Work("Match0.dat")));
    // A missing code file ends Do Matching with no job left.
    DoMatching("init.cod", "gone.cod");
    QVERIFY(!Form().FMatcher);
    QVERIFY(FPlatform->Errors.back().find("gone.cod") != std::string::npos);
    QVERIFY(!Form().Busy());
  }

  void ScaleDialogComputesOrTakesTheFactors() {
    Form().FScaleX = 0.1f;
    QVERIFY(!S().isVisible() && (S().windowFlags() & Qt::Tool));
    Trigger(Form(), "SetScaleToolButtonAction");
    QVERIFY(S().isVisible());
    QCOMPARE(S().windowTitle(), QString("Compute Scale"));
    QCOMPARE(S().ScaleXEdit->text(), QString("0.100000001490116"));
    QCOMPARE(S().ActualScaleXEdit->text(), QString("1.0"));
    QVERIFY(S().ScaleXRadioButton->isChecked());
    QVERIFY(!S().SetScaleGroupBox->isEnabled() && S().ComputeScaleGroupBox->isEnabled());
    ComputeScale("250", "5", "200", "5");
    QCOMPARE(Form().FScaleX, 0.02f);
    QCOMPARE(Form().FScaleY, 0.025f);
    QCOMPARE(S().ScaleXEdit->text(), QString("0.0199999995529652"));
    QCOMPARE(S().ScaleYEdit->text(), QString("0.025000000372529"));
    // An image length of 0 changes nothing.
    S().ImageScaleYEdit->setText("0");
    Press(S().ApplyScaleButton);
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{"Floating point division by zero."});
    QCOMPARE(Form().FScaleY, 0.025f);
    QCOMPARE(S().ScaleYEdit->text(), QString("0.025000000372529"));
    // Set Scale switches the groups and takes the typed factors.
    S().SetScaleCheckBox->click();
    QVERIFY(S().SetScaleGroupBox->isEnabled() && !S().ComputeScaleGroupBox->isEnabled());
    S().ScaleXEdit->setText("0.5");
    S().ScaleYEdit->setText("0.5");
    Press(S().ApplyScaleButton);
    QCOMPARE(Form().FScaleX, 0.5f);
    QCOMPARE(Form().FScaleY, 0.5f);
    QCOMPARE(S().ScaleXEdit->text(), QString("0.5"));
    // Close hides it; shown again it keeps its texts and shows the window's factors.
    Press(S().CloseButton);
    QVERIFY(!S().isVisible());
    Form().FScaleY = 2;
    Trigger(Form(), "SetScaleMenuItem");
    QVERIFY(S().SetScaleCheckBox->isChecked());
    QCOMPARE(S().ImageScaleXEdit->text(), QString("250"));
    QCOMPARE(S().ScaleYEdit->text(), QString("2"));
  }

  void DragFillsTheImageLengthOfTheSelectedAxis() {
    WriteDots(Work("dots.bmp"), 200, 160, Lattice(30, 30, 20, 20, 8, 6), 4.5);
    NewEncode("dots.bmp");
    Drag(QPoint(10, 40), QPoint(110, 45));  // hidden: nothing
    QCOMPARE(S().ImageScaleXEdit->text(), QString("1"));
    Trigger(Form(), "SetScaleMenuItem");
    Drag(QPoint(10, 40), QPoint(110, 45));
    QCOMPARE(S().ImageScaleXEdit->text(), QString("100"));
    QCOMPARE(S().ImageScaleYEdit->text(), QString("1"));
    Press(S().ScaleYRadioButton);
    Drag(QPoint(10, 40), QPoint(110, 45));
    QCOMPARE(S().ImageScaleYEdit->text(), QString("5"));
    QCOMPARE(S().ImageScaleXEdit->text(), QString("100"));
    Drag(QPoint(20, 150), QPoint(20, 300));  // past the bottom edge: clamped to row 159
    QCOMPARE(S().ImageScaleYEdit->text(), QString("9"));
    S().SetScaleCheckBox->click();
    Drag(QPoint(0, 0), QPoint(50, 50));
    QCOMPARE(S().ImageScaleYEdit->text(), QString("9"));
    QCOMPARE(S().ImageScaleXEdit->text(), QString("100"));
  }
};

LATTICOR_APP_TEST_MAIN(TMatchMenuTest)
#include "MatchMenuTest.moc"
