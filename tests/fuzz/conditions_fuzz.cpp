// The whole condition check over an arbitrary settings file on the fake
// platform, with registry values of every type in both views and a few
// files (one with a version record) for the conditions to find.
#include <cstddef>
#include <cstdint>

#include "conditions/check_conditions.h"
#include "fakes/fake_platform.h"
#include "fuzz_support.h"
#include "support/test_support.h"

namespace {

using namespace tovu;

void Shape(test::FakePlatform& f) {
  static const std::string versioned = test::ReadTestData("conditions/versioned.dll");
  f.AddFolder(u"C:\\Tmp");
  f.AddFile(u"C:\\Data\\versioned.dll", versioned);
  f.AddFile(u"C:\\Tool\\legacy.dll", "x");
  f.AddFile(u"C:\\Tool\\empty.dll", "");
  f.AddFolder(u"C:\\Legacy");
  for (RegView view : {RegView::k32, RegView::k64}) {
    const Text key = u"SOFTWARE\\TovuTypes";
    f.SetRegistryString(RegRoot::kLocalMachine, key, u"DataDir", u"C:\\Data\\", view);
    f.SetRegistryString(RegRoot::kLocalMachine, key, u"Flavour", view == RegView::k64 ? u"Only64" : u"Dword", view);
    f.SetRegistryDword(RegRoot::kLocalMachine, key, u"Dword", 0xFFFFFFFFu, view);
    f.SetRegistryQword(RegRoot::kLocalMachine, key, u"Qword", 0x8000000000000001ull, view);
    f.SetRegistryValue(RegRoot::kLocalMachine, key, u"Multi",
                       {regtype::kMultiString, {'F', 0, 'I', 0, 'R', 0, 'S', 0, 'T', 0, 0, 0, 'B', 0, 0, 0, 0, 0}}, view);
    f.SetRegistryValue(RegRoot::kLocalMachine, key, u"Binary", {regtype::kBinary, {1, 2, 3}}, view);
    f.SetRegistryValue(RegRoot::kLocalMachine, key, u"Odd", {regtype::kString, {'1', 0, '.'}}, view);
    f.SetRegistryValue(RegRoot::kLocalMachine, key, u"Unterminated", {regtype::kString, {'2', 0, '.', 0, '5', 0}}, view);
    f.SetRegistryValue(RegRoot::kLocalMachine, key, u"Expand", {regtype::kExpandString, {'%', 0, 'T', 0, '%', 0, 0, 0}}, view);
    f.SetRegistryValue(RegRoot::kLocalMachine, key, u"None", {regtype::kNone, {}}, view);
    f.SetRegistryString(RegRoot::kLocalMachine, key, u"Version", u"2.9.1", view);
    f.SetRegistryString(RegRoot::kLocalMachine, u"SOFTWARE\\Tool", u"InstallDir", u"C:\\Tool", view);
    f.SetRegistryString(RegRoot::kLocalMachine, u"SOFTWARE\\Tool", u"Version", u"1.9", view);
    f.SetRegistryString(RegRoot::kCurrentUser, u"Software\\Tovu", u"", u"default value", view);
  }
  f.SetRegistryString(RegRoot::kLocalMachine, u"SOFTWARE\\Wow6432Node\\TovuTypes", u"Dword", u"-1", RegView::k64);
  f.SetRegistryString(RegRoot::kLocalMachine, u"SOFTWARE\\TovuTypes", u"Only64", u"yes", RegView::k64);
  f.SetEnv(u"T", u"C:\\Tool");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Text ini = u"C:\\Tmp\\Properties_Tovu.ini";
  test::FakePlatform fake;
  Shape(fake);
  fake.AddFile(ini, fuzz::Bytes(data, size));
  fuzz::NullLog log(fake);
  const int languages[] = {1033, 1031, 0, -1};
  const int language = languages[fuzz::Mix(data, size) % 4];
  Text keys;
  const int met = CheckConditions(fake, log, ini, language, &keys);
  FUZZ_CHECK(met == 0 || met == 1, "CheckConditions returned " + std::to_string(met));
  FUZZ_CHECK(keys.empty() || keys.back() == u';', "message keys " + fuzz::Show(keys));
  // Nothing is kept between calls: the same machine gives the same answer.
  Text again;
  FUZZ_CHECK(CheckConditions(fake, log, ini, language, &again) == met && again == keys,
             "a second check answers differently: " + fuzz::Show(again) + " after " + fuzz::Show(keys));
  CheckConditions(fake, log, ini, 1033, nullptr);
  return 0;
}
