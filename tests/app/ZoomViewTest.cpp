// The image view in its scroll area: picks, drags and the position text in picture pixels at
// every zoom, the zoom keys and the wheel, labels drawn at screen resolution without overlap.
#include <QScrollBar>
#include <QWheelEvent>

#include "AppTest.h"
#include "app/view/Profileform.h"

using namespace AppTest;

class TZoomViewTest : public TFormTest {
  Q_OBJECT

  TEncodeParameterForm& P() { return EncodeParameters(); }
  // A grid of 8 x 6 dots of radius 5 at a pitch of 20, encoded.
  void EncodedGrid() {
    WriteDots(Work("dots.bmp"), 280, 180, Lattice(30.4, 40.7, 20, 20, 8, 6), 5);
    NewEncode("dots.bmp");
    P().AreaThresholdEdit->setText("20");
    DoEncoding();
    QVERIFY(FPlatform->Errors.empty());
  }
  QString Status() { return Form().statusBar()->currentMessage(); }
  // The picture point (fractional) under a point of the viewport.
  QPointF PictureUnder(QPoint viewportPoint) {
    TZoomView* view = Form().ImageView();
    const QPoint box = Form().PaintBox()->mapFrom(view->viewport(), viewportPoint);
    return QPointF(box.x() / view->Zoom(), box.y() / view->Zoom());
  }

 private slots:
  void PicksDragsAndPositionInPicturePixels_data() {
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QPoint>("box");      // where the mouse is, in box pixels
    QTest::addColumn<QPoint>("picture");  // the picture pixel shown there
    // 25 %: a screen pixel covers 4 x 4 picture pixels, its centre decides; 400 %: 4 x 4
    // screen pixels show one picture pixel.
    QTest::newRow("25%") << 0.25 << QPoint(17, 15) << QPoint(70, 62);
    QTest::newRow("100%") << 1.0 << QPoint(70, 62) << QPoint(70, 62);
    QTest::newRow("400%") << 4.0 << QPoint(283, 251) << QPoint(70, 62);
  }
  void PicksDragsAndPositionInPicturePixels() {
    QFETCH(double, zoom);
    QFETCH(QPoint, box);
    QFETCH(QPoint, picture);
    EncodedGrid();
    Form().ImageView()->ZoomAt(zoom, QPoint(0, 0));
    QCOMPARE(Form().PaintBox()->size(),
             QSize(int(std::ceil(280 * zoom)), int(std::ceil(180 * zoom))));
    Hover(box);
    QCOMPARE(Status(), QString("Current(%1, %2)").arg(picture.x()).arg(picture.y()));
    // The dot at (70.4, 60.7) covers the pixel: a click there picks it.
    Click(box);
    const int32_t dot = DotNear(*Form().Workflow().FEncoder, 70.4, 60.7);
    QVERIFY(dot >= 0);
    QCOMPARE(Form().Workflow().FEncoder->Selected(), dot);
    QCOMPARE(P().IndexEdit->text(), QString::number(dot));
    QCOMPARE(Form().ViewSurface().Pixel(70, 60), clRed);
    // A drag over 5 x 3 screen steps of one picture pitch each way gives differences in
    // picture pixels.
    const QPoint step(int(std::lround(20 * zoom)), int(std::lround(20 * zoom)));
    Drag(box, box + QPoint(5 * step.x(), 3 * step.y()));
    QCOMPARE(P().DxEdit->text() + " " + P().DyEdit->text(), QString("100 60"));
    QVERIFY(!Form().PaintBox()->Band());
  }

  void ZoomKeysWheelAndPanKeepThePictureInPlace() {
    WriteGridPicture(Work("big.bmp"), 3000, 2000);
    NewSegment("big.bmp");
    TZoomView* view = Form().ImageView();
    QVERIFY(view->Fitting());
    const double fit = view->Zoom();
    QVERIFY(fit < 1);
    QTest::keyClick(&Form(), Qt::Key_1, Qt::ControlModifier);
    QCOMPARE(view->Zoom(), 1.0);
    QTest::keyClick(&Form(), Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(view->Zoom(), 1.5);
    QTest::keyClick(&Form(), Qt::Key_Minus, Qt::ControlModifier);
    QTest::keyClick(&Form(), Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(view->Zoom(), 2.0 / 3);
    QTest::keyClick(&Form(), Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(view->Zoom(), fit);
    // Ctrl+wheel zooms about the mouse: the picture point under it stays under it.
    view->ActualSize();
    const QPoint at(view->viewport()->width() / 3, view->viewport()->height() / 4);
    const QPointF before = PictureUnder(at);
    QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    QCOMPARE(view->Zoom(), 1.5);
    const QPointF after = PictureUnder(at);
    QVERIFY2(std::abs(after.x() - before.x()) <= 1 && std::abs(after.y() - before.y()) <= 1,
             qPrintable(QString("%1,%2 -> %3,%4")
                            .arg(before.x())
                            .arg(before.y())
                            .arg(after.x())
                            .arg(after.y())));
    // A middle-button drag pans and starts no rubber band.
    const int h = view->horizontalScrollBar()->value(), v = view->verticalScrollBar()->value();
    TPaintBox* box = Form().PaintBox();
    const QPoint start = box->mapFrom(view->viewport(), at);
    QTest::mousePress(box, Qt::MiddleButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(-40, -30)),
                     box->mapToGlobal(QPointF(start + QPoint(-40, -30))), Qt::NoButton,
                     Qt::MiddleButton, Qt::NoModifier);
    QApplication::sendEvent(box, &move);
    QTest::mouseRelease(box, Qt::MiddleButton, {}, start + QPoint(-40, -30));
    QCOMPARE(view->horizontalScrollBar()->value(), h + 40);
    QCOMPARE(view->verticalScrollBar()->value(), v + 30);
    QVERIFY(!Form().Dragging());
  }

  // From Fit the zoomed picture is still lower than the window: it must not be centred again
  // under the mouse, nor be pushed off the window's edge when zoomed out at a corner.
  void WheelFromFitKeepsThePointUnderTheMouse() {
    WriteGridPicture(Work("wide.bmp"), 3000, 1000);
    NewSegment("wide.bmp");
    TZoomView* view = Form().ImageView();
    for (QPoint at : {QPoint(150, 250), QPoint(900, 450)}) {
      view->FitToWindow();
      const QPointF before = PictureUnder(at);
      for (int delta : {120, -120}) {
        QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
        const QPointF after = PictureUnder(at);
        QVERIFY2(std::abs(after.x() - before.x()) <= 2 && std::abs(after.y() - before.y()) <= 2,
                 qPrintable(QString("zoom %1: %2,%3 -> %4,%5")
                                .arg(view->Zoom())
                                .arg(before.x())
                                .arg(before.y())
                                .arg(after.x())
                                .arg(after.y())));
      }
    }
    // Zoomed out about a corner, the picture stays whole in the window.
    view->ZoomAt(0.25, QPoint(2, 2));
    const QRect shown(Form().PaintBox()->mapTo(view->viewport(), QPoint(0, 0)),
                      Form().PaintBox()->size());
    QVERIFY(view->viewport()->rect().contains(shown));
  }

  // The probe: the pixel, its gray value in the picture as read (not the red mark drawn over
  // it) and the zoom. With the line profile on, a left drag draws a line and charts the gray
  // values along it instead of feeding the dialogs; off again, a drag is a rubber band.
  void ProbeAndLineProfileOfThePicture() {
    EncodedGrid();
    auto* probe = Form().findChild<QLabel*>("ProbeLabel");
    QVERIFY(probe != nullptr);
    Form().ImageView()->ZoomAt(1.0, QPoint(0, 0));
    const TGrayImage& picture = Form().Workflow().FEncoder->Image();
    Click(QPoint(70, 60));  // picks the dot there: it is drawn red
    Hover(QPoint(70, 60));
    QCOMPARE(probe->text(), QString("(70, 60)  gray %1  zoom 100%").arg(picture.GetPixel(70, 60)));
    Form().ImageView()->ZoomAt(1.5, QPoint(0, 0));
    QCOMPARE(probe->text(), QString("zoom 150%"));
    Form().ImageView()->ZoomAt(1.0, QPoint(0, 0));

    P().SetDxDy(7, 7);
    Trigger(Form(), "LineProfileMenuItem");
    Drag(QPoint(20, 61), QPoint(150, 61));
    QCOMPARE(P().DxEdit->text(), QString("7"));
    QVERIFY(!Form().Dragging());
    auto* window = Form().findChild<TProfileForm*>("ProfileForm");
    QVERIFY(window != nullptr && window->isVisible());
    const std::vector<TProfilePoint>& points = window->Points();
    QCOMPARE(points.size(), size_t{131});
    for (size_t k = 0; k < points.size(); ++k)
      QCOMPARE(points[k].Value, double(picture.GetPixel(20 + int32_t(k), 61)));
    FPlatform->FileAnswers.push_back(Work("profile.csv"));
    Press(window->SaveCsvButton);
    const std::string csv = ReadFileBytes(Work("profile.csv"));
    QVERIFY(csv.rfind("distance,gray\n0.000,", 0) == 0);
    QCOMPARE(std::count(csv.begin(), csv.end(), '\n'), 132);
    Trigger(Form(), "LineProfileMenuItem");
    Drag(QPoint(20, 61), QPoint(150, 81));
    QCOMPARE(P().DxEdit->text() + " " + P().DyEdit->text(), QString("130 20"));
  }

  void LabelsApartFromThePictureAndNeverOverlapping() {
    WriteDots(Work("dense.bmp"), 400, 300, Lattice(10.3, 10.6, 14, 14, 27, 20), 4);
    NewEncode("dense.bmp");
    P().AreaThresholdEdit->setText("10");
    DoEncoding();
    QVERIFY(FPlatform->Errors.empty());
    const TRgbSurface plain = Form().ViewSurface();
    Trigger(Form(), "ShowPositionMenuItem");
    // The picture stays as it was; every dot has its label, kept for the screen.
    QVERIFY(SameSurfaces(plain, Form().ViewSurface()));
    const auto& labels = Form().ViewSurface().Labels();
    QCOMPARE(int(labels.size()), Form().Workflow().FEncoder->DotSum());
    TPaintBox* box = Form().PaintBox();
    for (double zoom : {0.5, 1.0, 8.0}) {
      Form().ImageView()->ZoomAt(zoom, QPoint(0, 0));
      const std::vector<QRect> shown = box->ShownLabels();
      for (size_t a = 0; a < shown.size(); ++a)
        for (size_t b = a + 1; b < shown.size(); ++b) QVERIFY(!shown[a].intersects(shown[b]));
      if (zoom < 1) QVERIFY(shown.size() < labels.size());
      if (zoom > 4) QCOMPARE(shown.size(), labels.size());
    }
    // Drawn on the screen: pale yellow boxes where the labels are, at the screen's resolution.
    Form().ImageView()->ZoomAt(0.5, QPoint(0, 0));
    const QImage screen = box->grab().toImage();
    int checked = 0;
    for (const QRect& r : box->ShownLabels()) {
      if (!screen.rect().contains(r)) continue;
      QCOMPARE(QColor(screen.pixel(r.right() - 1, r.top() + 1)), QColor(255, 255, 150));
      QCOMPARE(QColor(screen.pixel(r.left() - 1, r.center().y())), QColor(0, 0, 128));
      ++checked;
    }
    QVERIFY(checked > 10);
  }

  // One label per place, in the order written (a label written again moves to the end), through
  // replacing, removing, pictures drawn over them and a snapshot put back.
  void LabelsAreOnePerPlaceWhateverHappenedToThem() {
    TPaintBox box;
    box.ResizeSurface(40, 30);
    TViewSurface& view = box.Surface();
    view.SetLabelsApart(true);
    auto texts = [&view] {
      QStringList list;
      for (const TViewSurface::TLabel& l : view.Labels())
        list << QString("%1@%2,%3").arg(QString::fromStdString(l.Text)).arg(l.X).arg(l.Y);
      return list;
    };
    view.TextOut(5, 5, "a");
    view.TextOut(9, 9, "b");
    view.TextOut(5, 5, "c");
    QCOMPARE(texts(), QStringList({"b@9,9", "c@5,5"}));
    view.TextOut(9, 9, "");
    QCOMPARE(texts(), QStringList({"c@5,5"}));
    const TViewSurface::TSnapshot kept = view.Snapshot();
    const std::vector<uint8_t> gray(40 * 30, 7);
    view.DrawGray(gray.data(), 40, 30);
    QVERIFY(view.Labels().empty());
    view.Restore(kept);
    view.TextOut(5, 5, "e");
    QCOMPARE(texts(), QStringList({"e@5,5"}));
    view.TextOut(20, 20, "f");
    view.DrawGrayRow(0, 20, gray.data(), 30);  // covers f only
    view.TextOut(20, 20, "g");
    view.TextOut(20, 20, "h");
    QCOMPARE(texts(), QStringList({"e@5,5", "h@20,20"}));
  }

  // Zoomed out, frames come from a reduced copy kept up to date where the picture changed: what
  // is shown after a few changes must equal a view that reduces the final picture afresh.
  void ZoomedOutFramesFollowEveryChange() {
    TPaintBox kept, fresh;
    for (TPaintBox* box : {&kept, &fresh}) box->ResizeSurface(203, 157);
    uint32_t seed = 3;
    auto next = [&seed](uint32_t n) {
      seed = seed * 1664525u + 1013904223u;
      return static_cast<int32_t>((seed >> 8) % n);
    };
    std::vector<uint8_t> gray(203 * 157);
    for (uint8_t& g : gray) g = static_cast<uint8_t>(next(256));
    kept.Surface().DrawGray(gray.data(), 203, 157);
    for (double zoom : {0.3, 0.6, 0.1, 0.3}) {
      kept.SetZoom(zoom);
      const QImage before = kept.grab().toImage();
      for (int change = 0; change < 20; ++change)
        kept.Surface().SetPixel(next(203), next(157), TColor{255, 0, 0});
      const int32_t y = next(157);
      kept.Surface().DrawGrayRow(next(203), y, gray.data(), 40);
      fresh.Surface().DrawPicture(kept.Surface());
      fresh.SetZoom(zoom);
      const QImage after = kept.grab().toImage();
      QVERIFY(after != before);
      QCOMPARE(after, fresh.grab().toImage());
    }
  }
};

LATTICOR_APP_TEST_MAIN(TZoomViewTest)
#include "ZoomViewTest.moc"
