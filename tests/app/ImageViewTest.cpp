// The image view of the main window: the mouse position in the status bar and the rubber band,
// which fills the segment parameter dialog and leaves no trace on the picture.
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

#include "AppTest.h"
#include "FormFixture.h"
#include "app/Imageview.h"
#include "encode/Encodeparameter.h"
#include "image/Grayimage.h"
#include "segment/Segment.h"
#include "segment/Segmentparameter.h"

using namespace AppTest;

class TImageViewTest : public QObject, TFormFixture {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(Start()); }
  void cleanup() {
    const std::string problems = Finish();
    QVERIFY2(problems.empty(), problems.c_str());
  }

  void DragOnViewFillsSegmentParametersAndLeavesNoTrace() {
    WriteGridPicture(Work("grid.bmp"), 200, 150);
    NewSegment("grid.bmp");
    TGrayImage original(Work("grid.bmp"));
    TPaintBox* box = Form().PaintBox();
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(50, 40));
    QTest::mouseMove(box, QPoint(35, 50));
    QCOMPARE(Form().statusBar()->currentMessage(), QString("Current(35, 50)Width: 1 Height: 1"));
    QTest::mouseMove(box, QPoint(20, 60));
    QCOMPARE(Form().statusBar()->currentMessage(), QString("Current(20, 60)Width: 16 Height: 11"));
    // The band is on the view while the button is held: a dotted outline of inverted pixels.
    TViewSurface& surface = Form().ViewSurface();
    const uint8_t corner = original.GetPixel(20, 40);
    QVERIFY(surface.Pixel(20, 40) == GrayColor(uint8_t(255 - corner)));
    QVERIFY(!ViewShows(Form(), original));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(20, 60));
    QVERIFY(ViewShows(Form(), original));
    QCOMPARE(Parameters().XEdit->text(), QString("20"));
    QCOMPARE(Parameters().YEdit->text(), QString("40"));
    QCOMPARE(Parameters().DxEdit->text(), QString("30"));
    QCOMPARE(Parameters().DyEdit->text(), QString("20"));
    // The grid intervals of the encode parameter dialog too, though it is hidden.
    QVERIFY(!EncodeParameters().isVisible());
    QCOMPARE(EncodeParameters().DxEdit->text(), QString("30"));
    QCOMPARE(EncodeParameters().DyEdit->text(), QString("20"));
    QTest::mouseClick(Parameters().ModifySegmentButton, Qt::LeftButton);
    TGrayImage expected(Work("grid.bmp"));
    expected.FillRect(0, 20, 40, 50, 60);  // 31 x 21 pixels, both corners included
    QVERIFY(SameImages(Form().FSegmenter->Image(), expected));
  }

  void DragPastTheEdgeIsClampedAndHiddenDialogKeepsItsFields() {
    WriteGridPicture(Work("grid.bmp"), 200, 150);
    NewSegment("grid.bmp");
    TGrayImage original(Work("grid.bmp"));
    Drag(QPoint(150, 100), QPoint(260, -30));
    QCOMPARE(Form().FEndX, 199);
    QCOMPARE(Form().FEndY, 0);
    QCOMPARE(Parameters().XEdit->text(), QString("150"));
    QCOMPARE(Parameters().DxEdit->text(), QString("49"));
    QCOMPARE(Parameters().YEdit->text(), QString("0"));
    QCOMPARE(Parameters().DyEdit->text(), QString("100"));
    QVERIFY(ViewShows(Form(), original));
    // A plain click gives the point and zero sizes.
    QTest::mouseClick(Form().PaintBox(), Qt::LeftButton, {}, QPoint(7, 9));
    QCOMPARE(Parameters().XEdit->text(), QString("7"));
    QCOMPARE(Parameters().DxEdit->text(), QString("0"));
    QCOMPARE(EncodeParameters().DxEdit->text(), QString("0"));
    QCOMPARE(EncodeParameters().DyEdit->text(), QString("0"));
    // Closed with Close, the dialog no longer follows drags but keeps its values for the
    // next Multi-Area Segment.
    QTest::mouseClick(Parameters().CloseButton, Qt::LeftButton);
    QVERIFY(!Parameters().isVisible());
    Drag(QPoint(10, 10), QPoint(30, 30));
    QCOMPARE(Parameters().XEdit->text(), QString("7"));
    Parameters().SegmentWinSizeEdit->setText("50");
    Trigger(Form(), "MultiAreaSegmentMenuItem");
    QCOMPARE(Form().FSegmenter->FWinSizeY, 50);
    Trigger(Form(), "SegmentParameterMenuItem");
    QVERIFY(Parameters().isVisible());
  }

  void MouseMoveShowsPositionInStatusBar() {
    TPaintBox* box = Form().PaintBox();
    MoveMouse(box, QPoint(37, 12));
    QCOMPARE(Form().statusBar()->currentMessage(), QString("Current(37, 12)"));
    QCOMPARE(Form().FCurrentX, 37);
  }
};

LATTICOR_APP_TEST_MAIN(TImageViewTest)
#include "ImageViewTest.moc"
