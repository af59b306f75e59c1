#pragma once

#include <QDir>
#include <memory>
#include <string>

#include "AppTest.h"
#include "image/Grayimage.h"

class TSegmentParameterForm;

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
  std::string Work(const std::string& name) const { return FWork->Path() + "/" + name; }

  // New Segment on a picture of the working directory.
  void NewSegment(const std::string& name);
  void SaveResult(const std::string& name);
  // Press, two movements and release with the left button on the view.
  void Drag(QPoint from, QPoint to);
};

bool SameImages(const TGrayImage& a, const TGrayImage& b);
