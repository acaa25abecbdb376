// Run modes of the package executable, chosen on the command line.
#pragma once

namespace tovu {

constexpr int RUNMODE_GUI = 510;
constexpr int RUNMODE_UNATTENDED = 520;
constexpr int RUNMODE_SILENT = 530;

// 530 when the silent flag is 1, else 520 when the unattended flag is 1,
// else 510: silent wins over unattended.
constexpr int RunModeFromFlags(int silent, int unattended) {
  return silent == 1 ? RUNMODE_SILENT : unattended == 1 ? RUNMODE_UNATTENDED : RUNMODE_GUI;
}

}  // namespace tovu
