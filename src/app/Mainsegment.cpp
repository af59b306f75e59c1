// The Segment menu: choose a picture, filter it, segment it with window thresholds or with one
// threshold picked on its histogram, and save the result. The working directory follows the
// files chosen.
#include <array>

#include "app/Imageview.h"
#include "app/Main.h"
#include "app/Platform.h"
#include "app/encode/Encodeparameter.h"
#include "app/image/Filter.h"
#include "app/segment/Segmentparameter.h"
#include "app/segment/Simplesegmentparameter.h"
#include "base/Cancel.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/Path.h"
#include "segment/Dotpolarity.h"
#include "segment/Segment.h"

void TMainForm::NewSegmentMenuItemClick() {
  auto chosen = FPlatform.OpenFile("select image file to segment", 1, FWorkDir, "");
  if (!chosen) return;
  NewSegment(*chosen);
}

void TMainForm::NewSegment(const std::string& path) {
  FSegmentImageName = FollowChoice(path);
  if (!FileExists(FSegmentImageName)) throw TError("file does not exist");
  FEncodeStage = 1;
  FPickEnabled = false;
  ReleaseJobs(true, true, true);
  try {
    FSegmenter = std::make_unique<TSegment>(FSegmentImageName, true);
  } catch (...) {
    PaintBoxPaint();  // the released pictures must not stay on the view
    throw;
  }
  const int32_t width = FSegmenter->Image().Width();
  FSegmentParameterForm->SetImageSize(width, FSegmenter->Image().Height());
  FitImageView(width, FSegmenter->Image().Height());
  FSegmentParameterForm->show();
  FSegmentParameterForm->raise();
  FEncodeParameterForm->hide();
  RememberRecent("segment", FSegmentImageName);
  Report("Picture " + IntToStr(width) + " x " + IntToStr(FSegmenter->Image().Height()) +
         ". Next: Multi-Area Segment or Simple Segment.");
}

void TMainForm::MultiAreaSegmentMenuItemClick() {
  if (!FSegmenter) {
    FPlatform.ShowNotice(" First, you must new a segment");
    return;
  }
  if (!ConfirmDotPolarity()) return;
  // A cancelled run leaves the job's picture and table as they were (the core puts them back);
  // the fields set here and the view are put back here.
  TSegment& job = *FSegmenter;
  const bool formerPick = FPickEnabled;
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
      FPickEnabled = false;
      // The windows are square: both sizes come from the one field.
      job.FWinSizeX = FSegmentParameterForm->WindowSize();
      job.FWinSizeY = job.FWinSizeX;
      job.FAdjust = FSegmentParameterForm->Adjust();
      job.FWhiteDots = FWhiteDots;
      // The job paints every pixel on the view as it goes.
      job.MultiAreaSegment(true, &ViewSurface());
    });
  } catch (const TCancelled&) {
    FPickEnabled = formerPick;
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
  if (!FSegmenter) return;
  // Always from the picture on disk, which also undoes an earlier filter or segmentation.
  FSegmenter->ReloadImage(FSegmentImageName);
  FSegmenter->FWhiteDots = FWhiteDots;
  DrawSegmentImage();
  if (!ConfirmDotPolarity()) return;
  TSimpleSegmentParameterForm dialog(this);
  std::array<int32_t, 256> counts{};
  FSegmenter->Image().Histogram(counts);
  dialog.SetHistogram(counts);
  if (!FPlatform.ExecDialog(dialog)) return;
  LongCommand([this, &dialog] {
    FSegmenter->SimpleSegment(nullptr, dialog.Threshold());
    DrawSegmentImage();
  });
  Report("Segmented. Next: erase specks in Segment Parameter if needed, then Save Result.");
}

bool TMainForm::ConfirmDotPolarity() {
  const TDotPolarity seen = GuessDotPolarity(FSegmenter->Image()).Polarity;
  if (seen == TDotPolarity::Unsure || (seen == TDotPolarity::White) == FWhiteDots) return true;
  const std::string chosen = FWhiteDots ? "white" : "black";
  const std::string other = FWhiteDots ? "black" : "white";
  return FPlatform.Ask("The dots of this picture look " + other + ", but " + chosen +
                       " dots are chosen (White or Black grid button).\nSegmenting for " + chosen +
                       " dots keeps the background and erases the dots.\nSegment for " + chosen +
                       " dots anyway?");
}

void TMainForm::ReLoadImageMenuItemClick() {
  if (!FSegmenter) return;
  FSegmenter->ReloadImage(FSegmentImageName);
  DrawSegmentImage();
}

void TMainForm::FilterMenuItemClick() {
  if (!FSegmenter) return;
  TFilterForm dialog(this);
  if (!FPlatform.ExecDialog(dialog)) return;
  LongCommand([this, &dialog] {
    if (dialog.FilterType() == 0) {
      const int32_t p = dialog.WindowSize();
      FSegmenter->Image().MedianFilter(p, p);
    }
    DrawSegmentImage();
  });
}

void TMainForm::SaveSegmentResultMenuItemClick() {
  if (!FSegmenter) return;
  auto chosen = FPlatform.SaveFile("Save segment result to", 1, FWorkDir,
                                   ProposedSaveName(FSegmentImageName, "-seg.bmp"), "bmp");
  if (!chosen) return;
  const std::string path = FollowChoice(*chosen);
  FSegmenter->SaveResult(path);
  FLastSegmentSave = path;
  Report("Saved " + path + ". Next: New Encode on it.");
}
