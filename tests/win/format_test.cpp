// The formatter's cases under Wine: the same characters as natively; and
// the precisions of integers as the platform's C runtime prints them.
#include "../native/format_test.cpp"

#include <cwchar>
#include <string>

namespace tovu {
namespace {

TEST(FormatOnWindows, IntegerPrecisionsAsTheCRuntimePrintsThem) {
  for (const IntegerCase& c : kIntegerPrecisions) {
    if (!c.crt) continue;
    const Text format(c.format);
    const std::wstring wide(format.begin(), format.end());
    wchar_t buffer[1024];
    const int n = format.find(u"I64") != Text::npos
                      ? _snwprintf(buffer, 1024, wide.c_str(), static_cast<long long>(c.value))
                      : _snwprintf(buffer, 1024, wide.c_str(), static_cast<int>(c.value));
    ASSERT_GE(n, 0) << ToUtf8(format);
    EXPECT_EQ(Format(c.format, c.value), Text(buffer, buffer + n)) << ToUtf8(format);
  }
}

}  // namespace
}  // namespace tovu
