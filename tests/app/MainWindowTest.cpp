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
#include "base/Error.h"
#include "encode/Encode.h"
#include "image/Grayimage.h"
#include "segment/Segment.h"

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
  // Lists a menu as its item texts, "-" for a separator.
  static QStringList MenuItems(QMenu* menu) {
    QStringList items;
    for (QAction* a : menu->actions()) items << (a->isSeparator() ? "-" : a->text());
    return items;
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

  void FirstRunCreatesScaleFactorsAndStartsInHome() {
    TMainForm& form = NewForm();
    QCOMPARE(form.FScaleX, 1.0f);
    QCOMPARE(form.FScaleY, 1.0f);
    QCOMPARE(SettingsValue("Image Scale/scalex"), std::string("1"));
    QCOMPARE(SettingsValue("Image Scale/scaley"), std::string("1"));
    QCOMPARE(SettingsValue("Path/last"), std::string("(none)"));
    const std::string home = QDir::homePath().toStdString();
    QCOMPARE(form.FWorkDir, home + "/");
    QCOMPARE(QDir::currentPath().toStdString(), home);
    QCOMPARE(form.windowTitle(), QString("Latticor Method "));
    QCOMPARE(form.MaxNx, 50);
    QCOMPARE(form.MaxNy, 50);
    QVERIFY(form.FWhiteDots);
    QCOMPARE(form.FEncodeStage, 1);
    QVERIFY(!form.FSegmenter && !form.FEncoder && !form.FMatcher && !form.FDisplayImage);
    QCOMPARE(form.ImageView()->PaintBox()->size(), QSize(860, 538));
    QVERIFY(FPlatform->Errors.empty());
  }

  void SecondRunReadsBackWhatTheFirstWrote() {
    {
      TMainForm& form = NewForm();
      FPlatform->FolderAnswers.push_back(FWork->Path());
      Trigger(form, "SetWorkingDirectoryMenuItem");
      form.FScaleX = 0.25f;
      form.FScaleY = 2.5f;
      FPlatform->AskAnswers.push_back(true);
      QVERIFY(form.close());
      TMainForm::WriteLastDirectory();  // what the application does when its loop has ended
    }
    QCOMPARE(SettingsValue("Path/last"), FWork->Path());
    QDir::setCurrent(QDir::tempPath());
    TMainForm& form = NewForm();
    QCOMPARE(form.FWorkDir, FWork->Path() + "/");
    QCOMPARE(QDir::currentPath().toStdString(), FWork->Path());
    QCOMPARE(form.FScaleX, 0.25f);
    QCOMPARE(form.FScaleY, 2.5f);
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

  void MissingScaleValueIsReportedAndTheWindowStillOpens() {
    SetSetting("Image Scale/scaley", 3.0);  // the group exists, "scalex" does not
    TMainForm& form = NewForm();
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{"Invalid data type for 'scalex'"});
    QCOMPARE(form.FScaleX, 0.0f);
    QCOMPARE(form.FScaleY, 0.0f);  // not read: reading stopped at the first failure
    QVERIFY(form.ImageView() != nullptr);
    SetSetting("Image Scale/scalex", "abc");
    FPlatform->Errors.clear();
    NewForm();
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{"Invalid data type for 'scalex'"});
  }

  void ExitAnsweredNoKeepsWindowAndWritesNothing() {
    TMainForm& form = NewForm();
    form.show();
    form.FScaleX = 7;
    FPlatform->AskAnswers.push_back(false);
    Trigger(form, "ExitMenuItem");
    QCOMPARE(FPlatform->Questions, std::vector<std::string>{"Do you really want to Exit ?"});
    QVERIFY(form.isVisible());
    QCOMPARE(SettingsValue("Image Scale/scalex"), std::string("1"));

    FPlatform->AskAnswers.push_back(true);
    Trigger(form, "ExitToolButtonAction");
    QVERIFY(!form.isVisible());
    QCOMPARE(SettingsValue("Image Scale/scalex"), std::string("7"));
    QCOMPARE(SettingsValue("Image Scale/scaley"), std::string("1"));
  }

  void SetWorkingDirectoryChangesFolderOrNothingOnCancel() {
    TMainForm& form = NewForm();
    const std::string before = form.FWorkDir;
    FPlatform->FolderAnswers.push_back(std::nullopt);
    Trigger(form, "SetWorkingDirectoryToolButtonAction");
    QCOMPARE(form.FWorkDir, before);
    QCOMPARE(FPlatform->FolderCaptions.at(0), std::string("Select Working Directory"));
    FPlatform->FolderAnswers.push_back(FWork->Path());
    Trigger(form, "SetWorkingDirectoryMenuItem");
    QCOMPARE(form.FWorkDir, FWork->Path() + "/");
    QCOMPARE(QDir::currentPath().toStdString(), FWork->Path());
  }

  void DisplayImageShowsPictureAndReleasesJobs() {
    SetSetting("Path/last", QString::fromStdString(FWork->Path()));
    TMainForm& form = NewForm();
    WriteGridPicture(FWork->File("grid.bmp"), 200, 150);
    FPlatform->FileAnswers.push_back(FWork->File("grid.bmp"));
    Trigger(form, "NewSegmentMenuItem");
    QVERIFY(form.FSegmenter != nullptr);
    // Display image takes the path as the dialog gives it, not through the working directory.
    std::filesystem::create_directory(FWork->File("other"));
    WriteGridPicture(FWork->File("other/view.bmp"), 120, 90, false);
    FPlatform->FileAnswers.push_back(FWork->File("other/view.bmp"));
    Trigger(form, "DisplayImageMenuItem");
    const auto& request = FPlatform->FileRequests.back();
    QCOMPARE(request.Title, std::string("select image file to display"));
    QCOMPARE(request.FilterIndex, 1);
    QCOMPARE(request.Dir, FWork->Path() + "/");
    QVERIFY(!form.FSegmenter);
    QVERIFY(form.FDisplayImage != nullptr);
    TGrayImage expected(FWork->File("other/view.bmp"));
    QVERIFY(ViewShows(form, expected));
    QCOMPARE(form.ImageView()->size(), QSize(128, 98));
    QVERIFY(FPlatform->Errors.empty());
  }

  void DisplayImageOfUnreadableFileLeavesEmptyView() {
    SetSetting("Path/last", QString::fromStdString(FWork->Path()));
    TMainForm& form = NewForm();
    WriteGridPicture(FWork->File("grid.bmp"), 100, 80);
    FPlatform->FileAnswers.push_back(FWork->File("grid.bmp"));
    Trigger(form, "DisplayImageMenuItem");
    WriteFileBytes(FWork->File("broken.bmp"), "BM this is no bitmap");
    FPlatform->FileAnswers.push_back(FWork->File("broken.bmp"));
    Trigger(form, "DisplayImageMenuItem");
    // The core's message as it is: it ends in ")", so no "." is added.
    std::string message;
    try {
      TGrayImage probe(FWork->File("broken.bmp"));
    } catch (const TError& e) {
      message = e.Message();
    }
    QCOMPARE(message.back(), ')');
    QCOMPARE(FPlatform->Errors, std::vector<std::string>{message});
    QVERIFY(!form.FDisplayImage);
    TViewSurface& surface = form.ViewSurface();
    const TColor background = form.PaintBox()->Background();
    for (int32_t y = 0; y < surface.Height(); y += 7)
      for (int32_t x = 0; x < surface.Width(); x += 7) QVERIFY(surface.Pixel(x, y) == background);
    FPlatform->FileAnswers.push_back(std::nullopt);
    Trigger(form, "DisplayImageMenuItem");  // Cancel: nothing happens
    QCOMPARE(FPlatform->Errors.size(), size_t(1));
    // A message ending in a letter gets the handler's ".".
    FPlatform->FileAnswers.push_back(FWork->File("missing.bmp"));
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
    QCOMPARE(form.ImageView()->pos(), QPoint(4, 4));
    QCOMPARE(form.ImageView()->size(), QSize(2008, 1508));
  }

  void WhiteOrBlackToggleSwitchesIconAndSetting() {
    TMainForm& form = NewForm();
    QAction* toggle = Action(form, "WhiteDotToolButtonAction");
    const QImage white = toggle->icon().pixmap(24).toImage();
    toggle->trigger();
    QVERIFY(!form.FWhiteDots);
    const QImage black = toggle->icon().pixmap(24).toImage();
    QVERIFY(white != black);
    toggle->trigger();
    QVERIFY(form.FWhiteDots);
    QCOMPARE(toggle->icon().pixmap(24).toImage(), white);
  }

  void DelayTogglesItsCheckMark() {
    TMainForm& form = NewForm();
    QAction* delay = Action(form, "DelayMenuItem");
    QVERIFY(!delay->isChecked());
    delay->trigger();
    QVERIFY(delay->isChecked());
    QVERIFY(form.FDelayEncoding);
    delay->trigger();
    QVERIFY(!form.FDelayEncoding);
  }

  void EncodingJobTakesDelayAndComesFirstOnTheView() {
    TMainForm& form = NewForm();
    WriteGridPicture(FWork->File("segmented.bmp"), 160, 120);
    WriteGridPicture(FWork->File("viewed.bmp"), 160, 120, false);
    form.DisplayImage(FWork->File("viewed.bmp"));
    form.FEncoder = std::make_unique<TEncode>(FWork->File("segmented.bmp"), true, false, 50, 50);
    QCOMPARE(form.FEncoder->FDelay, 50);
    Trigger(form, "DelayMenuItem");  // checked
    QCOMPARE(form.FEncoder->FDelay, 50);
    Trigger(form, "DelayMenuItem");  // unchecked: no pause
    QCOMPARE(form.FEncoder->FDelay, 0);
    form.PaintBoxPaint();
    QVERIFY(ViewShows(form, *form.FEncoder->FImage));
    // Display image releases the encoding job too.
    FPlatform->FileAnswers.push_back(FWork->File("viewed.bmp"));
    Trigger(form, "DisplayImageMenuItem");
    QVERIFY(!form.FEncoder);
    QVERIFY(ViewShows(form, TGrayImage(FWork->File("viewed.bmp"))));
  }

  void MenusHoldEveryItemAndSeparator() {
    TMainForm& form = NewForm();
    QStringList titles;
    QList<QMenu*> menus;
    for (QAction* a : form.menuBar()->actions()) {
      titles << a->text();
      menus << a->menu();
    }
    QCOMPARE(titles, QStringList({"System", "Segment", "Encode", "Match", "View", "Help"}));
    QCOMPARE(MenuItems(menus[0]), QStringList({"Display image", "-", "Set Scale", "Set Coordinate",
                                               "Set Working Directory", "-", "Exit"}));
    QCOMPARE(MenuItems(menus[1]),
             QStringList({"New Segment", "-", "Multi-Area Segment", "Simple Segment", "-",
                          "Re-Load Image", "-", "Filter", "-", "Save Result"}));
    QCOMPARE(MenuItems(menus[2]), QStringList({"New Encode", "-", "Do Encoding", "-",
                                               "Show Position", "-", "Save Result"}));
    QCOMPARE(MenuItems(menus[3]), QStringList({"Do Matching", "-", "Save Result"}));
    QCOMPARE(MenuItems(menus[4]),
             QStringList({"Segment Parameter", "Encode Parameter", "-", "Delay"}));
    QCOMPARE(MenuItems(menus[5]), QStringList({"About"}));
    QCOMPARE(Action(form, "SetCoordinateMenuItem")->statusTip(),
             QString(" Modify the default size of the coordinate system used by encodement"));
  }

  void ToolBarsStandInOrderWithDrawnIconsAndSplitHints() {
    TMainForm& form = NewForm();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QStringList bars;
    QStringList buttons;
    for (QToolBar* bar : form.findChildren<QToolBar*>()) {
      bars << bar->objectName();
      for (QAction* a : bar->actions()) {
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(a));
        QVERIFY(button != nullptr);
        buttons << button->objectName();
        // Every button shows a drawn icon: a missing SVG engine would leave it blank.
        QImage icon = button->icon().pixmap(24).toImage();
        QVERIFY2(!icon.isNull(), qPrintable(button->objectName()));
        int opaque = 0;
        for (int y = 0; y < icon.height(); ++y)
          for (int x = 0; x < icon.width(); ++x) opaque += qAlpha(icon.pixel(x, y)) > 128;
        QVERIFY2(opaque > 40, qPrintable(button->objectName()));
      }
    }
    QCOMPARE(bars, QStringList({"SystemToolBar", "SegmentToolBar", "EncodeToolBar", "MatchToolBar",
                                "ApplicationToolBar"}));
    QCOMPARE(buttons,
             QStringList(
                 {"SetWorkingDirectoryToolButton", "SetCoordinateToolButton", "SetScaleToolButton",
                  "WhiteDotToolButton", "NewSegmentToolButton", "MultiAreaSegmentToolButton",
                  "SimpleSegmentToolButton", "SaveSegmentResultToolButton", "NewEncodeToolButton",
                  "DoEncodingToolButton", "ShowPositionToolButton", "SaveEncodeResultToolButton",
                  "DoMatchingToolButton", "SaveMatchResultToolButton", "RunStatusToolButton",
                  "AboutToolButton", "ExitToolButton"}));
    // The toolbars stand left to right in that order.
    int left = -1;
    for (const QString& name : bars) {
      auto* bar = form.findChild<QToolBar*>(name);
      QVERIFY(bar->isVisible());
      QVERIFY(bar->x() > left || bar->y() > 0);
      left = bar->x();
    }
    auto* coordinate = form.findChild<QToolButton*>("SetCoordinateToolButton");
    QCOMPARE(coordinate->toolTip(), QString("re-size coordinate "));
    QCOMPARE(coordinate->statusTip(),
             QString(" re-size the coordinate system, and make sure thiscoordinate can hold all "
                     "the grids"));
    auto* status = form.findChild<QToolButton*>("RunStatusToolButton");
    QCOMPARE(status->toolTip(), QString("Application Status"));
    QCOMPARE(form.findChild<QToolBar*>("MatchToolBar")->statusTip(),
             QString(" use this you can match two code file's data"));
  }

  void HintGoesToStatusBarWhileMouseIsOverButton() {
    TMainForm& form = NewForm();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* button = form.findChild<QToolButton*>("SetScaleToolButton");
    QTest::mouseMove(button);
    QTRY_COMPARE(form.statusBar()->currentMessage(), QString("set the x and y scale"));
  }

  void EncodeCommandsWithoutAJobDoNothing() {
    TMainForm& form = NewForm();
    for (const char* name :
         {"DoEncodingMenuItem", "ShowPositionMenuItem", "SaveEncodeResultMenuItem"})
      Trigger(form, name);
    QVERIFY(FPlatform->Errors.empty());
    QVERIFY(FPlatform->FileRequests.empty());
    QCOMPARE(FPlatform->Beeps, 0);
    QVERIFY(!form.Busy());
    QCOMPARE(form.FEncodeStage, 1);
    QVERIFY(!form.FPickEnabled);
  }
};

LATTICOR_APP_TEST_MAIN(TMainWindowTest)
#include "MainWindowTest.moc"
