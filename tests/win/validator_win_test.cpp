// The extraction validator on the real Win32 platform. ValidatorWine.* runs
// in any prefix (a folder below %TEMP%); ValidatorShaped.* checks the free
// space of a drive of known size that tests/wine/scenarios/validator_space.sh
// maps and names in TOVU_VALIDATOR_DRIVE and TOVU_VALIDATOR_BYTES (skipped
// without TOVU_VALIDATOR_SHAPED=1).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "cmdline/extractor_validator.h"
#include "log/log_file.h"
#include "osrules/os_validator.h"
#include "osrules/win32/win32_os_facts.h"
#include "platform/win32/win32_platform.h"
#include "settings/initializer.h"
#include "settings/messages.h"
#include "settings/profile.h"
#include "util/cutil.h"

namespace tovu {
namespace {

std::string U8(const Text& t) { return ToUtf8(t); }

Text Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? FromUtf8(v) : Text();
}

bool Exists(const Text& path) { return ::GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES; }

class RecordingBoxes : public IMessageBoxRoutine {
 public:
  int ShowMessageBox(const Text& text, uint32_t style) override {
    texts.push_back(U8(text));
    return 1;
  }
  std::vector<std::string> texts;
};

class ValidatorWine : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t buf[MAX_PATH];
    DWORD n = ::GetTempPathW(MAX_PATH, buf);
    ASSERT_GT(n, 0u);
    temp = FromW(buf, n);  // ends with "\"
    base = temp + u"validator_wine";
    util.DeleteFolder(base);
    ASSERT_TRUE(::CreateDirectoryW(W(base), nullptr)) << U8(base);
    settings = base + u"\\Properties_Tovu.ini";
    init.SetTovuTempDirPath(base + u"\\");
    validator.SetSettingsFile(settings);
    validator.SetMessageBoxRoutine(&boxes);
    os.SetSettingsFile(settings);
  }
  void TearDown() override { util.DeleteFolder(base); }
  void Write(const Text& section, const Text& key, const Text& value) {
    CProfile profile(platform);
    ASSERT_EQ(profile.WriteString(settings, section, key, value), 0u);
  }
  uint64_t TotalFree(const Text& root) {
    ULARGE_INTEGER caller{}, total{}, free{};
    EXPECT_TRUE(::GetDiskFreeSpaceExW(W(root), &caller, &total, &free)) << U8(root);
    return free.QuadPart;
  }

  Win32Platform platform;
  CBuildLogFile log{platform};
  CUtil util{platform, log};
  CTovuInitalizer init{platform, log, util};
  CMessageCatalog messages{platform};
  CWin32OSFacts facts;
  COSValidator os{platform, log, facts};
  CExtractorValidator validator{platform, log, messages, util, init, os};
  RecordingBoxes boxes;
  Text temp, base, settings;
};

TEST_F(ValidatorWine, RebuiltPathIsCheckedAndStored) {
  Text path = u"  " + base + u"\\ New Folder \\ Sub  ";
  ASSERT_EQ(validator.ValidatePathAndSpaceAvailable(path, 1, 1), 0);
  EXPECT_EQ(U8(path), U8(base + u"\\New Folder\\Sub\\"));
  EXPECT_EQ(U8(validator.ExtractPath), U8(path));
  EXPECT_EQ(U8(init.GetExtractionFolder()), U8(path));
  // The write test leaves nothing behind.
  EXPECT_FALSE(Exists(base + u"\\New Folder"));
  EXPECT_TRUE(boxes.texts.empty());

  // No volume has that much room.
  path = base + u"\\Pkg";
  EXPECT_EQ(validator.ValidatePathAndSpaceAvailable(path, 1, UINT64_MAX), -1);
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(boxes.texts[0].rfind("There is not sufficient space on drive ", 0), 0u) << boxes.texts[0];
}

TEST_F(ValidatorWine, CandidatesFromTheSettingsFile) {
  Write(u"Runtime", u"ExtractPath", u"%TEMP%\\validator_wine\\FromPackage");
  EXPECT_EQ(U8(validator.GetFinalExtractPathParam(0, u"", u"Pkg", 1)), U8(base + u"\\FromPackage\\"));
  // A limit no candidate meets: nothing is chosen.
  Write(u"Runtime", u"ExtractPathMaxLength", u"8");
  EXPECT_EQ(U8(validator.GetFinalExtractPathParam(0, base + u"\\Cmd", u"Pkg", 1)), "");
  // The package folder fails on its length: %TEMP%\<package name>.
  Write(u"Runtime", u"ExtractPathMaxLength", Format(u"%u", static_cast<uint32_t>(base.size() + 6)));
  Write(u"Runtime", u"ExtractPath", base + u"\\AFolderNameTooLong");
  EXPECT_EQ(U8(validator.GetFinalExtractPathParam(0, u"", u"validator_wine\\P", 1)), U8(base + u"\\P\\"));
}

TEST_F(ValidatorWine, LicenseFileExistence) {
  const Text file = base + u"\\License.RTF";
  HANDLE h = ::CreateFileW(W(file), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ::CloseHandle(h);
  Write(u"LicenseFiles", u"1033", u"License.RTF");
  Write(u"LicenseFiles", u"1031", u"Lizenz.txt");
  EXPECT_EQ(U8(validator.CheckLicenseFiles(1033, base + u"\\", 1)), U8(file));
  EXPECT_EQ(U8(validator.CheckLicenseFiles(1031, base + u"\\", 1)), "");  // named but missing
  EXPECT_EQ(U8(validator.CheckLicenseFiles(1036, base + u"\\", 1)), U8(file));
}

// ---- a drive of known free space -----------------------------------------------------------

class ValidatorShaped : public ValidatorWine {
 protected:
  void SetUp() override {
    if (Env("TOVU_VALIDATOR_SHAPED") != u"1") GTEST_SKIP() << "needs the drive of validator_space.sh";
    ValidatorWine::SetUp();
    drive = Env("TOVU_VALIDATOR_DRIVE");
    ASSERT_FALSE(drive.empty()) << "TOVU_VALIDATOR_DRIVE is not set";
    bytes = std::strtoull(std::getenv("TOVU_VALIDATOR_BYTES"), nullptr, 10);
    ASSERT_GT(bytes, 0u);
  }
  Text drive;      // "S:\"
  uint64_t bytes;  // its free space
};

TEST_F(ValidatorShaped, ExactlyEnoughAndTenBytesShort) {
  ASSERT_EQ(TotalFree(drive), bytes);
  const Text letter = drive.substr(0, 2);

  Text path = drive + u"Pkg";
  EXPECT_EQ(validator.ValidatePathAndSpaceAvailable(path, 1, bytes), 0);
  EXPECT_EQ(U8(path), U8(drive + u"Pkg\\"));
  EXPECT_TRUE(boxes.texts.empty());
  EXPECT_FALSE(Exists(drive + u"Pkg"));
  // The write test gave its space back.
  EXPECT_EQ(TotalFree(drive), bytes);

  path = drive + u"Pkg";
  EXPECT_EQ(validator.ValidatePathAndSpaceAvailable(path, 1, bytes + 10), -1);
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(boxes.texts[0].rfind(U8(u"There is not sufficient space on drive " + letter + u".\nRequired space: "), 0),
            0u)
      << boxes.texts[0];
  EXPECT_EQ(U8(validator.ExtractPath), U8(drive + u"Pkg\\"));  // from the check that passed

  // The free-space check alone, as the initialiser calls it.
  Text message;
  EXPECT_EQ(validator.CheckFreeSpace(drive + u"Pkg\\", letter, bytes, message), 1);
  EXPECT_EQ(validator.CheckFreeSpace(drive + u"Pkg\\", letter, bytes + 10, message), 0);
  EXPECT_EQ(validator.CheckFreeSpace(drive + u"Pkg\\", letter, bytes - 10, message), 1);
}

TEST_F(ValidatorShaped, CandidateWithoutRoomIsPassedOver) {
  Write(u"Runtime", u"ExtractPath", base + u"\\Fallback");
  // The command-line folder's drive is 10 bytes short; the package folder
  // below %TEMP% has room.
  EXPECT_EQ(U8(validator.GetFinalExtractPathParam(0, drive + u"Cmd", u"Pkg", bytes + 10)),
            U8(base + u"\\Fallback\\"));
  EXPECT_EQ(U8(validator.GetFinalExtractPathParam(0, drive + u"Cmd", u"Pkg", bytes)), U8(drive + u"Cmd\\"));
  EXPECT_TRUE(boxes.texts.empty());
}

}  // namespace
}  // namespace tovu
