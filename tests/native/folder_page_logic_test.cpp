#include "ui/folder_page_logic.h"

#include <gtest/gtest.h>

using namespace tovu;
using namespace tovu::folderpage;

TEST(FolderPageLogic, DeleteOnExitIsOfferedUnlessFrameSetupOrAsynchronous) {
  struct Case { const char16_t* vrel; const char16_t* rahmen; int wait; bool offered; };
  const Case cases[] = {
      {u"", u"", 1, true},        // nothing set, setups waited for
      {u"", u"", 0, true},        // no VrelBundle: not asynchronous
      {u"1", u"0", 0, true},
      {u"0", u"", 1, true},       // VrelBundle 0, but the setups are waited for
      {u"0", u"", 0, false},      // asynchronous
      {u"0 ", u"", 0, true},      // only exactly "0" counts
      {u"", u"1", 1, false},      // frame setup
      {u"1", u"1", 1, false},
      {u"", u"01", 1, true},      // only exactly "1" counts
  };
  for (const Case& c : cases)
    EXPECT_EQ(OffersDeleteOnExit(c.vrel, c.rahmen, c.wait), c.offered)
        << "VrelBundle=" << ToUtf8(c.vrel) << " Rahmensetup=" << ToUtf8(c.rahmen) << " wait=" << c.wait;
}

TEST(FolderPageLogic, UpdateShowsTheExtractOnlyBoxOnlyForAnAutolaunch) {
  struct Case { int autolaunch; bool checked; bool offers; Visibility box, info, del; int after; };
  const Case cases[] = {
      {1, false, true, Visibility::Show, Visibility::Show, Visibility::Keep, 1},
      {1, true, true, Visibility::Show, Visibility::Show, Visibility::Keep, 0},
      {1, false, false, Visibility::Show, Visibility::Show, Visibility::Hide, 1},
      // Without a setup to start there is neither box (the extract-only box
      // keeps what it had: shown after it was ticked on an earlier visit).
      {0, false, true, Visibility::Keep, Visibility::Keep, Visibility::Hide, 0},
      {0, true, true, Visibility::Keep, Visibility::Keep, Visibility::Hide, 0},
  };
  for (const Case& c : cases) {
    const ControlUpdate u = UpdateControls(c.autolaunch, c.checked, c.offers);
    SCOPED_TRACE(testing::Message() << "autolaunch=" << c.autolaunch << " checked=" << c.checked << " offers=" << c.offers);
    EXPECT_EQ(u.extractOnlyBox, c.box);
    EXPECT_EQ(u.infoText, c.info);
    EXPECT_EQ(u.deleteBox, c.del);
    EXPECT_EQ(u.autolaunch, c.after);
  }
}

TEST(FolderPageLogic, TickingExtractOnlyStopsTheLaunchAndClearsDeleteOnExit) {
  struct Case { bool checked; bool offers; int extractOnly, autolaunch; bool clear; Visibility del; };
  const Case cases[] = {
      {true, true, 1, 0, true, Visibility::Hide},
      {true, false, 1, 0, true, Visibility::Hide},
      {false, true, 0, 1, false, Visibility::Show},
      // Unticking never brings back a box the package does not offer.
      {false, false, 0, 1, false, Visibility::Keep},
  };
  for (const Case& c : cases) {
    const ExtractOnlyClick r = ClickExtractOnly(c.checked, c.offers);
    SCOPED_TRACE(testing::Message() << "checked=" << c.checked << " offers=" << c.offers);
    EXPECT_EQ(r.extractOnly, c.extractOnly);
    EXPECT_EQ(r.autolaunch, c.autolaunch);
    EXPECT_EQ(r.clearDeleteOnExit, c.clear);
    EXPECT_EQ(r.deleteBox, c.del);
  }
  EXPECT_EQ(ClickDeleteOnExit(true), 1);
  EXPECT_EQ(ClickDeleteOnExit(false), 0);
}
