// CExtractor on the in-memory platform: containers are built in the test,
// appended to a few frame bytes, and read back in both modes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "container/extractor.h"
#include "fakes/fake_platform.h"
#include "log/log_file.h"
#include "support/test_support.h"

namespace tovu {
namespace {

using test::Le32Bytes;

using test::Escape;
using test::FakePlatform;

constexpr char16_t kExe[] = u"C:\\Package\\Package.exe";
constexpr char16_t kTarget[] = u"C:\\T\\";
constexpr uint32_t kChunk = 0x500000;

std::string U8(const Text& t) { return ToUtf8(t); }

std::string Utf16Bytes(const Text& t) { return test::Utf16Le(t, false); }

std::string Le16Bytes(uint16_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

// Bytes that differ from entry to entry and from position to position.
std::string Pattern(size_t size, unsigned seed) {
  std::string s(size, '\0');
  uint32_t x = 0x9E3779B9u * (seed + 1);
  for (size_t i = 0; i < size; ++i) {
    x = x * 1664525u + 1013904223u;
    s[i] = static_cast<char>(x >> 24);
  }
  return s;
}

// Frame bytes followed by container entries (or raw bytes for damaged ones).
class ContainerBuilder {
 public:
  explicit ContainerBuilder(std::string frame = "MZ" + std::string(998, 'F')) : bytes_(std::move(frame)) {
    start_ = bytes_.size();
  }
  ContainerBuilder& Entry(const Text& name, uint16_t type, const std::string& data,
                          const Text& marker = kEntryMarker) {
    bytes_ += Utf16Bytes(marker);
    bytes_ += Le32Bytes(static_cast<uint32_t>(name.size() * 2));
    bytes_ += Utf16Bytes(name);
    bytes_ += Le32Bytes(static_cast<uint32_t>(data.size()));
    bytes_ += Le16Bytes(type);
    dataAt_.push_back(bytes_.size());
    bytes_ += data;
    return *this;
  }
  ContainerBuilder& Raw(const std::string& raw) {
    bytes_ += raw;
    return *this;
  }
  // Drops bytes at the end (to cut an entry short).
  ContainerBuilder& Cut(size_t count) {
    bytes_.resize(bytes_.size() - count);
    return *this;
  }
  const std::string& Bytes() const { return bytes_; }
  int32_t Start() const { return static_cast<int32_t>(start_); }
  // Where the data of the n-th entry added with Entry begins.
  size_t DataAt(size_t n) const { return dataAt_.at(n); }

 private:
  std::string bytes_;
  size_t start_ = 0;
  std::vector<size_t> dataAt_;
};

std::string Marker() { return Utf16Bytes(kEntryMarker); }

// Keeps the lines the reader writes (level, function, text).
class RecordingLog : public CLogFile {
 public:
  explicit RecordingLog(IPlatform& p) : CLogFile(p) {}
  int WriteLogText(int level, TextView function, const Text& message) override {
    lines.push_back(std::to_string(level) + "|" + U8(Text(function)) + "|" + U8(message));
    return 0;
  }
  std::vector<std::string> lines;
};

class FakeWindow : public IProgressWindow {
 public:
  bool Exists() override {
    ++existsCalls;
    return exists;
  }
  void PostProgress(uintptr_t wParam, intptr_t lParam) override {
    ++posts;
    if (wParam != 1 || lParam != 0) ++badPosts;
  }
  void SendLog(const LogRelayRecord& r) override {
    records.push_back(r);
    // What the window's handler writes: the text as the format, the
    // argument as its single argument.
    lines.push_back(std::to_string(r.level) + "|" + U8(r.function) + "|" + U8(Format(r.text, r.argument)));
  }
  bool exists = true;
  int existsCalls = 0;
  int posts = 0;
  int badPosts = 0;
  std::vector<LogRelayRecord> records;
  std::vector<std::string> lines;
};

std::string EofLine(uint32_t actualRead) {
  return "11|ExtractFile|Reached EOF : C:\\Package\\Package.exe \n FileSize : 76, ActualRead : " +
         std::to_string(actualRead) + " Last Return code : 0";
}
const std::string kFooter = "11|ExtractFile|Reading footer information";
std::string Extracting(const std::string& path) { return "8|ExtractFile|Extracting file : " + path; }
std::string Closing(const std::string& path) { return "8|ExtractFile|Closing file : " + path; }

struct Item {
  Text name;
  uint16_t type;
  std::string data;
};

// The entries of a typical package, smaller.
std::vector<Item> TypicalItems() {
  return {{u"Properties_Tovu.ini", 200, Pattern(4712, 1)},
          {u"Defaultx.ulf", 200, Pattern(450, 2)},
          {u"750TopImage.PNG", 200, Pattern(8728, 3)},
          {u"750BottomImage.PNG", 200, Pattern(1164, 4)},
          {u"WebCab1", 100, Pattern(200000, 5)}};
}

class ExtractorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_bAbortExtraction = 0;
    fake.AddFolder(u"C:\\T");
    fake.onRead = [this](uint32_t got) { bytesRead += got; };
  }
  void TearDown() override { g_bAbortExtraction = 0; }

  void Install(const ContainerBuilder& c) { fake.AddFile(kExe, c.Bytes()); }
  int Run(int mode, int32_t start, uint32_t chunk = kChunk, const Text& target = kTarget) {
    CExtractor reader(fake, log);
    return reader.ExtractFile(kExe, target, mode, start, chunk);
  }
  int RunWithWindow(IProgressWindow* w, int32_t total, int mode, int32_t start, uint32_t chunk = kChunk,
                    const Text& target = kTarget) {
    CExtractor reader(fake, log, w, total);
    return reader.ExtractFile(kExe, target, mode, start, chunk);
  }
  std::vector<Text> Written() const {
    std::vector<Text> out;
    for (const Text& p : fake.ListAll(u"C:\\T"))
      if (p.back() != u'\\') out.push_back(p);
    return out;
  }

  FakePlatform fake;
  RecordingLog log{fake};
  FakeWindow window;
  uint64_t bytesRead = 0;
};

// ---- the two modes on a typical layout ------------------------------------

TEST_F(ExtractorTest, SettingsModeWritesTheSettingsEntriesAndStopsAtTheCabinetHeader) {
  ContainerBuilder c;
  const auto items = TypicalItems();
  for (const Item& i : items) c.Entry(i.name, i.type, i.data);
  Install(c);
  // Reading one byte of the cabinet data would fail the call.
  const uint64_t throughCabinetHeader = c.DataAt(4) - static_cast<size_t>(c.Start());
  fake.FailReadsAfter(throughCabinetHeader, winerr::kReadFault);

  EXPECT_EQ(Run(EXTRACT_MODE_SETTINGS, c.Start()), 0);

  for (size_t n = 0; n < 4; ++n)
    EXPECT_EQ(fake.FileBytes(Text(kTarget) + items[n].name), items[n].data) << U8(items[n].name);
  EXPECT_FALSE(fake.IsFile(u"C:\\T\\WebCab1"));
  EXPECT_EQ(Written().size(), 4u);
  EXPECT_EQ(bytesRead, throughCabinetHeader);

  std::vector<std::string> expected;
  for (size_t n = 0; n < 4; ++n) {
    const std::string out = "C:\\T\\" + U8(items[n].name);
    expected.insert(expected.end(), {kFooter, Extracting(out), Closing(out)});
  }
  expected.push_back(kFooter);
  EXPECT_EQ(log.lines, expected);
}

TEST_F(ExtractorTest, CabinetModeSeeksOverSettingsEntriesAndWritesOnlyTheCabinet) {
  ContainerBuilder c;
  const auto items = TypicalItems();
  size_t settingsBytes = 0;
  for (const Item& i : items) {
    c.Entry(i.name, i.type, i.data);
    if (i.type == 200) settingsBytes += i.data.size();
  }
  Install(c);
  const int32_t total = static_cast<int32_t>(c.Bytes().size());

  EXPECT_EQ(RunWithWindow(&window, total, EXTRACT_MODE_CABINET, c.Start()), 0);

  EXPECT_EQ(Written(), std::vector<Text>{u"C:\\T\\WebCab1"});
  EXPECT_EQ(fake.FileBytes(u"C:\\T\\WebCab1"), items[4].data);
  // Settings data is passed over with seeks (one to the start, one per
  // settings entry), never read.
  EXPECT_EQ(fake.streamSeeks, 5);
  EXPECT_EQ(bytesRead, c.Bytes().size() - static_cast<size_t>(c.Start()) - settingsBytes);

  EXPECT_TRUE(log.lines.empty());
  const std::vector<std::string> expected = {
      kFooter, kFooter, kFooter, kFooter, kFooter, Extracting("C:\\T\\WebCab1"), Closing("C:\\T\\WebCab1"),
      kFooter, EofLine(0)};
  EXPECT_EQ(window.lines, expected);
  for (const LogRelayRecord& r : window.records) {
    EXPECT_EQ(U8(r.function), "ExtractFile");
    EXPECT_TRUE(r.argument.empty());
  }
}

TEST_F(ExtractorTest, OrderOfEntryTypesDecidesWhatEachModeWrites) {
  ContainerBuilder c;
  c.Entry(u"s1.ini", 200, "one").Entry(u"cab1", 100, "CAB-1").Entry(u"s2.ini", 200, "two").Entry(u"cab2", 100, "CAB-2");
  Install(c);

  EXPECT_EQ(Run(EXTRACT_MODE_SETTINGS, c.Start()), 0);
  EXPECT_EQ(Written(), std::vector<Text>{u"C:\\T\\s1.ini"});

  EXPECT_EQ(RunWithWindow(nullptr, 0, EXTRACT_MODE_CABINET, c.Start()), 0);
  EXPECT_EQ(Written(), (std::vector<Text>{u"C:\\T\\cab1", u"C:\\T\\cab2", u"C:\\T\\s1.ini"}));
  EXPECT_EQ(fake.FileBytes(u"C:\\T\\cab2"), "CAB-2");
}

// ---- the log lines as the file receives them ------------------------------

TEST_F(ExtractorTest, SettingsModeLinesReachTheLogFileWithTheirLineBreak) {
  ContainerBuilder c;
  c.Entry(u"a.ini", 200, "abc");
  Install(c);
  fake.AddFolder(u"C:\\Logs");
  CBuildLogFile file(fake);
  file.InitLogFile(u"C:\\Logs\\x.log", 11);
  CExtractor reader(fake, file);
  EXPECT_EQ(reader.ExtractFile(kExe, kTarget, EXTRACT_MODE_SETTINGS, c.Start(), kChunk), 0);

  const std::string head = "09:05:04|          |ExtractFile" + std::string(24, ' ') + " |";
  const std::string expected = head + "Reading footer information\r\n" +             //
                               head + "Extracting file : C:\\T\\a.ini\r\n" +          //
                               head + "Closing file : C:\\T\\a.ini\r\n" +             //
                               head + "Reading footer information\r\n" +             //
                               head + "Reached EOF : C:\\Package\\Package.exe \r\n" +  //
                               " FileSize : 76, ActualRead : 0 Last Return code : 0\r\n";
  EXPECT_EQ(Escape(fake.FileBytes(u"C:\\Logs\\x.log")), Escape(expected));

  // Under the normal threshold the detail lines are left out.
  fake.RemoveFile(u"C:\\Logs\\x.log");
  file.InitLogFile(u"C:\\Logs\\x.log", 9);
  EXPECT_EQ(reader.ExtractFile(kExe, kTarget, EXTRACT_MODE_SETTINGS, c.Start(), kChunk), 0);
  EXPECT_EQ(Escape(fake.FileBytes(u"C:\\Logs\\x.log")),
            Escape(head + "Extracting file : C:\\T\\a.ini\r\n" + head + "Closing file : C:\\T\\a.ini\r\n"));
}

TEST_F(ExtractorTest, LinesGoToTheLogInSettingsModeAndOtherwiseOnlyToAnExistingWindow) {
  ContainerBuilder c;
  c.Entry(u"s.ini", 200, "s").Entry(u"cab", 100, "c");
  Install(c);
  enum class Win { None, Gone, Present };
  struct Case {
    int mode;
    Win win;
    bool toLog;
    bool toWindow;
  };
  const Case cases[] = {
      {EXTRACT_MODE_SETTINGS, Win::None, true, false},    {EXTRACT_MODE_SETTINGS, Win::Present, true, false},
      {EXTRACT_MODE_CABINET, Win::None, false, false},    {EXTRACT_MODE_CABINET, Win::Gone, false, false},
      {EXTRACT_MODE_CABINET, Win::Present, false, true},
  };
  for (const Case& k : cases) {
    log.lines.clear();
    FakeWindow w;
    w.exists = k.win == Win::Present;
    EXPECT_EQ(RunWithWindow(k.win == Win::None ? nullptr : &w, 0, k.mode, c.Start()), 0);
    const std::string what = "mode " + std::to_string(k.mode) + " window " + std::to_string(static_cast<int>(k.win));
    EXPECT_EQ(!log.lines.empty(), k.toLog) << what;
    EXPECT_EQ(!w.lines.empty(), k.toWindow) << what;
    if (k.win == Win::Gone) {
      EXPECT_GT(w.existsCalls, 0) << what;
    }
  }
}

TEST_F(ExtractorTest, RelayedTextKeepsAPercentSignOfThePath) {
  ContainerBuilder c;
  c.Entry(u"cab", 100, "c");
  Install(c);
  fake.AddFolder(u"C:\\100%s");
  EXPECT_EQ(RunWithWindow(&window, 0, EXTRACT_MODE_CABINET, c.Start(), kChunk, u"C:\\100%s\\"), 0);
  EXPECT_EQ(fake.FileBytes(u"C:\\100%s\\cab"), "c");
  ASSERT_GE(window.lines.size(), 3u);
  EXPECT_EQ(window.lines[1], Extracting("C:\\100%s\\cab"));
  EXPECT_EQ(window.lines[2], Closing("C:\\100%s\\cab"));
}

// ---- failures ---------------------------------------------------------------

TEST_F(ExtractorTest, FailuresToOpenSeekOrCreateAreLoggedAtLevelZero) {
  struct Case {
    const char* what;
    std::function<void(FakePlatform&)> shape;
    Text source;
    Text target;
    int32_t start;  // -1000: the container start
    std::string lastLine;
    std::vector<Text> written;
  };
  const Case cases[] = {
      {"missing executable", {}, u"C:\\Package\\Missing.exe", kTarget, -1000,
       "0|ExtractFile|Error opening file : C:\\Package\\Missing.exe Error code : 2 ", {}},
      {"negative start offset", {}, kExe, kTarget, -5,
       "0|ExtractFile|Error seeking file : C:\\Package\\Package.exe  to : -5 Error code : 131", {}},
      {"missing target folder", {}, kExe, u"C:\\Nope\\", -1000,
       "0|ExtractFile|Error creating file : C:\\Nope\\a.ini Error code : 3 ", {}},
      {"second output refused", [](FakePlatform& f) { f.FailPath(u"C:\\T\\b.ini", winerr::kAccessDenied); }, kExe,
       kTarget, -1000, "0|ExtractFile|Error creating file : C:\\T\\b.ini Error code : 5 ", {u"C:\\T\\a.ini"}},
  };
  for (const Case& k : cases) {
    FakePlatform f;
    f.AddFolder(u"C:\\T");
    ContainerBuilder c;
    c.Entry(u"a.ini", 200, "AAA").Entry(u"b.ini", 200, "BBB");
    f.AddFile(kExe, c.Bytes());
    if (k.shape) k.shape(f);
    RecordingLog l(f);
    CExtractor reader(f, l);
    EXPECT_EQ(reader.ExtractFile(k.source, k.target, EXTRACT_MODE_SETTINGS, k.start == -1000 ? c.Start() : k.start,
                                 kChunk),
              -1)
        << k.what;
    ASSERT_FALSE(l.lines.empty()) << k.what;
    EXPECT_EQ(l.lines.back(), k.lastLine) << k.what;
    std::vector<Text> written;
    for (const Text& p : f.ListAll(u"C:\\T"))
      if (p.back() != u'\\') written.push_back(p);
    EXPECT_EQ(written, k.written) << k.what;
  }
}

TEST_F(ExtractorTest, ReadFailureInsideAnEntryGivesTheSystemTextAndMinusOne) {
  ContainerBuilder c;
  const std::string data = Pattern(1000, 7);
  c.Entry(u"WebCab1", 200, data).Entry(u"later.ini", 200, "later");
  Install(c);
  const uint64_t header = c.DataAt(0) - static_cast<size_t>(c.Start());
  fake.FailReadsAfter(header + 250, winerr::kAccessDenied);  // the fourth chunk of 100 fails

  EXPECT_EQ(Run(EXTRACT_MODE_SETTINGS, c.Start(), 100), -1);

  EXPECT_EQ(fake.FileBytes(u"C:\\T\\WebCab1"), data.substr(0, 300));
  EXPECT_FALSE(fake.IsFile(u"C:\\T\\later.ini"));
  const std::vector<std::string> expected = {kFooter, Extracting("C:\\T\\WebCab1"), "0|ExtractFile|Access is denied."};
  EXPECT_EQ(log.lines, expected);
}

TEST_F(ExtractorTest, DamagedHeadersEndTheReadingWithOneErrorLineAndNothingWritten) {
  const std::string name20 = Utf16Bytes(u"abcdefghij");
  struct Case {
    const char* what;
    std::string tail;  // behind a good entry "a.ini"
  };
  const Case cases[] = {
      {"name length 1024", Marker() + Le32Bytes(1024) + std::string(1024, 'A') + Le32Bytes(3) + Le16Bytes(200) + "xyz"},
      {"name length 2000", Marker() + Le32Bytes(2000) + std::string(2000, 'B') + Le32Bytes(3) + Le16Bytes(200) + "xyz"},
      {"name length 0xFFFFFFFF", Marker() + Le32Bytes(0xFFFFFFFFu) + std::string(300, 'C')},
      {"name length 0", Marker() + Le32Bytes(0) + Le32Bytes(3) + Le16Bytes(200) + "xyz"},
      {"odd name length", Marker() + Le32Bytes(7) + std::string(7, 'D') + Le32Bytes(3) + Le16Bytes(200) + "xyz"},
      {"header cut inside the name length", Marker() + std::string(2, '\x14')},
      {"header cut inside the name", Marker() + Le32Bytes(20) + name20.substr(0, 7)},
      {"header cut inside size and type", Marker() + Le32Bytes(20) + name20 + std::string(5, '\x01')},
      {"name with a folder part", Marker() + Le32Bytes(16) + Utf16Bytes(u"..\\x.ini") + Le32Bytes(3) +
                                      Le16Bytes(200) + "xyz"},
      {"name of dots", Marker() + Le32Bytes(4) + Utf16Bytes(u"..") + Le32Bytes(3) + Le16Bytes(200) + "xyz"},
      {"name with a drive", Marker() + Le32Bytes(14) + Utf16Bytes(u"D:x.ini") + Le32Bytes(3) + Le16Bytes(200) + "xyz"},
  };
  for (const Case& k : cases) {
    FakePlatform f;
    f.AddFolder(u"C:\\T");
    ContainerBuilder c;
    c.Entry(u"a.ini", 200, "AAA").Raw(k.tail);
    f.AddFile(kExe, c.Bytes());
    const std::vector<Text> before = f.ListAll();
    RecordingLog l(f);
    CExtractor reader(f, l);
    EXPECT_EQ(reader.ExtractFile(kExe, kTarget, EXTRACT_MODE_SETTINGS, c.Start(), kChunk), -1) << k.what;
    int errors = 0;
    for (const std::string& line : l.lines) errors += line.rfind("0|", 0) == 0;
    EXPECT_EQ(errors, 1) << k.what;
    EXPECT_EQ(l.lines.back().rfind("0|ExtractFile|", 0), 0u) << k.what << ": " << l.lines.back();
    std::vector<Text> after = f.ListAll();
    std::vector<Text> expected = before;
    expected.push_back(u"C:\\T\\a.ini");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(after, expected) << k.what;
    EXPECT_EQ(f.FileBytes(u"C:\\T\\a.ini"), "AAA") << k.what;
  }
}

// ---- edge cases of the layout -------------------------------------------

TEST_F(ExtractorTest, LayoutEdgeCases) {
  const std::string lower = Utf16Bytes(u"{20726377-9f91-41b8-b514-20ae00aa235d}");
  struct Case {
    const char* what;
    std::function<void(ContainerBuilder&)> build;
    uint32_t chunk;
    Text target;
    int32_t start;  // -1: the container start
    std::map<Text, std::string> files;  // every file written, with its bytes
    std::string lastLine;
  };
  const std::string d64 = Pattern(64, 11), d192 = Pattern(192, 12), d65 = Pattern(65, 13), d1000 = Pattern(1000, 14);
  const Text name511(511, u'n');
  const Case cases[] = {
      {"last entry ends at the end of the file", [](ContainerBuilder& c) { c.Entry(u"a.ini", 200, "abc"); }, kChunk,
       kTarget, -1, {{u"C:\\T\\a.ini", "abc"}}, EofLine(0)},
      {"data size equals the chunk size", [&](ContainerBuilder& c) { c.Entry(u"a.bin", 200, d64); }, 64, kTarget,
       -1, {{u"C:\\T\\a.bin", d64}}, EofLine(0)},
      {"data size three chunks", [&](ContainerBuilder& c) { c.Entry(u"a.bin", 200, d192); }, 64, kTarget, -1,
       {{u"C:\\T\\a.bin", d192}}, EofLine(0)},
      {"data size one above the chunk size", [&](ContainerBuilder& c) { c.Entry(u"a.bin", 200, d65); }, 64, kTarget,
       -1, {{u"C:\\T\\a.bin", d65}}, EofLine(0)},
      {"chunk size far above the container", [&](ContainerBuilder& c) { c.Entry(u"a.bin", 200, d1000); },
       0xFFFFFFFFu, kTarget, -1, {{u"C:\\T\\a.bin", d1000}}, EofLine(0)},
      {"entry of size 0", [](ContainerBuilder& c) { c.Entry(u"e.txt", 200, "").Entry(u"b.ini", 200, "xyz"); },
       kChunk, kTarget, -1, {{u"C:\\T\\e.txt", ""}, {u"C:\\T\\b.ini", "xyz"}}, EofLine(0)},
      {"target folder without trailing backslash", [](ContainerBuilder& c) { c.Entry(u"a.ini", 200, "abc"); },
       kChunk, u"C:\\T", -1, {{u"C:\\Ta.ini", "abc"}}, EofLine(0)},
      {"lower-case marker", [&](ContainerBuilder& c) { c.Entry(u"a.ini", 200, "abc", Text(u"{20726377-9f91-41b8-b514-20ae00aa235d}")); },
       kChunk, kTarget, -1, {}, "8|ExtractFile|Attached files are extracted"},
      {"start offset 0 on an unpackaged frame", [](ContainerBuilder& c) { c.Entry(u"a.ini", 200, "abc"); }, kChunk,
       kTarget, 0, {}, "8|ExtractFile|Attached files are extracted"},
      {"entry data cut short",
       [&](ContainerBuilder& c) { c.Entry(u"a.ini", 200, "hello").Entry(u"b.bin", 200, d1000).Cut(700); }, 100,
       kTarget, -1, {{u"C:\\T\\a.ini", "hello"}, {u"C:\\T\\b.bin", d1000.substr(0, 300)}}, EofLine(0)},
      {"fewer than 76 bytes behind the last entry",
       [](ContainerBuilder& c) { c.Entry(u"a.ini", 200, "abc").Raw(std::string(10, 'z')); }, kChunk, kTarget, -1,
       {{u"C:\\T\\a.ini", "abc"}}, EofLine(10)},
      {"signature block behind the last entry",
       [](ContainerBuilder& c) {
         c.Entry(u"a.ini", 200, "abc").Raw(std::string(3, '\0') + Le32Bytes(200) + Le16Bytes(0x200) +
                                           Le16Bytes(2) + Pattern(192, 3));
       },
       kChunk, kTarget, -1, {{u"C:\\T\\a.ini", "abc"}}, "8|ExtractFile|Attached files are extracted"},
      {"lower-case marker behind a good entry",
       [&](ContainerBuilder& c) { c.Entry(u"a.ini", 200, "abc").Raw(lower); }, kChunk, kTarget, -1,
       {{u"C:\\T\\a.ini", "abc"}}, "8|ExtractFile|Attached files are extracted"},
      {"start offset behind the end of the file", [](ContainerBuilder& c) { c.Entry(u"a.ini", 200, "abc"); }, kChunk,
       kTarget, 1 << 30, {}, EofLine(0)},
      {"name of 511 characters", [&](ContainerBuilder& c) { c.Entry(name511, 200, "long"); }, kChunk, kTarget, -1,
       {{Text(kTarget) + name511, "long"}}, EofLine(0)},
  };
  for (const Case& k : cases) {
    FakePlatform f;
    f.AddFolder(u"C:\\T");
    ContainerBuilder c;
    k.build(c);
    f.AddFile(kExe, c.Bytes());
    RecordingLog l(f);
    CExtractor reader(f, l);
    EXPECT_EQ(reader.ExtractFile(kExe, k.target, EXTRACT_MODE_SETTINGS, k.start < 0 ? c.Start() : k.start, k.chunk), 0)
        << k.what;
    std::map<Text, std::string> files;
    for (const Text& p : f.ListAll())
      if (p.back() != u'\\' && p != kExe) files[p] = f.FileBytes(p);
    EXPECT_EQ(files.size(), k.files.size()) << k.what;
    for (const auto& [path, bytes] : k.files) {
      EXPECT_TRUE(f.IsFile(path)) << k.what << ": " << U8(path);
      EXPECT_EQ(f.FileBytes(path), bytes) << k.what << ": " << U8(path);
    }
    ASSERT_FALSE(l.lines.empty()) << k.what;
    EXPECT_EQ(l.lines.back(), k.lastLine) << k.what;
    for (const auto& [path, bytes] : k.files) {
      bool closed = false;
      for (const std::string& line : l.lines) closed |= line == Closing(U8(path));
      EXPECT_TRUE(closed) << k.what << ": " << U8(path);
    }
  }
}

// ---- progress -------------------------------------------------------------

TEST_F(ExtractorTest, ProgressIsPostedPerHundredthOfTheContainer) {
  // 1,000 frame bytes, one cabinet entry: a 100-byte header and 10,000 bytes
  // of data. The container is 10,100 bytes, so a hundredth is 101 bytes.
  ContainerBuilder c;
  c.Entry(u"WebCab1", 100, Pattern(10000, 9));
  ASSERT_EQ(c.Start(), 1000);
  ASSERT_EQ(c.Bytes().size(), 11100u);
  Install(c);
  struct Case {
    int32_t total;
    uint32_t chunk;
    int posts;
  };
  const Case cases[] = {
      {11100, 101, 99},    // every full pass of 101 bytes; the last (1 byte) posts nothing
      {11100, 50, 66},     // every third pass of 50; the excess is dropped
      {11100, 202, 49},    // one step per pass even when a pass covers two hundredths
      {11100, 10000, 1},   // one full pass, then a pass that reads 0 bytes
      {11100, 20000, 0},   // the only pass is the last one
      {101000, 101, 9},    // a hundredth of 1,000 bytes: every tenth pass
      {0, 101, 0},         // no total
      {1000, 101, 0},      // total equal to the start offset
      {500, 101, 0},       // total below the start offset
  };
  for (const Case& k : cases) {
    FakeWindow w;
    EXPECT_EQ(RunWithWindow(&w, k.total, EXTRACT_MODE_CABINET, c.Start(), k.chunk), 0);
    EXPECT_EQ(w.posts, k.posts) << "total " << k.total << " chunk " << k.chunk;
    EXPECT_EQ(w.badPosts, 0);
    EXPECT_EQ(fake.FileBytes(u"C:\\T\\WebCab1").size(), 10000u);
  }
}

TEST_F(ExtractorTest, ProgressCountRunsAcrossTheEntriesOfOneCall) {
  // Two cabinet entries of 5,000 bytes behind 88-byte headers: the
  // container is 10,176 bytes, a hundredth 101. With passes of 70 bytes the
  // first entry posts 35 steps and leaves 100 bytes counted, so the first
  // pass of the second entry posts at once: 36 more.
  ContainerBuilder c;
  c.Entry(u"A", 100, Pattern(5000, 1)).Entry(u"B", 100, Pattern(5000, 2));
  ASSERT_EQ(c.Bytes().size() - 1000, 10176u);
  Install(c);
  EXPECT_EQ(RunWithWindow(&window, static_cast<int32_t>(c.Bytes().size()), EXTRACT_MODE_CABINET, c.Start(), 70), 0);
  EXPECT_EQ(window.posts, 71);
}

// ---- abort --------------------------------------------------------------

TEST_F(ExtractorTest, AbortRequestEndsTheCallAfterTheCurrentChunk) {
  ContainerBuilder c;
  const std::string a = Pattern(1000, 21);
  c.Entry(u"A", 100, a).Entry(u"B", 100, Pattern(500, 22));
  Install(c);
  int dataReads = 0;
  int readsAfterAbort = 0;
  bool requested = false;
  fake.onRead = [&](uint32_t got) {
    if (requested) ++readsAfterAbort;
    if (got == 100 && ++dataReads == 3) {  // header reads are 76, 4, 2 and 6 bytes
      g_bAbortExtraction = 1;
      requested = true;
    }
  };

  const int result = RunWithWindow(&window, static_cast<int32_t>(c.Bytes().size()), EXTRACT_MODE_CABINET,
                                   c.Start(), 100);
  EXPECT_EQ(result, -1);
  EXPECT_EQ(g_bAbortExtraction, 0);
  // The chunk read when the request is seen is not written.
  EXPECT_EQ(fake.FileBytes(u"C:\\T\\A"), a.substr(0, 200));
  EXPECT_FALSE(fake.IsFile(u"C:\\T\\B"));
  EXPECT_EQ(readsAfterAbort, 0);
  ASSERT_FALSE(window.lines.empty());
  EXPECT_EQ(window.lines.back(), Closing("C:\\T\\A"));

  // The reader is usable again afterwards.
  fake.onRead = nullptr;
  EXPECT_EQ(RunWithWindow(&window, 0, EXTRACT_MODE_CABINET, c.Start(), 100), 0);
  EXPECT_EQ(fake.FileBytes(u"C:\\T\\A"), a);
  EXPECT_TRUE(fake.IsFile(u"C:\\T\\B"));
}

// ---- any damage -------------------------------------------------------------

// Every byte of a small package's container changed to a few values, and
// the container cut at every length: in both modes the reader ends with 0
// or -1, writes nothing outside its target folder and logs at most one
// error line.
TEST(ExtractorDamage, EveryChangedByteAndEveryCutEndsCleanly) {
  ContainerBuilder good;
  good.Entry(u"Properties_Tovu.ini", 200, Pattern(10, 31))
      .Entry(u"Defaultx.ulf", 200, Pattern(7, 32))
      .Entry(u"WebCab1", 100, Pattern(20, 33));
  const std::string& bytes = good.Bytes();
  const size_t start = static_cast<size_t>(good.Start());
  std::vector<std::pair<std::string, std::string>> variants;  // what, package bytes
  for (size_t at = start; at < bytes.size(); ++at) {
    for (int value : {0x00, 0xFF, 0x7F, (static_cast<unsigned char>(bytes[at]) ^ 0x01)}) {
      if (value == static_cast<unsigned char>(bytes[at])) continue;
      std::string damaged = bytes;
      damaged[at] = static_cast<char>(value);
      variants.emplace_back("byte " + std::to_string(at) + " = " + std::to_string(value), damaged);
    }
    variants.emplace_back("cut at " + std::to_string(at), bytes.substr(0, at));
  }
  for (const auto& [what, package] : variants) {
    for (int mode : {EXTRACT_MODE_SETTINGS, EXTRACT_MODE_CABINET}) {
      FakePlatform f;
      f.AddFolder(u"C:\\T");
      f.AddFile(kExe, package);
      RecordingLog l(f);
      CExtractor reader(f, l);
      const int result = reader.ExtractFile(kExe, kTarget, mode, good.Start(), 16);
      EXPECT_TRUE(result == 0 || result == -1) << what << ", mode " << mode << ": " << result;
      for (const Text& path : f.ListAll()) {
        if (path == kExe || path == u"C:\\" || path == u"C:\\Package\\") continue;
        EXPECT_EQ(path.rfind(kTarget, 0), 0u) << what << ", mode " << mode << ": " << U8(path);
      }
      int errors = 0;
      for (const std::string& line : l.lines) errors += line.rfind("0|", 0) == 0;
      EXPECT_LE(errors, 1) << what << ", mode " << mode;
    }
  }
}

}  // namespace
}  // namespace tovu
