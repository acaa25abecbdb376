// Message texts: the message map filled from the package's language files,
// the fallback to the built-in English catalogue, the captions of the
// language choice, the user and log texts of extraction errors, and the
// replacement of placeholders such as "[PRODUCTNAME]".
//
// Language files (UTF-16LE with byte-order mark, INI syntax) lie in the
// Tovu temp folder: Default<LCID>.ulf (LCID in decimal) with a [FileInfo]
// section (ID, LangName) and any number of sections of "number=text"
// lines, and Defaultx.ulf with the radio-button captions under
// [RADIOBUTTONSTRING]. They are read with the rules of CProfile, so every
// read sees the file as the Windows private-profile functions would; a load
// of a language file reads it once (CParsedProfile) and takes every section
// from that reading.
//
// Construction. The application holds one CMessageCatalog for the whole
// process, made over the platform and a source of built-in texts:
//
//   CMessageCatalog catalog(Platform());              // compiled-in table
//   CResourceMessageTexts texts(::GetModuleHandleW(nullptr));
//   CMessageCatalog catalog(Platform(), texts);       // the frame's string table
//   catalog.SetMessageBoxRoutine(&app);               // for ReportExtractionError
//
// Both sources give the same texts (settings/builtin_messages.inc). The
// catalogue keeps references to both arguments; they must outlive it.
// Nothing here throws; a file that cannot be read counts as absent.
#pragma once

#include <initializer_list>
#include <map>
#include <span>

#include "platform/platform.h"
#include "settings/builtin_messages.h"
#include "settings/profile.h"
#include "util/text.h"

namespace tovu {

class IMessageBoxRoutine;

// ---- placeholders ----------------------------------------------------------

namespace placeholder {
inline constexpr char16_t kNewline[] = u"[NEWLINE]";
inline constexpr char16_t kTab[] = u"[TAB]";
inline constexpr char16_t kProductName[] = u"[PRODUCTNAME]";
inline constexpr char16_t kPackageDisplayName[] = u"[PACKAGEDISPLAYNAME]";
inline constexpr char16_t kPath[] = u"[PATH]";
inline constexpr char16_t kInvalidPath[] = u"[INVALIDPATH]";
inline constexpr char16_t kFileName[] = u"[FILENAME]";
inline constexpr char16_t kDriveName[] = u"[DRIVENAME]";
inline constexpr char16_t kAvailableSpace[] = u"[AVALSPACEIN]";
inline constexpr char16_t kRequiredSpace[] = u"[REQSPACEIN]";
inline constexpr char16_t kOsName[] = u"[OSNAME]";
inline constexpr char16_t kOsEdition[] = u"[OSEDITION]";
inline constexpr char16_t kOsServicePack[] = u"[OSSERVICEPACK]";
inline constexpr char16_t kMsgSupportedOS[] = u"[MsgSupportedOS]";
}  // namespace placeholder

// What "[NEWLINE]" and "[TAB]" stand for.
inline constexpr char16_t kLineBreak[] = u"\n";
inline constexpr char16_t kTabCharacter[] = u"\t";

// One placeholder and the text that replaces it.
struct PlaceholderValue {
  TextView name;   // e.g. placeholder::kFileName; an empty name never matches
  TextView value;
};

// Replaces every occurrence of the given placeholders in one pass from left
// to right: an inserted value is not searched again (a file name holding
// "[PATH]" stays as it is). Names match exactly and case-sensitively; where
// two names match at the same place, the earlier one in the list wins.
// Placeholders not in the list stay.
Text ReplacePlaceholders(TextView text, std::span<const PlaceholderValue> values);
Text ReplacePlaceholders(TextView text, std::initializer_list<PlaceholderValue> values);

// A text from the package settings made ready for display: "[NEWLINE]"
// becomes a line break and "[TAB]" a tab character.
Text ExpandSettingsText(TextView text);

// ---- language files ----------------------------------------------------------

inline constexpr char16_t kLanguageFileStem[] = u"Default";
inline constexpr char16_t kLanguageFileExtension[] = u".ulf";
inline constexpr char16_t kLanguageChoiceFileName[] = u"Defaultx.ulf";
inline constexpr char16_t kFileInfoSection[] = u"FileInfo";
inline constexpr char16_t kFileInfoIdKey[] = u"ID";
inline constexpr char16_t kFileInfoLangNameKey[] = u"LangName";
inline constexpr char16_t kRadioButtonSection[] = u"RADIOBUTTONSTRING";
inline constexpr char16_t kUnknownLanguage[] = u"Unknown Language";

// The language whose texts are the built-in ones.
constexpr int kEnglishLcid = 1033;

// Results of LoadLanguageFile.
constexpr int LANGFILE_ENGLISH = 1;     // 1033: the map was emptied
constexpr int LANGFILE_LOADED = 0;      // loaded, or no file (map unchanged)
constexpr int LANGFILE_WRONG_ID = -1;   // the file's ID is another language

// The first size of the buffers a language file's sections are read into;
// a buffer that comes back full up to two characters is doubled, up to
// kMaxLanguageBufferChars.
constexpr size_t kLanguageBufferChars = 1024;
constexpr size_t kMaxLanguageBufferChars = size_t{1} << 24;

// folder + "Default" + decimal LCID + ".ulf" (the folder ends with "\").
Text LanguageFilePath(const Text& folder, int lcid);

// A key of a language file read as a decimal integer the way the C
// runtime's _wtoi reads it: leading blanks, an optional sign, the digits up
// to the first other character; 0 when there are none; clamped to the int
// range. Only ASCII blanks and digits count (the runtime also takes other
// Unicode digits and spaces, which no language file uses in its numbers).
int MessageNumberFromKey(TextView key);

// The drive part of a folder: drive letter and colon ("C:"), or for a share
// path two backslashes, server, backslash and share ("\\srv\share");
// otherwise "".
Text DriveOfFolder(const Text& folder);

// The two texts of an extraction error code: what the user is shown (""
// for none) and the English line for the log.
struct ExtractionErrorTexts {
  Text userText;
  Text logText;
};

// ---- the catalogue ------------------------------------------------------------

class CMessageCatalog {
 public:
  explicit CMessageCatalog(IPlatform& platform, IBuiltInMessageTexts& builtIn = CompiledInMessageTexts());

  // The routine ReportExtractionError shows its user text through (none:
  // nothing is shown).
  void SetMessageBoxRoutine(IMessageBoxRoutine* routine) { messageBox_ = routine; }

  // The map's text for the number, else the built-in English text, else "".
  Text GetMessageText(int number) const;

  // Loads the texts of language `lcid` from folder + "Default<lcid>.ulf":
  // 1033 empties the map (LANGFILE_ENGLISH); a missing file leaves the map
  // as it is (LANGFILE_LOADED); a file whose [FileInfo] ID differs from the
  // decimal LCID (ignoring case) is refused (LANGFILE_WRONG_ID, map
  // unchanged). Otherwise every line of every section, [FileInfo]
  // included, goes into the map under its key's number (MessageNumberFromKey)
  // with "[NEWLINE]" replaced by a line break; later lines overwrite
  // earlier ones, and entries the file lacks keep their earlier text.
  int LoadLanguageFile(int lcid, const Text& folder);

  // [FileInfo] LangName of tovuTempFolder + "Default<lcid>.ulf"; "" when
  // the file or the key is missing.
  Text GetLangName(int lcid, const Text& tovuTempFolder);

  // The caption of the language's radio button: [RADIOBUTTONSTRING] <lcid>
  // of tovuTempFolder + "Defaultx.ulf"; "Unknown Language" when missing or
  // empty.
  Text GetLanguageButtonText(int lcid, const Text& tovuTempFolder);

  // The texts of an extraction error (user text from the message texts,
  // log text in English):
  //   -5      615 with [FILENAME]      "Part file <f> is corrupt."
  //   -3      608 with [FILENAME]      "Part file <f> is invalid."
  //   -2, 1   607 with [FILENAME]      "Part file <f> not found"
  //   5       510                      "Access is denied."
  //   32      509 with [FILENAME] and [NEWLINE] replaced
  //                                    "Cannot copy <f> It is being used ..."
  //   8, 39   409 with [DRIVENAME]     "There is not sufficient space on drive :<drive>"
  //   other   none                     the system's text for the code
  // The drive is DriveOfFolder(extractionFolder).
  ExtractionErrorTexts DescribeExtractionError(int code, const Text& fileName, const Text& extractionFolder) const;

  // DescribeExtractionError, showing the user text (when not empty) with the
  // error icon through the message-box routine in run mode 510 only.
  // Returns the log text.
  Text ReportExtractionError(int code, const Text& fileName, int runMode, const Text& extractionFolder);

  // The message map as loaded.
  const std::map<int, Text>& GetMessageMap() const { return map_; }

 private:
  IPlatform& platform_;
  IBuiltInMessageTexts* builtIn_;
  CProfile profile_;
  IMessageBoxRoutine* messageBox_ = nullptr;
  std::map<int, Text> map_;
};

}  // namespace tovu
