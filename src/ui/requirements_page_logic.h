// The window-free decisions of the extraction-requirements page: the text
// of the requirements not met (one line per message key that has a text,
// each cut to a share of the page's room) and what Retry does.
#pragma once

#include <functional>
#include <vector>

#include "ui/wizard_logic.h"
#include "util/text.h"

namespace tovu::requirements {

// Room of the list text in characters, shared by the requirement texts.
constexpr int kMessageRoom = 550;

// The number of characters each of `count` texts may show before it is
// cut: 550 / count - 15 (integer division); 0 for no texts. Negative when
// there are so many texts that none has room.
int MessageLimit(int count);

// The text cut to `limit` characters followed by "..." when it is longer;
// a negative limit keeps no character. A surrogate pair is never split:
// the cut then ends before it.
Text CutToLimit(const Text& text, int limit);

// The message text of a message key as written in the message keys
// ("{MsgToolVersion}"); empty when the key has none.
using KeyText = std::function<Text(const Text& key)>;

struct ConditionMessage {
  // What the page shows: each text, cut, followed by a line feed;
  // "[NEWLINE]" and "[TAB]" turned into a line feed and a tab.
  Text text;
  // The whole texts, in order, as the log keeps them.
  std::vector<Text> fullTexts;
};

// The list text of the page. `setupLanguages` is [LANGUAGES]
// SetupLanguages ("1031;1033;"); the texts are built only when it lists
// `language` (once, however often it is listed). `messageKeys` is the
// validator's ConditionMessageKeys ("{MsgRequirements};{MsgToolVersion};").
ConditionMessage BuildConditionMessage(const Text& setupLanguages, int language, const Text& messageKeys,
                                       const KeyText& keyText);

// ---- Retry ------------------------------------------------------------------

enum class RetryAction {
  FinishPage,  // the unpacked settings changed: the finish page
  Stay,        // still not met: the texts shown again, RunStatus -1
  GoOn,        // met, this is the start page: the retry flag set, next page
  GoOnRemove,  // met: the next page made active, this page removed
};

struct RetryDecision {
  RetryAction action = RetryAction::Stay;
  // The condition-retry flag becomes 1 (the next page counts as first).
  bool setRetryFlag = false;
  // The password prompt runs before the next page: the start page hands
  // on to a page that does not ask for it itself.
  bool askPassword = false;
};

struct RetryInputs {
  int settingsIntact = 1;  // IsParameterFileNotCorrupt
  int conditionsMet = 0;   // CheckConditions
  bool isStartPage = false;
  wizard::PageKind nextPage = wizard::PageKind::Finish;
};

RetryDecision DecideRetry(const RetryInputs& in);

// The page that follows the requirements page in the sheet's order (the
// sheet holds its pages in the order of PageKind); Finish when none of
// the pages between is in the sheet.
wizard::PageKind NextPageAfterRequirements(const std::function<bool(wizard::PageKind)>& hasPage);

}  // namespace tovu::requirements
