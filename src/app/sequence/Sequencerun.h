#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "track/Trackoptions.h"

class TStrainField;

// One tracking run of the sequence window: the core's TrackSequence on a thread of its own, so
// that the window stays usable; what it reports comes back on the window's thread, through its
// event loop. Stop ends it after the step in hand, whose files are complete; destroying a run
// stops it and waits for its thread.
class TSequenceRun : public QObject {
  Q_OBJECT
 public:
  TSequenceRun(std::vector<std::string> pictures, std::string outDir, TTrackOptions options,
               QObject* parent = nullptr);
  ~TSequenceRun() override;
  TSequenceRun(const TSequenceRun&) = delete;
  TSequenceRun& operator=(const TSequenceRun&) = delete;

  // After every step written, with the steps done, the total and the step's strain field (null
  // for a step that failed).
  std::function<void(const TTrackStep& step, int32_t done, int32_t total,
                     std::shared_ptr<const TStrainField> field)>
      OnStep;
  // At the end: "" when every picture was tracked, else why not (stopped, or the error that
  // ended the run).
  std::function<void(const std::string& ending)> OnEnd;

  void Start();
  void Stop() { FStop = true; }
  bool Running() const { return FRunning; }
  bool Stopping() const { return FStop; }
  const std::vector<std::string>& Pictures() const { return FPictures; }

 private:
  std::vector<std::string> FPictures;
  std::string FOutDir;
  TTrackOptions FOptions;
  std::atomic<bool> FStop{false};
  bool FRunning = false;
  std::thread FThread;
};
