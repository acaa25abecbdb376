// The wizard's window-free decisions (see ui/wizard_logic.h).
#include "ui/wizard_logic.h"

#include <cstdint>

namespace tovu::wizard {

// ---- button lists and captions -----------------------------------------

std::vector<int> ParseButtonList(const Text& list) {
  struct Word {
    const char16_t* name;
    int id;
  };
  static constexpr Word kWords[] = {
      {u"BACK", ID_WIZBACK}, {u"NEXT", ID_WIZNEXT}, {u"CANCEL", ID_CANCEL}, {u"FINISH", ID_WIZFINISH}};
  std::vector<int> ids;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(u',', start);
    if (end == Text::npos) end = list.size();
    const Text word = Trim(TextView(list).substr(start, end - start));
    if (!word.empty()) {
      for (const Word& w : kWords) {
        if (EqualsNoCase(word, w.name)) {
          ids.push_back(w.id);
          break;
        }
      }
    }
    start = end + 1;
  }
  return ids;
}

ButtonCaptions CaptionsForMode(const Text& mode) {
  ButtonCaptions c;
  if (!EqualsNoCase(mode, u"FINISH")) {
    c.cancel = 112;
  } else {
    c.finish = 114;
  }
  if (mode != u"RETRY") {
    c.next = 111;
  } else {
    c.next = 115;
    c.nextIsDefault = true;
  }
  c.back = 110;
  return c;
}

// ---- the finish page's outcome text ------------------------------------

namespace {

constexpr int MSG_EXTRACTION_SUCCESSFUL = 600;
constexpr int MSG_EXTRACTION_CANCELLED = 601;
constexpr int MSG_AN_ERROR_OCCURRED = 602;
constexpr int MSG_LAUNCH_FILE_NOT_FOUND = 605;
constexpr int MSG_CHECK_LOG_FILE = 606;
constexpr int MSG_PART_FILE_NOT_FOUND = 607;
constexpr int MSG_PART_FILE_INVALID = 608;
constexpr int MSG_INSTALLATION_COMPLETE = 610;
constexpr int MSG_INSTALLATION_NOT_COMPLETE = 611;
constexpr int MSG_START_AFTER_FINISH = 612;
constexpr int MSG_INSTALLATION_CANCELLED = 614;
constexpr int MSG_PART_FILE_CORRUPT = 615;
constexpr int MSG_INSTALLATION_FINISHED = 616;

// The first two characters backslash and "n" of a text become a line
// break. The outcome control is a static control, whose drawing breaks a
// line at CR LF, so the break is "\r\n".
Text BreakAtFirstBackslashN(Text text) {
  if (const size_t at = text.find(u"\\n"); at != Text::npos) text.replace(at, 2, u"\r\n");
  return text;
}

// "[PRODUCTNAME]" and "[FILENAME]" replaced in one pass from left to
// right, so that a product or file name that itself holds one of the
// placeholders stays as it is.
Text ReplacePlaceholders(const Text& text, const Text& displayName, const Text& partFileName) {
  static constexpr TextView kProduct = u"[PRODUCTNAME]";
  static constexpr TextView kFile = u"[FILENAME]";
  Text out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const TextView rest = TextView(text).substr(i);
    if (StartsWith(rest, kProduct)) {
      out += displayName;
      i += kProduct.size();
    } else if (StartsWith(rest, kFile)) {
      out += partFileName;
      i += kFile.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

}  // namespace

FinishText DecideFinishText(const FinishInputs& in, const std::function<Text(int)>& message) {
  FinishText out;
  const auto withLogHint = [&](int id) { return message(id) + u" " + message(MSG_CHECK_LOG_FILE); };
  bool detailStep = false;
  switch (in.runStatus) {
    case 11:
      out.text = BreakAtFirstBackslashN(message(MSG_EXTRACTION_CANCELLED));
      out.errorOutcome = 1;
      break;
    case 12:
      out.text = BreakAtFirstBackslashN(message(MSG_INSTALLATION_CANCELLED));
      out.errorOutcome = 1;
      break;
    case 2:
      out.text = withLogHint(MSG_LAUNCH_FILE_NOT_FOUND);
      out.errorOutcome = 1;
      break;
    case -2:
      out.text = withLogHint(MSG_PART_FILE_NOT_FOUND);
      out.errorOutcome = 1;
      break;
    case -3:
      out.text = withLogHint(MSG_PART_FILE_INVALID);
      out.errorOutcome = 1;
      break;
    case -5:
      out.text = withLogHint(MSG_PART_FILE_CORRUPT);
      out.errorOutcome = 1;
      break;
    case -4:
      out.text = withLogHint(MSG_INSTALLATION_NOT_COMPLETE);
      break;
    case -6:
      out.text = message(MSG_INSTALLATION_NOT_COMPLETE);
      detailStep = true;
      break;
    case 0:
      if (in.launchAtExtraction == 0 && in.extractOnly == 0) {
        out.text = message(MSG_START_AFTER_FINISH);
        out.picture = kPictureInformation;
      } else {
        out.text = message(in.autolaunch == 1 ? MSG_INSTALLATION_COMPLETE : MSG_EXTRACTION_SUCCESSFUL);
      }
      if (in.returnCodeUnconfigured) {
        out.text = message(MSG_INSTALLATION_FINISHED);
        out.picture = kPictureInformation;
      }
      out.fitted = true;
      detailStep = true;
      break;
    default:
      out.text = withLogHint(MSG_AN_ERROR_OCCURRED);
      out.errorOutcome = 1;
      out.fitted = true;
      break;
  }
  out.text = ReplacePlaceholders(out.text, in.displayName, in.partFileName);
  if (detailStep) out.detail = in.finishMessage;
  // Any outcome but success shows the error picture.
  if (in.runStatus != 0) out.picture = kPictureError;
  return out;
}

bool OfferOpenExtractionLocation(const OpenLocationInputs& in) {
  if (in.openExtractionLocation != u"1" || in.errorOutcome != 0) return false;
  const bool nothingToLaunchAsAdmin = in.launchValue.empty() || !in.userIsAdmin || in.extractOnly == 1;
  const bool launchedOrExtractOnly =
      (in.launchAtExtraction == 1 && in.waitForAutolaunchFinish != 0) || in.extractOnly == 1;
  return nothingToLaunchAsAdmin && launchedOrExtractOnly;
}

// ---- keyboard ----------------------------------------------------------

ClickTarget DecideDefaultClick(PageKind active, bool focusedIsWizardButton, int focusedId, bool nextHasEnabledLook) {
  switch (active) {
    case PageKind::Welcome:
      if (focusedId != ID_WIZBACK && focusedId != ID_WIZNEXT && focusedIsWizardButton) return ClickTarget::Focused;
      return ClickTarget::Next;
    case PageKind::Finish:
      return ClickTarget::Finish;
    default:
      if (focusedIsWizardButton) return ClickTarget::Focused;
      return nextHasEnabledLook ? ClickTarget::Next : ClickTarget::Cancel;
  }
}

// ---- progress ----------------------------------------------------------

namespace {

constexpr int MSG_EXTRACTING_PACKAGE = 508;
constexpr int MSG_EMPTYING_FOLDER = 514;

// The progress-bar range message carries each end in 16 bits.
int AsRangeEnd(int64_t value) { return static_cast<uint16_t>(static_cast<uint64_t>(value)); }

}  // namespace

ProgressAction ApplyProgress(ProgressState& state, int subCode, int64_t value, bool unattendedWindow) {
  ProgressAction a;
  switch (subCode) {
    case kProgressStep:
      state.counter += 1;
      a.setPos = true;
      a.pos = state.counter;
      break;
    case kProgressCabinetReady:
      a.setPos = true;
      a.pos = 2;
      break;
    case kProgressFileCount: {
      const int64_t files = value;
      const int64_t w = 3 * files / 100;  // truncates toward zero
      a.setRange = true;
      if (state.clearing != 0) {
        a.rangeLow = 0;
        a.rangeHigh = AsRangeEnd(state.counter + files + w);
        a.setPos = true;
        a.pos = static_cast<int>(w);
        state.counter = static_cast<int>(w);
      } else {
        a.rangeLow = unattendedWindow ? 1 : 0;
        a.rangeHigh = AsRangeEnd(state.counter + files);
      }
      a.setStep = true;
      a.statusMessage = MSG_EXTRACTING_PACKAGE;
      break;
    }
    case kProgressEmptying:
      a.setRange = true;
      a.rangeLow = 0;
      a.rangeHigh = 100;
      a.setPos = true;
      a.pos = 1;
      state.clearing = 1;
      a.statusMessage = MSG_EMPTYING_FOLDER;
      break;
    default:
      break;
  }
  return a;
}

// ---- after the extraction ----------------------------------------------

namespace {
constexpr int OSCHECK_ERROR = 302;
}

ExtractDoneDecision DecideExtractDone(const ExtractDoneInputs& in) {
  ExtractDoneDecision d;
  d.installBlocked = in.installBlocked;
  if (in.autolaunch == 1 && (in.checkOs == 1 || in.noOsCheck == 0) && in.osCheckResult == OSCHECK_ERROR) {
    d.showOsMessage = true;
    d.installBlocked = 1;
  }
  if (d.installBlocked != 1 && in.installationDialog == u"1" && in.extractOnly == 0 && in.autolaunch == 1 &&
      in.waitForAutolaunchFinish != 0) {
    d.action = ExtractDoneAction::InstallationPage;
    return d;
  }
  d.setsLaunchAtExtraction = true;
  d.launchAtExtraction = 1;
  if (!in.autolaunchValue.empty() && in.waitForAutolaunchFinish == 0 && in.multilaunch != u"1" &&
      d.installBlocked != 1) {
    d.launchAtExtraction = 0;
    d.action = ExtractDoneAction::DeferToFinish;
  } else if (in.autolaunch == 1) {
    d.action = ExtractDoneAction::LaunchNow;
  } else {
    d.action = ExtractDoneAction::FinishPage;
  }
  return d;
}

// ---- cancel ------------------------------------------------------------

CancelOutcome CancelConfirmedOn(PageKind page) {
  CancelOutcome o;
  switch (page) {
    case PageKind::Extraction:
      o.abortExtraction = true;
      o.logLine = u"User canceled the extraction process";
      break;
    case PageKind::Welcome:
      o.logLine = u"User canceled the Welcome Dialog";
      break;
    case PageKind::Language:
      o.logLine = u"User canceled the Language Dialog";
      break;
    case PageKind::License:
      o.logLine = u"User canceled the License Dialog";
      break;
    case PageKind::Folder:
      o.logLine = u"User canceled the Browse Dialog";
      break;
    case PageKind::Requirements:
      o.runStatus = -1;
      break;
    case PageKind::Installation:
      o.launchFinished = true;
      o.result = 1001;
      o.logLine = u"User canceled the AutoLaunch Installation Dialog";
      o.runStatus = 12;
      break;
    case PageKind::Finish:
      // Never asked there: the finish page already shows the outcome and
      // closes normally, so nothing of the run changes.
      o.result = 1000;
      o.keepsRunStatus = true;
      break;
  }
  return o;
}

}  // namespace tovu::wizard
