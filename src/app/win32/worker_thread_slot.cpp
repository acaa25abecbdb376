#include "app/win32/worker_thread_slot.h"

namespace tovu {

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
  thread_ = h;
  return S_OK;
}

bool CWorkerThreadSlot::Stop() {
  bool timedOut = false;
  if (HasThread()) {
    if (stopEvent_) ::SetEvent(stopEvent_);
    ::ResumeThread(thread_);
    timedOut = ::WaitForSingleObject(thread_, kStopWaitMs) == WAIT_TIMEOUT;
    ::CloseHandle(thread_);
    thread_ = INVALID_HANDLE_VALUE;
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
