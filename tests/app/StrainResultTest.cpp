// The strain result window after Do Matching: its summary of a known uniform strain, the map it
// draws over the initial picture in the view, its files, its errors, and the view it gives back
// when it closes.
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <sstream>

#include "AppTest.h"
#include "app/match/Strainbar.h"
#include "app/match/Strainoverlay.h"
#include "app/match/Strainresult.h"
#include "app/view/Colourrange.h"
#include "app/view/Profileform.h"
#include "base/Convert.h"
#include "strain/Straincsv.h"
#include "strain/Strainpairs.h"

using namespace AppTest;

namespace {

constexpr double TrueExx = 0.004;
constexpr double TrueEyy = -0.0025;

// The mean of a quantity as the summary's text shows it ("  exx   mean   std").
double SummaryMean(const QString& summary, const std::string& name) {
  std::istringstream lines(summary.toStdString());
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string word;
    double mean = 0;
    if (words >> word && word == name && words >> mean) return mean;
  }
  return std::nan("");
}

}  // namespace

class TStrainResultTest : public TFormTest {
  Q_OBJECT

  TStrainResultForm& R() { return *Form().FStrainResultForm; }
  QImage ViewPixels() { return Form().PaintBox()->grab().toImage(); }
  // The point of the view that shows a picture position, at the view's zoom.
  QPoint BoxPoint(QPointF picture) {
    const double zoom = Form().PaintBox()->Zoom();
    return QPoint(static_cast<int>(picture.x() * zoom), static_cast<int>(picture.y() * zoom));
  }

  // Noise-free pictures of a grid under a uniform strain, bright dots on black, encoded into
  // i.cod and d.cod.
  void WriteCodeFiles() {
    TSynthOptions o;
    o.Width = 480;
    o.Height = 360;
    o.PitchX = o.PitchY = 24;
    o.Radius = 7;
    o.DotLevel = 255;
    o.BackgroundLevel = 0;
    o.Exx = TrueExx;
    o.Eyy = TrueEyy;
    o.Exy = 0.001;
    const TSynthGrid grid(o);
    for (bool deformed : {false, true}) {
      TGrayImage picture;
      grid.Render(deformed, picture);
      const std::string name = deformed ? "d" : "i";
      picture.SaveToFile(Work(name + ".bmp"));
      CoreRun(Work(name + ".bmp"), true, 40, 2)->SaveCodes(Work(name + ".cod"));
    }
  }
  // Code files of one row of dots, the second moved by 1.5 pixels: no dot has strain.
  void WriteOneRow() {
    for (const std::string name : {"i", "d"}) {
      std::string text = "VRKT-FS\r\n5 200 100\r\n50  50  1.000000  1.000000  0\r\n";
      for (int k = 0; k < 5; ++k)
        text += Format("%3d   %8.3f  %8.3f   %3d  %3d  %3d\r\n", k,
                       30 + 20 * k + (name == "d" ? 1.5 : 0), 50.0, k, 0, 50);
      WriteFileBytes(Work(name + ".cod"), text + "\r\n");
    }
  }
  void DoMatching() {
    FPlatform->FileAnswers.push_back(Work("i.cod"));
    WithFile("DoMatchingToolButtonAction", "d.cod");
  }

 private slots:
  void AppearsBesideTheViewWithTheSummaryOfTheStrain() {
    WriteCodeFiles();
    DoMatching();
    QVERIFY(Form().FStrainResultForm != nullptr);
    QVERIFY(R().isVisible());
    QCOMPARE(Form().dockWidgetArea(&R()), Qt::RightDockWidgetArea);
    QVERIFY(!R().geometry().intersects(Form().ImageView()->geometry()));
    QCOMPARE(Form().PaintBox()->Overlay(), &R().Overlay());
    QVERIFY(R().NoteLabel->isHidden());  // the picture was found, strain everywhere inside
    const QString summary = R().SummaryMemo->toPlainText();
    const double exx = SummaryMean(summary, "exx"), eyy = SummaryMean(summary, "eyy");
    qInfo("mean exx %.3e (error %.1e), eyy %.3e (error %.1e)", exx, exx - TrueExx, eyy,
          eyy - TrueEyy);
    QVERIFY2(std::fabs(exx - TrueExx) < 1e-4, qPrintable(summary));
    QVERIFY2(std::fabs(eyy - TrueEyy) < 1e-4, qPrintable(summary));
    // The colour bar stands at the right edge of the view, clear of the picture's centre.
    QWidget* bar = Form().ImageView()->Legend();
    QCOMPARE(bar, static_cast<QWidget*>(R().Bar()));
    QVERIFY(bar->isVisible());
    QVERIFY(!bar->geometry().contains(Form().ImageView()->viewport()->geometry().center()));
    // Over a dot, the status bar tells its value; between dots, only the position.
    const TStrainPoint& middle = R().Field()->Points()[R().Field()->Points().size() / 2];
    const QPointF at = R().Overlay().Geometry()->Pixel(middle.Pair);
    Hover(BoxPoint(at));
    std::string value = " exx ";
    AppendGeneral(value, middle.Exx, 4);
    const QString status = Form().statusBar()->currentMessage();
    QVERIFY2(status.startsWith("Current(") && status.endsWith(QString::fromStdString(value)),
             qPrintable(status));
    Hover(BoxPoint(at + QPointF(12, 12)));
    QVERIFY(!Form().statusBar()->currentMessage().contains("exx"));
  }

  void FieldsNeighbourhoodAndVectorsChangeWhatIsDrawn() {
    WriteCodeFiles();
    DoMatching();
    QCOMPARE(R().Quantity(), TPlotQuantity::Exx);
    const QImage exx = ViewPixels();
    R().FieldComboBox->setCurrentIndex(static_cast<int>(TPlotQuantity::Eyy));
    QCOMPARE(R().Overlay().Quantity(), TPlotQuantity::Eyy);
    const QImage eyy = ViewPixels();
    QVERIFY(eyy != exx);
    R().VectorsCheckBox->setChecked(true);
    QVERIFY(ViewPixels() != eyy);
    R().VectorsCheckBox->setChecked(false);
    QCOMPARE(ViewPixels(), eyy);
    R().FieldComboBox->setCurrentIndex(static_cast<int>(TPlotQuantity::Exx));
    QCOMPARE(ViewPixels(), exx);
    // Another neighbourhood and measure compute the field anew.
    R().NeighbourhoodSpinBox->setValue(2);
    R().MeasureComboBox->setCurrentIndex(1);
    QCOMPARE(R().Field()->Options().Neighbourhood, 2);
    QVERIFY(R().Field()->Options().Measure == TStrainMeasure::Green);
    QVERIFY(R().SummaryMemo->toPlainText().contains("green strain, neighbourhood 5 x 5"));
  }

  // Typed limits set the bar, bad ones are refused; e2 and the rotation have maps; over a map
  // the arrows are black on white, which no colour of the map is; a line profile over the map
  // gives the mapped value at the dots along it.
  void ColourRangeMoreQuantitiesArrowsAndProfileOfTheMap() {
    WriteCodeFiles();
    DoMatching();
    TColourRangeBox& range = *R().RangeBox;
    range.RangeComboBox->setCurrentIndex(static_cast<int>(TRangeMode::Limits));
    QCOMPARE(range.HighEdit->text(), QString::number(R().Overlay().Scale().High()));
    range.LowEdit->setText("-0.001");
    range.HighEdit->setText("0.002");
    range.LowEdit->setModified(true);
    emit range.LowEdit->editingFinished();
    QCOMPARE(R().Overlay().Scale().Low(), -0.001);
    QCOMPARE(R().Overlay().Scale().High(), 0.002);
    range.HighEdit->setText("-0.002");
    range.HighEdit->setModified(true);
    emit range.HighEdit->editingFinished();
    QCOMPARE(FPlatform->Errors.size(), size_t{1});
    QCOMPARE(R().Overlay().Scale().High(), 0.002);  // the map as it was
    FPlatform->Errors.clear();
    range.RangeComboBox->setCurrentIndex(static_cast<int>(TRangeMode::Symmetric));
    for (TPlotQuantity q : {TPlotQuantity::E2, TPlotQuantity::Rotation}) {
      R().FieldComboBox->setCurrentIndex(static_cast<int>(q));
      QCOMPARE(R().Overlay().Quantity(), q);
      QVERIFY(R().Overlay().HasMap());
    }
    R().FieldComboBox->setCurrentIndex(static_cast<int>(TPlotQuantity::Exx));
    auto darkPixels = [this] {
      const QImage view = ViewPixels();
      int dark = 0;
      for (int y = 0; y < view.height(); ++y)
        for (int x = 0; x < view.width(); ++x)
          dark += qRed(view.pixel(x, y)) + qGreen(view.pixel(x, y)) + qBlue(view.pixel(x, y)) < 60;
      return dark;
    };
    const int mapAlone = darkPixels();
    R().VectorsCheckBox->setChecked(true);
    QVERIFY2(darkPixels() > mapAlone + 100, qPrintable(QString::number(mapAlone)));

    Trigger(Form(), "LineProfileMenuItem");
    const TStrainPoint& middle = R().Field()->Points()[R().Field()->Points().size() / 2];
    const QPointF at = R().Overlay().Geometry()->Pixel(middle.Pair);
    Drag(BoxPoint(at - QPointF(100, 0)), BoxPoint(at + QPointF(100, 0)));
    auto* window = Form().findChild<TProfileForm*>("ProfileForm");
    QVERIFY(window != nullptr);
    const std::vector<TProfilePoint>& points = window->Points();
    QVERIFY(points.size() >= 7);
    QVERIFY(std::any_of(points.begin(), points.end(),
                        [&middle](const TProfilePoint& p) { return p.Value == middle.Exx; }));
  }

  void SavesTheCoreCsvAndAllPlotsOrReportsWhy() {
    WriteCodeFiles();
    DoMatching();
    FPlatform->FileAnswers.push_back(Work("s.csv"));
    Press(R().SaveCsvButton);
    TMatch job(Work("i.cod"), Work("d.cod"));
    job.Match();
    WriteStrainCsv(Work("core.csv"), StrainOfMatch(job, TStrainOptions()));
    QCOMPARE(ReadFileBytes(Work("s.csv")), ReadFileBytes(Work("core.csv")));

    FPlatform->FolderAnswers.push_back(Work("plots"));
    Press(R().SavePlotsButton);
    QCOMPARE(FPlatform->FolderDirs.back(), Form().FWorkDir);  // not the home folder
    for (const char* name : {"exx", "eyy", "exy", "e1", "displacement"})
      QVERIFY(!QImage(QString::fromStdString(Work("plots/") + name + ".png")).isNull());
    // A folder below a plain file cannot be made.
    FPlatform->FolderAnswers.push_back(Work("s.csv/plots"));
    Press(R().SavePlotsButton);
    QCOMPARE(FPlatform->Errors.size(), size_t{1});
    QVERIFY2(FPlatform->Errors[0].find("Cannot write plots into " + Work("s.csv/plots")) == 0,
             FPlatform->Errors[0].c_str());
  }

  void WithoutStrainShowsDisplacementsAndRefusesToSave() {
    WriteOneRow();
    DoMatching();
    QVERIFY(Form().FStrainResultForm != nullptr && R().isVisible());
    QCOMPARE(R().Field()->StrainCount(), 0);
    QCOMPARE(R().Quantity(), TPlotQuantity::Dx);
    // No picture named, and no strain: both said in the window.
    QVERIFY(R().NoteLabel->text().contains("The initial code file names no picture"));
    QVERIFY(R().NoteLabel->text().contains("No dot has the neighbours a strain needs"));
    R().FieldComboBox->setCurrentIndex(static_cast<int>(TPlotQuantity::Exx));
    QVERIFY(!R().Overlay().HasMap());
    QVERIFY(R().Bar()->isHidden());
    Press(R().SaveCsvButton);
    Press(R().SavePlotsButton);
    QCOMPARE(FPlatform->Errors.size(), size_t{2});
    for (const std::string& error : FPlatform->Errors)
      QVERIFY(error.find("No dot has the neighbours a strain needs") == 0);
    QVERIFY(FPlatform->FileRequests.size() == 2);  // the two code files only: nothing asked
  }

  void ClosingGivesTheViewBackAndTheMenuOpensItAgain() {
    WriteCodeFiles();
    NewEncode("d.bmp");
    EncodeParameters().AreaThresholdEdit->setText("40");
    DoEncoding();
    const QSize before = Form().PaintBox()->size();
    const QImage encoded = ViewPixels();
    DoMatching();
    QVERIFY(ViewPixels() != encoded);
    Press(R().CloseButton);
    QVERIFY(!R().isVisible());
    QCOMPARE(Form().PaintBox()->Overlay(), nullptr);
    QVERIFY(R().Bar()->isHidden());
    QCOMPARE(Form().PaintBox()->size(), before);
    QCOMPARE(ViewPixels(), encoded);
    Trigger(Form(), "StrainResultMenuItem");
    QVERIFY(R().isVisible());
    QCOMPARE(Form().PaintBox()->Overlay(), &R().Overlay());
    // Over the map nothing is picked; a command that draws on the view closes the window.
    const int32_t selected = Form().FEncoder->Selected();
    Click(BoxPoint(DotPoint(5)));
    QCOMPARE(Form().FEncoder->Selected(), selected);
    Trigger(Form(), "ShowPositionMenuItem");
    QVERIFY(!R().isVisible());
    QCOMPARE(Form().PaintBox()->Overlay(), nullptr);
    const QImage positions = ViewPixels();
    QVERIFY(positions != encoded);
    Trigger(Form(), "StrainResultMenuItem");
    // A failed Do Matching releases the job, and its strain goes with it.
    FPlatform->FileAnswers.push_back(Work("i.cod"));
    WithFile("DoMatchingToolButtonAction", "missing.cod");
    QCOMPARE(FPlatform->Errors.size(), size_t{1});
    QVERIFY(!R().isVisible());
    QCOMPARE(ViewPixels(), positions);
  }
};

LATTICOR_APP_TEST_MAIN(TStrainResultTest)
#include "StrainResultTest.moc"
