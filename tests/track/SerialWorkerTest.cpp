#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "track/Serialworker.h"

TEST(SerialWorker, RunsTasksInTheOrderPostedAndStopsAtTheFirstFailure) {
  std::vector<int> done;
  {
    TSerialWorker worker(2);
    for (int i = 0; i < 50; ++i) worker.Post([&done, i] { done.push_back(i); });
    worker.Finish();
    ASSERT_EQ(done.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(done[static_cast<size_t>(i)], i);
  }
  done.clear();
  TSerialWorker worker(1);
  worker.Post([&done] { done.push_back(1); });
  worker.Post([] { throw std::runtime_error("disk full"); });
  for (int i = 0; i < 5; ++i) worker.Post([&done] { done.push_back(2); });
  EXPECT_THROW(worker.Finish(), std::runtime_error);
  EXPECT_TRUE(worker.Failed());
  EXPECT_EQ(done, std::vector<int>{1});
}
