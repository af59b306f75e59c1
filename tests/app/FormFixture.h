#pragma once

#include <QDir>
#include <memory>
#include <string>

#include "AppTest.h"
#include "image/Grayimage.h"

class TEncodeParameterForm;
class TSegmentParameterForm;
struct TSynthOptions;

// A main window in a fresh working directory (stored as "last", so the window starts in it),
// shown, with a scripted platform: the common ground of the Segment menu and image view tests.
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
  // A click (press and release of the left button) on the view, and a movement without button.
  void Click(QPoint at);
  void Hover(QPoint at);
  // The pixel of the view at the centre of dot i of the encoding job (truncated).
  QPoint DotPoint(int32_t i);
};

// A segmented grid picture as the segmentation writes it: full-contrast dots with anti-aliased
// edges on a background of exactly 0 (white dots) or 255 (black dots), no noise.
void WriteSegmentedGrid(const std::string& path, TSynthOptions options);

bool SameImages(const TGrayImage& a, const TGrayImage& b);
