#include "platform/posix/posix_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "util/format.h"

namespace tovu {

namespace {

std::string P(const Text& path) { return ToUtf8(path); }

uint32_t LastError() { return WinErrorFromErrno(errno); }

uint32_t WriteAllFd(int fd, const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd, p, size > 0x40000000u ? 0x40000000u : size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    if (n == 0) return winerr::kWriteFault;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return 0;
}

class PosixReader : public IFileReader {
 public:
  explicit PosixReader(int fd) : fd_(fd) {}
  ~PosixReader() override { ::close(fd_); }
  uint32_t Seek(uint64_t position, uint64_t* reached) override {
    if (position > 0x7FFFFFFFFFFFFFFFull) return winerr::kNegativeSeek;
    off_t r = ::lseek(fd_, static_cast<off_t>(position), SEEK_SET);
    if (r < 0) {
      uint32_t e = LastError();
      if (reached) *reached = static_cast<uint64_t>(::lseek(fd_, 0, SEEK_CUR));
      return e;
    }
    if (reached) *reached = static_cast<uint64_t>(r);
    return 0;
  }
  uint32_t Read(void* buffer, uint32_t size, uint32_t* got) override {
    *got = 0;
    for (;;) {
      ssize_t n = ::read(fd_, buffer, size);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return LastError();
      *got = static_cast<uint32_t>(n);
      return 0;
    }
  }
  uint32_t Size(uint64_t* size) override {
    struct stat st;
    if (::fstat(fd_, &st)) {
      *size = 0;
      return LastError();
    }
    *size = static_cast<uint64_t>(st.st_size);
    return 0;
  }

 private:
  int fd_;
};

class PosixWriter : public IFileWriter {
 public:
  explicit PosixWriter(int fd) : fd_(fd) {}
  ~PosixWriter() override { Close(); }
  uint32_t Write(const void* data, uint32_t size) override {
    return fd_ < 0 ? winerr::kInvalidHandle : WriteAllFd(fd_, data, size);
  }
  uint32_t Flush() override { return fd_ < 0 ? winerr::kInvalidHandle : 0; }
  uint32_t Seek(uint64_t position) override {
    if (fd_ < 0) return winerr::kInvalidHandle;
    return ::lseek(fd_, static_cast<off_t>(position), SEEK_SET) < 0 ? LastError() : 0;
  }
  uint32_t Close() override {
    if (fd_ < 0) return winerr::kInvalidHandle;
    int r = ::close(fd_);
    fd_ = -1;
    return r ? LastError() : 0;
  }

 private:
  int fd_;
};

}  // namespace

uint32_t WinErrorFromErrno(int err) {
  switch (err) {
    case 0: return 0;
    case ENOENT: return winerr::kFileNotFound;
    case ENOTDIR: return winerr::kPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return winerr::kAccessDenied;
    case EEXIST: return winerr::kAlreadyExists;
    case ENOSPC: return winerr::kDiskFull;
    case ENAMETOOLONG: return winerr::kFilenameExcedRange;
    case ENOTEMPTY: return winerr::kDirNotEmpty;
    case EBUSY:
    case ETXTBSY: return winerr::kSharingViolation;
    case EINVAL: return winerr::kInvalidParameter;
    case ENOMEM: return 8;
    case EIO: return winerr::kReadFault;
    default: return 1117;  // ERROR_IO_DEVICE
  }
}

uint32_t PosixPlatform::ReadWholeFile(const Text& path, std::vector<uint8_t>& out) {
  out.clear();
  std::unique_ptr<IFileReader> f;
  if (uint32_t e = OpenRead(path, f)) return e;
  uint64_t size = 0;
  if (uint32_t e = f->Size(&size)) return e;
  if (size > 0x7FFFFFFF) return 8;
  out.resize(static_cast<size_t>(size));
  size_t have = 0;
  while (have < out.size()) {
    uint32_t got = 0;
    if (uint32_t e = f->Read(out.data() + have, static_cast<uint32_t>(out.size() - have), &got)) {
      out.clear();
      return e;
    }
    if (got == 0) break;
    have += got;
  }
  out.resize(have);
  return 0;
}

uint32_t PosixPlatform::WriteWholeFile(const Text& path, const std::vector<uint8_t>& data) {
  std::unique_ptr<IFileWriter> f;
  if (uint32_t e = CreateWrite(path, f)) return e;
  size_t done = 0;
  while (done < data.size()) {
    size_t n = data.size() - done;
    if (n > 0x40000000u) n = 0x40000000u;
    if (uint32_t e = f->Write(data.data() + done, static_cast<uint32_t>(n))) return e;
    done += n;
  }
  return f->Close();
}

uint32_t PosixPlatform::AppendToFile(const Text& path, const void* data, size_t size) {
  int fd = ::open(P(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return LastError();
  uint32_t e = WriteAllFd(fd, data, size);
  if (::close(fd) && !e) e = LastError();
  return e;
}

uint32_t PosixPlatform::CreateEmptyFile(const Text& path) {
  int fd = ::open(P(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return LastError();
  ::close(fd);
  return 0;
}

uint32_t PosixPlatform::RemoveFile(const Text& path) {
  struct stat st;
  if (::lstat(P(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return winerr::kAccessDenied;
  return ::unlink(P(path).c_str()) ? LastError() : 0;
}

uint32_t PosixPlatform::FileAttributes(const Text& path, uint32_t* error) {
  struct stat st;
  if (::stat(P(path).c_str(), &st)) {
    if (error) *error = LastError();
    return fileattr::kInvalid;
  }
  if (error) *error = 0;
  uint32_t a = 0;
  if (S_ISDIR(st.st_mode)) a |= fileattr::kDirectory;
  if (!(st.st_mode & S_IWUSR)) a |= fileattr::kReadOnly;
  struct stat lst;
  if (::lstat(P(path).c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) a |= fileattr::kReparsePoint;
  return a ? a : fileattr::kNormal;
}

uint32_t PosixPlatform::SetAttributes(const Text& path, uint32_t attributes) {
  struct stat st;
  if (::stat(P(path).c_str(), &st)) return LastError();
  mode_t mode = st.st_mode & 07777;
  if (attributes & fileattr::kReadOnly) mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  else mode |= S_IWUSR;
  return ::chmod(P(path).c_str(), mode) ? LastError() : 0;
}

bool PosixPlatform::FindFirstExists(const Text& path) {
  struct stat st;
  return ::lstat(P(path).c_str(), &st) == 0;
}

uint32_t PosixPlatform::ListFolder(const Text& folder, std::vector<DirEntry>& out) {
  out.clear();
  std::string base = P(folder);
  DIR* d = ::opendir(base.c_str());
  if (!d) return LastError();
  if (!base.empty() && base.back() != '/') base += '/';
  while (struct dirent* e = ::readdir(d)) {
    if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, "..")) continue;
    DirEntry entry;
    entry.name = FromUtf8(e->d_name);
    uint32_t err = 0;
    entry.attributes = FileAttributes(FromUtf8(base + e->d_name), &err);
    if (entry.attributes == fileattr::kInvalid) entry.attributes = fileattr::kNormal;
    struct stat st;
    entry.size = ::stat((base + e->d_name).c_str(), &st) == 0 && S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
    out.push_back(std::move(entry));
  }
  ::closedir(d);
  return 0;
}

uint32_t PosixPlatform::MakeTempFile(const Text& folder, const Text& prefix, Text& out) {
  std::string base = P(folder);
  if (!base.empty() && base.back() != '/') base += '/';
  std::string templ = base + P(prefix.substr(0, 3)) + "XXXXXX";
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back(0);
  int fd = ::mkstemp(buf.data());
  if (fd < 0) {
    out.clear();
    return LastError();
  }
  ::close(fd);
  out = FromUtf8(buf.data());
  return 0;
}

uint32_t PosixPlatform::OpenRead(const Text& path, std::unique_ptr<IFileReader>& out) {
  out.reset();
  int fd = ::open(P(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return LastError();
  struct stat st;
  if (::fstat(fd, &st) || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return winerr::kAccessDenied;
  }
  out = std::make_unique<PosixReader>(fd);
  return 0;
}

uint32_t PosixPlatform::CreateWrite(const Text& path, std::unique_ptr<IFileWriter>& out) {
  out.reset();
  int fd = ::open(P(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return LastError();
  out = std::make_unique<PosixWriter>(fd);
  return 0;
}

uint32_t PosixPlatform::MoveReplace(const Text& from, const Text& to) {
  return ::rename(P(from).c_str(), P(to).c_str()) ? LastError() : 0;
}

uint32_t PosixPlatform::FileSize(const Text& path, uint64_t* size) {
  *size = 0;
  struct stat st;
  if (::stat(P(path).c_str(), &st)) return LastError();
  if (S_ISDIR(st.st_mode)) return winerr::kAccessDenied;
  *size = static_cast<uint64_t>(st.st_size);
  return 0;
}

uint32_t PosixPlatform::MakeDirectory(const Text& path) {
  return ::mkdir(P(path).c_str(), 0755) ? LastError() : 0;
}

uint32_t PosixPlatform::RemoveFolder(const Text& path) {
  struct stat st;
  if (::lstat(P(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return ::unlink(P(path).c_str()) ? LastError() : 0;
  return ::rmdir(P(path).c_str()) ? LastError() : 0;
}

uint32_t PosixPlatform::CreateDirectoryTree(const Text& path) {
  std::string p = P(path);
  struct stat st;
  if (::stat(p.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? winerr::kAlreadyExists : winerr::kFileExists;
  for (size_t i = 1; i <= p.size(); ++i) {
    if (i < p.size() && p[i] != '/') continue;
    std::string part = p.substr(0, i);
    if (::mkdir(part.c_str(), 0755) && errno != EEXIST) return LastError();
  }
  return 0;
}

uint32_t PosixPlatform::FullPathName(const Text& path, Text& out) {
  std::string p = P(path);
  if (p.empty()) {
    out.clear();
    return winerr::kInvalidName;
  }
  if (p[0] != '/') {
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) {
      out.clear();
      return LastError();
    }
    p = std::string(cwd) + "/" + p;
  }
  out = FromUtf8(p);
  return 0;
}

uint32_t PosixPlatform::LogicalDrives() { return 0; }

uint32_t PosixPlatform::DriveType(const Text& root) {
  struct stat st;
  return ::stat(P(root).c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? drivetype::kFixed : drivetype::kNoRootDir;
}

uint32_t PosixPlatform::DiskFree(const Text& root, DiskFreeSpace& out) {
  out = DiskFreeSpace{};
  struct statvfs v;
  if (::statvfs(P(root).c_str(), &v)) return LastError();
  out.sectorsPerCluster = 8;
  out.bytesPerSector = 512;
  uint64_t clusters = static_cast<uint64_t>(v.f_bavail) * v.f_frsize / 4096;
  uint64_t total = static_cast<uint64_t>(v.f_blocks) * v.f_frsize / 4096;
  out.freeClusters = clusters > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(clusters);
  out.totalClusters = total > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(total);
  return 0;
}

bool PosixPlatform::GetEnv(const Text& name, Text& value) {
  const char* v = std::getenv(P(name).c_str());
  if (!v) {
    value.clear();
    return false;
  }
  value = FromUtf8(v);
  return true;
}

LocalTime PosixPlatform::Now() {
  struct timeval tv;
  ::gettimeofday(&tv, nullptr);
  time_t secs = tv.tv_sec;
  struct tm t;
  ::localtime_r(&secs, &t);
  LocalTime out;
  out.year = t.tm_year + 1900;
  out.month = t.tm_mon + 1;
  out.day = t.tm_mday;
  out.hour = t.tm_hour;
  out.minute = t.tm_min;
  out.second = t.tm_sec;
  out.milliseconds = static_cast<int>(tv.tv_usec / 1000);
  out.dayOfWeek = t.tm_wday;
  return out;
}

Text PosixPlatform::UserName() {
  struct passwd* pw = ::getpwuid(::geteuid());
  return pw && pw->pw_name ? FromUtf8(pw->pw_name) : Text();
}

Text PosixPlatform::ModulePath() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return Text();
  return FromUtf8(std::string_view(buf, static_cast<size_t>(n)));
}

Text PosixPlatform::ErrorText(uint32_t code) {
  switch (code) {
    case 0: return u"The operation completed successfully.\r\n";
    case 2: return u"The system cannot find the file specified.\r\n";
    case 3: return u"The system cannot find the path specified.\r\n";
    case 5: return u"Access is denied.\r\n";
    case 8: return u"Not enough memory resources are available to process this command.\r\n";
    case 32: return u"The process cannot access the file because it is being used by another process.\r\n";
    case 112: return u"There is not enough space on the disk.\r\n";
    case 183: return u"Cannot create a file when that file already exists.\r\n";
    case 206: return u"The filename or extension is too long.\r\n";
    default: return Format(u"Error %u.\r\n", code);
  }
}

}  // namespace tovu
