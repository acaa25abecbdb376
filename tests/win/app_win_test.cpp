// The application's Windows services on the real platform: the
// single-instance mutex in the logon's local namespace, GUIDs for the Tovu
// temp folder, GDI+ start and shutdown through the flat API, OLE and the
// UI language.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <string>

#include "app/fennock_app.h"
#include "app/win32/single_instance.h"
#include "app/win32/win32_app_services.h"
#include "platform/win32/win32_platform.h"

namespace tovu {
namespace {

bool LocalMutexExists() {
  HANDLE h = ::OpenMutexW(SYNCHRONIZE, FALSE, L"Local\\{AA16C87C-7BE6-4670-8526-4D402D18B369}");
  if (h == nullptr) return false;
  ::CloseHandle(h);
  return true;
}

TEST(SingleInstance, SecondGuardInTheSameLogonSeesTheFirst) {
  const Text name = kSingleInstanceMutexName;
  {
    CSingleInstance first(W(name));
    EXPECT_FALSE(first.IsAnotherInstanceRunning()) << first.GetCreateError();
    EXPECT_TRUE(LocalMutexExists());
    {
      CSingleInstance second(W(name));
      EXPECT_TRUE(second.IsAnotherInstanceRunning());
      EXPECT_EQ(second.GetCreateError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    }
    // The mutex is not owned: the first guard's holder keeps no lock that a
    // wait elsewhere would hang on.
    HANDLE h = ::OpenMutexW(SYNCHRONIZE, FALSE, L"Local\\{AA16C87C-7BE6-4670-8526-4D402D18B369}");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(::WaitForSingleObject(h, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    ::ReleaseMutex(h);
    ::CloseHandle(h);
  }
  EXPECT_FALSE(LocalMutexExists());
  CSingleInstance again(W(name));
  EXPECT_FALSE(again.IsAnotherInstanceRunning());
}

TEST(SingleInstance, ServicesCloseTheGuardForTheNextRun) {
  Win32AppServices services;
  EXPECT_FALSE(services.CreateSingleInstance());
  Win32AppServices other;
  EXPECT_TRUE(other.CreateSingleInstance());
  other.CloseSingleInstance();
  services.CloseSingleInstance();
  EXPECT_FALSE(LocalMutexExists());
}

TEST(NewGuid, RegistryFormatWithUpperCaseDigits) {
  Win32Platform platform;
  Text a, b;
  ASSERT_EQ(platform.NewGuid(a), 0u);
  ASSERT_EQ(platform.NewGuid(b), 0u);
  EXPECT_NE(a, b);
  for (const Text& g : {a, b}) {
    ASSERT_EQ(g.size(), 38u) << ToUtf8(g);
    for (size_t i = 0; i < g.size(); ++i) {
      const char16_t c = g[i];
      if (i == 0) EXPECT_EQ(c, u'{');
      else if (i == 37) EXPECT_EQ(c, u'}');
      else if (i == 9 || i == 14 || i == 19 || i == 24) EXPECT_EQ(c, u'-');
      else EXPECT_TRUE((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')) << ToUtf8(g);
    }
    // The system reads it back to the same GUID and spells it the same way.
    GUID parsed;
    ASSERT_EQ(::CLSIDFromString(const_cast<LPOLESTR>(W(g)), &parsed), S_OK) << ToUtf8(g);
    wchar_t back[64];
    ASSERT_EQ(::StringFromGUID2(parsed, back, 64), 39);
    EXPECT_EQ(FromW(back), g);
  }
}

TEST(AppServices, ImageLibraryOleAndLanguage) {
  Win32AppServices services;
  uintptr_t token = 0;
  ASSERT_TRUE(services.StartImageLibrary(token));
  EXPECT_NE(token, 0u);
  services.ShutdownImageLibrary(token);

  ASSERT_TRUE(services.InitializeOle());
  services.UninitializeOle();

  EXPECT_EQ(services.GetUILanguage(), static_cast<int>(::GetUserDefaultUILanguage()));
  EXPECT_GE(Win32Platform().WindowsMajorVersion(), 5u);
}

}  // namespace
}  // namespace tovu
