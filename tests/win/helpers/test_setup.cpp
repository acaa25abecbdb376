// A setup program for the launch tests. Each run appends one block to its
// record file (UTF-8): the full command line, each argument, the working
// folder, the files below its own folder, and, when given
// /DeleteOnFinish=<list>, whether that list file exists and its lines.
// Then it sleeps /sleep=<ms> milliseconds and exits with /exit=<code>.
// Other arguments are only recorded.
//
// Record file: %TOVU_TEST_SETUP_RECORD% when set, else the program's own
// path + ".record.txt".
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return std::string();
  int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

void ListFiles(const std::wstring& folder, const std::wstring& prefix, std::vector<std::wstring>& out) {
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      ListFiles(folder + L"\\" + name, prefix + name + L"\\", out);
    else
      out.push_back(prefix + name);
  } while (::FindNextFileW(h, &fd));
  ::FindClose(h);
}

std::string ReadFileText(const std::wstring& path) {
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  std::string s;
  char buf[4096];
  DWORD got = 0;
  while (::ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) s.append(buf, got);
  ::CloseHandle(h);
  return s;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  wchar_t module[MAX_PATH * 4];
  DWORD n = ::GetModuleFileNameW(nullptr, module, MAX_PATH * 4);
  std::wstring exe(module, n);
  std::wstring folder = exe.substr(0, exe.rfind(L'\\'));

  wchar_t env[MAX_PATH * 4];
  DWORD e = ::GetEnvironmentVariableW(L"TOVU_TEST_SETUP_RECORD", env, MAX_PATH * 4);
  std::wstring recordPath = (e > 0 && e < MAX_PATH * 4) ? std::wstring(env, e) : exe + L".record.txt";

  int exitCode = 0;
  DWORD sleepMs = 0;
  std::wstring deleteList;
  bool hasDeleteList = false;
  std::string block = "[run]\n";
  block += "exe=" + Utf8(exe) + "\n";
  block += "cmdline=" + Utf8(::GetCommandLineW()) + "\n";
  for (int i = 1; i < argc; ++i) {
    std::wstring a = argv[i];
    block += "arg=" + Utf8(a) + "\n";
    if (a.rfind(L"/exit=", 0) == 0) exitCode = static_cast<int>(std::wcstol(a.c_str() + 6, nullptr, 10));
    if (a.rfind(L"/sleep=", 0) == 0) sleepMs = static_cast<DWORD>(std::wcstoul(a.c_str() + 7, nullptr, 10));
    if (a.rfind(L"/DeleteOnFinish=", 0) == 0) {
      deleteList = a.substr(16);
      hasDeleteList = true;
    }
  }
  wchar_t cwd[MAX_PATH * 4];
  DWORD c = ::GetCurrentDirectoryW(MAX_PATH * 4, cwd);
  block += "cwd=" + Utf8(std::wstring(cwd, c)) + "\n";
  std::vector<std::wstring> files;
  ListFiles(folder, L"", files);
  std::sort(files.begin(), files.end());
  for (const auto& f : files) block += "file=" + Utf8(f) + "\n";
  if (hasDeleteList) {
    DWORD attributes = ::GetFileAttributesW(deleteList.c_str());
    bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    block += "deletelist=" + Utf8(deleteList) + (exists ? " exists" : " missing") + "\n";
    if (exists) {
      std::string text = ReadFileText(deleteList);
      size_t start = 0;
      while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        block += "list=" + line + "\n";
        start = end + 1;
      }
    }
  }
  block += "exit=" + std::to_string(exitCode) + "\n[end]\n";

  // Appended under a retry: another run may hold the file for a moment.
  for (int attempt = 0; attempt < 50; ++attempt) {
    HANDLE h = ::CreateFileW(recordPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      ::WriteFile(h, block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
      ::CloseHandle(h);
      break;
    }
    ::Sleep(20);
  }
  if (sleepMs) ::Sleep(sleepMs);
  return exitCode;
}
