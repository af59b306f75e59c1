#include "track/Serialworker.h"

TSerialWorker::TSerialWorker(size_t capacity)
    : FCapacity(capacity < 1 ? 1 : capacity), FThread([this] { Work(); }) {}

TSerialWorker::~TSerialWorker() {
  {
    std::lock_guard<std::mutex> lock(FMutex);
    FQuit = true;
    FTasks.clear();
  }
  FChanged.notify_all();
  FThread.join();
}

void TSerialWorker::Post(std::function<void()> task) {
  std::unique_lock<std::mutex> lock(FMutex);
  FChanged.wait(lock, [this] { return FFailure || FTasks.size() < FCapacity; });
  if (FFailure) return;
  FTasks.push_back(std::move(task));
  lock.unlock();
  FChanged.notify_all();
}

bool TSerialWorker::Failed() {
  std::lock_guard<std::mutex> lock(FMutex);
  return FFailure != nullptr;
}

void TSerialWorker::Finish() {
  std::unique_lock<std::mutex> lock(FMutex);
  FChanged.wait(lock, [this] { return FTasks.empty() && !FBusy; });
  if (FFailure) std::rethrow_exception(FFailure);
}

void TSerialWorker::Work() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock<std::mutex> lock(FMutex);
      FChanged.wait(lock, [this] { return FQuit || !FTasks.empty(); });
      if (FQuit) return;
      task = std::move(FTasks.front());
      FTasks.pop_front();
      FBusy = true;
    }
    std::exception_ptr failure;
    try {
      task();
    } catch (...) {
      failure = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> lock(FMutex);
      FBusy = false;
      if (failure) {
        FFailure = failure;
        FTasks.clear();
      }
    }
    FChanged.notify_all();
  }
}
