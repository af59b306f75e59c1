// No dead ends: a least area that would lose most dots is questioned, a failed run is mended by
// a new least area with the pitch or a picked origin, Modify Coord. asks about a taken position
// and keeps its label in sight, hand corrections are undone and redone, and Set Coordinate says
// when its size is used.
#include "AppTest.h"
#include "support/Encodeprobe.h"

using namespace AppTest;

class TDeadEndsTest : public TFormTest {
  Q_OBJECT

  TEncodeParameterForm& P() { return EncodeParameters(); }
  QString Status() { return Form().statusBar()->currentMessage(); }
  // Squares of (2 half + 1) pixels added to a segmented picture: bigger dots, or specks.
  void AddSquares(const std::string& name, const std::vector<QPointF>& centres, int half) {
    TGrayImage image(Work(name));
    for (const QPointF& c : centres) {
      const int x = int(c.x()), y = int(c.y());
      image.FillRect(255, x - half, y - half, x + half, y + half);
    }
    image.SaveToFile(Work(name));
  }
  int32_t Coded() {
    int32_t n = 0;
    for (const TDotInfo& d : Form().Workflow().FEncoder->DotInfo()) n += d.Coded;
    return n;
  }

 private slots:
  void LeastAreaLosingMostDotsIsQuestioned() {
    const std::vector<QPointF> centres = Lattice(20, 20, 24, 24, 7, 6);
    WriteDots(Work("dots.bmp"), 200, 160, centres, 5);
    AddSquares("dots.bmp", {centres[0], centres[41]}, 6);  // two blobs above the least area
    NewEncode("dots.bmp");
    FPlatform->AskAnswers = {true};
    DoEncoding();  // with the least area 100 of the field
    QCOMPARE(FPlatform->Questions.size(), size_t(1));
    QVERIFY2(FPlatform->Questions[0].starts_with("The least area 100 would remove 40 of the 42 "
                                                 "blobs that look like dots (their median area "
                                                 "is 81 pixels)"),
             FPlatform->Questions[0].c_str());
    QCOMPARE(Form().Workflow().FEncoder->DotSum(), 42);
    QCOMPARE(P().AreaThresholdEdit->text(), QString("27"));
    // A least area that keeps three quarters of them asks nothing.
    P().AreaThresholdEdit->setText("60");
    DoEncoding();
    QCOMPARE(FPlatform->Questions.size(), size_t(1));
  }

  void NewLeastAreaWithThePitchOrAPickedOriginMendsAFailedRun() {
    const std::vector<QPointF> centres = Lattice(20, 20, 24, 24, 7, 6);
    WriteDots(Work("specks.bmp"), 200, 160, centres, 5);
    AddSquares("specks.bmp", Lattice(32, 32, 24, 24, 6, 5), 1);  // specks between the dots
    NewEncode("specks.bmp");
    P().AreaThresholdEdit->setText("2");
    DoEncoding();
    QCOMPARE(Form().Workflow().FEncoder->DotSum(), 72);  // the specks count as dots
    FPlatform->Errors.clear();
    // The pitch with a new least area: the dots are extracted afresh first.
    P().AreaThresholdEdit->setText("20");
    P().DxEdit->setText("24");
    P().DyEdit->setText("24");
    Press(P().SetDxDyStartButton);
    QVERIFY2(FPlatform->Errors.empty(),
             FPlatform->Errors.empty() ? "" : FPlatform->Errors[0].c_str());
    QCOMPARE(Form().Workflow().FEncoder->DotSum(), 42);
    QCOMPARE(Coded(), 42);
    QVERIFY(Status().contains("Dots extracted afresh with the least area 20."));
    // The origin and its neighbours picked among the specks' job are found again.
    P().AreaThresholdEdit->setText("2");
    DoEncoding();
    FPlatform->Errors.clear();
    TEncode& speckled = *Form().Workflow().FEncoder;
    Form().Workflow().FOriginDot = DotNear(speckled, 92, 68);
    const std::array<QPointF, 4> around{QPointF(116, 68), QPointF(92, 92), QPointF(68, 68),
                                        QPointF(92, 44)};
    for (size_t d = 0; d < 4; ++d)
      Form().Workflow().FNeighbourDots[d] = DotNear(speckled, around[d].x(), around[d].y());
    P().AreaThresholdEdit->setText("20");
    Press(P().SetOriginStartButton);
    QVERIFY2(FPlatform->Errors.empty(),
             FPlatform->Errors.empty() ? "" : FPlatform->Errors[0].c_str());
    QCOMPARE(Coded(), 42);
    QCOMPARE(Form().Workflow().FOriginDot, DotNear(*Form().Workflow().FEncoder, 92, 68));
  }

  void CorrectionsAskAboutTakenPlacesStayInSightAndAreUndone() {
    WriteDots(Work("dots.bmp"), 200, 160, Lattice(20, 20, 24, 24, 7, 6), 5);
    NewEncode("dots.bmp");
    P().AreaThresholdEdit->setText("20");
    DoEncoding();
    std::vector<TDotInfo>& dots = TEncodeProbe::Dots(*Form().Workflow().FEncoder);
    const TDotInfo before = dots[8];
    Click(DotPoint(8));
    P().NxEdit->setText(QString::number(dots[9].Nx));
    P().NyEdit->setText(QString::number(dots[9].Ny));
    FPlatform->AskAnswers = {false, true};
    Press(P().ModifyCoordButton);  // No: dot 8 keeps its indices
    QVERIFY2(FPlatform->Questions.at(0).starts_with("Dot 9 has the grid indices"),
             FPlatform->Questions[0].c_str());
    QCOMPARE(dots[8].Nx, before.Nx);
    Press(P().ModifyCoordButton);
    QCOMPARE(dots[8].Nx, dots[9].Nx);
    // Its label is the one the view keeps where the labels of neighbours overlap it.
    const QPoint at = Form().PaintBox()->ToBox(int32_t(dots[8].x), int32_t(dots[8].y));
    const std::vector<QRect> shown = Form().PaintBox()->ShownLabels();
    QVERIFY(
        std::any_of(shown.begin(), shown.end(), [&](const QRect& r) { return r.topLeft() == at; }));
    // Modify Origin, then both undone and redone in order.
    const int32_t nx3 = dots[3].Nx;
    P().IndexEdit->setText("3");
    Press(P().ModifyOriginButton);
    QCOMPARE(dots[3].Nx, 0);
    Trigger(Form(), "UndoMenuItem");
    QCOMPARE(dots[3].Nx, nx3);
    Trigger(Form(), "UndoMenuItem");
    QCOMPARE(dots[8].Nx, before.Nx);
    QVERIFY(Status().startsWith("Undone: the grid indices of dot 8."));
    Trigger(Form(), "RedoMenuItem");
    QCOMPARE(dots[8].Nx, dots[9].Nx);
    // Picks of the origin slot: a click and its undo.
    Click(DotPoint(20));
    QCOMPARE(Form().Workflow().FOriginDot, 20);
    Click(DotPoint(21));
    Trigger(Form(), "UndoMenuItem");
    QCOMPARE(Form().Workflow().FOriginDot, 20);
    QCOMPARE(P().DirectSetOriginEdit->text(), QString("20"));
    // A rebuilt job ends the history: nothing is undone on it, even where it looks the same.
    const TDotInfo corrected = dots[8];
    DoEncoding();
    TEncodeProbe::Dots(*Form().Workflow().FEncoder)[8] = corrected;
    Form().Workflow().FOriginDot = 20;
    Trigger(Form(), "UndoMenuItem");  // the pick of dot 20
    Trigger(Form(), "UndoMenuItem");
    QVERIFY(Status().startsWith("Nothing undone"));
    QCOMPARE(Form().Workflow().FEncoder->DotInfo()[8].Nx, corrected.Nx);
    QVERIFY(!Action(Form(), "UndoMenuItem")->isEnabled());
    // An erasure of the segment parameter dialog.
    WriteGridPicture(Work("grid.bmp"), 120, 90);
    NewSegment("grid.bmp");
    const TGrayImage original(Work("grid.bmp"));
    Parameters().SetRectangle(10, 20, 30, 15);
    Press(Parameters().ModifySegmentButton);
    QCOMPARE(int(Form().Workflow().FSegmenter->Image().GetPixel(40, 35)), 0);
    Trigger(Form(), "UndoMenuItem");
    QVERIFY(SameImages(Form().Workflow().FSegmenter->Image(), original));
    Trigger(Form(), "RedoMenuItem");
    QCOMPARE(int(Form().Workflow().FSegmenter->Image().GetPixel(10, 20)), 0);
    QVERIFY(FPlatform->Errors.empty());
  }

  void SetCoordinateSaysWhenItsSizeIsUsed() {
    WriteDots(Work("dots.bmp"), 200, 160, Lattice(20, 20, 24, 24, 7, 6), 5);
    NewEncode("dots.bmp");
    P().AreaThresholdEdit->setText("20");
    DoEncoding();
    // Set Coordinate says when its size is used, and what this picture needs.
    FPlatform->DialogScripts.push_back([](QDialog& d) {
      const QString note = d.findChild<QLabel*>("SizeNoteLabel")->text();
      QVERIFY(note.contains("every Do Encoding of the automatic stage"));
      QVERIFY(note.contains("holds every dot of the picture in hand"));
    });
    Trigger(Form(), "SetCoordinateMenuItem");
  }
};

LATTICOR_APP_TEST_MAIN(TDeadEndsTest)
#include "DeadEndsTest.moc"
