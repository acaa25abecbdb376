// CheckConditions: the whole check of the package's extraction
// requirements for one setup language. This is the operation the extraction
// validator hosts (CExtractorValidator::CheckConditions) and the
// initialiser, the wizard's Extraction Requirements page and its retry call.
//
// How to call it:
//
//   #include "conditions/check_conditions.h"
//   Text keys;
//   int met = tovu::CheckConditions(platform, log, settingsFile, setupLanguage, &keys);
//
//   platform       the process's IPlatform (tovu::Platform() in the frame)
//   log            the run's log writer (CBuildLogFile is a CLogFile)
//   settingsFile   full path of the unpacked Properties_Tovu.ini
//   setupLanguage  the setup language id (e.g. 1033); names the section of
//                  the message texts
//   keys           receives the message-key text: the keys of the unmet
//                  requirements, each followed by ";" (e.g.
//                  "{MsgRequirements};{MsgToolVersion};"); empty when there
//                  are no requirements. May be null. The validator keeps it
//                  as ConditionMessageKeys; the page reads the texts with
//                  CCondition::GetKeyMessageText.
//
// Returns 1 when extraction is allowed (also when Action1Condition is empty
// or missing), 0 when not (requirements not met, an expression that cannot
// be reduced or whose parentheses do not balance, an action other than
// "Extract"). Nothing is cached: each call reads the settings, the registry
// and the files again. Never throws.
#pragma once

#include "log/log_file.h"
#include "platform/platform.h"
#include "util/text.h"

namespace tovu {

int CheckConditions(IPlatform& platform, CLogFile& log, const Text& settingsFile, int setupLanguage,
                    Text* conditionMessageKeys);

}  // namespace tovu
