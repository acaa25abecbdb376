// The profile reader's rules (the platform's, as the differential test
// under Wine confirms them) and the writer's preservation of lines and
// encoding, on the fake platform.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "fakes/fake_platform.h"
#include "settings/package_settings.h"
#include "settings/profile.h"
#include "support/test_support.h"

namespace tovu {
namespace {

using test::Utf16Le;

using namespace std::string_literals;

const Text kFile = u"C:\\t\\p.ini";

const Text kMain = Text(u"top=nameless\r\n"
                        u"[S]\r\n"
                        u"  blank  =  v1  \r\n"
                        u"quoted=\"hello\"\r\n"
                        u"single='hi'\r\n"
                        u"onequote=\"abc\r\n"
                        u"inner=a\"b\"c\r\n"
                        u"nokey\r\n"
                        u"=emptyname\r\n"
                        u"empty=\r\n"
                        u";comment=1\r\n"
                        u"//slash=2\r\n"
                        u"long=") +
                   Text(1500, u'L') +
                   (u"\r\n"
                        u"dup=first\r\n"
                        u"DUP=second\r\n"
                        u"hex=0x1F\r\n"
                        u"neg=-12\r\n"
                        u"wrap=4294967297\r\n"
                        u"lead= 42abc\r\n"
                        u"nul=a\0b\r\n"
                        u"nbsp=\u00A0x\u00A0\r\n"
                        u"\u00C4=upper\r\n"
                        u"[s]\r\n"
                        u"dup=third\r\n"
                        u"only=second section\r\n"
                        u"[  Trim Me  ]junk\r\n"
                        u"t=1\r\n"
                        u"[x]y]\r\n"
                        u"xy=1\r\n"s);

class ProfileReader : public ::testing::Test {
 protected:
  void SetUp() override { fake_.AddFile(kFile, Utf16Le(kMain)); }
  test::FakePlatform fake_;
  CProfile profile_{fake_};
};

struct StringCase {
  const char16_t* section;
  const char16_t* key;
  const char16_t* def;
  size_t size;
  Text expected;
};

TEST_F(ProfileReader, StringsFollowThePlatformRules) {
  const StringCase cases[] = {
      {u"S", u"blank", u"D", 1024, u"v1"},             // blanks around name, "=" and value
      {u"s", u"BLANK", u"D", 1024, u"v1"},             // case of names ignored
      {u" S\t", u" blank ", u"D", 1024, u"v1"},        // blanks of the asked names ignored
      {u"S", u"quoted", u"D", 1024, u"hello"},         // surrounding double quotes removed
      {u"S", u"quoted", u"D", 7, u"hello"},
      {u"S", u"quoted", u"D", 6, u"hell"},             // closing quote just fits: one more goes
      {u"S", u"quoted", u"D", 5, u"hell"},             // cut before the closing quote
      {u"S", u"single", u"D", 1024, u"hi"},            // single quotes too
      {u"S", u"onequote", u"D", 1024, u"\"abc"},       // one quote stays
      {u"S", u"inner", u"D", 1024, u"a\"b\"c"},
      {u"S", u"nokey", u"D", 1024, u"D"},              // a line without "=" has no value
      {u"S", u"", u"D", 1024, u"emptyname"},           // "=value" is a key with an empty name
      {u"S", u"empty", u"D", 1024, u""},               // empty value, not the default
      {u"S", u";comment", u"D", 1024, u"1"},           // comment lines are keys to the string reader
      {u"S", u"//slash", u"D", 1024, u"2"},
      {u"S", u"long", u"D", 1024, Text(1023, u'L')},  // cut at buffer - 1
      {u"S", u"long", u"D", 1, u""},
      {u"S", u"dup", u"D", 1024, u"first"},            // first of duplicate keys
      {u"S", u"only", u"D", 1024, u"D"},               // duplicate sections are not merged
      {u"S", u"nul", u"D", 1024, u"a"},                // a zero character ends the value
      {u"S", u"nbsp", u"D", 1024, u"\u00A0x\u00A0"},   // only ASCII blanks are trimmed
      {u"S", u"\u00E4", u"D", 1024, u"D"},             // only ASCII letters fold
      {u"S", u"\u00C4", u"D", 1024, u"upper"},
      {u"Trim Me", u"t", u"D", 1024, u"1"},            // section name trimmed, junk after "]"
      {u"x]y", u"xy", u"D", 1024, u"1"},               // the name runs to the last "]"
      {u"", u"top", u"D", 1024, u"nameless"},          // lines before the first section
      {u"S", u"missing", u"x  ", 1024, u"x"},          // trailing spaces of the default go
      {u"S", u"missing", u"\"q\"", 1024, u"q"},        // and its quotes
      {u"S", u"missing", u"DEF", 3, u"DE"},
      {u"nosuch", u"k", u"D", 1024, u"D"},
  };
  for (const StringCase& c : cases) {
    EXPECT_EQ(profile_.GetString(kFile, c.section, c.key, c.def, c.size), c.expected)
        << test::Escape(ToUtf8(c.section)) << "/" << test::Escape(ToUtf8(c.key)) << " size " << c.size;
  }
}

TEST_F(ProfileReader, IntegersFollowThePlatformRules) {
  EXPECT_EQ(profile_.GetInt(kFile, u"S", u"hex", 7), 31);     // "0x" prefix is read
  EXPECT_EQ(profile_.GetInt(kFile, u"S", u"neg", 7), -12);
  EXPECT_EQ(profile_.GetInt(kFile, u"S", u"wrap", 7), 1);     // wraps at 32 bits
  EXPECT_EQ(profile_.GetInt(kFile, u"S", u"lead", 7), 42);    // leading digits
  EXPECT_EQ(profile_.GetInt(kFile, u"S", u"quoted", 7), 0);   // no digits: 0
  EXPECT_EQ(profile_.GetInt(kFile, u"S", u"empty", 7), 7);    // empty: default
  EXPECT_EQ(profile_.GetInt(kFile, u"S", u"nokey", 7), 7);
  EXPECT_EQ(profile_.GetInt(kFile, u"S", u"missing", -3), -3);
  EXPECT_EQ(profile_.GetInt(u"C:\\none.ini", u"S", u"hex", 9), 9);
}

TEST_F(ProfileReader, SectionsAndNamesFollowThePlatformRules) {
  const ProfileList s = profile_.ReadSection(kFile, u"s", 2000);
  const std::vector<Text> expected = {u"blank=v1",  u"quoted=\"hello\"", u"single='hi'", u"onequote=\"abc",
                                      u"inner=a\"b\"c", u"nokey", u"=emptyname", u"empty=",
                                      u"//slash=2"};  // ";" lines are left out
  ASSERT_GE(s.items.size(), expected.size());
  EXPECT_EQ(std::vector<Text>(s.items.begin(), s.items.begin() + 9), expected);
  EXPECT_EQ(s.items[9], u"long=" + Text(1500, u'L'));
  EXPECT_EQ(s.items.back(), u"\u00C4=upper");  // first section only
  EXPECT_EQ(s.count, 1690u);

  // Cut at the buffer: the last text is cut and followed by two zeros; the
  // count is buffer - 2.
  const ProfileList cut = profile_.ReadSection(kFile, u"S", 14);
  EXPECT_EQ(cut.items, (std::vector<Text>{u"blank=v1", u"quo"}));
  EXPECT_EQ(cut.count, 12u);
  EXPECT_EQ(profile_.ReadSection(kFile, u"x]y", 5).items, std::vector<Text>{u"xy="});
  EXPECT_EQ(profile_.ReadSection(kFile, u"", 100).items, std::vector<Text>{u"top=nameless"});
  EXPECT_EQ(profile_.ReadSection(kFile, u" S ", 100).count, 0u);  // not trimmed here
  EXPECT_EQ(profile_.GetSection(kFile, u"nosuch", 100), std::vector<Text>{});

  const ProfileList names = profile_.ReadSectionNames(kFile, 100);
  EXPECT_EQ(names.items, (std::vector<Text>{u"S", u"s", u"Trim Me", u"x]y"}));
  EXPECT_EQ(names.count, 16u);
  const ProfileList names5 = profile_.ReadSectionNames(kFile, 5);
  EXPECT_EQ(names5.items, (std::vector<Text>{u"S", u"s"}));
  EXPECT_EQ(names5.count, 3u);
}

TEST_F(ProfileReader, OneReadingAnswersAsAReadingPerCall) {
  fake_.wholeFileReads = 0;
  const CParsedProfile reading(fake_, kFile);
  EXPECT_EQ(fake_.wholeFileReads, 1);
  const char16_t* sections[] = {u"", u"S", u"s", u" S ", u"Trim Me", u"  trim ME ", u"x]y", u"X]Y", u"nosuch"};
  const char16_t* keys[] = {u"top",  u"blank",  u" BLANK ", u"quoted", u"single", u"onequote", u"nokey", u"",
                            u"empty", u"long",  u"dup",     u"hex",    u"neg",    u"wrap",     u"lead",  u"nul",
                            u"nbsp", u"\u00C4", u"\u00E4",  u"only",   u"t",      u"xy",       u"nosuch"};
  const size_t sizes[] = {0, 1, 2, 3, 5, 14, 30, 100, 1024, 4000};
  for (const char16_t* section : sections) {
    for (const size_t size : sizes) {
      const std::string what = ToUtf8(section) + " / " + std::to_string(size);
      const ProfileList a = reading.ReadSection(section, size), b = profile_.ReadSection(kFile, section, size);
      EXPECT_EQ(a.items, b.items) << what;
      EXPECT_EQ(a.count, b.count) << what;
      for (const char16_t* key : keys) {
        EXPECT_EQ(reading.GetString(section, key, u"def  ", size),
                  profile_.GetString(kFile, section, key, u"def  ", size))
            << what << " / " << ToUtf8(key);
      }
    }
    for (const char16_t* key : keys)
      EXPECT_EQ(reading.GetInt(section, key, -7), profile_.GetInt(kFile, section, key, -7)) << ToUtf8(key);
  }
  for (const size_t size : sizes) {
    const ProfileList a = reading.ReadSectionNames(size), b = profile_.ReadSectionNames(kFile, size);
    EXPECT_EQ(a.items, b.items) << size;
    EXPECT_EQ(a.count, b.count) << size;
  }

  // Missing, unreadable and empty files as well.
  fake_.AddFolder(u"C:\\t\\folder.ini");
  fake_.AddFile(u"C:\\t\\empty.ini", std::string());
  for (const Text file : {u"C:\\t\\missing.ini", u"C:\\t\\folder.ini", u"C:\\t\\empty.ini", u"C:\\nodir\\x.ini"}) {
    const CParsedProfile other(fake_, file);
    EXPECT_EQ(other.GetString(u"S", u"k", u"def", 100), profile_.GetString(file, u"S", u"k", u"def", 100))
        << ToUtf8(file);
    EXPECT_EQ(other.GetInt(u"S", u"k", 5), profile_.GetInt(file, u"S", u"k", 5)) << ToUtf8(file);
    EXPECT_EQ(other.ReadSection(u"", 100).count, profile_.ReadSection(file, u"", 100).count) << ToUtf8(file);
    EXPECT_EQ(other.ReadSectionNames(100).count, profile_.ReadSectionNames(file, 100).count) << ToUtf8(file);
  }

  // The reading is of the file as it was: a later change is seen only by
  // a new reading.
  fake_.AddFile(kFile, Utf16Le(u"[S]\r\nblank=changed\r\n"));
  EXPECT_EQ(reading.GetString(u"S", u"blank", u""), u"v1");
  EXPECT_EQ(CParsedProfile(fake_, kFile).GetString(u"S", u"blank", u""), u"changed");
}

struct EncodingCase {
  const char* what;
  std::string bytes;
  Text expected;  // [A] k with default "D"
};

TEST(ProfileFiles, EncodingsAndBrokenFilesAsThePlatformReadsThem) {
  const EncodingCase cases[] = {
      {"utf16le bom", Utf16Le(u"[A]\r\nk=\u00E9\u20AC\r\n"), u"\u00E9\u20AC"},
      {"utf16le lf only", Utf16Le(u"[A]\nk=v\n"), u"v"},
      {"utf16le cr only", Utf16Le(u"[A]\rk=v\r"), u"v"},
      {"utf16le no final break", Utf16Le(u"[A]\r\nk=v"), u"v"},
      {"utf16le odd byte", Utf16Le(u"[A]\r\nk=v\r\n[B]") + "A", u"v"},
      {"utf16le without bom: read as ANSI", Utf16Le(u"[A]\r\nk=v\r\n", false), u"D"},
      {"utf16be bom", std::string("\xFE\xFF\0[\0A\0]\0\r\0\n\0k\0=\0v", 18), u"v"},
      {"utf8 bom", "\xEF\xBB\xBF[A]\r\nk=\xC3\xA9\xE2\x82\xAC\r\n", u"\u00E9\u20AC"},
      {"utf8 bom, broken sequences", "\xEF\xBB\xBF[A]\r\nk=a\xFF\xE2\x82\r\n", u"a\uFFFD\uFFFD"},
      {"ansi", "[A]\r\nk=\xE9\x80\x81\r\n", u"\u00E9\u20AC\u0081"},
      {"utf8 without bom: read as ANSI", "[A]\r\nk=\xC3\xA9\r\n", u"\u00C3\u00A9"},
      {"empty", "", u"D"},
      {"bom only", "\xFF\xFE", u"D"},
      {"one byte", "\xFF", u"D"},
      {"binary", std::string("\x00\x01\x02[A\x00\xFF\xFE\x9D\r\r\n\x1A", 14), u"D"},
  };
  for (const EncodingCase& c : cases) {
    test::FakePlatform fake;
    fake.AddFile(kFile, c.bytes);
    CProfile profile(fake);
    EXPECT_EQ(profile.GetString(kFile, u"A", u"k", u"D"), c.expected) << c.what;
  }
}

TEST(ProfileFiles, MissingOrUnreadableFilesGiveTheDefaults) {
  test::FakePlatform fake;
  CProfile profile(fake);
  // A missing file reads as an empty one (the default loses its quotes);
  // a file in a missing folder gives the default as it is.
  EXPECT_EQ(profile.GetString(u"C:\\missing.ini", u"A", u"k", u"\"D\""), u"D");
  EXPECT_EQ(profile.GetString(u"C:\\no\\missing.ini", u"A", u"k", u"\"D\""), u"\"D\"");
  EXPECT_EQ(profile.GetInt(u"C:\\no\\missing.ini", u"A", u"k", 5), 5);
  EXPECT_TRUE(profile.GetSection(u"C:\\missing.ini", u"A", 2000).empty());
  EXPECT_TRUE(profile.GetSectionNames(u"C:\\no\\missing.ini", 2000).empty());
  fake.AddFolder(u"C:\\folder.ini");  // a folder in the file's place
  EXPECT_EQ(profile.GetString(u"C:\\folder.ini", u"A", u"k", u"D"), u"D");
  EXPECT_EQ(profile.GetString(u"C:\\folder.ini", u"A", u"k", u"D", 0), u"");
}

// ---- the writer ----------------------------------------------------------------

class ProfileWriter : public ::testing::Test {
 protected:
  void Put(const Text& text) { fake_.AddFile(kFile, Utf16Le(text)); }
  std::string Bytes() { return fake_.FileBytes(kFile); }
  uint32_t Write(const Text& section, const Text& key, const std::optional<Text>& value) {
    return profile_.WriteString(kFile, section, key, value);
  }
  test::FakePlatform fake_;
  CProfile profile_{fake_};
};

const Text kPackage = u"// Package settings\r\n"
                      u"[Runtime]\r\n"
                      u"  CheckAdmin = 1   ; stays\r\n"
                      u"ExtractPasswordRequired=1\r\n"
                      u"ExtractionPassword=abc\r\n"
                      u"\r\n"
                      u"// about [Temporary]\r\n"
                      u"[Temporary]\r\n"
                      u"Number=3\r\n"
                      u"[runtime]\r\n"
                      u"ExtractionPassword=second\r\n";

TEST_F(ProfileWriter, ChangesOnlyTheLineOfTheKey) {
  Put(kPackage);
  ASSERT_EQ(Write(u"runtime", u"checkadmin", Text(u"0")), 0u);
  Text expected = kPackage;
  ReplaceAll(expected, u"  CheckAdmin = 1   ; stays", u"  CheckAdmin =0");
  EXPECT_EQ(test::Escape(Bytes()), test::Escape(Utf16Le(expected)));
  EXPECT_EQ(profile_.GetString(kFile, u"Runtime", u"CheckAdmin", u"D"), u"0");
}

TEST_F(ProfileWriter, AddsKeysToTheirSectionAndSectionsAtTheEnd) {
  Put(kPackage);
  ASSERT_EQ(Write(u"Runtime", u"Mode", Text(u"Tovu")), 0u);
  ASSERT_EQ(Write(u"Tovu", u"Required", Text(u"1")), 0u);
  Text expected = kPackage;
  ReplaceAll(expected, u"ExtractionPassword=abc\r\n", u"ExtractionPassword=abc\r\nMode=Tovu\r\n");
  expected += u"\r\n[Tovu]\r\nRequired=1\r\n";
  EXPECT_EQ(test::Escape(Bytes()), test::Escape(Utf16Le(expected)));
}

TEST_F(ProfileWriter, DeletesEveryLineOfTheKeyAndNothingElse) {
  Put(kPackage);
  ASSERT_EQ(Write(u"Runtime", u"ExtractPasswordRequired", std::nullopt), 0u);
  ASSERT_EQ(Write(u"Runtime", u"ExtractionPassword", std::nullopt), 0u);
  ASSERT_EQ(Write(u"Temporary", u"Number", std::nullopt), 0u);
  ASSERT_EQ(Write(u"Temporary", u"Absent", std::nullopt), 0u);
  Text expected = kPackage;
  ReplaceAll(expected, u"ExtractPasswordRequired=1\r\n", u"");
  ReplaceAll(expected, u"ExtractionPassword=abc\r\n", u"");
  ReplaceAll(expected, u"ExtractionPassword=second\r\n", u"");
  ReplaceAll(expected, u"Number=3\r\n", u"");
  EXPECT_EQ(test::Escape(Bytes()), test::Escape(Utf16Le(expected)));
  EXPECT_EQ(profile_.GetString(kFile, u"Runtime", u"ExtractionPassword", u"D"), u"D");
}

TEST_F(ProfileWriter, KeepsLineEndsAndQuotesValuesThatWouldChange) {
  Put(u"[A]\rk=v");
  ASSERT_EQ(Write(u"A", u"n", Text(u"  padded  ")), 0u);
  ASSERT_EQ(Write(u"A", u"q", Text(u"\"quoted\"")), 0u);
  ASSERT_EQ(Write(u"B", u"x", Text(u"")), 0u);
  EXPECT_EQ(test::Escape(Bytes()),
            test::Escape(Utf16Le(u"[A]\rk=v\rn=\"  padded  \"\rq=\"\"quoted\"\"\r\r[B]\rx=\r")));
  EXPECT_EQ(profile_.GetString(kFile, u"A", u"n", u"D"), u"  padded  ");
  EXPECT_EQ(profile_.GetString(kFile, u"A", u"q", u"D"), u"\"quoted\"");
  EXPECT_EQ(profile_.GetString(kFile, u"B", u"x", u"D"), u"");
}

TEST_F(ProfileWriter, CreatesMissingFilesAsUtf16WithBom) {
  fake_.AddFolder(u"C:\\t");
  ASSERT_EQ(Write(u"Tovu", u"Required", Text(u"1")), 0u);
  EXPECT_EQ(test::Escape(Bytes()), test::Escape(Utf16Le(u"[Tovu]\r\nRequired=1\r\n")));
  // Deleting from a missing file changes nothing.
  ASSERT_EQ(profile_.WriteString(u"C:\\t\\none.ini", u"Tovu", u"Required", std::nullopt), 0u);
  EXPECT_FALSE(fake_.IsFile(u"C:\\t\\none.ini"));
}

TEST_F(ProfileWriter, RewritesOtherEncodingsAsUtf16WithTheSameText) {
  fake_.AddFile(kFile, std::string("[A]\r\nk=\xE9\r\n"));
  ASSERT_EQ(Write(u"A", u"n", Text(u"1")), 0u);
  EXPECT_EQ(test::Escape(Bytes()), test::Escape(Utf16Le(u"[A]\r\nk=\u00E9\r\nn=1\r\n")));
}

TEST_F(ProfileWriter, RefusesWhatWouldBreakTheFileAndReportsErrors) {
  Put(kPackage);
  const std::string before = Bytes();
  EXPECT_EQ(Write(u"Runtime", u"k", Text(u"a\r\n[Evil]")), winerr::kInvalidParameter);
  EXPECT_EQ(Write(u"Runtime", u"k=x", Text(u"1")), winerr::kInvalidParameter);
  EXPECT_EQ(Write(u"Run]time", u"k", Text(u"1")), winerr::kInvalidParameter);
  EXPECT_EQ(Write(u"", u"k", Text(u"1")), winerr::kInvalidParameter);
  EXPECT_EQ(Write(u"Runtime", u"  ", Text(u"1")), winerr::kInvalidParameter);
  EXPECT_EQ(Write(u"Runtime", Text(u"a\0b", 3), Text(u"1")), winerr::kInvalidParameter);
  EXPECT_EQ(Bytes(), before);
  EXPECT_EQ(profile_.WriteString(u"C:\\no\\such.ini", u"A", u"k", Text(u"1")), winerr::kPathNotFound);
  fake_.FailPath(kFile, winerr::kAccessDenied);
  EXPECT_EQ(Write(u"Runtime", u"CheckAdmin", Text(u"0")), winerr::kAccessDenied);
}

// ---- package settings ----------------------------------------------------------

TEST(PackageSettings, FlagsTextsAndSizesFromAPackageFile) {
  test::FakePlatform fake;
  const Text folder = u"D:\\{GUID}\\";
  fake.AddDrive('D', drivetype::kFixed);
  const Text file = pkg::SettingsFilePath(folder);
  EXPECT_EQ(file, u"D:\\{GUID}\\Properties_Tovu.ini");
  const std::string demo = test::ReadTestData("ini/demo_package.ini");
  ASSERT_FALSE(demo.empty());
  fake.AddFile(file, demo);
  CProfile profile(fake);
  using namespace pkg;

  EXPECT_EQ(ReadText(profile, file, section::kPackage, key::kNameDispl), u"Demo Library");
  EXPECT_EQ(ReadText(profile, file, section::kPackage, key::kVersionString), u"V1.3");
  EXPECT_EQ(ReadText(profile, file, section::kRuntime, key::kExtractPath), u"%TEMP%\\Demo");
  EXPECT_EQ(ReadText(profile, file, section::kImages, key::kBottomImage), u"750BottomImage.PNG");
  EXPECT_EQ(ReadText(profile, file, section::kLanguages, key::kSetupLanguages), u"1033;");
  EXPECT_EQ(ReadText(profile, file, section::kLanguagesUpper, key::kSetupLanguages), u"1033;");
  EXPECT_EQ(ReadText(profile, file, section::kTovu, key::kGuid2), u"38629");
  EXPECT_EQ(ReadText(profile, file, section::kDialogs, key::kWelcomeDialog), u"");
  EXPECT_EQ(ReadInt(profile, file, section::kPackage, key::kMultiPartDownload, 0), 0);
  EXPECT_EQ(ReadInt(profile, file, section::kFileCount, key::kCount, 0), 60);
  EXPECT_EQ(ReadInt(profile, file, section::kTemporary, key::kNumber, 0), 0);

  EXPECT_TRUE(IsFlagOn(profile, file, section::kRuntime, key::kAllowChangeTarget));
  EXPECT_TRUE(IsFlagOn(profile, file, section::kRuntime, key::kCheckAdmin));
  EXPECT_TRUE(IsFlagOn(profile, file, section::kOS, key::kNoOSCheck));
  EXPECT_FALSE(IsFlagOn(profile, file, section::kRuntime, key::kDisplayWelcomeImage));
  EXPECT_FALSE(IsFlagOn(profile, file, section::kRuntime, key::kMultilaunch));
  EXPECT_FALSE(IsFlagOn(profile, file, section::kPackage, key::kCheckOs));
  EXPECT_EQ(ReadBufferPer128MB(profile, file), 5242880u);
  EXPECT_EQ(NumberedKey(key::kAutoLaunch, 2), u"AutoLaunch2");
}

TEST(PackageSettings, OnlyExactlyOneIsOnAndUnsetSizesGiveTheDefault) {
  struct Case {
    Text value;  // as written after "Flag=" / "128MB="
    bool on;
    uint32_t size;
  };
  const Case cases[] = {
      {u"1", true, 1},           {u" 1 ", true, 1},           {u"\"1\"", true, 1},
      {u"01", false, 1},         {u"1.0", false, 1},          {u"true", false, 5242880},
      {u"0", false, 5242880},    {u"", false, 5242880},       {u"-1", false, 5242880},
      {u"1048576", false, 1048576},
  };
  for (const Case& c : cases) {
    test::FakePlatform fake;
    fake.AddFile(kFile, Utf16Le(u"[Runtime]\r\nFlag=" + c.value + u"\r\n[Size]\r\n128MB=" + c.value + u"\r\n"));
    CProfile profile(fake);
    EXPECT_EQ(pkg::IsFlagOn(profile, kFile, u"Runtime", u"Flag"), c.on) << ToUtf8(c.value);
    EXPECT_EQ(pkg::ReadBufferPer128MB(profile, kFile), c.size) << ToUtf8(c.value);
  }
  test::FakePlatform empty;
  CProfile profile(empty);
  EXPECT_FALSE(pkg::IsFlagOn(profile, kFile, u"Runtime", u"Flag"));
  EXPECT_EQ(pkg::ReadBufferPer128MB(profile, kFile), 5242880u);
}

}  // namespace
}  // namespace tovu
