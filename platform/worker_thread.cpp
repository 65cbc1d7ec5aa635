#include "platform/worker_thread.h"

#include <process.h>

#include <new>
#include <stdexcept>

#include "platform/ui_call.h"

namespace filvex::win {

WorkerThread::WorkerThread(std::function<void()> body, std::function<void()> onEnd)
    : body_(std::move(body)), onEnd_(std::move(onEnd)) {}

WorkerThread::~WorkerThread() { Wait(); }

bool WorkerThread::Start() {
  if (thread_) return false;
  // _beginthreadex, not CreateThread, so the C runtime's per-thread state is
  // set up for the body.
  const uintptr_t h = _beginthreadex(nullptr, 0, &WorkerThread::Entry, this, 0, nullptr);
  thread_.reset(reinterpret_cast<HANDLE>(h));
  return h != 0;
}

void WorkerThread::Wait() {
  if (thread_) WaitServingUiCalls(thread_.get());
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
