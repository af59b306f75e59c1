// The Encode menu: open a segmented picture as an encoding job, give its dots grid indices in
// one of three origin stages, label them, and write the code file. The working directory
// follows the files chosen.

#include "app/Imageview.h"
#include "app/Main.h"
#include "app/Platform.h"
#include "app/encode/Encodeparameter.h"
#include "app/segment/Segmentparameter.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/Path.h"
#include "encode/Encode.h"
#include "encode/Encodedefaults.h"
#include "encode/Encoderun.h"

std::unique_ptr<TEncode> TMainForm::NewEncodeJob() {
  auto job = std::make_unique<TEncode>(FEncodeImageName, FWhiteDots, true, MaxNx, MaxNy);
  // The job's own pause until a run sets the Delay menu's: 50 ms through the platform, so the
  // tests record it.
  job->FDelay = 50;
  job->FPause = [this](int32_t ms) { FPlatform.Sleep(ms); };
  return job;
}

TEncodeRunHooks TMainForm::EncodeHooks() {
  TEncodeRunHooks hooks;
  hooks.Canvas = &ViewSurface();
  hooks.Delay = FDelayEncoding ? 50 : 0;
  hooks.Pause = [this](int32_t ms) { FPlatform.Sleep(ms); };
  hooks.OriginFound = [this](int32_t origin) {
    FOriginDot = origin;
    FEncodeStage = 1;
  };
  return hooks;
}

void TMainForm::ShowEncodeParameterForm() {
  FEncodeParameterForm->show();
  FEncodeParameterForm->raise();
}

void TMainForm::NewEncodeMenuItemClick() {
  auto chosen = FPlatform.OpenFile("select the segmented result image file", 1, FWorkDir, "");
  if (!chosen) return;
  FEncodeImageName = FollowChoice(*chosen);
  ReleaseJobs(true, true, true);
  try {
    FEncoder = NewEncodeJob();
  } catch (...) {
    PaintBoxPaint();  // the released pictures must not stay on the view
    throw;
  }
  FitImageView(FEncoder->FImage->Width(), FEncoder->FImage->Height());
  FEncodeParameterForm->SetOriginMethod(2);
  ShowEncodeParameterForm();
  FSegmentParameterForm->hide();
  // A fresh picture starts at the automatic stage: a stage left over from the last job would
  // look for an origin among dots this job does not have yet.
  FEncodeStage = 1;
  Report("Next: Do Encoding (F5).");
}

void TMainForm::DoEncodingMenuItemClick() {
  if (!FEncoder) return;
  const std::string how = FEncodeStage == 1 ? "" : "Encoded with the " + EncodeStageText() + ": ";
  if (!how.empty()) Report("Do Encoding: " + EncodeStageText() + " ...");
  LongCommand([this] {
    ReleaseJobs(true, false, true);
    FPickEnabled = true;
    if (FEncodeStage == 1)
      FindOriginAutomatically();
    else if (FEncodeStage == 0)
      FindOriginByPitch();
    else
      TakePickedOrigin();
  });
  Report(how + EncodeSummary());
}

void TMainForm::FindOriginAutomatically() {
  FOriginDot = -1;
  FNeighbourDots = {-1, -1, -1, -1};
  if (FEncodeImageName.empty()) return;
  // Always a fresh job from the file, with the settings in force now.
  FEncoder.reset();
  try {
    FEncoder = NewEncodeJob();
  } catch (...) {
    PaintBoxPaint();
    throw;
  }
  FEncoder->FDelay = FDelayEncoding ? 50 : 0;
  // The file may have changed since New Encode.
  if (FEncoder->FImage->Width() != ViewSurface().Width() ||
      FEncoder->FImage->Height() != ViewSurface().Height())
    FitImageView(FEncoder->FImage->Width(), FEncoder->FImage->Height());
  TEncodeRunOptions options;
  options.Method = FEncodeParameterForm->OriginMethod();
  TEncodeRunHooks hooks = EncodeHooks();
  hooks.AskLeastArea = [this] { return LeastAreaForRun(); };
  hooks.OriginFailed = [this] {
    FEncodeStage = 0;
    ShowEncodeParameterForm();
  };
  RunEncoding(*FEncoder, options, hooks);
}

int32_t TMainForm::LeastAreaForRun() {
  const int32_t given = FEncodeParameterForm->LeastArea();
  // The job holds the prepared picture and its mean blob area: a least area up to the mean
  // keeps at least the blobs of mean size.
  const int32_t effective = given < 0 ? 10 : given;
  if (effective <= FEncoder->FAreaThreshold) return given;
  const int32_t largest = LargestBlobArea(*FEncoder);
  if (largest == 0 || largest >= effective) return given;
  const int32_t robust = RobustLeastArea(*FEncoder);
  if (!FPlatform.Ask("Every dot of this picture is smaller than the least area " +
                     IntToStr(effective) + " (the largest has " + IntToStr(largest) +
                     " pixels), so no dot would be left.\nUse the least area " + IntToStr(robust) +
                     " estimated from the dots instead?"))
    return given;
  FEncodeParameterForm->SetLeastArea(robust);
  return robust;
}

void TMainForm::FindOriginByPitch() {
  TEncodeRunOptions options;
  options.Origin = TOriginSource::Pitch;
  options.Pitch = {FEncodeParameterForm->GridDx(), FEncodeParameterForm->GridDy()};
  options.Method = FEncodeParameterForm->OriginMethod();
  TEncodeRunHooks hooks = EncodeHooks();
  hooks.OriginFailed = [this] {
    FOriginDot = -1;
    FEncodeStage = -1;
    ShowEncodeParameterForm();
  };
  ContinueEncoding(*FEncoder, options, hooks);
}

void TMainForm::TakePickedOrigin() {
  // The field below is read first, as it always was: a bad Ny is the one reported.
  const int32_t ny = FEncodeParameterForm->OriginNy();
  const int32_t nx = FEncodeParameterForm->OriginNx();
  TEncodeRunOptions options;
  options.Origin = TOriginSource::Picked;
  options.PickedDot = FOriginDot;
  options.PickedNeighbours = FNeighbourDots;
  options.PickedGrid = {nx, ny};
  TEncodeRunHooks hooks = EncodeHooks();
  hooks.OriginFailed = [this] { FOriginDot = -1; };
  ContinueEncoding(*FEncoder, options, hooks);
}

void TMainForm::ShowPositionMenuItemClick() {
  if (!FEncoder) return;
  FEncoder->ShowPosition();
  PaintBox()->update();
}

void TMainForm::SaveEncodeResultMenuItemClick() {
  if (!FEncoder) return;
  auto chosen = FPlatform.SaveFile("Save codes to", 2, FWorkDir, "", "cod");
  if (!chosen) return;
  FCodeFileName = FollowChoice(*chosen);
  // The code file carries the scale factors in force when it is saved.
  if (!ConfirmCodesToSave()) return;
  FEncoder->FScaleX = FScaleX;
  FEncoder->FScaleY = FScaleY;
  FEncoder->SaveCodes(FCodeFileName);
  Report("Saved " + FCodeFileName + ".");
}
