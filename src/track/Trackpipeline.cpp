#include "track/Trackpipeline.h"

#include <algorithm>
#include <exception>

#include "base/Error.h"

TTrackPipeline::TTrackPipeline(size_t count, const TTrackOptions& options, TProduce produce)
    : FProduce(std::move(produce)), FSlots(count) {
  const size_t jobs = static_cast<size_t>(std::max(options.Jobs, 1));
  // Pictures in flight hold their pixels; waiting ones only their dots.
  FAhead = 4 * jobs;
  for (size_t i = 0; i < jobs && i < count; ++i) FWorkers.emplace_back([this] { Work(); });
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
    TPictureDots dots;
    std::string error;
    try {
      dots = FProduce(i);
    } catch (const std::exception& e) {
      error = e.what();
      if (error.empty()) error = "the picture could not be read";
    }
    {
      std::lock_guard<std::mutex> lock(FMutex);
      FSlots[i].Dots = std::move(dots);
      FSlots[i].Error = std::move(error);
      FSlots[i].Ready = true;
    }
    FChanged.notify_all();
  }
}

bool TTrackPipeline::Take(size_t i, TPictureDots& dots, std::string& error) {
  std::unique_lock<std::mutex> lock(FMutex);
  FChanged.wait(lock, [this, i] { return FSlots[i].Ready; });
  dots = std::move(FSlots[i].Dots);
  error = std::move(FSlots[i].Error);
  FTaken = std::max(FTaken, i + 1);
  lock.unlock();
  FChanged.notify_all();
  return error.empty();
}
