// The Encode menu: open a segmented picture as an encoding job, give its dots grid indices in
// one of three origin stages, label them, and write the code file. The working directory
// follows the files chosen.

#include "app/Imageview.h"
#include "app/Main.h"
#include "app/Platform.h"
#include "app/encode/Encodeparameter.h"
#include "app/segment/Segmentparameter.h"
#include "base/Error.h"
#include "base/Path.h"
#include "encode/Encode.h"

std::unique_ptr<TEncode> TMainForm::NewEncodeJob() {
  auto job = std::make_unique<TEncode>(FEncodeImageName, FWhiteDots, true, MaxNx, MaxNy);
  // The pause between expanded dots waits through the platform, so the tests record it.
  job->FPause = [this](int32_t ms) { FPlatform.Sleep(ms); };
  return job;
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
}

void TMainForm::DoEncodingMenuItemClick() {
  if (!FEncoder) return;
  LongCommand([this] {
    ReleaseJobs(true, false, true);
    FPickEnabled = true;
    if (FEncodeStage == 1)
      FindOriginAutomatically();
    else if (FEncodeStage == 0)
      FindOriginByPitch();
    else
      TakePickedOrigin();
    if (FOriginDot >= 0 && FEncoder) {
      FEncoder->FCanvas = &ViewSurface();
      FEncoder->Encode(FOriginDot);
    }
  });
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
  TViewSurface* view = &ViewSurface();
  FEncoder->PrepareImage(view);
  FEncoder->FAreaThreshold = FEncodeParameterForm->LeastArea();
  FEncoder->RemoveNoise(view);
  FEncoder->BuildDotInfo(view);
  FOriginDot = FEncoder->FindOrigin(FEncodeParameterForm->OriginMethod());
  if (FOriginDot < 0) {
    FEncodeStage = 0;
    ShowEncodeParameterForm();
    throw TError(TEncode::AutoOriginFailedMessage);
  }
}

void TMainForm::FindOriginByPitch() {
  const float dx = FEncodeParameterForm->GridDx();
  const float dy = FEncodeParameterForm->GridDy();
  FOriginDot = FEncoder->FindOriginByRatio(FEncodeParameterForm->OriginMethod(), dy / dx);
  if (FOriginDot < 0) {
    FEncodeStage = -1;
    ShowEncodeParameterForm();
    throw TError(TEncode::RatioOriginFailedMessage);
  }
  FEncodeStage = 1;
}

void TMainForm::TakePickedOrigin() {
  // The field below is read first, as it always was: a bad Ny is the one reported.
  const int32_t ny = FEncodeParameterForm->OriginNy();
  const int32_t nx = FEncodeParameterForm->OriginNx();
  FOriginDot = FEncoder->SetOrigin(FOriginDot, FNeighbourDots.data(), nx, ny);
  if (FOriginDot < 0) throw TError(TEncode::WrongOriginMessage);
  FEncodeStage = 1;
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
  FEncoder->FScaleX = FScaleX;
  FEncoder->FScaleY = FScaleY;
  FEncoder->SaveCodes(FCodeFileName);
}
