#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "track/Trackoptions.h"

class TEncode;

// Extracts the pictures of a sequence on worker threads, at most a few pictures ahead of the one
// the caller takes next, and hands them out in picture order. The extraction of a picture does
// not depend on any other, so the order the workers finish in changes nothing.
class TTrackPipeline {
 public:
  TTrackPipeline(const std::vector<std::string>& pictures, const TTrackOptions& options);
  ~TTrackPipeline();
  TTrackPipeline(const TTrackPipeline&) = delete;
  TTrackPipeline& operator=(const TTrackPipeline&) = delete;

  // Waits for picture i (taken in order 0, 1, ...); its job, or null with error set to why the
  // extraction failed.
  std::unique_ptr<TEncode> Take(size_t i, std::string& error);

 private:
  struct TSlot {
    std::unique_ptr<TEncode> Job;
    std::string Error;
    bool Ready = false;
  };
  void Work();

  const std::vector<std::string>& FPictures;
  const TTrackOptions& FOptions;
  std::vector<TSlot> FSlots;
  size_t FNext = 0;   // next picture a worker starts
  size_t FTaken = 0;  // pictures handed out
  size_t FAhead = 1;  // pictures in flight or waiting at most
  bool FQuit = false;
  std::mutex FMutex;
  std::condition_variable FChanged;
  std::vector<std::thread> FWorkers;
};
