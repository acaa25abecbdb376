// CWorkerThreadSlot: the application's holder of its one worker thread
// (the extraction worker or the setup-launching thread). The thread
// procedure receives the slot; it finds there the window it reports to
// (the context) and the stop event it watches.
#pragma once

#include <windows.h>

#include <mutex>

namespace tovu {

class CWorkerThreadSlot {
 public:
  // Creates the manual-reset stop event, unsignalled.
  CWorkerThreadSlot();
  // Stops a thread still held and closes the event.
  ~CWorkerThreadSlot();
  CWorkerThreadSlot(const CWorkerThreadSlot&) = delete;
  CWorkerThreadSlot& operator=(const CWorkerThreadSlot&) = delete;

  // Stores the context, resets the event, stops a running thread and
  // starts the procedure on a new thread with the slot as its argument:
  // 0, or the failed creation's Windows error as an HRESULT (0x8007xxxx).
  HRESULT Start(void* context, LPTHREAD_START_ROUTINE procedure);
  // With a thread held: signals the event, resumes the thread (it may be
  // suspended), waits for it at most 1000 ms, closes its handle and marks
  // the slot empty; then resets the event. True when the wait timed out.
  bool Stop();
  // Suspend or resume the held thread (the previous suspend count, or
  // (DWORD)-1 when there is none or the call fails).
  DWORD Suspend();
  DWORD Resume();
  // Context := none, then Stop.
  bool Reset();

  // Holds the worker at its next report to its window (a log line, a
  // progress step, the overwrite question) until Release or Stop. Unlike
  // Suspend it never stops the thread inside a system call or while it
  // holds a lock (the heap's, say) that the window's thread needs to put
  // up a question.
  void Hold();
  void Release();
  // Called by a worker before it reports: waits while the slot holds it.
  static void WaitWhileHeld();

  void* GetContext() const { return context_; }
  HANDLE GetThread() const { return thread_; }
  HANDLE GetStopEvent() const { return stopEvent_; }
  bool HasThread() const { return thread_ != nullptr && thread_ != INVALID_HANDLE_VALUE; }

  static constexpr DWORD kStopWaitMs = 1000;

 private:
  void* context_ = nullptr;
  HANDLE thread_ = nullptr;  // none, or INVALID_HANDLE_VALUE (-1) after a stop
  HANDLE stopEvent_ = nullptr;
  std::mutex mutex_;
};

}  // namespace tovu
