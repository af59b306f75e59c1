// The Segment menu driven through the main window, with the pictures it saves compared with the
// segmentation job run directly with the same parameters.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QToolButton>
#include <filesystem>

#include "AppTest.h"
#include "FormFixture.h"
#include "app/Imageview.h"
#include "image/Filter.h"
#include "image/Grayimage.h"
#include "segment/Segment.h"
#include "segment/Segmentparameter.h"
#include "segment/Simplesegmentparameter.h"

using namespace AppTest;

namespace {

// Keeps what the view showed at every paint while the window showed the busy indicator.
class TPaintWatcher : public QObject {
 public:
  TPaintWatcher(TMainForm& form) : FForm(form) { form.PaintBox()->installEventFilter(this); }
  std::vector<std::vector<uint8_t>> BusyPaints;
  static std::vector<uint8_t> Picture(TViewSurface& surface) {
    const uint8_t* data = surface.Data();
    return std::vector<uint8_t>(data, data + size_t(surface.Width()) * surface.Height() * 3);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && FForm.Busy())
      BusyPaints.push_back(Picture(FForm.ViewSurface()));
    return false;
  }

 private:
  TMainForm& FForm;
};

}  // namespace

class TSegmentMenuTest : public QObject, TFormFixture {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(Start()); }
  void cleanup() {
    const std::string problems = Finish();
    QVERIFY2(problems.empty(), problems.c_str());
  }

  void NewSegmentLoadsPictureAndSetsWindowSize() {
    WriteGridPicture(Work("grid.bmp"), 641, 301);
    NewSegment("grid.bmp");
    QVERIFY(FPlatform->Errors.empty());
    const auto& request = FPlatform->FileRequests.at(0);
    QCOMPARE(request.Title, std::string("select image file to segment"));
    QCOMPARE(request.FilterIndex, 1);
    QCOMPARE(request.Dir, FWork->Path() + "/");
    QCOMPARE(request.ProposedName, std::string());
    QVERIFY(Form().FSegmenter != nullptr);
    QCOMPARE(Form().FSegmentImageName, Work("grid.bmp"));
    QCOMPARE(Parameters().SegmentWinSizeEdit->text(), QString("160"));
    QCOMPARE(Parameters().WinSizeLessThanLabel->text(), QString("No Larger Than 320"));
    QVERIFY(Parameters().isVisible());
    QCOMPARE(Form().PaintBox()->size(), QSize(641, 301));
    QVERIFY(ViewShows(Form(), TGrayImage(Work("grid.bmp"))));
  }

  void NewSegmentTakesOnlyTheFileNameOfAChoiceElsewhere() {
    WriteGridPicture(Work("grid.bmp"), 200, 160, true, 60, 1);
    std::filesystem::create_directory(Work("elsewhere"));
    WriteGridPicture(Work("elsewhere/grid.bmp"), 120, 100, true, 60, 2);
    FPlatform->FileAnswers.push_back(Work("elsewhere/grid.bmp"));
    Trigger(Form(), "NewSegmentMenuItem");
    QCOMPARE(Form().FSegmentImageName, Work("grid.bmp"));
    QCOMPARE(Form().PaintBox()->size(), QSize(200, 160));  // the working directory's picture
  }

  void FailingNewSegmentKeepsTheOldJob() {
    WriteGridPicture(Work("grid.bmp"), 200, 160);
    NewSegment("grid.bmp");
    TSegment* job = Form().FSegmenter.get();
    std::filesystem::create_directory(Work("elsewhere"));
    WriteGridPicture(Work("elsewhere/only-there.bmp"), 100, 100);
    FPlatform->FileAnswers.push_back(Work("elsewhere/only-there.bmp"));
    Trigger(Form(), "NewSegmentMenuItem");
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{"file does not exist."});
    QCOMPARE(Form().FSegmenter.get(), job);
    QCOMPARE(Form().FSegmentImageName, Work("only-there.bmp"));  // already replaced
    QVERIFY(ViewShows(Form(), TGrayImage(Work("grid.bmp"))));
    // Re-Load now reads the missing file: an error, and the picture stays.
    Trigger(Form(), "ReLoadImageMenuItem");
    QCOMPARE(FPlatform->Errors.size(), size_t(2));
    QVERIFY(SameImages(Form().FSegmenter->Image(), TGrayImage(Work("grid.bmp"))));
    // Cancel in the dialog changes nothing at all.
    FPlatform->FileAnswers.push_back(std::nullopt);
    Trigger(Form(), "NewSegmentMenuItem");
    QCOMPARE(Form().FSegmenter.get(), job);
  }

  void NewSegmentOnUnreadableFileReleasesEverything() {
    WriteGridPicture(Work("grid.bmp"), 200, 160);
    NewSegment("grid.bmp");
    WriteFileBytes(Work("broken.bmp"), std::string(100, 'x'));
    NewSegment("broken.bmp");
    QCOMPARE(FPlatform->Errors.size(), size_t(1));
    QVERIFY(!Form().FSegmenter);
    QVERIFY(!Form().FDisplayImage);
    // Without a job the other commands do nothing, and Multi-Area says why.
    Trigger(Form(), "SimpleSegmentMenuItem");
    Trigger(Form(), "ReLoadImageMenuItem");
    Trigger(Form(), "FilterMenuItem");
    Trigger(Form(), "SaveSegmentResultMenuItem");
    Trigger(Form(), "MultiAreaSegmentMenuItem");
    QCOMPARE(FPlatform->Notices, std::vector<std::string>{" First, you must new a segment"});
    QCOMPARE(FPlatform->FileRequests.size(), size_t(2));
    QVERIFY(FPlatform->DialogTitles.empty());
    QCOMPARE(FPlatform->Beeps, 0);
  }

  void FilterMultiAreaModifyAndSaveMatchTheCore() {
    WriteGridPicture(Work("grid.bmp"), 320, 240, true, 90);
    NewSegment("grid.bmp");
    FPlatform->DialogScripts.push_back([](QDialog& dialog) {
      auto& filter = static_cast<TFilterForm&>(dialog);
      QCOMPARE(filter.FilterTypeComboBox->currentText(), QString("Median Filter"));
      QCOMPARE(filter.MedianFilterTrackBar->value(), 3);
      filter.MedianFilterTrackBar->setValue(4);
      QCOMPARE(filter.TrackBarValueLabel->text(), QString("4"));
      QTest::mouseClick(filter.BitBtn1, Qt::LeftButton);
    });
    Trigger(Form(), "FilterMenuItem");
    QCOMPARE(FPlatform->DialogTitles, std::vector<std::string>{"Remove Noise"});
    QCOMPARE(FPlatform->Beeps, 1);

    Parameters().SegmentWinSizeEdit->setText("64");
    Parameters().AdjustThresholdEdit->setText("-6");
    TPaintWatcher watcher(Form());
    const std::vector<uint8_t> before = TPaintWatcher::Picture(Form().ViewSurface());
    Trigger(Form(), "MultiAreaSegmentToolButtonAction");
    QVERIFY(FPlatform->Errors.empty());
    QCOMPARE(FPlatform->Beeps, 2);
    QVERIFY(!Form().Busy());
    // While the job worked, with the busy indicator showing, the screen showed the picture
    // partly segmented: progress is visible without handling events in the middle.
    const std::vector<uint8_t> after = TPaintWatcher::Picture(Form().ViewSurface());
    QVERIFY(before != after);
    QVERIFY(std::any_of(watcher.BusyPaints.begin(), watcher.BusyPaints.end(),
                        [&](const auto& shown) { return shown != before && shown != after; }));

    TSegment core(Work("grid.bmp"), false);
    core.Image().MedianFilter(4, 4);
    core.FWinSizeX = core.FWinSizeY = 64;
    core.FAdjust = -6;
    core.FWhiteDots = true;
    core.MultiAreaSegment(false, nullptr);
    QVERIFY(SameImages(Form().FSegmenter->Image(), core.Image()));
    QVERIFY(ViewShows(Form(), core.Image()));

    // Modify erases the rectangle with the background of the current dot colour.
    Parameters().XEdit->setText("10");
    Parameters().YEdit->setText("20");
    Parameters().DxEdit->setText("30");
    Parameters().DyEdit->setText("15");
    QTest::mouseClick(Parameters().ModifySegmentButton, Qt::LeftButton);
    core.Image().FillRect(0, 10, 20, 40, 35);
    QVERIFY(SameImages(Form().FSegmenter->Image(), core.Image()));
    QVERIFY(ViewShows(Form(), core.Image()));

    std::filesystem::create_directory(Work("elsewhere"));
    FPlatform->FileAnswers.push_back(Work("elsewhere/result.bmp"));
    Trigger(Form(), "SaveSegmentResultToolButtonAction");
    const auto& request = FPlatform->FileRequests.back();
    QVERIFY(request.Save);
    QCOMPARE(request.Title, std::string("Save segment result to"));
    QCOMPARE(request.DefaultExt, std::string("bmp"));
    QCOMPARE(request.FilterIndex, 1);
    QVERIFY(!std::filesystem::exists(Work("elsewhere/result.bmp")));
    core.SaveResult(Work("expected.bmp"));
    QCOMPARE(ReadFileBytes(Work("result.bmp")), ReadFileBytes(Work("expected.bmp")));
  }

  void FilterWithTypedTypeOrSmallWindowChangesNothing() {
    WriteGridPicture(Work("grid.bmp"), 120, 90);
    NewSegment("grid.bmp");
    const TGrayImage original(Work("grid.bmp"));
    FPlatform->DialogScripts.push_back([](QDialog& dialog) {
      auto& filter = static_cast<TFilterForm&>(dialog);
      QLineEdit* text = filter.FilterTypeComboBox->lineEdit();
      QTest::keyClick(text, Qt::Key_End);
      QTest::keyClick(text, Qt::Key_Backspace);  // shortening the entry's text is allowed
      QCOMPARE(text->text(), QString("Median Filte"));
      QTest::keyClicks(text, "r");  // but it cannot grow again
      QCOMPARE(text->text(), QString("Median Filte"));
      text->selectAll();
      QTest::keyClicks(text, "xy");  // at most one character can be typed
      QCOMPARE(text->text(), QString("x"));
      QCOMPARE(filter.FilterType(), -1);
      QTest::mouseClick(filter.BitBtn1, Qt::LeftButton);
    });
    Trigger(Form(), "FilterMenuItem");
    QVERIFY(SameImages(Form().FSegmenter->Image(), original));
    FPlatform->DialogScripts.push_back([](QDialog& dialog) {
      auto& filter = static_cast<TFilterForm&>(dialog);
      QCOMPARE(filter.FilterType(), 0);  // a new dialog: the built-in defaults again
      filter.MedianFilterTrackBar->setValue(1);
      QTest::mouseClick(filter.BitBtn1, Qt::LeftButton);
    });
    Trigger(Form(), "FilterMenuItem");
    QVERIFY(SameImages(Form().FSegmenter->Image(), original));
    QCOMPARE(FPlatform->Beeps, 2);
  }

  void MultiAreaTwiceSegmentsTheSegmentedPictureUnlessReloaded() {
    WriteGridPicture(Work("grid.bmp"), 160, 120, false, 80);
    NewSegment("grid.bmp");
    Trigger(Form(), "WhiteDotToolButtonAction");  // black dots, taken by the next run
    Parameters().SegmentWinSizeEdit->setText("40");
    Parameters().AdjustThresholdEdit->setText("4");
    Trigger(Form(), "MultiAreaSegmentMenuItem");
    Trigger(Form(), "MultiAreaSegmentMenuItem");
    TSegment core(Work("grid.bmp"), false);
    core.FWinSizeX = core.FWinSizeY = 40;
    core.FAdjust = 4;
    core.FWhiteDots = false;
    core.MultiAreaSegment(false, nullptr);
    core.MultiAreaSegment(false, nullptr);
    QVERIFY(SameImages(Form().FSegmenter->Image(), core.Image()));
    Trigger(Form(), "ReLoadImageMenuItem");
    QVERIFY(ViewShows(Form(), TGrayImage(Work("grid.bmp"))));
    // Modify with black dots fills with white.
    QTest::mouseClick(Parameters().ModifySegmentButton, Qt::LeftButton);
    QCOMPARE(Form().FSegmenter->Image().GetPixel(0, 0), uint8_t(255));
  }

  void BadFieldEndsMultiAreaWithConversionErrorAndIdleIndicator() {
    WriteGridPicture(Work("grid.bmp"), 160, 120);
    NewSegment("grid.bmp");
    Parameters().SegmentWinSizeEdit->setText("40");
    Parameters().AdjustThresholdEdit->setText("abc");
    Trigger(Form(), "MultiAreaSegmentMenuItem");
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{"'abc' is not a valid integer value."});
    QCOMPARE(Form().FSegmenter->FWinSizeX, 40);  // converted before the failing field
    QVERIFY(SameImages(Form().FSegmenter->Image(), TGrayImage(Work("grid.bmp"))));
    QVERIFY(!Form().Busy());
    QCOMPARE(FPlatform->Beeps, 1);
    Parameters().XEdit->setText("1x");
    QTest::mouseClick(Parameters().ModifySegmentButton, Qt::LeftButton);
    QCOMPARE(FPlatform->Errors.back(), std::string("'1x' is not a valid integer value."));
  }

  void SimpleSegmentWithHistogramClickMatchesTheCore() {
    WriteGridPicture(Work("grid.bmp"), 300, 200, true, 40);
    NewSegment("grid.bmp");
    FPlatform->DialogScripts.push_back([](QDialog& dialog) {
      QTest::mouseClick(static_cast<TFilterForm&>(dialog).BitBtn2, Qt::LeftButton);
    });
    Trigger(Form(), "FilterMenuItem");  // cancelled: nothing filtered, no beep
    QCOMPARE(FPlatform->Beeps, 0);
    Trigger(Form(), "MultiAreaSegmentMenuItem");  // undone by the reload of Simple Segment
    TGrayImage original(Work("grid.bmp"));
    std::array<int32_t, 256> counts{};
    original.Histogram(counts);
    FPlatform->DialogScripts.push_back([&](QDialog& dialog) {
      auto& form = static_cast<TSimpleSegmentParameterForm&>(dialog);
      // The picture was reloaded before the dialog opened.
      QVERIFY(ViewShows(Form(), original));
      QCOMPARE(form.SimpleSegmentThresholdEdit->text(), QString("128"));
      TViewSurface& histogram = form.HistogramImage->PaintBox()->Surface();
      QCOMPARE(histogram.Width(), 256);
      QCOMPARE(histogram.Height(), 110);
      const int32_t max = *std::max_element(counts.begin(), counts.end());
      // Column v: the bar from row 109 up to, not including, its top; white above it.
      auto barIsDrawn = [&](int32_t v) {
        const int64_t top = 109 - int64_t(counts[v]) * 109 / max;
        for (int32_t y = 0; y < 110; ++y)
          if (!(histogram.Pixel(v, y) == (y > top ? clBlack : clWhite))) return false;
        return true;
      };
      for (int32_t v = 0; v < 256; ++v)
        if (v != 128) QVERIFY2(barIsDrawn(v), qPrintable(QString::number(v)));
      // The marker at 128: red from row 109 up to row 1, the end point (row 0) excluded.
      for (int32_t y = 1; y < 110; ++y) QVERIFY(histogram.Pixel(128, y) == clRed);
      QVERIFY(histogram.Pixel(128, 0) == clWhite);
      MoveMouse(form.HistogramImage->PaintBox(), QPoint(37, 50));
      QTest::mouseClick(form.HistogramImage->PaintBox(), Qt::LeftButton, {}, QPoint(37, 50));
      QCOMPARE(form.SimpleSegmentThresholdEdit->text(), QString("37"));
      QCOMPARE(form.Plot().MarkerX(), 37);
      QCOMPARE(form.Plot().MarkerY(), 50);
      for (int32_t y = 1; y < 110; ++y) QVERIFY(histogram.Pixel(37, y) == clRed);
      QVERIFY(barIsDrawn(128));  // the old marker's bar is back
      // Typing does not move the marker; only the text counts.
      form.SimpleSegmentThresholdEdit->setText("41");
      QVERIFY(histogram.Pixel(37, 5) == clRed);
      QTest::mouseClick(form.BitBtn2, Qt::LeftButton);
    });
    Trigger(Form(), "SimpleSegmentToolButtonAction");
    QCOMPARE(FPlatform->DialogTitles.back(), std::string("Simple Segment Parameter"));
    TSegment core(Work("grid.bmp"), false);
    core.SimpleSegment(nullptr, 41);
    QVERIFY(SameImages(Form().FSegmenter->Image(), core.Image()));
    QVERIFY(ViewShows(Form(), core.Image()));
    SaveResult("simple.raw");
    core.SaveResult(Work("expected.raw"));
    QCOMPARE(ReadFileBytes(Work("simple.raw")), ReadFileBytes(Work("expected.raw")));
    SaveResult("simple.png");
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{"only support raw and bmp files."});
    QVERIFY(!std::filesystem::exists(Work("simple.png")));
  }

  void SimpleSegmentCancelLeavesReloadedPicture() {
    WriteGridPicture(Work("grid.bmp"), 160, 120);
    NewSegment("grid.bmp");
    Trigger(Form(), "MultiAreaSegmentMenuItem");
    FPlatform->DialogScripts.push_back([](QDialog& dialog) {
      QTest::mouseClick(static_cast<TSimpleSegmentParameterForm&>(dialog).BitBtn1, Qt::LeftButton);
    });
    Trigger(Form(), "SimpleSegmentMenuItem");
    TGrayImage original(Work("grid.bmp"));
    QVERIFY(SameImages(Form().FSegmenter->Image(), original));
    QVERIFY(ViewShows(Form(), original));
  }
};

LATTICOR_APP_TEST_MAIN(TSegmentMenuTest)
#include "SegmentMenuTest.moc"
