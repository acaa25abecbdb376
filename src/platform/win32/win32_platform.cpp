#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <shlobj.h>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 code units");

namespace tovu {

namespace {

struct Handle {
  HANDLE h;
  explicit Handle(HANDLE v) : h(v) {}
  ~Handle() {
    if (h != INVALID_HANDLE_VALUE && h != nullptr) CloseHandle(h);
  }
  bool ok() const { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
};

uint32_t WriteAll(HANDLE h, const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  while (size > 0) {
    DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(h, p, chunk, &written, nullptr)) return ::GetLastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    p += written;
    size -= written;
  }
  return 0;
}

}  // namespace

uint32_t Win32Platform::ReadWholeFile(const Text& path, std::vector<uint8_t>& out) {
  out.clear();
  Handle f(::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.ok()) return ::GetLastError();
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(f.h, &size)) return ::GetLastError();
  if (size.QuadPart > 0x7FFFFFFF) return ERROR_NOT_ENOUGH_MEMORY;
  out.resize(static_cast<size_t>(size.QuadPart));
  size_t got = 0;
  while (got < out.size()) {
    DWORD n = 0;
    if (!::ReadFile(f.h, out.data() + got, static_cast<DWORD>(out.size() - got), &n, nullptr)) {
      uint32_t e = ::GetLastError();
      out.clear();
      return e;
    }
    if (n == 0) break;
    got += n;
  }
  out.resize(got);
  return 0;
}

uint32_t Win32Platform::WriteWholeFile(const Text& path, const std::vector<uint8_t>& data) {
  Handle f(::CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.ok()) return ::GetLastError();
  return WriteAll(f.h, data.data(), data.size());
}

uint32_t Win32Platform::AppendToFile(const Text& path, const void* data, size_t size) {
  Handle f(::CreateFileW(W(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr));
  if (!f.ok()) return ::GetLastError();
  LARGE_INTEGER zero{};
  if (!::SetFilePointerEx(f.h, zero, nullptr, FILE_END)) return ::GetLastError();
  return WriteAll(f.h, data, size);
}

uint32_t Win32Platform::CreateEmptyFile(const Text& path) {
  Handle f(::CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!f.ok()) return ::GetLastError();
  return 0;
}

uint32_t Win32Platform::RemoveFile(const Text& path) {
  return ::DeleteFileW(W(path)) ? 0 : ::GetLastError();
}

uint32_t Win32Platform::FileAttributes(const Text& path, uint32_t* error) {
  DWORD a = ::GetFileAttributesW(W(path));
  if (error) *error = a == INVALID_FILE_ATTRIBUTES ? ::GetLastError() : 0;
  return a;
}

uint32_t Win32Platform::SetAttributes(const Text& path, uint32_t attributes) {
  return ::SetFileAttributesW(W(path), attributes) ? 0 : ::GetLastError();
}

bool Win32Platform::FindFirstExists(const Text& path) {
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW(W(path), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  ::FindClose(h);
  return true;
}

uint32_t Win32Platform::ListFolder(const Text& folder, std::vector<DirEntry>& out) {
  out.clear();
  Text pattern = folder;
  if (!pattern.empty() && pattern.back() != u'\\') pattern += u'\\';
  pattern += u'*';
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW(W(pattern), &fd);
  if (h == INVALID_HANDLE_VALUE) return ::GetLastError();
  do {
    if (wcscmp(fd.cFileName, L".") == 0 || wcscmp(fd.cFileName, L"..") == 0) continue;
    DirEntry e;
    e.name = FromW(fd.cFileName);
    e.attributes = fd.dwFileAttributes;
    e.size = (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    out.push_back(std::move(e));
  } while (::FindNextFileW(h, &fd));
  ::FindClose(h);
  return 0;
}

uint32_t Win32Platform::MakeTempFile(const Text& folder, const Text& prefix, Text& out) {
  wchar_t buf[MAX_PATH + 16];
  if (!::GetTempFileNameW(W(folder), W(prefix), 0, buf)) {
    out.clear();
    return ::GetLastError();
  }
  out = FromW(buf);
  return 0;
}

uint32_t Win32Platform::MakeDirectory(const Text& path) {
  return ::CreateDirectoryW(W(path), nullptr) ? 0 : ::GetLastError();
}

uint32_t Win32Platform::RemoveFolder(const Text& path) {
  return ::RemoveDirectoryW(W(path)) ? 0 : ::GetLastError();
}

uint32_t Win32Platform::CreateDirectoryTree(const Text& path) {
  return static_cast<uint32_t>(::SHCreateDirectoryExW(nullptr, W(path), nullptr));
}

uint32_t Win32Platform::FullPathName(const Text& path, Text& out) {
  wchar_t buf[1024];
  DWORD n = ::GetFullPathNameW(W(path), 1024, buf, nullptr);
  if (n == 0) {
    out.clear();
    return ::GetLastError();
  }
  if (n >= 1024) {
    out.clear();
    return ERROR_FILENAME_EXCED_RANGE;
  }
  out = FromW(buf, n);
  return 0;
}

uint32_t Win32Platform::LogicalDrives() { return ::GetLogicalDrives(); }

uint32_t Win32Platform::DriveType(const Text& root) { return ::GetDriveTypeW(W(root)); }

uint32_t Win32Platform::DiskFree(const Text& root, DiskFreeSpace& out) {
  DWORD spc = 0, bps = 0, fc = 0, tc = 0;
  if (!::GetDiskFreeSpaceW(W(root), &spc, &bps, &fc, &tc)) {
    out = DiskFreeSpace{};
    return ::GetLastError();
  }
  out.sectorsPerCluster = spc;
  out.bytesPerSector = bps;
  out.freeClusters = fc;
  out.totalClusters = tc;
  return 0;
}

bool Win32Platform::GetEnv(const Text& name, Text& value) {
  value.clear();
  DWORD n = ::GetEnvironmentVariableW(W(name), nullptr, 0);
  if (n == 0) return ::GetLastError() != ERROR_ENVVAR_NOT_FOUND;
  std::vector<wchar_t> buf(n + 1);
  DWORD got = ::GetEnvironmentVariableW(W(name), buf.data(), n + 1);
  if (got == 0 || got > n) return false;
  value = FromW(buf.data(), got);
  return true;
}

LocalTime Win32Platform::Now() {
  SYSTEMTIME st;
  ::GetLocalTime(&st);
  LocalTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.milliseconds = st.wMilliseconds;
  t.dayOfWeek = st.wDayOfWeek;
  return t;
}

Text Win32Platform::UserName() {
  wchar_t buf[257];
  DWORD n = 257;
  if (!::GetUserNameW(buf, &n)) return Text();
  return FromW(buf);
}

Text Win32Platform::ModulePath() {
  wchar_t buf[1024];
  DWORD n = ::GetModuleFileNameW(nullptr, buf, 1024);
  if (n == 0 || n >= 1024) return Text();
  return FromW(buf, n);
}

Text Win32Platform::ErrorText(uint32_t code) {
  wchar_t* msg = nullptr;
  DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             reinterpret_cast<wchar_t*>(&msg), 0, nullptr);
  Text out;
  if (n && msg) out = FromW(msg, n);
  if (msg) ::LocalFree(msg);
  return out;
}

}  // namespace tovu
