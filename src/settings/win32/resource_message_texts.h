// The built-in English message texts read from the string table of a
// module's resources (the frame's table is app/win32/messages.rc, made from
// the same lines as the compiled-in table).
#pragma once

#include <windows.h>

#include "settings/builtin_messages.h"

namespace tovu {

class CResourceMessageTexts : public IBuiltInMessageTexts {
 public:
  // `module`: the module whose string table is read (the executable by
  // default; a module loaded as a data file works too). Not owned.
  explicit CResourceMessageTexts(HMODULE module = ::GetModuleHandleW(nullptr)) : module_(module) {}

  // LoadStringW of the number, without a length limit; "" when the table
  // has no such string.
  Text LoadText(int id) override;

 private:
  HMODULE module_;
};

}  // namespace tovu
