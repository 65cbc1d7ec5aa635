#include "platform/ui_call.h"

#include <exception>
#include <memory>
#include <stdexcept>

#include "platform/handles.h"

namespace filvex::win {
namespace {

constexpr UINT kRunCallMessage = WM_APP + 0x3F0;
constexpr UINT kPostedCallMessage = WM_APP + 0x3F1;
constexpr char kTargetClass[] = "FilvexUiCallTarget";

struct PendingCall {
  const std::function<void()>* fn;
  std::exception_ptr error;
  bool ran = false;
};

LRESULT CALLBACK TargetProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kRunCallMessage) {
    auto* call = reinterpret_cast<PendingCall*>(lp);
    try {
      (*call->fn)();
    } catch (...) {
      call->error = std::current_exception();
    }
    call->ran = true;
    return 1;
  }
  if (msg == kPostedCallMessage) {
    // Owned from here; an exception is dropped with it, as nobody waits.
    std::unique_ptr<std::function<void()>> fn(reinterpret_cast<std::function<void()>*>(lp));
    try {
      (*fn)();
    } catch (...) {
    }
    return 0;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

// The target window lives as long as the process; it is destroyed by the
// static's destructor at exit (or with its thread, whichever comes first).
struct Target {
  HWND wnd = nullptr;
  DWORD threadId = 0;
  ~Target() {
    if (wnd && GetCurrentThreadId() == threadId) DestroyWindow(wnd);
  }
};

Target& TheTarget() {
  static Target target;
  return target;
}

}  // namespace

bool InitUiCalls() {
  Target& t = TheTarget();
  if (t.wnd) return t.threadId == GetCurrentThreadId();
  WNDCLASSA wc{};
  wc.lpfnWndProc = TargetProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kTargetClass;
  RegisterClassA(&wc);
  t.wnd = CreateWindowExA(0, kTargetClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                          wc.hInstance, nullptr);
  t.threadId = GetCurrentThreadId();
  return t.wnd != nullptr;
}

bool IsUiThread() {
  const Target& t = TheTarget();
  return t.wnd && t.threadId == GetCurrentThreadId();
}

void RunOnUiThread(const std::function<void()>& fn) {
  const Target& t = TheTarget();
  if (!t.wnd) throw std::logic_error("RunOnUiThread before InitUiCalls");
  if (t.threadId == GetCurrentThreadId()) {
    fn();
    return;
  }
  PendingCall call{&fn, nullptr};
  SendMessageA(t.wnd, kRunCallMessage, 0, reinterpret_cast<LPARAM>(&call));
  if (call.error) std::rethrow_exception(call.error);
}

bool PostToUiThread(std::function<void()> fn) {
  const Target& t = TheTarget();
  if (!t.wnd) return false;
  auto owned = std::make_unique<std::function<void()>>(std::move(fn));
  if (!PostMessageA(t.wnd, kPostedCallMessage, 0, reinterpret_cast<LPARAM>(owned.get()))) {
    return false;
  }
  owned.release();  // the target window's procedure frees it
  return true;
}

bool WaitServingUiCalls(HANDLE thread, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    // Serve what was sent before the wait started: a wait only wakes for
    // messages that arrive while it is waiting.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    DWORD left = INFINITE;
    if (timeoutMs != INFINITE) {
      const DWORD spent = GetTickCount() - start;
      if (spent >= timeoutMs) return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
      left = timeoutMs - spent;
    }
    const DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0) return true;
    if (r == WAIT_OBJECT_0 + 1) continue;
    if (r == WAIT_TIMEOUT) return false;
    return false;
  }
}

}  // namespace filvex::win
