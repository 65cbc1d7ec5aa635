// The hand-over from workers to the user-interface thread, and the wait that
// keeps serving it: a stop must never deadlock with a worker's pending call.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ui_call.h"
#include "platform/worker_thread.h"

namespace filvex::win {
namespace {

TEST(UiCall, WorkerCallsRunOnUiThreadWhileItWaits) {
  ASSERT_TRUE(InitUiCalls());
  const DWORD ui = GetCurrentThreadId();
  std::vector<int> order;        // touched only on the UI thread
  std::vector<DWORD> ranOn;
  std::atomic<bool> stop{false};
  WorkerThread worker(
      [&] {
        for (int i = 0; i < 25; ++i) {
          RunOnUiThread([&, i] {
            order.push_back(i);
            ranOn.push_back(GetCurrentThreadId());
          });
        }
        // Like a scan that runs until it is told to stop.
        while (!stop.load()) Sleep(1);
        RunOnUiThread([&] { order.push_back(100); });
      },
      [&] {
        order.push_back(200);
        ranOn.push_back(GetCurrentThreadId());
      });
  ASSERT_TRUE(worker.Start());
  Sleep(20);
  stop.store(true);
  worker.Wait();  // must serve the calls above, or this never returns
  ASSERT_TRUE(worker.Finished());
  ASSERT_EQ(order.size(), 27u);
  for (int i = 0; i < 25; ++i) EXPECT_EQ(order[i], i);
  EXPECT_EQ(order[25], 100);
  EXPECT_EQ(order[26], 200);  // the end handler runs last, on the UI thread
  for (DWORD t : ranOn) EXPECT_EQ(t, ui);
}

TEST(UiCall, ExceptionsTravelBackAndEndHandlerStillRuns) {
  ASSERT_TRUE(InitUiCalls());
  bool caught = false;
  bool endRan = false;
  WorkerThread worker(
      [&] {
        try {
          RunOnUiThread([] { throw std::runtime_error("on the UI thread"); });
        } catch (const std::runtime_error&) {
          caught = true;
        }
        throw std::logic_error("body failed");
      },
      [&] { endRan = true; });
  ASSERT_TRUE(worker.Start());
  worker.Wait();
  EXPECT_TRUE(caught);
  EXPECT_TRUE(endRan);
  EXPECT_TRUE(worker.Error() != nullptr);
}

TEST(UiCall, OnTheUiThreadACallRunsAtOnce) {
  ASSERT_TRUE(InitUiCalls());
  EXPECT_TRUE(IsUiThread());
  int n = 0;
  RunOnUiThread([&] { ++n; });
  EXPECT_EQ(n, 1);
}

TEST(UiCall, WaitGivesUpAfterItsTimeout) {
  ASSERT_TRUE(InitUiCalls());
  std::atomic<bool> stop{false};
  WorkerThread worker([&] {
    while (!stop.load()) Sleep(1);
  }, nullptr);
  ASSERT_TRUE(worker.Start());
  EXPECT_FALSE(WaitServingUiCalls(worker.Handle(), 30));
  stop.store(true);
  EXPECT_TRUE(WaitServingUiCalls(worker.Handle(), INFINITE));
}

// A posted call runs from the message loop only: never inside the wait for
// its worker (where a message box would block the stop), and after the end
// handler; a call that throws is dropped without harm.
TEST(UiCall, PostedCallsRunFromTheMessageLoopAfterTheWorker) {
  ASSERT_TRUE(InitUiCalls());
  std::vector<std::string> order;  // touched only on the UI thread
  WorkerThread worker(
      [&] {
        EXPECT_TRUE(PostToUiThread([] { throw std::runtime_error("dropped"); }));
        EXPECT_TRUE(PostToUiThread([&] { order.push_back("posted"); }));
        RunOnUiThread([&] { order.push_back("sent"); });
      },
      [&] { order.push_back("end"); });
  ASSERT_TRUE(worker.Start());
  worker.Wait();
  EXPECT_EQ(order, (std::vector<std::string>{"sent", "end"}));
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  EXPECT_EQ(order, (std::vector<std::string>{"sent", "end", "posted"}));
}

}  // namespace
}  // namespace filvex::win
