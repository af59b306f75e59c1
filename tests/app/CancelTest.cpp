// Esc during a long command: the delayed encoding walk, Multi-Area Segment and Do Matching stop
// and leave the jobs, the window's fields and the view as they were; input that arrives while a
// command runs is dropped, not replayed afterwards.
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>
#include <tuple>

#include "AppTest.h"
#include "app/platform/Busyfilter.h"

using namespace AppTest;

namespace {

const char* CancelledText = "Cancelled with Esc: everything is as it was before the command.";

// Everything the walk and the origin stages change in a dot record.
using TDotRecord =
    std::tuple<float, float, int32_t, int32_t, bool, bool, int32_t, int32_t, int32_t, int32_t>;
std::vector<TDotRecord> Records(const TEncode& job) {
  std::vector<TDotRecord> records;
  for (const TDotInfo& d : job.DotInfo())
    records.emplace_back(d.x, d.y, d.Nx, d.Ny, d.Coded, d.Neted, d.Neighbour[0], d.Neighbour[1],
                         d.Neighbour[2], d.Neighbour[3]);
  return records;
}

std::vector<uint8_t> Pixels(const TGrayImage& image) {
  std::vector<uint8_t> pixels;
  for (int32_t y = 0; y < image.Height(); ++y)
    pixels.insert(pixels.end(), image.Row(y), image.Row(y) + image.Width());
  return pixels;
}

// Esc as the window system delivers it: queued, seen when the command looks at the event loop.
void PostEsc(QWidget* widget) {
  QCoreApplication::postEvent(widget,
                              new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
}

void PostClick(QWidget* widget, QPoint at) {
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
    QCoreApplication::postEvent(
        widget, new QMouseEvent(type, QPointF(at), widget->mapToGlobal(at), Qt::LeftButton,
                                Qt::LeftButton, Qt::NoModifier));
}

}  // namespace

class TCancelTest : public TFormTest {
  Q_OBJECT

  TEncodeParameterForm& P() { return EncodeParameters(); }
  std::string Status() { return Form().statusBar()->currentMessage().toStdString(); }
  QToolButton* AboutButton() {
    for (QObject* o : Action(Form(), "AboutToolButtonAction")->associatedObjects())
      if (auto* button = qobject_cast<QToolButton*>(o)) return button;
    return nullptr;
  }

 private slots:
  void EscDuringTheDelayedWalkRestoresTheEncoding() {
    WriteDots(Work("dots.bmp"), 300, 200, Lattice(21.3, 18.6, 16, 16, 13, 11), 4);
    NewEncode("dots.bmp");
    P().AreaThresholdEdit->setText("20");
    Trigger(Form(), "DelayMenuItem");
    DoEncoding();
    Trigger(Form(), "ShowPositionMenuItem");  // labels on the view, to be kept as well
    const TEncode* job = Form().Workflow().FEncoder.get();
    const auto dots = Records(*job);
    const int32_t origin = Form().Workflow().FOriginDot;
    const TViewSurface::TSnapshot view = Form().ViewSurface().Snapshot();
    const size_t fullRun = FPlatform->Sleeps.size();
    QVERIFY(fullRun > 100);
    // Esc after the fifth pause of the next run, which rebuilds the job from the file.
    FPlatform->OnSleep = [&](int) {
      if (FPlatform->Sleeps.size() == fullRun + 4) PostEsc(&Form());
    };
    DoEncoding();
    QVERIFY(FPlatform->Sleeps.size() < fullRun + 10);  // stopped at once
    QCOMPARE(Form().Workflow().FEncoder.get(), job);
    QVERIFY(Records(*Form().Workflow().FEncoder) == dots);
    QCOMPARE(Form().Workflow().FEncodeStage, 1);
    QCOMPARE(Form().Workflow().FOriginDot, origin);
    QVERIFY(SameSurfaces(Form().ViewSurface(), view.Picture));
    QCOMPARE(Form().ViewSurface().Labels().size(), view.Labels.size());
    QCOMPARE(Status(), std::string(CancelledText));
    QCOMPARE(FPlatform->Errors, std::vector<std::string>());
  }

  void EscDuringAWalkOnTheSameJobPutsItsDotsBack() {
    // Too tall for the automatic search: the pitch ratio stage walks the job in place.
    WriteDots(Work("tall.bmp"), 120, 240, Lattice(20, 20, 10, 40, 9, 6), 3);
    NewEncode("tall.bmp");
    P().AreaThresholdEdit->setText("10");
    DoEncoding();
    QCOMPARE(Form().Workflow().FEncodeStage, 0);
    FPlatform->Errors.clear();
    Trigger(Form(), "DelayMenuItem");
    const TEncode* job = Form().Workflow().FEncoder.get();
    const auto dots = Records(*job);
    const std::vector<uint8_t> picture = Pixels(job->Image());
    const TRgbSurface view = Form().ViewSurface();
    P().DxEdit->setText("10");
    P().DyEdit->setText("40");
    FPlatform->OnSleep = [&](int) {
      if (FPlatform->Sleeps.size() == 2) PostEsc(&Form());
    };
    Press(P().SetDxDyStartButton);
    QCOMPARE(Form().Workflow().FEncoder.get(), job);
    QVERIFY(Records(*job) == dots);
    QVERIFY(Pixels(job->Image()) == picture);
    QCOMPARE(Form().Workflow().FEncodeStage, 0);
    QCOMPARE(Form().Workflow().FOriginDot, -1);
    QVERIFY(SameSurfaces(Form().ViewSurface(), view));
    QCOMPARE(FPlatform->Errors, std::vector<std::string>());
    // The job put back walks as if nothing had happened.
    FPlatform->OnSleep = nullptr;
    Press(P().SetDxDyStartButton);
    QCOMPARE(FPlatform->Errors, std::vector<std::string>());
    QCOMPARE(Form().Workflow().FEncodeStage, 1);
    for (const TDotInfo& dot : job->DotInfo()) QVERIFY(dot.Coded);
  }

  void EscDuringMultiAreaSegmentKeepsTheFormerResult() {
    WriteGridPicture(Work("grid.bmp"), 320, 240);
    NewSegment("grid.bmp");
    Form().BusyFilter().SetPollInterval(0);
    // A finished run, then a cancelled one with other parameters: the first result stays.
    Parameters().SegmentWinSizeEdit->setText("60");
    Trigger(Form(), "MultiAreaSegmentMenuItem");
    TSegment& job = *Form().Workflow().FSegmenter;
    const std::vector<uint8_t> result = Pixels(job.Image());
    const int32_t t11 = job.GetThreshold(1, 1);
    const int32_t windows = job.WinNumX();
    Parameters().SegmentWinSizeEdit->setText("40");
    Parameters().AdjustThresholdEdit->setText("20");
    PostEsc(&Form());
    Trigger(Form(), "MultiAreaSegmentMenuItem");
    QVERIFY(Pixels(job.Image()) == result);
    QCOMPARE(job.FWinSizeX, 60);
    QCOMPARE(job.FAdjust, 0);
    QCOMPARE(job.WinNumX(), windows);
    QCOMPARE(job.GetThreshold(1, 1), t11);
    QCOMPARE(Status(), std::string(CancelledText));
    QVERIFY(ViewShows(Form(), job.Image()));
    QVERIFY(!job.FCancel);  // no run outside a command asks the filter
    // Without Esc the new parameters apply.
    Trigger(Form(), "MultiAreaSegmentMenuItem");
    QVERIFY(Pixels(job.Image()) != result);
    QCOMPARE(job.FWinSizeX, 40);
  }

  void EscDuringDoMatchingKeepsTheFormerMatch() {
    WriteDots(Work("dots.bmp"), 200, 150, Lattice(20, 20, 16, 16, 10, 7), 4);
    NewEncode("dots.bmp");
    P().AreaThresholdEdit->setText("20");
    DoEncoding();
    SaveCodes("a.cod");
    const auto match = [&](const char* initial, const char* deformed) {
      FPlatform->FileAnswers.push_back(Work(initial));
      FPlatform->FileAnswers.push_back(Work(deformed));
      Trigger(Form(), "DoMatchingMenuItem");
    };
    match("a.cod", "a.cod");
    const TMatch* former = Form().Workflow().FMatcher.get();
    QVERIFY(former != nullptr);
    const int32_t pairs = former->FMatchSum;
    QVERIFY(pairs > 60);
    Form().BusyFilter().SetPollInterval(0);
    PostEsc(&Form());
    match("a.cod", "a.cod");
    QCOMPARE(Form().Workflow().FMatcher.get(), former);
    QCOMPARE(Form().Workflow().FMatcher->FMatchSum, pairs);
    QCOMPARE(Status(), std::string(CancelledText));
    QCOMPARE(FPlatform->Errors, std::vector<std::string>());
    // A failure still leaves no job.
    match("a.cod", "missing.cod");
    QVERIFY(!Form().Workflow().FMatcher);
    QCOMPARE(FPlatform->Errors.size(), size_t{1});
  }

  void InputDuringABusyRunIsDroppedNotReplayed() {
    WriteDots(Work("dots.bmp"), 200, 150, Lattice(20, 20, 16, 16, 10, 7), 4);
    NewEncode("dots.bmp");
    P().AreaThresholdEdit->setText("20");
    Trigger(Form(), "DelayMenuItem");
    QToolButton* about = AboutButton();
    QVERIFY(about != nullptr);
    // At the first pause: a click on the About button and one on a dot (picking is on).
    FPlatform->OnSleep = [&](int) {
      if (!FPlatform->Sleeps.empty()) return;
      PostClick(about, about->rect().center());
      PostClick(Form().PaintBox(), Form().PaintBox()->ToBox(20, 20) + QPoint(1, 1));
    };
    DoEncoding();
    QCoreApplication::processEvents();
    QCOMPARE(FPlatform->DialogTitles, std::vector<std::string>());
    QCOMPARE(Form().Workflow().FEncoder->Selected(), -1);
    QVERIFY(Form().Workflow().FEncoder->DotInfo()[0].Coded);  // the run itself went to its end
    // The same clicks when idle do what they do.
    FPlatform->DialogScripts.push_back([](QDialog& d) { d.reject(); });
    PostClick(about, about->rect().center());
    PostClick(Form().PaintBox(), Form().PaintBox()->ToBox(20, 20) + QPoint(1, 1));
    QCoreApplication::processEvents();
    QCOMPARE(FPlatform->DialogTitles, std::vector<std::string>{"About"});
    QVERIFY(Form().Workflow().FEncoder->Selected() >= 0);
    // A question asked while a command runs takes its answer from the mouse.
    Form().BusyFilter().Begin();
    QMessageBox box(QMessageBox::Warning, "", "?", QMessageBox::Yes | QMessageBox::No);
    QAbstractButton* yes = box.button(QMessageBox::Yes);
    QTimer::singleShot(0, &box, [&] {
      PostClick(yes, yes->rect().center());
      // Queued behind the click: ends the box only where the click was lost.
      QMetaObject::invokeMethod(
          &box,
          [&] {
            if (!box.isVisible()) return;
            Form().BusyFilter().End();
            box.button(QMessageBox::No)->click();
          },
          Qt::QueuedConnection);
    });
    QCOMPARE(box.exec(), int(QMessageBox::Yes));
    Form().BusyFilter().End();
  }
};

LATTICOR_APP_TEST_MAIN(TCancelTest)
#include "CancelTest.moc"
