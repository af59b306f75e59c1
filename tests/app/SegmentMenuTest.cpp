// The Segment menu and the rubber band on the image view, driven through the main window, with
// the pictures they leave compared with the segmentation job run directly with the same
// parameters.
#include "AppTest.h"
#include "segment/Histogramplot.h"
#include "support/TiffBytes.h"

using namespace AppTest;

namespace {

std::vector<uint8_t> Picture(TViewSurface& surface) {
  return std::vector<uint8_t>(surface.Data(),
                              surface.Data() + size_t(surface.Width()) * surface.Height() * 3);
}

// Keeps what the view showed at every paint while the window showed the busy indicator.
class TPaintWatcher : public QObject {
 public:
  TPaintWatcher(TMainForm& form) : FForm(form) { form.PaintBox()->installEventFilter(this); }
  std::vector<std::vector<uint8_t>> BusyPaints;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && FForm.Busy())
      BusyPaints.push_back(Picture(FForm.ViewSurface()));
    return false;
  }

 private:
  TMainForm& FForm;
};

// The segmentation job made directly on the picture with the given parameters.
std::unique_ptr<TSegment> CoreJob(const std::string& path, int32_t winSize, int32_t adjust,
                                  bool whiteDots) {
  auto job = std::make_unique<TSegment>(path, false);
  job->FWinSizeX = job->FWinSizeY = winSize;
  job->FAdjust = adjust;
  job->FWhiteDots = whiteDots;
  return job;
}

}  // namespace

class TSegmentMenuTest : public TFormTest {
  Q_OBJECT

  void SetWindow(const char* size, const char* adjust) {
    Parameters().SegmentWinSizeEdit->setText(size);
    Parameters().AdjustThresholdEdit->setText(adjust);
  }
  // The fields the rubber band fills in both parameter dialogs.
  QString Fields() {
    return QStringList{Parameters().XEdit->text(),        Parameters().YEdit->text(),
                       Parameters().DxEdit->text(),       Parameters().DyEdit->text(),
                       EncodeParameters().DxEdit->text(), EncodeParameters().DyEdit->text()}
        .join(' ');
  }

 private slots:
  void NewSegmentTakesTheWorkingDirectorysFileAndFailsSafely() {
    WriteGridPicture(Work("grid.bmp"), 641, 301);
    std::filesystem::create_directory(Work("elsewhere"));
    WriteGridPicture(Work("elsewhere/grid.bmp"), 120, 100, true, 60, 2);
    WriteGridPicture(Work("elsewhere/only-there.bmp"), 100, 100);
    NewSegment("grid.bmp");
    const auto& request = FPlatform->FileRequests.at(0);
    QCOMPARE(request.Title, std::string("select image file to segment"));
    QVERIFY(request.FilterIndex == 1);
    QVERIFY(request.Dir == FWork->Path() + "/");
    QCOMPARE(Form().FSegmentImageName, Work("grid.bmp"));
    QVERIFY(ViewShows(Form(), TGrayImage(Work("grid.bmp"))));
    // Width div 4 is above half the height, the largest window the segmentation takes.
    QCOMPARE(Parameters().SegmentWinSizeEdit->text(), QString("150"));
    QCOMPARE(Parameters().WinSizeLessThanLabel->text(), QString("No Larger Than 150"));
    QVERIFY(Parameters().isVisible());
    TSegment* job = Form().FSegmenter.get();
    // A choice elsewhere is the file used, and the working directory follows it.
    NewSegment("elsewhere/only-there.bmp");
    QVERIFY(FPlatform->Errors.empty());
    QCOMPARE(Form().FSegmentImageName, Work("elsewhere/only-there.bmp"));
    QCOMPARE(Form().FWorkDir, Work("elsewhere/"));
    QVERIFY(ViewShows(Form(), TGrayImage(Work("elsewhere/only-there.bmp"))));
    NewSegment("grid.bmp");
    job = Form().FSegmenter.get();
    // None there: the old job stays, the name is already replaced.
    NewSegment("gone.bmp");
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{"file does not exist."});
    QCOMPARE(Form().FSegmenter.get(), job);
    QCOMPARE(Form().FSegmentImageName, Work("gone.bmp"));
    // Re-Load now reads the missing file: an error, and the picture stays.
    Trigger(Form(), "ReLoadImageMenuItem");
    QCOMPARE(FPlatform->Errors.size(), size_t(2));
    QVERIFY(SameImages(Form().FSegmenter->Image(), TGrayImage(Work("grid.bmp"))));
    FPlatform->FileAnswers.push_back(std::nullopt);
    Trigger(Form(), "NewSegmentMenuItem");  // Cancel changes nothing at all
    QCOMPARE(Form().FSegmenter.get(), job);
    // A file that cannot be read releases the job. Without one the other commands do nothing,
    // and Multi-Area says why.
    WriteFileBytes(Work("broken.bmp"), std::string(100, 'x'));
    NewSegment("broken.bmp");
    QVERIFY(FPlatform->Errors.size() == 3);
    QVERIFY(!Form().FSegmenter);
    // A small file whose header claims 40000 x 40000 pixels is refused from the header, through
    // the core's decoders and their limit, before anything is allocated.
    TTiffPage page = GrayPage(64, 64, 8, std::vector<uint16_t>(64 * 64, 9));
    page.Compression = 8;
    std::string bomb = TiffBytes({page});
    SetTiffTag(bomb, 256, 40000), SetTiffTag(bomb, 257, 40000);
    WriteFileBytes(Work("huge.tif"), bomb);
    NewSegment("huge.tif");
    QCOMPARE(FPlatform->Errors.back().substr(0, FPlatform->Errors.back().find(" (")),
             "The picture \"" + Work("huge.tif") + "\" is too large: 40000 x 40000 pixels");
    FPlatform->Errors.pop_back();
    for (const char* name : {"SimpleSegmentMenuItem", "ReLoadImageMenuItem", "FilterMenuItem",
                             "SaveSegmentResultMenuItem", "MultiAreaSegmentMenuItem"})
      Trigger(Form(), name);
    QCOMPARE(FPlatform->Notices, std::vector<std::string>{" First, you must new a segment"});
    QCOMPARE(FPlatform->FileRequests.size(), size_t(7));  // the New Segment dialogs only
    QVERIFY(FPlatform->DialogTitles.empty());
    QVERIFY(FPlatform->Beeps == 0);
  }

  void FilterMultiAreaModifyAndSaveMatchTheCore() {
    WriteGridPicture(Work("grid.bmp"), 320, 240, true, 90);
    NewSegment("grid.bmp");
    FPlatform->DialogScripts.push_back([](QDialog& dialog) {
      auto& filter = static_cast<TFilterForm&>(dialog);
      filter.MedianFilterTrackBar->setValue(4);
      QCOMPARE(filter.TrackBarValueLabel->text(), QString("4"));
      Press(filter.BitBtn1);
    });
    Trigger(Form(), "FilterMenuItem");
    QCOMPARE(FPlatform->Beeps, 1);
    SetWindow("64", "-6");
    TPaintWatcher watcher(Form());
    const std::vector<uint8_t> before = Picture(Form().ViewSurface());
    Trigger(Form(), "MultiAreaSegmentToolButtonAction");
    QVERIFY(FPlatform->Errors.empty());
    QVERIFY(FPlatform->Beeps == 2);
    QVERIFY(!Form().Busy());
    // While the job worked, with the busy indicator showing, the screen showed the picture
    // partly segmented: progress is visible without handling events in the middle.
    const std::vector<uint8_t> after = Picture(Form().ViewSurface());
    QVERIFY(before != after);
    QVERIFY(std::any_of(watcher.BusyPaints.begin(), watcher.BusyPaints.end(),
                        [&](const auto& shown) { return shown != before && shown != after; }));
    auto core = CoreJob(Work("grid.bmp"), 64, -6, true);
    core->Image().MedianFilter(4, 4);
    core->MultiAreaSegment(false, nullptr);
    QVERIFY(SameImages(Form().FSegmenter->Image(), core->Image()));
    QVERIFY(ViewShows(Form(), core->Image()));
    // Modify erases the rectangle with the background of the current dot colour.
    Parameters().XEdit->setText("10");
    Parameters().YEdit->setText("20");
    Parameters().DxEdit->setText("30");
    Parameters().DyEdit->setText("15");
    Press(Parameters().ModifySegmentButton);
    core->Image().FillRect(0, 10, 20, 40, 35);
    QVERIFY(SameImages(Form().FSegmenter->Image(), core->Image()));
    QVERIFY(ViewShows(Form(), core->Image()));
    // Saved where the dialog said, and the working directory follows.
    std::filesystem::create_directory(Work("elsewhere"));
    WithFile("SaveSegmentResultToolButtonAction", "elsewhere/result.bmp");
    const auto& request = FPlatform->FileRequests.back();
    QCOMPARE(request.Title, std::string("Save segment result to"));
    QVERIFY(request.Save);
    QVERIFY(request.DefaultExt == "bmp");
    QVERIFY(request.FilterIndex == 1);
    QVERIFY(!std::filesystem::exists(Work("result.bmp")));
    QCOMPARE(Form().FWorkDir, Work("elsewhere/"));
    core->SaveResult(Work("expected.bmp"));
    QCOMPARE(ReadFileBytes(Work("elsewhere/result.bmp")), ReadFileBytes(Work("expected.bmp")));
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
      QTest::keyClicks(text, "r");               // but it cannot grow again
      QCOMPARE(text->text(), QString("Median Filte"));
      text->selectAll();
      QTest::keyClicks(text, "xy");  // at most one character can be typed
      QVERIFY(text->text() == "x");
      QVERIFY(filter.FilterType() == -1);
      Press(filter.BitBtn1);
    });
    FPlatform->DialogScripts.push_back([](QDialog& dialog) {
      auto& filter = static_cast<TFilterForm&>(dialog);
      QCOMPARE(filter.FilterType(), 0);  // a new dialog: the built-in defaults again
      filter.MedianFilterTrackBar->setValue(1);
      Press(filter.BitBtn1);
    });
    FPlatform->DialogScripts.push_back(
        [](QDialog& dialog) { Press(static_cast<TFilterForm&>(dialog).BitBtn2); });
    for (int i = 0; i < 3; ++i) Trigger(Form(), "FilterMenuItem");
    QVERIFY(SameImages(Form().FSegmenter->Image(), original));
    QCOMPARE(FPlatform->Beeps, 2);  // the cancelled one ran nothing
    QCOMPARE(FPlatform->DialogTitles, std::vector<std::string>(3, "Remove Noise"));
  }

  void MultiAreaTwiceSegmentsTheSegmentedPictureUnlessReloaded() {
    WriteGridPicture(Work("grid.bmp"), 160, 120, false, 80);
    NewSegment("grid.bmp");
    Trigger(Form(), "WhiteDotToolButtonAction");  // black dots, taken by the next run
    SetWindow("40", "4");
    Trigger(Form(), "MultiAreaSegmentMenuItem");
    Trigger(Form(), "MultiAreaSegmentMenuItem");
    auto core = CoreJob(Work("grid.bmp"), 40, 4, false);
    core->MultiAreaSegment(false, nullptr);
    core->MultiAreaSegment(false, nullptr);
    QVERIFY(SameImages(Form().FSegmenter->Image(), core->Image()));
    Trigger(Form(), "ReLoadImageMenuItem");
    QVERIFY(ViewShows(Form(), TGrayImage(Work("grid.bmp"))));
    Press(Parameters().ModifySegmentButton);  // with black dots it fills with white
    QCOMPARE(Form().FSegmenter->Image().GetPixel(0, 0), uint8_t(255));
    // A field that is not a number ends the run with the conversion error, idle again.
    SetWindow("50", "abc");
    const std::vector<uint8_t> shown = Picture(Form().ViewSurface());
    Trigger(Form(), "MultiAreaSegmentMenuItem");
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{"'abc' is not a valid integer value."});
    QCOMPARE(Form().FSegmenter->FWinSizeX, 50);  // converted before the failing field
    QVERIFY(Picture(Form().ViewSurface()) == shown);
    QVERIFY(!Form().Busy());
    QVERIFY(FPlatform->Beeps == 3);
    Parameters().XEdit->setText("1x");
    Press(Parameters().ModifySegmentButton);
    QCOMPARE(FPlatform->Errors.back(), std::string("'1x' is not a valid integer value."));
  }

  void SimpleSegmentWithHistogramClickMatchesTheCore() {
    WriteGridPicture(Work("grid.bmp"), 300, 200, true, 40);
    NewSegment("grid.bmp");
    const TGrayImage original(Work("grid.bmp"));
    // Cancel: the picture is reloaded all the same, which undoes the segmentation.
    Trigger(Form(), "MultiAreaSegmentMenuItem");
    FPlatform->DialogScripts.push_back(
        [](QDialog& dialog) { Press(static_cast<TSimpleSegmentParameterForm&>(dialog).BitBtn1); });
    Trigger(Form(), "SimpleSegmentMenuItem");
    QVERIFY(SameImages(Form().FSegmenter->Image(), original));
    QVERIFY(ViewShows(Form(), original));
    // The dialog draws the reloaded picture's histogram; a click there picks the threshold.
    Trigger(Form(), "MultiAreaSegmentMenuItem");
    std::array<int32_t, 256> counts{};
    original.Histogram(counts);
    THistogramPlot plot;
    TRgbSurface drawn(256, 110);
    plot.SetHistogram(counts, &drawn);
    TRgbSurface clicked = drawn;
    plot.MouseMove(37, 50);
    plot.Click(&clicked);
    FPlatform->DialogScripts.push_back([&](QDialog& dialog) {
      auto& form = static_cast<TSimpleSegmentParameterForm&>(dialog);
      QVERIFY(ViewShows(Form(), original));  // reloaded before the dialog opened
      TPaintBox* box = form.HistogramImage->PaintBox();
      QVERIFY(SameSurfaces(box->Surface(), drawn));
      MoveMouse(box, QPoint(37, 50));
      QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(37, 50));
      QCOMPARE(form.SimpleSegmentThresholdEdit->text(), QString("37"));
      QVERIFY(SameSurfaces(box->Surface(), clicked));
      form.SimpleSegmentThresholdEdit->setText("41");  // typing moves no marker: the text counts
      Press(form.BitBtn2);
    });
    Trigger(Form(), "SimpleSegmentToolButtonAction");
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

  void DragOnViewFillsTheDialogsAndLeavesNoTrace() {
    WriteGridPicture(Work("grid.bmp"), 200, 150);
    NewSegment("grid.bmp");
    TGrayImage picture(Work("grid.bmp"));
    TPaintBox* box = Form().PaintBox();
    MoveMouse(box, QPoint(37, 12));
    QCOMPARE(Form().statusBar()->currentMessage(), QString("Current(37, 12)"));
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(50, 40));
    QTest::mouseMove(box, QPoint(35, 50));
    QCOMPARE(Form().statusBar()->currentMessage(), QString("Current(35, 50)Width: 1 Height: 1"));
    QTest::mouseMove(box, QPoint(20, 60));
    QCOMPARE(Form().statusBar()->currentMessage(), QString("Current(20, 60)Width: 16 Height: 11"));
    // The band is over the view while the button is held, the picture untouched.
    QCOMPARE(box->Band(), std::optional<QRect>(QRect(QPoint(20, 40), QPoint(50, 60))));
    QVERIFY(ViewShows(Form(), picture));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(20, 60));
    QVERIFY(!box->Band());
    QVERIFY(ViewShows(Form(), picture));
    // The grid intervals of the encode parameter dialog too, though it is hidden.
    QVERIFY(!EncodeParameters().isVisible());
    QCOMPARE(Fields(), QString("20 40 30 20 30 20"));
    Press(Parameters().ModifySegmentButton);
    picture.FillRect(0, 20, 40, 50, 60);  // 31 x 21 pixels, both corners included
    QVERIFY(SameImages(Form().FSegmenter->Image(), picture));
    // Past the edge the end is clamped; the band leaves no trace there either.
    Drag(QPoint(150, 100), QPoint(260, -30));
    QCOMPARE(Fields(), QString("150 0 49 100 49 100"));
    QVERIFY(ViewShows(Form(), picture));
    Click(QPoint(7, 9));  // a plain click gives the point and zero sizes
    QCOMPARE(Fields(), QString("7 9 0 0 0 0"));
    // Closed with Close, the dialog no longer follows drags but keeps its values for the
    // next Multi-Area Segment.
    Press(Parameters().CloseButton);
    QVERIFY(!Parameters().isVisible());
    Drag(QPoint(10, 10), QPoint(30, 30));
    QCOMPARE(Fields(), QString("7 9 0 0 20 20"));
    Parameters().SegmentWinSizeEdit->setText("50");
    Trigger(Form(), "MultiAreaSegmentMenuItem");
    QCOMPARE(Form().FSegmenter->FWinSizeY, 50);
    Trigger(Form(), "SegmentParameterMenuItem");
    QVERIFY(Parameters().isVisible());
  }
};

LATTICOR_APP_TEST_MAIN(TSegmentMenuTest)
#include "SegmentMenuTest.moc"
