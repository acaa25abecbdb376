// Our command-line splitter against Windows' own: CommandLineToArgvW
// (shell32) and the C runtime's argument vector of a child process started
// with the same command line (msvcrt.dll, and ucrtbase.dll when present).
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cmdline/command_line.h"
#include "cmdline/extractor_command_opt.h"
#include "cmdline/win32/process_command_line.h"

namespace tovu {
namespace {

using Args = std::vector<Text>;

std::string Show(const Args& args) {
  std::string s;
  for (const Text& a : args) s += "[" + ToUtf8(a) + "]";
  return s;
}

Args ShellSplit(const Text& line) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(reinterpret_cast<const wchar_t*>(line.c_str()), &argc);
  Args args;
  if (!argv) return args;
  for (int k = 0; k < argc; ++k) args.push_back(Text(reinterpret_cast<const char16_t*>(argv[k])));
  LocalFree(argv);
  return args;
}

Text HelperPath() {
  wchar_t buf[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  Text path(reinterpret_cast<const char16_t*>(buf), n);
  path.erase(path.find_last_of(u'\\') + 1);
  return path + u"win_argv_echo.exe";
}

struct CrtVectors {
  bool ran = false;
  Args msvcrt;
  Args ucrt;
  bool has_ucrt = false;
};

// Starts the helper with exactly this command line and reads back the
// vectors its C runtimes built.
CrtVectors CrtSplit(const Text& line) {
  CrtVectors result;
  SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &sa, 0)) return result;
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write_end;
  si.hStdError = write_end;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  const Text app = HelperPath();
  std::vector<wchar_t> cmd(line.begin(), line.end());
  cmd.push_back(0);
  const BOOL ok = CreateProcessW(reinterpret_cast<const wchar_t*>(app.c_str()), cmd.data(), nullptr, nullptr, TRUE,
                                 CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
  CloseHandle(write_end);
  if (!ok) {
    CloseHandle(read_end);
    return result;
  }
  std::string out;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(read_end, buf, sizeof(buf), &got, nullptr) && got > 0) out.append(buf, got);
  CloseHandle(read_end);
  WaitForSingleObject(pi.hProcess, 30000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  result.ran = true;

  size_t pos = 0;
  while (pos < out.size()) {
    size_t end = out.find('\n', pos);
    if (end == std::string::npos) end = out.size();
    const std::string row = out.substr(pos, end - pos);
    pos = end + 1;
    if (row == "U?") continue;
    if (row.size() < 2) continue;
    Text arg;
    for (size_t k = 2; k + 4 <= row.size(); k += 4) arg.push_back(static_cast<char16_t>(std::stoul(row.substr(k, 4), nullptr, 16)));
    if (row[0] == 'M') result.msvcrt.push_back(arg);
    if (row[0] == 'U') {
      result.ucrt.push_back(arg);
      result.has_ucrt = true;
    }
  }
  return result;
}

// shell: what CommandLineToArgvW gives where it parts from the C runtime
// (empty: the same). It has the older rules: a program name not starting
// with a mark runs verbatim to the first blank, a quoted one ends at its
// closing mark; two marks inside quotes give one mark and end the quotes;
// an empty line gives the executable's path (ours: one empty name).
// wine_crt_name: Wine's C runtimes (msvcrt and ucrtbase alike) apply the
// backslash rules to the program name too, where the Windows C runtime
// does not; such lines are not compared with the child's vectors.
struct Case {
  const char16_t* line;
  Args shell;
  bool wine_crt_name = false;
};

const Case kCases[] = {
    {u"prog", {}},
    {u" prog a", {}},
    {u"prog a   b\t\tc  ", {}},
    {u"\"C:\\Program Files\\pkg.exe\" -silent", {}},
    {u"C:\\a\\\"b c\"\\x.exe arg", {u"C:\\a\\\"b", u"c\\x.exe arg"}, true},
    {u"\"a\"b c", {u"a", u"b", u"c"}},
    {u"\"unbalanced name -silent", {}},
    {u"p -extractpath=\"C:\\My Folder\"", {}},
    {u"p \"-extractpath=C:\\My Folder\" /unattended", {}},
    {u"p \"a b\" c", {}},
    {u"p x\"a b\"y", {}},
    {u"p a\\\"b", {}},
    {u"p a\\\\\\\"b", {}},
    {u"p a\\\\\"b c\"", {}},
    {u"p \"a\\\\\"", {}},
    {u"p \\\"", {}},
    {u"p a\\\\b c\\", {}},
    {u"p \"C:\\My Folder\\\" -silent", {}},
    {u"p \"\" x", {}},
    {u"p \"\"", {}},
    {u"p \"\"\"\"\"\"", {}},
    {u"p \"a\"\"b\"", {}},
    {u"p \"a\"\" b\" c", {u"p", u"a\"", u"b c"}},
    {u"p a\"b\"\" c d", {u"p", u"ab\"", u"c", u"d"}},
    {u"p \"\"\"\"", {}},
    {u"p a\"\"b", {}},
    {u"p \"a b", {}},
    {u"p a \"", {}},
    {u"p \"a\\", {}},
    {u"p a\nb\rc\vd\fe\u3000f\u00a0g", {}},
    {u"p \"\u00e4 \u65e5\u672c\" \U0001F600 *.txt \xD800x", {}},
    {u"p - / -silent /UNATTENDED", {}},
};

TEST(CommandLineWindows, SplitsLikeTheCRuntimeAndTheShell) {
  const CrtVectors probe = CrtSplit(u"p");
  ASSERT_TRUE(probe.ran) << "cannot start " << ToUtf8(HelperPath());
  for (const Case& c : kCases) {
    const Text line = c.line;
    const std::string where = "line: " + ToUtf8(line);
    const Args ours = SplitCommandLine(line);
    EXPECT_EQ(Show(ShellSplit(line)), Show(c.shell.empty() ? ours : c.shell)) << where;
    if (c.wine_crt_name) continue;
    const CrtVectors crt = CrtSplit(line);
    ASSERT_TRUE(crt.ran) << where;
    EXPECT_EQ(Show(crt.msvcrt), Show(ours)) << where;
    if (crt.has_ucrt) {
      EXPECT_EQ(Show(crt.ucrt), Show(ours)) << where;
    }
  }
}

// A long line near the 32,767-character limit of a command line, of mixed
// plain, quoted, escaped and empty arguments.
TEST(CommandLineWindows, LongLineMatchesTheCRuntime) {
  const char16_t* pieces[] = {u"-silent", u"\"a b\"", u"x\\\\\\\"y", u"\"\"", u"\"C:\\dir\\\\\"", u"/e=\"1 2\""};
  Text line = u"pkg.exe";
  int count = 0;
  while (line.size() < 30000) line += Text(u" ") + pieces[count++ % 6];
  const Args ours = SplitCommandLine(line);
  ASSERT_EQ(ours.size(), static_cast<size_t>(count) + 1);
  EXPECT_EQ(ours[2], u"a b");
  EXPECT_EQ(ours[3], u"x\\\"y");
  EXPECT_EQ(ours[4], u"");
  EXPECT_EQ(ours[5], u"C:\\dir\\");
  EXPECT_EQ(ours[6], u"/e=1 2");
  EXPECT_TRUE(ShellSplit(line) == ours);
  const CrtVectors crt = CrtSplit(line);
  ASSERT_TRUE(crt.ran);
  EXPECT_TRUE(crt.msvcrt == ours);
  if (crt.has_ucrt) {
    EXPECT_TRUE(crt.ucrt == ours);
  }
}

// This very process: our split of GetCommandLineW equals the vector the
// runtime gave the program, and the command-line object can be fed from it.
TEST(CommandLineWindows, OwnProcessCommandLine) {
  const Args ours = SplitCommandLine(GetProcessCommandLine());
  Args runtime;
  for (int k = 0; k < __argc; ++k) runtime.push_back(Text(reinterpret_cast<const char16_t*>(__wargv[k])));
  if (!__wargv) GTEST_SKIP() << "the runtime built no wide vector for this program";
  EXPECT_EQ(Show(ours), Show(runtime));
  CExtractorCommandOpt opt;
  ParseProcessCommandLine(opt);
  EXPECT_EQ(opt.GetRunMode(), RUNMODE_GUI);  // gtest's own switches are "--gtest_..."
}

}  // namespace
}  // namespace tovu
