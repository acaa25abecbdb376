// Language files from the input: the file is the language file of the
// language its [FileInfo] ID names (else 1031) and, at the same time, the
// language-choice file; the catalogue loads it, looks texts up and fills
// placeholders of texts cut from it.
#include <cstddef>
#include <cstdint>

#include "fakes/fake_platform.h"
#include "fuzz_support.h"
#include "settings/messages.h"
#include "settings/profile.h"

using namespace tovu;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Text folder = u"C:\\Tmp\\Tovu\\";
  test::FakePlatform fake;
  fake.AddFolder(u"C:\\Tmp\\Tovu");
  fake.AddFile(folder + kLanguageChoiceFileName, fuzz::Bytes(data, size));
  CProfile profile(fake);
  int lcid = MessageNumberFromKey(profile.GetString(folder + kLanguageChoiceFileName, kFileInfoSection, kFileInfoIdKey, u""));
  if (lcid <= 0 || lcid > 0xFFFF || lcid == kEnglishLcid) lcid = 1031;
  fake.AddFile(LanguageFilePath(folder, lcid), fuzz::Bytes(data, size));

  CMessageCatalog catalog(fake);
  const int loaded = catalog.LoadLanguageFile(lcid, folder);
  FUZZ_CHECK(loaded == LANGFILE_LOADED || loaded == LANGFILE_WRONG_ID, "LoadLanguageFile returned " + std::to_string(loaded));
  if (loaded == LANGFILE_WRONG_ID) FUZZ_CHECK(catalog.GetMessageMap().empty(), "a refused file changed the map");
  for (const auto& [number, text] : catalog.GetMessageMap()) {
    FUZZ_CHECK(catalog.GetMessageText(number) == text, "map and lookup differ for " + std::to_string(number));
    FUZZ_CHECK(text.find(placeholder::kNewline) == Text::npos, "[NEWLINE] left in " + std::to_string(number));
  }
  catalog.GetLangName(lcid, folder);
  catalog.GetLanguageButtonText(lcid, folder);
  catalog.GetLanguageButtonText(1033, folder);

  // Placeholders in a text from the input, with values from it.
  const Text units = fuzz::Utf16Units(data, size);
  const size_t half = units.size() / 2;
  const Text value = units.substr(half, 16);
  const PlaceholderValue values[] = {{placeholder::kFileName, value}, {placeholder::kPath, u"[FILENAME]"},
                                     {u"", u"never"}, {placeholder::kProductName, u""}};
  ReplacePlaceholders(units.substr(0, half), values);
  ExpandSettingsText(units);
  for (int code : {-5, -3, -2, 1, 5, 32, 8, 39, 1234})
    catalog.DescribeExtractionError(code, value, units.substr(0, 40));
  return 0;
}
