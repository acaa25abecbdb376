#include "platform/win32/win32_platform.h"

#include "util/format.h"

#include <windows.h>
#include <objbase.h>
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

class Win32FileReader : public IFileReader {
 public:
  explicit Win32FileReader(HANDLE h) : h_(h) {}
  ~Win32FileReader() override { ::CloseHandle(h_); }
  uint32_t Seek(uint64_t position, uint64_t* reached) override {
    LARGE_INTEGER to, now{};
    to.QuadPart = static_cast<LONGLONG>(position);
    if (position > 0x7FFFFFFFFFFFFFFFull) return ERROR_NEGATIVE_SEEK;
    if (!::SetFilePointerEx(h_, to, &now, FILE_BEGIN)) {
      uint32_t e = ::GetLastError();
      if (reached) {
        LARGE_INTEGER zero{};
        ::SetFilePointerEx(h_, zero, &now, FILE_CURRENT);
        *reached = static_cast<uint64_t>(now.QuadPart);
      }
      return e;
    }
    if (reached) *reached = static_cast<uint64_t>(now.QuadPart);
    return 0;
  }
  uint32_t Read(void* buffer, uint32_t size, uint32_t* got) override {
    DWORD n = 0;
    BOOL ok = ::ReadFile(h_, buffer, size, &n, nullptr);
    *got = n;
    return ok ? 0 : ::GetLastError();
  }
  uint32_t Size(uint64_t* size) override {
    LARGE_INTEGER s{};
    if (!::GetFileSizeEx(h_, &s)) {
      *size = 0;
      return ::GetLastError();
    }
    *size = static_cast<uint64_t>(s.QuadPart);
    return 0;
  }

 private:
  HANDLE h_;
};

class Win32FileWriter : public IFileWriter {
 public:
  explicit Win32FileWriter(HANDLE h) : h_(h) {}
  ~Win32FileWriter() override { Close(); }
  uint32_t Write(const void* data, uint32_t size) override {
    if (h_ == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
    return WriteAll(h_, data, size);
  }
  uint32_t Flush() override {
    // WriteFile hands the bytes to the system already; nothing is buffered here.
    return h_ == INVALID_HANDLE_VALUE ? ERROR_INVALID_HANDLE : 0;
  }
  uint32_t Seek(uint64_t position) override {
    if (h_ == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    return ::SetFilePointerEx(h_, to, nullptr, FILE_BEGIN) ? 0 : ::GetLastError();
  }
  uint32_t Close() override {
    if (h_ == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
    uint32_t e = ::CloseHandle(h_) ? 0 : ::GetLastError();
    h_ = INVALID_HANDLE_VALUE;
    return e;
  }

 private:
  HANDLE h_;
};

using GetFileVersionInfoSizeWFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
using GetFileVersionInfoWFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);

// version.dll from the system folder: LOAD_LIBRARY_SEARCH_SYSTEM32 where the
// loader knows it, else the full path of the system folder's copy.
HMODULE LoadSystemVersionDll() {
  HMODULE m = ::LoadLibraryExW(L"version.dll", nullptr, 0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
  if (m) return m;
  wchar_t dir[MAX_PATH + 1];
  UINT n = ::GetSystemDirectoryW(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH - 13) return nullptr;
  std::wstring full(dir, n);
  full += L"\\version.dll";
  return ::LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

uint32_t Win32Platform::OpenRead(const Text& path, std::unique_ptr<IFileReader>& out) {
  out.reset();
  HANDLE h = ::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return ::GetLastError();
  out = std::make_unique<Win32FileReader>(h);
  return 0;
}

uint32_t Win32Platform::CreateWrite(const Text& path, std::unique_ptr<IFileWriter>& out) {
  out.reset();
  HANDLE h = ::CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return ::GetLastError();
  out = std::make_unique<Win32FileWriter>(h);
  return 0;
}

uint32_t Win32Platform::MoveReplace(const Text& from, const Text& to) {
  return ::MoveFileExW(W(from), W(to), MOVEFILE_REPLACE_EXISTING) ? 0 : ::GetLastError();
}

uint32_t Win32Platform::FileSize(const Text& path, uint64_t* size) {
  *size = 0;
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!::GetFileAttributesExW(W(path), GetFileExInfoStandard, &d)) return ::GetLastError();
  if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_ACCESS_DENIED;
  *size = (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  return 0;
}

bool Win32Platform::SystemFileSubtype(const Text& path, uint32_t* subtype) {
  *subtype = 0;
  static HMODULE dll = LoadSystemVersionDll();
  if (!dll) return true;  // the system has the API; the record cannot be read
  auto sizeFn = reinterpret_cast<GetFileVersionInfoSizeWFn>(
      reinterpret_cast<void*>(::GetProcAddress(dll, "GetFileVersionInfoSizeW")));
  auto infoFn = reinterpret_cast<GetFileVersionInfoWFn>(
      reinterpret_cast<void*>(::GetProcAddress(dll, "GetFileVersionInfoW")));
  if (!sizeFn || !infoFn) return true;
  DWORD handle = 0;
  DWORD size = sizeFn(W(path), &handle);
  if (size == 0) return true;
  std::vector<uint8_t> block(size);
  if (!infoFn(W(path), 0, size, block.data())) return true;
  // Header words and "VS_VERSION_INFO" with its zero: the fixed file
  // information starts at byte 40; dwFileSubtype is its word at byte 40.
  if (size < 84) return true;
  const uint8_t* sig = block.data() + 40;
  if (sig[0] != 0xBD || sig[1] != 0x04 || sig[2] != 0xEF || sig[3] != 0xFE) return true;
  const uint8_t* p = block.data() + 80;
  *subtype = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
             (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  return true;
}

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

uint32_t Win32Platform::NewGuid(Text& out) {
  out.clear();
  GUID g;
  HRESULT hr = ::CoCreateGuid(&g);
  if (FAILED(hr)) return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<uint32_t>(hr);
  out = Format(u"{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", static_cast<uint32_t>(g.Data1),
               static_cast<uint32_t>(g.Data2), static_cast<uint32_t>(g.Data3), g.Data4[0], g.Data4[1], g.Data4[2],
               g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return 0;
}

uint32_t Win32Platform::WindowsMajorVersion() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExW(&info)) return 0;
#pragma GCC diagnostic pop
  return info.dwMajorVersion;
}

// ---- system information ------------------------------------------------------

uint64_t Win32Platform::TotalPhysicalMemory() {
  MEMORYSTATUS status = {};
  status.dwLength = sizeof(status);
  ::GlobalMemoryStatus(&status);
  return static_cast<uint64_t>(status.dwTotalPhys);
}

Text Win32Platform::ComputerName() {
  wchar_t buf[1024];
  DWORD n = 1024;
  if (!::GetComputerNameW(buf, &n)) return Text();
  return FromW(buf, n < 1024 ? n : 1023);
}

uint32_t Win32Platform::VolumeFileSystemName(const Text& root, Text& out) {
  out.clear();
  wchar_t name[1024];
  if (!::GetVolumeInformationW(W(root), nullptr, 0, nullptr, nullptr, nullptr, name, 1024)) return ::GetLastError();
  name[1023] = 0;
  out = FromW(name);
  return 0;
}

uint32_t Win32Platform::DiskFreeEx(const Text& root, DiskFreeSpaceEx& out) {
  out = DiskFreeSpaceEx{};
  ULARGE_INTEGER caller{}, total{}, totalFree{};
  if (!::GetDiskFreeSpaceExW(W(root), &caller, &total, &totalFree)) return ::GetLastError();
  out.freeToCaller = caller.QuadPart;
  out.totalBytes = total.QuadPart;
  out.totalFreeBytes = totalFree.QuadPart;
  return 0;
}

int Win32Platform::UserUILanguage() {
  // Looked up at run time: systems before Windows 2000 do not have it.
  using Fn = LANGID(WINAPI*)();
  HMODULE kernel = ::LoadLibraryW(L"kernel32.dll");
  if (!kernel) return -1;
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(kernel, "GetUserDefaultUILanguage")));
  int id = fn ? static_cast<int>(fn()) : -1;
  ::FreeLibrary(kernel);
  return id;
}

uint32_t Win32Platform::SystemDefaultLocale() { return ::GetSystemDefaultLCID(); }

Text Win32Platform::LocaleEnglishLanguageName(uint32_t lcid) {
  wchar_t buf[85];
  int n = ::GetLocaleInfoW(lcid, LOCALE_SENGLANGUAGE, buf, 85);
  if (n <= 0) return Text();
  buf[84] = 0;
  return FromW(buf);
}

// ---- registry ------------------------------------------------------------------

namespace {

HKEY RootKey(RegRoot root) {
  switch (root) {
    case RegRoot::kClassesRoot: return HKEY_CLASSES_ROOT;
    case RegRoot::kCurrentUser: return HKEY_CURRENT_USER;
    case RegRoot::kLocalMachine: return HKEY_LOCAL_MACHINE;
    case RegRoot::kUsers: return HKEY_USERS;
  }
  return nullptr;
}

REGSAM ViewFlag(RegView view) {
  switch (view) {
    case RegView::k32: return KEY_WOW64_32KEY;
    case RegView::k64: return KEY_WOW64_64KEY;
    case RegView::kDefault: break;
  }
  return 0;
}

struct RegKey {
  HKEY h = nullptr;
  ~RegKey() {
    if (h) ::RegCloseKey(h);
  }
};

LONG OpenKey(RegRoot root, const Text& key, RegView view, RegKey& out) {
  HKEY base = RootKey(root);
  if (!base) return ERROR_INVALID_HANDLE;
  return ::RegOpenKeyExW(base, W(key), 0, KEY_QUERY_VALUE | ViewFlag(view), &out.h);
}

}  // namespace

uint32_t Win32Platform::OpenRegistryKey(RegRoot root, const Text& key, RegView view) {
  RegKey k;
  return static_cast<uint32_t>(OpenKey(root, key, view, k));
}

uint32_t Win32Platform::ReadRegistryValue(RegRoot root, const Text& key, const Text& name, RegView view,
                                          RegistryValue& out, size_t maxBytes) {
  out = RegistryValue{};
  RegKey k;
  if (LONG e = OpenKey(root, key, view, k)) return static_cast<uint32_t>(e);
  DWORD type = 0;
  if (maxBytes != 0) {
    if (maxBytes > 0x7FFFFFFFu) maxBytes = 0x7FFFFFFFu;
    std::vector<uint8_t> buf(maxBytes);
    DWORD size = static_cast<DWORD>(maxBytes);
    LONG e = ::RegQueryValueExW(k.h, W(name), nullptr, &type, buf.data(), &size);
    if (e != ERROR_SUCCESS) return static_cast<uint32_t>(e);
    buf.resize(size);
    out.type = type;
    out.data = std::move(buf);
    return 0;
  }
  // Unlimited: ask for the size, then read; a value that grows in between
  // is asked for again.
  for (int attempt = 0; attempt < 8; ++attempt) {
    DWORD size = 0;
    LONG e = ::RegQueryValueExW(k.h, W(name), nullptr, &type, nullptr, &size);
    if (e != ERROR_SUCCESS) return static_cast<uint32_t>(e);
    std::vector<uint8_t> buf(size + 2);
    DWORD got = size;
    e = ::RegQueryValueExW(k.h, W(name), nullptr, &type, buf.data(), &got);
    if (e == ERROR_MORE_DATA) continue;
    if (e != ERROR_SUCCESS) return static_cast<uint32_t>(e);
    buf.resize(got);
    out.type = type;
    out.data = std::move(buf);
    return 0;
  }
  return ERROR_MORE_DATA;
}

uint32_t Win32Platform::FileModifiedTime(const Text& path, LocalTime& out) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(W(path), GetFileExInfoStandard, &data)) return ::GetLastError();
  FILETIME local;
  SYSTEMTIME st;
  if (!::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !::FileTimeToSystemTime(&local, &st))
    return ::GetLastError();
  out.year = st.wYear;
  out.month = st.wMonth;
  out.day = st.wDay;
  out.hour = st.wHour;
  out.minute = st.wMinute;
  out.second = st.wSecond;
  out.milliseconds = st.wMilliseconds;
  out.dayOfWeek = st.wDayOfWeek;
  return 0;
}

uint32_t Win32Platform::ProbeReadWrite(const Text& path) {
  HANDLE h = ::CreateFileW(W(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return ::GetLastError();
  ::CloseHandle(h);
  return 0;
}

using VerQueryValueWFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

uint32_t Win32Platform::FileVersion(const Text& path, uint16_t parts[4]) {
  for (int i = 0; i < 4; ++i) parts[i] = 0;
  static HMODULE dll = LoadSystemVersionDll();
  if (!dll) return winerr::kResourceTypeNotFound;
  auto sizeFn = reinterpret_cast<GetFileVersionInfoSizeWFn>(
      reinterpret_cast<void*>(::GetProcAddress(dll, "GetFileVersionInfoSizeW")));
  auto infoFn = reinterpret_cast<GetFileVersionInfoWFn>(
      reinterpret_cast<void*>(::GetProcAddress(dll, "GetFileVersionInfoW")));
  auto queryFn =
      reinterpret_cast<VerQueryValueWFn>(reinterpret_cast<void*>(::GetProcAddress(dll, "VerQueryValueW")));
  if (!sizeFn || !infoFn || !queryFn) return winerr::kResourceTypeNotFound;
  DWORD handle = 0;
  DWORD size = sizeFn(W(path), &handle);
  if (size == 0) return winerr::kResourceTypeNotFound;
  std::vector<uint8_t> block;
  try {
    block.resize(size);
  } catch (...) {
    return winerr::kNotEnoughMemory;
  }
  if (!infoFn(W(path), 0, size, block.data())) return winerr::kResourceTypeNotFound;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (!queryFn(block.data(), L"\\", reinterpret_cast<LPVOID*>(&fixed), &fixedSize) || !fixed ||
      fixedSize < sizeof(VS_FIXEDFILEINFO))
    return winerr::kResourceTypeNotFound;
  parts[0] = HIWORD(fixed->dwFileVersionMS);
  parts[1] = LOWORD(fixed->dwFileVersionMS);
  parts[2] = HIWORD(fixed->dwFileVersionLS);
  parts[3] = LOWORD(fixed->dwFileVersionLS);
  return 0;
}

}  // namespace tovu
