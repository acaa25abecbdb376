#include "cabinet/win32/extract_package.h"

#include "app/win32/worker_thread_slot.h"
#include "cabinet/package_extraction.h"

namespace tovu {

namespace {
const CabinetServices* g_services = nullptr;
}

bool CWindowExtractionTarget::Exists() { return window_ != nullptr && ::IsWindow(window_) != FALSE; }
void CWindowExtractionTarget::PostProgress(uintptr_t wParam, intptr_t lParam) {
  CWorkerThreadSlot::WaitWhileHeld();
  ::PostMessageW(window_, WM_EXTRACT_PROGRESS, wParam, lParam);
}
void CWindowExtractionTarget::SendLog(const LogRelayRecord& record) {
  CWorkerThreadSlot::WaitWhileHeld();
  ::SendMessageW(window_, WM_EXTRACT_LOG, reinterpret_cast<WPARAM>(&record.level), 0);
}
void CWindowExtractionTarget::SendProgress(uintptr_t wParam, intptr_t lParam) {
  CWorkerThreadSlot::WaitWhileHeld();
  ::SendMessageW(window_, WM_EXTRACT_PROGRESS, wParam, lParam);
}
void CWindowExtractionTarget::AskOverwrite() {
  CWorkerThreadSlot::WaitWhileHeld();
  ::SendMessageW(window_, WM_ASK_OVERWRITE, 0, 0);
}
void CWindowExtractionTarget::PostDone() { ::PostMessageW(window_, WM_EXTRACT_DONE, 0, 0); }
void CWindowExtractionTarget::PostFailed() { ::PostMessageW(window_, WM_EXTRACT_FAILED, 0, 0); }

void SetExtractionServices(const CabinetServices* services) { g_services = services; }

DWORD WINAPI ExtractPackage(LPVOID argument) {
  auto* slot = static_cast<CWorkerThreadSlot*>(argument);
  if (slot == nullptr || g_services == nullptr) return 0;
  const CabinetServices services = *g_services;
  CWindowExtractionTarget window(static_cast<HWND>(slot->GetContext()));
  HANDLE stop = slot->GetStopEvent();
  PackageExtractionEnv env{services.platform, services.log, services.util, services.init, &window, {}, {}};
  env.stopSignalled = [stop] { return stop != nullptr && ::WaitForSingleObject(stop, 0) == WAIT_OBJECT_0; };
  env.makeDecompressor = [services](IExtractionWindow* target, int overwriteAll) -> std::unique_ptr<ICabDecompressor> {
    return std::make_unique<CCabDecompressor>(services, target, overwriteAll);
  };
  RunExtractPackage(env);
  return 0;
}

}  // namespace tovu
