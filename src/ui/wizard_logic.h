// The decisions of the wizard that need no window: button lists and
// caption modes, the outcome text of the finish page, which button Enter
// clicks, the progress bar's arithmetic, what the extraction page does
// when the worker is done, when the finish page offers to open the
// extraction folder, and what a confirmed cancel does on each page. The
// Win32 sheet and pages (ui/win32) carry these out on real windows.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "util/text.h"

namespace tovu::wizard {

// Control IDs of the four wizard buttons.
constexpr int ID_WIZBACK = 0x3023;
constexpr int ID_WIZNEXT = 0x3024;
constexpr int ID_WIZFINISH = 0x3025;
constexpr int ID_CANCEL = 2;

// The pages a sheet can hold.
enum class PageKind { Welcome, Language, Requirements, License, Folder, Extraction, Installation, Finish };

// ---- button lists and captions -----------------------------------------

// "BACK, next,,CANCEL": split at every ",", each word trimmed, empty ones
// dropped, matched without regard to case against BACK, NEXT, CANCEL and
// FINISH; the control IDs in their written order (other words dropped).
std::vector<int> ParseButtonList(const Text& list);

// Message numbers of the captions of one SetButtonCaptions call; 0 leaves
// a button's caption as it is.
struct ButtonCaptions {
  int back = 0;
  int next = 0;
  int cancel = 0;
  int finish = 0;
  // "RETRY": Next becomes the sheet's default button.
  bool nextIsDefault = false;
};
// mode "" / "FINISH" (case ignored) / "RETRY" (exact).
ButtonCaptions CaptionsForMode(const Text& mode);

// ---- the finish page's outcome text ------------------------------------

// Pictures of the outcome control 1051 (0: the template's success picture).
constexpr int kPictureSuccess = 146;
constexpr int kPictureError = 147;
constexpr int kPictureInformation = 174;

struct FinishInputs {
  int runStatus = 0;
  int launchAtExtraction = 1;  // the sheet's flag
  int extractOnly = 0;         // the application's flag
  int autolaunch = 0;          // the initialiser's flag
  bool returnCodeUnconfigured = false;  // IsReturnCodeUnconfigured
  Text finishMessage;                   // GetFinishMessage (detail text)
  Text displayName;                     // replaces [PRODUCTNAME]
  Text partFileName;                    // replaces [FILENAME]
};

struct FinishText {
  Text text;              // of 1033
  bool fitted = false;    // set through the finish page's fitting
  int errorOutcome = 0;   // the page's error outcome flag
  int picture = 0;        // 0: unchanged, else kPicture...
  Text detail;            // of 1061 (fitted); empty: none
};

// SetFinishText over the whole RunStatus table; `message` gives the text
// of a message number (the language file's or the built-in one). The
// cancellation texts break their line at the first backslash-"n" pair as
// "\r\n"; the placeholders are replaced in the text of 1033 only (the
// detail is the package's own finish message, taken as it is).
FinishText DecideFinishText(const FinishInputs& in, const std::function<Text(int)>& message);

// Whether the finish page shows the "open the extraction location" box.
struct OpenLocationInputs {
  Text openExtractionLocation;  // [Runtime] OpenExtractionLocation
  int errorOutcome = 0;
  Text launchValue;             // AutoLaunch, or AutoLaunch1 with Multilaunch "1"
  bool userIsAdmin = false;
  int extractOnly = 0;
  int launchAtExtraction = 1;
  int waitForAutolaunchFinish = 1;
};
bool OfferOpenExtractionLocation(const OpenLocationInputs& in);

// ---- keyboard ----------------------------------------------------------

enum class ClickTarget { Focused, Next, Cancel, Finish };
// ClickDefaultButton: what Enter or Space on the focused window clicks.
ClickTarget DecideDefaultClick(PageKind active, bool focusedIsWizardButton, int focusedId, bool nextHasEnabledLook);

// ---- progress ----------------------------------------------------------

// WM_EXTRACT_PROGRESS sub-codes.
constexpr int kProgressStep = 1;
constexpr int kProgressCabinetReady = 2;
constexpr int kProgressFileCount = 3;
constexpr int kProgressEmptying = 4;

struct ProgressState {
  int counter = 1;   // position counter
  int clearing = 0;  // the worker clears a non-empty folder
};

// What one sub-code does to the bar (ranges as the 16-bit message carries
// them) and which status message it shows (0: none).
struct ProgressAction {
  bool setRange = false;
  int rangeLow = 0;
  int rangeHigh = 0;
  bool setPos = false;
  int pos = 0;
  bool setStep = false;
  int statusMessage = 0;
};
// unattendedWindow: the progress window of the unattended and silent runs
// (sub-code 3 without clearing starts its range at 1).
ProgressAction ApplyProgress(ProgressState& state, int subCode, int64_t value, bool unattendedWindow = false);

// ---- after the extraction ----------------------------------------------

struct ExtractDoneInputs {
  int autolaunch = 0;            // the initialiser's autolaunch flag
  int checkOs = 0;               // the application's CheckOs flag
  int noOsCheck = 0;             // the initialiser's NoOSCheck flag
  int osCheckResult = 300;       // 300, 301, 302
  Text installationDialog;       // [Runtime] AutoLaunchInstallationDialog
  int extractOnly = 0;
  int waitForAutolaunchFinish = 1;
  Text autolaunchValue;          // [Runtime] Autolaunch
  Text multilaunch;              // [Runtime] Multilaunch
  int installBlocked = 0;        // the install-blocked flag before
};

enum class ExtractDoneAction { InstallationPage, DeferToFinish, LaunchNow, FinishPage };

struct ExtractDoneDecision {
  bool showOsMessage = false;  // the OS refusal (shown in GUI runs)
  int installBlocked = 0;      // the flag after
  ExtractDoneAction action = ExtractDoneAction::FinishPage;
  int launchAtExtraction = 1;  // the sheet's flag after (unchanged for InstallationPage)
  bool setsLaunchAtExtraction = false;
};
ExtractDoneDecision DecideExtractDone(const ExtractDoneInputs& in);

// ---- cancel ------------------------------------------------------------

// What a cancel confirmed with Yes does on a page (ConfirmCancel, step 4).
struct CancelOutcome {
  int result = 0;             // 0: go to the finish page; 1001: stay (installation page)
  int runStatus = 11;
  Text logLine;               // level 8, empty: none
  bool abortExtraction = false;  // extraction page: stop the worker
  bool launchFinished = false;   // installation page: run OnLaunchSetupFinish now
  // The finish page is never asked about (ConfirmCancel answers 1000 there
  // at once); asked anyway, the outcome is result 1000 with RunStatus kept.
  bool keepsRunStatus = false;
};
CancelOutcome CancelConfirmedOn(PageKind page);

}  // namespace tovu::wizard
