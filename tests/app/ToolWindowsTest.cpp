// Where the tool windows open: beside the picture where there is room, never over its centre,
// and where the user left them in the last run when that is still on a screen.
#include <random>

#include "AppTest.h"
#include "app/platform/Toolplacement.h"
#include "app/platform/Toolwindows.h"

using namespace AppTest;

class TToolWindowsTest : public TFormTest {
  Q_OBJECT

  // Checks one placement and returns the frame.
  static QRect Placed(QSize frame, QRect picture, const QList<QRect>& screens,
                      const QList<QRect>& taken = {}) {
    const QRect r(TToolPlacement::Place(frame, picture, screens, taken), frame);
    const bool onAScreen =
        std::any_of(screens.begin(), screens.end(), [&](const QRect& s) { return s.contains(r); });
    if (!onAScreen) qWarning() << "off the screens:" << r;
    if (r.contains(picture.center())) qWarning() << "over the centre:" << r << picture;
    return onAScreen && !r.contains(picture.center()) ? r : QRect();
  }

 private slots:
  void BesideThePictureWhereThereIsRoom() {
    const QList<QRect> screen{QRect(0, 0, 1920, 1050)};
    const QSize frame(300, 300);
    // A small picture in the middle: right of it, level with its top.
    const QRect small(560, 240, 800, 600);
    const QRect right = Placed(frame, small, screen);
    QCOMPARE(right.topLeft(), QPoint(small.right() + 1 + TToolPlacement::Gap, small.top()));
    // The next one goes below the first; a third, with no room left on the right, to the left.
    const QRect second = Placed(frame, small, screen, {right});
    QVERIFY(!second.isNull() && !second.intersects(right) && !second.intersects(small));
    QCOMPARE(second.left(), right.left());
    const QRect third = Placed(frame, small, screen, {right, second});
    QVERIFY(!third.isNull() && third.right() < small.left());
    // A picture filling the width: below it.
    const QRect wide(0, 0, 1920, 500);
    QVERIFY(Placed(frame, wide, screen).top() > wide.bottom());
    // Two screens: on the one that shows the picture.
    const QList<QRect> two{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const QRect onSecond(2100, 200, 500, 400);
    QVERIFY(two[1].contains(Placed(frame, onSecond, two)));
  }

  void NeverOverThePictureCentre() {
    // Pictures that leave no room beside them: fitted to a maximised window on screens of
    // several sizes, and random ones; the window keeps to a screen and off the centre.
    std::mt19937 random(7);
    const QList<QSize> screens{{1024, 768}, {1366, 768}, {1920, 1080}, {2560, 1440}, {800, 600}};
    for (const QSize& size : screens) {
      const QList<QRect> screen{QRect(QPoint(0, 0), size)};
      const QRect full(0, 60, size.width(), size.height() - 90);
      for (const QSize frame : {QSize(300, 420), QSize(360, 250), QSize(420, 300)}) {
        const QRect first = Placed(frame, full, screen);
        QVERIFY(!first.isNull());
        QVERIFY(!Placed(frame, full, screen, {first}).isNull());
      }
      for (int i = 0; i < 200; ++i) {
        std::uniform_int_distribution<int> x(0, size.width() - 100), y(0, size.height() - 100);
        const QPoint corner(x(random), y(random));
        std::uniform_int_distribution<int> w(50, size.width() - corner.x()),
            h(50, size.height() - corner.y());
        const QRect picture(corner, QSize(w(random), h(random)));
        std::uniform_int_distribution<int> fw(150, size.width() / 2 - 10),
            fh(100, size.height() / 2 - 10);
        QVERIFY(!Placed(QSize(fw(random), fh(random)), picture, screen).isNull());
      }
    }
  }

  void AStoredPlaceCountsOnlyOnAScreen() {
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    QVERIFY(TToolPlacement::OnScreen(QRect(100, 100, 300, 400), screens));
    QVERIFY(TToolPlacement::OnScreen(QRect(3000, 900, 300, 400), screens));  // title bar shows
    QVERIFY(!TToolPlacement::OnScreen(QRect(3300, 100, 300, 400), screens));
    QVERIFY(!TToolPlacement::OnScreen(QRect(100, -30, 300, 400), screens));
    QVERIFY(!TToolPlacement::OnScreen(QRect(1900, 1050, 300, 400), screens));
  }

  void OpensOffThePictureCentreAndIsRememberedAcrossRuns() {
    WriteGridPicture(Work("grid.bmp"), 200, 150);
    NewSegment("grid.bmp");
    QWidget& form = Parameters();
    QVERIFY(form.isVisible());
    QVERIFY(!form.frameGeometry().contains(Form().PictureOnScreen().center()));
    // Where this run put it is not stored; where the user puts it is, once it is hidden.
    form.hide();
    QCOMPARE(SettingsValue("Windows/SegmentParameterForm"), std::string("(none)"));
    form.show();
    const QRect screen = TToolWindows::Screens().first();
    const QPoint chosen = screen.topLeft() + QPoint(13, 17);
    form.move(chosen);
    form.hide();
    QVERIFY(SettingsValue("Windows/SegmentParameterForm") != "(none)");
    // The next run opens it there, also when the window is still shown at the end.
    NewForm().show();
    Parameters().show();
    QCOMPARE(Parameters().pos(), chosen);
    Parameters().move(chosen + QPoint(5, 5));
    FPlatform->AskAnswers.push_back(true);
    Form().close();
    NewForm().show();
    Parameters().show();
    QCOMPARE(Parameters().pos(), chosen + QPoint(5, 5));
    // A place no screen shows any more is not used.
    SetSetting("Windows/EncodeParameterForm", QPoint(screen.right() + 4000, 10));
    EncodeParameters().show();
    QVERIFY(screen.contains(EncodeParameters().pos()));
  }
};

LATTICOR_APP_TEST_MAIN(TToolWindowsTest)
#include "ToolWindowsTest.moc"
