// The command-line splitter and the package's command-line object over an
// arbitrary command line (the input as UTF-16LE code units). The split
// arguments, quoted again by the C runtime's rules, must split back into
// the same arguments.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "cmdline/command_line.h"
#include "cmdline/extractor_command_opt.h"
#include "fuzz_support.h"

namespace {

using namespace tovu;

// One argument quoted so that the runtime's rules give it back: in
// quotation marks, each mark escaped, backslashes doubled where a mark
// follows them.
Text Quote(const Text& arg) {
  Text out = u"\"";
  size_t slashes = 0;
  for (char16_t c : arg) {
    if (c == u'\\') {
      ++slashes;
      continue;
    }
    if (c == u'"') out.append(slashes * 2 + 1, u'\\');
    else out.append(slashes, u'\\');
    slashes = 0;
    out.push_back(c);
  }
  out.append(slashes * 2, u'\\');
  return out + u"\"";
}

std::string ShowAll(const std::vector<Text>& args) {
  std::string out;
  for (const Text& a : args) out += fuzz::Show(a) + " ";
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Text line = fuzz::Utf16Units(data, size);
  const std::vector<Text> args = SplitCommandLine(line);
  FUZZ_CHECK(!args.empty(), "no program name");
  for (const Text& a : args) FUZZ_CHECK(a.find(u'\0') == Text::npos, "an argument holds a zero: " + ShowAll(args));
  FUZZ_CHECK(args[0].find(u'"') == Text::npos, "the program name keeps a quotation mark");

  // The program name takes no escapes: it goes back in plain quotation marks.
  Text again = u"\"" + args[0] + u"\"";
  for (size_t i = 1; i < args.size(); ++i) again += u" " + Quote(args[i]);
  const std::vector<Text> back = SplitCommandLine(again);
  FUZZ_CHECK(back == args, "split " + ShowAll(args) + "\nquoted and split again " + ShowAll(back));

  CExtractorCommandOpt options;
  ParseCommandLine(line, options);
  const int mode = options.GetRunMode();
  (void)mode;
  for (size_t i = 1; i < args.size(); ++i) {
    const SwitchParts parts = SplitSwitch(args[i]);
    FUZZ_CHECK(parts.Name.size() <= args[i].size() && parts.Value.size() <= args[i].size(),
               "switch parts longer than the switch");
  }
  return 0;
}
