#include "cabinet/package_extraction.h"

#include "cabinet/cab_error.h"
#include "cabinet/part_validator.h"
#include "container/extractor.h"
#include "settings/builtin_messages.h"
#include "util/format.h"

namespace tovu {

namespace {

constexpr char16_t kFunction[] = u"ExtractPackage";

Text CatalogueText(int id) {
  Text t = GetBuiltInMessageText(id);
  if (!t.empty()) return t;
  switch (id) {
    case 607: return u"Part file [FILENAME] not found.";
    case 608: return u"Part file [FILENAME] is invalid.";
    case 615: return u"Part file [FILENAME] is corrupt.";
    case 510: return u"Access is denied.";
    case 509:
      return u"Cannot copy [FILENAME]: It is being used by another person or program.[NEWLINE]Close any "
             u"programs that might be using the file and try again.";
    default: return Text();
  }
}

// Log lines of the worker, handed to the window's thread, which writes
// the text as the format with the argument as its single argument.
class Reporter {
 public:
  explicit Reporter(PackageExtractionEnv& env) : env_(env) { record_.function = kFunction; }

  void Log(int level, TextView format, const Text& argument = Text()) {
    if (env_.window == nullptr || !env_.window->Exists()) return;
    record_.level = level;
    record_.text = Text(format);
    record_.argument = argument;
    env_.window->SendLog(record_);
  }
  // A line with a number: formatted here, so that the window's single text
  // argument is not needed (the text's own percent signs are doubled).
  void LogNumber(int level, TextView format, int value) {
    Text line = Format(format, value);
    ReplaceAll(line, u"%", u"%%");
    Log(level, line);
  }
  void Post(uintptr_t code, intptr_t value) {
    if (env_.window) env_.window->PostProgress(code, value);
  }
  void Done() {
    if (env_.window) env_.window->PostDone();
  }
  void Failed() {
    if (env_.window) env_.window->PostFailed();
  }

 private:
  PackageExtractionEnv& env_;
  LogRelayRecord record_;
};

Text WithoutBackslash(const Text& path) {
  if (path.size() > 1 && path.back() == u'\\') return path.substr(0, path.size() - 1);
  return path;
}

bool IsFolderWithEntries(IPlatform& platform, const Text& folder) {
  uint32_t error = 0;
  uint32_t a = platform.FileAttributes(WithoutBackslash(folder), &error);
  if (a == fileattr::kInvalid || (a & fileattr::kDirectory) == 0) return false;
  std::vector<DirEntry> entries;
  return platform.ListFolder(WithoutBackslash(folder), entries) == 0 && !entries.empty();
}

bool IsFile(IPlatform& platform, const Text& path) {
  uint32_t error = 0;
  uint32_t a = platform.FileAttributes(path, &error);
  return a != fileattr::kInvalid && (a & fileattr::kDirectory) == 0;
}

}  // namespace

Text GetMessageForCode(CUtil& util, int code, const Text& fileName) {
  Text text;
  switch (code) {
    case -5: text = CatalogueText(615); break;
    case -3: text = CatalogueText(608); break;
    case -2:
    case 1: text = CatalogueText(607); break;
    case 5: text = CatalogueText(510); break;
    case 32: text = CatalogueText(509); break;
    default: text = util.GetErrorText(static_cast<uint32_t>(code)); break;
  }
  ReplaceAll(text, u"[FILENAME]", fileName);
  return text;
}

void RunExtractPackage(PackageExtractionEnv& env) {
  Reporter out(env);
  CTovuInitalizer& init = env.init;
  const Text folder = init.GetExtractionFolder();

  // 1-2. The extraction folder; nothing at all when already stopped.
  Text ignored;
  env.util.CreateFolder(folder, ignored);
  if (env.stopSignalled && env.stopSignalled()) return;

  // 3-4. The cabinet entry out of the container.
  const int32_t offset = init.GetAttachedFileOffset();
  out.Log(LOG_INFO, u"Extracting the Setup to : %s", folder);
  const bool multipart = init.GetMultipartFlag() == 1;
  const Text module = env.platform.ModulePath();
  if (!multipart) {
    uint64_t size = 0;
    if (env.platform.FileSize(module, &size) != 0 || size > 0x7FFFFFFFull) size = 0;
    CExtractor extractor(env.platform, env.log, env.window, static_cast<int32_t>(size));
    int r = extractor.ExtractFile(module, init.GetTovuTempDir(), EXTRACT_MODE_CABINET, offset, kCabinetCopyChunk);
    if (r != 0) {
      init.SetExtractionResult(-1);
      out.Failed();
      return;
    }
  }
  out.Post(PROGRESS_CABINET_READY, 100);

  // 6. An extraction folder that holds anything is removed with its content.
  if (IsFolderWithEntries(env.platform, folder)) {
    out.Post(PROGRESS_EMPTYING, 0);
    out.Log(LOG_INFO, u"Deleting the contents of extraction folder : %s", folder);
    env.util.DeleteFolder(WithoutBackslash(folder));
  }
  out.Post(PROGRESS_FILE_COUNT, init.GetFileCount());

  Text cabinetName = Format(u"WebCab%d", 1);
  Text cabinetFolder = init.GetTovuTempDir();
  out.Log(LOG_INFO, u"Checking for parts");
  Text pattern;
  if (multipart) {
    std::unique_ptr<ICabDecompressor> probe = env.makeDecompressor(nullptr, init.GetOverwriteAllFlag());
    CPartValidator validator(env.platform, env.util, init, *probe);
    Text failedPath;
    TextList messages;
    int code = validator.ValidateParts(failedPath, init.GetOverwriteAllFlag(), messages);
    for (auto it = messages.rbegin(); it != messages.rend(); ++it) {
      bool info = it->find(u"Validating cabinet") != Text::npos || it->find(u"Hash code for") != Text::npos;
      out.Log(info ? LOG_INFO : LOG_ERROR, u"%s", *it);
    }
    if (code != 0) {
      init.SetExtractionResult(code);
      init.SetExtractionMessage(GetMessageForCode(env.util, code, failedPath));
      out.Failed();
      return;
    }
    cabinetName = validator.GetFirstPartName();
    cabinetFolder = env.util.GetModuleFolder();
    CUtil::AddTrailingBackslash(cabinetFolder);
    pattern = validator.GetPartNamePattern();
  }

  // 10. The cabinet must be there.
  const Text cabinetPath = cabinetFolder + cabinetName;
  if (!IsFile(env.platform, cabinetPath)) {
    init.SetExtractionResult(-2);
    out.Log(LOG_ERROR, u"%s", GetMessageForCode(env.util, 1, cabinetPath));
    out.Done();
    return;
  }

  // 11-12. The extraction.
  out.Log(LOG_INFO, u"Extracting files from cabinet :%s", cabinetPath);
  int code = 0;
  Text errorText;
  uint32_t openError = 0;
  uint32_t writeError = 0;
  {
    std::unique_ptr<ICabDecompressor> cab = env.makeDecompressor(env.window, init.GetOverwriteAllFlag());
    cab->SetPartNamePattern(pattern);
    cab->ExtractCabinet(cabinetPath, folder);
    errorText = cab->GetErrorMessage();
    code = cab->GetErrorCode();
    openError = cab->GetLastOpenError();
    writeError = cab->GetLastWriteError();
  }
  out.LogNumber(LOG_INFO, u"Return Code for cab extraction : %d", code);
  init.SetExtractionResult(code);
  init.SetExtractedToFolder(folder);

  // 13. The report.
  if (code == 0) {
    out.Log(LOG_INFO, u"%s", errorText);
    out.Done();
  } else if (code == caberr::kCabinetNotFound) {
    out.Log(LOG_ERROR, u"%s", GetMessageForCode(env.util, 1, cabinetPath));
    out.Failed();
  } else if (code == caberr::kWriteFailed) {
    // A file of the package could not be written whole: the run failed,
    // and the clean-up removes what the extraction had written.
    init.SetRunStatus(code);
    out.Log(LOG_ERROR, u"%s", errorText + u" : " + TrimRight(GetMessageForCode(env.util, static_cast<int>(writeError),
                                                                             init.GetCurrentFileName())));
    out.Failed();
  } else if (openError != 0) {
    init.SetExtractionResult(-1);
    out.Log(LOG_ERROR, u"%s", GetMessageForCode(env.util, static_cast<int>(openError), init.GetCurrentFileName()));
    out.Failed();
  } else if (code == caberr::kTargetFile || code == 39) {
    out.Log(LOG_ERROR, u"%s", GetMessageForCode(env.util, code, init.GetCurrentFileName()));
    out.Failed();
  } else {
    out.Log(LOG_ERROR, u"%s", errorText);
    out.Failed();
  }
}

}  // namespace tovu
