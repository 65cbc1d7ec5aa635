#pragma once
// The one hand-over from worker threads to the user-interface thread.
//
// A worker never touches a window itself: it calls RunOnUiThread, which sends
// a private message to a message-only window of the user-interface thread and
// returns once the closure has run there. The user-interface thread, when it
// must wait for a worker (a stop), waits with WaitServingUiCalls, which keeps
// carrying out those sent calls, so the two threads never wait for each other.
// Each call costs one SendMessage (about 0.2 ms under Wine): batch progress.

#include <windows.h>

#include <functional>

namespace filvex::win {

// Makes the calling thread the user-interface thread of the process (creates
// the message-only target window once; later calls from the same thread do
// nothing). Returns false when called from another thread after the first.
bool InitUiCalls();

// True on the thread that called InitUiCalls.
bool IsUiThread();

// Runs fn on the user-interface thread and returns after it has run; an
// exception thrown by fn is rethrown here. Called on the user-interface
// thread itself, it just runs fn. Without InitUiCalls it throws.
void RunOnUiThread(const std::function<void()>& fn);

// Queues fn to run on the user-interface thread when its message loop (or a
// modal loop) next dispatches posted messages, and returns at once. A wait
// for a worker serves only sent calls, so fn never runs inside one: a worker
// uses this for what must follow its own end, such as a message box. False
// when it could not be queued (fn is then dropped).
bool PostToUiThread(std::function<void()> fn);

// Waits until `thread` has ended while serving sent messages (and thereby the
// RunOnUiThread calls of that worker). True when the thread ended; false on
// timeout or a wait error.
bool WaitServingUiCalls(HANDLE thread, DWORD timeoutMs = INFINITE);

}  // namespace filvex::win
