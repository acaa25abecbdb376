// Helper of the unattended window test: runs the progress window of the
// unattended run in a process of its own, with a worker that waits for
// its stop event, so that a confirmed Close can end this process. Before
// the process ends it writes what the cancel left behind into the file
// named by its argument: "abort=<g_bAbortExtraction> status=<RunStatus>
// thread=<1 while the slot still holds a thread>".
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/win32/message_box.h"
#include "app/win32/worker_thread_slot.h"
#include "container/extractor.h"
#include "log/log_file.h"
#include "platform/win32/win32_platform.h"
#include "settings/initializer.h"
#include "settings/messages.h"
#include "ui/win32/unattended_extracter.h"
#include "util/cutil.h"

namespace {

DWORD WINAPI WaitingWorker(LPVOID parameter) {
  auto* slot = static_cast<tovu::CWorkerThreadSlot*>(parameter);
  ::WaitForSingleObject(slot->GetStopEvent(), INFINITE);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace tovu;
  if (argc < 3) return 2;
  const std::wstring report = argv[1];
  const Text caption = FromW(argv[2]);
  Win32Platform platform;
  SetPlatform(&platform);
  CBuildLogFile log(platform);
  log.InitLogFile(FromW(report.c_str()) + u".log", 11);
  CUtil util(platform, log);
  CTovuInitalizer init(platform, log, util);
  init.SetExtractionFolder(u"C:\\unattended-child\\");
  CMessageCatalog messages(platform);
  CWorkerThreadSlot slot;

  UnattendedExtracterServices services{log, init, messages, slot, WaitingWorker, caption, {}, {}, {}, {}};
  services.messageBox = [&](const Text& text, uint32_t style) {
    return ShowTovuMessageBox(text, style, caption, &messages);
  };
  services.quit = [&](int exitCode) {
    if (FILE* f = _wfopen(report.c_str(), L"w")) {
      std::fprintf(f, "abort=%d status=%d thread=%d", int(g_bAbortExtraction), init.GetRunStatus(),
                   slot.HasThread() ? 1 : 0);
      std::fclose(f);
    }
    ::ExitProcess(static_cast<UINT>(exitCode));
  };
  CUnattendedExtracter window(1, services);
  window.DoModal();
  return 0;
}
