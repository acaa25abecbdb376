// Setup launching after extraction: the list of setups a package names
// ([Runtime] AutoLaunch, or AutoLaunch1, AutoLaunch2, ... with Multilaunch
// "1"), the parameters of each for the setup language (LaunchEXEParams...,
// in Mode "Tovu" with the Silent / Unattended additions), the hand-over of
// the extracted-file deletion to the last setup (/DeleteOnFinish=), the
// operating-system gate, the start of each setup with its wait, and the
// mapping of each return code to the finish message and run status.
//
// Construction by the application (one object for the whole process):
//
//   CSetupLauncher launcher(Platform(), log, util, initializer, finish,
//                           processLauncher, host, deleteListWriter);
//   launcher.SetInstallationPage(&page);   // when the installation page exists
//   launcher.SetSheet(&sheetHooks);        // the wizard's steps, when it runs
//
// where `finish` is the CFinishMessages (app/finish_messages.h),
// `processLauncher` the CProcessLauncher (util/process_launch.h), `host`
// the application's ILaunchHost below and `deleteListWriter` the clean-up's
// IDeleteListWriter. Calls:
//   - extraction page, Finish button, silent/unattended dialog:
//     HandleLaunchSetup() on their own thread (10: end the wizard);
//   - installation page: starts LaunchSetupThread through the worker slot
//     (launch/win32/launch_thread.h), which runs HandleLaunchSetup();
//   - wizard pages before extraction: IsParameterFileNotCorrupt().
// The continue-launching flag must be 1 (SetContinueLaunching in
// launch/launch_flags.h) for a multi-launch to go past its first setup.
#pragma once

#include <cstdint>
#include <vector>

#include "app/finish_messages.h"
#include "log/log_file.h"
#include "platform/platform.h"
#include "settings/initializer.h"
#include "settings/profile.h"
#include "util/cutil.h"
#include "util/process_launch.h"
#include "util/text.h"

namespace tovu {

// Posted by the launch thread to the launch report window when it ends.
constexpr uint32_t WM_LAUNCH_FINISHED = 1524;

namespace launchtext {
inline constexpr char16_t kDeleteOnFinishSwitch[] = u"/DeleteOnFinish=";
inline constexpr char16_t kDeleteListFileName[] = u"ExtractedFilesToDelete.txt";
inline constexpr char16_t kLauncherName[] = u"Start.exe";
inline constexpr char16_t kLauncherCompanion[] = u"InstData\\Resources\\VREL2.exe";
inline constexpr char16_t kLaunchParamsStem[] = u"LaunchEXEParams";
inline constexpr char16_t kModeTovu[] = u"Tovu";
}  // namespace launchtext

// Setup paths of this many characters or more are refused.
constexpr size_t kMaxSetupPathChars = 900;
// Results of HandleLaunchSetup.
constexpr int LAUNCH_NOTHING_STARTED = -1;
constexpr int LAUNCH_END_WIZARD = 10;

// Writes ExtractedFilesToDelete.txt into the extraction folder (the
// clean-up of extracted files).
struct IDeleteListWriter {
  virtual ~IDeleteListWriter() = default;
  virtual bool WriteToDeletetxt() = 0;
};

// What the launch needs of the application.
class ILaunchHost {
 public:
  virtual ~ILaunchHost() = default;
  // The application's CheckOs flag, the OS verdict (300, 301, 302), the
  // delete-on-exit flag and the settings fingerprint taken at startup.
  virtual int GetCheckOsFlag() = 0;
  virtual int GetOSCheckResult() = 0;
  virtual int GetDeleteOnExitFlag() = 0;
  virtual Text GetSettingsFingerprint() = 0;
  // Removes the Tovu temp folder (at most once per process).
  virtual void DeleteTovuTempDir() = 0;
  // The OS message of a verdict for the language (CheckOS(verdict,
  // language, 1, 1) of the allowance check).
  virtual Text GetOSMessage(int verdict, int language) = 0;
  // The application's message-box routine; returns the button (IDYES 6,
  // IDNO 7, IDOK 1).
  virtual int ShowMessageBox(const Text& text, uint32_t style) = 0;
};

// The installation page, as the launch reaches it (any thread).
class IInstallationPage {
 public:
  virtual ~IInstallationPage() = default;
  // Whether the page's window exists.
  virtual bool WindowExists() = 0;
  // Dispatches the messages waiting in the calling thread's queue until
  // it is empty.
  virtual void PumpPendingMessages() = 0;
  // SendMessage(PBM_SETPOS, position) to the page's progress bar.
  virtual void SetProgressPos(int position) = 0;
  // The page's OnLaunchSetupFinish, called when a stop is seen.
  virtual void OnLaunchSetupFinish() = 0;
};

// The wizard sheet's part in the launch (absent on the launch thread and
// in the silent and unattended dialog).
class ILaunchSheet {
 public:
  virtual ~ILaunchSheet() = default;
  virtual bool IsWindowValid() = 0;
  virtual void ShowWindow(bool show) = 0;
  // The sheet's launch-at-extraction flag.
  virtual int GetLaunchAtExtractionFlag() = 0;
  virtual void ActivateFinishPage() = 0;
};

class CSetupLauncher {
 public:
  CSetupLauncher(IPlatform& platform, CLogFile& log, CUtil& util, CTovuInitalizer& initializer,
                 CFinishMessages& finish, IProcessLauncher& processes, ILaunchHost& host,
                 IDeleteListWriter& deleteList);

  void SetInstallationPage(IInstallationPage* page) { page_ = page; }
  void SetSheet(ILaunchSheet* sheet) { sheet_ = sheet; }

  // Reads the settings, builds the lists, gates on the OS, removes the
  // Tovu temp folder and launches: -1 nothing started, 10 end the wizard,
  // else LaunchMultipleApplications' result.
  int HandleLaunchSetup();
  // Fills the setup list ("<key>:<path>") and the parameter list for the
  // setup language (decimal text); both empty when a setup is missing or
  // too deep.
  void GetAutolaunchApps(const Text& language, std::vector<Text>& setups, std::vector<Text>& parameters);
  // Starts each setup in order: 0, or -1 when a setup file was missing.
  int LaunchMultipleApplications(const Text& language, const std::vector<Text>& setups,
                                 const std::vector<Text>& parameters, const Text& installationDialog);
  // 1 when the settings file still has the fingerprint taken at startup
  // (or cannot be hashed), 0 when it was changed.
  int IsParameterFileNotCorrupt();

  // The delete-on-finish parameter: /DeleteOnFinish="<folder>ExtractedFilesToDelete.txt".
  Text DeleteOnFinishParameter() const;

 private:
  Text Runtime(const Text& key);
  void WriteDeleteList(const char16_t* function);

  IPlatform& platform_;
  CLogFile& log_;
  CUtil& util_;
  CTovuInitalizer& initializer_;
  CFinishMessages& finish_;
  IProcessLauncher& processes_;
  ILaunchHost& host_;
  IDeleteListWriter& deleteList_;
  IInstallationPage* page_ = nullptr;
  ILaunchSheet* sheet_ = nullptr;
  CProfile profile_;
};

}  // namespace tovu
