// The sequence window: a whole test tracked from the window gives the files of the track
// command, Cancel keeps the steps done, the slider and Page Up/Down show each step's picture
// with its map where the dots have moved to, a dot's history, the files of a step, and the
// results folder of an earlier run opened again.
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QSlider>
#include <chrono>
#include <cmath>

#include "AppTest.h"
#include "app/match/Strainoverlay.h"
#include "app/sequence/Sequenceform.h"
#include "app/sequence/Sequencerun.h"
#include "app/sequence/Sequencesetup.h"
#include "app/view/Chartview.h"
#include "base/Path.h"
#include "strain/Plotgeometry.h"
#include "strain/Strainpairs.h"
#include "synth/Synthsequence.h"
#include "track/Tracksequence.h"
#include "track/Tracksummary.h"

using namespace AppTest;

class TSequenceTest : public TFormTest {
  Q_OBJECT

  static constexpr int Steps = 5;
  TSequenceForm& S() { return *Form().findChild<TSequenceForm*>("SequenceForm"); }

  // A grid moving by 14 px (more than half its pitch) and stretching, in Work(folder).
  std::vector<std::string> WritePictures(const std::string& folder = "pics", int steps = Steps,
                                         int32_t width = 320, int32_t height = 240) {
    TSynthOptions final;
    final.Width = width;
    final.Height = height;
    final.NoiseSigma = 2;
    final.TranslateX = 14;
    final.TranslateY = -6;
    final.Exx = 0.02;
    final.Eyy = -0.006;
    std::filesystem::create_directory(Work(folder));
    return WriteSynthSequence(final, steps, Work(folder));
  }
  // Track Sequence with the setup's defaults on the pictures of Work(folder), into out.
  void Track(const std::string& out, const std::string& folder = "pics",
             bool cancelAtOnce = false) {
    FPlatform->FolderAnswers.push_back(Work(folder));
    FPlatform->DialogScripts.push_back([this, out, folder](QDialog& dialog) {
      auto& setup = static_cast<TSequenceSetupForm&>(dialog);
      Press(setup.FolderButton);
      QCOMPARE(setup.OutEdit->text().toStdString(), Work(folder + "-track"));
      setup.OutEdit->setText(QString::fromStdString(out));
      Press(setup.OKButton);
    });
    Trigger(Form(), "TrackSequenceMenuItem");
    if (!S().Running()) return;
    QVERIFY(S().ProgressBar->isVisible());
    if (cancelAtOnce) Press(S().CancelButton);
    QTRY_VERIFY_WITH_TIMEOUT(!S().Running(), 60000);
  }
  // latticor-cli track with these arguments; true when it succeeded.
  static bool Cli(const QStringList& arguments) {
    QProcess cli;
    cli.setStandardOutputFile(QProcess::nullDevice());
    cli.setStandardErrorFile(QProcess::nullDevice());
    cli.start(LATTICOR_CLI, QStringList{"track"} + arguments);
    return cli.waitForFinished(60000) && cli.exitStatus() == QProcess::NormalExit &&
           cli.exitCode() == 0;
  }
  static std::vector<std::string> Files(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
      if (entry.is_regular_file())
        names.push_back(std::filesystem::relative(entry.path(), dir).string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private slots:
  void TracksLikeTheTrackCommandAndCancelKeepsTheStepsDone() {
    WritePictures();
    Track(Work("gui"));
    QCOMPARE(FPlatform->Errors, std::vector<std::string>());
    QCOMPARE(S().ProgressBar->value(), Steps + 1);
    QCOMPARE(S().StepSlider->maximum(), Steps);
    QCOMPARE(S().StepShown(), Steps);  // the view followed the run
    QVERIFY(
        Cli({QString::fromStdString(Work("pics")), "--out", QString::fromStdString(Work("cli"))}));
    const std::vector<std::string> files = Files(Work("cli"));
    QCOMPARE(Files(Work("gui")), files);
    QCOMPARE(files.size(), size_t{1 + 2 * (Steps + 1)});
    for (const std::string& name : files)
      QVERIFY2(ReadFileBytes(Work("gui/") + name) == ReadFileBytes(Work("cli/") + name),
               name.c_str());

    // The run hands each step's field over: a dot's history needs no code file read again.
    TSequenceSteps handed(Work("nowhere"), {}, TStrainOptions());
    for (size_t k = 0; k <= Steps; ++k)
      handed.AddStep(S().Steps()->Steps()[k], S().Steps()->Field(k));
    const TStrainPair& dot = S().Steps()->Field(Steps)->Points().front().Pair;
    const auto history = handed.History(dot.Nx, dot.Ny, {});
    QCOMPARE(history.Values.back()[0], double(float(dot.Dx)));

    // Over the results of an earlier run only when the user says so.
    const std::string summary = ReadFileBytes(Work("gui/summary.csv"));
    FPlatform->AskAnswers.push_back(false);
    Track(Work("gui"));
    QVERIFY(FPlatform->Questions.back().find("holds the results of an earlier run") !=
            std::string::npos);
    QVERIFY(!S().Running());
    QCOMPARE(ReadFileBytes(Work("gui/summary.csv")), summary);

    // Cancelled at once, early in a run of 40 pictures: the steps done are complete and listed,
    // and nothing after them is written.
    WritePictures("many", 39, 200, 150);
    Track(Work("stopped"), "many", true);
    const size_t done = S().Steps()->Steps().size();
    QVERIFY2(done >= 1 && done < 40, qPrintable(QString::number(done)));
    QVERIFY(S().RunLabel->text().startsWith(QString("Stopped after %1 of 40 pictures").arg(done)));
    QVERIFY(FPlatform->Errors.empty());
    QCOMPARE(ReadTrackSummary(Work("stopped/summary.csv")).size(), done);
    for (size_t k = 0; k < done; ++k) QVERIFY(FileExists(TrackStepFile(Work("stopped"), k)));
    QVERIFY(!FileExists(TrackStepFile(Work("stopped"), done)));
    for (const std::string& name : Files(Work("stopped")))
      QVERIFY2(name.find(".tmp") == std::string::npos, name.c_str());
  }

  void SliderShowsEachStepWithItsMapOnTheMovedDotsAndADotsHistory() {
    const std::vector<std::string> pictures = WritePictures();
    Track(Work("out"));
    for (int k : {3, 1}) {
      const auto start = std::chrono::steady_clock::now();
      S().StepSlider->setValue(k);
      Form().PaintBox()->repaint();
      qInfo("step %d shown in %.1f ms", k,
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
      QCOMPARE(S().StepShown(), k);
      QCOMPARE(Form().PaintBox()->Overlay(), &S().Overlay());
      // Every dot of the map lies on a dot of the step's own picture.
      const TGrayImage picture(pictures[static_cast<size_t>(k)]);
      const TStrainField& field = *S().Overlay().Field();
      QCOMPARE(static_cast<int32_t>(field.Points().size()), S().Steps()->Steps()[k].Pairs);
      QVERIFY(S().Overlay().Geometry()->Deformed());
      int off = 0;
      for (const TStrainPoint& point : field.Points()) {
        const QPointF at = S().Overlay().Geometry()->Pixel(point.Pair);
        off += picture.GetPixel(int32_t(std::lround(at.x())), int32_t(std::lround(at.y()))) < 128;
      }
      QCOMPARE(off, 0);
    }
    Form().activateWindow();  // the setup dialog was the active one
    QVERIFY(QTest::qWaitForWindowActive(&Form()));
    QTest::keyClick(&Form(), Qt::Key_PageDown);
    QCOMPARE(S().StepShown(), 2);
    QTest::keyClick(&Form(), Qt::Key_PageUp);
    QCOMPARE(S().StepShown(), 1);
    // A click on the summary chart chooses the step under it.
    S().SummaryChart->grab();
    const TChartView& chart = *S().SummaryChart;
    for (int x = 0; x < chart.width(); ++x)
      if (std::lround(chart.XAt(QPoint(x, chart.height() / 2))) == 4) {
        QTest::mouseClick(S().SummaryChart, Qt::LeftButton, {}, QPoint(x, chart.height() / 2));
        break;
      }
    QCOMPARE(S().StepShown(), 4);
    // A click on a dot of the map: its displacement and strain at every step.
    const TStrainField& field = *S().Overlay().Field();
    const TStrainPoint& point = field.Points()[field.Points().size() / 2];
    const QPointF at = S().Overlay().Geometry()->Pixel(point.Pair) * Form().PaintBox()->Zoom();
    Click(at.toPoint());
    QVERIFY(S().Dot().has_value());
    QCOMPARE(S().Dot()->Nx, point.Pair.Nx);
    QCOMPARE(S().Dot()->Ny, point.Pair.Ny);
    QCOMPARE(S().Dot()->Values.size(), size_t{Steps + 1});
    QCOMPARE(S().Dot()->Values[4][0], double(float(point.Pair.Dx)));
    QCOMPARE(S().Dot()->Values[4][2], double(float(point.Exx)));
    QCOMPARE(S().Dot()->Values[0][0], 0.0);
    QVERIFY(S().StrainChart->isVisible());

    // The step's CSV is the one the run wrote; the plots go together.
    FPlatform->FileAnswers.push_back(Work("step4.csv"));
    Press(S().ExportCsvButton);
    QCOMPARE(ReadFileBytes(Work("step4.csv")), ReadFileBytes(Work("out/step-0004.csv")));
    FPlatform->FolderAnswers.push_back(Work("plots"));
    Press(S().SavePlotsButton);
    for (const char* name : {"exx", "e1", "displacement", "summary", "dot-strain"})
      QVERIFY(!QImage(QString::fromStdString(Work("plots/") + name + ".png")).isNull());
    QVERIFY(FPlatform->Errors.empty());
    // A command that draws on the view takes the map away; the window stays.
    Trigger(Form(), "StrainResultMenuItem");  // fails without a matching job
    QCOMPARE(Form().PaintBox()->Overlay(), &S().Overlay());
    FPlatform->Errors.clear();
    WithFile("DisplayImageMenuItem", "pics/frame-0000.bmp");
    QCOMPARE(Form().PaintBox()->Overlay(), nullptr);
    QVERIFY(S().isVisible());
  }

  void OpensTheResultsOfAnEarlierRun() {
    WritePictures();
    QVERIFY(
        Cli({QString::fromStdString(Work("pics")), "--out", QString::fromStdString(Work("run"))}));
    // The pictures are neither beside the folder nor in it: asked for.
    FPlatform->FolderAnswers.push_back(Work("run"));
    FPlatform->FolderAnswers.push_back(Work("pics"));
    Trigger(Form(), "OpenTrackResultsMenuItem");
    QCOMPARE(FPlatform->Errors, std::vector<std::string>());
    QCOMPARE(S().Steps()->Steps().size(), size_t{Steps + 1});
    QCOMPARE(S().StepShown(), Steps);
    QVERIFY(S().NoteLabel->isHidden());
    QCOMPARE(S().Steps()->PicturePath(2), Work("pics") + "/frame-0002.bmp");
    // A run with another neighbourhood than the window's: its summary disagrees, and says so.
    QVERIFY(Cli({QString::fromStdString(Work("pics")), "--out",
                 QString::fromStdString(Work("pics/k2")), "--neighbourhood", "2"}));
    FPlatform->FolderAnswers.push_back(Work("pics/k2"));
    Trigger(Form(), "OpenTrackResultsMenuItem");
    QVERIFY2(S().NoteLabel->text().contains("another neighbourhood than 1"),
             qPrintable(S().NoteLabel->text()));
    // A folder without a summary is refused.
    FPlatform->FolderAnswers.push_back(Work("pics"));
    Trigger(Form(), "OpenTrackResultsMenuItem");
    QCOMPARE(FPlatform->Errors.size(), size_t{1});
  }
};

LATTICOR_APP_TEST_MAIN(TSequenceTest)
#include "SequenceTest.moc"
