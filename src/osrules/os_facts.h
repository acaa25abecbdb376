// What Windows reports about itself, as the identification of the running
// system (COSValidator, os_validator.h) asks for it. The frame reads these
// facts from the system through CWin32OSFacts (osrules/win32); tests hand
// them over as a fixed record (CFixedOSFacts).
#pragma once

#include <cstdint>

#include "util/text.h"

namespace tovu {

// Values of the facts used by the identification.
namespace osfacts {
constexpr uint32_t kPlatformWin32s = 0;
constexpr uint32_t kPlatformWindows = 1;  // Windows 95, 98, Me
constexpr uint32_t kPlatformNT = 2;

constexpr uint8_t kWorkstation = 1;       // VER_NT_WORKSTATION
constexpr uint8_t kDomainController = 2;  // VER_NT_DOMAIN_CONTROLLER
constexpr uint8_t kServer = 3;            // VER_NT_SERVER

constexpr uint16_t kSuiteEnterprise = 0x0002;
constexpr uint16_t kSuiteDatacenter = 0x0080;
constexpr uint16_t kSuitePersonal = 0x0200;
constexpr uint16_t kSuiteBlade = 0x0400;  // Web Edition
constexpr uint16_t kSuiteStorageServer = 0x2000;
constexpr uint16_t kSuiteComputeServer = 0x4000;
constexpr uint16_t kSuiteWHServer = 0x8000;  // Home Server

constexpr uint16_t kArchIntel = 0;   // PROCESSOR_ARCHITECTURE_INTEL (x86)
constexpr uint16_t kArchArm = 5;
constexpr uint16_t kArchIA64 = 6;    // Itanium
constexpr uint16_t kArchAmd64 = 9;   // x64
constexpr uint16_t kArchArm64 = 12;
constexpr uint16_t kArchUnknown = 0xFFFF;

constexpr int kSmServerR2 = 89;  // SM_SERVERR2
}  // namespace osfacts

// The fields of OSVERSIONINFOEXW.
struct OSVersionInfo {
  uint32_t majorVersion = 0;
  uint32_t minorVersion = 0;
  uint32_t buildNumber = 0;
  uint32_t platformId = 0;
  Text csdVersion;  // szCSDVersion, e.g. "Service Pack 3"; at most 127 characters
  uint16_t servicePackMajor = 0;
  uint16_t servicePackMinor = 0;
  uint16_t suiteMask = 0;
  uint8_t productType = 0;
};

// The questions the identification asks the system, one per platform call.
class IOSFacts {
 public:
  virtual ~IOSFacts() = default;
  // GetVersionExW with an OSVERSIONINFOEXW: false when the call fails.
  virtual bool QueryVersionEx(OSVersionInfo& out) = 0;
  // GetNativeSystemInfo, looked up in kernel32.dll at run time: false when
  // the system has no such function (`architecture` is then untouched).
  virtual bool QueryNativeSystemInfo(uint16_t& architecture) = 0;
  // GetSystemInfo: the processor architecture as this process sees it.
  virtual uint16_t QuerySystemInfo() = 0;
  // GetProductInfo, looked up in kernel32.dll at run time: false when the
  // system has no such function (`productType` is then untouched). When
  // the function exists its own result is not reported; on failure it
  // leaves 0 (PRODUCT_UNDEFINED) in `productType`.
  virtual bool QueryProductInfo(uint32_t major, uint32_t minor, uint32_t spMajor, uint32_t spMinor,
                              uint32_t& productType) = 0;
  // GetSystemMetrics.
  virtual int QuerySystemMetrics(int index) = 0;
};

// Everything a system answers to IOSFacts, as one record.
struct OSFacts {
  bool versionQuerySucceeds = true;  // GetVersionExW
  OSVersionInfo version;
  bool hasNativeSystemInfo = true;  // GetNativeSystemInfo present
  uint16_t nativeArchitecture = osfacts::kArchAmd64;
  uint16_t processArchitecture = osfacts::kArchAmd64;  // GetSystemInfo
  bool hasProductInfo = true;  // GetProductInfo present
  uint32_t productType = 0;    // its answer (for any version asked)
  int serverR2 = 0;            // GetSystemMetrics(SM_SERVERR2)
};

// Answers from a fixed record; counts the calls it was asked.
class CFixedOSFacts : public IOSFacts {
 public:
  explicit CFixedOSFacts(const OSFacts& facts) : facts_(facts) {}

  bool QueryVersionEx(OSVersionInfo& out) override;
  bool QueryNativeSystemInfo(uint16_t& architecture) override;
  uint16_t QuerySystemInfo() override;
  bool QueryProductInfo(uint32_t major, uint32_t minor, uint32_t spMajor, uint32_t spMinor,
                      uint32_t& productType) override;
  int QuerySystemMetrics(int index) override;

  OSFacts& Facts() { return facts_; }

  int productInfoCalls = 0;
  int systemInfoCalls = 0;
  int metricsCalls = 0;
  // The arguments of the last GetProductInfo call.
  uint32_t askedMajor = 0, askedMinor = 0, askedSpMajor = 0, askedSpMinor = 0;

 private:
  OSFacts facts_;
};

// Asks every question once (GetProductInfo with the reported version and
// 0, 0; GetSystemMetrics with SM_SERVERR2) and returns the answers as a
// record. The version fields are left as they are when GetVersionEx fails.
OSFacts ReadOSFacts(IOSFacts& source);

}  // namespace tovu
