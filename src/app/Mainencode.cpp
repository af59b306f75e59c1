// The Encode menu: open a segmented picture as an encoding job, give its dots grid indices in
// one of three origin stages, label them, and write the code file. The working directory
// follows the files chosen.

#include <future>

#include "app/Main.h"
#include "app/encode/Encodeparameter.h"
#include "app/platform/Busyfilter.h"
#include "app/platform/Platform.h"
#include "app/segment/Segmentparameter.h"
#include "app/view/Paintbox.h"
#include "base/Cancel.h"
#include "base/Convert.h"
#include "base/Error.h"
#include "base/Path.h"
#include "encode/Codefile.h"
#include "encode/Encode.h"
#include "encode/Encodedefaults.h"
#include "encode/Encoderun.h"
#include "encode/Leastareacheck.h"
#include "register/Registerrun.h"
#include "segment/Segment.h"

namespace {

// Where the encoding table ends: the fixed message of a grid index beyond it, then how to make
// the table larger.
bool OutOfTable(const std::string& message) {
  return message.ends_with("not in the range");
}

}  // namespace

std::unique_ptr<TEncode> TMainForm::NewEncodeJob() {
  auto job = std::make_unique<TEncode>(FWorkflow.FEncodeImageName, FWorkflow.FWhiteDots, true,
                                       FWorkflow.MaxNx, FWorkflow.MaxNy);
  // The job's own pause until a run sets the Delay menu's: 50 ms through the platform, so the
  // tests record it.
  job->SetDelay(50);
  job->SetPause([this](int32_t ms) { FPlatform.Sleep(ms); });
  return job;
}

TEncodeRunHooks TMainForm::EncodeHooks() {
  TEncodeRunHooks hooks;
  hooks.Canvas = &ViewSurface();
  hooks.Delay = FWorkflow.FDelayEncoding ? 50 : 0;
  // The pause is long enough to look at the event loop after every one.
  hooks.Pause = [this](int32_t ms) {
    FPlatform.Sleep(ms);
    FBusyFilter->PollNow();
  };
  hooks.Cancelled = [this] { return CancelRequested(); };
  hooks.OriginFound = [this](int32_t origin) {
    FWorkflow.FOriginDot = origin;
    FWorkflow.FEncodeStage = 1;
  };
  return hooks;
}

void TMainForm::ShowEncodeParameterForm() {
  FEncodeParameterForm->show();
  FEncodeParameterForm->raise();
}

void TMainForm::NewEncodeMenuItemClick() {
  // The segmented picture saved last is offered while it is in the working directory.
  const std::string offered = ExtractFileName(FLastSegmentSave);
  auto chosen = FPlatform.OpenFile(
      "select the segmented result image file", 1, FWorkflow.FWorkDir,
      FileExists(FWorkflow.FWorkDir + offered) && !offered.empty() ? offered : "");
  if (!chosen) return;
  NewEncode(*chosen);
}

void TMainForm::NewEncode(const std::string& path) {
  FWorkflow.FEncodeImageName = FollowChoice(path);
  ReleaseJobs(true, true, true);
  try {
    FWorkflow.FEncoder = NewEncodeJob();
  } catch (...) {
    PaintBoxPaint();  // the released pictures must not stay on the view
    throw;
  }
  FitImageView(FWorkflow.FEncoder->Image().Width(), FWorkflow.FEncoder->Image().Height());
  FEncodeParameterForm->SetOriginMethod(2);
  ShowEncodeParameterForm();
  FSegmentParameterForm->hide();
  // A fresh picture starts at the automatic stage: a stage left over from the last job would
  // look for an origin among dots this job does not have yet.
  FWorkflow.FEncodeStage = 1;
  RememberRecent("encode", FWorkflow.FEncodeImageName);
  Report("Next: Do Encoding (F5).");
}

void TMainForm::DoEncodingMenuItemClick() {
  DoEncodingFrom(FWorkflow.FEncodeStage);
}

void TMainForm::DoEncodingFrom(int32_t stage) {
  if (!FWorkflow.FEncoder) return;
  // What a cancelled run puts back: the window's encoding fields, the jobs it would release and
  // what the view showed. The job itself is put back by the core in stages 0 and -1; stage 1
  // builds a new one and keeps the former until the run has ended.
  const int32_t formerStage = FWorkflow.FEncodeStage;
  const int32_t formerOrigin = FWorkflow.FOriginDot;
  const std::array<int32_t, 4> formerPicks = FWorkflow.FNeighbourDots;
  const bool formerPick = FWorkflow.FPickEnabled;
  const TViewSurface::TSnapshot formerView = ViewSurface().Snapshot();
  std::unique_ptr<TEncode> formerEncoder;
  std::unique_ptr<TSegment> formerSegmenter;
  std::unique_ptr<TGrayImage> formerDisplay;
  FWorkflow.FEncodeStage = stage;
  FRecoveryReport.clear();
  const std::string how =
      FWorkflow.FEncodeStage == 1 ? "" : "Encoded with the " + FWorkflow.EncodeStageText() + ": ";
  if (!how.empty()) Report("Do Encoding: " + FWorkflow.EncodeStageText() + " ...");
  try {
    LongCommand([&] {
      formerSegmenter = std::move(FWorkflow.FSegmenter);
      formerDisplay = std::move(FWorkflow.FDisplayImage);
      FWorkflow.FPickEnabled = true;
      if (FWorkflow.FEncodeStage == 1) {
        FindOriginAutomatically(formerEncoder);
      } else {
        // Dots extracted with another least area than the field's are extracted afresh.
        ExtractAgainIfChanged(formerEncoder);
        if (FWorkflow.FEncodeStage == 0)
          FindOriginByPitch();
        else
          TakePickedOrigin();
      }
    });
  } catch (const TCancelled&) {
    if (formerEncoder) FWorkflow.FEncoder = std::move(formerEncoder);
    FWorkflow.FSegmenter = std::move(formerSegmenter);
    FWorkflow.FDisplayImage = std::move(formerDisplay);
    FWorkflow.FEncodeStage = formerStage;
    FWorkflow.FOriginDot = formerOrigin;
    FWorkflow.FNeighbourDots = formerPicks;
    FWorkflow.FPickEnabled = formerPick;
    if (formerView.Picture.Width() != ViewSurface().Width() ||
        formerView.Picture.Height() != ViewSurface().Height())
      FitImageView(formerView.Picture.Width(), formerView.Picture.Height());
    ViewSurface().Restore(formerView);
    PaintBox()->update();
    throw;
  } catch (const TError& e) {
    if (!FWorkflow.FEncoder || !OutOfTable(e.Message())) throw;
    // A table large enough on Yes; else the fixed message as it is shown, then what to do.
    if (OfferLargerTable(e.Message(), stage)) return;
    throw TError(DisplayText(e.Message()) +
                 Format("\nThe grid reaches beyond the coordinate table of max Nx %d and max Ny "
                        "%d: make it larger with Set Coordinate (System menu), then Do Encoding "
                        "again.",
                        FWorkflow.FEncoder->Coordinate().MaxNx(),
                        FWorkflow.FEncoder->Coordinate().MaxNy()));
  }
  Report(how + FWorkflow.EncodeSummary() + FRunReport + FRecoveryReport);
}

void TMainForm::FindOriginAutomatically(std::unique_ptr<TEncode>& former) {
  FWorkflow.FOriginDot = -1;
  FWorkflow.FNeighbourDots = {-1, -1, -1, -1};
  FRunReport.clear();
  if (FWorkflow.FEncodeImageName.empty()) return;
  TEncodeRunOptions options;
  options.Method = FEncodeParameterForm->OriginMethod();
  options.Lattice = FEncodeParameterForm->LatticeDots();
  // The reference is read before the job is rebuilt: a file that cannot be read leaves the job
  // as it was. The unsegmented picture is read on a thread of its own while the job reads its
  // segmented one.
  TRegisterReference reference;
  TRegisterOptions registration;
  const bool referenced = TakeReference(reference, registration);
  std::future<std::unique_ptr<TGrayImage>> reading;
  if (FEncodeParameterForm->RefinedCentroids()) {
    options.Refined = true;
    const std::string path = RefinePictureName();
    reading = std::async(std::launch::async, [path] { return std::make_unique<TGrayImage>(path); });
  }
  // Always a fresh job from the file, with the settings in force now.
  former = std::move(FWorkflow.FEncoder);
  try {
    FWorkflow.FEncoder = NewEncodeJob();
  } catch (...) {
    PaintBoxPaint();
    throw;
  }
  FWorkflow.FEncoder->SetDelay(FWorkflow.FDelayEncoding ? 50 : 0);
  // The file may have changed since New Encode.
  if (FWorkflow.FEncoder->Image().Width() != ViewSurface().Width() ||
      FWorkflow.FEncoder->Image().Height() != ViewSurface().Height())
    FitImageView(FWorkflow.FEncoder->Image().Width(), FWorkflow.FEncoder->Image().Height());
  std::unique_ptr<TGrayImage> picture;
  if (reading.valid()) {
    picture = reading.get();
    CheckRefinePicture(*picture);
    options.RefinePicture = picture.get();
    FRunReport += " Refined centroids on " + ExtractFileName(picture->FileName()) + ".";
  }
  TEncodeRunHooks hooks = EncodeHooks();
  hooks.AskLeastArea = [this] { return LeastAreaForRun(); };
  hooks.OriginFailed = [this] {
    FWorkflow.FEncodeStage = 0;
    ShowEncodeParameterForm();
  };
  if (FExtractOnly) {
    ExtractDots(*FWorkflow.FEncoder, options, hooks);
    return;
  }
  if (!referenced) {
    RunEncoding(*FWorkflow.FEncoder, options, hooks);
  } else {
    const TReferenceRun run =
        EncodeFromReference(*FWorkflow.FEncoder, options, hooks, reference, registration);
    FRunReport = " Indices from the reference " +
                 ExtractFileName(FEncodeParameterForm->ReferenceFile()) + ", " + run.Report.Text() +
                 "." + FRunReport;
  }
  if (FWorkflow.FEncoder->Sorting().Ran)
    FRunReport += " Lattice rules: " + SortingText(FWorkflow.FEncoder->Sorting()) + ".";
}

bool TMainForm::TakeReference(TRegisterReference& reference, TRegisterOptions& registration) {
  const std::string path = FEncodeParameterForm->ReferenceFile();
  if (path.empty()) return false;
  if (!FileExists(path))
    throw TError("The reference code file " + path +
                 " is not there any more: choose it again under Reference and Centroids, or "
                 "clear it");
  // Empty shift fields: the motion is found from the pictures.
  if (const auto shift = FEncodeParameterForm->Shift()) {
    registration.Prior = TPriorKind::Override;
    registration.ShiftX = (*shift)[0], registration.ShiftY = (*shift)[1];
  }
  registration.ShiftInput = "in Shift dx and dy under Reference and Centroids (Encode Parameter)";
  registration.SizeTable = false;  // the window's table, as Set Coordinate made it
  try {
    reference = ReferenceFromCodeFile(ReadCodeFile(path));
  } catch (const TError& e) {  // said of the reference, never taken for this job's table
    throw TError(e.Message() + "\n(in the reference code file " + path + ")");
  }
  return true;
}

std::string TMainForm::RefinePictureName() const {
  std::string path = FEncodeParameterForm->RefinePictureFile();
  if (path.empty()) path = FWorkflow.FSegmentImageName;
  if (path.empty())
    throw TError(
        "Refined centroids are measured on the unsegmented picture: choose it under "
        "Reference and Centroids (Encode Parameter)");
  if (!FileExists(path))
    throw TError("The unsegmented picture " + path +
                 " is not there any more: choose it again under Reference and Centroids");
  return path;
}

void TMainForm::CheckRefinePicture(const TGrayImage& picture) const {
  const TGrayImage& segmented = FWorkflow.FEncoder->Image();
  if (!FEncodeParameterForm->RefinePictureFile().empty()) return;  // the core says it
  if (picture.Width() == segmented.Width() && picture.Height() == segmented.Height()) return;
  throw TError(
      Format("The picture last segmented, %s, is %d x %d pixels and this segmented "
             "picture %d x %d: choose its unsegmented picture under Reference and "
             "Centroids (Encode Parameter)",
             FWorkflow.FSegmentImageName.c_str(), picture.Width(), picture.Height(),
             segmented.Width(), segmented.Height()));
}

int32_t TMainForm::LeastAreaForRun() {
  const int32_t given = FEncodeParameterForm->LeastArea();
  const int32_t effective = given < 0 ? 10 : given;
  // The job holds the prepared picture: how many of its dots the least area would keep.
  const TLeastAreaCheck check = CheckLeastArea(*FWorkflow.FEncoder, given);
  const int32_t robust = check.Robust;
  std::string question;
  if (check.Largest > 0 && check.Largest < effective)
    question = "Every dot of this picture is smaller than the least area " + IntToStr(effective) +
               " (the largest has " + IntToStr(check.Largest) +
               " pixels), so no dot would be left.";
  else if (check.RemovesTooMany() && robust < effective)
    question = Format(
        "The least area %d would remove %d of the %d blobs that look like dots (their median "
        "area is %d pixels): more than a quarter of them.",
        effective, check.Removed, check.DotLike, check.MedianArea);
  if (question.empty()) return given;
  if (!FPlatform.Ask(question + "\nUse the least area " + IntToStr(robust) +
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
    FWorkflow.FOriginDot = -1;
    FWorkflow.FEncodeStage = -1;
    ShowEncodeParameterForm();
  };
  ContinueEncoding(*FWorkflow.FEncoder, options, hooks);
}

void TMainForm::TakePickedOrigin() {
  // The field below is read first, as it always was: a bad Ny is the one reported.
  const int32_t ny = FEncodeParameterForm->OriginNy();
  const int32_t nx = FEncodeParameterForm->OriginNx();
  TEncodeRunOptions options;
  options.Origin = TOriginSource::Picked;
  options.PickedDot = FWorkflow.FOriginDot;
  options.PickedNeighbours = FWorkflow.FNeighbourDots;
  options.PickedGrid = {nx, ny};
  TEncodeRunHooks hooks = EncodeHooks();
  hooks.OriginFailed = [this] { FWorkflow.FOriginDot = -1; };
  ContinueEncoding(*FWorkflow.FEncoder, options, hooks);
}

void TMainForm::ShowPositionMenuItemClick() {
  if (!FWorkflow.FEncoder) return;
  FWorkflow.FEncoder->ShowPosition();
  PaintBox()->update();
}

void TMainForm::SaveEncodeResultMenuItemClick() {
  if (!FWorkflow.FEncoder) return;
  auto chosen = FPlatform.SaveFile("Save codes to", 2, FWorkflow.FWorkDir,
                                   ProposedSaveName(FWorkflow.FEncodeImageName, ".cod"), "cod");
  if (!chosen) return;
  FWorkflow.FCodeFileName = FollowChoice(*chosen);
  // The code file carries the scale factors in force when it is saved.
  if (!ConfirmCodesToSave()) return;
  FWorkflow.FEncoder->SetScale(FWorkflow.FScaleX, FWorkflow.FScaleY);
  FWorkflow.FEncoder->SaveCodes(FWorkflow.FCodeFileName);
  Report("Saved " + FWorkflow.FCodeFileName + "." + FWorkflow.CodeFileScaleNote());
}
