// CFennockApp and the start steps of CTovuInitalizer on the in-memory
// platform: the master log, the Tovu temp folder, the unpacking of the
// settings entries, the early exits through Quit, and the clean-up at exit.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/fennock_app.h"
#include "container/extractor.h"
#include "fakes/fake_platform.h"
#include "log/log_file.h"
#include "settings/initializer.h"
#include "support/test_support.h"
#include "util/cutil.h"

namespace tovu {
namespace {

using test::Le32Bytes;

using test::FakePlatform;

constexpr char16_t kExe[] = u"C:\\Package\\Package.exe";
constexpr char16_t kMasterLog[] = u"C:\\ProgramData\\Maravel\\Automation\\Logfiles\\Tovu.log";
constexpr char16_t kG1[] = u"{6B29FC40-CA47-1067-B31D-00DD010662DA}";
constexpr char16_t kG2[] = u"{F0E1D2C3-B4A5-9687-7869-5A4B3C2D1E0F}";
const std::string kStartBanner =
    "############################## --------- START20260307090504 --------- ##############################\r\n";
const std::string kEndBanner = "############################## --------- End --------- ##############################\r\n";

std::string U8(const Text& t) { return ToUtf8(t); }

// The Windows route to the version record: the system's version API gives
// the container start offset of the executable.
class AppPlatform : public FakePlatform {
 public:
  bool SystemFileSubtype(const Text& path, uint32_t* subtype) override {
    if (!EqualsNoCase(path, kExe)) return false;
    *subtype = containerStart;
    return true;
  }
  uint32_t containerStart = 0;
};

struct Line {
  int level;
  std::string function;
  std::string message;
  bool operator==(const Line& o) const { return level == o.level && function == o.function && message == o.message; }
};

// Writes the lines to the file as usual and keeps them for the checks.
class RecordingLog : public CBuildLogFile {
 public:
  explicit RecordingLog(IPlatform& p) : CBuildLogFile(p) {}
  int WriteLogText(int level, TextView function, const Text& message) override {
    lines.push_back({level, U8(Text(function)), U8(message)});
    return CBuildLogFile::WriteLogText(level, function, message);
  }
  int Count(const Line& l) const { return static_cast<int>(std::count(lines.begin(), lines.end(), l)); }
  bool Has(const Line& l) const { return Count(l) > 0; }
  int CountFunction(const std::string& f) const {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const Line& l) { return l.function == f; }));
  }
  std::vector<Line> lines;
};

struct Box {
  std::string text;
  std::string caption;
  uint32_t style;
};

// Thrown by EndProcess: the process would end here with this code.
struct ProcessEnded {
  int exitCode;
};

class FakeServices : public IAppServices {
 public:
  bool StartImageLibrary(uintptr_t& token) override {
    calls.push_back("StartImageLibrary");
    token = 42;
    return true;
  }
  void ShutdownImageLibrary(uintptr_t token) override {
    calls.push_back("ShutdownImageLibrary " + std::to_string(token));
  }
  int GetUILanguage() override { return uiLanguage; }
  void ParseCommandLine(CExtractorCommandOpt& options) override {
    options.Silent = silent;
    options.Unattended = unattended;
  }
  bool CreateSingleInstance() override {
    calls.push_back("CreateSingleInstance");
    return anotherInstance;
  }
  void CloseSingleInstance() override { calls.push_back("CloseSingleInstance"); }
  bool InitializeOle() override {
    calls.push_back("InitializeOle");
    return oleWorks;
  }
  void UninitializeOle() override { calls.push_back("UninitializeOle"); }
  void LoadRichEditLibrary() override { calls.push_back("LoadRichEditLibrary"); }
  bool IsUserAdmin() override {
    calls.push_back("IsUserAdmin");
    return admin;
  }
  int ShowMessage(const Text& text, const Text& caption, uint32_t style) override {
    boxes.push_back({U8(text), U8(caption), style});
    return 1;
  }
  [[noreturn]] void EndProcess(int exitCode) override {
    calls.push_back("EndProcess " + std::to_string(exitCode));
    throw ProcessEnded{exitCode};
  }
  int Calls(const std::string& name) const { return static_cast<int>(std::count(calls.begin(), calls.end(), name)); }

  int uiLanguage = 1033;
  int silent = 0;
  int unattended = 0;
  bool anotherInstance = false;
  bool oleWorks = true;
  bool admin = true;
  std::vector<std::string> calls;
  std::vector<Box> boxes;
};

// ---- a package executable ---------------------------------------------------

std::string Utf16Bytes(const Text& t) { return test::Utf16Le(t, false); }

std::string EntryBytes(const Text& name, uint16_t type, const std::string& data) {
  return Utf16Bytes(kEntryMarker) + Le32Bytes(static_cast<uint32_t>(name.size() * 2)) + Utf16Bytes(name) +
         Le32Bytes(static_cast<uint32_t>(data.size())) + std::string{static_cast<char>(type & 0xFF), static_cast<char>(type >> 8)} +
         data;
}

struct Item {
  Text name;
  uint16_t type;
  std::string data;
};

std::vector<Item> FixturePackage() {
  return {{u"Properties_Tovu.ini", 200, Utf16Bytes(u"\uFEFF") + Utf16Bytes(FromUtf8(test::ReadTestData("package/Properties_Tovu.ini")))},
          {u"Defaultx.ulf", 200, test::ReadTestData("package/Defaultx.ulf")},
          {u"750TopImage.PNG", 200, test::ReadTestData("package/750TopImage.PNG")},
          {u"750BottomImage.PNG", 200, test::ReadTestData("package/750BottomImage.PNG")},
          {u"WebCab1", 100, test::ReadTestData("package/WebCab1.cab")}};
}

constexpr uint32_t kFrameSize = 20000;

// Everything one process of the frame holds.
struct World {
  World() {
    ResetLogCountersForTest();
    g_bAbortExtraction = 0;
    SetPlatform(&fake);
    fake.SetEnv(u"ALLUSERSPROFILE", u"C:\\ProgramData");
    fake.AddFolder(u"C:\\ProgramData");
    InstallPackage(FixturePackage());
  }
  ~World() {
    SetPlatform(nullptr);
    g_bAbortExtraction = 0;
  }
  void InstallPackage(const std::vector<Item>& items, const std::string& tail = "") {
    std::string bytes = "MZ" + std::string(kFrameSize - 2, 'F');
    for (const Item& i : items) bytes += EntryBytes(i.name, i.type, i.data);
    bytes += tail;
    fake.AddFile(kExe, bytes);
    fake.containerStart = kFrameSize;
  }
  // Folders named like a Tovu temp folder anywhere.
  std::vector<Text> TempFolders() const {
    std::vector<Text> out;
    for (const Text& p : fake.ListAll())
      if (p.find(u'{') != Text::npos) out.push_back(p);
    return out;
  }
  std::string LogText() const { return fake.FileBytes(init.GetMasterLogPath()); }
  std::string ExtractionLogText() const { return fake.FileBytes(init.GetExtractionLogPath()); }

  AppPlatform fake;
  RecordingLog log{fake};
  CUtil util{fake, log};
  CTovuInitalizer init{fake, log, util};
  FakeServices services;
  CFennockApp app{fake, log, util, init, services};
};

// ---- the Tovu temp folder -----------------------------------------------------

struct DriveSpec {
  char letter;
  uint32_t type;
  uint64_t freeBytes;
  bool readOnly = false;
};

constexpr uint64_t kBig = 1ull << 34;

void ShapeDrives(World& w, const std::vector<DriveSpec>& drives) {
  // Drive C holds the executable; it is re-added with the case's kind.
  std::string exe = w.fake.FileBytes(kExe);
  w.fake.RemoveDrive('C');
  for (const DriveSpec& d : drives) w.fake.AddDrive(d.letter, d.type, d.freeBytes, d.readOnly);
  if (w.fake.DriveType(u"C:\\") == drivetype::kNoRootDir) w.fake.AddDrive('C', drivetype::kRemote, 0);
  w.fake.AddFile(kExe, exe);
  w.fake.AddFolder(u"C:\\ProgramData");
}

TEST(FennockAppTest, TempFolderGoesToTheHighestFixedDriveWithRoom) {
  // The executable is 20,000 bytes plus its container; 16,384 free bytes are
  // too few and 1 MiB is plenty.
  struct Case {
    const char* what;
    std::vector<DriveSpec> drives;
    std::function<void(World&)> shape;
    Text folder;
  };
  const Case cases[] = {
      {"only C", {{'C', drivetype::kFixed, kBig}}, {}, Text(u"C:\\") + kG1 + u"\\"},
      {"removable, CD-ROM, remote and small drives are passed over",
       {{'C', drivetype::kFixed, kBig},
        {'D', drivetype::kFixed, kBig},
        {'E', drivetype::kRemovable, kBig},
        {'F', drivetype::kCdrom, kBig},
        {'G', drivetype::kFixed, 16384},
        {'H', drivetype::kRemote, kBig},
        {'R', drivetype::kRamdisk, kBig}},
       {},
       Text(u"D:\\") + kG1 + u"\\"},
      {"Z before C", {{'C', drivetype::kFixed, kBig}, {'Z', drivetype::kFixed, kBig}}, {}, Text(u"Z:\\") + kG1 + u"\\"},
      {"the first drive refuses the folder",
       {{'C', drivetype::kFixed, kBig}, {'D', drivetype::kFixed, kBig}},
       [](World& w) { w.fake.FailPath(Text(u"D:\\") + kG1, winerr::kAccessDenied); },
       Text(u"C:\\") + kG2 + u"\\"},
      {"the first drive is read-only",
       {{'C', drivetype::kFixed, kBig}, {'D', drivetype::kFixed, kBig, true}},
       {},
       Text(u"C:\\") + kG2 + u"\\"},
      {"a folder of that name is already there",
       {{'C', drivetype::kFixed, kBig}, {'D', drivetype::kFixed, kBig}},
       [](World& w) { w.fake.AddFolder(Text(u"D:\\") + kG1); },
       Text(u"C:\\") + kG2 + u"\\"},
  };
  for (const Case& c : cases) {
    World w;
    ShapeDrives(w, c.drives);
    w.fake.QueueGuid(kG1);
    w.fake.QueueGuid(kG2);
    if (c.shape) c.shape(w);
    EXPECT_EQ(w.init.SetTovuTempDir(), 0u) << c.what;
    EXPECT_EQ(U8(w.init.GetTovuTempDir()), U8(c.folder)) << c.what;
    EXPECT_TRUE(w.fake.IsFolder(c.folder)) << c.what;
    const std::string root = U8(c.folder.substr(0, 3));
    EXPECT_TRUE(w.log.Has({8, "SetTovuTempDir", "Searching space for extraction of Setting files"})) << c.what;
    EXPECT_TRUE(w.log.Has({8, "SetTovuTempDir", "Required Space found in Drive : " + root})) << c.what;
    EXPECT_TRUE(w.log.Has({8, "SetTovuTempDir", "Directory created : " + U8(c.folder)})) << c.what;
    EXPECT_EQ(w.log.Count({8, "SetTovuTempDir", "Required Space found in Drive : " + root}), 1) << c.what;
  }
}

TEST(FennockAppTest, TempFolderFailuresGiveTheirTexts) {
  const std::string noVolume = "Unable to find a volume with enough disk space for file extraction.";
  struct Case {
    const char* what;
    std::vector<DriveSpec> drives;
    std::function<void(World&)> shape;
    uint32_t code;
    std::string text;                   // returned for the message box
    std::vector<Line> lines;            // level-0 lines expected
  };
  const Case cases[] = {
      {"no fixed drive with room",
       {{'C', drivetype::kFixed, 16384}, {'E', drivetype::kRemovable, kBig}, {'F', drivetype::kCdrom, kBig}},
       {},
       kErrorHandleDiskFull,
       noVolume,
       {{0, "SetTovuTempDir", noVolume}, {0, "CretaeAndValidateTovuTempDir", noVolume}}},
      {"no drive at all", {}, {}, kErrorHandleDiskFull, noVolume, {{0, "CretaeAndValidateTovuTempDir", noVolume}}},
      {"access denied on every drive",
       {{'C', drivetype::kFixed, kBig, true}, {'D', drivetype::kFixed, kBig, true}},
       {},
       winerr::kAccessDenied,
       "Unable to find a volume for file extraction.\nPlease verify that you have proper permissions.",
       {{0, "CretaeAndValidateTovuTempDir",
         "Unable to find a volume for file extraction.Please verify that you have proper permissions."}}},
      {"another error",
       {{'C', drivetype::kFixed, kBig}},
       [](World& w) { w.fake.FailPath(Text(u"C:\\") + kG1, winerr::kPathNotFound); },
       winerr::kPathNotFound,
       "The system cannot find the path specified.",
       {{0, "CretaeAndValidateTovuTempDir", "Error : The system cannot find the path specified."}}},
      {"the last drive's error counts",
       {{'C', drivetype::kFixed, kBig}, {'D', drivetype::kFixed, kBig}},
       [](World& w) {
         w.fake.FailPath(Text(u"D:\\") + kG1, winerr::kPathNotFound);
         w.fake.FailPath(Text(u"C:\\") + kG2, winerr::kAccessDenied);
       },
       winerr::kAccessDenied,
       "Unable to find a volume for file extraction.\nPlease verify that you have proper permissions.",
       {}},
      {"an error without system text",
       {{'C', drivetype::kFixed, kBig}},
       [](World& w) { w.fake.FailPath(Text(u"C:\\") + kG1, winerr::kDiskFull); },
       winerr::kDiskFull,
       "Error 112.",
       {{0, "CretaeAndValidateTovuTempDir", "Error : Error 112."}}},
  };
  for (const Case& c : cases) {
    for (bool viaText : {false, true}) {
      World w;
      ShapeDrives(w, c.drives);
      w.fake.QueueGuid(kG1);
      w.fake.QueueGuid(kG2);
      if (c.shape) c.shape(w);
      if (viaText) {
        EXPECT_EQ(U8(w.init.CretaeAndValidateTovuTempDir()), c.text) << c.what;
        for (const Line& l : c.lines) EXPECT_TRUE(w.log.Has(l)) << c.what << ": " << l.message;
      } else {
        EXPECT_EQ(w.init.SetTovuTempDir(), c.code) << c.what;
      }
      EXPECT_TRUE(w.init.GetTovuTempDir().empty()) << c.what;
      EXPECT_TRUE(w.TempFolders().empty()) << c.what;
      EXPECT_EQ(w.log.CountFunction("CretaeAndValidateTovuTempDir"), viaText ? 1 : 0) << c.what;
    }
  }
}

TEST(FennockAppTest, AppFileSizeIsTheExecutableOrFourGigabytes) {
  struct Case {
    const char* what;
    Text module;
    size_t bytes;  // of the file put there (SIZE_MAX: none)
    uint64_t size;
    std::vector<Line> lines;
  };
  const Case cases[] = {
      {"20,000 bytes", u"C:\\P\\a.exe", 20000, 20000,
       {{8, "SetAppFileSize", "Opening file : C:\\P\\a.exe"},
        {8, "SetAppFileSize", "File closed successfully"},
        {8, "SetAppFileSize", "Space required for Extraction of Setting files: 19.53 KB"}}},
      {"3 MiB", u"C:\\P\\a.exe", 3u << 20, 3u << 20,
       {{8, "SetAppFileSize", "Opening file : C:\\P\\a.exe"},
        {8, "SetAppFileSize", "File closed successfully"},
        {8, "SetAppFileSize", "Space required for Extraction of Setting files: 3.00 MB"}}},
      {"missing executable", u"C:\\P\\gone.exe", SIZE_MAX, 0x100000000ull,
       {{8, "SetAppFileSize", "Opening file : C:\\P\\gone.exe"},
        {0, "SetAppFileSize", "Error in opening the file"},
        {8, "SetAppFileSize", "Space required for Extraction of Setting files: 4.00 GB"}}},
      {"no module path", u"", SIZE_MAX, 0x100000000ull,
       {{8, "SetAppFileSize", "Opening file : "},
        {0, "SetAppFileSize", "Error in opening the file"},
        {8, "SetAppFileSize", "Space required for Extraction of Setting files: 4.00 GB"}}},
  };
  for (const Case& c : cases) {
    World w;
    w.fake.SetModulePath(c.module);
    if (c.bytes != SIZE_MAX) w.fake.AddFile(c.module, std::string(c.bytes, 'x'));
    EXPECT_EQ(w.init.SetAppFileSize(), c.size) << c.what;
    EXPECT_EQ(w.log.lines, c.lines) << c.what;
  }
}

// ---- the master log ---------------------------------------------------------

TEST(FennockAppTest, MasterLogIsRecreatedWhereThisWindowsKeepsIt) {
  struct Case {
    const char* what;
    uint32_t major;
    Text allUsers;
    std::function<void(World&)> shape;
    Text path;
    Text oldLogLeft;  // a log that must keep its old content ("" none)
  };
  const Text xpFolder = u"C:\\Documents and Settings\\All Users\\Application Data\\Maravel\\Automation\\Logfiles\\";
  const Case cases[] = {
      {"Vista and later", 6, u"C:\\ProgramData", {}, kMasterLog, u""},
      {"Windows 10", 10, u"C:\\ProgramData", {}, kMasterLog, u""},
      {"an old log is replaced", 6, u"C:\\ProgramData",
       [](World& w) { w.fake.AddFile(kMasterLog, std::string("old run\r\n")); }, kMasterLog, u""},
      {"before Vista", 5, u"C:\\Documents and Settings\\All Users", {}, xpFolder + u"Tovu.log", u""},
      {"an old log that cannot be deleted", 6, u"C:\\ProgramData",
       [](World& w) {
         w.fake.AddFile(kMasterLog, std::string("old run\r\n"));
         w.fake.FailPath(kMasterLog, winerr::kAccessDenied);
       },
       u"C:\\ProgramData\\Maravel\\Automation\\Logfiles\\Tovu_tester.log", kMasterLog},
      {"and an old per-user log too", 6, u"C:\\ProgramData",
       [](World& w) {
         w.fake.AddFile(kMasterLog, std::string("old run\r\n"));
         w.fake.FailPath(kMasterLog, winerr::kAccessDenied);
         w.fake.AddFile(u"C:\\ProgramData\\Maravel\\Automation\\Logfiles\\Tovu_tester.log", std::string("mine\r\n"));
       },
       u"C:\\ProgramData\\Maravel\\Automation\\Logfiles\\Tovu_tester.log", kMasterLog},
  };
  for (const Case& c : cases) {
    World w;
    w.fake.SetWindowsMajorVersion(c.major);
    w.fake.SetEnv(u"ALLUSERSPROFILE", c.allUsers);
    if (c.shape) c.shape(w);
    w.init.OpenMasterLog();
    EXPECT_EQ(U8(w.init.GetMasterLogPath()), U8(c.path)) << c.what;
    EXPECT_EQ(U8(w.log.GetPath()), U8(c.path)) << c.what;
    EXPECT_EQ(w.fake.FileBytes(c.path), kStartBanner) << c.what;
    if (!c.oldLogLeft.empty()) {
      EXPECT_EQ(w.fake.FileBytes(c.oldLogLeft), "old run\r\n") << c.what;
    }
  }
}

// ---- InitInstance -------------------------------------------------------------

TEST(FennockAppTest, SecondInstanceLogsAndLeavesTheTempFolderAlone) {
  for (int silent : {0, 1}) {
    World w;
    w.services.anotherInstance = true;
    w.services.silent = silent;
    EXPECT_EQ(w.app.InitInstance(), 0);
    EXPECT_EQ(w.app.GetAnotherInstanceFlag(), 1);
    EXPECT_TRUE(w.log.Has({0, "InitInstance", "Another instance is already running."}));
    if (silent) {
      EXPECT_TRUE(w.services.boxes.empty());
    } else {
      ASSERT_EQ(w.services.boxes.size(), 1u);
      EXPECT_EQ(w.services.boxes[0].text, "Another instance is already running.");
      EXPECT_EQ(w.services.boxes[0].caption, U8(kExe));  // no display name yet
      EXPECT_EQ(w.services.boxes[0].style, mbstyle::kOk);
    }
    EXPECT_EQ(w.services.Calls("InitializeOle"), 0);
    EXPECT_EQ(w.services.Calls("CloseSingleInstance"), 1);
    EXPECT_TRUE(w.TempFolders().empty());
    EXPECT_EQ(w.log.CountFunction("SetTovuTempDir"), 0);

    EXPECT_EQ(w.app.ExitInstance(), 0);
    EXPECT_EQ(w.log.CountFunction("Temp directory : "), 0);
    EXPECT_EQ(w.services.Calls("CloseSingleInstance"), 1);
    const std::string text = w.LogText();
    EXPECT_EQ(text.rfind(kStartBanner, 0), 0u);
    EXPECT_GE(text.size(), kEndBanner.size());
    EXPECT_EQ(text.substr(text.size() - kEndBanner.size()), kEndBanner);
  }
}

TEST(FennockAppTest, OleFailureLogsItsLineAndEndsTheRun) {
  for (int silent : {0, 1}) {
    World w;
    w.services.oleWorks = false;
    w.services.silent = silent;
    EXPECT_EQ(w.app.InitInstance(), 0);
    EXPECT_TRUE(w.log.Has({0, "InitInstance",
                           "OLE initialization failed.  Make sure that the OLE libraries are the correct version."}));
    if (silent) {
      EXPECT_TRUE(w.services.boxes.empty());
    } else {
      ASSERT_EQ(w.services.boxes.size(), 1u);
      EXPECT_EQ(w.services.boxes[0].text,
                "OLE initialization failed. Make sure that the OLE libraries are the correct version.");
    }
    EXPECT_EQ(w.services.Calls("CloseSingleInstance"), 1);
    EXPECT_TRUE(w.TempFolders().empty());
    EXPECT_EQ(w.app.ExitInstance(), 0);
  }
}

TEST(FennockAppTest, TempFolderFailureQuitsWithMinusOne) {
  struct Case {
    int silent, unattended;
    bool box;
  };
  for (const Case& c : {Case{0, 0, true}, Case{0, 1, false}, Case{1, 0, false}, Case{1, 1, false}}) {
    World w;
    ShapeDrives(w, {{'C', drivetype::kFixed, 16384}, {'E', drivetype::kRemovable, kBig}});
    w.services.silent = c.silent;
    w.services.unattended = c.unattended;
    int exitCode = 0;
    try {
      w.app.InitInstance();
      ADD_FAILURE() << "InitInstance returned";
    } catch (const ProcessEnded& e) {
      exitCode = e.exitCode;
    }
    EXPECT_EQ(exitCode, -1);
    if (c.box) {
      ASSERT_EQ(w.services.boxes.size(), 1u);
      EXPECT_EQ(w.services.boxes[0].text, "Unable to find a volume with enough disk space for file extraction.");
      EXPECT_EQ(w.services.boxes[0].caption, "Extraction failed");
      EXPECT_EQ(w.services.boxes[0].style, mbstyle::kOk | mbstyle::kIconError);
    } else {
      EXPECT_TRUE(w.services.boxes.empty()) << c.silent << c.unattended;
    }
    // Nothing unpacked; the footer is written and the image library shut
    // down before the process ends.
    EXPECT_EQ(w.log.CountFunction("ExtractFile"), 0);
    const std::string text = w.LogText();
    EXPECT_NE(text.find("START SUMMARY 20260307090504"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - kEndBanner.size()), kEndBanner);
    ASSERT_GE(w.services.calls.size(), 2u);
    EXPECT_EQ(w.services.calls[w.services.calls.size() - 2], "ShutdownImageLibrary 42");
    EXPECT_EQ(w.services.calls.back(), "EndProcess -1");
  }
}

TEST(FennockAppTest, UnpackingFailureQuitsWithTheReadersCodeAndShowsMessage602InGuiModeOnly) {
  struct Case {
    int silent, unattended;
    bool box;
  };
  for (const Case& c : {Case{0, 0, true}, Case{0, 1, false}, Case{1, 0, false}}) {
    World w;
    // A damaged second entry: name length 2,000.
    auto items = FixturePackage();
    w.InstallPackage({items[0]}, Utf16Bytes(kEntryMarker) + Le32Bytes(2000) + std::string(2000, 'A'));
    w.fake.QueueGuid(kG1);
    w.services.silent = c.silent;
    w.services.unattended = c.unattended;
    int exitCode = 0;
    try {
      w.app.InitInstance();
      ADD_FAILURE() << "InitInstance returned";
    } catch (const ProcessEnded& e) {
      exitCode = e.exitCode;
    }
    EXPECT_EQ(exitCode, -1);
    EXPECT_TRUE(w.log.Has({0, "ExtractIntermediateFiles", "An error occured during extraction of Setting files"}));
    EXPECT_EQ(w.log.CountFunction("ExtractIntermediateFiles"), 1);
    if (c.box) {
      ASSERT_EQ(w.services.boxes.size(), 1u);
      EXPECT_EQ(w.services.boxes[0].text, "An error occurred.");
      EXPECT_EQ(w.services.boxes[0].style, mbstyle::kOk | mbstyle::kIconError);
    } else {
      EXPECT_TRUE(w.services.boxes.empty());
    }
    // Quit removed the Tovu temp folder with what was unpacked into it.
    const Text folder = Text(u"C:\\") + kG1;
    EXPECT_FALSE(w.fake.IsFolder(folder));
    EXPECT_TRUE(w.log.Has({8, "Temp directory : ", U8(folder)}));
    EXPECT_NE(w.LogText().find("------------------------------------------ Extraction "
                               "------------------------------------------\r\n"),
              std::string::npos);

    // Clean-up runs once per process, even when the exit follows.
    w.fake.AddFolder(folder);
    w.app.ExitInstance();
    EXPECT_TRUE(w.fake.IsFolder(folder));
    EXPECT_EQ(w.log.CountFunction("Temp directory : "), 1);
  }
}

TEST(FennockAppTest, GoodPackageUnpacksTheSettingsEntriesAndExitCleansUp) {
  World w;
  ShapeDrives(w, {{'C', drivetype::kFixed, kBig}, {'D', drivetype::kFixed, kBig}});
  w.fake.QueueGuid(kG1);
  const auto items = FixturePackage();
  for (const Item& i : items) ASSERT_FALSE(i.data.empty()) << U8(i.name);

  EXPECT_EQ(w.app.InitInstance(), 0);
  const Text folder = Text(u"D:\\") + kG1 + u"\\";
  EXPECT_EQ(U8(w.init.GetTovuTempDir()), U8(folder));
  std::vector<Text> expected;
  for (const Item& i : items) {
    if (i.type != 200) continue;
    expected.push_back(folder + i.name);
    if (i.name != u"Properties_Tovu.ini") {
      EXPECT_EQ(w.fake.FileBytes(folder + i.name), i.data) << U8(i.name);
      continue;
    }
    // The password check scrubbed the settings: [Runtime]
    // ExtractPasswordRequired went to [Tovu] Required.
    CProfile profile(w.fake);
    EXPECT_EQ(w.fake.FileBytes(folder + i.name).substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(profile.GetString(folder + i.name, u"Runtime", u"ExtractPasswordRequired", u"-"), u"-");
    EXPECT_EQ(profile.GetString(folder + i.name, u"Tovu", u"Required", u"-"), u"0");
  }
  std::sort(expected.begin(), expected.end());
  std::vector<Text> inside;
  for (const Text& p : w.fake.ListAll(folder))
    if (p != folder) inside.push_back(p);
  EXPECT_EQ(inside, expected);  // the cabinet stays in the container
  EXPECT_TRUE(w.log.Has({8, "ExtractIntermediateFiles", "Extracted Setting files to " + U8(folder)}));
  EXPECT_TRUE(w.services.boxes.empty());
  EXPECT_EQ(w.services.Calls("LoadRichEditLibrary"), 1);

  EXPECT_EQ(w.app.ExitInstance(), 0);
  const std::string bare = U8(folder.substr(0, folder.size() - 1));
  EXPECT_FALSE(w.fake.IsFolder(folder));
  EXPECT_TRUE(w.log.Has({8, "Temp directory : ", bare}));
  EXPECT_TRUE(w.log.Has({8, "Deleting folder : ", bare}));
  EXPECT_EQ(w.log.CountFunction("File could not be deleted : "), 0);
  EXPECT_EQ(w.services.Calls("ShutdownImageLibrary 42"), 1);

  // The master log ends where the extraction log takes over; the summary
  // and the clean-up are in the extraction log.
  const std::string master = w.LogText();
  EXPECT_EQ(master.rfind(kStartBanner, 0), 0u);
  EXPECT_NE(master.find("|Extraction Log File : C:\\ProgramData\\Maravel\\Automation\\Logfiles\\Demo.txt\r\n"),
            std::string::npos);
  EXPECT_EQ(master.substr(master.size() - kEndBanner.size()), kEndBanner);
  const std::string text = w.ExtractionLogText();
  EXPECT_EQ(text.rfind(kStartBanner, 0), 0u);
  EXPECT_NE(text.find("|RETURN    |STATUS                                |Success\r\n"), std::string::npos);
  EXPECT_NE(text.find("0 Errors found and 0 Warnings found\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - kEndBanner.size()), kEndBanner);
  const size_t deleting = text.find("|Deleting folder : ");
  EXPECT_NE(deleting, std::string::npos);
  EXPECT_LT(deleting, text.find("START SUMMARY"));
}

TEST(FennockAppTest, TempFolderLeftOversAreLoggedOneByOne) {
  World w;
  w.fake.QueueGuid(kG1);
  EXPECT_EQ(w.app.InitInstance(), 0);
  const Text folder = w.init.GetTovuTempDir();
  w.fake.FailPath(folder + u"Defaultx.ulf", winerr::kAccessDenied);
  EXPECT_EQ(w.app.ExitInstance(), 0);
  EXPECT_TRUE(w.fake.IsFile(folder + u"Defaultx.ulf"));
  EXPECT_FALSE(w.fake.IsFile(folder + u"Properties_Tovu.ini"));
  EXPECT_EQ(w.log.CountFunction("File could not be deleted : "), 1);
}

TEST(FennockAppTest, ShortTempFolderPathsAreNeverDeleted) {
  struct Case {
    Text path;
    bool deleted;
  };
  // "C:A" names C:\A too, but has only three characters.
  const Case cases[] = {{u"", false},     {u"\\", false},     {u"C:", false},       {u"C:\\", false},
                        {u"C:\\\\", false}, {u"C:A\\", false}, {u"C:\\A\\", true},
                        {u"C:\\A", true}};
  for (const Case& c : cases) {
    World w;
    w.fake.AddFile(u"C:\\keep.txt", std::string("keep"));
    w.fake.AddFile(u"C:\\A\\inside.txt", std::string("x"));
    w.init.SetTovuTempDirPath(c.path);
    w.app.DeleteTovuTempDir();
    EXPECT_EQ(w.fake.FileBytes(u"C:\\keep.txt"), "keep") << U8(c.path);
    EXPECT_TRUE(w.fake.IsFile(kExe)) << U8(c.path);
    EXPECT_EQ(!w.fake.IsFolder(u"C:\\A"), c.deleted) << U8(c.path);
    EXPECT_EQ(w.log.CountFunction("Temp directory : "), c.deleted ? 1 : 0) << U8(c.path);
  }
}

TEST(FennockAppTest, ExitCodeFollowsTheRunStatusAndTheStoppedLaunch) {
  struct Case {
    int runStatus;
    int launchStopped, exitOnFailure, returnCode;
    int exitCode;
  };
  const Case cases[] = {
      {0, 0, 0, -2, 0},       {-1, 0, 0, -2, 0},      {-2, 0, 0, -2, -1},   {-3, 0, 0, -2, -1},
      {-5, 0, 0, -2, -1},     {11, 0, 0, -2, 0},      {12, 0, 0, -2, 0},    {0, 1, 1, 1603, 1603},
      {0, 1, 0, 1603, 0},     {0, 0, 1, 1603, 0},     {-3, 1, 1, 1603, -1},  {-6, 1, 1, 1, 1},
      // A setup missing (2) or not started (-4), an extraction error code:
      // never a success.
      {2, 0, 0, -2, -1},      {-4, 0, 0, -2, -1},     {1005, 0, 0, -2, -1}, {4, 0, 0, -2, -1},
  };
  for (const Case& c : cases) {
    World w;
    w.init.SetRunStatus(c.runStatus);
    w.init.SetLaunchStoppedFlag(c.launchStopped);
    w.init.SetExitOnAutolaunchFailureFlag(c.exitOnFailure);
    w.app.SetReturnCode(c.returnCode);
    EXPECT_EQ(w.app.ExitInstance(), c.exitCode) << c.runStatus << " " << c.launchStopped << c.exitOnFailure;
  }
}

TEST(FennockAppTest, RunModeAndCjkFlagComeFromTheCommandLineAndTheUiLanguage) {
  struct Case {
    int silent, unattended, language;
    int mode, cjk;
  };
  const Case cases[] = {{0, 0, 1033, RUNMODE_GUI, 0},    {0, 1, 1041, RUNMODE_UNATTENDED, 1},
                        {1, 0, 2052, RUNMODE_SILENT, 1}, {1, 1, 1042, RUNMODE_SILENT, 1},
                        {0, 0, 1028, RUNMODE_GUI, 1},    {0, 0, -1, RUNMODE_GUI, 0}};
  for (const Case& c : cases) {
    World w;
    w.services.anotherInstance = true;  // stop right after the mode is known
    w.services.silent = c.silent;
    w.services.unattended = c.unattended;
    w.services.uiLanguage = c.language;
    w.app.InitInstance();
    EXPECT_EQ(w.app.GetRunMode(), c.mode) << c.language;
    EXPECT_EQ(w.init.GetRunMode(), c.mode) << c.language;
    EXPECT_EQ(w.app.GetCjkFlag(), c.cjk) << c.language;
  }
}

}  // namespace
}  // namespace tovu

namespace tovu {
namespace {

// ---- the wizard's pages ---------------------------------------------------

TEST(FennockAppTest, WizardPagesFollowTheSettingsAndTheConditions) {
  using P = wizard::PageKind;
  struct Case {
    const char* what;
    std::string settings;
    int noConditionCheck;
    int conditionsMet;
    int changeTarget;
    int defaultPathValid;
    std::vector<P> pages;
  };
  const Case cases[] = {
      {"nothing configured", "", 0, 1, 0, 1, {P::Welcome, P::Extraction, P::Finish}},
      {"welcome off, language, license, installation page",
       "[Dialogs]\r\nWelcomeDialog=0\r\nLanguageDialog=1\r\nLicenseDialog=1\r\n[Runtime]\r\nAutoLaunchInstallationDialog=1\r\n",
       0, 1, 0, 1, {P::Language, P::License, P::Extraction, P::Installation, P::Finish}},
      {"flags other than exactly 1 are off, an empty welcome key shows the page",
       "[Dialogs]\r\nWelcomeDialog=\r\nLanguageDialog=yes\r\nLicenseDialog=1 x\r\n[Runtime]\r\nAutoLaunchInstallationDialog=true\r\n",
       0, 1, 0, 1, {P::Welcome, P::Extraction, P::Finish}},
      {"unmet conditions keep the requirements page", "", 0, 0, 0, 1,
       {P::Welcome, P::Requirements, P::Extraction, P::Finish}},
      {"no condition check: no requirements page, whatever the conditions", "", 1, 0, 0, 1,
       {P::Welcome, P::Extraction, P::Finish}},
      {"a changeable target shows the folder page", "", 0, 1, 1, 1, {P::Welcome, P::Folder, P::Extraction, P::Finish}},
      {"an invalid default path shows it too", "", 0, 1, 0, 0, {P::Welcome, P::Folder, P::Extraction, P::Finish}},
  };
  for (const Case& c : cases) {
    World w;
    const Text settings = u"C:\\T\\Properties_Tovu.ini";
    w.fake.AddFolder(u"C:\\T");
    w.fake.AddFile(settings, test::Utf16Le(FromUtf8(c.settings), true));
    w.init.SetSettingsPath(settings);
    w.init.SetNoConditionCheckFlag(c.noConditionCheck);
    w.init.SetChangeTargetFlag(c.changeTarget);
    int asked = 0;
    w.app.SetConditionSource([&](int) {
      ++asked;
      return c.conditionsMet;
    });
    EXPECT_EQ(w.app.SelectWizardPages(c.defaultPathValid), c.pages) << c.what;
    EXPECT_EQ(w.init.GetRunStatus(), -1) << c.what;
    EXPECT_LE(asked, 1) << c.what;
  }
}

TEST(FennockAppTest, MetConditionsRemoveTheRequirementsPageOnlyOnce) {
  World w;
  const Text settings = u"C:\\T\\Properties_Tovu.ini";
  w.fake.AddFolder(u"C:\\T");
  w.fake.AddFile(settings, test::Utf16Le(u"", true));
  w.init.SetSettingsPath(settings);
  int asked = 0;
  w.app.SetConditionSource([&](int) { return ++asked, 1; });
  const auto first = w.app.SelectWizardPages(1);
  const auto second = w.app.SelectWizardPages(1);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(std::count(first.begin(), first.end(), wizard::PageKind::Requirements), 0);
  EXPECT_EQ(std::count(second.begin(), second.end(), wizard::PageKind::Requirements), 1);
}

}  // namespace
}  // namespace tovu
