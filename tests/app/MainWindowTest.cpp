// The main window: start-up and shut-down with the settings, the System, View and Help
// commands, the menus and tool bars, and the error handler.
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "AppTest.h"
#include "app/platform/Platform.h"
#include "image/Grayimage.h"
#include "support/Checks.h"

using namespace AppTest;

class TMainWindowTest : public TFormTest {
  Q_OBJECT

 private slots:
  void OpenDialogsListCameraPicturesFirstAndSaveDialogsOnlyTheFileKinds() {
    const QStringList save = FileFilters(false);
    QCOMPARE(save, QStringList({"Gray Image  files (*.bmp)", "Encoded grid files (*.cod)",
                                "Displacement files (*.dat *.data)", "All files (*)"}));
    QStringList open = FileFilters(true);
    QCOMPARE(open.size(), 5);
    QVERIFY(open[0].startsWith("Camera pictures ("));
    // Every name pattern of the entry is one the gray image reads.
    const QString camera = open.takeAt(0);
    QCOMPARE(open, save);
    const QStringList patterns = camera.mid(17, camera.size() - 18).split(' ');
    QVERIFY(patterns.size() >= 7);
    for (const QString& pattern : patterns) {
      const std::string ext = pattern.mid(1).toStdString();
      QVERIFY2(ext == ".bmp" || IsCameraPictureExt(ext), ext.c_str());
    }
  }

  void FirstRunExitAndSecondRunReadingBack() {
    ClearSettings();
    TMainForm& form = NewForm();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(SettingsValue("Image Scale/scalex"), std::string("1"));
    QCOMPARE(SettingsValue("Path/last"), std::string("(none)"));
    const std::string home = QDir::homePath().toStdString();
    QCOMPARE(form.Workflow().FWorkDir, home + "/");
    QCOMPARE(QDir::currentPath().toStdString(), home);
    QCOMPARE(form.windowTitle(), QString("Latticor Method "));
    QCOMPARE(form.ViewSurface().Width(), 860);
    QCOMPARE(form.ViewSurface().Height(), 538);
    // Set Working Directory: Cancel changes nothing, a folder becomes the current directory.
    FPlatform->FolderAnswers = {std::nullopt, FWork->Path()};
    Trigger(form, "SetWorkingDirectoryToolButtonAction");
    QCOMPARE(form.Workflow().FWorkDir, home + "/");
    Trigger(form, "SetWorkingDirectoryMenuItem");
    QCOMPARE(FPlatform->FolderCaptions.at(0), std::string("Select Working Directory"));
    QCOMPARE(form.Workflow().FWorkDir, FWork->Path() + "/");
    QCOMPARE(QDir::currentPath().toStdString(), FWork->Path());
    // Exit answered No keeps the window and writes nothing; Yes writes both factors.
    form.Workflow().FScaleX = 0.25f;
    form.Workflow().FScaleY = 2.5f;
    FPlatform->AskAnswers = {false, true};
    Trigger(form, "ExitMenuItem");
    QVERIFY(form.isVisible());
    QCOMPARE(SettingsValue("Image Scale/scalex"), std::string("1"));
    Trigger(form, "ExitToolButtonAction");
    QVERIFY(!form.isVisible());
    QCOMPARE(FPlatform->Questions, std::vector<std::string>(2, "Do you really want to Exit ?"));
    TMainForm::WriteLastDirectory();  // what the application does when its loop has ended
    QDir::setCurrent(QDir::tempPath());
    TMainForm& second = NewForm();
    QCOMPARE(second.Workflow().FWorkDir, FWork->Path() + "/");
    QCOMPARE(QDir::currentPath().toStdString(), FWork->Path());
    QCOMPARE(second.Workflow().FScaleX, 0.25f);
    QCOMPARE(second.Workflow().FScaleY, 2.5f);
    QVERIFY(FPlatform->Errors.empty());
  }

  void StoredDirectoryGetsOneTrailingSlashAndAGoneOneIsKept() {
    const std::string dir = FWork->Path();
    for (const auto& [stored, expected] : std::vector<std::pair<std::string, std::string>>{
             {dir + "/", dir + "/"}, {"/", "/"}, {dir + "/gone", dir + "/gone/"}}) {
      SetSetting("Path/last", QString::fromStdString(stored));
      QCOMPARE(NewForm().Workflow().FWorkDir, expected);
    }
    QCOMPARE(QDir::currentPath(), QString("/"));  // the gone folder did not become current
  }

  void MissingOrBadScaleValueIsReportedAndTheWindowStillOpens() {
    ClearSettings();
    SetSetting("Image Scale/scaley", 3.0);  // the group exists, "scalex" does not
    TMainForm& form = NewForm();
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{"Invalid data type for 'scalex'"});
    QCOMPARE(form.Workflow().FScaleY, 0.0f);  // not read: reading stopped at the first failure
    QVERIFY(form.ImageView() != nullptr);
    SetSetting("Image Scale/scalex", "abc");
    NewForm();
    QCOMPARE(FPlatform->Errors, std::vector<std::string>(2, FPlatform->Errors[0]));
  }

  void DelaySetsTheOptionAndTheEncodingJobsPause() {
    TMainForm& form = Form();
    WriteGridPicture(Work("grid.bmp"), 120, 90);
    // Delay without a job only sets the option; with one it sets the job's pause.
    QAction* delay = Action(form, "DelayMenuItem");
    delay->trigger();
    QVERIFY(delay->isChecked());
    QVERIFY(form.Workflow().FDelayEncoding);
    form.Workflow().FEncoder = std::make_unique<TEncode>(Work("grid.bmp"), true, false, 50, 50);
    delay->trigger();
    QVERIFY(!form.Workflow().FDelayEncoding);
    QCOMPARE(form.Workflow().FEncoder->Delay(), 0);
    delay->trigger();
    QCOMPARE(form.Workflow().FEncoder->Delay(), 50);
  }

  void DisplayImageReleasesTheJobs() {
    TMainForm& form = Form();
    WriteGridPicture(Work("grid.bmp"), 120, 90);
    std::filesystem::create_directory(Work("other"));
    const std::string viewed = Work("other/view.bmp");
    WriteGridPicture(viewed, 120, 90, false);
    form.DisplayImage(viewed);
    form.Workflow().FSegmenter = std::make_unique<TSegment>(viewed, false);
    form.Workflow().FEncoder = std::make_unique<TEncode>(Work("grid.bmp"), true, false, 50, 50);
    form.PaintBoxPaint();  // the encoding job's picture comes first
    QVERIFY(ViewShows(form, form.Workflow().FEncoder->Image()));
    // Display image takes the path as the dialog gives it, not through the working directory.
    FPlatform->FileAnswers.push_back(viewed);
    Trigger(form, "DisplayImageMenuItem");
    const auto& request = FPlatform->FileRequests.back();
    QCOMPARE(request.Title, std::string("select image file to display"));
    QCOMPARE(request.FilterIndex, 1);
    QCOMPARE(request.Dir, FWork->Path() + "/");
    QVERIFY(!form.Workflow().FSegmenter);
    QVERIFY(!form.Workflow().FEncoder);
    QVERIFY(ViewShows(form, TGrayImage(viewed)));
    QCOMPARE(form.PaintBox()->size(), QSize(120, 90));
    QVERIFY(FPlatform->Errors.empty());
  }

  void DisplayImageOfUnreadableFileLeavesEmptyView() {
    WriteGridPicture(Work("grid.bmp"), 100, 80);
    WriteFileBytes(Work("broken.bmp"), "BM this is no bitmap");
    FPlatform->FileAnswers = {Work("grid.bmp"), Work("broken.bmp"), std::nullopt};
    for (int i = 0; i < 3; ++i) Trigger(Form(), "DisplayImageMenuItem");  // the last: Cancel
    // The core's message as it is: it ends in ")", so no "." is added.
    QCOMPARE(FPlatform->Errors,
             std::vector<std::string>{ErrorOf([&] { TGrayImage probe(Work("broken.bmp")); })});
    QVERIFY(!Form().Workflow().FDisplayImage);
    TViewSurface& surface = Form().ViewSurface();
    for (int32_t y = 0; y < surface.Height(); y += 7)
      for (int32_t x = 0; x < surface.Width(); x += 7)
        QVERIFY(surface.Pixel(x, y) == Form().PaintBox()->Background());
  }

  void SmallPictureCentredOneToOneLargeOneFitted() {
    TZoomView* view = Form().ImageView();
    Form().FitImageView(300, 200);
    QCOMPARE(view->Zoom(), 1.0);
    const QRect box = Form().PaintBox()->geometry();
    QCOMPARE(box.size(), QSize(300, 200));
    QVERIFY(std::abs(box.center().x() - view->viewport()->rect().center().x()) <= 1);
    // Larger than the window: the whole picture in view, no scroll bar needed.
    Form().FitImageView(6000, 4000);
    QVERIFY(view->Zoom() < 1.0);
    QVERIFY(view->Fitting());
    QVERIFY(Form().PaintBox()->width() <= view->viewport()->width());
    QVERIFY(Form().PaintBox()->height() <= view->viewport()->height());
    QVERIFY(Form().PaintBox()->width() >= view->viewport()->width() - 2 ||
            Form().PaintBox()->height() >= view->viewport()->height() - 2);
  }

  void MenusAndToolBarsHoldEveryCommandInOrder() {
    TMainForm& form = Form();
    QStringList menus;  // each menu as "Title: item|item", "-" for a separator
    for (QAction* m : form.menuBar()->actions()) {
      QStringList items;
      for (QAction* a : m->menu()->actions())
        items << (a->isSeparator() ? "-" : QString(a->text()).remove('&'));
      menus << QString(m->text()).remove('&') + ": " + items.join('|');
    }
    QCOMPARE(
        menus,
        QStringList({"System: Display image|Open Recent|-|Set Scale|Set Coordinate|Set Working "
                     "Directory|-|Exit",
                     "Edit: Undo|Redo",
                     "Segment: New Segment|-|Multi-Area Segment|Simple Segment|-|Re-Load Image|-|"
                     "Filter|-|Save Result",
                     "Encode: New Encode|-|Do Encoding|-|Show Position|-|Save Result",
                     "Match: Do Matching|-|Save Result|-|Strain Result|-|Track Sequence...|"
                     "Open Track Results...|Sequence Result",
                     "View: Segment Parameter|Encode Parameter|-|Delay|-|Fit Picture|"
                     "Actual Size (1:1)|Zoom In|Zoom Out|-|Line Profile",
                     "Help: Manual|About"}));
    QStringList bars;  // each tool bar as "Name: button button"
    int left = -1;
    for (QToolBar* bar : form.findChildren<QToolBar*>()) {
      QStringList buttons;
      for (QAction* a : bar->actions()) {
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(a));
        buttons << button->objectName().remove("ToolButton");
        // Every button shows a drawn icon: a missing SVG engine would leave it blank.
        const QImage icon = button->icon().pixmap(24).toImage();
        int opaque = 0;
        for (int y = 0; y < icon.height(); ++y)
          for (int x = 0; x < icon.width(); ++x) opaque += qAlpha(icon.pixel(x, y)) > 128;
        QVERIFY2(opaque > 40, qPrintable(button->objectName()));
      }
      bars << bar->objectName() + ": " + buttons.join(' ');
      QVERIFY(bar->isVisible());
      QVERIFY(bar->x() > left || bar->y() > 0);  // left to right
      left = bar->x();
    }
    QCOMPARE(bars, QStringList({"SystemToolBar: SetWorkingDirectory SetCoordinate SetScale "
                                "WhiteDot",
                                "SegmentToolBar: NewSegment MultiAreaSegment SimpleSegment "
                                "SaveSegmentResult",
                                "EncodeToolBar: NewEncode DoEncoding ShowPosition SaveEncodeResult",
                                "MatchToolBar: DoMatching SaveMatchResult",
                                "ApplicationToolBar: RunStatus About Exit"}));
    // Hints are split at the bar: the short part is the tool tip, the long part the status text.
    auto* coordinate = form.findChild<QToolButton*>("SetCoordinateToolButton");
    QCOMPARE(coordinate->toolTip(), QString("re-size coordinate "));
    QCOMPARE(coordinate->statusTip(),
             QString(" re-size the coordinate system, and make sure thiscoordinate can hold all "
                     "the grids"));
    QCOMPARE(form.findChild<QToolBar*>("MatchToolBar")->statusTip(),
             QString(" use this you can match two code file's data"));
    QTest::mouseMove(form.findChild<QToolButton*>("SetScaleToolButton"));
    QTRY_COMPARE(form.statusBar()->currentMessage(), QString("set the x and y scale"));
    // The white-or-black toggle switches its icon with the dot colour.
    QAction* toggle = Action(form, "WhiteDotToolButtonAction");
    const QImage white = toggle->icon().pixmap(24).toImage();
    toggle->trigger();
    QVERIFY(!form.Workflow().FWhiteDots);
    QVERIFY(toggle->icon().pixmap(24).toImage() != white);
    toggle->trigger();
    QVERIFY(form.Workflow().FWhiteDots);
    QVERIFY(toggle->icon().pixmap(24).toImage() == white);
  }
};

LATTICOR_APP_TEST_MAIN(TMainWindowTest)
#include "MainWindowTest.moc"
