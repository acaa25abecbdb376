// The extraction worker in the frame: the thread procedure ExtractPackage,
// started through the application's worker slot with the progress window
// as the slot's context, and the window a worker reports to by messages.
#pragma once

#include <windows.h>

#include "cabinet/cab_decompressor.h"
#include "cabinet/win32/cab_decompressor.h"

namespace tovu {

// A real window: log lines, per-file progress and the overwrite question
// are sent, the rest is posted.
class CWindowExtractionTarget : public IExtractionWindow {
 public:
  explicit CWindowExtractionTarget(HWND window) : window_(window) {}
  bool Exists() override;
  void PostProgress(uintptr_t wParam, intptr_t lParam) override;
  // wParam points to the record (its level field comes first), lParam 0.
  void SendLog(const LogRelayRecord& record) override;
  void SendProgress(uintptr_t wParam, intptr_t lParam) override;
  void AskOverwrite() override;
  void PostDone() override;
  void PostFailed() override;
  HWND GetWindow() const { return window_; }

 private:
  HWND window_;
};

// The process-wide objects the worker uses; the application sets them
// before it starts the worker.
void SetExtractionServices(const CabinetServices* services);

// The thread procedure; its argument is the CWorkerThreadSlot.
DWORD WINAPI ExtractPackage(LPVOID slot);

}  // namespace tovu
