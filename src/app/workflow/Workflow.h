#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "image/Grayimage.h"
#include "workflow/Edithistory.h"

class TEncode;
class TMatch;
class TSegment;

// The state of a measurement in the desktop application, apart from any window: the jobs, the
// picks of the origin and its neighbours, the scale factors, the working directory, the
// encoding stage and the history of the hand corrections. The main window holds one and the dialogs
// read and set its fields; the operations below are what follows from the fields alone, so a test
// drives them without a window.
class TWorkflow {
 public:
  TWorkflow();
  ~TWorkflow();  // releases the jobs in the order segmentation, encoding, matching, picture
  TWorkflow(const TWorkflow&) = delete;
  TWorkflow& operator=(const TWorkflow&) = delete;

  std::string FWorkDir;  // always ends in "/"
  std::string FSegmentImageName;
  std::string FEncodeImageName;
  std::string FCodeFileName;
  int32_t MaxNx = 50;
  int32_t MaxNy = 50;
  float FScaleX = 0;
  float FScaleY = 0;
  bool FScaleSetThisRun = false;             // Apply of the scale dialog in this run
  float FMatchScaleX = 1, FMatchScaleY = 1;  // in force when the matching job was made
  bool FWhiteDots = true;
  std::unique_ptr<TSegment> FSegmenter;
  std::unique_ptr<TEncode> FEncoder;
  std::unique_ptr<TMatch> FMatcher;
  std::unique_ptr<TGrayImage> FDisplayImage;
  int32_t FEncodeStage = 1;
  int32_t FOriginDot = 0;
  std::array<int32_t, 4> FNeighbourDots{0, 0, 0, 0};
  bool FPickEnabled = false;
  bool FDelayEncoding = false;
  // The hand corrections of the jobs above, undone and redone in order.
  TEditHistory FEditHistory;

  // Releases the jobs asked for, the encoding job before the segmentation job.
  void ReleaseJobs(bool segmenter, bool encoder, bool displayImage);
  // The picture the view is to show: the encoding job's, else the segmentation job's, else the
  // viewed picture; null without any.
  const TGrayImage* ShownImage() const;
  // The Delay menu's pause, for the encoding job now and the next ones.
  void SetDelay(bool delay);

  // The scale factors are an earlier run's until one is applied in this run; the matching
  // result is stale once they differ from those in force when it was made.
  bool ScaleFromEarlierRun() const;
  bool MatchStale() const;
  std::string ScaleStateText() const;
  // For the status bar after a code file is saved: the scale it carries, when not 1.
  std::string CodeFileScaleNote() const;

  // The state panel's text: working directory, picture, code file, dots, stage and scale.
  std::string StateText() const;
  std::string EncodeStageText() const;
  // What the encoding and matching jobs hold and what comes next, for the status bar.
  std::string EncodeSummary() const;
  std::string MatchSummary() const;
};
