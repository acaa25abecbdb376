// The facts of the running Windows system, read through the system's own
// calls: GetVersionExW with an OSVERSIONINFOEXW, GetNativeSystemInfo and
// GetProductInfo looked up in kernel32.dll at run time (so that systems
// without them are still answered), GetSystemInfo and GetSystemMetrics.
//
// GetVersionExW reports the true version from Windows 8.1 on only to an
// executable whose manifest declares that system as supported; the frame's
// manifest declares Vista, 7, 8, 8.1 and 10.
#pragma once

#include "osrules/os_facts.h"

namespace tovu {

class CWin32OSFacts : public IOSFacts {
 public:
  bool QueryVersionEx(OSVersionInfo& out) override;
  bool QueryNativeSystemInfo(uint16_t& architecture) override;
  uint16_t QuerySystemInfo() override;
  bool QueryProductInfo(uint32_t major, uint32_t minor, uint32_t spMajor, uint32_t spMinor,
                      uint32_t& productType) override;
  int QuerySystemMetrics(int index) override;
};

}  // namespace tovu
