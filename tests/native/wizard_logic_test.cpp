// The wizard's window-free decisions: button lists and captions, the
// finish page's outcome text and its offer to open the extraction folder,
// what Enter clicks, the progress bar's arithmetic, what the extraction
// page does when the worker is done, and a confirmed cancel per page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/builtin_messages.h"
#include "ui/wizard_logic.h"

namespace tovu::wizard {
namespace {

std::string U8(const Text& t) { return ToUtf8(t); }

constexpr int B = ID_WIZBACK, N = ID_WIZNEXT, C = ID_CANCEL, F = ID_WIZFINISH;

Text English(int id) { return GetBuiltInMessageText(id); }

// ---- button lists and captions -----------------------------------------

TEST(WizardButtons, AListNamesTheButtonsInItsWrittenOrder) {
  struct Case {
    const char16_t* list;
    std::vector<int> ids;
  } cases[] = {
      {u"BACK, next,,CANCEL", {B, N, C}},
      {u"NEXT,BACK", {N, B}},
      {u"  Finish\t", {F}},
      {u",,cAnCeL,,", {C}},
      {u"", {}},
      {u" , ,", {}},
      {u"NEXT BACK", {}},       // no comma: one word that names nothing
      {u"HELP,BACKUP,Next", {N}},  // other words are dropped
      {u"back,BACK", {B, B}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseButtonList(c.list), c.ids) << U8(c.list);
}

TEST(WizardButtons, CaptionModesNameTheMessagesOfEachButton) {
  struct Case {
    const char16_t* mode;
    int back, next, cancel, finish;
    bool nextIsDefault;
  } cases[] = {
      {u"", 110, 111, 112, 0, false},
      {u"FINISH", 110, 111, 0, 114, false},
      {u"finish", 110, 111, 0, 114, false},  // any case
      {u"RETRY", 110, 115, 112, 0, true},
      {u"Retry", 110, 111, 112, 0, false},   // only exactly "RETRY"
      {u"RETRY ", 110, 111, 112, 0, false},
      {u"OTHER", 110, 111, 112, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.mode));
    const ButtonCaptions got = CaptionsForMode(c.mode);
    EXPECT_EQ(got.back, c.back);
    EXPECT_EQ(got.next, c.next);
    EXPECT_EQ(got.cancel, c.cancel);
    EXPECT_EQ(got.finish, c.finish);
    EXPECT_EQ(got.nextIsDefault, c.nextIsDefault);
  }
}

// ---- the finish page's outcome text ------------------------------------

FinishInputs Inputs(int runStatus) {
  FinishInputs in;
  in.runStatus = runStatus;
  in.displayName = u"Tovu Demo";
  in.partFileName = u"Demo.part2";
  in.finishMessage = u"Please restart.";
  return in;
}

TEST(FinishText, EveryRunStatusGivesItsTextFlagsAndPicture) {
  struct Case {
    const char* name;
    FinishInputs in;
    const char16_t* text;
    bool fitted;
    int errorOutcome;
    int picture;
    const char16_t* detail;
  };
  auto with = [](int s, auto change) {
    FinishInputs in = Inputs(s);
    change(in);
    return in;
  };
  const Case cases[] = {
      {"cancelled extraction", Inputs(11), u"The extraction of Tovu Demo has been cancelled.", false, 1,
       kPictureError, u""},
      {"cancelled installation", Inputs(12), u"The installation of Tovu Demo has been cancelled.", false, 1,
       kPictureError, u""},
      {"launch file missing", Inputs(2), u"The file for launching the setup is not found. Please check the log file.",
       false, 1, kPictureError, u""},
      {"part missing", Inputs(-2), u"Part file Demo.part2 not found. Please check the log file.", false, 1,
       kPictureError, u""},
      {"part invalid", Inputs(-3), u"Part file Demo.part2 is invalid. Please check the log file.", false, 1,
       kPictureError, u""},
      {"part corrupt", Inputs(-5), u"Part file Demo.part2 is corrupt. Please check the log file.", false, 1,
       kPictureError, u""},
      {"installation not complete", Inputs(-4), u"Installation not complete: Tovu Demo. Please check the log file.",
       false, 0, kPictureError, u""},
      {"setup reported an error", Inputs(-6), u"Installation not complete: Tovu Demo.", false, 0, kPictureError,
       u"Please restart."},
      {"nothing finished", Inputs(-1), u"An error occurred. Please check the log file.", true, 1, kPictureError, u""},
      {"extraction error code", Inputs(1450), u"An error occurred. Please check the log file.", true, 1,
       kPictureError, u""},
      {"extracted", Inputs(0), u"Extraction successful for Tovu Demo.", true, 0, 0, u"Please restart."},
      {"extracted and launched", with(0, [](FinishInputs& in) { in.autolaunch = 1; }),
       u"Installation complete: Tovu Demo", true, 0, 0, u"Please restart."},
      {"launch deferred to Finish", with(0, [](FinishInputs& in) { in.autolaunch = 1, in.launchAtExtraction = 0; }),
       u"Installation will start after Finish button is clicked.", true, 0, kPictureInformation, u"Please restart."},
      {"deferred flag but extract only", with(0, [](FinishInputs& in) { in.launchAtExtraction = 0, in.extractOnly = 1; }),
       u"Extraction successful for Tovu Demo.", true, 0, 0, u"Please restart."},
      {"return code unconfigured", with(0, [](FinishInputs& in) { in.autolaunch = 1, in.returnCodeUnconfigured = true; }),
       u"Installation finished: Tovu Demo", true, 0, kPictureInformation, u"Please restart."},
      {"unconfigured wins over deferred",
       with(0, [](FinishInputs& in) { in.launchAtExtraction = 0, in.returnCodeUnconfigured = true; }),
       u"Installation finished: Tovu Demo", true, 0, kPictureInformation, u"Please restart."},
      {"no finish message", with(0, [](FinishInputs& in) { in.finishMessage.clear(); }),
       u"Extraction successful for Tovu Demo.", true, 0, 0, u""},
      {"error without its text", with(-6, [](FinishInputs& in) { in.finishMessage.clear(); }),
       u"Installation not complete: Tovu Demo.", false, 0, kPictureError, u""},
      {"cancel ignores the unconfigured code", with(11, [](FinishInputs& in) { in.returnCodeUnconfigured = true; }),
       u"The extraction of Tovu Demo has been cancelled.", false, 1, kPictureError, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const FinishText got = DecideFinishText(c.in, English);
    EXPECT_EQ(U8(got.text), U8(c.text));
    EXPECT_EQ(got.fitted, c.fitted);
    EXPECT_EQ(got.errorOutcome, c.errorOutcome);
    EXPECT_EQ(got.picture, c.picture);
    EXPECT_EQ(U8(got.detail), U8(c.detail));
  }
}

TEST(FinishText, ACancellationBreaksItsLineAtTheFirstBackslashNOnly) {
  // A language file keeps backslash-"n" as two characters; the
  // cancellation texts turn the first pair into a line break.
  auto message = [](int id) -> Text {
    if (id == 601) return u"Cancelled:\\n[PRODUCTNAME]\\nbye";
    if (id == 614) return u"[PRODUCTNAME]\\n";
    if (id == 607) return u"Missing\\n[FILENAME]";
    return English(id);
  };
  struct Case {
    int runStatus;
    const char16_t* displayName;
    const char16_t* text;
  } cases[] = {
      {11, u"Demo", u"Cancelled:\r\nDemo\\nbye"},
      {12, u"Demo", u"Demo\r\n"},
      // The product name is not searched for a break nor for placeholders.
      {11, u"A\\nB [FILENAME]", u"Cancelled:\r\nA\\nB [FILENAME]\\nbye"},
      // Other texts keep the pair.
      {-2, u"Demo", u"Missing\\nDemo.part2 Please check the log file."},
  };
  for (const auto& c : cases) {
    FinishInputs in = Inputs(c.runStatus);
    in.displayName = c.displayName;
    EXPECT_EQ(U8(DecideFinishText(in, message).text), U8(c.text)) << c.runStatus;
  }
}

TEST(FinishText, ExtractOnlyWithAnInstallationDialogEndsOnTheExtractionText) {
  // Ticking extract-only clears the autolaunch flag; the extraction page
  // then goes straight to the finish page.
  ExtractDoneInputs done;
  done.autolaunch = 0;
  done.extractOnly = 1;
  done.installationDialog = u"1";
  done.autolaunchValue = u"setup.exe";
  const ExtractDoneDecision d = DecideExtractDone(done);
  EXPECT_EQ(d.action, ExtractDoneAction::FinishPage);

  FinishInputs in = Inputs(0);
  in.extractOnly = 1;
  in.launchAtExtraction = d.launchAtExtraction;
  const FinishText t = DecideFinishText(in, English);
  EXPECT_EQ(U8(t.text), "Extraction successful for Tovu Demo.");
  EXPECT_EQ(t.picture, 0);
}

TEST(FinishText, ASetupDeferredToFinishIsAnnouncedWithTheInformationPicture) {
  ExtractDoneInputs done;
  done.autolaunch = 1;
  done.waitForAutolaunchFinish = 0;
  done.autolaunchValue = u"setup.exe";
  done.multilaunch = u"0";
  done.installationDialog = u"1";
  const ExtractDoneDecision d = DecideExtractDone(done);
  ASSERT_EQ(d.action, ExtractDoneAction::DeferToFinish);
  ASSERT_TRUE(d.setsLaunchAtExtraction);

  FinishInputs in = Inputs(0);
  in.autolaunch = 1;
  in.launchAtExtraction = d.launchAtExtraction;
  const FinishText t = DecideFinishText(in, English);
  EXPECT_EQ(U8(t.text), "Installation will start after Finish button is clicked.");
  EXPECT_EQ(t.picture, kPictureInformation);
  EXPECT_EQ(t.errorOutcome, 0);
}

// ---- opening the extraction folder -------------------------------------

TEST(OpenLocation, OfferedOnlyAfterASuccessThatLeavesNothingToRunAsAdministrator) {
  struct Case {
    const char* name;
    const char16_t* option;
    int errorOutcome;
    const char16_t* launch;
    bool admin;
    int extractOnly, launchAtExtraction, wait;
    bool offered;
  } cases[] = {
      {"plain extraction", u"1", 0, u"", false, 0, 1, 1, true},
      {"option off", u"0", 0, u"", false, 0, 1, 1, false},
      {"option empty", u"", 0, u"", false, 0, 1, 1, false},
      {"option not exactly 1", u" 1", 0, u"", false, 0, 1, 1, false},
      {"error outcome", u"1", 1, u"", false, 0, 1, 1, false},
      {"setup run by an administrator", u"1", 0, u"setup.exe", true, 0, 1, 1, false},
      {"setup run by a plain user", u"1", 0, u"setup.exe", false, 0, 1, 1, true},
      {"administrator but extract only", u"1", 0, u"setup.exe", true, 1, 1, 1, true},
      {"launch deferred to Finish", u"1", 0, u"", false, 0, 0, 1, false},
      {"setups not waited for", u"1", 0, u"", false, 0, 1, 0, false},
      {"extract only, deferred and not waited", u"1", 0, u"", false, 1, 0, 0, true},
  };
  for (const Case& c : cases) {
    OpenLocationInputs in;
    in.openExtractionLocation = c.option;
    in.errorOutcome = c.errorOutcome;
    in.launchValue = c.launch;
    in.userIsAdmin = c.admin;
    in.extractOnly = c.extractOnly;
    in.launchAtExtraction = c.launchAtExtraction;
    in.waitForAutolaunchFinish = c.wait;
    EXPECT_EQ(OfferOpenExtractionLocation(in), c.offered) << c.name;
  }
}

TEST(OpenLocation, NotOfferedAfterACancelOrAFailure) {
  for (int runStatus : {11, 12, -2, 1450}) {
    OpenLocationInputs in;
    in.openExtractionLocation = u"1";
    in.errorOutcome = DecideFinishText(Inputs(runStatus), English).errorOutcome;
    EXPECT_FALSE(OfferOpenExtractionLocation(in)) << runStatus;
  }
}

// ---- keyboard ----------------------------------------------------------

TEST(DefaultClick, EnterClicksWhatThePageAndTheFocusSay) {
  struct Case {
    PageKind page;
    bool isButton;
    int id;
    bool nextEnabled;
    ClickTarget target;
  } cases[] = {
      {PageKind::Welcome, true, B, true, ClickTarget::Next},
      {PageKind::Welcome, true, N, true, ClickTarget::Next},
      {PageKind::Welcome, true, C, true, ClickTarget::Focused},
      {PageKind::Welcome, false, 1001, true, ClickTarget::Next},
      {PageKind::Welcome, false, 1001, false, ClickTarget::Next},
      {PageKind::Finish, true, C, true, ClickTarget::Finish},
      {PageKind::Finish, false, 1014, false, ClickTarget::Finish},
      {PageKind::License, true, B, false, ClickTarget::Focused},
      {PageKind::License, false, 1030, true, ClickTarget::Next},
      {PageKind::License, false, 1030, false, ClickTarget::Cancel},
      {PageKind::Folder, false, N, false, ClickTarget::Cancel},
      {PageKind::Extraction, true, C, false, ClickTarget::Focused},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecideDefaultClick(c.page, c.isButton, c.id, c.nextEnabled), c.target)
        << static_cast<int>(c.page) << " id " << c.id;
  }
}

// ---- progress ----------------------------------------------------------

struct Step {
  int subCode;
  int64_t value;
  // expected action
  bool setRange;
  int low, high;
  bool setPos;
  int pos;
  bool setStep;
  int status;
  // expected state after
  int counter;
  int clearing;
};

void RunSteps(const char* name, bool unattended, const std::vector<Step>& steps) {
  ProgressState state;
  for (size_t i = 0; i < steps.size(); ++i) {
    const Step& s = steps[i];
    SCOPED_TRACE(std::string(name) + ", step " + std::to_string(i + 1));
    const ProgressAction a = ApplyProgress(state, s.subCode, s.value, unattended);
    EXPECT_EQ(a.setRange, s.setRange);
    if (s.setRange) {
      EXPECT_EQ(a.rangeLow, s.low);
      EXPECT_EQ(a.rangeHigh, s.high);
    }
    EXPECT_EQ(a.setPos, s.setPos);
    if (s.setPos) {
      EXPECT_EQ(a.pos, s.pos);
    }
    EXPECT_EQ(a.setStep, s.setStep);
    EXPECT_EQ(a.statusMessage, s.status);
    EXPECT_EQ(state.counter, s.counter);
    EXPECT_EQ(state.clearing, s.clearing);
  }
}

TEST(Progress, SubCodesMoveTheBarAndTheCounter) {
  struct Scenario {
    const char* name;
    bool unattended;
    std::vector<Step> steps;
  } scenarios[] = {
      {"clearing first",
       false,
       {
           {4, 0, true, 0, 100, true, 1, false, 514, 1, 1},
           // w = trunc(3 * 150 / 100) = 4: range 0..(1 + 150 + 4), the bar and the counter at 4
           {3, 150, true, 0, 155, true, 4, true, 508, 4, 1},
           {1, 0, false, 0, 0, true, 5, false, 0, 5, 1},
           {1, 0, false, 0, 0, true, 6, false, 0, 6, 1},
       }},
      {"no clearing",
       false,
       {
           {2, 99, false, 0, 0, true, 2, false, 0, 1, 0},  // the counter is not moved
           {1, 0, false, 0, 0, true, 2, false, 0, 2, 0},
           {1, 0, false, 0, 0, true, 3, false, 0, 3, 0},
           {3, 40, true, 0, 43, false, 0, true, 508, 3, 0},  // position left where it is
           {1, 0, false, 0, 0, true, 4, false, 0, 4, 0},
       }},
      {"unattended window without clearing",
       true,
       {
           {3, 40, true, 1, 41, false, 0, true, 508, 1, 0},
       }},
      {"unattended window clearing",
       true,
       {
           {4, 0, true, 0, 100, true, 1, false, 514, 1, 1},
           {3, 150, true, 0, 155, true, 4, true, 508, 4, 1},
       }},
      {"few files: w is 0",
       false,
       {
           {4, 0, true, 0, 100, true, 1, false, 514, 1, 1},
           {3, 33, true, 0, 34, true, 0, true, 508, 0, 1},
           {1, 0, false, 0, 0, true, 1, false, 0, 1, 1},
       }},
      {"unknown sub-codes do nothing",
       false,
       {
           {0, 5, false, 0, 0, false, 0, false, 0, 1, 0},
           {5, 5, false, 0, 0, false, 0, false, 0, 1, 0},
           {-1, 5, false, 0, 0, false, 0, false, 0, 1, 0},
       }},
  };
  for (const Scenario& s : scenarios) RunSteps(s.name, s.unattended, s.steps);
}

TEST(Progress, RangeMaximaAreCarriedIn16Bits) {
  struct Case {
    bool clearing;
    int64_t files;
    int high;
  } cases[] = {
      {false, 65534, 65535},            // 1 + 65534 still fits
      {false, 65535, 0},                // 65536 wraps to 0
      {false, 70000, 70001 - 65536},
      {true, 65535, (1 + 65535 + 1966) - 65536},  // w = 1966
  };
  for (const Case& c : cases) {
    ProgressState state;
    state.clearing = c.clearing ? 1 : 0;
    const ProgressAction a = ApplyProgress(state, kProgressFileCount, c.files);
    EXPECT_EQ(a.rangeHigh, c.high) << c.files << (c.clearing ? " clearing" : "");
  }
}

// ---- after the extraction ----------------------------------------------

TEST(ExtractDone, TheWorkerDoneLeadsToTheInstallationPageTheFinishPageOrALaunch) {
  using A = ExtractDoneAction;
  // Base: autolaunch with the installation dialog, OS check passed.
  auto base = [] {
    ExtractDoneInputs in;
    in.autolaunch = 1;
    in.installationDialog = u"1";
    in.autolaunchValue = u"setup.exe";
    return in;
  };
  struct Case {
    const char* name;
    ExtractDoneInputs in;
    bool showOs;
    int blocked;
    A action;
    bool setsFlag;
    int launchAtExtraction;
  };
  auto with = [&](auto change) {
    ExtractDoneInputs in = base();
    change(in);
    return in;
  };
  const Case cases[] = {
      {"installation dialog", base(), false, 0, A::InstallationPage, false, 1},
      {"dialog value not exactly 1", with([](auto& in) { in.installationDialog = u" 1"; }), false, 0, A::LaunchNow,
       true, 1},
      {"no dialog", with([](auto& in) { in.installationDialog = u""; }), false, 0, A::LaunchNow, true, 1},
      {"dialog but extract only", with([](auto& in) { in.extractOnly = 1; }), false, 0, A::LaunchNow, true, 1},
      {"dialog without autolaunch", with([](auto& in) { in.autolaunch = 0; }), false, 0, A::FinishPage, true, 1},
      {"dialog but not waited for", with([](auto& in) { in.waitForAutolaunchFinish = 0; }), false, 0,
       A::DeferToFinish, true, 0},
      {"not waited, multilaunch",
       with([](auto& in) { in.waitForAutolaunchFinish = 0, in.multilaunch = u"1"; }), false, 0, A::LaunchNow, true,
       1},
      {"not waited, multilaunch not exactly 1",
       with([](auto& in) { in.waitForAutolaunchFinish = 0, in.multilaunch = u"01"; }), false, 0, A::DeferToFinish,
       true, 0},
      {"not waited, no Autolaunch value",
       with([](auto& in) { in.waitForAutolaunchFinish = 0, in.autolaunchValue = u""; }), false, 0, A::LaunchNow,
       true, 1},
      {"OS refused", with([](auto& in) { in.osCheckResult = 302; }), true, 1, A::LaunchNow, true, 1},
      {"OS refused, not waited",
       with([](auto& in) { in.osCheckResult = 302, in.waitForAutolaunchFinish = 0; }), true, 1, A::LaunchNow, true,
       1},
      {"OS refused but NoOSCheck", with([](auto& in) { in.osCheckResult = 302, in.noOsCheck = 1; }), false, 0,
       A::InstallationPage, false, 1},
      {"OS refused, NoOSCheck and CheckOs",
       with([](auto& in) { in.osCheckResult = 302, in.noOsCheck = 1, in.checkOs = 1; }), true, 1, A::LaunchNow,
       true, 1},
      {"OS refused without autolaunch", with([](auto& in) { in.osCheckResult = 302, in.autolaunch = 0; }), false, 0,
       A::FinishPage, true, 1},
      {"OS warning only", with([](auto& in) { in.osCheckResult = 301; }), false, 0, A::InstallationPage, false, 1},
      {"blocked before", with([](auto& in) { in.installBlocked = 1, in.waitForAutolaunchFinish = 0; }), false, 1,
       A::LaunchNow, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ExtractDoneDecision d = DecideExtractDone(c.in);
    EXPECT_EQ(d.showOsMessage, c.showOs);
    EXPECT_EQ(d.installBlocked, c.blocked);
    EXPECT_EQ(d.action, c.action);
    EXPECT_EQ(d.setsLaunchAtExtraction, c.setsFlag);
    if (c.setsFlag) {
      EXPECT_EQ(d.launchAtExtraction, c.launchAtExtraction);
    }
  }
}

// ---- cancel ------------------------------------------------------------

TEST(Cancel, AConfirmedCancelActsPerPage) {
  struct Case {
    PageKind page;
    int result;
    int runStatus;
    const char16_t* log;
    bool abort, launchFinished;
  } cases[] = {
      {PageKind::Extraction, 0, 11, u"User canceled the extraction process", true, false},
      {PageKind::Welcome, 0, 11, u"User canceled the Welcome Dialog", false, false},
      {PageKind::Language, 0, 11, u"User canceled the Language Dialog", false, false},
      {PageKind::License, 0, 11, u"User canceled the License Dialog", false, false},
      {PageKind::Folder, 0, 11, u"User canceled the Browse Dialog", false, false},
      {PageKind::Requirements, 0, -1, u"", false, false},
      {PageKind::Installation, 1001, 12, u"User canceled the AutoLaunch Installation Dialog", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.page));
    const CancelOutcome o = CancelConfirmedOn(c.page);
    EXPECT_EQ(o.result, c.result);
    EXPECT_EQ(o.runStatus, c.runStatus);
    EXPECT_FALSE(o.keepsRunStatus);
    EXPECT_EQ(U8(o.logLine), U8(c.log));
    EXPECT_EQ(o.abortExtraction, c.abort);
    EXPECT_EQ(o.launchFinished, c.launchFinished);
  }
}

TEST(Cancel, OnTheFinishPageNothingOfTheRunChanges) {
  const CancelOutcome o = CancelConfirmedOn(PageKind::Finish);
  EXPECT_EQ(o.result, 1000);
  EXPECT_TRUE(o.keepsRunStatus);
  EXPECT_TRUE(o.logLine.empty());
  EXPECT_FALSE(o.abortExtraction);
  EXPECT_FALSE(o.launchFinished);
}

}  // namespace
}  // namespace tovu::wizard
