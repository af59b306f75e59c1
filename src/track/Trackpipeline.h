#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "track/Trackextract.h"
#include "track/Trackoptions.h"

// Extracts the pictures of a sequence on worker threads (reading, decoding, segmenting and
// measuring each), at most a few pictures ahead of the one the caller takes next, and hands them
// out in picture order. The extraction of a picture does not depend on any other, so the order
// the workers finish in changes nothing.
class TTrackPipeline {
 public:
  // produce(i) gives the dots of picture i (ExtractPicture, or a split run's dots file) or
  // raises TError; it runs on options.Jobs threads at once.
  using TProduce = std::function<TPictureDots(size_t i)>;
  TTrackPipeline(size_t count, const TTrackOptions& options, TProduce produce);
  ~TTrackPipeline();
  TTrackPipeline(const TTrackPipeline&) = delete;
  TTrackPipeline& operator=(const TTrackPipeline&) = delete;

  // Waits for picture i (taken in order 0, 1, ...); its dots, or false with error set to why the
  // extraction failed.
  bool Take(size_t i, TPictureDots& dots, std::string& error);

 private:
  struct TSlot {
    TPictureDots Dots;
    std::string Error;
    bool Ready = false;
  };
  void Work();

  TProduce FProduce;
  std::vector<TSlot> FSlots;
  size_t FNext = 0;   // next picture a worker starts
  size_t FTaken = 0;  // pictures handed out
  size_t FAhead = 1;  // pictures in flight or waiting at most
  bool FQuit = false;
  std::mutex FMutex;
  std::condition_variable FChanged;
  std::vector<std::thread> FWorkers;
};
