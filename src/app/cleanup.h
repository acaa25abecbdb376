// CExtractedFilesCleanup: removes what the package extracted. The cabinet
// extraction fills four lists on the initialiser as it writes files and
// creates folders (newest entry first):
//
//   written files    (run files)    files written by the current extraction
//   created folders  (run folders)  folders the current extraction created
//   package files    (exit files)   extracted files to remove at exit
//   package folders  (exit folders) extracted folders to remove at exit
//
// The run lists serve the clean-up after an aborted extraction; the exit
// lists serve the clean-up at exit and the list file
// ExtractedFilesToDelete.txt that is handed to a launched setup when the
// setup, not the frame, deletes the files. Only what the program itself
// extracted or created goes: a folder that holds anything else stays,
// except inside the first-created folder (CUtil::GetFirstCreatedFolder),
// which is removed with all its content.
//
// The list file is UTF-8 with a byte-order mark (EF BB BF), one entry per
// line, lines ended by CR LF. UTF-8 carries every path whatever its
// characters, a reader that looks for the mark decodes it exactly, and the
// ASCII lines read the same for a reader that takes the bytes as 8-bit text.
//
// Every failure is logged and the next entry is tried; nothing here stops
// the run or changes the exit code.
#pragma once

#include <functional>
#include <set>
#include <string>

#include "log/log_file.h"
#include "platform/platform.h"
#include "settings/initializer.h"
#include "util/cutil.h"
#include "util/text.h"

namespace tovu {

inline constexpr char16_t kDeleteListFileName[] = u"ExtractedFilesToDelete.txt";
inline constexpr char16_t kDeleteListHeader[] = u"[FilesToDelete]";

class CExtractedFilesCleanup {
 public:
  CExtractedFilesCleanup(IPlatform& platform, CLogFile& log, CUtil& util, CTovuInitalizer& init);

  // The pause between two deletions (10 ms by default); tests may set a
  // function that does not wait.
  void SetWait(std::function<void(int milliseconds)> wait) { wait_ = std::move(wait); }

  // Extraction folder + "ExtractedFilesToDelete.txt".
  Text GetListFilePath() const;

  // Writes the list file: the exit files oldest first (the list file's own
  // path is put at the front of the list first, so it comes last), the
  // exit folders oldest first whose whole content is listed, then the
  // first-created folder when the extraction folder lies in it. False when
  // the file cannot be created.
  bool WriteToDeletetxt();

  // Clean-up at exit: the exit files, the exit folders that nothing
  // foreign is left in, and the first-created folder with all its content
  // when the extraction folder lies in it; then empties both exit lists.
  void DeleteExtractedFilesAndFolders();

  // Removes the folder when, after its subfolders were handled the same
  // way, it holds no file and no folder outside the exit-folders list:
  // 1 removed, 0 kept, -1 not a folder.
  int DeleteDirectory(const Text& path);

  // Clean-up after an aborted extraction: the run files, the run folders
  // with all their content, the first-created folder with all its
  // content; then empties both run lists.
  void DeleteExtractedContents();

  // The abort branch of the Tovu temp folder removal: DeleteExtractedContents
  // when g_bAbortExtraction is still 1, or when the extraction stopped on a
  // file it could not write (extraction result 1015). True when it ran.
  bool DeleteExtractedContentsIfAborted();

  // 1 when every file below the folder is in the exit-files list and every
  // folder below it in the exit-folders list (the first foreign entry
  // ends the check with 0).
  int IsContentListed(const Text& folder);

  // Whether the folder is the extraction folder or one of its ancestors.
  bool ExtractionFolderLiesIn(const Text& folder) const;

  // Whether the frame deletes the extracted files at exit: the
  // delete-on-exit flag, WaitForAutolaunchFinish and the frame-deletes
  // flag all 1.
  static bool FrameDeletesAtExit(int deleteOnExitFlag, const CTovuInitalizer& init);

  // Reads a list file back: its entries after the header line, in order.
  // False when the file cannot be read or does not start with the header.
  static bool ReadDeleteList(IPlatform& platform, const Text& path, TextList& entries);
  // The bytes of one list file for these lines (the header included).
  static std::string EncodeDeleteList(const TextList& lines);

 private:
  int DeleteDirectoryImpl(const Text& path, const std::set<Text>& knownFolders, int depth);
  void Wait(int milliseconds);

  IPlatform& platform_;
  CLogFile& log_;
  CUtil& util_;
  CTovuInitalizer& init_;
  std::function<void(int)> wait_;
};

}  // namespace tovu
