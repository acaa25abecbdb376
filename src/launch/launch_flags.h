// The process-wide flags of setup launching, atomics shared by the launch
// thread and the user interface.
//
// g_bLaunchIdle: 0 while a setup is being started or waited for, 1
// otherwise; written by the launch, read by the installation page.
// g_bLaunchContinue: the launch's copy of the application's
// continue-launching flag; 1 lets the launch go on to the next setup. The
// application sets it through SetContinueLaunching (1 when the extraction
// page, the installation page or the silent dialog starts, 0 on a
// confirmed cancel); on Windows SetContinueLaunchingAll
// (launch/win32/launch_thread.h) also sets the extraction's copy,
// g_bContinueLaunching.
#pragma once

#include <atomic>

namespace tovu {

extern std::atomic<int> g_bLaunchIdle;     // 1 at program load
extern std::atomic<int> g_bLaunchContinue;  // 0 at program load

inline void SetContinueLaunching(int value) { g_bLaunchContinue = value; }
inline int GetContinueLaunching() { return g_bLaunchContinue; }

}  // namespace tovu
