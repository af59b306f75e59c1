#include "app/sequence/Sequencerun.h"

#include <exception>

#include "base/Error.h"
#include "strain/Strainfield.h"
#include "track/Tracksequence.h"

TSequenceRun::TSequenceRun(std::vector<std::string> pictures, std::string outDir,
                           TTrackOptions options, QObject* parent)
    : QObject(parent),
      FPictures(std::move(pictures)),
      FOutDir(std::move(outDir)),
      FOptions(std::move(options)) {}

TSequenceRun::~TSequenceRun() {
  FStop = true;
  if (FThread.joinable()) FThread.join();
}

void TSequenceRun::Start() {
  FRunning = true;
  FThread = std::thread([this] {
    TTrackHooks hooks;
    hooks.Stop = &FStop;
    // The field goes along with its step, so the window need not compute it again. Both hooks
    // are called on one thread, the field just before its step.
    std::shared_ptr<const TStrainField> measured;
    hooks.StepMeasured = [&measured](const TTrackStep&, const TStrainField& field) {
      measured = std::make_shared<const TStrainField>(field);
    };
    // Queued to this object's thread; dropped when the run is gone by then.
    hooks.StepDone = [this, &measured](const TTrackStep& step, int32_t done, int32_t total) {
      QMetaObject::invokeMethod(
          this,
          [this, step, done, total, field = std::move(measured)] {
            if (OnStep) OnStep(step, done, total, field);
          },
          Qt::QueuedConnection);
      measured.reset();
    };
    std::string ending;
    try {
      const std::vector<TTrackStep> steps = TrackSequence(FPictures, FOutDir, FOptions, hooks);
      if (steps.size() < FPictures.size())
        ending = "Stopped after " + std::to_string(steps.size()) + " of " +
                 std::to_string(FPictures.size()) + " pictures: the steps written are complete";
    } catch (const TError& e) {
      ending = e.Message();
    } catch (const std::bad_alloc&) {
      ending = "Out of memory";
    } catch (const std::exception& e) {
      ending = e.what();
    }
    QMetaObject::invokeMethod(
        this,
        [this, ending] {
          FThread.join();
          FRunning = false;
          if (OnEnd) OnEnd(ending);
        },
        Qt::QueuedConnection);
  });
}
