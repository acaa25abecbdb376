#include "platform/platform.h"

namespace tovu {

namespace {
IPlatform* g_platform = nullptr;
}

IPlatform& Platform() { return *g_platform; }
void SetPlatform(IPlatform* platform) { g_platform = platform; }

}  // namespace tovu
