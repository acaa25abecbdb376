// Shared by the launch tests under Wine: a scratch folder, copies of the
// test setup program and its record file read back as blocks.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "log/log_file.h"
#include "support/captured_log.h"
#include "platform/win32/win32_platform.h"
#include "util/cutil.h"
#include "util/text.h"

namespace tovu::test {

inline std::string U8(const Text& t) { return ToUtf8(t); }

// One run of the test setup as it recorded itself.
struct SetupRun {
  std::string exe, cmdline, cwd, deleteList;
  std::vector<std::string> args, files, list;
  int exitCode = 0;
};

inline std::string ReadAll(const Text& path) {
  HANDLE h = ::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  std::string s;
  char buf[4096];
  DWORD got = 0;
  while (::ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) s.append(buf, got);
  ::CloseHandle(h);
  return s;
}

inline std::vector<SetupRun> ReadRuns(const Text& recordPath) {
  std::vector<SetupRun> runs;
  std::string text = ReadAll(recordPath);
  size_t start = 0;
  SetupRun* run = nullptr;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line == "[run]") {
      runs.emplace_back();
      run = &runs.back();
      continue;
    }
    if (!run || line == "[end]") continue;
    size_t eq = line.find('=');
    std::string k = line.substr(0, eq), v = eq == std::string::npos ? "" : line.substr(eq + 1);
    if (k == "exe") run->exe = v;
    else if (k == "cmdline") run->cmdline = v;
    else if (k == "cwd") run->cwd = v;
    else if (k == "arg") run->args.push_back(v);
    else if (k == "file") run->files.push_back(v);
    else if (k == "deletelist") run->deleteList = v;
    else if (k == "list") run->list.push_back(v);
    else if (k == "exit") run->exitCode = std::atoi(v.c_str());
  }
  return runs;
}

// Waits until the record holds `count` runs (at most `ms` milliseconds).
inline std::vector<SetupRun> WaitForRuns(const Text& recordPath, size_t count, DWORD ms = 20000) {
  DWORD start = ::GetTickCount();
  for (;;) {
    auto runs = ReadRuns(recordPath);
    if (runs.size() >= count || ::GetTickCount() - start > ms) return runs;
    ::Sleep(50);
  }
}

inline Text ModuleFolder() {
  wchar_t m[MAX_PATH * 2];
  DWORD n = ::GetModuleFileNameW(nullptr, m, MAX_PATH * 2);
  Text p = FromW(std::wstring(m, n).c_str());
  return p.substr(0, p.rfind(u'\\') + 1);
}

// The test setup built beside the test binaries.
inline Text TestSetupPath() { return ModuleFolder() + u"win_test_setup.exe"; }

inline bool MakeFolders(const Text& path) {
  Text p;
  for (size_t i = 0; i < path.size(); ++i) {
    p.push_back(path[i]);
    if (path[i] == u'\\' && i > 2) ::CreateDirectoryW(W(p), nullptr);
  }
  ::CreateDirectoryW(W(path), nullptr);
  return (::GetFileAttributesW(W(path)) & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Copies the test setup to folder + relative (folders made as needed).
inline bool PlaceSetup(const Text& folder, const Text& relative) {
  Text target = folder + relative;
  MakeFolders(target.substr(0, target.rfind(u'\\')));
  return ::CopyFileW(W(TestSetupPath()), W(target), FALSE) != 0;
}

inline void WriteText(const Text& path, const std::string& bytes) {
  MakeFolders(path.substr(0, path.rfind(u'\\')));
  HANDLE h = ::CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD w = 0;
  ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &w, nullptr);
  ::CloseHandle(h);
}

// A scratch folder under %TEMP% (ending with "\"), removed at the end.
class Scratch {
 public:
  Scratch(CUtil& util, const char16_t* name) : util_(util) {
    wchar_t tmp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, tmp);
    root = FromW(tmp) + name + Widen(std::to_string(::GetCurrentProcessId())) + u"\\";
    util_.DeleteFolder(root.substr(0, root.size() - 1));
    MakeFolders(root.substr(0, root.size() - 1));
  }
  ~Scratch() { util_.DeleteFolder(root.substr(0, root.size() - 1)); }
  Text root;

 private:
  CUtil& util_;
};

}  // namespace tovu::test
