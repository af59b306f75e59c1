// Picking dots on the image view in both view modes, the toggle buttons and the Set button of
// the encode parameter dialog, and the hand corrections that reach the code file.
#include "AppTest.h"
#include "base/Convert.h"

using namespace AppTest;

class TPickTest : public TFormTest {
  Q_OBJECT

  TEncodeParameterForm& P() { return EncodeParameters(); }
  // The fields of the "View  && Modify" page and the index of the active slot as one text.
  QString Fields() {
    return QStringList{P().IndexEdit->text(),
                       P().AreaEdit->text(),
                       P().FxEdit->text(),
                       P().FyEdit->text(),
                       P().NxEdit->text(),
                       P().NyEdit->text(),
                       P().CodedCheckBox->isChecked() ? "C" : "c",
                       P().NetedCheckBox->isChecked() ? "N" : "n",
                       P().DirectSetOriginEdit->text()}
        .join(' ');
  }
  QString Expected(int32_t i) {
    const TDotInfo& d = Form().Workflow().FEncoder->DotInfo().at(size_t(i));
    return QString("%1 %2 %3 %4 %5 %6 %7 %8 %1")
        .arg(i)
        .arg(d.Area)
        .arg(QString::fromStdString(ShortFloatToStr(d.x)),
             QString::fromStdString(ShortFloatToStr(d.y)))
        .arg(d.Nx)
        .arg(d.Ny)
        .arg(d.Coded ? "C" : "c", d.Neted ? "N" : "n");
  }
  bool Red(QPoint p) { return Form().ViewSurface().Pixel(p.x() - 2, p.y() - 2) == clRed; }
  // A grid and one stray dot that the walk cannot reach, opened; encoded unless told not to.
  void EncodedGrid(bool encode = true) {
    std::vector<QPointF> centres = Lattice(30.4, 40.7, 20, 20, 8, 6);
    centres.emplace_back(250.2, 20.6);
    WriteDots(Work("dots.bmp"), 280, 180, centres, 5);
    NewEncode("dots.bmp");
    P().AreaThresholdEdit->setText("20");
    if (encode) DoEncoding();
    QVERIFY(FPlatform->Errors.empty());
  }
  // Exactly the given toggle button is down.
  bool OnlyDown(QToolButton* button) {
    int down = 0;
    for (QToolButton* b : {P().UpSpeedButton, P().LeftSpeedButton, P().OriginSpeedButton,
                           P().RightSpeedButton, P().DownSpeedButton})
      down += b->isChecked();
    return down == 1 && button->isChecked();
  }

 private slots:
  void ClickViewFillsTheDialogAndTheActiveSlot() {
    // Before the first run nothing is picked, in either view mode.
    EncodedGrid(false);
    const QString untouched = Fields();
    P().PassViewRadioButton->setChecked(true);
    Hover(QPoint(30, 40));
    Click(QPoint(50, 40));
    QCOMPARE(Fields(), untouched);
    QVERIFY(ViewShows(Form(), TGrayImage(Work("dots.bmp"))));
    P().ClickViewRadioButton->setChecked(true);
    DoEncoding();
    const int32_t a = DotNear(*Form().Workflow().FEncoder, 90.4, 80.7);
    const int32_t b = DotNear(*Form().Workflow().FEncoder, 110.4, 80.7);
    const QString before = Fields();
    Hover(DotPoint(a));  // hovering picks nothing in Click View
    QCOMPARE(Fields(), before);
    Click(DotPoint(a) + QPoint(2, 1));  // anywhere on the blob
    QCOMPARE(Fields(), Expected(a));
    QCOMPARE(Form().Workflow().FOriginDot, a);
    QVERIFY(Red(DotPoint(a)));
    QVERIFY(OnlyDown(P().OriginSpeedButton));
    Press(P().RightSpeedButton);
    QCOMPARE(P().DirectSetOriginEdit->text(), QString("-1"));  // the run cleared the picks
    Click(DotPoint(b));
    QCOMPARE(Fields(), Expected(b));
    QCOMPARE(Form().Workflow().FNeighbourDots[0], b);
    QCOMPARE(Form().Workflow().FOriginDot, a);
    QVERIFY(Red(DotPoint(b)));
    QVERIFY(!Red(DotPoint(a)));
    QVERIFY(OnlyDown(P().RightSpeedButton));
    // The same dot again: the dialog shows it again and the active slot (now Up) takes it.
    Press(P().UpSpeedButton);
    Click(DotPoint(b));
    QCOMPARE(Form().Workflow().FNeighbourDots, (std::array<int32_t, 4>{b, -1, -1, b}));
    // The background: the selection goes, the plain picture comes back, the fields stay.
    Click(DotPoint(b) + QPoint(10, 10));
    QCOMPARE(Fields(), Expected(b));
    QCOMPARE(Form().Workflow().FEncoder->Selected(), -1);
    QVERIFY(ViewShows(Form(), TGrayImage(Work("dots.bmp"))));
    // Pressing a toggle button shows its slot's dot highlighted; the one already down stays
    // down; Set stores a typed index.
    Press(P().OriginSpeedButton);
    Press(P().OriginSpeedButton);
    QVERIFY(OnlyDown(P().OriginSpeedButton));
    QCOMPARE(P().DirectSetOriginEdit->text(), QString::number(a));
    QCOMPARE(Form().Workflow().FEncoder->Selected(), a);
    QVERIFY(Red(DotPoint(a)));
    P().DirectSetOriginEdit->setText(QString::number(b));
    Press(P().SetButton);
    QCOMPARE(Form().Workflow().FOriginDot, b);
    QCOMPARE(Form().Workflow().FEncoder->Selected(), b);
    QVERIFY(FPlatform->Errors.empty());
    // The toggle buttons stand as a cross around Origin.
    P().PageControl->setCurrentIndex(2);
    const QPoint o = P().OriginSpeedButton->geometry().center();
    auto at = [&](QToolButton* button) { return button->geometry().center() - o; };
    QVERIFY(at(P().UpSpeedButton).x() == 0);
    QVERIFY(at(P().UpSpeedButton).y() < 0);
    QVERIFY(at(P().DownSpeedButton).x() == 0);
    QVERIFY(at(P().DownSpeedButton).y() > 0);
    QVERIFY(at(P().LeftSpeedButton).y() == 0);
    QVERIFY(at(P().LeftSpeedButton).x() < 0);
    QVERIFY(at(P().RightSpeedButton).y() == 0);
    QVERIFY(at(P().RightSpeedButton).x() > 0);
  }

  void PassViewFollowsTheMouse() {
    EncodedGrid();
    Press(P().PassViewRadioButton);
    QCOMPARE(P().ViewMode(), 0);
    Press(P().DownSpeedButton);
    for (int32_t i : {3, 9, 10, 22}) {
      Hover(DotPoint(i));
      QCOMPARE(Fields(), Expected(i));
      QCOMPARE(Form().Workflow().FNeighbourDots[1], i);
      QVERIFY(Red(DotPoint(i)));
    }
    Hover(DotPoint(22) + QPoint(10, 0));  // between dots
    QCOMPARE(Fields(), Expected(22));
    QCOMPARE(Form().Workflow().FEncoder->Selected(), -1);
    // During a drag the picks go on, and the rubber band leaves no trace when a pick redraws
    // the picture under it: the view ends as a highlight of the last dot on a clean picture.
    TPaintBox* box = Form().PaintBox();
    QTest::mousePress(box, Qt::LeftButton, {}, DotPoint(3) + QPoint(10, 10));
    QTest::mouseMove(box, DotPoint(3));
    QTest::mouseMove(box, DotPoint(4));
    QCOMPARE(Fields(), Expected(4));
    QTest::mouseMove(box, DotPoint(4) + QPoint(1, 0));
    QTest::mouseRelease(box, Qt::LeftButton, {}, DotPoint(4) + QPoint(1, 0));
    TPaintBox expected;
    expected.Surface().SetLabelsApart(true);
    expected.Surface().Reset(Form().ViewSurface().Width(), Form().ViewSurface().Height(), clBlack);
    TEncode& job = *Form().Workflow().FEncoder;
    job.PickDot(0, 0, &expected.Surface());  // background: the selection is dropped
    QCOMPARE(job.Selected(), -1);
    job.PickDot(DotPoint(4).x(), DotPoint(4).y(), &expected.Surface());
    job.SetCanvas(&Form().ViewSurface());
    QVERIFY(SameSurfaces(expected.Surface(), Form().ViewSurface()));
    QCOMPARE(Form().ViewSurface().Labels().size(), size_t(1));
    QCOMPARE(Form().ViewSurface().Labels()[0].Text, job.DotLabel(4));
  }

  void ModifyCoordAndModifyOriginReachTheCodeFile() {
    EncodedGrid();
    TEncode& job = *Form().Workflow().FEncoder;
    const int32_t stray = DotNear(job, 250.2, 20.6);
    // Modify Origin on a dot that is not encoded is refused.
    Click(DotPoint(stray));
    QVERIFY(!P().CodedCheckBox->isChecked());
    Press(P().ModifyOriginButton);
    QCOMPARE(FPlatform->Errors,
             std::vector<std::string>{" this grid are not encoded, Encode this grid first !"});
    // The stray dot gets indices by hand and counts as expanded; the box "Coded" is ignored.
    P().NxEdit->setText("11");
    P().NyEdit->setText("3");
    P().NetedCheckBox->setChecked(true);
    P().CodedCheckBox->setChecked(false);
    Press(P().ModifyCoordButton);
    // Then the origin moves to the dot at (3, -2).
    int32_t moved = -1;
    for (size_t i = 0; i < job.DotInfo().size(); ++i)
      if (job.DotInfo()[i].Nx == 3 && job.DotInfo()[i].Ny == -2) moved = int32_t(i);
    QVERIFY(moved >= 0);
    Click(DotPoint(moved));
    Press(P().ModifyOriginButton);
    QCOMPARE(job.DotInfo()[size_t(stray)].Nx, 8);
    QCOMPARE(job.DotInfo()[size_t(stray)].Ny, 5);
    SaveCodes("hand.cod");
    // The same corrections made on the core directly.
    auto core = CoreRun(Work("dots.bmp"), true, 20, 2);
    core->ModifyDot(stray, 11, 3, true);
    core->ModifyOrigin(moved);
    core->SaveCodes(Work("core.cod"));
    QCOMPARE(ReadFileBytes(Work("hand.cod")), ReadFileBytes(Work("core.cod")));
    // Without a selected dot Modify Coord. does nothing.
    Click(QPoint(5, 5));
    P().NxEdit->setText("99");
    Press(P().ModifyCoordButton);
    for (const TDotInfo& dot : job.DotInfo()) QVERIFY(dot.Nx != 99);
    QCOMPARE(FPlatform->Errors.size(), size_t(1));
  }
};

LATTICOR_APP_TEST_MAIN(TPickTest)
#include "PickTest.moc"
