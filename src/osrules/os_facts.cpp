#include "osrules/os_facts.h"

namespace tovu {

bool CFixedOSFacts::QueryVersionEx(OSVersionInfo& out) {
  if (!facts_.versionQuerySucceeds) return false;
  out = facts_.version;
  return true;
}

bool CFixedOSFacts::QueryNativeSystemInfo(uint16_t& architecture) {
  if (!facts_.hasNativeSystemInfo) return false;
  architecture = facts_.nativeArchitecture;
  return true;
}

uint16_t CFixedOSFacts::QuerySystemInfo() {
  ++systemInfoCalls;
  return facts_.processArchitecture;
}

bool CFixedOSFacts::QueryProductInfo(uint32_t major, uint32_t minor, uint32_t spMajor, uint32_t spMinor,
                                   uint32_t& productType) {
  if (!facts_.hasProductInfo) return false;
  ++productInfoCalls;
  askedMajor = major;
  askedMinor = minor;
  askedSpMajor = spMajor;
  askedSpMinor = spMinor;
  productType = facts_.productType;
  return true;
}

int CFixedOSFacts::QuerySystemMetrics(int index) {
  ++metricsCalls;
  return index == osfacts::kSmServerR2 ? facts_.serverR2 : 0;
}

OSFacts ReadOSFacts(IOSFacts& source) {
  OSFacts facts;
  facts.versionQuerySucceeds = source.QueryVersionEx(facts.version);
  facts.processArchitecture = source.QuerySystemInfo();
  facts.nativeArchitecture = osfacts::kArchUnknown;
  facts.hasNativeSystemInfo = source.QueryNativeSystemInfo(facts.nativeArchitecture);
  facts.productType = 0;
  facts.hasProductInfo = source.QueryProductInfo(facts.version.majorVersion, facts.version.minorVersion, 0, 0,
                                               facts.productType);
  facts.serverR2 = source.QuerySystemMetrics(osfacts::kSmServerR2);
  return facts;
}

}  // namespace tovu
