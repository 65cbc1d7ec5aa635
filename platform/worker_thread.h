#pragma once
// A worker thread in the program's manner: a body that runs on a thread of its
// own, then an end handler that runs on the user-interface thread (through
// RunOnUiThread, so the worker waits for it), also when the body threw.

#include <windows.h>

#include <atomic>
#include <deque>
#include <exception>
#include <functional>
#include <string>

#include "platform/handles.h"

namespace filvex::win {

// One thread that runs the workers given to it one after another, so that a
// worker started at every keystroke does not pay for a new thread each time
// (about 3 ms under Wine, which tells every loaded library of each new
// thread). The thread is made at the first worker and ends with the slot;
// the slot must outlive the workers given to it.
class ThreadSlot {
 public:
  ThreadSlot() = default;
  ThreadSlot(const ThreadSlot&) = delete;
  ThreadSlot& operator=(const ThreadSlot&) = delete;
  // Waits for the workers in hand (serving their UI calls), then ends the
  // thread.
  ~ThreadSlot();
  // True once the slot's thread exists (for tests).
  bool HasThread() const { return thread_.get() != nullptr; }

 private:
  friend class WorkerThread;
  // Queues job for the slot's thread, making the thread first when there is
  // none; false when it could not be made.
  bool Post(std::function<void()> job);
  static unsigned __stdcall Entry(void* self);
  void Loop();

  SRWLOCK lock_ = SRWLOCK_INIT;  // guards jobs_ and quit_
  std::deque<std::function<void()>> jobs_;
  bool quit_ = false;
  UniqueHandle wake_;  // auto-reset: a job was queued, or quit_ was set
  UniqueHandle thread_;
};

// Owns one worker: Start runs it, Wait joins it while serving its UI calls,
// and destruction waits for a started worker first.
class WorkerThread {
 public:
  WorkerThread(std::function<void()> body, std::function<void()> onEnd);
  // The same worker, run on the thread of `slot` instead of a thread of its
  // own (nullptr: a thread of its own).
  WorkerThread(std::function<void()> body, std::function<void()> onEnd, ThreadSlot* slot);
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;
  ~WorkerThread();

  // Starts the thread (once); false when it could not be created.
  bool Start();
  // Waits until the thread has ended (its end handler included), serving its
  // synchronous calls meanwhile. Must run on the user-interface thread, and
  // never from inside this worker's own end handler (that would wait for
  // itself).
  void Wait();
  bool Started() const { return thread_.get() != nullptr || done_.get() != nullptr; }
  // True once the body and the end handler have returned.
  bool Finished() const { return finished_.load(); }
  // The exception that ended the body, if any.
  std::exception_ptr Error() const { return error_; }
  // Signalled once the worker has ended: its thread, or on a slot the
  // worker's own end event; nullptr before Start.
  HANDLE Handle() const { return thread_ ? thread_.get() : done_.get(); }

 private:
  static unsigned __stdcall Entry(void* self);
  void Run();

  std::function<void()> body_;
  std::function<void()> onEnd_;
  ThreadSlot* slot_ = nullptr;
  UniqueHandle thread_;  // a thread of its own
  UniqueHandle done_;    // on a slot: set when the end handler has returned
  std::exception_ptr error_;
  std::atomic<bool> finished_{false};
};

// What ended a worker, in the user's words: the exception's own text, or a
// Japanese one for running out of memory and for an unknown exception.
std::string FailureText(const std::exception_ptr& error);

}  // namespace filvex::win
