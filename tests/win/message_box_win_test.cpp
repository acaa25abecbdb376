// The application's message-box routine under Wine: for each requested
// style the real box shows the mapped buttons with the captions of the
// run's message texts (or the built-in English ones), the mapped default
// button, the caption given, and returns the button pressed. A second
// thread finds the box, reads it and presses a button.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

#include "app/win32/message_box.h"
#include "platform/win32/win32_platform.h"
#include "settings/builtin_messages.h"
#include "settings/messages.h"

namespace tovu {
namespace {

std::string U8(const Text& t) { return ToUtf8(t); }

// The texts of a run in another language: every button message differs
// from the built-in English one.
class GermanTexts : public IBuiltInMessageTexts {
 public:
  Text LoadText(int id) override {
    switch (id) {
      case 405: return u"&OK-de";
      case 406: return u"&Abbrechen";
      case 702: return u"&Ja";
      case 704: return u"&Nein";
      default: return GetBuiltInMessageText(id);
    }
  }
};

struct SeenBox {
  bool found = false;
  std::string caption;
  std::string text;
  std::map<int, std::string> buttons;  // by ID
  int defaultId = 0;
  HICON icon = nullptr;
};

std::string WindowText(HWND h) {
  wchar_t buffer[512] = {};
  int n = ::GetWindowTextW(h, buffer, 512);
  return U8(FromW(buffer, size_t(n)));
}

struct FindBox {
  HWND box = nullptr;
  static BOOL CALLBACK Proc(HWND h, LPARAM l) {
    wchar_t cls[64] = {};
    ::GetClassNameW(h, cls, 64);
    if (std::wstring(cls) == L"#32770" && ::IsWindowVisible(h)) {
      reinterpret_cast<FindBox*>(l)->box = h;
      return FALSE;
    }
    return TRUE;
  }
};

struct Children {
  SeenBox* seen;
  static BOOL CALLBACK Proc(HWND h, LPARAM l) {
    auto* self = reinterpret_cast<Children*>(l);
    wchar_t cls[64] = {};
    ::GetClassNameW(h, cls, 64);
    const std::wstring c(cls);
    const int id = ::GetDlgCtrlID(h);
    if (_wcsicmp(c.c_str(), L"Button") == 0) {
      self->seen->buttons[id] = WindowText(h);
      if ((::GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) self->seen->defaultId = id;
    }
    else if (_wcsicmp(c.c_str(), L"Static") == 0) {
      HICON icon = reinterpret_cast<HICON>(::SendMessageW(h, STM_GETICON, 0, 0));
      if (icon != nullptr) self->seen->icon = icon;
      else if (!WindowText(h).empty()) self->seen->text = WindowText(h);
    }
    return TRUE;
  }
};

// Shows the box on this thread while another thread reads it and presses
// `press`; returns what the routine returned.
int ShowAndPress(const Text& text, uint32_t style, const Text& caption, const CMessageCatalog* messages, int press,
                 SeenBox& seen) {
  const DWORD thread = ::GetCurrentThreadId();
  std::thread reader([&] {
    for (int i = 0; i < 400 && !seen.found; ++i) {
      ::Sleep(25);
      FindBox f;
      ::EnumThreadWindows(thread, FindBox::Proc, reinterpret_cast<LPARAM>(&f));
      if (f.box == nullptr) continue;
      ::Sleep(50);  // the box has been activated and its captions set
      seen.found = true;
      seen.caption = WindowText(f.box);
      Children c{&seen};
      ::EnumChildWindows(f.box, Children::Proc, reinterpret_cast<LPARAM>(&c));
      ::PostMessageW(f.box, WM_COMMAND, MAKEWPARAM(press, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(f.box, press)));
    }
  });
  const int pressed = ShowTovuMessageBox(text, style, caption, messages);
  reader.join();
  return pressed;
}

TEST(MessageBoxRoutine, StylesCaptionsDefaultsAndTheButtonPressed) {
  GermanTexts german;
  CMessageCatalog messages(Platform(), german);
  struct Case {
    uint32_t style;
    std::map<int, std::string> buttons;
    int defaultId;
    LPCWSTR icon;
    int press;
  };
  const std::vector<Case> cases = {
      {0x0, {{IDOK, "&OK-de"}}, IDOK, IDI_EXCLAMATION, IDOK},
      {0x1, {{IDOK, "&OK-de"}, {IDCANCEL, "&Abbrechen"}}, IDCANCEL, IDI_EXCLAMATION, IDCANCEL},
      // Yes/No/Cancel gets the built-in captions, whatever the language.
      {0x3, {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "&Cancel"}}, IDCANCEL, IDI_QUESTION, IDNO},
      {0x4, {{IDYES, "&Ja"}, {IDNO, "&Nein"}}, IDNO, IDI_QUESTION, IDYES},
      {0x10, {{IDOK, "&OK-de"}}, IDOK, IDI_HAND, IDOK},
      {0x11, {{IDOK, "&OK-de"}, {IDCANCEL, "&Abbrechen"}}, IDCANCEL, IDI_HAND, IDOK},
      {0x34, {{IDYES, "&Ja"}, {IDNO, "&Nein"}}, IDNO, IDI_EXCLAMATION, IDNO},
      // Any other style is shown as asked, with the built-in captions.
      {0x24, {{IDYES, "&Yes"}, {IDNO, "&No"}}, IDYES, IDI_QUESTION, IDYES},
  };
  for (const Case& c : cases) {
    SeenBox seen;
    const int pressed = ShowAndPress(u"Text of the box", c.style, u"Tovu Demo 1.0", &messages, c.press, seen);
    ASSERT_TRUE(seen.found) << std::hex << c.style;
    EXPECT_EQ(pressed, c.press) << std::hex << c.style;
    EXPECT_EQ(seen.caption, "Tovu Demo 1.0") << std::hex << c.style;
    EXPECT_EQ(seen.text, "Text of the box") << std::hex << c.style;
    EXPECT_EQ(seen.buttons, c.buttons) << std::hex << c.style;
    EXPECT_EQ(seen.defaultId, c.defaultId) << std::hex << c.style;
    EXPECT_EQ(seen.icon, ::LoadIconW(nullptr, c.icon)) << std::hex << c.style;
  }
}

TEST(MessageBoxRoutine, WithoutMessageTextsOrCaptionTheBuiltInTextsAndTheProgramPathServe) {
  SeenBox seen;
  EXPECT_EQ(ShowAndPress(u"x", MB_OKCANCEL, u"", nullptr, IDOK, seen), IDOK);
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.buttons, (std::map<int, std::string>{{IDOK, "&OK"}, {IDCANCEL, "&Cancel"}}));
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  EXPECT_EQ(seen.caption, U8(FromW(path)));
  // Abort/Retry/Ignore keeps the system's buttons.
  SeenBox second;
  EXPECT_EQ(ShowAndPress(u"y", 0x2, u"plain", nullptr, IDRETRY, second), IDRETRY);
  EXPECT_EQ(second.buttons.size(), 3u);
}

TEST(MessageBoxRoutine, StyleTable) {
  MessageBoxButtonMap captions;
  EXPECT_EQ(MapMessageBoxStyle(0x4 | 0x1000, nullptr, captions), 0x1004u);  // system modal: as asked
  EXPECT_TRUE(captions.empty());
  EXPECT_EQ(MapMessageBoxStyle(0x1, nullptr, captions), 0x131u);
  EXPECT_EQ(U8(captions[IDCANCEL]), "&Cancel");
  EXPECT_EQ(U8(BuiltInButtonCaption(IDYES)), "&Yes");
  EXPECT_EQ(U8(BuiltInButtonCaption(IDRETRY)), "");
}

}  // namespace
}  // namespace tovu
