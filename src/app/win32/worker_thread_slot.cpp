#include "app/win32/worker_thread_slot.h"

namespace tovu {

namespace {
// Open (signalled) while no worker is held; one for the process, since
// there is at most one worker.
HANDLE HoldGate() {
  static HANDLE gate = ::CreateEventW(nullptr, TRUE, TRUE, nullptr);
  return gate;
}
}  // namespace

void CWorkerThreadSlot::Hold() {
  if (HANDLE gate = HoldGate()) ::ResetEvent(gate);
}

void CWorkerThreadSlot::Release() {
  if (HANDLE gate = HoldGate()) ::SetEvent(gate);
}

void CWorkerThreadSlot::WaitWhileHeld() {
  if (HANDLE gate = HoldGate()) ::WaitForSingleObject(gate, INFINITE);
}

CWorkerThreadSlot::CWorkerThreadSlot() { stopEvent_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr); }

CWorkerThreadSlot::~CWorkerThreadSlot() {
  Stop();
  if (stopEvent_) ::CloseHandle(stopEvent_);
}

HRESULT CWorkerThreadSlot::Start(void* context, LPTHREAD_START_ROUTINE procedure) {
  context_ = context;
  if (stopEvent_) ::ResetEvent(stopEvent_);
  Stop();
  DWORD id = 0;
  HANDLE h = ::CreateThread(nullptr, 0, procedure, this, 0, &id);
  if (h == nullptr) return HRESULT_FROM_WIN32(::GetLastError());
  std::lock_guard<std::mutex> lock(mutex_);
  thread_ = h;
  return S_OK;
}

bool CWorkerThreadSlot::Stop() {
  // The handle is taken out first, so that a stop from the worker itself
  // and one from the window's thread never close it twice.
  HANDLE thread = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (HasThread()) {
      thread = thread_;
      thread_ = INVALID_HANDLE_VALUE;
    }
  }
  bool timedOut = false;
  if (thread != nullptr) {
    if (stopEvent_) ::SetEvent(stopEvent_);
    Release();
    ::ResumeThread(thread);
    // A worker that lets go of its own slot does not wait for itself.
    if (::GetThreadId(thread) != ::GetCurrentThreadId())
      timedOut = ::WaitForSingleObject(thread, kStopWaitMs) == WAIT_TIMEOUT;
    ::CloseHandle(thread);
  }
  if (stopEvent_) ::ResetEvent(stopEvent_);
  return timedOut;
}

DWORD CWorkerThreadSlot::Suspend() { return HasThread() ? ::SuspendThread(thread_) : static_cast<DWORD>(-1); }
DWORD CWorkerThreadSlot::Resume() { return HasThread() ? ::ResumeThread(thread_) : static_cast<DWORD>(-1); }

bool CWorkerThreadSlot::Reset() {
  context_ = nullptr;
  return Stop();
}

}  // namespace tovu
