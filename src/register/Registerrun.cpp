#include "register/Registerrun.h"

#include "base/Cancel.h"
#include "base/Surface.h"
#include "encode/Encode.h"
#include "image/Grayimage.h"

TReferenceRun EncodeFromReference(TEncode& job, const TEncodeRunOptions& run,
                                  const TEncodeRunHooks& hooks, const TRegisterReference& reference,
                                  const TRegisterOptions& options) {
  // The table is sized by the registration, for the indices it gives.
  TEncodeRunOptions extraction = run;
  extraction.Origin = TOriginSource::Automatic;
  extraction.AutoTable = false;
  const int32_t leastArea = ExtractDots(job, extraction, hooks);
  if (hooks.Cancelled && hooks.Cancelled()) throw TCancelled();
  TReferenceRun result;
  result.Report = RegisterPicture(job, reference, options);
  if (hooks.Canvas) {
    job.SetCanvas(hooks.Canvas);
    job.Image().Repaint(hooks.Canvas);
    job.ShowUnNeted(hooks.Canvas);
    hooks.Canvas->Flush();
  }
  result.Summary = SummarizeEncoding(job);
  result.Summary.LeastArea = leastArea;
  result.Summary.Origin = -1;
  return result;
}
