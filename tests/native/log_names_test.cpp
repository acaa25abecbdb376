#include <gtest/gtest.h>

#include "settings/log_names.h"

namespace tovu {
namespace {

TEST(DatedLogPath, DateAndTimeBetweenNameAndExtension) {
  struct Case {
    Text path;
    LocalTime t;
    Text renamed;
  } cases[] = {
      {u"C:\\ProgramData\\Maravel\\Automation\\Logfiles\\Demo.txt", {2026, 12, 8, 23, 1, 59},
       u"C:\\ProgramData\\Maravel\\Automation\\Logfiles\\Demo_08Dec2026_23-01-59.txt"},
      {u"C:\\L\\Demo.Library.log", {2025, 5, 27, 0, 0, 0}, u"C:\\L\\Demo.Library_27May2025_00-00-00.log"},
      {u"C:\\L\\noext", {2026, 1, 31, 9, 5, 7}, u"C:\\L\\noext_31Jan2026_09-05-07"},
      {u"C:\\L.d\\noext", {2026, 2, 1, 12, 0, 0}, u"C:\\L.d\\noext_01Feb2026_12-00-00"},
  };
  for (const Case& c : cases) EXPECT_EQ(DatedLogPath(c.path, c.t), c.renamed) << ToUtf8(c.path);
}

}  // namespace
}  // namespace tovu
