// CUtil: the one utility object of the process. This unit holds its
// operations on environment placeholders, path texts, target-folder
// validation, folder creation and deletion, drives, free space, size
// formatting and a few file operations. All OS access goes through
// IPlatform; every operation returns a plain integer (or a value) and never
// lets an exception escape.
//
// Lists: every operation that fills a TextList adds its items at the head
// (front) of the list and leaves items already in it behind them. So a list
// filled in the order a, b, c reads c, b, a from the front.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <map>

#include "log/log_file.h"
#include "platform/platform.h"
#include "util/text.h"

namespace tovu {

using TextList = std::list<Text>;
using TextMap = std::map<Text, Text>;

class CUtil {
 public:
  CUtil(IPlatform& platform, CLogFile& log);

  // ---- environment ---------------------------------------------------------
  // A text beginning with "%NAME%" becomes NAME's value followed by the rest;
  // an unset NAME gives the empty text; any other text is returned unchanged.
  Text ExpandEnvPath(const Text& text);
  // The start of the next "%...%" token at or after the scan position when
  // a backslash, a blank or a double quote follows it, else -1. Moves the
  // scan position behind a token it returns; warns about unsupported names.
  int IsEnvVarPresent(const Text& text);
  // Replaces the placeholder tokens of a command text in place. Returns the
  // number of tokens expanded.
  int ExpandEnvVars(Text& text);
  size_t GetScanPosition() const { return scanPosition_; }
  void ResetScanPosition() { scanPosition_ = 0; }

  // ---- path texts ----------------------------------------------------------
  // Appends "\" unless the path is empty or already ends with one.
  static void AddTrailingBackslash(Text& path);
  // "C:\Logs\Tovu.log" -> "C:\Logs\Tovu_<user>.log".
  Text AppendUserName(const Text& path);
  Text GetModulePath();
  Text GetModuleFolder();  // without the trailing backslash
  Text GetModuleName();
  // 1 when a path component (text between backslashes) may stand in a
  // target path: ".." or neither a reserved device name nor dots only.
  static int IsValidPathComponent(TextView component);

  // ---- target folders ------------------------------------------------------
  // Checks (and makes full) a target folder: 0, 161 (bad path name), 206
  // (name too long), 5 (access denied) or 82 (cannot make, remote drive).
  // `path` ends as the full path with a trailing backslash; `root` is its
  // drive part ("D:") or share part ("\\server\share\"). Folders this call
  // creates for the write test are deleted again.
  int ValidatePath(Text& path, Text& root);
  // Creates each missing folder of root + remainder from the root down: 0,
  // or -1 at the first failure other than "already exists".
  int CreateFolderPath(const Text& root, const Text& remainder);
  // 1 when a new temporary file can be created and written in the folder
  // (the file is deleted again), else 0.
  int IsFolderWritable(const Text& folder, const Text& prefix = Text());
  // The outermost folder that CreateFolderPath created most recently; empty
  // until it creates one, never cleared.
  const Text& GetFirstCreatedFolder() const { return firstCreatedFolder_; }

  // Creates the whole folder tree and sets the message from the outcome
  // (left as it was for an unlisted result). Always returns 1.
  int CreateFolder(const Text& path, Text& message);
  // Creates the folder of a path (cut at its last backslash) level by level:
  // 0 or -1.
  int CreateFolderLevels(const Text& path);

  // Deletes a folder with everything below it, stopping at the first entry
  // that cannot be deleted: nonzero when the folder is gone, 0 when it is
  // still there, -1 when the path is not a folder. Links (reparse points)
  // inside are removed as entries, never followed; drive and share roots
  // are never emptied (0).
  int DeleteFolder(const Text& path);
  // As DeleteFolder, but goes on past entries that cannot be deleted and
  // adds each of their paths at the head of `leftovers`. Returns 1 when the
  // final removal of the folder succeeded, 0 when not, -1 when the path is
  // not a folder.
  int DeleteFolderReport(const Text& path, TextList& leftovers);
  // Clears all attributes of a read-only file: 0 or the error.
  uint32_t ClearReadOnly(const Text& file);

  // ---- other ---------------------------------------------------------------
  // Splits at every occurrence of the separator, trims each piece, drops
  // empty pieces and adds the rest at the head of `out` (last piece first).
  static void SplitText(TextView text, TextView separator, TextList& out);
  // 1 when a file or folder of that name exists (paths under 256
  // characters only), else 0.
  int FileExists(const Text& path);
  // Adds the roots ("E:\") of the matching drives at the head of `drives`,
  // so the highest letter comes first. Kind 3: fixed drives with at least
  // `requiredBytes` free; kind 5: CD-ROM drives. 0, or -1 when no drive is
  // known.
  int FindDrives(TextList& drives, int kind, uint64_t requiredBytes);
  // Free bytes of a drive root ("C:\"); 0 when the call fails.
  uint64_t GetDiskFree(const Text& root);
  // Value and unit ("KB", "MB", "GB") to print with "%.02f %s".
  static void FormatSize(uint64_t bytes, double& value, Text& unit);
  // The system's message text for an error code.
  Text GetErrorText(uint32_t code);
  // Reads a section into `out`: keys in lower case, the first line of a
  // key wins. `bufferChars` 0 means 2,048; at most 2,000 characters of the
  // section are read. Returns the number of lines read, or -1.
  int ReadIniSection(const Text& file, const Text& section, TextMap& out, size_t bufferChars = 0);

  // ---- system information ----------------------------------------------------
  // The current local time.
  LocalTime GetLocalTime();
  // dwTotalPhys of GlobalMemoryStatus as an unsigned 32-bit byte count (a
  // larger figure, as a 64-bit process may be told, is cut to 4 GiB - 1).
  uint32_t GetTotalPhysicalMemory();
  // The memory size text of the system information block: bytes / 1,024 in
  // integer arithmetic, then twice / 1,024.0, rounded up, "%.02lf" ("4.00").
  static Text FormatMemorySize(uint32_t totalPhys);
  // Adds the "ProcessorNameString" of the keys
  // HKLM\HARDWARE\DESCRIPTION\System\CentralProcessor\<n>, n = 0, 1, ...,
  // at the head of `names`, so the highest number comes first. Stops at the first key that cannot be
  // opened and after adding an empty name (value missing, empty, not a
  // string or longer than its 1,024-character buffer). The keys are read in the
  // process's own registry view; HKLM\HARDWARE is shared by both views.
  // Returns the number of names added.
  int GetProcessorNames(TextList& names);
  // GetComputerNameW; empty when it fails.
  Text GetComputerNameText();
  // Adds the roots ("C:\") of the drives whose type is `kind` (3 fixed, 5
  // CD-ROM) at the head of `drives`, so the highest letter comes first. 0,
  // or -1 when no drive is known.
  int ListDrives(TextList& drives, int kind);
  // "Total Space: ...\tUsed space: ...\tFree space: ..." of a drive root,
  // or "No Information" when neither free-space query works. Returns 0, or
  // -1 for "No Information".
  int GetSpaceInfo(const Text& root, Text& text);
  // The volume's file system name ("NTFS"); empty when unknown.
  Text GetFileSystemName(const Text& root);
  // The user's UI language identifier, or -1 when it cannot be determined.
  int GetUILanguage();
  // The name of a language identifier from the system's table; "Unknown"
  // for identifiers without an entry.
  static Text GetLanguageName(int identifier);
  // The system default locale identifier; `englishName` receives the
  // English name of its language (LOCALE_SENGLANGUAGE), empty when unknown.
  uint32_t GetSystemLanguage(Text& englishName);

 private:
  int CreateFolderPathImpl(const Text& root, const Text& remainder, Text* createdHere);
  int DeleteTree(const Text& path, TextList* leftovers);

  IPlatform& platform_;
  CLogFile& log_;
  Text firstCreatedFolder_;
  size_t scanPosition_ = 0;
};

}  // namespace tovu
