#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

// Runs tasks on a thread of its own, one at a time in the order they were posted, so a caller
// can go on with its next piece of work while the last one is finished (written, fsynced).
// A task that raises ends the worker: the tasks after it are dropped and Finish raises the
// exception again.
class TSerialWorker {
 public:
  // At most capacity tasks wait; Post blocks beyond that, so memory held by tasks stays bounded.
  explicit TSerialWorker(size_t capacity);
  // Drops the tasks still waiting and ends the thread (after the task in hand).
  ~TSerialWorker();
  TSerialWorker(const TSerialWorker&) = delete;
  TSerialWorker& operator=(const TSerialWorker&) = delete;

  void Post(std::function<void()> task);
  // True once a task has raised: posting more is pointless.
  bool Failed();
  // Waits for every posted task; raises the exception of the task that failed, if any.
  void Finish();

 private:
  void Work();

  size_t FCapacity;
  std::deque<std::function<void()>> FTasks;
  bool FBusy = false;
  bool FQuit = false;
  std::exception_ptr FFailure;
  std::mutex FMutex;
  std::condition_variable FChanged;
  std::thread FThread;
};
