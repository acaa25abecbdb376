// Extracts a package the way the frame does, for the round-trip scenario
// and the cabinet benchmark: the settings entries are unpacked from the
// package's container into a temp folder, the package state the worker
// needs is read from them (file count, multipart flag, set ID of GUID2),
// and ExtractPackage runs in the worker-thread slot against a progress
// window on a UI thread of its own, which writes the relayed log lines.
// A single-cabinet package has its WebCab1 entry copied out of the
// container (mode 100) and decompressed; a multipart package has its part
// files checked (digests of [HashCode], set ID, index) and extracted from
// beside the package. The process's module path is the package's, as it is
// when the package itself runs.
//
//   cab_roundtrip PACKAGE EXTRACTION_FOLDER TEMP_FOLDER
//
// Prints "result <n>", "finished done|failed|none", "files <n>" (files
// finished), "written <n>", "folders <n>" (package folders), "worker <s>"
// (seconds from the worker's start to its last message), and the log lines
// when the extraction did not succeed. Exit code 0 on success.
#include <windows.h>

#include <cstdio>

#include "app/win32/worker_thread_slot.h"
#include "cabinet/win32/extract_package.h"
#include "cabinet_test_support.h"
#include "settings/initializer.h"
#include "settings/messages.h"
#include "settings/package_settings.h"
#include "settings/profile.h"
#include "util/cutil.h"

namespace {

using namespace tovu;

// The platform of a process whose image is the package.
class PackagePlatform : public Win32Platform {
 public:
  explicit PackagePlatform(Text package) : package_(std::move(package)) {}
  Text ModulePath() override { return package_; }

 private:
  Text package_;
};

Text FullPath(const wchar_t* path) {
  wchar_t buffer[MAX_PATH * 4];
  DWORD n = ::GetFullPathNameW(path, MAX_PATH * 4, buffer, nullptr);
  return n == 0 || n >= MAX_PATH * 4 ? FromW(path) : FromW(buffer, n);
}

Text WithBackslash(Text path) {
  if (!path.empty() && path.back() != u'\\') path += u'\\';
  return path;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: cab_roundtrip PACKAGE EXTRACTION_FOLDER TEMP_FOLDER\n");
    return 2;
  }
  PackagePlatform platform(FullPath(argv[1]));
  SetPlatform(&platform);
  const Text extractTo = WithBackslash(FullPath(argv[2]));
  const Text temp = WithBackslash(FullPath(argv[3]));
  CBuildLogFile log(platform);
  CUtil util(platform, log);
  CTovuInitalizer init(platform, log, util);
  CabinetServices services{platform, log, util, init};
  Text ignored;
  util.CreateFolder(temp, ignored);
  log.InitLogFile(temp + u"cab_roundtrip.log", 9);
  log.WriteStart();

  // The settings entries, as the frame unpacks them before anything else.
  init.SetTovuTempDirPath(temp);
  if (int r = init.ExtractIntermediateFiles()) {
    std::printf("settings entries not unpacked: %d\n", r);
    return 1;
  }
  init.SetSettingsPath(pkg::SettingsFilePath(temp));
  CProfile profile(platform);
  const Text settings = init.GetSettingsPath();
  init.SetFileCount(pkg::ReadInt(profile, settings, pkg::section::kFileCount, pkg::key::kCount, 0));
  init.SetMultiPart();
  init.SetCabinetSetId(static_cast<uint16_t>(
      MessageNumberFromKey(pkg::ReadText(profile, settings, pkg::section::kTovu, pkg::key::kGuid2))));
  init.SetExtractionFolder(extractTo);
  init.SetOverwriteAllFlag(1);
  init.SetExtractionResult(-1);
  SetExtractionServices(&services);
  g_bContinueLaunching = 1;
  g_nOverwriteAnswer = -1;

  test::TestWindow window(&log);
  if (window.Handle() == nullptr) {
    std::printf("no progress window (no display?)\n");
    return 1;
  }
  LARGE_INTEGER frequency, start, end;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  CWorkerThreadSlot slot;
  if (slot.Start(window.Handle(), ExtractPackage) != S_OK) {
    std::printf("worker not started\n");
    return 1;
  }
  const bool finished = window.WaitFinished(3600 * 1000);
  ::QueryPerformanceCounter(&end);
  slot.Stop();

  std::vector<test::Seen> seen = window.Messages();
  const char* how = "none";
  int files = 0;
  for (const test::Seen& m : seen) {
    if (m.message == WM_EXTRACT_DONE) how = "done";
    if (m.message == WM_EXTRACT_FAILED) how = "failed";
    if (m.message == WM_EXTRACT_PROGRESS && m.wParam == PROGRESS_STEP && m.sent) ++files;
  }
  const int result = init.GetExtractionResult();
  std::printf("multipart %d\nresult %d\nfinished %s\nfiles %d\nwritten %zu\nfolders %zu\nworker %.3f\n",
              init.GetMultipartFlag(), result, how, files, init.GetWrittenFiles().size(),
              init.GetPackageFolders().size(), double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
  const bool ok = finished && result == 0 && std::string(how) == "done";
  if (!ok) {
    for (const std::string& line : window.LogLines()) std::printf("log: %s\n", line.c_str());
    if (!init.GetExtractionMessage().empty()) std::printf("message: %s\n", ToUtf8(init.GetExtractionMessage()).c_str());
  }
  SetExtractionServices(nullptr);
  std::fflush(stdout);
  return ok ? 0 : 1;
}
