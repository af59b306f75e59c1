// The main window: start-up and shut-down with the settings, the System, View and Help
// commands, the menus and tool bars, and the error handler.
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>

#include "AppTest.h"
#include "app/Imageview.h"
#include "encode/Encode.h"
#include "image/Grayimage.h"
#include "segment/Segment.h"
#include "support/Checks.h"

using namespace AppTest;

class TMainWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TTempDir> FWork;
  std::unique_ptr<TScriptedPlatform> FPlatform;
  std::unique_ptr<TMainForm> FForm;

  TMainForm& NewForm() {
    FForm = std::make_unique<TMainForm>(*FPlatform);
    return *FForm;
  }
  TMainForm& ShownForm() {
    NewForm().show();
    if (!QTest::qWaitForWindowExposed(FForm.get())) qWarning("window not exposed");
    return *FForm;
  }

 private slots:
  void init() {
    ClearSettings();
    FWork = std::make_unique<TTempDir>();
    FPlatform = std::make_unique<TScriptedPlatform>();
  }
  void cleanup() {
    if (FForm) FForm->hide();
    FForm.reset();
    QVERIFY2(FPlatform->Unexpected.empty(), FPlatform->UnexpectedText().c_str());
    QVERIFY2(FPlatform->AllAnswersUsed(), "a scripted answer was left over");
    QDir::setCurrent(QDir::tempPath());
  }

  void FirstRunExitAndSecondRunReadingBack() {
    {
      TMainForm& form = ShownForm();
      QCOMPARE(SettingsValue("Image Scale/scalex"), std::string("1"));
      QCOMPARE(SettingsValue("Image Scale/scaley"), std::string("1"));
      QCOMPARE(form.FScaleX, 1.0f);
      QCOMPARE(SettingsValue("Path/last"), std::string("(none)"));
      const std::string home = QDir::homePath().toStdString();
      QCOMPARE(form.FWorkDir, home + "/");
      QCOMPARE(QDir::currentPath().toStdString(), home);
      QCOMPARE(form.windowTitle(), QString("Latticor Method "));
      QCOMPARE(form.ImageView()->PaintBox()->size(), QSize(860, 538));
      // Set Working Directory: Cancel changes nothing, a folder becomes the current directory.
      FPlatform->FolderAnswers = {std::nullopt, FWork->Path()};
      Trigger(form, "SetWorkingDirectoryToolButtonAction");
      QCOMPARE(form.FWorkDir, home + "/");
      Trigger(form, "SetWorkingDirectoryMenuItem");
      QCOMPARE(FPlatform->FolderCaptions.at(0), std::string("Select Working Directory"));
      QCOMPARE(form.FWorkDir, FWork->Path() + "/");
      QCOMPARE(QDir::currentPath().toStdString(), FWork->Path());
      // Exit answered No keeps the window and writes nothing; Yes writes both factors.
      form.FScaleX = 0.25f;
      form.FScaleY = 2.5f;
      FPlatform->AskAnswers = {false, true};
      Trigger(form, "ExitMenuItem");
      QVERIFY(form.isVisible());
      QCOMPARE(SettingsValue("Image Scale/scalex"), std::string("1"));
      Trigger(form, "ExitToolButtonAction");
      QVERIFY(!form.isVisible());
      QCOMPARE(FPlatform->Questions, std::vector<std::string>(2, "Do you really want to Exit ?"));
      QCOMPARE(SettingsValue("Image Scale/scalex"), std::string("0.25"));
      TMainForm::WriteLastDirectory();  // what the application does when its loop has ended
    }
    QCOMPARE(SettingsValue("Path/last"), FWork->Path());
    QDir::setCurrent(QDir::tempPath());
    TMainForm& form = NewForm();
    QCOMPARE(form.FWorkDir, FWork->Path() + "/");
    QCOMPARE(QDir::currentPath().toStdString(), FWork->Path());
    QCOMPARE(form.FScaleX, 0.25f);
    QCOMPARE(form.FScaleY, 2.5f);
    QVERIFY(FPlatform->Errors.empty());
  }

  void StoredDirectoryGetsOneTrailingSlash() {
    SetSetting("Path/last", QString::fromStdString(FWork->Path() + "/"));
    QCOMPARE(NewForm().FWorkDir, FWork->Path() + "/");
    SetSetting("Path/last", "/");
    QCOMPARE(NewForm().FWorkDir, std::string("/"));
    // A folder that has gone: the name is kept, the current directory stays where it was.
    QDir::setCurrent(QDir::tempPath());
    SetSetting("Path/last", QString::fromStdString(FWork->Path() + "/gone"));
    QCOMPARE(NewForm().FWorkDir, FWork->Path() + "/gone/");
    QCOMPARE(QDir::currentPath(), QDir::tempPath());
  }

  void MissingOrBadScaleValueIsReportedAndTheWindowStillOpens() {
    SetSetting("Image Scale/scaley", 3.0);  // the group exists, "scalex" does not
    TMainForm& form = NewForm();
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{"Invalid data type for 'scalex'"});
    QCOMPARE(form.FScaleY, 0.0f);  // not read: reading stopped at the first failure
    QVERIFY(form.ImageView() != nullptr);
    SetSetting("Image Scale/scalex", "abc");
    NewForm();
    QCOMPARE(FPlatform->Errors.size(), size_t(2));
    QCOMPARE(FPlatform->Errors[1], FPlatform->Errors[0]);
  }

  void DisplayImageReleasesTheJobsAndDelayReachesTheEncodingJob() {
    SetSetting("Path/last", QString::fromStdString(FWork->Path()));
    TMainForm& form = NewForm();
    WriteGridPicture(FWork->File("grid.bmp"), 120, 90);
    std::filesystem::create_directory(FWork->File("other"));
    const std::string viewed = FWork->File("other/view.bmp");
    WriteGridPicture(viewed, 120, 90, false);
    // Delay without a job only sets the option; with one it sets the job's pause.
    QAction* delay = Action(form, "DelayMenuItem");
    QVERIFY(!delay->isChecked());
    delay->trigger();
    QVERIFY(delay->isChecked() && form.FDelayEncoding);
    form.DisplayImage(viewed);
    form.FSegmenter = std::make_unique<TSegment>(FWork->File("grid.bmp"), false);
    form.FEncoder = std::make_unique<TEncode>(FWork->File("grid.bmp"), true, false, 50, 50);
    QCOMPARE(form.FEncoder->FDelay, 50);
    delay->trigger();
    QVERIFY(!form.FDelayEncoding);
    QCOMPARE(form.FEncoder->FDelay, 0);
    delay->trigger();
    QCOMPARE(form.FEncoder->FDelay, 50);
    form.PaintBoxPaint();  // the encoding job's picture comes first
    QVERIFY(ViewShows(form, *form.FEncoder->FImage));
    // Display image takes the path as the dialog gives it, not through the working directory.
    FPlatform->FileAnswers.push_back(viewed);
    Trigger(form, "DisplayImageMenuItem");
    const auto& request = FPlatform->FileRequests.back();
    QCOMPARE(request.Title, std::string("select image file to display"));
    QCOMPARE(request.FilterIndex, 1);
    QCOMPARE(request.Dir, FWork->Path() + "/");
    QVERIFY(!form.FSegmenter && !form.FEncoder);
    QVERIFY(ViewShows(form, TGrayImage(viewed)));
    QCOMPARE(form.ImageView()->size(), QSize(128, 98));
    QVERIFY(FPlatform->Errors.empty());
  }

  void DisplayImageOfUnreadableFileLeavesEmptyView() {
    TMainForm& form = NewForm();
    WriteGridPicture(FWork->File("grid.bmp"), 100, 80);
    WriteFileBytes(FWork->File("broken.bmp"), "BM this is no bitmap");
    FPlatform->FileAnswers = {FWork->File("grid.bmp"), FWork->File("broken.bmp"), std::nullopt,
                              FWork->File("missing.bmp")};
    Trigger(form, "DisplayImageMenuItem");
    Trigger(form, "DisplayImageMenuItem");
    // The core's message as it is: it ends in ")", so no "." is added.
    const std::string message = ErrorOf([&] { TGrayImage probe(FWork->File("broken.bmp")); });
    QCOMPARE(message.back(), ')');
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{message});
    QVERIFY(!form.FDisplayImage);
    TViewSurface& surface = form.ViewSurface();
    for (int32_t y = 0; y < surface.Height(); y += 7)
      for (int32_t x = 0; x < surface.Width(); x += 7)
        QVERIFY(surface.Pixel(x, y) == form.PaintBox()->Background());
    Trigger(form, "DisplayImageMenuItem");  // Cancel: nothing happens
    QCOMPARE(FPlatform->Errors.size(), size_t(1));
    // A message ending in a letter gets the handler's ".".
    Trigger(form, "DisplayImageMenuItem");
    QCOMPARE(FPlatform->Errors.back(), FWork->File("missing.bmp") + ": not exists.");
  }

  void ImageViewIsCentredOrPinnedToTopLeft() {
    TMainForm& form = NewForm();
    form.resize(1200, 900);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QWidget* client = form.centralWidget();
    form.FitImageView(300, 200);
    QCOMPARE(form.ImageView()->geometry(),
             QRect((client->width() - 308) / 2, (client->height() - 208) / 2, 308, 208));
    QCOMPARE(form.PaintBox()->geometry(), QRect(4, 4, 300, 200));
    form.FitImageView(2000, 1500);
    QCOMPARE(form.ImageView()->geometry(), QRect(4, 4, 2008, 1508));
  }

  void WhiteOrBlackToggleSwitchesIconAndSetting() {
    TMainForm& form = NewForm();
    QAction* toggle = Action(form, "WhiteDotToolButtonAction");
    const QImage white = toggle->icon().pixmap(24).toImage();
    toggle->trigger();
    QVERIFY(!form.FWhiteDots);
    QVERIFY(toggle->icon().pixmap(24).toImage() != white);
    toggle->trigger();
    QVERIFY(form.FWhiteDots);
    QCOMPARE(toggle->icon().pixmap(24).toImage(), white);
  }

  void MenusAndToolBarsHoldEveryCommandInOrder() {
    TMainForm& form = ShownForm();
    QStringList menus;  // each menu as "Title: item|item", "-" for a separator
    for (QAction* m : form.menuBar()->actions()) {
      QStringList items;
      for (QAction* a : m->menu()->actions()) items << (a->isSeparator() ? "-" : a->text());
      menus << m->text() + ": " + items.join('|');
    }
    QCOMPARE(menus,
             QStringList(
                 {"System: Display image|-|Set Scale|Set Coordinate|Set Working Directory|-|Exit",
                  "Segment: New Segment|-|Multi-Area Segment|Simple Segment|-|Re-Load Image|-|"
                  "Filter|-|Save Result",
                  "Encode: New Encode|-|Do Encoding|-|Show Position|-|Save Result",
                  "Match: Do Matching|-|Save Result",
                  "View: Segment Parameter|Encode Parameter|-|Delay", "Help: About"}));
    QStringList bars;  // each tool bar as "Name: button button"
    int left = -1;
    for (QToolBar* bar : form.findChildren<QToolBar*>()) {
      QStringList buttons;
      for (QAction* a : bar->actions()) {
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(a));
        QVERIFY(button != nullptr);
        buttons << button->objectName().remove("ToolButton");
        // Every button shows a drawn icon: a missing SVG engine would leave it blank.
        const QImage icon = button->icon().pixmap(24).toImage();
        int opaque = 0;
        for (int y = 0; y < icon.height(); ++y)
          for (int x = 0; x < icon.width(); ++x) opaque += qAlpha(icon.pixel(x, y)) > 128;
        QVERIFY2(opaque > 40, qPrintable(button->objectName()));
      }
      bars << bar->objectName() + ": " + buttons.join(' ');
      QVERIFY(bar->isVisible() && (bar->x() > left || bar->y() > 0));  // left to right
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
    QCOMPARE(Action(form, "SetCoordinateMenuItem")->statusTip(),
             QString(" Modify the default size of the coordinate system used by encodement"));
    QCOMPARE(form.findChild<QToolBar*>("MatchToolBar")->statusTip(),
             QString(" use this you can match two code file's data"));
    QTest::mouseMove(form.findChild<QToolButton*>("SetScaleToolButton"));
    QTRY_COMPARE(form.statusBar()->currentMessage(), QString("set the x and y scale"));
  }
};

LATTICOR_APP_TEST_MAIN(TMainWindowTest)
#include "MainWindowTest.moc"
