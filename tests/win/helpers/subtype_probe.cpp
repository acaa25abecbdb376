// Prints the dwFileSubtype of a file's version record as the system's
// version API reads it and as the portable resource reader reads it:
//   system=<n> file=<n>
#include <cstdio>

#include "container/pe_file.h"
#include "platform/win32/win32_platform.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: subtype_probe FILE\n");
    return 2;
  }
  tovu::Win32Platform platform;
  const tovu::Text path = tovu::FromW(argv[1]);
  uint32_t system = 0;
  if (!platform.SystemFileSubtype(path, &system)) {
    std::fprintf(stderr, "no version API\n");
    return 1;
  }
  std::printf("system=%u file=%u\n", system, tovu::ReadPeFileSubtype(platform, path));
  return 0;
}
