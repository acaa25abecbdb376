// The extraction validator on the fake platform: the setup language from
// the command line and its fall-backs, the autolaunch choice, the rebuilt
// extraction path with its length limit and free space, the order of the
// folder candidates, the path messages and their boxes, the license files,
// the OS message, the connected condition check, and the OS check before
// extraction with its question.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cmdline/extractor_validator.h"
#include "cmdline/run_mode.h"
#include "fakes/fake_platform.h"
#include "log/log_file.h"
#include "osrules/os_check_before_extraction.h"
#include "osrules/os_facts.h"
#include "osrules/os_validator.h"
#include "settings/initializer.h"
#include "settings/messages.h"
#include "util/cutil.h"
#include "support/captured_log.h"

namespace tovu {
namespace {

using test::CaptureLog;
using test::FakePlatform;
using namespace osfacts;

std::string U8(const Text& t) { return ToUtf8(t); }
Text U16(const std::string& s) { return FromUtf8(s); }

class RecordingBoxes : public IMessageBoxRoutine {
 public:
  int ShowMessageBox(const Text& text, uint32_t style) override {
    texts.push_back(U8(text));
    styles.push_back(style);
    return answer;
  }
  std::vector<std::string> texts;
  std::vector<uint32_t> styles;
  int answer = 1;
};

// A UTF-16LE file with byte-order mark, as the language files are written.
std::string Utf16File(const std::string& utf8) {
  std::string out = "\xFF\xFE";
  for (char16_t c : FromUtf8(utf8)) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

const Text kTemp = u"C:\\Tovu\\{GUID}\\";
const Text kSettings = kTemp + u"Properties_Tovu.ini";

OSFacts Win10ProX64() {
  OSFacts f;
  f.version.majorVersion = 10;
  f.version.minorVersion = 0;
  f.version.buildNumber = 19045;
  f.version.platformId = kPlatformNT;
  f.version.productType = kWorkstation;
  f.nativeArchitecture = kArchAmd64;
  f.processArchitecture = kArchAmd64;
  f.productType = 48;
  return f;
}

class Validator : public ::testing::Test {
 protected:
  Validator() {
    fake.SetEnv(u"TEMP", u"C:\\Users\\tester\\Temp");
    fake.AddFolder(u"C:\\Users\\tester\\Temp");
    fake.AddFolder(kTemp);
    init.SetTovuTempDirPath(kTemp);
    init.SetSettingsPath(kSettings);
    os.SetSettingsFile(kSettings);
    validator.SetSettingsPath(kSettings);
    validator.SetMessageBoxRoutine(&boxes);
  }
  void Settings(const std::string& text) {
    fake.RemoveFile(kSettings);
    fake.AddFile(kSettings, text);
  }

  FakePlatform fake;
  CaptureLog log{fake};
  CUtil util{fake, log};
  CTovuInitalizer init{fake, log, util};
  CMessageCatalog messages{fake};
  CFixedOSFacts facts{Win10ProX64()};
  COSValidator os{fake, log, facts};
  CExtractorValidator validator{fake, log, messages, util, init, os};
  RecordingBoxes boxes;
};

// ---- setup language ------------------------------------------------------------------------

TEST_F(Validator, SetupLanguageFromTheCommandLine) {
  struct Case {
    const char* what;
    const char* setupLanguages;
    const char* value;
    bool localeInstalled;
    int language;
    std::vector<std::string> lines;  // expected among the log lines
  } cases[] = {
      {"not a number", "1033;1031", "abc", true, 1033,
       {"Command line parameter for SetupLanguage : abc",
        "Invalid Command line parameter for SetupLanguage. English taken as default SetupLanguage"}},
      {"not a setup language of the package", "1033;", "1031", true, 1033,
       {"Language not supported. Default English taken as Setup language"}},
      {"not installed on the system", "1033;1031", "1031", false, 1033,
       {"Language : 1031 not supported by OS. Default English taken as Setup language"}},
      {"accepted", "1033; 1031 ", "1031", true, 1031, {"Command line parameter for SetupLanguage : 1031"}},
      {"leading digits count", "1033;1031", "1031x", true, 1031, {}},
      {"no value", "1033;1031", "", true, 1033, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Settings(std::string("[Languages]\r\nSetupLanguages=") + c.setupLanguages + "\r\n");
    log.lines.clear();
    init.SetSetupLanguage(4242);
    const bool installed = c.localeInstalled;
    validator.SetLocaleCheck([installed](int lcid) { return lcid == 1033 || installed; });
    validator.ValidateSetupLangPassedFromCommandLine(U16(c.value));
    EXPECT_EQ(init.GetSetupLanguage(), c.language);
    for (const std::string& line : c.lines) EXPECT_TRUE(log.HasMessage(line)) << line << "\n" << log.All();
  }
  // The function names and levels of the lines.
  Settings("[Languages]\r\nSetupLanguages=1033\r\n");
  log.lines.clear();
  validator.ValidateSetupLangPassedFromCommandLine(u"abc");
  EXPECT_TRUE(log.Has(LOG_INFO, "ValidateSetupLangPassedFromCommandLine", "Command line parameter for SetupLanguage : abc"));
  EXPECT_TRUE(log.Has(LOG_INFO, "Command Line Parameters",
                      "Invalid Command line parameter for SetupLanguage. English taken as default SetupLanguage"));
  log.lines.clear();
  validator.ValidateSetupLangPassedFromCommandLine(u"1031");
  EXPECT_TRUE(log.Has(LOG_WARNING, "SetLanguaeForProgressBar",
                      "Language not supported. Default English taken as Setup language"))
      << log.All();
}

TEST_F(Validator, SetupLanguageLoadsItsTexts) {
  Settings("[Languages]\r\nSetupLanguages=1033;1031\r\n");
  fake.AddFile(kTemp + u"Default1031.ulf",
               Utf16File("[FileInfo]\r\nID=1031\r\nLangName=Deutsch\r\n[Texts]\r\n413=Ungültiger Pfad: [INVALIDPATH]\r\n"));
  validator.ValidateSetupLangPassedFromCommandLine(u"1031");
  ASSERT_EQ(init.GetSetupLanguage(), 1031);
  EXPECT_EQ(U8(messages.GetMessageText(413)), "Ungültiger Pfad: [INVALIDPATH]");
  // Back to English: the built-in texts.
  validator.ValidateSetupLangPassedFromCommandLine(u"1033");
  EXPECT_EQ(U8(messages.GetMessageText(413)), "Invalid path: [INVALIDPATH]");
}

TEST_F(Validator, SetupLanguagesAndTheDefault) {
  struct Case {
    const char* settings;
    int uiLanguage;
    int expected;
  } cases[] = {
      {"[Languages]\r\nSetupLanguages=1033;1031\r\n", 1031, 1031},
      {"[Languages]\r\nSetupLanguages=1033;1031\r\n", 1036, 1033},
      {"[Languages]\r\nSetupLanguages=1031\r\n", -1, 1033},  // GetUserDefaultUILanguage missing
      {"[LANGUAGES]\r\nsetuplanguages=1036\r\n", 1036, 1036},
      {"", 1031, 1033},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    Settings(c.settings);
    fake.SetUserUILanguage(c.uiLanguage);
    EXPECT_EQ(validator.GetDefaultSetupLanguage(), c.expected);
  }
  Settings("[Languages]\r\nSetupLanguages= 1033 ;;1031;\r\n");
  std::vector<Text> list;
  validator.GetSetupLanguages(list);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(U8(list[0]), "1033");
  EXPECT_EQ(U8(list[1]), "1031");
  EXPECT_TRUE(validator.IsSetupLanguage(1031));
  EXPECT_FALSE(validator.IsSetupLanguage(103));

  Settings("");
  log.lines.clear();
  EXPECT_FALSE(validator.IsSetupLanguage(1033));
  EXPECT_TRUE(log.Has(LOG_INFO, "", "SetupLanguages not found.")) << log.All();
}

// ---- autolaunch --------------------------------------------------------------------------

TEST_F(Validator, AutolaunchFromTheCommandLine) {
  struct Case {
    const char* runtime;
    const char* value;
    int before;
    int after;
    const char* line;  // "" for none
  } cases[] = {
      {"AutoLaunch=setup.exe", "no", 1, 0, "Autolaunch disabled"},
      {"AutoLaunch=setup.exe", "NO", 1, 0, "Autolaunch disabled"},
      {"AutoLaunch=setup.exe", "yes", 0, 1, "Autolaunch enabled"},
      {"AutoLaunch=setup.exe", "maybe", 0, 1, "Invalid value for Autolaunch. Autolaunch is enabled by default"},
      {"", "YES", 0, 0, "Autolaunch is not enabled for the Web Package"},
      {"", "no", 1, 1, "Autolaunch is not enabled for the Web Package"},
      // Multilaunch "1": the key is AutoLaunch1.
      {"Multilaunch=1\r\nAutoLaunch=setup.exe", "yes", 0, 0, "Autolaunch is not enabled for the Web Package"},
      {"Multilaunch=1\r\nAutoLaunch1=a.msi", "yes", 0, 1, "Autolaunch enabled"},
      {"Multilaunch=2\r\nAutoLaunch=setup.exe", "yes", 0, 1, "Autolaunch enabled"},
      {"AutoLaunch=setup.exe", "", 1, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.runtime) + " / " + c.value);
    Settings(std::string("[Runtime]\r\n") + c.runtime + "\r\n");
    init.SetAutolaunchFlag(c.before);
    log.lines.clear();
    validator.ValidateAndSetAutolaunchFromCommandLine(U16(c.value));
    EXPECT_EQ(init.GetAutolaunchFlag(), c.after);
    if (*c.line) {
      EXPECT_TRUE(log.Has(LOG_INFO, "ValidateAndSetAutolaunchFromCommandLine", c.line)) << log.All();
      EXPECT_TRUE(log.Has(LOG_INFO, "Command Line Parameters",
                          std::string("Command line parameter for Autolaunch : ") + c.value));
    } else {
      EXPECT_TRUE(log.lines.empty()) << log.All();
    }
  }
}

// ---- extraction folder -----------------------------------------------------------------------

TEST_F(Validator, PathIsRebuiltMadeFullAndStored) {
  struct Case {
    const char* input;
    const char* stored;
  } cases[] = {
      {"C:\\ Program Files \\Tool", "C:\\Program Files\\Tool\\"},
      {"  C:\\Temp\\Package\\  ", "C:\\Temp\\Package\\"},
      {"C:\\Temp \\ Deep  \\ Er\\", "C:\\Temp\\Deep\\Er\\"},
      {"C:\\", "C:\\"},
      {"c:\\a\\..\\b", "c:\\b\\"},
  };
  Settings("[Runtime]\r\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    Text path = U16(c.input);
    log.lines.clear();
    ASSERT_EQ(validator.ValidatePathAndSpaceAvailable(path, 1, 100), 0) << log.All();
    EXPECT_EQ(U8(path), c.stored);
    EXPECT_EQ(U8(validator.ExtractPath), c.stored);
    EXPECT_EQ(U8(init.GetExtractionFolder()), c.stored);
    EXPECT_TRUE(log.Has(LOG_INFO, "ValidatePathAndSpaceAvailable", std::string("Validating the Extract path : ") + c.input));
    EXPECT_TRUE(log.Has(LOG_INFO, "ValidatePathAndSpaceAvailable", std::string("Extract Path : ") + c.stored));
  }
  EXPECT_TRUE(boxes.texts.empty());
  // The folders the check created for its write test are gone again.
  EXPECT_FALSE(fake.IsFolder(u"C:\\Program Files\\Tool"));
}

TEST_F(Validator, PathLengthLimit) {
  struct Case {
    const char* limit;
    const char* path;
    int result;
  } cases[] = {
      {"10", "C:\\Temp\\Package", -1},
      {"16", "C:\\Temp\\Package", 0},  // "C:\Temp\Package\" has 16 characters
      {"15", "C:\\Temp\\Package", -1},
      {"", "C:\\Temp\\Package", 0},
      {"0", "C:\\Temp\\Package", 0},
      {"abc", "C:\\Temp\\Package", 0},
      {"12x", "C:\\Temp\\Package", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.limit) + " " + c.path);
    Settings(std::string("[Runtime]\r\nExtractPathMaxLength=") + c.limit + "\r\n");
    log.lines.clear();
    boxes.texts.clear();
    validator.ExtractPath = u"unchanged";
    Text path = U16(c.path);
    EXPECT_EQ(validator.ValidatePathAndSpaceAvailable(path, 1, 1), c.result) << log.All();
    if (c.result == -1) {
      EXPECT_TRUE(log.Has(LOG_ERROR, "ValidatePathAndSpaceAvailable",
                          std::string("Extract path length exceeded. Maximum path length is : ") + c.limit))
          << log.All();
      EXPECT_TRUE(log.Has(LOG_WARNING, "ErrorMessagesForInvalidPath", "The path you have specified is too long."));
      ASSERT_EQ(boxes.texts.size(), 1u);
      EXPECT_EQ(boxes.texts[0], "The path you have specified is too long.\nPlease specify a different path.");
      EXPECT_EQ(U8(validator.ExtractPath), "unchanged");
    } else {
      EXPECT_TRUE(boxes.texts.empty());
    }
  }
}

TEST_F(Validator, FreeSpaceExactlyEnoughAndTenBytesShort) {
  const uint64_t free = 5000000;
  fake.AddDrive('E', drivetype::kFixed, free);
  Settings("[Runtime]\r\n");
  struct Case {
    uint64_t required;
    int showBox;
    int result;
  } cases[] = {
      {free, 1, 0},
      {free - 1, 1, 0},
      {free + 10, 1, -1},
      {free + 10, 0, -1},
      {free + 1, 1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.required) + " box " + std::to_string(c.showBox));
    boxes.texts.clear();
    log.lines.clear();
    Text path = u"E:\\Pkg";
    EXPECT_EQ(validator.ValidatePathAndSpaceAvailable(path, c.showBox, c.required), c.result) << log.All();
    EXPECT_TRUE(log.Has(LOG_INFO, "ValidatePathAndSpaceAvailable", "Checking the space availability in : E:\\Pkg\\"))
        << log.All();
    EXPECT_TRUE(log.Has(LOG_INFO, "CheckFreeSpace",
                        "Comparing Available space : " + std::to_string(free) + " Bytes and Required space  " +
                            std::to_string(c.required) + " Bytes"));
    if (c.result == 0) {
      EXPECT_TRUE(boxes.texts.empty());
      EXPECT_EQ(U8(path), "E:\\Pkg\\");
    } else {
      EXPECT_TRUE(log.Has(LOG_WARNING, "CheckFreeSpace", "Space on drive E: is not sufficient"));
      ASSERT_EQ(boxes.texts.size(), c.showBox == 1 ? 1u : 0u);
      if (c.showBox == 1) {
        EXPECT_EQ(boxes.texts[0].rfind("There is not sufficient space on drive E:.\nRequired space: ", 0), 0u)
            << boxes.texts[0];
        EXPECT_EQ(boxes.styles[0], mbstyle::kOk);
      }
    }
  }
  // The message texts of a success.
  Text message;
  EXPECT_EQ(validator.CheckFreeSpace(u"E:\\Pkg\\", u"E:", free, message), 1);
  EXPECT_EQ(U8(message), "Drive E:  Available space: 4.77 MB\nRequired space: 4.77 MB");
  // A volume that cannot be measured.
  fake.FailDiskFreeEx('E', 21);
  EXPECT_EQ(validator.CheckFreeSpace(u"E:\\Pkg\\", u"E:", 1, message), 0);
  EXPECT_EQ(U8(message), "Please check the path : E:\\Pkg\\");
}

TEST_F(Validator, RefusedPathsGiveOneBoxEach) {
  fake.AddDrive('D', drivetype::kCdrom);
  fake.AddDrive('R', drivetype::kFixed, 1ull << 30, /*readOnly=*/true);
  fake.AddDrive('N', drivetype::kRemote, 1ull << 30, /*readOnly=*/true);
  Settings("[Runtime]\r\n");
  struct Case {
    const char* path;
    const char* box;
    const char* logLine;
  } cases[] = {
      {"D:\\Pkg", "Invalid path: D:\\Pkg", "Invalid path : D:\\Pkg"},
      {"C:\\a|b", "Invalid path: C:\\a|b", "Invalid path : C:\\a|b"},
      {"R:\\ Pkg", "Please check the permission of the path: R:\\Pkg", "Please check the permission of the path : R:\\Pkg"},
      {"N:\\Pkg", "You cannot extract to the folder: N:\\Pkg. Please choose another directory.",
       "You cannot extract in the folder : N:\\Pkg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    boxes.texts.clear();
    log.lines.clear();
    Text path = U16(c.path);
    EXPECT_EQ(validator.ValidatePathAndSpaceAvailable(path, 1, 1), -1);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], c.box);
    EXPECT_TRUE(log.Has(LOG_WARNING, "ErrorMessagesForInvalidPath", c.logLine)) << log.All();
    // Without boxes: the same answer, nothing shown.
    boxes.texts.clear();
    path = U16(c.path);
    EXPECT_EQ(validator.ValidatePathAndSpaceAvailable(path, 0, 1), -1);
    EXPECT_TRUE(boxes.texts.empty());
  }
}

TEST_F(Validator, ErrorMessagesForInvalidPathCodes) {
  struct Case {
    int code;
    const char* text;
    const char* logLine;
  } cases[] = {
      {161, "Invalid path: X:\\p", "Invalid path : X:\\p"},
      {5, "Please check the permission of the path: X:\\p", "Please check the permission of the path : X:\\p"},
      {82, "You cannot extract to the folder: X:\\p. Please choose another directory.",
       "You cannot extract in the folder : X:\\p"},
      {206, "The path you have specified is too long.\nPlease specify a different path.",
       "The path you have specified is too long."},
      {400, "The path you have specified is too long.\nPlease specify a different path.",
       "The path you have specified is too long."},
      {3, "", ""},
      {0, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    log.lines.clear();
    boxes.texts.clear();
    EXPECT_EQ(U8(validator.ErrorMessagesForInvalidPath(c.code, u"X:\\p", 1)), c.text);
    if (*c.logLine) {
      EXPECT_TRUE(log.Has(LOG_WARNING, "ErrorMessagesForInvalidPath", c.logLine));
      EXPECT_EQ(boxes.texts, std::vector<std::string>{c.text});
    } else {
      EXPECT_TRUE(log.lines.empty());
      EXPECT_TRUE(boxes.texts.empty());
    }
  }
  // A language text with [NEWLINE].
  Settings("[Languages]\r\nSetupLanguages=1033;1031\r\n");
  fake.AddFile(kTemp + u"Default1031.ulf",
               Utf16File("[FileInfo]\r\nID=1031\r\n[T]\r\n414=Rechte von[NEWLINE][INVALIDPATH] prüfen\r\n"));
  init.SetSetupLanguage(1031);
  validator.SetLanguaeForProgressBar();
  EXPECT_EQ(U8(validator.ErrorMessagesForInvalidPath(5, u"X:\\p", 0)), "Rechte von\nX:\\p prüfen");
}

TEST_F(Validator, ExtractionFolderCandidatesInOrder) {
  fake.AddDrive('D', drivetype::kCdrom);
  fake.SetEnv(u"PKGROOT", u"C:\\Root");
  struct Case {
    const char* what;
    const char* commandLine;
    const char* osLines;
    const char* runtimePath;
    const char* expected;
    std::vector<std::string> lines;
  } cases[] = {
      {"command line first", "%PKGROOT%\\Cmd", "Windows10ExtractPath=C:\\OsPath", "C:\\Runtime", "C:\\Root\\Cmd\\",
       {"Extract path from command line : %PKGROOT%\\Cmd"}},
      {"OS path when the command line fails", "D:\\Cmd", "Windows10ExtractPath=%PKGROOT%\\Os", "C:\\Runtime",
       "C:\\Root\\Os\\", {"Extract path for the OS : C:\\Root\\Os"}},
      {"OS path by VersionName", "", "Windows100ExtractPath=C:\\ByVersion", "C:\\Runtime", "C:\\ByVersion\\", {}},
      {"package folder", "", "", "%PKGROOT%\\Runtime", "C:\\Root\\Runtime\\",
       {"Extract path from the Web Package properties : %PKGROOT%\\Runtime"}},
      {"TEMP and the package name when the package folder fails", "D:\\Cmd", "Windows10ExtractPath=D:\\Os",
       "D:\\Runtime", "C:\\Users\\tester\\Temp\\Pkg\\",
       {"Validating the Extract path : C:\\Users\\tester\\Temp\\Pkg"}},
      {"TEMP when the package names no folder", "", "", "", "C:\\Users\\tester\\Temp\\Pkg\\", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Settings(std::string("[OS]\r\n") + c.osLines + "\r\n[Runtime]\r\nExtractPath=" + c.runtimePath + "\r\n");
    // GetOSExtractPath reads the names of an identification.
    os.OSVersion(1);
    log.lines.clear();
    const Text chosen = validator.GetFinalExtractPathParam(0, U16(c.commandLine), u"Pkg", 10);
    EXPECT_EQ(U8(chosen), c.expected) << log.All();
    EXPECT_EQ(U8(validator.ExtractPath), c.expected);
    for (const std::string& line : c.lines)
      EXPECT_TRUE(log.Has(LOG_INFO, "GetFinalExtractPathParam", line) ||
                  log.Has(LOG_INFO, "ValidatePathAndSpaceAvailable", line))
          << line << "\n" << log.All();
  }
  EXPECT_TRUE(boxes.texts.empty());

  // A valid package folder: %TEMP% is never tried.
  Settings("[Runtime]\r\nExtractPath=C:\\Runtime\r\n");
  log.lines.clear();
  EXPECT_EQ(U8(validator.GetFinalExtractPathParam(0, u"", u"Pkg", 10)), "C:\\Runtime\\");
  EXPECT_FALSE(log.HasMessage("Validating the Extract path : C:\\Users\\tester\\Temp\\Pkg"));

  // Nothing passes: empty, and ExtractPath keeps the last folder that did.
  Settings("[Runtime]\r\nExtractPath=D:\\Runtime\r\nExtractPathMaxLength=5\r\n");
  EXPECT_EQ(U8(validator.GetFinalExtractPathParam(0, u"C:\\Cmd", u"Pkg", 10)), "");
  EXPECT_EQ(U8(validator.ExtractPath), "C:\\Runtime\\");
  // Not enough space anywhere.
  Settings("[Runtime]\r\nExtractPath=C:\\Runtime\r\n");
  EXPECT_EQ(U8(validator.GetFinalExtractPathParam(0, u"", u"Pkg", 1ull << 40)), "");
}

// ---- license files -------------------------------------------------------------------------

TEST_F(Validator, LicenseFiles) {
  const Text prefix = kTemp;
  fake.AddFile(kTemp + u"Terms.txt", "terms");
  fake.AddFile(kTemp + u"Terms1031.RTF", "rtf");
  fake.AddFile(kTemp + u"Terms.doc", "doc");
  fake.AddFile(kTemp + u"Security.txt", "sec");
  Settings(
      "[LicenseFiles]\r\n1033=Terms.txt\r\n1031=Terms1031.RTF\r\n1036=Terms.doc\r\n1040=Missing.txt\r\n"
      "[SecurityLicenseFiles]\r\n1033=Security.txt\r\n");
  struct Case {
    int language;
    int kind;
    std::string expected;  // relative to the prefix; "" for none
    int level;
    std::string line;
  } cases[] = {
      {1033, 1, "Terms.txt", LOG_INFO, "License File for language 1033 : Terms.txt"},
      {1031, 1, "Terms1031.RTF", LOG_INFO, "License File for language 1031 : Terms1031.RTF"},
      {1036, 1, "", LOG_WARNING, "Invalid License File for language 1036 : Terms.doc"},  // no English fall-back
      {1040, 1, "", LOG_WARNING, "Invalid License File for language 1040 : Missing.txt"},
      {1046, 1, "Terms.txt", LOG_INFO, "English file taken as default."},
      {1046, 2, "Security.txt", LOG_INFO, "English file taken as default."},
      {1033, 2, "Security.txt", LOG_INFO, "Security License File for language 1033 : Security.txt"},
      {1031, 2, "Security.txt", LOG_WARNING, "Security License File for language 1031 not found."},
      {1031, 0, "Terms1031.RTF", LOG_INFO, "License File for language 1031 : Terms1031.RTF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.language) + " kind " + std::to_string(c.kind));
    log.lines.clear();
    const Text path = validator.CheckLicenseFiles(c.language, prefix, c.kind);
    EXPECT_EQ(U8(path), c.expected.empty() ? "" : U8(prefix) + c.expected);
    EXPECT_TRUE(log.Has(c.level, "CheckLicenseFiles", c.line)) << log.All();
  }
  // The English fall-back is taken without the validity test.
  Settings("[LicenseFiles]\r\n1033=Gone.doc\r\n");
  EXPECT_EQ(U8(validator.CheckLicenseFiles(1031, prefix, 1)), U8(prefix) + "Gone.doc");
  Settings("[LicenseFiles]\r\n");
  EXPECT_EQ(U8(validator.CheckLicenseFiles(1033, prefix, 1)), "");

  EXPECT_TRUE(validator.IsValidLicenseFile(kTemp + u"Terms.txt"));
  EXPECT_TRUE(validator.IsValidLicenseFile(kTemp + u"Terms1031.RTF"));
  EXPECT_FALSE(validator.IsValidLicenseFile(kTemp + u"Terms.doc"));
  EXPECT_FALSE(validator.IsValidLicenseFile(kTemp + u"Nothing.txt"));
  fake.AddFile(u"C:\\.txt", "x");
  EXPECT_FALSE(validator.IsValidLicenseFile(u"C:\\.t"));
  EXPECT_TRUE(validator.IsValidLicenseFile(u"C:\\.txt"));
  const Text deep = u"C:\\" + Text(260, u'a') + u".txt";
  EXPECT_FALSE(validator.IsValidLicenseFile(deep));
}

// ---- OS message and condition check ----------------------------------------------------------

TEST_F(Validator, OSMessages) {
  Settings(
      "[OS]\r\nosallowed=Windows7+\r\nwindows7+exclude=Home Basic;SKU48&&!SP1\r\n"
      "[1033]\r\nMsgOSError=[OSNAME] ([OSEDITION], [OSSERVICEPACK]) is not supported.[NEWLINE][MsgSupportedOS]\r\n"
      "MsgOSWarning=Warning: [OSNAME][TAB][OSEDITION]\r\n"
      "MsgSupportedOS=Supported:[TAB]Windows 7 and later, not [OSNAME]\r\n");
  const int verdict = os.OSVersion(0);
  ASSERT_EQ(verdict, OSCHECK_ERROR);
  EXPECT_EQ(U8(validator.GetOSNameText()), "Windows10 64 Bit");

  log.lines.clear();
  EXPECT_EQ(validator.CheckOS(verdict, 1033, 0, 1), OSCHECK_ERROR);
  // The placeholders are replaced one after the other: the supported-OS
  // text comes in after [OSNAME], so only its [NEWLINE] and [TAB] are.
  const std::string error =
      "Windows10 64 Bit (Professional, ) is not supported.\nSupported:\tWindows 7 and later, not [OSNAME]";
  EXPECT_EQ(U8(validator.GetOSMessage()), error);
  EXPECT_TRUE(log.Has(LOG_INFO, "CheckOS", "Message to be displayed : " + error)) << log.All();

  log.lines.clear();
  EXPECT_EQ(validator.CheckOS(OSCHECK_WARNING, 1033, 0, 0), OSCHECK_WARNING);
  EXPECT_EQ(U8(validator.GetOSMessage()), "Warning: Windows10 64 Bit\tProfessional");
  EXPECT_TRUE(log.lines.empty());

  EXPECT_EQ(validator.CheckOS(OSCHECK_SUPPORTED, 1033, 0, 1), OSCHECK_SUPPORTED);
  EXPECT_EQ(U8(validator.GetOSMessage()), "");
  // A language without the keys: empty text.
  EXPECT_EQ(validator.CheckOS(OSCHECK_ERROR, 1031, 0, 0), OSCHECK_ERROR);
  EXPECT_EQ(U8(validator.GetOSMessage()), "");

  // The service pack: "SP<n>", and text 422 after an "SP0" variant.
  os.ServicePack = u"2";
  validator.CheckOS(OSCHECK_ERROR, 1033, 0, 0);
  EXPECT_EQ(U8(validator.GetOSMessage()).substr(0, 40), "Windows10 64 Bit (Professional, SP2) is ");
  Settings("[OS]\r\nosallowed=Windows1064\r\nwindows1064exclude=SP0\r\n[1033]\r\nMsgOSError=[OSSERVICEPACK]\r\n");
  os.ServicePack.clear();
  ASSERT_EQ(os.OSVersion(0), OSCHECK_ERROR);
  validator.CheckOS(OSCHECK_ERROR, 1033, 0, 0);
  EXPECT_EQ(U8(validator.GetOSMessage()), "without any service pack");
}

TEST_F(Validator, OSNameText) {
  const std::pair<const char*, const char*> cases[] = {
      {"Windows1064", "Windows10 64 Bit"},
      {"Windows201964", "Windows2019 64 Bit"},
      {"Windows10", "Windows10"},
      {"Windows6464", "Windows 64 Bit 64 Bit"},  // every "64" once the name ends in it
      {"Windows64Beta", "Windows64Beta"},
      {"", ""},
  };
  for (auto [name, text] : cases) {
    os.OSName = U16(name);
    EXPECT_EQ(U8(validator.GetOSNameText()), text) << name;
  }
}

TEST_F(Validator, ConditionCheckIsConnected) {
  std::vector<int> asked;
  validator.SetConditionCheck([&asked](int language, Text& keys) {
    asked.push_back(language);
    keys = u"{MsgRequirements};{MsgToolVersion};";
    return 0;
  });
  EXPECT_EQ(validator.CheckConditions(1031), 0);
  EXPECT_EQ(asked, std::vector<int>{1031});
  EXPECT_EQ(U8(validator.ConditionMessageKeys), "{MsgRequirements};{MsgToolVersion};");
  validator.SetConditionCheck([](int, Text& keys) {
    keys.clear();
    return 1;
  });
  EXPECT_EQ(validator.CheckConditions(1033), 1);
  EXPECT_EQ(U8(validator.ConditionMessageKeys), "");
  validator.SetConditionCheck(nullptr);
  EXPECT_EQ(validator.CheckConditions(1033), 1);
}

TEST_F(Validator, WithoutItsServicesNothingBreaks) {
  CExtractorValidator bare(fake, log, messages);
  bare.SetSettingsFile(kSettings);
  Settings("[Runtime]\r\nAutoLaunch=setup.exe\r\n");
  Text path = u"C:\\Pkg";
  EXPECT_EQ(bare.ValidatePathAndSpaceAvailable(path, 1, 1), -1);
  EXPECT_EQ(U8(bare.GetFinalExtractPathParam(0, u"C:\\Pkg", u"Pkg", 1)), "");
  bare.ValidateSetupLangPassedFromCommandLine(u"1031");
  bare.ValidateAndSetAutolaunchFromCommandLine(u"no");
  EXPECT_EQ(bare.CheckOS(OSCHECK_ERROR, 1033, 0, 1), OSCHECK_ERROR);
  EXPECT_FALSE(bare.IsValidLicenseFile(kSettings));
  Text message;
  EXPECT_EQ(bare.CheckFreeSpace(u"C:\\Pkg\\", u"C:", 1, message), 1);
}

// ---- the OS check before extraction ------------------------------------------------------------

TEST_F(Validator, OSCheckBeforeExtraction) {
  const std::string excluded =
      "[OS]\r\nosallowed=Windows7+;WindowsXP\r\nwindows7+exclude=Home Basic;SKU48&&!SP1\r\n"
      "[1033]\r\nMsgOSError=not for [OSNAME]\r\n";
  struct Case {
    const char* what;
    std::string settings;
    int noOSCheck;
    int autolaunch;
    int runMode;
    int answer;
    int verdict;
    bool asked;
    bool quit;
    const char* osMessage;
  } cases[] = {
      {"NoOSCheck set", excluded + "[Package]\r\nCheckOs=1\r\n", 1, 1, RUNMODE_GUI, kAnswerNo, OSCHECK_SUPPORTED, false,
       false, ""},
      {"autolaunch off: verdict only", excluded + "[Package]\r\nCheckOs=1\r\n", 0, 0, RUNMODE_GUI, kAnswerNo,
       OSCHECK_ERROR, false, false, ""},
      {"CheckOs not set: no question", excluded, 0, 1, RUNMODE_GUI, kAnswerNo, OSCHECK_ERROR, false, false,
       "not for Windows10 64 Bit"},
      {"CheckOs set, user continues", excluded + "[Package]\r\nCheckOs=1\r\n", 0, 1, RUNMODE_GUI, kAnswerYes,
       OSCHECK_ERROR, true, false, "not for Windows10 64 Bit"},
      {"CheckOs set, user cancels", excluded + "[Package]\r\nCheckOs=1\r\n", 0, 1, RUNMODE_GUI, kAnswerNo,
       OSCHECK_ERROR, true, true, "not for Windows10 64 Bit"},
      {"unattended: no question", excluded + "[Package]\r\nCheckOs=1\r\n", 0, 1, RUNMODE_UNATTENDED, kAnswerNo,
       OSCHECK_ERROR, false, false, "not for Windows10 64 Bit"},
      {"allowed system: no question", "[OS]\r\nosallowed=Windows1064\r\n[Package]\r\nCheckOs=1\r\n", 0, 1, RUNMODE_GUI,
       kAnswerNo, OSCHECK_SUPPORTED, false, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Settings(c.settings + "[Languages]\r\nSetupLanguages=1033\r\n");
    init.SetNoOSCheckFlag(c.noOSCheck);
    init.SetAutolaunchFlag(c.autolaunch);
    init.SetSetupLanguage(1033);
    validator.CheckOS(OSCHECK_SUPPORTED, 1033, 0, 0);  // clears the OS message
    boxes.texts.clear();
    boxes.styles.clear();
    boxes.answer = c.answer;
    log.lines.clear();
    std::vector<int> quitCodes;
    COSCheckBeforeExtraction check(fake, log, os, validator, init, messages);
    const int verdict =
        check.ValidateOSBeforeExtraction(c.runMode, boxes, [&quitCodes](int code) { quitCodes.push_back(code); });
    EXPECT_EQ(verdict, c.verdict) << log.All();
    EXPECT_EQ(U8(validator.GetOSMessage()), c.osMessage);
    ASSERT_EQ(boxes.texts.size(), c.asked ? 1u : 0u);
    if (c.asked) {
      // The description is name, edition and service pack joined by
      // blanks; without a service pack it ends in a blank.
      EXPECT_EQ(boxes.texts[0], "Windows10 64 Bit Professional  is not supported. Do you want to continue?");
      EXPECT_EQ(boxes.styles[0], mbstyle::kYesNo | mbstyle::kIconQuestion);
      EXPECT_TRUE(log.Has(LOG_INFO, "ValidateOSBeforeExtraction", "Operating System will be validated before extraction"));
      EXPECT_TRUE(log.Has(LOG_INFO, "ValidateOSBeforeExtraction", "Confirming from user : "));
      EXPECT_TRUE(log.Has(LOG_INFO, "ValidateOSBeforeExtraction",
                          c.quit ? "User confirmed to cancel the extraction" : "User confirmed to continue the extraction"));
    }
    EXPECT_EQ(quitCodes, c.quit ? std::vector<int>{-1} : std::vector<int>{});
    EXPECT_EQ(log.Has(LOG_INFO, "ValidateOSBeforeExtraction", "NoOSCheck is set"), c.noOSCheck == 1);
    // The identification runs unless the check is off.
    EXPECT_EQ(log.HasMessage("Operating System : Windows1064"), c.noOSCheck == 0);
    EXPECT_EQ(log.Has(LOG_ERROR, "ValidateOSBeforeExtraction", "Current operating system not supported"),
              c.autolaunch == 1 && c.noOSCheck == 0 && c.verdict == OSCHECK_ERROR);
  }
}

TEST_F(Validator, OSCheckQuestionInTheUserInterfaceLanguage) {
  Settings(
      "[OS]\r\nosallowed=Windows7+\r\nwindows7+exclude=SP0\r\n[Package]\r\nCheckOs=1\r\n"
      "[Languages]\r\nSetupLanguages=1033;1031\r\n");
  fake.AddFile(kTemp + u"Default1031.ulf",
               Utf16File("[FileInfo]\r\nID=1031\r\n[T]\r\n418=[OSNAME] wird nicht unterstützt.\r\n"
                         "422=ohne Service Pack\r\n"));
  fake.SetUserUILanguage(1031);
  init.SetAutolaunchFlag(1);
  init.SetSetupLanguage(1033);
  COSCheckBeforeExtraction check(fake, log, os, validator, init, messages);
  EXPECT_EQ(check.ValidateOSBeforeExtraction(RUNMODE_GUI, boxes, nullptr), OSCHECK_ERROR);
  EXPECT_EQ(init.GetSetupLanguage(), 1031);
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(boxes.texts[0], "Windows10 64 Bit Professional ohne Service Pack wird nicht unterstützt.");
}

}  // namespace
}  // namespace tovu
