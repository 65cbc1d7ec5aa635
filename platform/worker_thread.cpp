#include "platform/worker_thread.h"

#include <process.h>

#include <new>
#include <stdexcept>

#include "platform/ui_call.h"

namespace filvex::win {

ThreadSlot::~ThreadSlot() {
  if (!thread_) return;
  AcquireSRWLockExclusive(&lock_);
  quit_ = true;
  ReleaseSRWLockExclusive(&lock_);
  SetEvent(wake_.get());
  WaitServingUiCalls(thread_.get());
}

bool ThreadSlot::Post(std::function<void()> job) {
  if (!wake_) wake_.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  if (!wake_) return false;
  if (!thread_) {
    const uintptr_t h = _beginthreadex(nullptr, 0, &ThreadSlot::Entry, this, 0, nullptr);
    if (h == 0) return false;
    thread_.reset(reinterpret_cast<HANDLE>(h));
  }
  AcquireSRWLockExclusive(&lock_);
  jobs_.push_back(std::move(job));
  ReleaseSRWLockExclusive(&lock_);
  SetEvent(wake_.get());
  return true;
}

unsigned __stdcall ThreadSlot::Entry(void* self) {
  static_cast<ThreadSlot*>(self)->Loop();
  return 0;
}

void ThreadSlot::Loop() {
  for (;;) {
    WaitForSingleObject(wake_.get(), INFINITE);
    // Every queued job, then the quit request: a slot ends only after the
    // workers it was given.
    for (;;) {
      AcquireSRWLockExclusive(&lock_);
      if (jobs_.empty()) {
        const bool quit = quit_;
        ReleaseSRWLockExclusive(&lock_);
        if (quit) return;
        break;
      }
      std::function<void()> job = std::move(jobs_.front());
      jobs_.pop_front();
      ReleaseSRWLockExclusive(&lock_);
      job();
    }
  }
}

WorkerThread::WorkerThread(std::function<void()> body, std::function<void()> onEnd)
    : body_(std::move(body)), onEnd_(std::move(onEnd)) {}

WorkerThread::WorkerThread(std::function<void()> body, std::function<void()> onEnd,
                           ThreadSlot* slot)
    : body_(std::move(body)), onEnd_(std::move(onEnd)), slot_(slot) {}

WorkerThread::~WorkerThread() {
  Wait();
}

bool WorkerThread::Start() {
  if (Started()) return false;
  if (slot_) {
    // The end event is the last thing the job touches of this object: once
    // it is set, the owner may destroy the worker.
    done_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!done_) return false;
    const HANDLE done = done_.get();
    if (slot_->Post([this, done] {
          Run();
          SetEvent(done);
        })) {
      return true;
    }
    done_.reset();
    return false;
  }
  // _beginthreadex, not CreateThread, so the C runtime's per-thread state is
  // set up for the body.
  const uintptr_t h = _beginthreadex(nullptr, 0, &WorkerThread::Entry, this, 0, nullptr);
  thread_.reset(reinterpret_cast<HANDLE>(h));
  return h != 0;
}

void WorkerThread::Wait() {
  if (HANDLE ended = Handle()) WaitServingUiCalls(ended);
}

unsigned __stdcall WorkerThread::Entry(void* self) {
  static_cast<WorkerThread*>(self)->Run();
  return 0;
}

void WorkerThread::Run() {
  try {
    if (body_) body_();
  } catch (...) {
    error_ = std::current_exception();
  }
  if (onEnd_) {
    try {
      RunOnUiThread(onEnd_);
    } catch (...) {
      if (!error_) error_ = std::current_exception();
    }
  }
  finished_.store(true);
}

std::string FailureText(const std::exception_ptr& error) {
  try {
    if (error) std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    return "メモリが不足しています";
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
  }
  return "不明なエラー";
}

}  // namespace filvex::win
