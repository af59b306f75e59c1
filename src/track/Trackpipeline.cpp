#include "track/Trackpipeline.h"

#include <algorithm>
#include <exception>

#include "base/Error.h"
#include "encode/Encode.h"
#include "track/Trackextract.h"

TTrackPipeline::TTrackPipeline(const std::vector<std::string>& pictures,
                               const TTrackOptions& options)
    : FPictures(pictures), FOptions(options), FSlots(pictures.size()) {
  const size_t jobs = static_cast<size_t>(std::max(options.Jobs, 1));
  // Each waiting job holds its picture twice (and its blob labels): keep memory bounded.
  FAhead = 2 * jobs;
  for (size_t i = 0; i < jobs && i < pictures.size(); ++i)
    FWorkers.emplace_back([this] { Work(); });
}

TTrackPipeline::~TTrackPipeline() {
  {
    std::lock_guard<std::mutex> lock(FMutex);
    FQuit = true;
  }
  FChanged.notify_all();
  for (std::thread& worker : FWorkers) worker.join();
}

void TTrackPipeline::Work() {
  for (;;) {
    size_t i;
    {
      std::unique_lock<std::mutex> lock(FMutex);
      FChanged.wait(lock,
                    [this] { return FQuit || FNext >= FSlots.size() || FNext < FTaken + FAhead; });
      if (FQuit || FNext >= FSlots.size()) return;
      i = FNext++;
    }
    std::unique_ptr<TEncode> job;
    std::string error;
    try {
      job = ExtractPicture(FPictures[i], FOptions);
    } catch (const std::exception& e) {
      error = e.what();
      if (error.empty()) error = "the picture could not be read";
    }
    {
      std::lock_guard<std::mutex> lock(FMutex);
      FSlots[i].Job = std::move(job);
      FSlots[i].Error = std::move(error);
      FSlots[i].Ready = true;
    }
    FChanged.notify_all();
  }
}

std::unique_ptr<TEncode> TTrackPipeline::Take(size_t i, std::string& error) {
  std::unique_lock<std::mutex> lock(FMutex);
  FChanged.wait(lock, [this, i] { return FSlots[i].Ready; });
  std::unique_ptr<TEncode> job = std::move(FSlots[i].Job);
  error = std::move(FSlots[i].Error);
  FTaken = std::max(FTaken, i + 1);
  lock.unlock();
  FChanged.notify_all();
  return job;
}
