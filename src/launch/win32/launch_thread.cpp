#include "launch/win32/launch_thread.h"

#include "app/win32/worker_thread_slot.h"
#include "cabinet/cab_decompressor.h"
#include "launch/launch_flags.h"

namespace tovu {

HWND g_hLaunchReportWindow = nullptr;

namespace {
CSetupLauncher* g_launcher = nullptr;
CLogFile* g_log = nullptr;
}  // namespace

void SetLaunchThreadContext(CSetupLauncher* launcher, CLogFile* log) {
  g_launcher = launcher;
  g_log = log;
}

DWORD WINAPI LaunchSetupThread(LPVOID slot) {
  try {
    if (g_log) g_log->WriteLog(LOG_INFO, u"LaunchSetupThread", u"Started the Launch process");
    if (g_launcher) g_launcher->HandleLaunchSetup();
  } catch (...) {
  }
  if (slot) static_cast<CWorkerThreadSlot*>(slot)->Reset();
  if (g_hLaunchReportWindow) ::PostMessageW(g_hLaunchReportWindow, WM_LAUNCH_FINISHED, 0, 0);
  return 0;
}

void SetContinueLaunchingAll(int value) {
  g_bLaunchContinue = value;
  g_bContinueLaunching = value;
}

}  // namespace tovu
