// The Segment menu: choose a picture, filter it, segment it with window thresholds or with one
// threshold picked on its histogram, and save the result. The working directory follows the
// files chosen.
#include <array>

#include "app/Main.h"
#include "app/encode/Encodeparameter.h"
#include "app/platform/Platform.h"
#include "app/segment/Filter.h"
#include "app/segment/Segmentparameter.h"
#include "app/segment/Simplesegmentparameter.h"
#include "app/view/Paintbox.h"
#include "base/Cancel.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/Path.h"
#include "segment/Dotpolarity.h"
#include "segment/Segment.h"

void TMainForm::NewSegmentMenuItemClick() {
  auto chosen = FPlatform.OpenFile("select image file to segment", 1, FWorkflow.FWorkDir, "");
  if (!chosen) return;
  NewSegment(*chosen);
}

void TMainForm::NewSegment(const std::string& path) {
  FWorkflow.FSegmentImageName = FollowChoice(path);
  if (!FileExists(FWorkflow.FSegmentImageName)) throw TError("file does not exist");
  FWorkflow.FEncodeStage = 1;
  FWorkflow.FPickEnabled = false;
  ReleaseJobs(true, true, true);
  try {
    FWorkflow.FSegmenter = std::make_unique<TSegment>(FWorkflow.FSegmentImageName, true);
  } catch (...) {
    PaintBoxPaint();  // the released pictures must not stay on the view
    throw;
  }
  const int32_t width = FWorkflow.FSegmenter->Image().Width();
  FSegmentParameterForm->SetImageSize(width, FWorkflow.FSegmenter->Image().Height());
  FitImageView(width, FWorkflow.FSegmenter->Image().Height());
  FSegmentParameterForm->show();
  FSegmentParameterForm->raise();
  FEncodeParameterForm->hide();
  RememberRecent("segment", FWorkflow.FSegmentImageName);
  Report("Picture " + IntToStr(width) + " x " + IntToStr(FWorkflow.FSegmenter->Image().Height()) +
         ". Next: Multi-Area Segment or Simple Segment.");
}

void TMainForm::MultiAreaSegmentMenuItemClick() {
  if (!FWorkflow.FSegmenter) {
    FPlatform.ShowNotice(" First, you must new a segment");
    return;
  }
  if (!ConfirmDotPolarity()) return;
  // A cancelled run leaves the job's picture and table as they were (the core puts them back);
  // the fields set here and the view are put back here.
  TSegment& job = *FWorkflow.FSegmenter;
  const bool formerPick = FWorkflow.FPickEnabled;
  const std::array<int32_t, 2> formerWindow{job.FWinSizeX, job.FWinSizeY};
  const int32_t formerAdjust = job.FAdjust;
  const bool formerWhite = job.FWhiteDots;
  job.FCancel = [this] { return CancelRequested(); };
  // However the run ends, the hook goes with it.
  struct TClearCancel {
    TSegment& Job;
    ~TClearCancel() { Job.FCancel = nullptr; }
  } clearCancel{job};
  try {
    LongCommand([&] {
      FWorkflow.FPickEnabled = false;
      // The windows are square: both sizes come from the one field.
      job.FWinSizeX = FSegmentParameterForm->WindowSize();
      job.FWinSizeY = job.FWinSizeX;
      job.FAdjust = FSegmentParameterForm->Adjust();
      job.FWhiteDots = FWorkflow.FWhiteDots;
      // The job paints every pixel on the view as it goes.
      job.MultiAreaSegment(true, &ViewSurface());
    });
  } catch (const TCancelled&) {
    FWorkflow.FPickEnabled = formerPick;
    job.FWinSizeX = formerWindow[0];
    job.FWinSizeY = formerWindow[1];
    job.FAdjust = formerAdjust;
    job.FWhiteDots = formerWhite;
    DrawSegmentImage();
    throw;
  }
  Report("Segmented. Next: erase specks in Segment Parameter if needed, then Save Result.");
}

void TMainForm::SimpleSegmentMenuItemClick() {
  if (!FWorkflow.FSegmenter) return;
  // Always from the picture on disk, which also undoes an earlier filter or segmentation.
  FWorkflow.FSegmenter->ReloadImage(FWorkflow.FSegmentImageName);
  FWorkflow.FSegmenter->FWhiteDots = FWorkflow.FWhiteDots;
  DrawSegmentImage();
  if (!ConfirmDotPolarity()) return;
  TSimpleSegmentParameterForm dialog(this);
  std::array<int32_t, 256> counts{};
  FWorkflow.FSegmenter->Image().Histogram(counts);
  dialog.SetHistogram(counts);
  if (!FPlatform.ExecDialog(dialog)) return;
  LongCommand([this, &dialog] {
    FWorkflow.FSegmenter->SimpleSegment(nullptr, dialog.Threshold());
    DrawSegmentImage();
  });
  Report("Segmented. Next: erase specks in Segment Parameter if needed, then Save Result.");
}

bool TMainForm::ConfirmDotPolarity() {
  const TDotPolarity seen = GuessDotPolarity(FWorkflow.FSegmenter->Image()).Polarity;
  if (seen == TDotPolarity::Unsure || (seen == TDotPolarity::White) == FWorkflow.FWhiteDots)
    return true;
  const std::string chosen = FWorkflow.FWhiteDots ? "white" : "black";
  const std::string other = FWorkflow.FWhiteDots ? "black" : "white";
  return FPlatform.Ask("The dots of this picture look " + other + ", but " + chosen +
                       " dots are chosen (White or Black grid button).\nSegmenting for " + chosen +
                       " dots keeps the background and erases the dots.\nSegment for " + chosen +
                       " dots anyway?");
}

void TMainForm::ReLoadImageMenuItemClick() {
  if (!FWorkflow.FSegmenter) return;
  FWorkflow.FSegmenter->ReloadImage(FWorkflow.FSegmentImageName);
  DrawSegmentImage();
}

void TMainForm::FilterMenuItemClick() {
  if (!FWorkflow.FSegmenter) return;
  TFilterForm dialog(this);
  if (!FPlatform.ExecDialog(dialog)) return;
  LongCommand([this, &dialog] {
    if (dialog.FilterType() == 0) {
      const int32_t p = dialog.WindowSize();
      FWorkflow.FSegmenter->Image().MedianFilter(p, p);
    }
    DrawSegmentImage();
  });
}

void TMainForm::SaveSegmentResultMenuItemClick() {
  if (!FWorkflow.FSegmenter) return;
  auto chosen =
      FPlatform.SaveFile("Save segment result to", 1, FWorkflow.FWorkDir,
                         ProposedSaveName(FWorkflow.FSegmentImageName, "-seg.bmp"), "bmp");
  if (!chosen) return;
  const std::string path = FollowChoice(*chosen);
  FWorkflow.FSegmenter->SaveResult(path);
  FLastSegmentSave = path;
  Report("Saved " + path + ". Next: New Encode on it.");
}
