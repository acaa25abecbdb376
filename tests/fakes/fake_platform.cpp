#include "fakes/fake_platform.h"

#include <algorithm>

#include "util/format.h"

namespace tovu::test {

FakePlatform::FakePlatform() {
  time_.year = 2026;
  time_.month = 3;
  time_.day = 7;
  time_.hour = 9;
  time_.minute = 5;
  time_.second = 4;
  time_.dayOfWeek = 6;
  AddDrive('C', drivetype::kFixed);
}

void FakePlatform::AddDrive(char letter, uint32_t type, uint64_t freeBytes, bool readOnly) {
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  drives_[letter] = Drive{type, freeBytes, readOnly};
  Text root;
  root.push_back(static_cast<char16_t>(letter));
  root += u":\\";
  Node n;
  n.name = root;
  n.folder = true;
  n.attributes = fileattr::kDirectory;
  nodes_[Key(root)] = n;
}

void FakePlatform::RemoveDrive(char letter) {
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  drives_.erase(letter);
  Text prefix;
  prefix.push_back(static_cast<char16_t>(letter));
  prefix += u":";
  for (auto it = nodes_.begin(); it != nodes_.end();) {
    if (StartsWith(it->first, prefix)) it = nodes_.erase(it);
    else ++it;
  }
}

Text FakePlatform::Key(const Text& normalized) { return ToUpper(normalized); }

Text FakePlatform::Parent(const Text& normalized) {
  size_t pos = normalized.find_last_of(u'\\');
  if (pos == Text::npos) return Text();
  if (pos <= 2) return normalized.substr(0, 3);  // "C:\"
  return normalized.substr(0, pos);
}

Text FakePlatform::Normalize(const Text& input) const {
  Text path = input;
  for (auto& c : path)
    if (c == u'/') c = u'\\';
  if (path.size() >= 2 && path[1] == u':') {
    // absolute with drive
    if (path.size() == 2 || path[2] != u'\\') path.insert(2, u"\\");
  } else if (!path.empty() && path[0] == u'\\') {
    if (path.size() > 1 && path[1] == u'\\') return Text();  // shares are not modelled
    path = cwd_.substr(0, 2) + path;
  } else {
    Text base = cwd_;
    if (base.back() != u'\\') base += u'\\';
    path = base + path;
  }
  // Resolve "." and ".." components.
  Text drive = path.substr(0, 2);
  std::vector<Text> parts;
  size_t i = 3;
  while (i <= path.size()) {
    size_t j = path.find(u'\\', i);
    if (j == Text::npos) j = path.size();
    Text comp = path.substr(i, j - i);
    if (comp.empty() || comp == u".") {
    } else if (comp == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else {
      parts.push_back(comp);
    }
    i = j + 1;
  }
  Text out = drive + u"\\";
  for (size_t k = 0; k < parts.size(); ++k) {
    if (k) out += u'\\';
    out += parts[k];
  }
  return ResolveLinks(out);
}

Text FakePlatform::ResolveLinks(Text p) const {
  if (linkCount_ == 0) return p;
  for (int round = 0; round < 40; ++round) {
    bool changed = false;
    for (size_t at = p.find(u'\\', 3); at != Text::npos; at = p.find(u'\\', at + 1)) {
      auto it = nodes_.find(Key(p.substr(0, at)));
      if (it != nodes_.end() && !it->second.linkTarget.empty()) {
        p = it->second.linkTarget + p.substr(at);
        changed = true;
        break;
      }
    }
    if (!changed) break;
  }
  return p;
}

void FakePlatform::AddFolderLink(const Text& path, const Text& target) {
  Text n = Normalize(path);
  AddFolder(Parent(n));
  Node node;
  node.name = n;
  node.folder = true;
  node.attributes = fileattr::kDirectory | fileattr::kReparsePoint;
  node.linkTarget = Normalize(target);
  nodes_[Key(n)] = node;
  ++linkCount_;
}

const FakePlatform::Drive* FakePlatform::DriveOf(const Text& normalized) const {
  if (normalized.size() < 2) return nullptr;
  char letter = static_cast<char>(ToUpperChar(normalized[0]));
  auto it = drives_.find(letter);
  return it == drives_.end() ? nullptr : &it->second;
}

uint32_t FakePlatform::WriteCheck(const Text& normalized) const {
  auto f = failures_.find(Key(normalized));
  if (f != failures_.end()) return f->second;
  const Drive* d = DriveOf(normalized);
  if (!d) return winerr::kPathNotFound;
  if (d->readOnly || d->type == drivetype::kCdrom) return winerr::kAccessDenied;
  return 0;
}

bool FakePlatform::ParentIsFolder(const Text& normalized) const {
  auto it = nodes_.find(Key(Parent(normalized)));
  return it != nodes_.end() && it->second.folder;
}

void FakePlatform::AddFolder(const Text& path) {
  Text n = Normalize(path);
  std::vector<Text> chain;
  for (Text p = n; p.size() > 3; p = Parent(p)) chain.push_back(p);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    Node& node = nodes_[Key(*it)];
    if (node.name.empty()) {
      node.name = *it;
      node.folder = true;
      node.attributes = fileattr::kDirectory;
    }
  }
}

void FakePlatform::AddFile(const Text& path, const std::string& bytes, uint32_t attributes) {
  AddFile(path, std::vector<uint8_t>(bytes.begin(), bytes.end()), attributes);
}

void FakePlatform::AddFile(const Text& path, const std::vector<uint8_t>& bytes, uint32_t attributes) {
  Text n = Normalize(path);
  AddFolder(Parent(n));
  Node node;
  node.name = n;
  node.data = bytes;
  node.attributes = attributes;
  nodes_[Key(n)] = node;
}

void FakePlatform::FailPath(const Text& path, uint32_t error) { failures_[Key(Normalize(path))] = error; }

void FakePlatform::SetEnv(const Text& name, const Text& value) { env_[ToUpper(name)] = value; }
void FakePlatform::UnsetEnv(const Text& name) { env_.erase(ToUpper(name)); }

bool FakePlatform::IsFolder(const Text& path) const {
  auto it = nodes_.find(Key(Normalize(path)));
  return it != nodes_.end() && it->second.folder;
}

bool FakePlatform::IsFile(const Text& path) const {
  auto it = nodes_.find(Key(Normalize(path)));
  return it != nodes_.end() && !it->second.folder;
}

std::string FakePlatform::FileBytes(const Text& path) const {
  auto it = nodes_.find(Key(Normalize(path)));
  if (it == nodes_.end() || it->second.folder) return std::string();
  return std::string(it->second.data.begin(), it->second.data.end());
}

std::vector<Text> FakePlatform::ListAll(const Text& root) const {
  Text prefix = root.empty() ? Text() : Key(Normalize(root));
  std::vector<Text> out;
  for (const auto& [key, node] : nodes_) {
    if (!prefix.empty() && !StartsWith(key, prefix)) continue;
    Text name = node.name;
    if (node.folder && name.back() != u'\\') name += u'\\';
    out.push_back(name);
  }
  std::sort(out.begin(), out.end());
  return out;
}

uint32_t FakePlatform::ReadWholeFile(const Text& path, std::vector<uint8_t>& out) {
  ++wholeFileReads;
  out.clear();
  Text n = Normalize(path);
  auto it = nodes_.find(Key(n));
  if (it == nodes_.end()) return ParentIsFolder(n) ? winerr::kFileNotFound : winerr::kPathNotFound;
  if (it->second.folder) return winerr::kAccessDenied;
  out = it->second.data;
  return 0;
}

uint32_t FakePlatform::WriteWholeFile(const Text& path, const std::vector<uint8_t>& data) {
  Text n = Normalize(path);
  if (n.empty()) return winerr::kBadPathName;
  if (uint32_t e = WriteCheck(n)) return e;
  if (!ParentIsFolder(n)) return winerr::kPathNotFound;
  auto it = nodes_.find(Key(n));
  if (it != nodes_.end()) {
    if (it->second.folder || (it->second.attributes & fileattr::kReadOnly)) return winerr::kAccessDenied;
    it->second.data = data;
    return 0;
  }
  Node node;
  node.name = n;
  node.data = data;
  node.attributes = fileattr::kArchive;
  nodes_[Key(n)] = node;
  return 0;
}

uint32_t FakePlatform::AppendToFile(const Text& path, const void* data, size_t size) {
  Text n = Normalize(path);
  if (n.empty()) return winerr::kBadPathName;
  if (uint32_t e = WriteCheck(n)) return e;
  auto it = nodes_.find(Key(n));
  if (it == nodes_.end()) {
    if (!ParentIsFolder(n)) return winerr::kPathNotFound;
    Node node;
    node.name = n;
    node.attributes = fileattr::kArchive;
    it = nodes_.emplace(Key(n), node).first;
  }
  if (it->second.folder || (it->second.attributes & fileattr::kReadOnly)) return winerr::kAccessDenied;
  const uint8_t* p = static_cast<const uint8_t*>(data);
  it->second.data.insert(it->second.data.end(), p, p + size);
  return 0;
}

uint32_t FakePlatform::CreateEmptyFile(const Text& path) { return WriteWholeFile(path, {}); }

uint32_t FakePlatform::RemoveFile(const Text& path) {
  Text n = Normalize(path);
  if (uint32_t e = WriteCheck(n)) return e;
  auto it = nodes_.find(Key(n));
  if (it == nodes_.end()) return ParentIsFolder(n) ? winerr::kFileNotFound : winerr::kPathNotFound;
  if (it->second.folder || (it->second.attributes & fileattr::kReadOnly)) return winerr::kAccessDenied;
  nodes_.erase(it);
  return 0;
}

uint32_t FakePlatform::FileAttributes(const Text& path, uint32_t* error) {
  Text n = Normalize(path);
  auto it = nodes_.find(Key(n));
  if (it == nodes_.end()) {
    if (error) *error = ParentIsFolder(n) ? winerr::kFileNotFound : winerr::kPathNotFound;
    return fileattr::kInvalid;
  }
  if (error) *error = 0;
  uint32_t a = it->second.attributes;
  if (!it->second.folder && a == 0) a = fileattr::kNormal;
  return a;
}

uint32_t FakePlatform::SetAttributes(const Text& path, uint32_t attributes) {
  Text n = Normalize(path);
  auto f = failures_.find(Key(n));
  if (f != failures_.end()) return f->second;
  auto it = nodes_.find(Key(n));
  if (it == nodes_.end()) return winerr::kFileNotFound;
  if (attributes == fileattr::kNormal) attributes = 0;
  it->second.attributes = (attributes & ~fileattr::kDirectory) | (it->second.folder ? fileattr::kDirectory : 0);
  return 0;
}

bool FakePlatform::FindFirstExists(const Text& path) {
  return nodes_.count(Key(Normalize(path))) != 0;
}

uint32_t FakePlatform::ListFolder(const Text& folder, std::vector<DirEntry>& out) {
  out.clear();
  Text n = Normalize(folder);
  auto it = nodes_.find(Key(n));
  if (it != nodes_.end() && !it->second.linkTarget.empty()) {
    n = ResolveLinks(n + u"\\x");
    n.resize(n.size() - 2);
    it = nodes_.find(Key(n));
  }
  if (it == nodes_.end()) return winerr::kPathNotFound;
  if (!it->second.folder) return winerr::kDirectory;
  Text prefix = Key(n);
  if (prefix.back() != u'\\') prefix += u'\\';
  for (const auto& [key, node] : nodes_) {
    if (key.size() <= prefix.size() || !StartsWith(key, prefix)) continue;
    if (key.find(u'\\', prefix.size()) != Text::npos) continue;
    DirEntry e;
    e.name = node.name.substr(node.name.find_last_of(u'\\') + 1);
    e.attributes = node.folder ? fileattr::kDirectory | node.attributes : (node.attributes ? node.attributes : fileattr::kNormal);
    e.size = node.data.size();
    out.push_back(e);
  }
  return 0;
}

uint32_t FakePlatform::MakeTempFile(const Text& folder, const Text& prefix, Text& out) {
  Text n = Normalize(folder);
  auto it = nodes_.find(Key(n));
  if (it == nodes_.end() || !it->second.folder) return winerr::kDirectory;
  Text base = n;
  if (base.back() != u'\\') base += u'\\';
  Text name = base + prefix.substr(0, 3) + Format(u"%X.tmp", tempCounter_++);
  uint32_t e = WriteWholeFile(name, {});
  if (e) return e;
  out = name;
  return 0;
}

uint32_t FakePlatform::MakeDirectory(const Text& path) {
  ++createDirectoryCalls;
  Text n = Normalize(path);
  if (n.empty()) return winerr::kBadPathName;
  if (n.size() > 248) return winerr::kFilenameExcedRange;
  if (nodes_.count(Key(n))) return winerr::kAlreadyExists;
  if (uint32_t e = WriteCheck(n)) return e;
  if (!ParentIsFolder(n)) return winerr::kPathNotFound;
  Node node;
  node.name = n;
  node.folder = true;
  node.attributes = fileattr::kDirectory;
  nodes_[Key(n)] = node;
  return 0;
}

uint32_t FakePlatform::RemoveFolder(const Text& path) {
  Text n = Normalize(path);
  if (uint32_t e = WriteCheck(n)) return e;
  auto it = nodes_.find(Key(n));
  if (it == nodes_.end()) return ParentIsFolder(n) ? winerr::kFileNotFound : winerr::kPathNotFound;
  if (!it->second.folder) return winerr::kDirectory;
  if (!it->second.linkTarget.empty()) {
    nodes_.erase(it);
    --linkCount_;
    return 0;
  }
  std::vector<DirEntry> children;
  ListFolder(n, children);
  if (!children.empty()) return winerr::kDirNotEmpty;
  if (n.size() <= 3) return winerr::kAccessDenied;
  nodes_.erase(it);
  return 0;
}

uint32_t FakePlatform::CreateDirectoryTree(const Text& path) {
  Text n = Normalize(path);
  if (n.empty()) return winerr::kBadPathName;
  if (n.size() > 248) return winerr::kFilenameExcedRange;
  auto it = nodes_.find(Key(n));
  if (it != nodes_.end()) return it->second.folder ? winerr::kAlreadyExists : winerr::kFileExists;
  if (!DriveOf(n)) return winerr::kPathNotFound;
  std::vector<Text> chain;
  for (Text p = n; p.size() > 3; p = Parent(p)) chain.push_back(p);
  for (auto c = chain.rbegin(); c != chain.rend(); ++c) {
    auto e = nodes_.find(Key(*c));
    if (e != nodes_.end()) {
      if (!e->second.folder) return winerr::kPathNotFound;
      continue;
    }
    if (uint32_t err = MakeDirectory(*c)) return err;
  }
  return 0;
}

uint32_t FakePlatform::FullPathName(const Text& path, Text& out) {
  if (path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\') {
    out = path;  // shares pass through unchanged
    return 0;
  }
  Text n = Normalize(path);
  if (n.empty()) return winerr::kBadPathName;
  // GetFullPathNameW keeps a trailing backslash of the input.
  if (!path.empty() && (path.back() == u'\\' || path.back() == u'/') && n.back() != u'\\') n += u'\\';
  out = n;
  return 0;
}

uint32_t FakePlatform::LogicalDrives() {
  uint32_t mask = 0;
  for (const auto& [letter, d] : drives_) mask |= 1u << (letter - 'A');
  return mask;
}

uint32_t FakePlatform::DriveType(const Text& root) {
  if (root.size() < 2 || root[1] != u':') return drivetype::kNoRootDir;
  auto it = drives_.find(static_cast<char>(ToUpperChar(root[0])));
  return it == drives_.end() ? drivetype::kNoRootDir : it->second.type;
}

uint32_t FakePlatform::DiskFree(const Text& root, DiskFreeSpace& out) {
  out = DiskFreeSpace{};
  if (root.size() < 2 || root[1] != u':') return winerr::kInvalidParameter;
  auto it = drives_.find(static_cast<char>(ToUpperChar(root[0])));
  if (it == drives_.end()) return winerr::kPathNotFound;
  if (it->second.diskFreeError) return it->second.diskFreeError;
  if (it->second.type == drivetype::kCdrom && it->second.freeBytes == 0) return winerr::kNotReady;
  if (it->second.geometrySet) {
    out = it->second.geometry;
    return 0;
  }
  out.sectorsPerCluster = 8;
  out.bytesPerSector = 512;
  uint64_t clusters = it->second.freeBytes / 4096;
  out.freeClusters = clusters > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(clusters);
  out.totalClusters = out.freeClusters;
  return 0;
}

bool FakePlatform::GetEnv(const Text& name, Text& value) {
  auto it = env_.find(ToUpper(name));
  if (it == env_.end()) {
    value.clear();
    return false;
  }
  value = it->second;
  return true;
}

uint32_t FakePlatform::NewGuid(Text& out) {
  out.clear();
  if (!guids_.empty()) {
    Text next = guids_.front();
    guids_.erase(guids_.begin());
    if (next.empty()) return winerr::kAccessDenied;
    out = next;
    return 0;
  }
  out = Format(u"{00000000-0000-0000-0000-%012X}", ++guidCounter_);
  return 0;
}

class FakeReader : public IFileReader {
 public:
  FakeReader(FakePlatform& p, std::vector<uint8_t> data) : p_(p), data_(std::move(data)) {}
  uint32_t Seek(uint64_t position, uint64_t* reached) override {
    ++p_.streamSeeks;
    // Like SetFilePointerEx: any position, even behind the end, is reached.
    pos_ = position;
    if (reached) *reached = pos_;
    return 0;
  }
  uint32_t Read(void* buffer, uint32_t size, uint32_t* got) override {
    ++p_.streamReads;
    *got = 0;
    if (p_.failReadAfter_ && p_.streamBytesRead_ >= p_.failReadAfter_) return p_.failReadError_;
    uint64_t left = pos_ < data_.size() ? data_.size() - pos_ : 0;
    uint32_t n = static_cast<uint32_t>(left < size ? left : size);
    if (n) std::copy(data_.begin() + static_cast<std::ptrdiff_t>(pos_), data_.begin() + static_cast<std::ptrdiff_t>(pos_ + n), static_cast<uint8_t*>(buffer));
    pos_ += n;
    p_.streamBytesRead_ += n;
    *got = n;
    if (p_.onRead) p_.onRead(n);
    return 0;
  }
  uint32_t Size(uint64_t* size) override {
    *size = data_.size();
    return 0;
  }

 private:
  FakePlatform& p_;
  std::vector<uint8_t> data_;
  uint64_t pos_ = 0;
};

class FakeWriter : public IFileWriter {
 public:
  FakeWriter(FakePlatform& p, Text key) : p_(p), key_(std::move(key)) {}
  uint32_t Write(const void* data, uint32_t size) override {
    ++p_.streamWrites;
    if (closed_) return winerr::kInvalidHandle;
    auto it = p_.nodes_.find(key_);
    if (it == p_.nodes_.end()) return winerr::kWriteFault;
    const Drive* d = p_.DriveOf(it->second.name);
    if (d && d->freeBytes < size) return winerr::kDiskFull;
    auto& bytes = it->second.data;
    if (bytes.size() < pos_ + size) bytes.resize(static_cast<size_t>(pos_ + size));
    const uint8_t* src = static_cast<const uint8_t*>(data);
    std::copy(src, src + size, bytes.begin() + static_cast<std::ptrdiff_t>(pos_));
    pos_ += size;
    return 0;
  }
  uint32_t Flush() override {
    ++p_.streamFlushes;
    return closed_ ? winerr::kInvalidHandle : 0;
  }
  uint32_t Seek(uint64_t position) override {
    if (closed_) return winerr::kInvalidHandle;
    pos_ = position;
    return 0;
  }
  uint32_t Close() override {
    if (closed_) return winerr::kInvalidHandle;
    closed_ = true;
    return 0;
  }

 private:
  using Drive = FakePlatform::Drive;
  FakePlatform& p_;
  Text key_;
  uint64_t pos_ = 0;
  bool closed_ = false;
};

uint32_t FakePlatform::OpenRead(const Text& path, std::unique_ptr<IFileReader>& out) {
  out.reset();
  std::vector<uint8_t> data;
  if (uint32_t e = ReadWholeFile(path, data)) return e;
  out = std::make_unique<FakeReader>(*this, std::move(data));
  return 0;
}

uint32_t FakePlatform::CreateWrite(const Text& path, std::unique_ptr<IFileWriter>& out) {
  out.reset();
  if (uint32_t e = WriteWholeFile(path, {})) return e;
  out = std::make_unique<FakeWriter>(*this, Key(Normalize(path)));
  return 0;
}

uint32_t FakePlatform::MoveReplace(const Text& from, const Text& to) {
  Text f = Normalize(from), t = Normalize(to);
  if (uint32_t e = WriteCheck(f)) return e;
  if (uint32_t e = WriteCheck(t)) return e;
  auto it = nodes_.find(Key(f));
  if (it == nodes_.end()) return ParentIsFolder(f) ? winerr::kFileNotFound : winerr::kPathNotFound;
  if (it->second.folder) return winerr::kAccessDenied;
  if (!ParentIsFolder(t)) return winerr::kPathNotFound;
  auto old = nodes_.find(Key(t));
  if (old != nodes_.end() && (old->second.folder || (old->second.attributes & fileattr::kReadOnly)))
    return winerr::kAccessDenied;
  Node node = it->second;
  node.name = t;
  nodes_.erase(it);
  nodes_[Key(t)] = node;
  return 0;
}

Text FakePlatform::ErrorText(uint32_t code) {
  switch (code) {
    case 0: return u"The operation completed successfully.\r\n";
    case 2: return u"The system cannot find the file specified.\r\n";
    case 3: return u"The system cannot find the path specified.\r\n";
    case 5: return u"Access is denied.\r\n";
    default: return Format(u"Error %u.\r\n", code);
  }
}

// ---- system information ------------------------------------------------------

FakePlatform::Drive* FakePlatform::FindDrive(char letter) {
  auto it = drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
  return it == drives_.end() ? nullptr : &it->second;
}

void FakePlatform::SetVolumeFileSystem(char letter, const Text& name) {
  if (Drive* d = FindDrive(letter)) d->fileSystem = name;
}

void FakePlatform::SetDriveTotal(char letter, uint64_t totalBytes) {
  if (Drive* d = FindDrive(letter)) {
    d->totalSet = true;
    d->totalBytes = totalBytes;
  }
}

void FakePlatform::FailDiskFreeEx(char letter, uint32_t error) {
  if (Drive* d = FindDrive(letter)) d->diskFreeExError = error;
}

void FakePlatform::FailDiskFree(char letter, uint32_t error) {
  if (Drive* d = FindDrive(letter)) d->diskFreeError = error;
}

void FakePlatform::SetDiskFreeGeometry(char letter, const DiskFreeSpace& space) {
  if (Drive* d = FindDrive(letter)) {
    d->geometrySet = true;
    d->geometry = space;
  }
}

uint32_t FakePlatform::VolumeFileSystemName(const Text& root, Text& out) {
  out.clear();
  if (root.size() < 2 || root[1] != u':') return winerr::kInvalidName;
  auto it = drives_.find(static_cast<char>(ToUpperChar(root[0])));
  if (it == drives_.end()) return winerr::kPathNotFound;
  if (it->second.type == drivetype::kCdrom && it->second.freeBytes == 0) return winerr::kNotReady;
  if (it->second.fileSystem.empty()) return winerr::kInvalidFunction;
  out = it->second.fileSystem;
  return 0;
}

uint32_t FakePlatform::DiskFreeEx(const Text& root, DiskFreeSpaceEx& out) {
  out = DiskFreeSpaceEx{};
  if (root.size() < 2 || root[1] != u':') return winerr::kInvalidParameter;
  auto it = drives_.find(static_cast<char>(ToUpperChar(root[0])));
  if (it == drives_.end()) return winerr::kPathNotFound;
  const Drive& d = it->second;
  if (d.diskFreeExError) return d.diskFreeExError;
  if (d.type == drivetype::kCdrom && d.freeBytes == 0) return winerr::kNotReady;
  out.freeToCaller = d.freeBytes;
  out.totalFreeBytes = d.freeBytes;
  out.totalBytes = d.totalSet ? d.totalBytes : d.freeBytes;
  return 0;
}

Text FakePlatform::LocaleEnglishLanguageName(uint32_t lcid) {
  auto it = localeNames_.find(lcid);
  return it == localeNames_.end() ? Text() : it->second;
}

// ---- registry ------------------------------------------------------------------

std::vector<int> FakePlatform::RegWriteViews(RegView view) const {
  if (view == RegView::kDefault) return {32, 64};
  return {static_cast<int>(view)};
}

std::map<int, FakePlatform::RegKeyMap>::iterator FakePlatform::RegViewOf(RegView view) {
  if (view == RegView::kDefault) view = processView_;
  return registry_.find(static_cast<int>(view));
}

void FakePlatform::AddRegistryKey(RegRoot root, const Text& key, RegView view) {
  for (int v : RegWriteViews(view)) registry_[v][{static_cast<int>(root), ToUpper(key)}];
}

void FakePlatform::SetRegistryValue(RegRoot root, const Text& key, const Text& name, const RegistryValue& value,
                                    RegView view) {
  for (int v : RegWriteViews(view)) registry_[v][{static_cast<int>(root), ToUpper(key)}][ToUpper(name)] = value;
}

void FakePlatform::SetRegistryString(RegRoot root, const Text& key, const Text& name, const Text& value,
                                     RegView view) {
  RegistryValue v;
  v.type = regtype::kString;
  for (char16_t c : value) {
    v.data.push_back(static_cast<uint8_t>(c & 0xFF));
    v.data.push_back(static_cast<uint8_t>(c >> 8));
  }
  v.data.push_back(0);
  v.data.push_back(0);
  SetRegistryValue(root, key, name, v, view);
}

void FakePlatform::SetRegistryDword(RegRoot root, const Text& key, const Text& name, uint32_t value, RegView view) {
  RegistryValue v;
  v.type = regtype::kDword;
  for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<uint8_t>(value >> (8 * i)));
  SetRegistryValue(root, key, name, v, view);
}

void FakePlatform::SetRegistryQword(RegRoot root, const Text& key, const Text& name, uint64_t value, RegView view) {
  RegistryValue v;
  v.type = regtype::kQword;
  for (int i = 0; i < 8; ++i) v.data.push_back(static_cast<uint8_t>(value >> (8 * i)));
  SetRegistryValue(root, key, name, v, view);
}

const std::map<Text, RegistryValue>* FakePlatform::FindRegKey(RegRoot root, const Text& key, RegView view) {
  auto v = RegViewOf(view);
  if (v == registry_.end()) return nullptr;
  Text k = ToUpper(key);
  while (!k.empty() && k.back() == u'\\') k.pop_back();
  auto it = v->second.find({static_cast<int>(root), k});
  if (it != v->second.end()) return &it->second;
  // A key exists when a key below it does.
  Text prefix = k + u"\\";
  for (const auto& [id, values] : v->second)
    if (id.first == static_cast<int>(root) && StartsWith(id.second, prefix)) {
      static const std::map<Text, RegistryValue> kNoValues;
      return &kNoValues;
    }
  return nullptr;
}

uint32_t FakePlatform::OpenRegistryKey(RegRoot root, const Text& key, RegView view) {
  ++registryKeyOpens;
  return FindRegKey(root, key, view) ? 0 : winerr::kFileNotFound;
}

uint32_t FakePlatform::ReadRegistryValue(RegRoot root, const Text& key, const Text& name, RegView view,
                                         RegistryValue& out, size_t maxBytes) {
  ++registryKeyOpens;
  out = RegistryValue{};
  const auto* values = FindRegKey(root, key, view);
  if (!values) return winerr::kFileNotFound;
  auto it = values->find(ToUpper(name));
  if (it == values->end()) return winerr::kFileNotFound;
  if (maxBytes != 0 && it->second.data.size() > maxBytes) return winerr::kMoreData;
  out = it->second;
  return 0;
}

uint32_t FakePlatform::FileModifiedTime(const Text& path, LocalTime& out) {
  const Text k = Key(Normalize(path));
  auto it = nodes_.find(k);
  if (it == nodes_.end()) return winerr::kFileNotFound;
  auto m = modified_.find(k);
  out = m != modified_.end() ? m->second : time_;
  return 0;
}

uint32_t FakePlatform::ProbeReadWrite(const Text& path) {
  const Text n = Normalize(path);
  auto f = failures_.find(Key(n));
  if (f != failures_.end()) return f->second;
  auto it = nodes_.find(Key(n));
  if (it == nodes_.end()) return ParentIsFolder(n) ? winerr::kFileNotFound : winerr::kPathNotFound;
  if (it->second.folder || (it->second.attributes & fileattr::kReadOnly)) return winerr::kAccessDenied;
  if (const uint32_t e = WriteCheck(n)) return e;
  return 0;
}

void FakePlatform::SetFileVersion(const Text& path, uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
  FileVersionEntry& e = fileVersions_[Key(Normalize(path))];
  e.error = 0;
  e.parts[0] = a;
  e.parts[1] = b;
  e.parts[2] = c;
  e.parts[3] = d;
}

void FakePlatform::FailFileVersion(const Text& path, uint32_t error) {
  FileVersionEntry& e = fileVersions_[Key(Normalize(path))];
  e = FileVersionEntry{};
  e.error = error;
}

uint32_t FakePlatform::FileVersion(const Text& path, uint16_t parts[4]) {
  for (int i = 0; i < 4; ++i) parts[i] = 0;
  auto it = fileVersions_.find(Key(Normalize(path)));
  if (it == fileVersions_.end()) return winerr::kNotSupported;
  if (it->second.error) return it->second.error;
  if (!IsFile(path)) return winerr::kResourceTypeNotFound;
  for (int i = 0; i < 4; ++i) parts[i] = it->second.parts[i];
  return 0;
}

}  // namespace tovu::test
