#pragma once

#include <QAbstractButton>
#include <QDir>
#include <QPointF>
#include <memory>
#include <string>
#include <vector>

#include "AppTest.h"
#include "base/RgbSurface.h"
#include "encode/Encode.h"
#include "image/Grayimage.h"

class TEncodeParameterForm;
class TSegmentParameterForm;
struct TSynthOptions;

// A main window in a fresh working directory (stored as "last", so the window starts in it),
// shown, with a scripted platform: the common ground of the tests of the menus and the view.
class TFormFixture {
 public:
  std::unique_ptr<TTempDir> FWork;
  std::unique_ptr<TScriptedPlatform> FPlatform;
  std::unique_ptr<TMainForm> FForm;

  // Fails the test (returns false) when the window cannot be shown.
  bool Start();
  // What the platform was asked without a prepared answer, and answers never used; "" if none.
  std::string Finish();

  TMainForm& Form() { return *FForm; }
  TSegmentParameterForm& Parameters();
  TEncodeParameterForm& EncodeParameters();
  std::string Work(const std::string& name) const { return FWork->Path() + "/" + name; }

  // New Segment on a picture of the working directory.
  void NewSegment(const std::string& name);
  void SaveResult(const std::string& name);
  // Press, two movements and release with the left button on the view.
  void Drag(QPoint from, QPoint to);

  // New Encode on a picture of the working directory, and the commands of the Encode menu.
  void NewEncode(const std::string& name);
  void DoEncoding() { AppTest::Trigger(Form(), "DoEncodingMenuItem"); }
  void SaveCodes(const std::string& name);
  // The scale dialog shown and applied with image and actual lengths for x and y.
  void ComputeScale(const char* imageX, const char* actualX, const char* imageY,
                    const char* actualY);
  // A click (press and release of the left button) on the view, and a movement without button.
  void Click(QPoint at);
  void Hover(QPoint at);
  // The pixel of the view at the centre of dot i of the encoding job (truncated).
  QPoint DotPoint(int32_t i);
  static void Press(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
};

// The Qt Test base of the window tests: a fresh fixture for every test function, which must end
// with no question asked that had no prepared answer and no answer left over.
class TFormTest : public QObject, public TFormFixture {
  Q_OBJECT
 private slots:
  void init() { QVERIFY(Start()); }
  void cleanup() {
    const std::string problems = Finish();
    QVERIFY2(problems.empty(), problems.c_str());
  }
};

bool SameImages(const TGrayImage& a, const TGrayImage& b);
bool SameSurfaces(const TRgbSurface& a, const TRgbSurface& b);

// A segmented grid picture as the segmentation writes it: full-contrast dots with anti-aliased
// edges on a background of exactly 0 (white dots) or 255 (black dots), no noise.
void WriteSegmentedGrid(const std::string& path, TSynthOptions options);
// A segmented picture with white discs of the given radius at the given centres on black.
void WriteDots(const std::string& path, int32_t width, int32_t height,
               const std::vector<QPointF>& centres, double radius);
// Centres of a rows x columns lattice with its first dot at (x0, y0).
std::vector<QPointF> Lattice(double x0, double y0, double pitchX, double pitchY, int columns,
                             int rows);

// The run the Do Encoding command makes in its automatic stage, on the core alone: no drawing.
std::unique_ptr<TEncode> CoreRun(const std::string& path, bool whiteDots, int32_t leastArea,
                                 int32_t method, int32_t maxN = 50);
// Empty when both jobs hold the same dot records, else the first difference.
std::string DotDifference(const TEncode& a, const TEncode& b);
// The dot whose centre lies within a pixel of (x, y), or -1.
int32_t DotNear(const TEncode& job, double x, double y);
