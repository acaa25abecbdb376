#include "platform/platform.h"

namespace tovu {

namespace {
IPlatform* g_platform = nullptr;
}

uint32_t IPlatform::FileSize(const Text& path, uint64_t* size) {
  *size = 0;
  std::unique_ptr<IFileReader> f;
  if (uint32_t e = OpenRead(path, f)) return e;
  return f->Size(size);
}

IPlatform& Platform() { return *g_platform; }
void SetPlatform(IPlatform* platform) { g_platform = platform; }

}  // namespace tovu
