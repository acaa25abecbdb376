#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cmdline/command_line.h"
#include "cmdline/extractor_command_opt.h"

namespace tovu {
namespace {

std::string Show(const std::vector<Text>& args) {
  std::string s;
  for (const Text& a : args) s += "[" + ToUtf8(a) + "]";
  return s;
}

struct SplitCase {
  Text line;
  std::vector<Text> expected;
};

TEST(CommandLineSplit, FollowsTheCRuntimeRules) {
  const std::vector<SplitCase> cases = {
      {u"prog", {u"prog"}},
      {u"", {u""}},
      {u"   ", {u""}},
      {u" prog a", {u"", u"prog", u"a"}},
      {u"prog a   b\t\tc  ", {u"prog", u"a", u"b", u"c"}},
      // Program name: quotes toggle, backslashes are plain.
      {u"\"C:\\Program Files\\pkg.exe\" -silent", {u"C:\\Program Files\\pkg.exe", u"-silent"}},
      {u"C:\\a\\\"b c\"\\x.exe arg", {u"C:\\a\\b c\\x.exe", u"arg"}},
      {u"\"a\"b c", {u"ab", u"c"}},
      {u"\"unbalanced name -silent", {u"unbalanced name -silent"}},
      {u"a\\\"b c", {u"a\\b c"}},
      // Quoted arguments.
      {u"p -extractpath=\"C:\\My Folder\"", {u"p", u"-extractpath=C:\\My Folder"}},
      {u"p \"-extractpath=C:\\My Folder\"", {u"p", u"-extractpath=C:\\My Folder"}},
      {u"p \"a b\" c", {u"p", u"a b", u"c"}},
      {u"p x\"a b\"y", {u"p", u"xa by"}},
      // Backslashes before a quotation mark.
      {u"p a\\\"b", {u"p", u"a\"b"}},
      {u"p a\\\\\\\"b", {u"p", u"a\\\"b"}},
      {u"p a\\\\\"b c\"", {u"p", u"a\\b c"}},
      {u"p \"a\\\\\"", {u"p", u"a\\"}},
      {u"p \\\"", {u"p", u"\""}},
      // ... and elsewhere: literal.
      {u"p a\\\\b c\\", {u"p", u"a\\\\b", u"c\\"}},
      {u"p C:\\dir\\\\\\\\", {u"p", u"C:\\dir\\\\\\\\"}},
      // The classic trap: a trailing \" escapes the closing mark.
      {u"p \"C:\\My Folder\\\" -silent", {u"p", u"C:\\My Folder\" -silent"}},
      // Empty arguments are kept.
      {u"p \"\" x", {u"p", u"", u"x"}},
      {u"p \"\"", {u"p", u""}},
      {u"p \"\"\"\"\"\"", {u"p", u"\"\""}},
      // Two marks inside quotes: one literal mark, still quoted.
      {u"p \"a\"\"b\"", {u"p", u"a\"b"}},
      {u"p \"a\"\" b\" c", {u"p", u"a\" b", u"c"}},
      {u"p \"\"\"\"", {u"p", u"\""}},
      // Outside quotes a pair opens and closes.
      {u"p a\"\"b", {u"p", u"ab"}},
      // Unbalanced quotes run to the end of the line.
      {u"p \"a b", {u"p", u"a b"}},
      {u"p a \"", {u"p", u"a", u""}},
      {u"p \"a\\", {u"p", u"a\\"}},
      // Only blanks and tabs separate.
      {u"p a\nb\rc\vd\fe\u3000f\u00a0g", {u"p", u"a\nb\rc\vd\fe\u3000f\u00a0g"}},
      // Odd Unicode passes through unchanged, lone surrogates too.
      {u"p \"\u00e4 \u65e5\u672c\" \U0001F600 \xD800x \xDC00", {u"p", u"\u00e4 \u65e5\u672c", u"\U0001F600", u"\xD800x", u"\xDC00"}},
      // The text ends at its first NUL.
      {Text(u"p a\0b c", 7), {u"p", u"a"}},
      {Text(u"\0p", 2), {u""}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(Show(SplitCommandLine(c.line)), Show(c.expected)) << "line: " << ToUtf8(c.line);
  }
}

TEST(CommandLineSplit, LargeInputsStayLinearAndExact) {
  // 20,000 arguments.
  Text line = u"pkg.exe";
  for (int k = 0; k < 20000; ++k) line += k % 2 ? u" \"a b\"" : u" -x";
  std::vector<Text> args = SplitCommandLine(line);
  ASSERT_EQ(args.size(), 20001u);
  EXPECT_EQ(args[1], u"-x");
  EXPECT_EQ(args[20000], u"a b");

  // A run of a million backslashes before a mark: half of them and a toggle.
  Text slashes(1000000, u'\\');
  args = SplitCommandLine(u"p " + slashes + u"\"x y\"");
  ASSERT_EQ(args.size(), 2u);
  EXPECT_EQ(args[1], Text(500000, u'\\') + u"x y");

  // A million quotation marks.
  args = SplitCommandLine(u"p " + Text(1000000, u'"'));
  ASSERT_EQ(args.size(), 2u);
  EXPECT_EQ(args[1], Text(499999, u'"'));  // opening mark, pairs, closing mark

  // A million blanks, and a long unterminated quoted argument.
  args = SplitCommandLine(u"p" + Text(1000000, u' ') + u"\"" + Text(1000000, u'z'));
  ASSERT_EQ(args.size(), 2u);
  EXPECT_EQ(args[1].size(), 1000000u);
}

struct Seen {
  Text param;
  bool is_switch;
  bool is_last;
};

class RecordingInfo : public CCommandLineInfo {
 public:
  void ParseParam(TextView param, bool is_switch, bool is_last) override {
    seen.push_back({Text(param), is_switch, is_last});
  }
  std::vector<Seen> seen;
};

TEST(CommandLineDispatch, StripsTheSwitchCharacterAndMarksTheLast) {
  RecordingInfo info;
  ParseCommandLine(u"pkg.exe -a /b c \"\" - / --x //y -", info);
  const std::vector<Seen> expected = {
      {u"a", true, false}, {u"b", true, false},  {u"c", false, false},  {u"", false, false},
      {u"", true, false},  {u"", true, false},   {u"-x", true, false},  {u"/y", true, false},
      {u"", true, true},
  };
  ASSERT_EQ(info.seen.size(), expected.size());
  for (size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(info.seen[k].param, expected[k].param) << k;
    EXPECT_EQ(info.seen[k].is_switch, expected[k].is_switch) << k;
    EXPECT_EQ(info.seen[k].is_last, expected[k].is_last) << k;
  }

  RecordingInfo none;
  ParseCommandLine(u"\"C:\\pkg dir\\pkg.exe\"   ", none);
  EXPECT_TRUE(none.seen.empty());
}

struct OptCase {
  Text line;  // after the program name
  int debug, no_os_check, no_condition_check, silent, unattended;
  Text extract_path, autolaunch, setup_language, password;
  int run_mode;
};

TEST(ExtractorCommandOpt, StartsEmpty) {
  CExtractorCommandOpt opt;
  EXPECT_EQ(opt.Debug + opt.NoOSCheck + opt.NoConditioncheck + opt.Silent + opt.Unattended, 0);
  EXPECT_EQ(opt.ExtractPath + opt.Autolaunch + opt.SetupLanguage + opt.ExtractionPassword, u"");
  EXPECT_EQ(opt.ExtractPathOption, u"extractpath");
  EXPECT_EQ(opt.AutolaunchOption, u"autolaunch");
  EXPECT_EQ(opt.SetupLanguageOption, u"setupLanguage");
  EXPECT_EQ(opt.ExtractionPasswordOption, u"extractionpassword");
  EXPECT_EQ(opt.GetRunMode(), RUNMODE_GUI);
}

TEST(ExtractorCommandOpt, ParsesTheSwitches) {
  const std::vector<OptCase> cases = {
      {u"", 0, 0, 0, 0, 0, u"", u"", u"", u"", 510},
      // Run mode.
      {u"/SILENT", 0, 0, 0, 1, 0, u"", u"", u"", u"", 530},
      {u"-Silent", 0, 0, 0, 1, 0, u"", u"", u"", u"", 530},
      {u"-unattended", 0, 0, 0, 0, 1, u"", u"", u"", u"", 520},
      {u"-silent -unattended", 0, 0, 0, 1, 1, u"", u"", u"", u"", 530},
      {u"/UnAttended -silent", 0, 0, 0, 1, 1, u"", u"", u"", u"", 530},
      // The whole text is compared: no prefix, a doubled prefix, a value or
      // a blank inside quotes make no switch.
      {u"silent unattended", 0, 0, 0, 0, 0, u"", u"", u"", u"", 510},
      {u"--silent //unattended", 0, 0, 0, 0, 0, u"", u"", u"", u"", 510},
      {u"-silent=1 -unattended=yes", 0, 0, 0, 0, 0, u"", u"", u"", u"", 510},
      {u"\"-silent \" \" -unattended\"", 0, 0, 0, 0, 0, u"", u"", u"", u"", 510},
      {u"-x -silently - / -= \"\"", 0, 0, 0, 0, 0, u"", u"", u"", u"", 510},
      // Flags.
      {u"-d", 1, 0, 0, 0, 0, u"", u"", u"", u"", 510},
      {u"/DEBUG", 1, 0, 0, 0, 0, u"", u"", u"", u"", 510},
      {u"-dd -debug=1 d", 0, 0, 0, 0, 0, u"", u"", u"", u"", 510},
      {u"-noconditioncheck /NOOSCHECK", 0, 1, 1, 0, 0, u"", u"", u"", u"", 510},
      {u"NoOSCheck -NoOSCheck=1", 0, 0, 0, 0, 0, u"", u"", u"", u"", 510},
      // Valued options.
      {u"-unattended -extractpath=\"C:\\My Folder\"", 0, 0, 0, 0, 1, u"C:\\My Folder", u"", u"", u"", 520},
      {u"\"/EXTRACTPATH = C:\\T \"", 0, 0, 0, 0, 0, u"C:\\T", u"", u"", u"", 510},
      {u"-extractpath=C:\\a=b", 0, 0, 0, 0, 0, u"b", u"", u"", u"", 510},
      {u"-extractpath=C:\\a=", 0, 0, 0, 0, 0, u"C:\\a", u"", u"", u"", 510},
      {u"-extractpath=", 0, 0, 0, 0, 0, u"", u"", u"", u"", 510},
      {u"-extractpath", 0, 0, 0, 0, 0, u"", u"", u"", u"", 510},
      {u"-==extractpath==C:\\x==", 0, 0, 0, 0, 0, u"C:\\x", u"", u"", u"", 510},
      {u"-autolaunch=no -setupLanguage=1031 -extractionpassword=s3cret", 0, 0, 0, 0, 0, u"", u"no", u"1031", u"s3cret", 510},
      {u"/AUTOLAUNCH=Maybe /SETUPLANGUAGE=abc /ExtractionPassword=a=b", 0, 0, 0, 0, 0, u"", u"Maybe", u"abc", u"b", 510},
      {u"-extractionpassword= -silent", 0, 0, 0, 1, 0, u"", u"", u"", u"", 530},
      // The last argument for an option wins, an empty one included.
      {u"/extractpath=C:\\a -extractpath=D:\\b", 0, 0, 0, 0, 0, u"D:\\b", u"", u"", u"", 510},
      {u"-extractpath=C:\\a -extractpath", 0, 0, 0, 0, 0, u"", u"", u"", u"", 510},
      // Plain arguments and unknown names do nothing.
      {u"extractpath=C:\\x autolaunch=no", 0, 0, 0, 0, 0, u"", u"", u"", u"", 510},
      {u"-extractpaths=C:\\x -autolaunchx=no -path=C:\\y", 0, 0, 0, 0, 0, u"", u"", u"", u"", 510},
      // Case folding is the system's own: the dotted capital I is no I.
      {u"-S\u0130LENT -extractpath=C:\\\u00dcn\u00efc\u00f8d\u00e9", 0, 0, 0, 0, 0, u"C:\\\u00dcn\u00efc\u00f8d\u00e9", u"", u"", u"", 510},
  };
  for (const OptCase& c : cases) {
    CExtractorCommandOpt opt;
    ParseCommandLine(u"pkg.exe " + c.line, opt);
    const std::string where = "args: " + ToUtf8(c.line);
    EXPECT_EQ(opt.Debug, c.debug) << where;
    EXPECT_EQ(opt.NoOSCheck, c.no_os_check) << where;
    EXPECT_EQ(opt.NoConditioncheck, c.no_condition_check) << where;
    EXPECT_EQ(opt.Silent, c.silent) << where;
    EXPECT_EQ(opt.Unattended, c.unattended) << where;
    EXPECT_EQ(ToUtf8(opt.ExtractPath), ToUtf8(c.extract_path)) << where;
    EXPECT_EQ(ToUtf8(opt.Autolaunch), ToUtf8(c.autolaunch)) << where;
    EXPECT_EQ(ToUtf8(opt.SetupLanguage), ToUtf8(c.setup_language)) << where;
    EXPECT_EQ(ToUtf8(opt.ExtractionPassword), ToUtf8(c.password)) << where;
    EXPECT_EQ(opt.GetRunMode(), c.run_mode) << where;
  }
}

TEST(ExtractorCommandOpt, RunModeFromFlags) {
  EXPECT_EQ(RunModeFromFlags(0, 0), RUNMODE_GUI);
  EXPECT_EQ(RunModeFromFlags(0, 1), RUNMODE_UNATTENDED);
  EXPECT_EQ(RunModeFromFlags(1, 0), RUNMODE_SILENT);
  EXPECT_EQ(RunModeFromFlags(1, 1), RUNMODE_SILENT);
  static_assert(RunModeFromFlags(1, 1) == 530 && RunModeFromFlags(0, 1) == 520 && RunModeFromFlags(0, 0) == 510);
}

TEST(ExtractorCommandOpt, SurvivesHostileInput) {
  // 20,000 arguments: the last value wins, every flag survives.
  Text line = u"pkg.exe -unattended";
  for (int k = 0; k < 20000; ++k) line += u" -extractpath=C:\\p" + Widen(std::to_string(k)) + u" x";
  line += u" -silent";
  CExtractorCommandOpt opt;
  ParseCommandLine(line, opt);
  EXPECT_EQ(opt.ExtractPath, u"C:\\p19999");
  EXPECT_EQ(opt.GetRunMode(), RUNMODE_SILENT);
  EXPECT_EQ(opt.Unattended, 1);

  // Very long switches: a million "=" signs, a million blanks around a value.
  CExtractorCommandOpt eq;
  ParseCommandLine(u"p -autolaunch" + Text(1000000, u'=') + u"yes" + Text(1000000, u'='), eq);
  EXPECT_EQ(eq.Autolaunch, u"yes");
  CExtractorCommandOpt blanks;
  ParseCommandLine(u"p \"-extractionpassword=" + Text(1000000, u' ') + u"pw" + Text(1000000, u'\t') + u"\"", blanks);
  EXPECT_EQ(blanks.ExtractionPassword, u"pw");
  CExtractorCommandOpt path;
  const Text long_path = u"C:\\" + Text(1000000, u'd');
  ParseCommandLine(u"p -extractpath=" + long_path, path);
  EXPECT_EQ(path.ExtractPath, long_path);
}

}  // namespace
}  // namespace tovu
