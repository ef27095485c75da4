// The audio thread's command queue: commands queued from several threads run
// on the audio thread, each thread's in the order it queued them, one
// delivered while another runs (Qt delivers queued events inside
// QAudioSource's calls) waits for it instead of cutting in, and a wait for a
// command returns once it has run. Under
// ThreadSanitizer this also checks that what a command captured is handed to
// the audio thread, not shared with it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <thread>
#include <utility>
#include <vector>

#include "recording/waveinworker.h"

namespace scrivel {
namespace {

TEST(WaveInWorkerQueue, CommandsRunOnTheAudioThreadInQueueOrderWithoutCuttingIn) {
  std::atomic<bool> writeFlag{false};
  QThread audioThread;
  auto* worker = new CWaveInWorker(writeFlag);
  worker->moveToThread(&audioThread);
  QObject::connect(&audioThread, &QThread::finished, worker, &QObject::deleteLater);
  audioThread.start();

  // The audio thread's until the last command has run.
  std::vector<std::pair<int, int>> ran;  // (queuing thread, sequence)
  int elsewhere = 0;
  int depth = 0;
  int deepest = 0;
  auto command = [&](int queuer, int sequence) {
    return [&, queuer, sequence] {
      if (QThread::currentThread() != &audioThread) ++elsewhere;
      deepest = std::max(deepest, ++depth);
      // The events queued meanwhile are delivered in here.
      if (sequence % 10 == 0) QCoreApplication::sendPostedEvents();
      ran.emplace_back(queuer, sequence);
      --depth;
    };
  };
  constexpr int kPerThread = 200;
  std::thread other([&] {
    for (int i = 0; i < kPerThread; ++i) worker->Queue(command(1, i));
  });
  for (int i = 0; i < kPerThread; ++i) worker->Queue(command(0, i));
  other.join();
  // The commands' results are this thread's once the last one has run.
  bool lastRan = false;
  worker->QueueAndWait([&] { lastRan = true; });
  EXPECT_TRUE(lastRan);
  audioThread.quit();
  audioThread.wait();

  EXPECT_EQ(elsewhere, 0) << "commands ran outside the audio thread";
  EXPECT_EQ(deepest, 1) << "a command ran inside another";
  ASSERT_EQ(ran.size(), size_t{2 * kPerThread});
  for (const int queuer : {0, 1}) {
    std::vector<int> order;
    for (const auto& [who, sequence] : ran)
      if (who == queuer) order.push_back(sequence);
    ASSERT_EQ(order.size(), size_t{kPerThread}) << "thread " << queuer;
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << "thread " << queuer << "'s commands out of order";
  }
}

}  // namespace
}  // namespace scrivel
