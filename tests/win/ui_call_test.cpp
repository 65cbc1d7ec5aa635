// The hand-over from workers to the user-interface thread, and the wait that
// keeps serving it: a stop must never deadlock with a worker's pending call.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
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
  std::vector<int> order;  // touched only on the UI thread
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
  WorkerThread worker(
      [&] {
        while (!stop.load()) Sleep(1);
      },
      nullptr);
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

// Workers on one thread slot: each runs on the slot's one thread, never on
// the UI thread, with its end handler on the UI thread; a failing body is
// still reported and does not take the slot's thread with it; workers
// started before the previous one ended run after it, in order; and the
// slot's thread ends with the slot.
TEST(UiCall, WorkersOnAThreadSlotShareOneThreadInTurn) {
  ASSERT_TRUE(InitUiCalls());
  const DWORD ui = GetCurrentThreadId();
  struct Case {
    int workers;     // started one after another
    bool together;   // all started before the first is waited for
    int throwingAt;  // index of a body that throws, -1 none
  };
  const Case cases[] = {
      {1, false, -1}, {4, false, -1}, {3, false, 1}, {3, true, -1}, {4, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.workers) + (c.together ? " together" : " in turn"));
    std::vector<DWORD> bodyThreads, endThreads;  // touched in turn, never at once
    std::vector<int> order;
    HANDLE slotThread = nullptr;
    {
      ThreadSlot slot;
      EXPECT_FALSE(slot.HasThread());  // made by the first worker only
      std::vector<std::unique_ptr<WorkerThread>> workers;
      for (int i = 0; i < c.workers; ++i) {
        workers.push_back(std::make_unique<WorkerThread>(
            [&, i] {
              bodyThreads.push_back(GetCurrentThreadId());
              order.push_back(i);
              if (i == c.throwingAt) throw std::runtime_error("scan failed");
            },
            [&] { endThreads.push_back(GetCurrentThreadId()); }, &slot));
        ASSERT_TRUE(workers.back()->Start());
        EXPECT_FALSE(workers.back()->Start());  // once
        if (!c.together) workers.back()->Wait();
      }
      for (auto& w : workers) {
        w->Wait();
        EXPECT_TRUE(w->Finished());
      }
      for (int i = 0; i < c.workers; ++i) {
        EXPECT_EQ(workers[static_cast<size_t>(i)]->Error() != nullptr, i == c.throwingAt) << i;
      }
      ASSERT_TRUE(slot.HasThread());
      slotThread = OpenThread(SYNCHRONIZE, FALSE, bodyThreads.front());
      ASSERT_NE(slotThread, nullptr);
      EXPECT_EQ(WaitForSingleObject(slotThread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    }
    // The slot is gone, and its thread with it.
    EXPECT_EQ(WaitForSingleObject(slotThread, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(slotThread);
    ASSERT_EQ(bodyThreads.size(), static_cast<size_t>(c.workers));
    for (DWORD t : bodyThreads) {
      EXPECT_EQ(t, bodyThreads.front());
      EXPECT_NE(t, ui);
    }
    for (int i = 0; i < c.workers; ++i) EXPECT_EQ(order[static_cast<size_t>(i)], i);
    EXPECT_EQ(endThreads, std::vector<DWORD>(static_cast<size_t>(c.workers), ui));
  }
}

// A slot destroyed while a worker given to it still runs waits for it, and
// serves its calls to the UI thread meanwhile (the owner may be the window
// that the worker's end handler needs).
TEST(UiCall, ThreadSlotEndsOnlyAfterItsWorker) {
  ASSERT_TRUE(InitUiCalls());
  std::atomic<bool> ended{false};
  bool endRan = false;
  auto slot = std::make_unique<ThreadSlot>();
  WorkerThread worker(
      [&] {
        Sleep(30);
        RunOnUiThread([&] { ended.store(true); });
      },
      [&] { endRan = true; }, slot.get());
  ASSERT_TRUE(worker.Start());
  slot.reset();  // must serve the worker's call, or this never returns
  EXPECT_TRUE(ended.load());
  EXPECT_TRUE(endRan);
  EXPECT_TRUE(worker.Finished());
}

}  // namespace
}  // namespace filvex::win
