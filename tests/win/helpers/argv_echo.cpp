// Test helper: prints the argument vector that the C runtime built from this
// process's command line, one argument a line, each as hexadecimal UTF-16
// code units ("M" lines: the msvcrt.dll vector this program was started
// with; "U" lines: the vector of the universal CRT, ucrtbase.dll, built on
// request; "U?" when that library is not there).
#include <windows.h>

#include <string>

namespace {

void Put(HANDLE out, const std::string& s) {
  DWORD written = 0;
  WriteFile(out, s.data(), static_cast<DWORD>(s.size()), &written, nullptr);
}

std::string Hex(const wchar_t* s) {
  static const char digits[] = "0123456789abcdef";
  std::string h;
  for (; *s; ++s) {
    const unsigned v = static_cast<unsigned short>(*s);
    for (int shift = 12; shift >= 0; shift -= 4) h.push_back(digits[(v >> shift) & 15]);
  }
  return h;
}

void PutVector(HANDLE out, const char* tag, int argc, wchar_t** argv) {
  for (int k = 0; k < argc; ++k) Put(out, std::string(tag) + " " + Hex(argv[k]) + "\n");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  PutVector(out, "M", argc, argv);

  using Configure = int(__cdecl*)(int);
  using ArgcP = int*(__cdecl*)();
  using ArgvP = wchar_t***(__cdecl*)();
  HMODULE ucrt = LoadLibraryW(L"ucrtbase.dll");
  auto proc = [ucrt](const char* name) {
    return ucrt ? reinterpret_cast<void*>(GetProcAddress(ucrt, name)) : nullptr;
  };
  auto configure = reinterpret_cast<Configure>(proc("_configure_wide_argv"));
  auto argc_p = reinterpret_cast<ArgcP>(proc("__p___argc"));
  auto wargv_p = reinterpret_cast<ArgvP>(proc("__p___wargv"));
  // 1 = _crt_argv_unexpanded_arguments
  if (configure && argc_p && wargv_p && configure(1) == 0 && *wargv_p()) {
    PutVector(out, "U", *argc_p(), *wargv_p());
  } else {
    Put(out, "U?\n");
  }
  return 0;
}
