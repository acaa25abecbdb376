#include "cmdline/command_line.h"

namespace tovu {

namespace {

bool IsSeparator(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

std::vector<Text> SplitCommandLine(TextView line) {
  const size_t nul = line.find(u'\0');
  if (nul != TextView::npos) line = line.substr(0, nul);
  const size_t n = line.size();
  size_t i = 0;
  std::vector<Text> args;

  // Program name: quotes toggle, no escapes.
  {
    Text name;
    bool quoted = false;
    while (i < n) {
      const char16_t c = line[i];
      if (c == u'"') {
        quoted = !quoted;
        ++i;
        continue;
      }
      if (!quoted && IsSeparator(c)) break;
      name.push_back(c);
      ++i;
    }
    args.push_back(std::move(name));
  }

  // Arguments.
  for (;;) {
    while (i < n && IsSeparator(line[i])) ++i;
    if (i >= n) break;
    Text arg;
    bool quoted = false;
    for (;;) {
      size_t backslashes = 0;
      while (i < n && line[i] == u'\\') {
        ++backslashes;
        ++i;
      }
      if (i < n && line[i] == u'"') {
        arg.append(backslashes / 2, u'\\');
        if (backslashes % 2 == 1) {
          arg.push_back(u'"');  // escaped mark
          ++i;
        } else if (quoted && i + 1 < n && line[i + 1] == u'"') {
          arg.push_back(u'"');  // "" inside quotes: one mark, still quoted
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
        continue;
      }
      arg.append(backslashes, u'\\');
      if (i >= n) break;
      const char16_t c = line[i];
      if (!quoted && IsSeparator(c)) break;
      arg.push_back(c);
      ++i;
    }
    args.push_back(std::move(arg));
  }
  return args;
}

void DispatchArguments(const std::vector<Text>& args, CCommandLineInfo& info) {
  for (size_t k = 1; k < args.size(); ++k) {
    TextView param = args[k];
    bool is_switch = false;
    if (!param.empty() && (param[0] == u'-' || param[0] == u'/')) {
      is_switch = true;
      param.remove_prefix(1);
    }
    info.ParseParam(param, is_switch, k + 1 == args.size());
  }
}

void ParseCommandLine(TextView command_line, CCommandLineInfo& info) {
  try {
    DispatchArguments(SplitCommandLine(command_line), info);
  } catch (...) {
    // Out of memory: nothing escapes; arguments handed over before stand.
  }
}

}  // namespace tovu
