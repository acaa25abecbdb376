// The setup-launching thread the installation page starts through the
// application's worker-thread slot:
//
//   SetLaunchThreadContext(&setupLauncher, &log);        // once, at start
//   g_hLaunchReportWindow = pageWindow;                   // the page, before the start
//   app.GetWorkerSlot().Start(nullptr, LaunchSetupThread);
//
// The thread runs CSetupLauncher::HandleLaunchSetup without a sheet, then
// empties the slot (Reset: its own Stop waits out the 1000 ms for the
// thread's end and releases the handle) and posts WM_LAUNCH_FINISHED
// (wParam 0, lParam 0) to the launch report window.
#pragma once

#include <windows.h>

#include "launch/setup_launcher.h"
#include "log/log_file.h"

namespace tovu {

// The window the launch thread reports its end to (the installation page).
extern HWND g_hLaunchReportWindow;

// The launcher and the log the thread uses (they outlive every launch).
void SetLaunchThreadContext(CSetupLauncher* launcher, CLogFile* log);

// Thread procedure; the argument is the CWorkerThreadSlot. Returns 0.
DWORD WINAPI LaunchSetupThread(LPVOID slot);

// The application's continue-launching setter: the launch's copy
// (g_bLaunchContinue) and the extraction's (g_bContinueLaunching).
void SetContinueLaunchingAll(int value);

}  // namespace tovu
