#include "cmdline/extractor_command_opt.h"

namespace tovu {

namespace {

TextView TrimView(TextView t) {
  size_t b = 0, e = t.size();
  while (b < e && IsBlank(t[b])) ++b;
  while (e > b && IsBlank(t[e - 1])) --e;
  return t.substr(b, e - b);
}

}  // namespace

SwitchParts SplitSwitch(TextView text) {
  // Only the first and the last non-empty piece matter; one pass, no copies
  // of the pieces in between.
  TextView first, last;
  size_t pieces = 0;
  size_t start = 0;
  for (;;) {
    const size_t eq = text.find(u'=', start);
    const size_t end = eq == TextView::npos ? text.size() : eq;
    const TextView piece = TrimView(text.substr(start, end - start));
    if (!piece.empty()) {
      if (pieces == 0) first = piece;
      last = piece;
      ++pieces;
    }
    if (eq == TextView::npos) break;
    start = eq + 1;
  }
  SwitchParts parts;
  parts.Name = Text(first);
  if (pieces > 1) parts.Value = Text(last);
  return parts;
}

CExtractorCommandOpt::CExtractorCommandOpt()
    : ExtractPathOption(u"extractpath"),
      AutolaunchOption(u"autolaunch"),
      SetupLanguageOption(u"setupLanguage"),
      ExtractionPasswordOption(u"extractionpassword") {}

void CExtractorCommandOpt::ParseParam(TextView t, bool is_switch, bool /*is_last*/) {
  if (!is_switch || t.empty()) return;

  // The whole-switch options compare the whole text: "silent=1" is no
  // silent switch.
  if (EqualsNoCase(t, u"silent")) {
    Silent = 1;
  } else if (EqualsNoCase(t, u"unattended")) {
    Unattended = 1;
  }

  // Valued options: the last argument for an option wins.
  const SwitchParts parts = SplitSwitch(t);
  if (EqualsNoCase(parts.Name, ExtractPathOption)) ExtractPath = parts.Value;
  if (EqualsNoCase(parts.Name, AutolaunchOption)) Autolaunch = parts.Value;
  if (EqualsNoCase(parts.Name, SetupLanguageOption)) SetupLanguage = parts.Value;
  if (EqualsNoCase(parts.Name, ExtractionPasswordOption)) ExtractionPassword = parts.Value;

  if (EqualsNoCase(t, u"d") || EqualsNoCase(t, u"debug")) Debug = 1;
  if (EqualsNoCase(t, u"NoConditioncheck")) NoConditioncheck = 1;
  if (EqualsNoCase(t, u"NoOSCheck")) NoOSCheck = 1;
}

}  // namespace tovu
