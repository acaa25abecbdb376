// Message texts: placeholder replacement, the built-in catalogue, language
// files loaded from the Tovu temp folder of the fake platform (the UTF-16LE
// files of tests/data/messages), the captions of the language choice and
// the texts of extraction errors.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "cmdline/run_mode.h"
#include "fakes/fake_platform.h"
#include "settings/builtin_messages.h"
#include "settings/initializer.h"
#include "settings/messages.h"
#include "support/test_support.h"

namespace tovu {
namespace {

using test::Utf16Le;

std::string Show(const Text& t) { return ToUtf8(t); }

const Text kTemp = u"C:\\Temp\\{6B29FC40-CA47-1067-B31D-00DD010662DA}\\";
const Text kWrongIdFolder = u"C:\\Temp\\wrongid\\";
const Text kNoIdFolder = u"C:\\Temp\\noid\\";

// ---- placeholders ----------------------------------------------------------

struct ReplaceCase {
  const char16_t* text;
  Text expected;
};

TEST(Placeholders, ReplacedInOnePassWithoutRescanningValues) {
  const PlaceholderValue values[] = {
      {placeholder::kFileName, u"[PATH]setup.exe"},
      {placeholder::kPath, u"C:\\Ext\\"},
      {placeholder::kNewline, kLineBreak},
      {placeholder::kDriveName, u""},
  };
  const ReplaceCase cases[] = {
      {u"", u""},
      {u"no placeholder", u"no placeholder"},
      {u"[PATH]", u"C:\\Ext\\"},
      {u"a [PATH] b [PATH] c", u"a C:\\Ext\\ b C:\\Ext\\ c"},
      {u"[FILENAME] in [PATH]", u"[PATH]setup.exe in C:\\Ext\\"},  // inserted text not searched again
      {u"one[NEWLINE][NEWLINE]two", u"one\n\ntwo"},
      {u"drive [DRIVENAME].", u"drive ."},                          // empty value
      {u"[path] [Path] [ PATH]", u"[path] [Path] [ PATH]"},          // exact, case-sensitive
      {u"[OSNAME] [TAB]", u"[OSNAME] [TAB]"},                        // not in the list: stays
      {u"[[PATH]]", u"[C:\\Ext\\]"},
      {u"[PATH [NEWLINE", u"[PATH [NEWLINE"},                        // unclosed
      {u"[PATH][PATH]", u"C:\\Ext\\C:\\Ext\\"},
  };
  for (const ReplaceCase& c : cases) {
    EXPECT_EQ(ReplacePlaceholders(c.text, values), c.expected) << Show(c.text);
  }
}

TEST(Placeholders, EarlierNameWinsAndEmptyNamesNeverMatch) {
  EXPECT_EQ(ReplacePlaceholders(u"[A][AB]", {{u"[A", u"1"}, {u"[AB]", u"2"}, {u"", u"x"}}), u"1]1B]");
  EXPECT_EQ(ReplacePlaceholders(u"[A][AB]", {{u"[AB]", u"2"}, {u"[A", u"1"}}), u"1]2");
  EXPECT_EQ(ReplacePlaceholders(u"abc", {{u"", u"x"}}), u"abc");
}

TEST(Placeholders, SettingsTextsGetLineBreaksAndTabs) {
  EXPECT_EQ(ExpandSettingsText(u"Name:[TAB]Value[NEWLINE]Next[TAB][TAB]"), u"Name:\tValue\nNext\t\t");
  EXPECT_EQ(ExpandSettingsText(u"[PRODUCTNAME]\\n"), u"[PRODUCTNAME]\\n");
}

// ---- the built-in catalogue ------------------------------------------------

TEST(BuiltInCatalogue, TextsAsTheProgramShowsThem) {
  struct Case {
    int id;
    Text text;
  };
  const Case cases[] = {
      {101, u"&About Fennock..."},
      {106, u"Unable to find a volume for file extraction.\nPlease verify that you have proper permissions."},
      {114, u"Finish (&z)"},
      {204, u"Launge d'installation : &Fran\u00E7ais"},
      {205, u"Idioma de Instalaci\u00F3n Es&pa\u00F1ol"},
      {407, u"Drive [DRIVENAME]  Available space: [AVALSPACEIN]"},
      {421, u"You do not have sufficient privileges to run the Web Package.\nPlease contact your administrator."},
      {509, u"Cannot copy [FILENAME]: It is being used by another person or program.[NEWLINE]Close any programs "
            u"that might be using the file and try again."},
      {616, u"Installation finished: [PRODUCTNAME]"},
      {802, u"You must meet the following requirements to be able to successfully extract the Web Package on your "
            u"computer."},
      {1018, u"Lingua &Italian installzione"},
      // the numbers the startup and the initialiser use by name
      {MSG_EXTRACTION_FAILED, u"Extraction failed"},
      {MSG_NO_VOLUME_WITH_SPACE, u"Unable to find a volume with enough disk space for file extraction."},
      {MSG_ANOTHER_INSTANCE, u"Another instance is already running."},
      {MSG_AN_ERROR_OCCURRED, u"An error occurred."},
      {MSG_OLE_INIT_FAILED, u"OLE initialization failed. Make sure that the OLE libraries are the correct version."},
      {MSG_PART_FILE_CORRUPT, u"Part file [FILENAME] is corrupt."},
      {MSG_NOT_SUFFICIENT_SPACE, u"There is not sufficient space on drive [DRIVENAME]."},
      // numbers between the entries and outside
      {0, u""},
      {-1, u""},
      {100, u""},
      {116, u""},
      {617, u""},
      {1019, u""},
      {65536 + 101, u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetBuiltInMessageText(c.id), c.text) << c.id;
    EXPECT_EQ(CompiledInMessageTexts().LoadText(c.id), c.text) << c.id;
  }
}

TEST(BuiltInCatalogue, EveryEntryIsFoundByItsNumber) {
  const auto all = BuiltInMessages();
  ASSERT_FALSE(all.empty());
  for (size_t i = 0; i < all.size(); ++i) {
    if (i > 0) {
      EXPECT_LT(all[i - 1].id, all[i].id);
    }
    EXPECT_EQ(GetBuiltInMessageText(all[i].id), all[i].text) << all[i].id;
    EXPECT_NE(all[i].text[0], u'\0') << all[i].id;
  }
}

// ---- language files --------------------------------------------------------

class LanguageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"Default1031.ulf", "Default1036.ulf", "Default1041.ulf", "Defaultx.ulf"})
      AddFixture(kTemp, name, std::string("messages/") + name);
    AddFixture(kWrongIdFolder, "Default1031.ulf", "messages/wrongid/Default1031.ulf");
    AddFixture(kNoIdFolder, "Default1034.ulf", "messages/noid/Default1034.ulf");
  }
  void AddFixture(const Text& folder, const char* name, const std::string& relative) {
    const std::string bytes = test::ReadTestData(relative);
    ASSERT_FALSE(bytes.empty()) << relative;
    fake_.AddFile(folder + Widen(name), bytes);
  }
  // The texts of a few numbers as the program would show them now.
  std::vector<Text> Texts(std::initializer_list<int> ids) {
    std::vector<Text> out;
    for (int id : ids) out.push_back(catalog_.GetMessageText(id));
    return out;
  }

  test::FakePlatform fake_;
  CMessageCatalog catalog_{fake_};
};

TEST_F(LanguageFiles, GermanTextsWithEnglishForTheRest) {
  EXPECT_EQ(catalog_.LoadLanguageFile(1031, kTemp), LANGFILE_LOADED);
  struct Case {
    int id;
    Text text;
  };
  const Case cases[] = {
      {110, u"< &Zur\u00FCck"},
      {113, u"Wollen Sie wirklich abbrechen?"},
      {112, u"Abbre&chen"},  // a later section overwrites the earlier line
      {200, u"Willkommen beim Setup von [PACKAGEDISPLAYNAME]."},
      {602, u"Ein Fehler ist aufgetreten.\n\nSiehe Protokoll."},
      {509, u"[FILENAME] kann nicht kopiert werden.\nSchlie\u00DFen Sie alle Programme."},
      // backslash and n stay two characters
      {421, u"Sie haben nicht die n\u00F6tigen Rechte.\\nWenden Sie sich an Ihren Administrator."},
      // lines whose key is no number, [FileInfo] included, end up under 0
      {0, u"kein Nummernschl\u00FCssel"},
      // not in the file: English
      {201, u"Please click Next to continue."},
      {111, u"&Weiter >"},
      {616, u"Installation finished: [PRODUCTNAME]"},
      {9999, u""},
  };
  for (const Case& c : cases) EXPECT_EQ(catalog_.GetMessageText(c.id), c.text) << c.id;
}

TEST_F(LanguageFiles, LaterLanguagesKeepEarlierEntriesUntilEnglish) {
  ASSERT_EQ(catalog_.LoadLanguageFile(1031, kTemp), LANGFILE_LOADED);
  ASSERT_EQ(catalog_.LoadLanguageFile(1036, kTemp), LANGFILE_LOADED);
  EXPECT_EQ(Texts({110, 112, 113, 200, 201}),
            (std::vector<Text>{u"< &Pr\u00E9c\u00E9dent", u"&Annuler", u"Wollen Sie wirklich abbrechen?",
                               u"Willkommen beim Setup von [PACKAGEDISPLAYNAME].", u"Please click Next to continue."}));

  EXPECT_EQ(catalog_.LoadLanguageFile(1033, kTemp), LANGFILE_ENGLISH);
  EXPECT_TRUE(catalog_.GetMessageMap().empty());
  EXPECT_EQ(Texts({110, 112, 113, 200}),
            (std::vector<Text>{u"< &Back", u"&Cancel", u"Do you really want to cancel?",
                               u"Welcome to the Setup of [PACKAGEDISPLAYNAME]."}));
  // 1033 never reads a file, not even when one is there
  fake_.AddFile(kTemp + u"Default1033.ulf", Utf16Le(u"[FileInfo]\r\nID=1033\r\n[T]\r\n113=Other\r\n"));
  EXPECT_EQ(catalog_.LoadLanguageFile(1033, kTemp), LANGFILE_ENGLISH);
  EXPECT_EQ(catalog_.GetMessageText(113), u"Do you really want to cancel?");
}

TEST_F(LanguageFiles, RefusedOrMissingFilesLeaveTheTextsAsTheyWere) {
  ASSERT_EQ(catalog_.LoadLanguageFile(1036, kTemp), LANGFILE_LOADED);
  const std::map<int, Text> french = catalog_.GetMessageMap();
  ASSERT_EQ(catalog_.GetMessageText(112), u"&Annuler");

  // Default1031.ulf whose ID says 1036
  EXPECT_EQ(catalog_.LoadLanguageFile(1031, kWrongIdFolder), LANGFILE_WRONG_ID);
  EXPECT_EQ(catalog_.GetMessageMap(), french);
  // no file for the language, no folder at all, a folder under the file's name
  fake_.AddFolder(kTemp + u"Default1040.ulf");
  EXPECT_EQ(catalog_.LoadLanguageFile(1040, kTemp), LANGFILE_LOADED);
  EXPECT_EQ(catalog_.LoadLanguageFile(1049, kTemp), LANGFILE_LOADED);
  EXPECT_EQ(catalog_.LoadLanguageFile(1031, u"C:\\Nowhere\\"), LANGFILE_LOADED);
  EXPECT_EQ(catalog_.GetMessageMap(), french);

  // A file without an ID line is taken.
  EXPECT_EQ(catalog_.LoadLanguageFile(1034, kNoIdFolder), LANGFILE_LOADED);
  EXPECT_EQ(catalog_.GetMessageText(112), u"&Cancelar");
  EXPECT_EQ(catalog_.GetMessageText(110), u"< &Pr\u00E9c\u00E9dent");
  EXPECT_EQ(catalog_.GetMessageText(0), u"Espa\u00F1ol");  // LangName, stored under 0
}

TEST_F(LanguageFiles, IdLineRules) {
  struct Case {
    const char16_t* what;
    Text fileInfo;  // the [FileInfo] section's lines
    int expected;
  };
  const Case cases[] = {
      {u"matching", u"ID=1046\r\n", LANGFILE_LOADED},
      {u"blanks around name and value", u"  ID  =  1046  \r\n", LANGFILE_LOADED},
      {u"other language", u"ID=1036\r\n", LANGFILE_WRONG_ID},
      {u"same number, other text", u"ID=01046\r\n", LANGFILE_WRONG_ID},
      {u"empty value", u"ID=\r\n", LANGFILE_WRONG_ID},
      {u"number with a tail", u"ID=1046 (pt-BR)\r\n", LANGFILE_WRONG_ID},
      {u"first ID line counts", u"ID=1046\r\nID=1036\r\n", LANGFILE_LOADED},
      {u"first ID line refuses", u"ID=1036\r\nID=1046\r\n", LANGFILE_WRONG_ID},
      {u"key case matters", u"id=1036\r\nId=1036\r\n", LANGFILE_LOADED},
      {u"only LangName", u"LangName=Portugu\u00EAs\r\n", LANGFILE_LOADED},
      {u"commented out", u";ID=1036\r\n", LANGFILE_LOADED},
  };
  for (const Case& c : cases) {
    CMessageCatalog catalog(fake_);
    fake_.AddFile(kTemp + u"Default1046.ulf",
                  Utf16Le(u"[FileInfo]\r\n" + c.fileInfo + u"[Textos]\r\n112=&Cancelar\r\n"));
    const int result = catalog.LoadLanguageFile(1046, kTemp);
    EXPECT_EQ(result, c.expected) << Show(c.what);
    EXPECT_EQ(catalog.GetMessageText(112), result == LANGFILE_LOADED ? u"&Cancelar" : u"&Cancel") << Show(c.what);
  }
  // An ID line outside [FileInfo] is only a text.
  fake_.AddFile(kTemp + u"Default1046.ulf", Utf16Le(u"[Other]\r\nID=1036\r\n112=&Cancelar\r\n"));
  EXPECT_EQ(catalog_.LoadLanguageFile(1046, kTemp), LANGFILE_LOADED);
  EXPECT_EQ(catalog_.GetMessageText(0), u"1036");
}

TEST_F(LanguageFiles, SectionsAndNamesLongerThanTheFirstBuffer) {
  ASSERT_EQ(catalog_.LoadLanguageFile(1041, kTemp), LANGFILE_LOADED);
  for (int n = 2000; n < 2300; ++n) {
    const Text expected =
        u"\u30E1\u30C3\u30BB\u30FC\u30B8 " + Widen(std::to_string(n)) +
        u" \u306E\u672C\u6587\u306F\u3053\u3053\u306B\u3042\u308A\u307E\u3059\u3002";
    ASSERT_EQ(catalog_.GetMessageText(n), expected) << n;
  }
  for (int s = 0; s < 120; ++s) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "Abschnitt %03d", s);
    ASSERT_EQ(catalog_.GetMessageText(3000 + s), Widen(buf)) << s;
  }
  EXPECT_EQ(catalog_.GetMessageMap().size(), 300u + 120u + 1u);  // and number 0
}

TEST_F(LanguageFiles, SectionThatFillsTheBufferExactly) {
  // A section of exactly 1,022 characters ("key=value" and its zero) comes
  // back from a 1,024-character buffer as if cut: the reader must look again.
  const Text value(1022 - 5 - 1, u'v');  // "2000=" + value + zero = 1022
  fake_.AddFile(kTemp + u"Default1043.ulf", Utf16Le(u"[Tekst]\r\n2000=" + value + u"\r\n"));
  ASSERT_EQ(catalog_.LoadLanguageFile(1043, kTemp), LANGFILE_LOADED);
  EXPECT_EQ(catalog_.GetMessageText(2000), value);
  const Text longer(5000, u'w');
  fake_.AddFile(kTemp + u"Default1043.ulf", Utf16Le(u"[Tekst]\r\n2001=" + longer + u"\r\n2002=end\r\n"));
  ASSERT_EQ(catalog_.LoadLanguageFile(1043, kTemp), LANGFILE_LOADED);
  EXPECT_EQ(catalog_.GetMessageText(2001), longer);
  EXPECT_EQ(catalog_.GetMessageText(2002), u"end");
}

TEST_F(LanguageFiles, ALargeFileIsReadOnceForTheWholeLoad) {
  // About 60 KB in 800 sections of one text each, a section name used twice
  // (the reader takes the first one's lines both times) and a [FileInfo]
  // at the end.
  Text file = u"; many sections\r\n";
  for (int s = 0; s < 800; ++s) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "[Section %04d]\r\n%d=Text of message %d in its own section\r\n", s, 5000 + s,
                  5000 + s);
    file += Widen(buf);
  }
  file += u"[section 0007]\r\n9999=never read: the first section of that name answers\r\n";
  file += u"[FileInfo]\r\nID=1049\r\nLangName=Russian\r\n";
  const std::string bytes = Utf16Le(file);
  ASSERT_GT(bytes.size(), 60000u);
  fake_.AddFile(kTemp + u"Default1049.ulf", bytes);

  fake_.wholeFileReads = 0;
  ASSERT_EQ(catalog_.LoadLanguageFile(1049, kTemp), LANGFILE_LOADED);
  EXPECT_EQ(fake_.wholeFileReads, 1);
  const std::map<int, Text>& map = catalog_.GetMessageMap();
  EXPECT_EQ(map.size(), 800u + 1u);  // and number 0 of the [FileInfo] lines
  for (int n : {5000, 5007, 5400, 5799})
    EXPECT_EQ(catalog_.GetMessageText(n), u"Text of message " + Widen(std::to_string(n)) + u" in its own section")
        << n;
  EXPECT_EQ(map.count(9999), 0u);

  // A refused file costs one reading too.
  fake_.wholeFileReads = 0;
  EXPECT_EQ(catalog_.LoadLanguageFile(1050, kTemp), LANGFILE_LOADED);  // no such file: not read at all
  EXPECT_EQ(fake_.wholeFileReads, 0);
  fake_.AddFile(kTemp + u"Default1050.ulf", bytes);
  EXPECT_EQ(catalog_.LoadLanguageFile(1050, kTemp), LANGFILE_WRONG_ID);
  EXPECT_EQ(fake_.wholeFileReads, 1);
}

TEST_F(LanguageFiles, KeysReadAsDecimalNumbers) {
  fake_.AddFile(kTemp + u"Default1045.ulf", Utf16Le(u"[Teksty]\r\n"
                                                    u"+7=plus\r\n"
                                                    u"12abc=tail\r\n"
                                                    u"0x10=hex\r\n"
                                                    u"-5=minus\r\n"
                                                    u"=no key\r\n"
                                                    u"113=a=b\r\n"
                                                    u"no equals sign\r\n"));
  ASSERT_EQ(catalog_.LoadLanguageFile(1045, kTemp), LANGFILE_LOADED);
  const std::map<int, Text> expected = {
      {7, u"plus"}, {12, u"tail"}, {-5, u"minus"}, {113, u"a=b"}, {0, u""},  // "no equals sign" is last of the 0s
  };
  EXPECT_EQ(catalog_.GetMessageMap(), expected);

  struct Case {
    const char16_t* key;
    int number;
  };
  const Case cases[] = {
      {u"113", 113},   {u" \t113", 113}, {u"+7", 7},       {u"-5", -5},          {u"12abc", 12},
      {u"abc", 0},     {u"", 0},         {u"0x10", 0},     {u"- 5", 0},          {u"007", 7},
      {u"99999999999", INT_MAX},         {u"-99999999999", INT_MIN},            {u"2147483647", INT_MAX},
      {u"-2147483648", INT_MIN},         {u"\u0661\u0662", 0},  // other digits are no digits
  };
  for (const Case& c : cases) EXPECT_EQ(MessageNumberFromKey(c.key), c.number) << Show(c.key);
}

TEST_F(LanguageFiles, LanguageNames) {
  fake_.AddFile(kTemp + u"Default1046.ulf", Utf16Le(u"[FileInfo]\r\nID=1046\r\n[Textos]\r\n112=&Cancelar\r\n"));
  struct Case {
    int lcid;
    Text folder;
    Text name;
  };
  const Case cases[] = {
      {1031, kTemp, u"Deutsch"},
      {1036, kTemp, u"Fran\u00E7ais"},
      {1041, kTemp, u"\u65E5\u672C\u8A9E"},
      {1034, kNoIdFolder, u"Espa\u00F1ol"},
      {1046, kTemp, u""},  // no LangName line
      {1040, kTemp, u""},  // no file
      {1033, kTemp, u""},  // English has no file either
  };
  for (const Case& c : cases) EXPECT_EQ(catalog_.GetLangName(c.lcid, c.folder), c.name) << c.lcid;
  EXPECT_TRUE(catalog_.GetMessageMap().empty());  // names are read, not loaded
}

TEST_F(LanguageFiles, RadioButtonCaptions) {
  struct Case {
    int lcid;
    Text caption;
  };
  const Case cases[] = {
      {1031, u"&Deutsch"},
      {1033, u"&English"},
      {1036, u"&Fran\u00E7ais"},
      {1034, u"Espa\u00F1&ol"},
      {1040, u"&Italiano"},
      {2052, u"\u7B80\u4F53\u4E2D\u6587 (&H)"},
      {1041, u"\u65E5\u672C\u8A9E (&J)"},
      {1028, u"\u7E41\u9AD4\u4E2D\u6587 (&X)"},
      {1042, u"\uD55C\uAD6D\uC5B4 (&K)"},
      {3082, u"Espa\u00F1o&l"},
      {1049, u"P&y\u0441\u0441\u043A\u0438\u0439"},
      {1046, u"Portu&gu\u00EAs"},
      {1044, u"Unknown Language"},  // empty caption
      {1053, u"Unknown Language"},  // no line
  };
  for (const Case& c : cases) EXPECT_EQ(catalog_.GetLanguageButtonText(c.lcid, kTemp), c.caption) << c.lcid;
  EXPECT_EQ(catalog_.GetLanguageButtonText(1031, kNoIdFolder), u"Unknown Language");  // no Defaultx.ulf

  // The choice file of the package fixture.
  const Text packageFolder = u"C:\\Pkg\\";
  fake_.AddFile(packageFolder + u"Defaultx.ulf", test::ReadTestData("package/Defaultx.ulf"));
  EXPECT_EQ(catalog_.GetLanguageButtonText(2052, packageFolder), u"\u7B80\u4F53\u4E2D\u6587 (&H)");
  EXPECT_EQ(catalog_.GetLanguageButtonText(1036, packageFolder), u"&Fran\u00E7ais");
  EXPECT_EQ(catalog_.GetLanguageButtonText(1040, packageFolder), u"Unknown Language");
}

// ---- extraction errors -----------------------------------------------------

class RecordingMessageBox : public IMessageBoxRoutine {
 public:
  int ShowMessageBox(const Text& text, uint32_t style) override {
    shown.push_back(text);
    styles.push_back(style);
    return 1;
  }
  std::vector<Text> shown;
  std::vector<uint32_t> styles;
};

TEST(ExtractionErrors, UserAndLogTextsPerCode) {
  test::FakePlatform fake;
  CMessageCatalog catalog(fake);
  RecordingMessageBox box;
  catalog.SetMessageBoxRoutine(&box);
  const Text f = u"Pkg.003";
  struct Case {
    int code;
    Text folder;
    Text user;
    Text log;
  };
  const Case cases[] = {
      {-5, u"C:\\Ext\\", u"Part file Pkg.003 is corrupt.", u"Part file Pkg.003 is corrupt."},
      {-3, u"C:\\Ext\\", u"Part file Pkg.003 is invalid.", u"Part file Pkg.003 is invalid."},
      {-2, u"C:\\Ext\\", u"Part file Pkg.003 not found.", u"Part file Pkg.003 not found"},
      {1, u"C:\\Ext\\", u"Part file Pkg.003 not found.", u"Part file Pkg.003 not found"},
      {5, u"C:\\Ext\\", u"Access is denied.", u"Access is denied."},
      {32, u"C:\\Ext\\",
       u"Cannot copy Pkg.003: It is being used by another person or program.\nClose any programs that might be "
       u"using the file and try again.",
       u"Cannot copy Pkg.003 It is being used by another person or program.Close any programs that might be using "
       u"the file and try again."},
      {8, u"D:\\Ext\\Sub\\", u"There is not sufficient space on drive D:.",
       u"There is not sufficient space on drive :D:"},
      {39, u"\\\\srv\\share\\Ext\\", u"There is not sufficient space on drive \\\\srv\\share.",
       u"There is not sufficient space on drive :\\\\srv\\share"},
      {39, u"", u"There is not sufficient space on drive .", u"There is not sufficient space on drive :"},
      {2, u"C:\\Ext\\", u"", u"The system cannot find the file specified.\r\n"},
      {0, u"C:\\Ext\\", u"", u"The operation completed successfully.\r\n"},
      {1234, u"C:\\Ext\\", u"", u"Error 1234.\r\n"},
      {-1, u"C:\\Ext\\", u"", u"Error 4294967295.\r\n"},
  };
  for (const Case& c : cases) {
    const ExtractionErrorTexts t = catalog.DescribeExtractionError(c.code, f, c.folder);
    EXPECT_EQ(t.userText, c.user) << c.code;
    EXPECT_EQ(t.logText, c.log) << c.code;

    for (int mode : {RUNMODE_UNATTENDED, RUNMODE_SILENT}) {
      EXPECT_EQ(catalog.ReportExtractionError(c.code, f, mode, c.folder), c.log) << c.code;
      EXPECT_TRUE(box.shown.empty()) << c.code << " " << mode;
    }
    EXPECT_EQ(catalog.ReportExtractionError(c.code, f, RUNMODE_GUI, c.folder), c.log) << c.code;
    if (c.user.empty()) {
      EXPECT_TRUE(box.shown.empty()) << c.code;
    } else {
      EXPECT_EQ(box.shown, std::vector<Text>{c.user}) << c.code;
      EXPECT_EQ(box.styles, std::vector<uint32_t>{mbstyle::kOk | mbstyle::kIconError}) << c.code;
    }
    box.shown.clear();
    box.styles.clear();
  }
}

TEST(ExtractionErrors, UserTextsInTheLoadedLanguageLogTextsInEnglish) {
  test::FakePlatform fake;
  fake.AddFile(kTemp + u"Default1031.ulf", test::ReadTestData("messages/Default1031.ulf"));
  CMessageCatalog catalog(fake);
  RecordingMessageBox box;
  catalog.SetMessageBoxRoutine(&box);
  ASSERT_EQ(catalog.LoadLanguageFile(1031, kTemp), LANGFILE_LOADED);

  EXPECT_EQ(catalog.ReportExtractionError(32, u"a[PATH].cab", RUNMODE_GUI, u"C:\\Ext\\"),
            u"Cannot copy a[PATH].cab It is being used by another person or program.Close any programs that might "
            u"be using the file and try again.");
  EXPECT_EQ(catalog.ReportExtractionError(-5, u"Pkg.001", RUNMODE_GUI, u"C:\\Ext\\"),
            u"Part file Pkg.001 is corrupt.");
  EXPECT_EQ(box.shown, (std::vector<Text>{u"a[PATH].cab kann nicht kopiert werden.\nSchlie\u00DFen Sie alle Programme.",
                                          u"Part file Pkg.001 is corrupt."}));

  // Without a routine nothing is shown, and the log text is the same.
  CMessageCatalog quiet(fake);
  EXPECT_EQ(quiet.ReportExtractionError(5, u"x", RUNMODE_GUI, u"C:\\"), u"Access is denied.");
}

TEST(ExtractionErrors, DriveOfTheExtractionFolder) {
  struct Case {
    const char16_t* folder;
    Text drive;
  };
  const Case cases[] = {
      {u"C:\\Ext\\", u"C:"},         {u"d:\\", u"d:"},       {u"E:", u"E:"},
      {u"\\\\srv\\share\\a\\", u"\\\\srv\\share"},           {u"\\\\srv\\share", u"\\\\srv\\share"},
      {u"\\\\srv\\", u""},  {u"\\\\\\x", u""},      {u"\\\\srv\\\\x", u""},
      {u"relative\\x", u""},         {u"1:\\x", u""},        {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(DriveOfFolder(c.folder), c.drive) << Show(c.folder);
}

}  // namespace
}  // namespace tovu
