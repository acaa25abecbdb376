// Texts of cabinet extraction: narrowing and widening of the names the
// cabinet library takes and gives, the file and folder parts of paths
// (CCabFile), and where a cabinet member lands below the target folder.
#pragma once

#include <string>

#include "util/text.h"

namespace tovu {

// Copies each UTF-16 unit as one byte. False when a unit is above U+00FF
// (the text cannot be narrowed); `out` is then empty.
bool NarrowCabText(TextView text, std::string& out);
// A member name as the cabinet stores it: UTF-8 when the cabinet marks the
// name so, otherwise each byte is one character.
Text WidenMemberName(const char* name, bool isUtf8);

class CCabFile {
 public:
  // Splits at the last backslash: the folder keeps the backslash; without
  // one the folder is empty and the whole path is the name.
  static void SplitPath(TextView path, Text& folder, Text& name);
  // Removes one trailing backslash.
  static Text RemoveTrailingBackslash(TextView path);
};

// Where one member goes. The target folder and the folder part of the name
// (up to and including its last backslash) are joined with exactly one
// backslash, so "\Data\a.txt" and "Data\a.txt" both land in
// <target>\Data\, and "\a.txt" and "a.txt" in <target>\. Cabinets of
// other writers store their names without the leading backslash.
struct MemberPlacement {
  Text folderPart;    // "\Data\" or "Data\" as stored (empty without a backslash)
  Text fileName;      // "a.txt"
  Text outputFolder;  // target + folder part, one backslash between; ends with one
  Text outputPath;    // output folder + file name
};
MemberPlacement PlaceMember(TextView targetFolder, TextView memberName);

// Whether a member name keeps its file below the target folder: false for
// an empty name or file name, a name with a colon (drive letters, streams,
// device prefixes), control characters, a leading pair of
// separators (shares, "\\?\" and "\\.\" device paths), a "." or ".."
// component or one made of dots and blanks only, and a component that is a
// device name (CON, NUL, COM1, ... with or without extension). Slashes
// count as separators, as the file system takes them.
bool IsSafeMemberName(TextView memberName);

}  // namespace tovu
