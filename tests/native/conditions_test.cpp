// The condition engine on the fake platform: the text rules (fields,
// names, versions, operators, negation), the reduction of the combining
// expression, the reading of [Conditions] and the registry entries, the
// evaluation of registry and file conditions, the message keys and the
// whole check, with the package settings written into the fake file system.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "conditions/check_conditions.h"
#include "conditions/condition.h"
#include "conditions/condition_parser.h"
#include "conditions/condition_rules.h"
#include "container/pe_file.h"
#include "fakes/fake_platform.h"
#include "log/log_file.h"
#include "support/test_support.h"
#include "support/captured_log.h"

namespace tovu {
namespace {

using test::CaptureLog;
using test::FakePlatform;

std::string U8(const Text& t) { return ToUtf8(t); }
Text W(const std::string& s) { return FromUtf8(s); }

const Text kIni = u"C:\\Tmp\\Properties_Tovu.ini";

// ---- text rules -----------------------------------------------------------------------

TEST(ConditionRules, CompareVersions) {
  struct Case {
    const char* a;
    const char* b;
    int expected;
  } const cases[] = {
      {"1.9", "2.0", kVersionSmaller},
      {"2.5", "2.0", kVersionGreater},
      {"2.9", "2.10", kVersionSmaller},      // numbers, not texts
      {"V2.10.0", "2.10", kVersionEqual},    // leading text dropped, extra 0 element
      {"2.10", "V2.10.0.0", kVersionEqual},
      {"2.10.0.1", "2.10", kVersionGreater}, // extra non-zero element: greater
      {"2.10", "2.10.0.1", kVersionSmaller},
      {"1.2_5", "1.2.5", kVersionEqual},     // the first "_" is a "."
      {"1_2_5", "1.2", kVersionEqual},       // only the first: "1.2_5", elements 1 and 2_5 = 2
      {"1_2_5", "1.3", kVersionSmaller},
      {"1 . 2", "1.2", kVersionEqual},       // elements are trimmed
      {"1..2", "1.2", kVersionEqual},        // empty elements are dropped
      {"Build 7", "6", kVersionGreater},
      {"abc", "1", kVersionSmaller},         // no digit: the text stays, its element is 0
      {"abc", "", kVersionEqual},
      {"", "", kVersionEqual},
      {"", "0.0", kVersionEqual},
      {"10.0.19041.1", "10.0.9200", kVersionGreater},
      {"4.12.1.300", "4.12.1.300", kVersionEqual},
      {"99999999999999999999999", "1", kVersionGreater},  // no overflow into small numbers
  };
  for (const Case& c : cases)
    EXPECT_EQ(CompareVersions(W(c.a), W(c.b)), c.expected) << c.a << " vs " << c.b;
}

TEST(ConditionRules, EvaluateRelationTable) {
  // Columns: comparison 0 (greater), 1 (smaller), 2 (equal).
  struct Case {
    const char* op;
    bool g, s, e;
  } const cases[] = {
      {"{=}", false, false, true},   {"{>=}", true, false, true}, {"{<=}", false, true, true},
      {"{!=}", true, true, false},   {"{>}", true, false, false}, {"{<}", false, true, false},
      {"{EXIST}", false, false, false}, {"{}", false, false, false}, {"{ = }", false, false, false},
      {"=", false, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EvaluateRelation(W(c.op), kVersionGreater), c.g) << c.op;
    EXPECT_EQ(EvaluateRelation(W(c.op), kVersionSmaller), c.s) << c.op;
    EXPECT_EQ(EvaluateRelation(W(c.op), kVersionEqual), c.e) << c.op;
  }
}

TEST(ConditionRules, CompareStringsVersionTextAndBraces) {
  EXPECT_TRUE(CompareStrings(u"Abc", u"abc", u"{=}"));
  EXPECT_FALSE(CompareStrings(u"Abc", u"abc", u"{!=}"));
  EXPECT_TRUE(CompareStrings(u"Abc", u"abd", u"{!=}"));
  EXPECT_FALSE(CompareStrings(u"Abc", u"abc", u"{>=}"));

  struct V {
    const char* text;
    bool version;
  } const versions[] = {{"", true}, {"2.0", true}, {"1..", true}, {"2.0a", false}, {" 2.0", false}, {"V2", false}};
  for (const V& v : versions) EXPECT_EQ(IsVersionText(W(v.text)), v.version) << v.text;

  struct B {
    const char* in;
    const char* stripped;
    const char* trimmed;
  } const braces[] = {
      {"{2.0}", "2.0", "2.0"},         {"{{2.0}}", "2.0", "2.0"},   {"{}", "", ""},
      {"{ 2.0 }", " 2.0 ", "2.0"},     {"2.0}", "2.0", "2.0"},      {"{2.0", "2.0", "2.0"},
      {" {2.0} ", " {2.0} ", "2.0"},   {"a{b}c", "a{b}c", "a{b}c"}, {"{", "", ""},
      {"}}}", "", ""},
  };
  for (const B& b : braces) {
    EXPECT_EQ(U8(StripBraces(W(b.in))), b.stripped) << b.in;
    EXPECT_EQ(U8(TrimBracesAndBlanks(W(b.in))), b.trimmed) << b.in;
  }
}

TEST(ConditionRules, SplitFieldsDropsEmptyFieldsAndShiftsTheRest) {
  EXPECT_EQ(SplitFields(u" {File} ; C:\\x.dll ;{EXIST};{};{Msg}", u';'),
            (std::vector<Text>{u"{File}", u"C:\\x.dll", u"{EXIST}", u"{}", u"{Msg}"}));
  // An empty value field: the message key moves into the value's place.
  EXPECT_EQ(SplitFields(u"{File};C:\\x.dll;{EXIST};;{Msg}", u';'),
            (std::vector<Text>{u"{File}", u"C:\\x.dll", u"{EXIST}", u"{Msg}"}));
  EXPECT_TRUE(SplitFields(u" ; ;", u';').empty());
  EXPECT_EQ(DecimalPrefix(u"12"), 12);
  EXPECT_EQ(DecimalPrefix(u"3x"), 3);
  EXPECT_EQ(DecimalPrefix(u"x3"), 0);
  EXPECT_EQ(DecimalPrefix(u""), 0);
}

TEST(ConditionRules, ConditionNamesOfTheExpression) {
  struct Case {
    const char* expression;
    std::vector<std::string> names;
  } const cases[] = {
      {"Condition1 and Condition2", {"condition1", "condition2"}},
      {"(Condition1 and Condition2)", {"condition1", "condition2"}},
      {"CONDITION3", {"condition3"}},
      {"not(Condition2)", {"condition2"}},
      {"(Condition1 or Condition1)", {"condition1", "condition1"}},  // twice is twice
      {"Condition12 and\tCondition4", {"condition12", "condition4"}},
      {"condition1and condition2", {"condition1and", "condition2"}},  // the name runs to a blank
      {"(condition7)", {"condition7"}},
      {"", {}},
      {"Requirement1 and Req2", {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> got;
    for (const Text& n : ConditionNamesOf(W(c.expression))) got.push_back(U8(n));
    EXPECT_EQ(got, c.names) << c.expression;
  }
}

TEST(ConditionRules, NegationOfAConditionInTheExpression) {
  struct Case {
    const char* expression;
    const char* name;
    bool negated;
  } const cases[] = {
      {"(Condition1 and not Condition2)", "Condition2", true},
      {"(Condition1 and not Condition2)", "Condition1", false},
      {"not (Condition2 or Condition3)", "Condition3", true},
      {"NOT(Condition2 or Condition3)", "condition2", true},
      {"not Condition2 or Condition2", "Condition2", false},  // one occurrence without "not"
      {"not Condition2 or not Condition2", "Condition2", true},
      // Only up to the first ")": condition3 is outside the negated text.
      {"not ((Condition1 and Condition2) or Condition3)", "Condition3", false},
      {"not ((Condition1 and Condition2) or Condition3)", "Condition2", true},
      {"Condition1", "Condition2", false},  // not in the expression at all
      {"not(Condition12)", "Condition1", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsConditionNegated(W(c.expression), W(c.name)), c.negated) << c.expression << " / " << c.name;
}

// ---- reduction ------------------------------------------------------------------------

struct Reduction {
  const char* expression;
  ConditionResultMap results;
  int expected;
  std::vector<std::string> names;  // the name list afterwards
};

TEST(ConditionParser, ReducesAsTheRulesSay) {
  const ConditionResultMap r123 = {{1, 1}, {2, 0}, {3, 1}};
  const Reduction cases[] = {
      // Worked examples.
      {"Condition1 and Condition2", r123, 0, {"CONDITION1", "CONDITION2"}},
      {"(Condition1 and not Condition2) or Condition3", r123, 1, {"CONDITION1", "CONDITION2", "CONDITION3"}},
      {"not (Condition2 or Condition3)", r123, 0, {"CONDITION2", "CONDITION3"}},
      {"Condition1 and Condition4", r123, -1, {"CONDITION4", "CONDITION1"}},
      {"(Condition1 and Condition2", r123, -2, {}},
      // Edge cases.
      {"Condition1", r123, 1, {"CONDITION1"}},
      {"Condition2", r123, 0, {"CONDITION2"}},
      {"", r123, -1, {}},
      {"cOnDiTiOn1 AnD nOt condition2", r123, 1, {"CONDITION1", "CONDITION2"}},
      {"Condition1 or Condition2 and Condition3", r123, 1, {"CONDITION1", "CONDITION2", "CONDITION3"}},
      {"Condition12 and Condition1", {{1, 0}, {12, 1}}, 0, {"CONDITION1", "CONDITION12"}},
      {"Condition12", {{1, 0}, {12, 1}}, 1, {"CONDITION12"}},
      // A result other than 1 counts as false.
      {"Condition1", {{1, 7}}, 0, {"CONDITION1"}},
      // Two negations in a row are not a rule.
      // NOTNOTT: NOTT -> F gives NOTF, then NOTF -> T in the same pass.
      {"not not Condition1", r123, 1, {"CONDITION1"}},
      {"Condition1 and Condition2 and Condition3", r123, 0, {"CONDITION1", "CONDITION2", "CONDITION3"}},
      // TAND(T): (T) -> T comes after TANDT in a pass, so it takes two passes.
      {"Condition1 and (Condition3)", r123, 1, {"CONDITION1", "CONDITION3"}},
      {"(Condition1) and Condition3", r123, 1, {"CONDITION1", "CONDITION3"}},
      {"not not not Condition2", r123, 1, {"CONDITION2"}},
      {"Condition1 xor Condition2", r123, -1, {"CONDITION1", "CONDITION2"}},
      // Order of parentheses is not checked, only their count.
      {")Condition1(", r123, -1, {"CONDITION1"}},
      {"((Condition1))", r123, 1, {"CONDITION1"}},
      // Unknown words are left as they are.
      {"Condition1 and Something", r123, -1, {"CONDITION1"}},
      // Conditions above 25: replaced with a result, never reported missing.
      // The missing search looks for the text as it is, so CONDITION3 "occurs"
      // inside CONDITION30, CONDITION2 inside CONDITION25, CONDITION1 inside
      // CONDITION12; CONDITION30 itself is never reported.
      {"Condition30 and Condition1", {{1, 1}, {30, 1}}, 1, {"CONDITION3", "CONDITION1", "CONDITION30"}},
      {"Condition30 and Condition1", {{1, 1}}, -1, {"CONDITION3", "CONDITION1"}},
      {"Condition25 and Condition1", {{1, 1}}, -1, {"CONDITION2", "CONDITION25", "CONDITION1"}},
      {"Condition12", {{12, 1}}, 1, {"CONDITION1", "CONDITION12"}},
  };
  for (const Reduction& c : cases) {
    CTovuConditionParser parser;
    ConditionNameList names;
    EXPECT_EQ(parser.Evaluate(W(c.expression), c.results, names), c.expected) << c.expression;
    std::vector<std::string> got;
    for (const Text& n : names) got.push_back(U8(n));
    EXPECT_EQ(got, c.names) << c.expression;
  }
}

TEST(ConditionParser, LongExpressionsNeverCrash) {
  CTovuConditionParser parser;
  ConditionResultMap results;
  for (int n = 1; n <= 25; ++n) results[n] = n % 2;
  // About 2,000 characters of "Condition1 or Condition1 or ...": TORT pairs
  // collapse pass after pass to T.
  Text ors = u"Condition1";
  while (ors.size() < 2000) ors += u" or Condition1";
  ConditionNameList names;
  EXPECT_EQ(parser.Evaluate(ors, results, names), 1);

  // 2,000 characters of deeply nested parentheses around one token.
  Text nested = Text(995, u'(') + u"Condition2" + Text(995, u')');
  names.clear();
  EXPECT_EQ(parser.Evaluate(nested, results, names), 0);

  // Unbalanced by one in a long text.
  names.clear();
  EXPECT_EQ(parser.Evaluate(nested + u")", results, names), -2);

  // 2,000 characters of text with no condition at all.
  names.clear();
  EXPECT_EQ(parser.Evaluate(Text(2000, u'x'), results, names), -1);

  // A mix of every number 1..25 with and/or/not: always a defined result.
  Text mixed;
  for (int i = 0; mixed.size() < 2000; ++i) {
    if (i) mixed += (i % 3 == 0) ? u" and " : u" or not ";
    mixed += W("Condition" + std::to_string(i % 25 + 1));
  }
  names.clear();
  const int r = parser.Evaluate(mixed, results, names);
  EXPECT_TRUE(r == 0 || r == 1 || r == -1) << r;
  EXPECT_EQ(names.size(), 25u);
}

TEST(ConditionParser, CollectMissingConditionsAndBalance) {
  CTovuConditionParser parser;
  ConditionNameList names;
  EXPECT_EQ(parser.CollectMissingConditions(u"CONDITION3 AND CONDITION5", {{3, 1}}, names), -1);
  EXPECT_EQ(names, (ConditionNameList{u"CONDITION5"}));
  names.clear();
  EXPECT_EQ(parser.CollectMissingConditions(u"CONDITION3", {{3, 0}}, names), 0);
  EXPECT_TRUE(names.empty());
  EXPECT_TRUE(parser.AreParenthesesBalanced(u")("));
  EXPECT_FALSE(parser.AreParenthesesBalanced(u"(()"));
}

// ---- reading --------------------------------------------------------------------------

class ConditionTest : public ::testing::Test {
 protected:
  void SetUp() override { fake.AddFolder(u"C:\\Tmp"); }
  void Settings(const std::string& text) { fake.AddFile(kIni, text); }
  CCondition Make() { return CCondition(fake, log, kIni); }
  // The whole check with the result and the message-key text.
  std::pair<int, std::string> Check(int language = 1033) {
    Text keys = u"stale";
    const int r = CheckConditions(fake, log, kIni, language, &keys);
    return {r, U8(keys)};
  }

  FakePlatform fake;
  CaptureLog log{fake};
};

TEST_F(ConditionTest, ReadConditionsFieldsNumbersAndMessages) {
  Settings(
      "[Conditions]\r\n"
      "Action1Condition=Condition3 and (condition1 or CONDITION12)\r\n"
      "condition3 = {File};[%ProgramFiles%]\\Tool\\tool.exe;{>=};{2.0};{MsgTool}\r\n"
      "Condition1={Registry64} ; HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\V ; { >= } ; {1.0} ; {MsgX} ; extra\r\n"
      "Condition12={File};C:\\x.dll;{EXIST};;{MsgShift}\r\n"
      "[1033]\r\nMsgTool=Tool text\r\nMsgX=X text\r\n"
      "[1031]\r\nMsgTool=Werkzeug\r\n");
  CCondition c = Make();
  c.ReadConditions(1031);
  const auto& list = c.GetConditions();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].Type, u"{File}");
  EXPECT_EQ(list[0].Path, u"[%ProgramFiles%]\\Tool\\tool.exe");
  EXPECT_EQ(list[0].Operator, u"{>=}");
  EXPECT_EQ(list[0].Value, u"{2.0}");
  EXPECT_EQ(list[0].MessageKey, u"{MsgTool}");
  EXPECT_EQ(list[0].MessageText, u"Werkzeug");
  EXPECT_EQ(list[0].Number, 3);
  EXPECT_EQ(list[0].Result, 0);
  EXPECT_EQ(list[1].Type, u"{Registry64}");
  EXPECT_EQ(list[1].Path, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\V");
  EXPECT_EQ(list[1].Operator, u"{ >= }");
  EXPECT_EQ(list[1].MessageKey, u"{MsgX}");
  EXPECT_EQ(list[1].MessageText, u"");  // no text in [1031]
  EXPECT_EQ(list[1].Number, 1);
  // The empty value field shifts the message key into the value.
  EXPECT_EQ(list[2].Value, u"{MsgShift}");
  EXPECT_EQ(list[2].MessageKey, u"");
  EXPECT_EQ(list[2].Number, 12);
  EXPECT_TRUE(log.Has(LOG_INFO, "CCondition::ReadConditions",
                      "condition3 : {File};[%ProgramFiles%]\\Tool\\tool.exe;{>=};{2.0};{MsgTool}"));
  EXPECT_EQ(c.GetKeyMessageText(1033, u"{{MsgX}}"), u"X text");
  EXPECT_EQ(c.GetKeyMessageText(1033, u"MsgTool"), u"Tool text");
  EXPECT_EQ(c.GetKeyMessageText(1033, u"{Missing}"), u"");
}

TEST_F(ConditionTest, EachReadingStepReadsTheSettingsOnce) {
  // Forty conditions with their message texts and forty registry entries:
  // one reading of the file per step, not one per value.
  std::string expr = "Condition1", ini, lang = "[1031]\r\n", reg = "[ReadRegEntries]\r\n";
  for (int n = 2; n <= 40; ++n) expr += " and Condition" + std::to_string(n);
  ini = "[Conditions]\r\nAction1=Extract\r\nAction1Message=M\r\nAction1Condition=" + expr + "\r\n";
  for (int n = 1; n <= 40; ++n) {
    const std::string k = std::to_string(n);
    ini += "Condition" + k + "={File};C:\\f" + k + ";{EXIST};{};{M" + k + "}\r\n";
    lang += "M" + k + "=Text " + k + "\r\n";
    reg += "Root" + k + "=2\r\nKey" + k + "=SOFTWARE\\K" + k + "\r\nEntry" + k + "=E\r\nProperty" + k + "=P" + k +
           "\r\n";
  }
  Settings(ini + lang + reg);
  CCondition c = Make();
  struct Step {
    const char* what;
    std::function<void()> run;
  };
  const Step steps[] = {
      {"conditions", [&] { c.ReadConditions(1031); }},
      {"actions", [&] { c.ReadActions(); }},
      {"registry entries", [&] { c.ReadRegEntries(0); }},
      {"64-bit registry entries", [&] { c.ReadRegEntries(1); }},
  };
  for (const Step& step : steps) {
    fake.wholeFileReads = 0;
    step.run();
    EXPECT_EQ(fake.wholeFileReads, 1) << step.what;
  }
  ASSERT_EQ(c.GetConditions().size(), 40u);
  EXPECT_EQ(c.GetConditions()[39].Path, u"C:\\f40");
  EXPECT_EQ(c.GetConditions()[39].MessageText, u"Text 40");
  EXPECT_EQ(c.GetConditions()[0].MessageText, u"Text 1");
  ASSERT_EQ(c.GetActions().size(), 1u);
  EXPECT_EQ(c.GetActions()[0].MessageKey, u"M");
  ASSERT_EQ(c.GetRegEntries().size(), 40u);
  EXPECT_EQ(c.GetRegEntries()[39].Key, u"SOFTWARE\\K40");
  EXPECT_EQ(c.GetRegEntries()[39].Property, u"P40");
}

TEST_F(ConditionTest, ReadConditionsStopsAtTheFirstMissingName) {
  struct Case {
    const char* conditions;
    std::vector<int> numbers;
  } const cases[] = {
      {"Condition1={File};C:\\a;{EXIST};{};{M}\r\n", {1}},
      {"Condition2={File};C:\\a;{EXIST};{};{M}\r\n", {}},
      {"Condition1={File};C:\\a;{EXIST};{};{M}\r\nCondition2={File};C:\\b;{EXIST};{};{M}\r\n", {1, 2}},
      {"Condition1=\r\nCondition2={File};C:\\b;{EXIST};{};{M}\r\n", {}},
  };
  for (const Case& c : cases) {
    Settings(std::string("[Conditions]\r\nAction1Condition=(Condition1 and Condition2)\r\n") + c.conditions);
    CCondition cond = Make();
    cond.ReadConditions(1033);
    std::vector<int> got;
    for (const auto& p : cond.GetConditions()) got.push_back(p.Number);
    EXPECT_EQ(got, c.numbers) << c.conditions;
  }
}

TEST_F(ConditionTest, ReadActionsAndRegistryEntries) {
  Settings(
      "[Conditions]\r\nAction1Condition=Condition1\r\nAction1=Extract\r\nAction1Message=MsgReq\r\n"
      "[ReadRegEntries]\r\nRoot1=2\r\nKey1=SOFTWARE\\A\r\nEntry1=E1\r\nProperty1=P1\r\n"
      "Root2=7\r\nKey2=K\r\nEntry2=E\r\nProperty2=P2\r\nRoot4=1\r\n"
      "[ReadRegEntries64]\r\nRoot2=0\r\nKey2=X\r\n");
  CCondition c = Make();
  c.ReadActions();
  ASSERT_EQ(c.GetActions().size(), 1u);
  EXPECT_EQ(c.GetActions()[0].Condition, u"Condition1");
  EXPECT_EQ(c.GetActions()[0].Name, u"Extract");
  EXPECT_EQ(c.GetActions()[0].MessageKey, u"MsgReq");
  EXPECT_EQ(c.GetActions()[0].Number, 0);
  c.ReadRegEntries(0);
  c.ReadRegEntries(1);  // no Root1: nothing, although Root2 exists
  const auto& e = c.GetRegEntries();
  ASSERT_EQ(e.size(), 2u);  // Root3 is missing: Root4 is never read
  EXPECT_EQ(e[0].Root, 2);
  EXPECT_EQ(e[0].Key, u"SOFTWARE\\A");
  EXPECT_EQ(e[0].Entry, u"E1");
  EXPECT_EQ(e[0].Property, u"P1");
  EXPECT_FALSE(e[0].Is64);
  EXPECT_EQ(e[1].Root, 7);

  // Root 7 names no root: the property gets an empty value.
  fake.SetRegistryString(RegRoot::kLocalMachine, u"SOFTWARE\\A", u"E1", u"value one", RegView::k32);
  c.EvaluateReadRegEntries();
  EXPECT_EQ(e[0].ReadValue, u"value one");
  EXPECT_EQ(e[1].ReadValue, u"");
  EXPECT_TRUE(log.Has(LOG_INFO, "EvaluateReadRegEntries", "Reading Registry : Root = 2 Key = SOFTWARE\\A Entry = E1"));
  EXPECT_TRUE(log.Has(LOG_INFO, "EvaluateReadRegEntries", "Registry Value : value one"));
  EXPECT_TRUE(log.Has(LOG_INFO, "EvaluateReadRegEntries", "Property : P1 = value one"));

  Settings("[Conditions]\r\nAction1=Extract\r\n");
  CCondition none = Make();
  none.ReadActions();
  EXPECT_TRUE(none.GetActions().empty());
}

TEST_F(ConditionTest, ReadRegEntries64ReadsTheSixtyFourBitView) {
  Settings("[ReadRegEntries]\r\nRoot1=2\r\nKey1=SOFTWARE\\T\r\nEntry1=V\r\nProperty1=P32\r\n"
           "[ReadRegEntries64]\r\nRoot1=2\r\nKey1=SOFTWARE\\T\r\nEntry1=V\r\nProperty1=P64\r\n");
  fake.SetRegistryString(RegRoot::kLocalMachine, u"SOFTWARE\\T", u"V", u"thirty-two", RegView::k32);
  fake.SetRegistryString(RegRoot::kLocalMachine, u"SOFTWARE\\T", u"V", u"sixty-four", RegView::k64);
  CCondition c = Make();
  c.ReadRegEntries(0);
  c.ReadRegEntries(1);
  c.EvaluateReadRegEntries();
  ASSERT_EQ(c.GetRegEntries().size(), 2u);
  EXPECT_EQ(c.GetRegEntries()[0].ReadValue, u"thirty-two");
  EXPECT_EQ(c.GetRegEntries()[1].ReadValue, u"sixty-four");
  EXPECT_TRUE(c.GetRegEntries()[1].Is64);
}

// ---- registry values and conditions ---------------------------------------------------

TEST_F(ConditionTest, RegistryValueTexts) {
  const Text key = u"SOFTWARE\\Vals";
  auto bytes = [](std::initializer_list<uint8_t> b) { return std::vector<uint8_t>(b); };
  fake.SetRegistryDword(RegRoot::kLocalMachine, key, u"Dword", 4294967295u, RegView::k32);
  fake.SetRegistryDword(RegRoot::kLocalMachine, key, u"Small", 42, RegView::k32);
  fake.SetRegistryValue(RegRoot::kLocalMachine, key, u"Multi",
                        {regtype::kMultiString, bytes({'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0})}, RegView::k32);
  fake.SetRegistryValue(RegRoot::kLocalMachine, key, u"Bin", {regtype::kBinary, bytes({'4', 0, '2', 0})},
                        RegView::k32);
  fake.SetRegistryValue(RegRoot::kLocalMachine, key, u"Expand", {regtype::kExpandString, bytes({'%', 0, 'X', 0, '%', 0, 0, 0})},
                        RegView::k32);
  fake.SetRegistryValue(RegRoot::kLocalMachine, key, u"Empty", {regtype::kString, {}}, RegView::k32);
  fake.SetRegistryString(RegRoot::kLocalMachine, key, u"Long", Text(3000, u'L'), RegView::k32);
  fake.SetRegistryString(RegRoot::kLocalMachine, key, u"", u"default value", RegView::k32);
  fake.SetRegistryString(RegRoot::kLocalMachine, key, u"OnlyIn64", u"x", RegView::k64);
  fake.SetRegistryString(RegRoot::kCurrentUser, u"Software\\U", u"Name", u"user", RegView::k32);
  fake.SetRegistryString(RegRoot::kUsers, u".DEFAULT\\U", u"Name", u"users", RegView::k32);
  fake.SetRegistryString(RegRoot::kClassesRoot, u".tovu", u"Name", u"classes", RegView::k32);

  struct Case {
    int root;
    const char16_t* key;
    const char16_t* name;
    bool is64;
    int status;
    Text value;
  } const cases[] = {
      {2, key.c_str(), u"Dword", false, 1, u"-1"},
      {2, key.c_str(), u"Small", false, 1, u"42"},
      {2, key.c_str(), u"Multi", false, 1, u"a"},
      {2, key.c_str(), u"Bin", false, 1, u""},
      {2, key.c_str(), u"Expand", false, 1, u"%X%"},  // not expanded
      {2, key.c_str(), u"Empty", false, 1, u""},
      {2, key.c_str(), u"Long", false, 1, Text(1023, u'L')},
      {2, key.c_str(), u"", false, 1, u"default value"},
      {2, key.c_str(), u"Missing", false, -2, u""},
      {2, key.c_str(), u"OnlyIn64", false, -2, u""},
      {2, key.c_str(), u"OnlyIn64", true, 1, u"x"},
      {2, key.c_str(), u"Dword", true, -2, u""},
      {2, u"SOFTWARE\\NoSuchKey", u"Dword", false, -2, u""},
      {1, u"Software\\U", u"Name", false, 1, u"user"},
      {3, u".DEFAULT\\U", u"Name", false, 1, u"users"},
      {0, u".tovu", u"Name", false, 1, u"classes"},
      {4, key.c_str(), u"Small", false, -2, u""},
      {-1, key.c_str(), u"Small", false, -2, u""},
  };
  CCondition c = Make();
  for (const Case& k : cases) {
    Text v = u"stale";
    EXPECT_EQ(c.ReadRegistryValue(k.root, k.key, k.name, v, k.is64), k.status) << U8(k.name);
    EXPECT_EQ(v, k.value) << U8(k.name);
  }

  int status = 0;
  EXPECT_EQ(c.ReadRegistryPath(u"{HKEY_LOCAL_MACHINE\\SOFTWARE\\Vals\\Small}", status, false), u"42");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(c.ReadRegistryPath(u" HKEY_LOCAL_MACHINE \\\\ SOFTWARE \\ Vals \\Small", status, false), u"42");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(c.ReadRegistryPath(u"HKLM\\SOFTWARE\\Vals\\Small", status, false), u"");
  EXPECT_EQ(status, -2);  // root names are compared exactly
  EXPECT_EQ(c.ReadRegistryPath(u"hkey_local_machine\\SOFTWARE\\Vals\\Small", status, false), u"");
  EXPECT_EQ(status, -2);
  EXPECT_EQ(c.ReadRegistryPath(u"", status, false), u"");
  EXPECT_EQ(status, -2);
}

struct RegCase {
  const char* op;
  const char* value;     // the value written, nullptr: missing
  const char* expected;  // field 4
  int result;
};

TEST_F(ConditionTest, RegistryConditionsWithEveryOperator) {
  const RegCase cases[] = {
      {"{>=}", "2.9", "{2.10}", 0},      {"{>=}", "V2.10.0", "{2.10}", 1}, {"{=}", "1.2_5", "{1.2.5}", 0},
      {"{>=}", "1.2_5", "{1.2.5}", 1},   {"{=}", "Abc", "{abc}", 1},       {"{!=}", "Abc", "{abc}", 0},
      {"{>=}", "Abc", "{abc}", 0},       {"{!=}", "", "{1.0}", 1},         {"{!=}", "1.0", "{}", 1},
      {"{!=}", nullptr, "{1.0}", 0},     {"{=}", "", "{}", 1},             {"{=}", nullptr, "{}", 0},
      {"{=}", "2.0", "{2.0}", 1},        {"{=}", "2.0", "{2.0.0}", 0},     // {=} compares texts, not versions
      {"{>}", "2.1", "{2.0}", 1},        {"{>}", "2.0", "{2.0}", 0},       {"{<}", "1.9", "{2.0}", 1},
      {"{<=}", "2.0", "{2.0}", 1},       {"{<=}", "2.1", "{2.0}", 0},      {"{!=}", "2.1", "{2.0}", 1},
      {"{!=}", "2.0.0", "{2.0}", 0},     {"{>=}", "", "{2.0}", 0},         {"{>=}", nullptr, "{2.0}", 0},
      {"{EXIST}", "x", "{}", 1},         {"{exist}", "", "{}", 1},         {"{EXIST}", nullptr, "{}", 0},
      {"{NOTEXIST}", nullptr, "{}", 1},  {"{NotExist}", "x", "{}", 0},     {"{}", "", "{}", 1},
      {"{}", nullptr, "{}", 0},          {"{ > = }", "3", "{2}", 1},       {"{>=}", "b", "{a}", 0},
      {"{!=}", "b", "{a}", 1},           {"{=}", "b", "{b}", 1},           {"{?}", "2", "{1}", 0},
      {"{>=}", "2", "{ 1 }", 0},  // " 1 " is not a version text: strings compared with {>=}: false
  };
  for (const RegCase& k : cases) {
    FakePlatform f;
    f.AddFolder(u"C:\\Tmp");
    if (k.value) f.SetRegistryString(RegRoot::kLocalMachine, u"SOFTWARE\\Tool", u"Version", W(k.value), RegView::k32);
    f.AddFile(kIni, std::string("[Conditions]\r\nAction1Condition=Condition1\r\nCondition1={Registry};"
                                "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tool\\Version;") +
                        k.op + ";" + k.expected + ";{Msg}\r\n");
    CaptureLog l(f);
    CCondition c(f, l, kIni);
    c.ReadConditions(1033);
    c.EvaluateConditions();
    ASSERT_EQ(c.GetConditions().size(), 1u);
    EXPECT_EQ(c.GetConditions()[0].Result, k.result)
        << k.op << " value " << (k.value ? k.value : "(missing)") << " expected " << k.expected;
  }
}

TEST_F(ConditionTest, RegistryDwordComparesSigned) {
  fake.SetRegistryDword(RegRoot::kLocalMachine, u"SOFTWARE\\Tool", u"Count", 4294967295u, RegView::k32);
  Settings("[Conditions]\r\nAction1Condition=Condition1 and Condition2 and Condition3\r\n"
           "Condition1={Registry};HKEY_LOCAL_MACHINE\\SOFTWARE\\Tool\\Count;{=};{-1};{M1}\r\n"
           "Condition2={Registry};HKEY_LOCAL_MACHINE\\SOFTWARE\\Tool\\Count;{>=};{1};{M2}\r\n"
           "Condition3={Registry64};HKEY_LOCAL_MACHINE\\SOFTWARE\\Tool\\Count;{EXIST};{};{M3}\r\n");
  CCondition c = Make();
  c.ReadConditions(1033);
  c.EvaluateConditions();
  EXPECT_EQ(c.GetConditions()[0].Result, 1);
  // "-1" against the version 1: the "-" goes before the first digit: 1 = 1.
  EXPECT_EQ(c.GetConditions()[1].Result, 1);
  EXPECT_EQ(c.GetConditions()[2].Result, 0);  // written in the 32-bit view only
  EXPECT_TRUE(log.Has(LOG_INFO, "CCondition::EvaluateConditions", "Compare Values : -1 and -1 "));
  EXPECT_TRUE(log.Has(LOG_INFO, "CCondition::EvaluateConditions", "Condition1 = 1"));
  EXPECT_TRUE(log.Has(LOG_INFO, "CCondition::EvaluateConditions", "Condition3 = 0"));
}

TEST_F(ConditionTest, UnknownTypeIsFalse) {
  Settings("[Conditions]\r\nAction1Condition=Condition1\r\nCondition1={Service};x;{EXIST};{};{M}\r\n");
  CCondition c = Make();
  c.ReadConditions(1033);
  c.EvaluateConditions();
  EXPECT_EQ(c.GetConditions()[0].Result, 0);
  EXPECT_TRUE(log.Has(LOG_INFO, "CCondition::EvaluateConditions", "Operator : {EXIST}"));
}

// ---- files ----------------------------------------------------------------------------

TEST_F(ConditionTest, ExpandPathAndFileExists) {
  fake.SetEnv(u"ProgramFiles", u"C:\\Program Files");
  fake.SetEnv(u"SLASHED", u"D:\\Data\\");
  fake.SetEnv(u"EMPTYVAR", u"");
  CCondition c = Make();
  struct Case {
    const char16_t* in;
    const char16_t* out;
  } const cases[] = {
      {u"[%ProgramFiles%]\\Tool\\tool.exe", u"C:\\Program Files\\\\Tool\\tool.exe"},
      {u"{ [%programfiles%]Tool.exe }", u"C:\\Program Files\\Tool.exe"},
      {u"[%SLASHED%]x", u"D:\\Data\\x"},
      {u"C:\\[%SLASHED%]\\[%ProgramFiles%]", u"C:\\D:\\Data\\\\[%ProgramFiles%]"},  // only the first
      {u"[%UNSET%]\\x", u"[%UNSET%]\\x"},
      {u"[%EMPTYVAR%]x", u"x"},
      {u"[%%]x", u"[%%]x"},
      {u"[%A]", u"[%A]"},
      {u"{[%]}", u"[%]"},  // four characters or fewer are left alone
      {u"C:\\plain", u"C:\\plain"},
  };
  for (const Case& k : cases) EXPECT_EQ(c.ExpandPath(k.in), k.out) << U8(k.in);

  fake.AddFile(u"C:\\Tool\\tool.exe", "MZ");
  fake.AddFolder(u"C:\\Tool\\Sub");
  EXPECT_TRUE(c.FileExists(u"C:\\Tool\\tool.exe"));
  EXPECT_FALSE(c.FileExists(u"C:\\Tool\\Sub"));  // a folder cannot be opened for reading
  EXPECT_FALSE(c.FileExists(u"C:\\Tool\\none.exe"));
  const Text longFolder = u"C:\\" + Text(240, u'd');
  const Text at255 = longFolder + u"\\" + Text(255 - longFolder.size() - 1, u'f');
  const Text at256 = longFolder + u"\\" + Text(256 - longFolder.size() - 1, u'g');
  ASSERT_EQ(at255.size(), 255u);
  ASSERT_EQ(at256.size(), 256u);
  fake.AddFile(at255, "x");
  fake.AddFile(at256, "x");
  EXPECT_TRUE(c.FileExists(at255));
  EXPECT_FALSE(c.FileExists(at256));
}

TEST_F(ConditionTest, FileVersionsFromThePlatformAndFromThePeImage) {
  fake.AddFile(u"C:\\Tool\\api.dll", "not parsed");
  fake.SetFileVersion(u"C:\\Tool\\api.dll", 2, 5, 0, 65535);
  fake.AddFile(u"C:\\Tool\\noversion.dll", "MZ");
  fake.FailFileVersion(u"C:\\Tool\\noversion.dll", winerr::kResourceTypeNotFound);
  fake.AddFile(u"C:\\Tool\\nomem.dll", "MZ");
  fake.FailFileVersion(u"C:\\Tool\\nomem.dll", winerr::kNotEnoughMemory);
  // A platform without the version API: the image itself is read.
  const std::string pe = test::ReadTestData("conditions/versioned.dll");
  ASSERT_FALSE(pe.empty());
  fake.AddFile(u"C:\\Tool\\versioned.dll", pe);
  fake.AddFile(u"C:\\Tool\\text.dll", "just text");

  CCondition c = Make();
  EXPECT_EQ(c.GetFileVersion(u"C:\\Tool\\api.dll"), u"2.5.0.65535");
  EXPECT_EQ(c.GetFileVersion(u"C:\\Tool\\versioned.dll"), u"4.12.1.300");
  EXPECT_EQ(c.GetFileVersion(u"C:\\Tool\\text.dll"), u"");
  EXPECT_EQ(c.GetFileVersion(u"C:\\Tool\\missing.dll"), u"");
  EXPECT_EQ(c.GetFileVersion(u"C:\\Tool\\noversion.dll"), u"");
  EXPECT_FALSE(log.Has(LOG_ERROR, "CInstallFile::GetFileVersion()", "Not enought memory!"));
  EXPECT_EQ(c.GetFileVersion(u"C:\\Tool\\nomem.dll"), u"");
  EXPECT_TRUE(log.Has(LOG_ERROR, "CInstallFile::GetFileVersion()", "Not enought memory!"));

  uint16_t parts[4];
  ASSERT_TRUE(ReadPeFileVersion(fake, u"C:\\Tool\\versioned.dll", parts));
  EXPECT_EQ(parts[0], 4);
  EXPECT_EQ(parts[3], 300);
  EXPECT_FALSE(ReadPeFileVersion(fake, u"C:\\Tool\\text.dll", parts));
  EXPECT_EQ(parts[0], 0);
}

TEST_F(ConditionTest, FileConditionsWithEveryOperator) {
  fake.AddFile(u"C:\\Tool\\tool.exe", "MZ");
  fake.SetFileVersion(u"C:\\Tool\\tool.exe", 2, 5, 0, 0);
  fake.AddFile(u"C:\\Tool\\plain.txt", "text");
  fake.FailFileVersion(u"C:\\Tool\\plain.txt", winerr::kResourceTypeNotFound);
  struct Case {
    const char* path;
    const char* op;
    const char* value;
    int result;
  } const cases[] = {
      {"C:\\Tool\\tool.exe", "{EXIST}", "{}", 1},       {"C:\\Tool\\tool.exe", "{exist}", "{}", 1},
      {"C:\\Tool\\none.exe", "{EXIST}", "{}", 0},       {"C:\\Tool\\none.exe", "{NOTEXIST}", "{}", 1},
      {"C:\\Tool\\tool.exe", "{NOTEXIST}", "{}", 0},    {"C:\\Tool\\tool.exe", "{}", "{}", 1},
      {"C:\\Tool\\none.exe", "{}", "{}", 0},            {"C:\\Tool\\tool.exe", "{>=}", "{2.0}", 1},
      {"C:\\Tool\\tool.exe", "{>=}", "{ 2.5.0.1 }", 0}, {"C:\\Tool\\tool.exe", "{=}", "{2.5}", 1},
      {"C:\\Tool\\tool.exe", "{<}", "{3}", 1},          {"C:\\Tool\\tool.exe", "{!=}", "{2.5.0.0}", 0},
      {"C:\\Tool\\tool.exe", "{>}", "{abc}", 1},        // "abc" has no digit: element 0
      {"C:\\Tool\\plain.txt", "{>=}", "{1.0}", 0},      // no version: false
      {"C:\\Tool\\plain.txt", "{!=}", "{1.0}", 0},
      {"C:\\Tool\\plain.txt", "{=}", "{}", 1},          // no version and nothing expected
      {"C:\\Tool\\none.exe", "{=}", "{}", 1},
      {"C:\\Tool\\plain.txt", "{=}", "{1.0}", 0},
      {"{C:\\Tool\\tool.exe}", "{EXIST}", "{}", 1},     // braces around the path
  };
  for (const auto& k : cases) {
    Settings(std::string("[Conditions]\r\nAction1Condition=Condition1\r\nCondition1={File};") + k.path + ";" + k.op +
             ";" + k.value + ";{Msg}\r\n");
    CCondition c = Make();
    c.ReadConditions(1033);
    c.EvaluateConditions();
    ASSERT_EQ(c.GetConditions().size(), 1u);
    EXPECT_EQ(c.GetConditions()[0].Result, k.result) << k.path << " " << k.op << " " << k.value;
  }
  EXPECT_TRUE(log.Has(LOG_INFO, "CCondition::EvaluateConditions", "Compare Versions : 2.5.0.0 and 2.0 "));
  EXPECT_TRUE(log.Has(LOG_INFO, "CCondition::EvaluateConditions", "Finding file : C:\\Tool\\tool.exe"));
}

TEST_F(ConditionTest, ApplyPropertiesAddsTheBackslashFromTheFirstFileConditionOn) {
  Settings(
      "[ReadRegEntries]\r\nRoot1=2\r\nKey1=SOFTWARE\\Tool\r\nEntry1=InstallDir\r\nProperty1=DIR\r\n"
      "Root2=2\r\nKey2=SOFTWARE\\Tool\r\nEntry2=Slashed\r\nProperty2=SL\r\n"
      "Root3=2\r\nKey3=SOFTWARE\\Tool\r\nEntry3=Missing\r\nProperty3=NONE\r\n"
      "[Conditions]\r\nAction1Condition=Condition1 and Condition2 and Condition3 and Condition4\r\n"
      "Condition1={Registry};HKEY_LOCAL_MACHINE\\[DIR]\\[dir];{EXIST};{};{M}\r\n"
      "Condition2={file};[DIR]a.dll|[DIR]b.dll|[SL]c.dll|[NONE]d.dll;{EXIST};{};{M}\r\n"
      "Condition3={Registry};[DIR];{EXIST};{};{M}\r\n"
      "Condition4={File};[UNKNOWN]x.dll;{EXIST};{};{M}\r\n");
  fake.SetRegistryString(RegRoot::kLocalMachine, u"SOFTWARE\\Tool", u"InstallDir", u"C:\\Tool", RegView::k32);
  fake.SetRegistryString(RegRoot::kLocalMachine, u"SOFTWARE\\Tool", u"Slashed", u"D:\\S\\", RegView::k32);
  CCondition c = Make();
  c.ReadConditions(1033);
  c.ReadRegEntries(0);
  c.EvaluateReadRegEntries();
  c.ApplyProperties();
  const auto& list = c.GetConditions();
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0].Path, u"HKEY_LOCAL_MACHINE\\C:\\Tool\\[dir]");  // before any file condition; case matters
  EXPECT_EQ(list[1].Path, u"C:\\Tool\\a.dll|C:\\Tool\\b.dll|D:\\S\\c.dll|d.dll");
  EXPECT_EQ(list[2].Path, u"C:\\Tool\\");  // the value keeps its backslash after a file condition
  EXPECT_EQ(list[3].Path, u"[UNKNOWN]x.dll");
}

// ---- message keys ---------------------------------------------------------------------

TEST_F(ConditionTest, MessageKeysListUnmetNamedNotNegatedConditionsOnce) {
  struct Case {
    const char* expression;
    const char* conditions;  // Condition lines
    const char* keys;
  } const cases[] = {
      // A condition written with "not" is not listed.
      {"(Condition1 and not Condition2)",
       "Condition1={File};C:\\no1;{EXIST};{};{MsgA}\r\nCondition2={File};C:\\no2;{EXIST};{};{MsgB}\r\n",
       "{MsgReq};{MsgA};"},
      // Met conditions are not listed; "{}" is never listed.
      {"Condition1 or Condition2 or Condition3",
       "Condition1={File};C:\\yes;{EXIST};{};{MsgA}\r\nCondition2={File};C:\\no;{EXIST};{};{}\r\n"
       "Condition3={File};C:\\no;{EXIST};{};{MsgC}\r\n",
       "{MsgReq};{MsgC};"},
      // A key is listed once; the action's own key (ignoring case) is not repeated.
      {"Condition1 and Condition2 and Condition3",
       "Condition1={File};C:\\no;{EXIST};{};{MsgA}\r\nCondition2={File};C:\\no;{EXIST};{};{msga}\r\n"
       "Condition3={File};C:\\no;{EXIST};{};{MSGREQ}\r\n",
       "{MsgReq};{MsgA};"},
      // Negated inside "not (...)".
      {"Condition3 and not (Condition1 or Condition2)",
       "Condition3={File};C:\\no;{EXIST};{};{MsgC}\r\nCondition1={File};C:\\no;{EXIST};{};{MsgA}\r\n"
       "Condition2={File};C:\\no;{EXIST};{};{MsgB}\r\n",
       "{MsgReq};{MsgC};"},
      // Written once with and once without "not": not negated.
      {"not Condition1 or Condition1", "Condition1={File};C:\\no;{EXIST};{};{MsgA}\r\n", "{MsgReq};{MsgA};"},
      // A missing message field leaves an empty key, which is listed as such.
      {"Condition1", "Condition1={File};C:\\no;{EXIST};{}\r\n", "{MsgReq};;"},
  };
  fake.AddFile(u"C:\\yes", "x");
  for (const Case& k : cases) {
    Settings(std::string("[Conditions]\r\nAction1=Extract\r\nAction1Message=MsgReq\r\nAction1Condition=") +
             k.expression + "\r\n" + k.conditions);
    EXPECT_EQ(Check().second, k.keys) << k.expression;
  }
}

TEST_F(ConditionTest, MessageKeysNeedTheNameInTheParsersList) {
  // Condition7 is not defined: reading stops there, the parser reports it
  // missing and cannot reduce; Condition1 failed and is named, so listed.
  Settings("[Conditions]\r\nAction1=Extract\r\nAction1Message=MsgReq\r\n"
           "Action1Condition=Condition1 and Condition7\r\n"
           "Condition1={File};C:\\no;{EXIST};{};{MsgA}\r\n");
  EXPECT_EQ(Check(), (std::pair<int, std::string>{0, "{MsgReq};{MsgA};"}));
  // Unbalanced: the parser names nothing, so only the action key is listed.
  Settings("[Conditions]\r\nAction1=Extract\r\nAction1Message=MsgReq\r\n"
           "Action1Condition=(Condition1 and Condition2\r\n"
           "Condition1={File};C:\\no;{EXIST};{};{MsgA}\r\nCondition2={File};C:\\no;{EXIST};{};{MsgB}\r\n");
  EXPECT_EQ(Check(), (std::pair<int, std::string>{0, "{MsgReq};"}));
}

// ---- the whole check ------------------------------------------------------------------

TEST_F(ConditionTest, WorkedExampleEndToEnd) {
  const std::string ini = test::ReadTestData("conditions/worked_example.ini");
  ASSERT_FALSE(ini.empty());
  Settings(ini);
  fake.SetRegistryString(RegRoot::kLocalMachine, u"SOFTWARE\\Tool", u"InstallDir", u"C:\\Tool", RegView::k32);
  fake.SetRegistryString(RegRoot::kLocalMachine, u"SOFTWARE\\Tool", u"Version", u"1.9", RegView::k32);
  // The 64-bit view holds other values; {Registry} must not see them.
  fake.SetRegistryString(RegRoot::kLocalMachine, u"SOFTWARE\\Tool", u"Version", u"9.9", RegView::k64);
  fake.SetRegistryString(RegRoot::kLocalMachine, u"SOFTWARE\\Tool", u"InstallDir", u"C:\\Legacy", RegView::k64);
  fake.AddFile(u"C:\\Legacy\\legacy.dll", "x");
  fake.AddFolder(u"C:\\Tool");

  EXPECT_EQ(Check(), (std::pair<int, std::string>{0, "{MsgRequirements};{MsgToolVersion};"}));
  EXPECT_TRUE(log.Has(LOG_INFO, "EvaluateReadRegEntries", "Property : TOOLDIR = C:\\Tool"));
  EXPECT_TRUE(log.Has(LOG_INFO, "CCondition::EvaluateConditions", "Compare Values : 1.9 and 2.0 "));
  EXPECT_TRUE(log.Has(LOG_INFO, "CCondition::EvaluateConditions", "Finding file : C:\\Tool\\legacy.dll"));
  EXPECT_TRUE(log.Has(LOG_INFO, "CCondition::EvaluateConditions", "Condition1 = 0"));
  EXPECT_TRUE(log.Has(LOG_INFO, "CCondition::EvaluateConditions", "Condition2 = 0"));
  EXPECT_TRUE(log.Has(LOG_WARNING, "CCondition::EvaluateActionConditions", "Action condition is not satisfied"));

  fake.SetRegistryString(RegRoot::kLocalMachine, u"SOFTWARE\\Tool", u"Version", u"2.5", RegView::k32);
  log.lines.clear();
  EXPECT_EQ(Check(), (std::pair<int, std::string>{1, "{MsgRequirements};"}));
  EXPECT_TRUE(log.Has(LOG_INFO, "CCondition::EvaluateActionConditions", "Action condition is satisfied"));

  // The legacy file appears: not Condition2 fails; Condition2 is negated
  // and Condition1 is met, so only the action key is listed.
  fake.AddFile(u"C:\\Tool\\legacy.dll", "x");
  EXPECT_EQ(Check(), (std::pair<int, std::string>{0, "{MsgRequirements};"}));
}

TEST_F(ConditionTest, CheckConditionsOutcomes) {
  fake.AddFile(u"C:\\yes", "x");
  struct Case {
    const char* conditions;
    int allowed;
    const char* keys;
  } const cases[] = {
      {"", 1, ""},
      {"Action1Condition=\r\nAction1=Extract\r\n", 1, ""},
      {"Action1Condition=Condition1\r\nAction1=Extract\r\nAction1Message=M\r\n"
       "Condition1={File};C:\\yes;{EXIST};{};{A}\r\n",
       1, "{M};"},
      {"Action1Condition=Condition1\r\nAction1=extract\r\nAction1Message=M\r\n"
       "Condition1={File};C:\\yes;{EXIST};{};{A}\r\n",
       1, "{M};"},
      // Only "Extract" has an effect.
      {"Action1Condition=Condition1\r\nAction1=Copy\r\nAction1Message=M\r\n"
       "Condition1={File};C:\\yes;{EXIST};{};{A}\r\n",
       0, "{M};"},
      {"Action1Condition=Condition1\r\nAction1Message=M\r\nCondition1={File};C:\\yes;{EXIST};{};{A}\r\n", 0, "{M};"},
      // Unbalanced, unreduced, missing condition.
      {"Action1Condition=(Condition1\r\nAction1=Extract\r\nAction1Message=M\r\n"
       "Condition1={File};C:\\yes;{EXIST};{};{A}\r\n",
       0, "{M};"},
      {"Action1Condition=Condition1 xor Condition1\r\nAction1=Extract\r\nAction1Message=M\r\n"
       "Condition1={File};C:\\yes;{EXIST};{};{A}\r\n",
       0, "{M};"},
      {"Action1Condition=Condition1\r\nAction1=Extract\r\nAction1Message=M\r\n", 0, "{M};"},
  };
  for (const Case& k : cases) {
    Settings(std::string("[Conditions]\r\n") + k.conditions);
    EXPECT_EQ(Check(), (std::pair<int, std::string>{k.allowed, k.keys})) << k.conditions;
  }
  // A settings file that cannot be read: no requirements.
  Text keys = u"stale";
  EXPECT_EQ(CheckConditions(fake, log, u"C:\\Nowhere\\Properties_Tovu.ini", 1033, &keys), 1);
  EXPECT_EQ(keys, u"");
  EXPECT_EQ(CheckConditions(fake, log, kIni, 1033, nullptr), 0);
}

TEST_F(ConditionTest, ConditionsAboveTwentyFive) {
  // Thirty conditions joined with "and", nested so that the expression
  // reduces one level per pass; the numbers above 25 are read and replaced.
  std::string expr = "Condition1";
  for (int n = 2; n <= 30; ++n) expr = "(" + expr + " and Condition" + std::to_string(n) + ")";
  auto settings = [&](int failing) {
    std::string ini = "[Conditions]\r\nAction1=Extract\r\nAction1Message=M\r\nAction1Condition=" + expr + "\r\n";
    for (int n = 1; n <= 30; ++n)
      ini += "Condition" + std::to_string(n) + "={File};" + (n == failing ? "C:\\no" : "C:\\yes") +
             ";{EXIST};{};{M" + std::to_string(n) + "}\r\n";
    return ini;
  };
  fake.AddFile(u"C:\\yes", "x");
  Settings(settings(0));
  EXPECT_EQ(Check(), (std::pair<int, std::string>{1, "{M};"}));
  Settings(settings(30));
  EXPECT_EQ(Check(), (std::pair<int, std::string>{0, "{M};{M30};"}));
  Settings(settings(26));
  EXPECT_EQ(Check(), (std::pair<int, std::string>{0, "{M};{M26};"}));

  // Condition31 named but not defined: reading stops there, it has no
  // result, it is not reported missing, and the expression does not reduce.
  Settings("[Conditions]\r\nAction1=Extract\r\nAction1Message=M\r\nAction1Condition=Condition1 and Condition31\r\n"
           "Condition1={File};C:\\no;{EXIST};{};{M1}\r\n");
  EXPECT_EQ(Check(), (std::pair<int, std::string>{0, "{M};{M1};"}));
}

TEST_F(ConditionTest, LongValuesAndExpressionsNeverCrash) {
  // A 1,023-character expression (the longest the settings buffer holds)
  // over 25 conditions, and condition values cut at that length.
  std::string expr;
  for (int i = 0; expr.size() < 1100; ++i) expr += (i ? " or Condition" : "Condition") + std::to_string(i % 25 + 1);
  std::string ini = "[Conditions]\r\nAction1=Extract\r\nAction1Message=M\r\nAction1Condition=" + expr + "\r\n";
  for (int n = 1; n <= 25; ++n)
    ini += "Condition" + std::to_string(n) + "={Registry};HKEY_LOCAL_MACHINE\\" + std::string(900, 'k') +
           "\\v;{>=};{1};{M}\r\n";
  Settings(ini);
  const auto r = Check();
  EXPECT_EQ(r.first, 0);
  EXPECT_EQ(r.second, "{M};");  // every condition's key equals the action's braced key

  // 2,000 characters of parentheses and operators without any condition.
  std::string junk;
  while (junk.size() < 2000) junk += "(not and or )";
  Settings("[Conditions]\r\nAction1=Extract\r\nAction1Condition=" + junk + "\r\n");
  EXPECT_EQ(Check().first, 0);
}

}  // namespace
}  // namespace tovu
