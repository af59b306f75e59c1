#pragma once

// Everything the window tests use: the widgets, the forms and the jobs behind them.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ScriptedPlatform.h"
#include "app/Main.h"
#include "app/encode/Encodeparameter.h"
#include "app/encode/Resetcoordinate.h"
#include "app/match/Computescale.h"
#include "app/match/Matchresult.h"
#include "app/segment/Filter.h"
#include "app/segment/Segmentparameter.h"
#include "app/segment/Simplesegmentparameter.h"
#include "app/view/Imageview.h"
#include "app/view/Zoomview.h"
#include "base/RgbSurface.h"
#include "encode/Encode.h"
#include "image/Grayimage.h"
#include "match/Match.h"
#include "segment/Segment.h"
#include "support/TempDir.h"
#include "synth/Synth.h"

namespace AppTest {

// Settings of this test program.
void ClearSettings();
std::string SettingsValue(const char* key);  // "(none)" when not stored
void SetSetting(const char* key, const QVariant& value);

// A noisy synthetic grid picture with a brightness gradient, written as a bitmap.
void WriteGridPicture(const std::string& path, int32_t width, int32_t height, bool whiteDots = true,
                      double gradient = 60, uint32_t seed = 1);
// A segmented picture: discs of the given radius at the given centres, white on black.
void WriteDots(const std::string& path, int32_t width, int32_t height,
               const std::vector<QPointF>& centres, double radius);
// Centres of a rows x columns lattice with its first dot at (x0, y0).
std::vector<QPointF> Lattice(double x0, double y0, double pitchX, double pitchY, int columns,
                             int rows);

// The menu item or tool button action of that name; warns when missing.
QAction* Action(TMainForm& form, const char* name);
void Trigger(TMainForm& form, const char* name);
// True when the view shows exactly the picture's gray values.
bool ViewShows(TMainForm& form, const TGrayImage& image);
bool SameImages(const TGrayImage& a, const TGrayImage& b);
bool SameSurfaces(const TRgbSurface& a, const TRgbSurface& b);
// A mouse movement without buttons, delivered to the widget itself. (QTest's own moves the
// platform cursor, which the offscreen platform gives to whichever window it finds first.)
void MoveMouse(QWidget* widget, QPoint pos);

// The run the Do Encoding command makes in its automatic stage, on the core alone.
std::unique_ptr<TEncode> CoreRun(const std::string& path, bool whiteDots, int32_t leastArea,
                                 int32_t method, int32_t maxN = 50);
// Empty when both jobs hold the same dot records, else the first difference.
std::string DotDifference(const TEncode& a, const TEncode& b);
// The dot whose centre lies within a pixel of (x, y), or -1.
int32_t DotNear(const TEncode& job, double x, double y);

// Runs a Qt Test object with Qt's test-mode standard paths.
int RunTests(QObject& tests, int argc, char** argv);

}  // namespace AppTest

// The Qt Test base of the window tests: for every test function a fresh working directory
// (stored as "last", so the window starts in it), a scripted platform and a shown main window.
// Each test must end with no question asked that had no prepared answer and no answer left over.
class TFormTest : public QObject {
  Q_OBJECT
 public:
  std::unique_ptr<TTempDir> FWork;
  std::unique_ptr<TScriptedPlatform> FPlatform;
  std::unique_ptr<TMainForm> FForm;

  TMainForm& Form() { return *FForm; }
  // A new window reading the settings as they are now; not shown.
  TMainForm& NewForm();
  TSegmentParameterForm& Parameters();
  TEncodeParameterForm& EncodeParameters();
  std::string Work(const std::string& name) const { return FWork->Path() + "/" + name; }

  // The command of that action with its file dialog answered with a file of the working
  // directory, and the commands that take one.
  void WithFile(const char* action, const std::string& name) {
    FPlatform->FileAnswers.push_back(Work(name));
    AppTest::Trigger(Form(), action);
  }
  void NewSegment(const std::string& name) { WithFile("NewSegmentToolButtonAction", name); }
  void SaveResult(const std::string& name) { WithFile("SaveSegmentResultMenuItem", name); }
  void NewEncode(const std::string& name) { WithFile("NewEncodeToolButtonAction", name); }
  void SaveCodes(const std::string& name) { WithFile("SaveEncodeResultMenuItem", name); }
  void DoEncoding() { AppTest::Trigger(Form(), "DoEncodingMenuItem"); }
  // The scale dialog shown and applied with image and actual lengths for x and y.
  void ComputeScale(const char* imageX, const char* actualX, const char* imageY,
                    const char* actualY);
  // Mouse on the view: press, two movements and release; a click; a movement without button.
  void Drag(QPoint from, QPoint to);
  void Click(QPoint at);
  void Hover(QPoint at);
  // The pixel of the view at the centre of dot i of the encoding job (truncated).
  QPoint DotPoint(int32_t i);
  static void Press(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

 private slots:
  void init();
  void cleanup();
};

#define LATTICOR_APP_TEST_MAIN(TestClass)                                                          \
  int main(int argc, char** argv) {                                                                \
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")      \
                                                                    : qgetenv("QT_QPA_PLATFORM")); \
    TTempDir home; /* the user's own settings are never touched */                                 \
    qputenv("HOME", home.Path().c_str());                                                          \
    qputenv("XDG_CONFIG_HOME", (home.Path() + "/config").c_str());                                 \
    QApplication app(argc, argv);                                                                  \
    TestClass tests;                                                                               \
    return AppTest::RunTests(tests, argc, argv);                                                   \
  }
