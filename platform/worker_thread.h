#pragma once
// A worker thread in the program's manner: a body that runs on a thread of its
// own, then an end handler that runs on the user-interface thread (through
// RunOnUiThread, so the worker waits for it), also when the body threw.

#include <windows.h>

#include <atomic>
#include <exception>
#include <functional>
#include <string>

#include "platform/handles.h"

namespace filvex::win {

// Owns one worker: Start runs it, Wait joins it while serving its UI calls,
// and destruction waits for a started worker first.
class WorkerThread {
 public:
  WorkerThread(std::function<void()> body, std::function<void()> onEnd);
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
  bool Started() const { return thread_.get() != nullptr; }
  // True once the body and the end handler have returned.
  bool Finished() const { return finished_.load(); }
  // The exception that ended the body, if any.
  std::exception_ptr Error() const { return error_; }
  HANDLE Handle() const { return thread_.get(); }

 private:
  static unsigned __stdcall Entry(void* self);
  void Run();

  std::function<void()> body_;
  std::function<void()> onEnd_;
  UniqueHandle thread_;
  std::exception_ptr error_;
  std::atomic<bool> finished_{false};
};

// What ended a worker, in the user's words: the exception's own text, or a
// Japanese one for running out of memory and for an unknown exception.
std::string FailureText(const std::exception_ptr& error);

}  // namespace filvex::win
