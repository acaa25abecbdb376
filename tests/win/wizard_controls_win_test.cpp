// The wizard's owner-drawn button and its question dialogs as real windows
// under Wine: clicks reach the owner as WM_WIZARD_BUTTON and never as
// BN_CLICKED, the face is painted from the look, and the password,
// overwrite and folder-contents dialogs answer, log and lay out as they
// should (driven from a second thread while they run modally).
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "cabinet/cab_decompressor.h"
#include "platform/win32/win32_platform.h"
#include "settings/messages.h"
#include "support/captured_log.h"
#include "ui/button_skin.h"
#include "ui/win32/label_text.h"
#include "ui/win32/question_dialogs.h"
#include "ui/win32/tovu_button.h"

namespace tovu {
namespace {

using test::CaptureLog;

std::string U8(const Text& t) { return ToUtf8(t); }

std::string WindowText(HWND h) {
  wchar_t buffer[1024] = {};
  const int n = ::GetWindowTextW(h, buffer, 1024);
  return U8(FromW(buffer, size_t(n > 0 ? n : 0)));
}

bool Eventually(const std::function<bool()>& condition, int ms = 5000) {
  for (int waited = 0; waited < ms; waited += 10) {
    if (condition()) return true;
    ::Sleep(10);
  }
  return condition();
}

void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

bool IsGrey(COLORREF c) { return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c); }

// ---- the button ----------------------------------------------------------------

struct OwnerEvent {
  UINT message;
  WPARAM wParam;
};
std::vector<OwnerEvent> g_ownerEvents;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_WIZARD_BUTTON) {
    g_ownerEvents.push_back({message, wParam});
    return 77;
  }
  if (message == WM_COMMAND) g_ownerEvents.push_back({message, wParam});
  if (message == WM_DRAWITEM && CTovuButton::HandleDrawItem(lParam)) return TRUE;
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

class Button : public ::testing::Test {
 protected:
  Button() {
    static const bool registered = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = OwnerProc;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
      wc.lpszClassName = L"TovuButtonOwner";
      return ::RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    owner = ::CreateWindowExW(0, L"TovuButtonOwner", L"owner", WS_OVERLAPPEDWINDOW, 10, 10, 400, 200,
                              nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    g_ownerEvents.clear();
  }
  ~Button() override {
    button.reset();
    if (owner != nullptr) ::DestroyWindow(owner);
  }
  CTovuButton& Make(int id, const Text& caption = u"&Next >") {
    button = std::make_unique<CTovuButton>(caption, owner);
    const RECT r{20, 20, 128, 50};
    EXPECT_TRUE(button->Create(caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP, r, owner, id));
    return *button;
  }
  // The button's client area as PrintWindow draws it.
  std::vector<COLORREF> Print(int& width, int& height) {
    RECT client{};
    ::GetClientRect(button->GetHwnd(), &client);
    width = client.right;
    height = client.bottom;
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::PrintWindow(button->GetHwnd(), dc, PW_CLIENTONLY);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) pixels.push_back(::GetPixel(dc, x, y));
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return pixels;
  }
  HWND owner = nullptr;
  std::unique_ptr<CTovuButton> button;
};

TEST_F(Button, ClicksReachTheOwnerAsWizardButtonOnly) {
  enum Action { Click, ReleaseInside, ReleaseOutside };
  struct Case {
    const char* name;
    int id;
    bool enabled;
    Action action;
    bool reported;
  } cases[] = {
      {"BM_CLICK on Next", 0x3024, true, Click, true},
      {"BM_CLICK on Cancel", IDCANCEL, true, Click, true},
      {"BM_CLICK on Browse", 1001, true, Click, true},
      {"release on Yes to All", 1027, true, ReleaseInside, true},
      {"release on Finish", 0x3025, true, ReleaseInside, true},
      {"BM_CLICK on an ID not listed", 1234, true, Click, false},
      {"release on an ID not listed", IDOK, true, ReleaseInside, false},
      {"release outside the button", 0x3023, true, ReleaseOutside, false},
      {"BM_CLICK on a disabled button", 1024, false, Click, false},
  };
  for (const Case& c : cases) {
    CTovuButton& b = Make(c.id);
    ::EnableWindow(b.GetHwnd(), c.enabled ? TRUE : FALSE);
    g_ownerEvents.clear();
    LRESULT result = 0;
    switch (c.action) {
      case Click: result = ::SendMessageW(b.GetHwnd(), BM_CLICK, 0, 0); break;
      case ReleaseInside:
        ::SendMessageW(b.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        result = ::SendMessageW(b.GetHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
        break;
      case ReleaseOutside:
        ::SendMessageW(b.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        ::SendMessageW(b.GetHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(300, 10));
        break;
    }
    Pump();
    std::vector<WPARAM> reports, commands;
    for (const OwnerEvent& e : g_ownerEvents) (e.message == WM_WIZARD_BUTTON ? reports : commands).push_back(e.wParam);
    EXPECT_TRUE(commands.empty()) << c.name << ": WM_COMMAND " << std::hex << commands.front();
    if (c.reported) {
      ASSERT_EQ(reports.size(), 1u) << c.name;
      EXPECT_EQ(reports.front(), WPARAM(c.id)) << c.name;
      if (c.action == ReleaseInside) {
        EXPECT_EQ(result, 77) << c.name << ": the owner's answer";
      }
    } else {
      EXPECT_TRUE(reports.empty()) << c.name;
    }
    // No press or capture is left behind.
    EXPECT_NE(::GetCapture(), b.GetHwnd()) << c.name;
    EXPECT_EQ(::SendMessageW(b.GetHwnd(), BM_GETSTATE, 0, 0) & BST_PUSHED, 0) << c.name;
  }
}

TEST_F(Button, IsOwnerDrawnAndKeepsItUnderTheDialogManager) {
  CTovuButton& b = Make(0x3024);
  EXPECT_EQ(::GetWindowLongW(b.GetHwnd(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_EQ(CTovuButton::FromHwnd(b.GetHwnd()), &b);
  EXPECT_EQ(CTovuButton::FromHwnd(owner), nullptr);
  ::SendMessageW(b.GetHwnd(), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  EXPECT_EQ(::GetWindowLongW(b.GetHwnd(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
}

TEST_F(Button, CaptionChangesOnlyWhenItDiffersBeyondLetterCase) {
  CTovuButton& b = Make(0x3024, u"&Next >");
  b.SetCaption(u"&NEXT >");
  EXPECT_EQ(U8(b.GetCaption()), "&Next >");
  EXPECT_EQ(WindowText(b.GetHwnd()), "&Next >");
  b.SetCaption(u"&Retry");
  EXPECT_EQ(U8(b.GetCaption()), "&Retry");
  EXPECT_EQ(WindowText(b.GetHwnd()), "&Retry");
}

TEST_F(Button, MouseMovesAndLeavesSwitchTheLook) {
  struct Case {
    const char* name;
    int whiteFace;
    int focus;
    int hoverAfter;
    Rgb faceAfter;
    Rgb highlightAfter;
  } cases[] = {
      {"plain", 0, 0, 0, kButtonDefaultFace, kButtonHoverHighlight},
      {"white face", 1, 0, 0, kButtonWhiteFace, kButtonHoverHighlight},
      {"focused", 0, 1, 1, kButtonDefaultFace, kButtonFocusHighlight},
  };
  for (const Case& c : cases) {
    CTovuButton& b = Make(0x3024);
    b.SetWhiteFaceFlag(c.whiteFace);
    b.SetFocusFlag(c.focus);
    b.NormalLook();
    ::SendMessageW(b.GetHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(b.GetHoverFlag(), 1) << c.name;
    EXPECT_EQ(b.GetLook().tracking, 1) << c.name;
    EXPECT_EQ(b.GetLook().highlight, kButtonHoverHighlight) << c.name;
    ::SendMessageW(b.GetHwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(b.GetHoverFlag(), c.hoverAfter) << c.name;
    EXPECT_EQ(b.GetLook().tracking, 0) << c.name;
    EXPECT_EQ(b.GetLook().face, c.faceAfter) << c.name;
    if (c.hoverAfter) {
      EXPECT_EQ(b.GetLook().highlight, c.highlightAfter) << c.name;
    }
    ::ReleaseCapture();
  }
}

TEST_F(Button, PaintsTheFaceOfItsLook) {
  CTovuButton& b = Make(0x3024, u"");
  const COLORREF background = RGB(10, 20, 30);
  b.SetBackgroundColour(background);
  b.NormalLook();
  int w = 0, h = 0;
  std::vector<COLORREF> pixels = Print(w, h);
  ASSERT_EQ(w, 108);
  ASSERT_EQ(h, 30);
  auto at = [&](int x, int y) { return pixels[size_t(y) * size_t(w) + size_t(x)]; };
  // The corners lie outside the rounded face; the middle shows the grey face.
  EXPECT_EQ(at(0, 0), background);
  EXPECT_EQ(at(w - 1, h - 1), background);
  EXPECT_TRUE(IsGrey(at(w / 2, h / 2))) << std::hex << at(w / 2, h / 2);
  EXPECT_NE(at(w / 2, h / 2), background);
  EXPECT_NE(at(w / 2, h / 2), RGB(0, 0, 0));

  // Enabled and focused: the rim is coloured. Without the enabled look the
  // same look has no colour anywhere (the caption is empty).
  b.SetBackgroundColour(RGB(240, 240, 240));
  for (int enabled : {1, 0}) {
    b.SetEnabledLook(enabled);
    b.FocusedLook();
    pixels = Print(w, h);
    bool coloured = false;
    for (COLORREF c : pixels) coloured = coloured || !IsGrey(c);
    EXPECT_EQ(coloured, enabled == 1) << "enabled look " << enabled;
  }
}

TEST_F(Button, ShowsOnTheScreenAndDrawsForAForwardingParent) {
  // The owner is hidden in the other tests (a window shown under Wine takes
  // long to go away again).
  ::ShowWindow(owner, SW_SHOW);
  CTovuButton& b = Make(0x3024, u"&Next >");
  b.SetBackgroundColour(RGB(10, 20, 30));
  b.HoverLook();
  ::UpdateWindow(owner);
  Pump();
  HDC dc = ::GetDC(b.GetHwnd());
  const COLORREF corner = ::GetPixel(dc, 0, 0);
  ::ReleaseDC(b.GetHwnd(), dc);
  EXPECT_EQ(corner, RGB(10, 20, 30));

  // A parent's WM_DRAWITEM passed to HandleDrawItem draws the face into its DC.
  HDC screen = ::GetDC(nullptr);
  HDC mem = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 200, 60);
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ old = ::SelectObject(mem, bitmap);
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.CtlID = 0x3024;
  item.itemAction = ODA_DRAWENTIRE;
  item.hwndItem = b.GetHwnd();
  item.hDC = mem;
  item.rcItem = RECT{50, 10, 158, 40};
  EXPECT_TRUE(CTovuButton::HandleDrawItem(reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(::GetPixel(mem, 50, 10), RGB(10, 20, 30));
  item.hwndItem = owner;
  EXPECT_FALSE(CTovuButton::HandleDrawItem(reinterpret_cast<LPARAM>(&item)));
  ::SelectObject(mem, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(mem);
}

// ---- the dialogs ---------------------------------------------------------------

class Dialogs : public ::testing::Test {
 protected:
  Dialogs() : log(platform), messages(platform) {
    SetPlatform(&platform);
    caption = u"Tovu Controls " + Widen(std::to_string(::GetCurrentProcessId())) + u" " +
              Widen(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  WizardDialogServices Services() {
    WizardDialogServices s{messages, log, caption, {}, {}};
    s.messageBox = [this](const Text& text, uint32_t style) {
      boxTexts.push_back(U8(text));
      boxStyles.push_back(style);
      ++boxCalls;
      return IDOK;
    };
    s.cancelPath = [this] {
      const int answer = cancelCalls < int(cancelAnswers.size()) ? cancelAnswers[size_t(cancelCalls)] : 0;
      ++cancelCalls;
      return answer;
    };
    return s;
  }
  // Runs the dialog modally on this thread while `script` drives it from
  // another; a dialog still open 10 s after the script is ended with -99.
  INT_PTR RunDriven(CDialog& dialog, const std::function<void(HWND)>& script) {
    std::thread driver([&] {
      HWND h = nullptr;
      Eventually([&] { return (h = ::FindWindowW(L"#32770", W(caption))) != nullptr && ::IsWindowVisible(h); },
                 10000);
      if (h != nullptr) {
        ::Sleep(50);
        script(h);
      }
      if (!Eventually([&] { return dialog.IsEnded() || h == nullptr || !::IsWindow(h); }, 10000))
        dialog.EndDialog(-99);
    });
    const INT_PTR result = dialog.DoModal();
    driver.join();
    return result;
  }
  static HWND FocusOf(HWND dialog) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
  }
  static RECT RectIn(HWND dialog, int id) {
    RECT r{};
    ::GetWindowRect(::GetDlgItem(dialog, id), &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  static bool HasBitmapPicture(HWND dialog) {
    bool found = false;
    for (HWND c = ::GetWindow(dialog, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT))
      if ((::GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) found = true;
    return found;
  }
  bool Logged(int level, const char16_t* function, const char16_t* text) const {
    for (const auto& l : log.lines)
      if (l.level == level && l.function == function && l.message == text) return true;
    return false;
  }

  Win32Platform platform;
  CaptureLog log;
  CMessageCatalog messages;
  Text caption;
  std::vector<std::string> boxTexts;
  std::vector<uint32_t> boxStyles;
  std::atomic<int> boxCalls{0};
  std::vector<int> cancelAnswers;
  std::atomic<int> cancelCalls{0};
};

TEST_F(Dialogs, FileOverwriteAnswersEachButton) {
  const struct {
    int id;
    int result;
    const char16_t* log;
  } cases[] = {
      {1024, OVERWRITE_YES, u"User Clicked on 'Yes' button"},
      {1027, OVERWRITE_YES_TO_ALL, u"User Clicked on 'Yes To All' button"},
      {1028, OVERWRITE_NO, u"User Clicked on 'No' button"},
      {1029, OVERWRITE_NO_TO_ALL, u"User Clicked on 'No To All' button"},
      {IDCANCEL, OVERWRITE_CANCEL, u"User Clicked on 'Cancel' button"},
  };
  for (const auto& c : cases) {
    log.lines.clear();
    CFileOverwrite dialog(Services(), u"setup.msi");
    const INT_PTR result =
        RunDriven(dialog, [&](HWND h) { ::PostMessageW(::GetDlgItem(h, c.id), BM_CLICK, 0, 0); });
    EXPECT_EQ(result, c.result) << c.id;
    EXPECT_EQ(dialog.GetResult(), c.result) << c.id;
    EXPECT_TRUE(Logged(8, u"Overwrite dialog", c.log)) << c.id;
    EXPECT_EQ(log.lines.size(), 1u) << c.id;
  }
}

TEST_F(Dialogs, FileOverwriteShowsItsTextsAndButtons) {
  const Text longName = Text(300, u'x') + u"-the-end-of-it.cab";
  CFileOverwrite dialog(Services(), longName);
  struct Seen {
    std::string caption, head, file, question, captions[5];
    RECT client{}, question_rect{}, buttons[5]{};
    HWND focus = nullptr, yes = nullptr, secondFocus = nullptr, afterArrow = nullptr, no = nullptr;
    LRESULT defId = 0, defIdAfterTab = 0, defIdAfterArrow = 0;
    int noHoverAfterArrow = -1;
    bool picture = false, openAfterEsc = false;
    int yesHover = -1, yesToAllHover = -1;
    LRESULT labelBrush = 0;
    int labelBkMode = 0;
  } seen;
  const int ids[5] = {1024, 1027, 1028, 1029, IDCANCEL};
  const INT_PTR result = RunDriven(dialog, [&](HWND h) {
    seen.caption = WindowText(h);
    seen.head = WindowText(::GetDlgItem(h, 1025));
    seen.file = WindowText(::GetDlgItem(h, 1030));
    seen.question = WindowText(::GetDlgItem(h, 1026));
    ::GetClientRect(h, &seen.client);
    seen.question_rect = RectIn(h, 1026);
    for (int i = 0; i < 5; ++i) {
      seen.captions[i] = WindowText(::GetDlgItem(h, ids[i]));
      seen.buttons[i] = RectIn(h, ids[i]);
    }
    seen.picture = HasBitmapPicture(h);
    // Labels are drawn transparently on the dialog's background.
    HWND label = ::GetDlgItem(h, 1025);
    HDC labelDc = ::GetDC(label);
    seen.labelBrush = ::SendMessageW(h, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(labelDc),
                                     reinterpret_cast<LPARAM>(label));
    seen.labelBkMode = ::GetBkMode(labelDc);
    ::ReleaseDC(label, labelDc);
    seen.focus = FocusOf(h);
    seen.yes = ::GetDlgItem(h, 1024);
    seen.defId = LOWORD(::SendMessageW(h, DM_GETDEFID, 0, 0));
    // Tab moves the focus, the focused look and the default to Yes to All.
    ::PostMessageW(seen.focus, WM_KEYDOWN, VK_TAB, 0);
    Eventually([&] { return FocusOf(h) == ::GetDlgItem(h, 1027); });
    seen.secondFocus = FocusOf(h);
    seen.defIdAfterTab = LOWORD(::SendMessageW(h, DM_GETDEFID, 0, 0));
    seen.yesHover = CTovuButton::FromHwnd(::GetDlgItem(h, 1024))->GetHoverFlag();
    seen.yesToAllHover = CTovuButton::FromHwnd(::GetDlgItem(h, 1027))->GetHoverFlag();
    // An arrow key moves on to No, which becomes the default.
    ::PostMessageW(seen.secondFocus, WM_KEYDOWN, VK_RIGHT, 0);
    ::PostMessageW(seen.secondFocus, WM_KEYUP, VK_RIGHT, 0);
    Eventually([&] { return LOWORD(::SendMessageW(h, DM_GETDEFID, 0, 0)) == 1028; });
    seen.afterArrow = FocusOf(h);
    seen.no = ::GetDlgItem(h, 1028);
    seen.defIdAfterArrow = LOWORD(::SendMessageW(h, DM_GETDEFID, 0, 0));
    seen.noHoverAfterArrow = CTovuButton::FromHwnd(::GetDlgItem(h, 1028))->GetHoverFlag();
    // Esc does nothing; the Close command answers Cancel.
    ::PostMessageW(seen.afterArrow, WM_KEYDOWN, VK_ESCAPE, 0);
    ::PostMessageW(seen.afterArrow, WM_KEYUP, VK_ESCAPE, 0);
    ::Sleep(300);
    seen.openAfterEsc = !dialog.IsEnded() && ::IsWindow(h);
    ::PostMessageW(h, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(result, OVERWRITE_CANCEL);
  EXPECT_TRUE(seen.openAfterEsc);
  EXPECT_EQ(seen.caption, U8(caption));
  EXPECT_EQ(seen.head, "The following file already exists:");
  EXPECT_EQ(seen.question, "Do you want to overwrite this file?");
  // A name too long for its label keeps its end behind "...".
  ASSERT_GT(seen.file.size(), 20u);
  EXPECT_EQ(seen.file.substr(0, 3), "...");
  EXPECT_EQ(seen.file.substr(seen.file.size() - 18), "-the-end-of-it.cab");
  EXPECT_LT(seen.file.size(), U8(longName).size());
  const char* captions[5] = {"&Yes", "Y&es to All", "&No", "N&o to All", "&Cancel"};
  const int left = (seen.client.right - 5 * 95 - 8) / 2;
  const int rights[5] = {95, 190, 285, 380, 475};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(seen.captions[i], captions[i]);
    EXPECT_EQ(seen.buttons[i].right, left + rights[i]) << i;
    EXPECT_EQ(seen.buttons[i].left, i == 0 ? left : left + rights[i - 1] + 2) << i;
    EXPECT_EQ(seen.buttons[i].top, seen.question_rect.bottom + 3) << i;
    EXPECT_EQ(seen.buttons[i].bottom - seen.buttons[i].top, 30) << i;
  }
  EXPECT_TRUE(seen.picture) << "the picture control exists without its bitmap";
  EXPECT_EQ(seen.labelBrush, reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)));
  EXPECT_EQ(seen.labelBkMode, TRANSPARENT);
  EXPECT_EQ(seen.focus, seen.yes);
  EXPECT_EQ(seen.defId, 1024);
  EXPECT_EQ(seen.defIdAfterTab, 1027);
  EXPECT_EQ(seen.yesHover, 0);
  EXPECT_EQ(seen.yesToAllHover, 1);
  EXPECT_EQ(seen.afterArrow, seen.no);
  EXPECT_EQ(seen.defIdAfterArrow, 1028);
  EXPECT_EQ(seen.noHoverAfterArrow, 1);
  EXPECT_TRUE(Logged(8, u"Overwrite dialog", u"User Clicked on 'Cancel' button"));
}

TEST_F(Dialogs, FolderDeleteAnswersAndLaysOut) {
  struct Case {
    const char* name;
    int id;
    std::vector<int> cancelAnswers;
    INT_PTR result;
    int stored;
    const char16_t* log;
  } cases[] = {
      {"Yes", 1024, {}, OVERWRITE_YES, OVERWRITE_YES, u"User Clicked on 'Yes' button"},
      {"No", 1028, {}, OVERWRITE_NO, OVERWRITE_NO, u"User Clicked on 'No' button"},
      // Cancel answered No stays open; the second Cancel is confirmed.
      {"Cancel", IDCANCEL, {-1, 0}, 0, OVERWRITE_CANCEL, nullptr},
  };
  const Text folder = u"C:\\" + Text(200, u'd') + u"\\Product\\Extract\\";
  for (const Case& c : cases) {
    log.lines.clear();
    cancelAnswers = c.cancelAnswers;
    cancelCalls = 0;
    CFolderdelete dialog(Services(), folder);
    std::string path, head, question;
    RECT client{}, questionRect{}, buttons[3]{};
    bool openAfterFirst = false;
    const int ids[3] = {1024, 1028, IDCANCEL};
    const INT_PTR result = RunDriven(dialog, [&](HWND h) {
      path = WindowText(::GetDlgItem(h, 1069));
      head = WindowText(::GetDlgItem(h, 1068));
      question = WindowText(::GetDlgItem(h, 1070));
      ::GetClientRect(h, &client);
      questionRect = RectIn(h, 1070);
      for (int i = 0; i < 3; ++i) buttons[i] = RectIn(h, ids[i]);
      ::PostMessageW(::GetDlgItem(h, c.id), BM_CLICK, 0, 0);
      if (c.cancelAnswers.size() > 1) {
        Eventually([&] { return cancelCalls == 1; });
        ::Sleep(200);
        openAfterFirst = !dialog.IsEnded() && ::IsWindow(h);
        ::PostMessageW(h, WM_CLOSE, 0, 0);  // the Close command is Cancel too
      }
    });
    EXPECT_EQ(result, c.result) << c.name;
    EXPECT_EQ(dialog.GetResult(), c.stored) << c.name;
    if (c.log != nullptr) {
      EXPECT_TRUE(Logged(8, u"FolderDelete dialog", c.log)) << c.name;
      EXPECT_EQ(cancelCalls.load(), 0) << c.name;
    } else {
      EXPECT_TRUE(openAfterFirst) << c.name;
      EXPECT_EQ(cancelCalls.load(), 2) << c.name;
      EXPECT_TRUE(log.lines.empty()) << c.name;
    }
    EXPECT_EQ(head, "The following destination folder already exists:");
    EXPECT_EQ(question, "Do you want to delete its contents?");
    EXPECT_EQ(path.substr(0, 3), "...") << path;
    EXPECT_EQ(path.substr(path.size() - 17), "\\Product\\Extract\\") << path;
    const int left = int((client.right - (95 * 3.04 + 44)) * 0.5);
    const int lefts[3] = {0, 117, 234};
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(buttons[i].left, left + lefts[i]) << i;
      EXPECT_EQ(buttons[i].right, left + lefts[i] + 95) << i;
      EXPECT_EQ(buttons[i].top, questionRect.bottom + 3) << i;
    }
  }
}

TEST_F(Dialogs, PasswordPromptChecksTheTypedPassword) {
  CExtractPassword dialog(Services(), u"Secret");
  struct {
    std::string caption, prompt, ok, cancel, editAfterWrong;
    bool okAtStart = true, okAfterTyping = false, okAfterWrong = true, password = false;
    int boxesAfterEmptyEnter = -1;
    LRESULT limit = 0;
    HWND focus = nullptr, edit = nullptr;
  } seen;
  const INT_PTR result = RunDriven(dialog, [&](HWND h) {
    HWND edit = ::GetDlgItem(h, 1054), ok = ::GetDlgItem(h, IDOK);
    seen.edit = edit;
    seen.focus = FocusOf(h);
    seen.caption = WindowText(h);
    seen.prompt = WindowText(::GetDlgItem(h, 1055));
    seen.ok = WindowText(ok);
    seen.cancel = WindowText(::GetDlgItem(h, IDCANCEL));
    seen.limit = ::SendMessageW(edit, EM_GETLIMITTEXT, 0, 0);
    seen.password = (::GetWindowLongW(edit, GWL_STYLE) & ES_PASSWORD) != 0;
    seen.okAtStart = ::IsWindowEnabled(ok) != FALSE;
    // Enter on the empty box does not try the password.
    ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    ::Sleep(300);
    seen.boxesAfterEmptyEnter = boxCalls;
    // The comparison is exact: a different letter case is wrong.
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"secret"));
    seen.okAfterTyping = ::IsWindowEnabled(ok) != FALSE;
    ::PostMessageW(ok, BM_CLICK, 0, 0);
    Eventually([&] { return boxCalls == 1; });
    ::Sleep(100);
    seen.editAfterWrong = WindowText(edit);
    seen.okAfterWrong = ::IsWindowEnabled(ok) != FALSE;
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Secret"));
    ::PostMessageW(ok, BM_CLICK, 0, 0);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(seen.caption, U8(caption));
  EXPECT_EQ(seen.prompt, "Enter password for extraction:");
  EXPECT_EQ(seen.ok, "&OK");
  EXPECT_EQ(seen.cancel, "&Cancel");
  EXPECT_EQ(seen.limit, 50);
  EXPECT_TRUE(seen.password);
  EXPECT_EQ(seen.focus, seen.edit);
  EXPECT_FALSE(seen.okAtStart);
  EXPECT_EQ(seen.boxesAfterEmptyEnter, 0);
  EXPECT_TRUE(seen.okAfterTyping);
  EXPECT_EQ(seen.editAfterWrong, "");
  EXPECT_FALSE(seen.okAfterWrong);
  ASSERT_EQ(boxTexts.size(), 1u);
  EXPECT_EQ(boxTexts[0], "Invalid password.\nEnter the correct password.");
  EXPECT_EQ(boxStyles[0], uint32_t(MB_OK | MB_ICONERROR));
  EXPECT_TRUE(Logged(0, u"OnBnClickedOk", u"Password provided by user is invalid"));
  EXPECT_TRUE(Logged(8, u"OnBnClickedOk", u"Password provided by user is correct"));
  EXPECT_EQ(cancelCalls.load(), 0);
}

TEST_F(Dialogs, PasswordPromptEndsOnlyOnAConfirmedCancel) {
  // Esc answered "stay", the Close command answered "stay", Cancel confirmed.
  cancelAnswers = {-1, 1001, 0};
  CExtractPassword dialog(Services(), u"Secret");
  std::vector<int> callsAfter;
  bool openBeforeLast = false;
  const INT_PTR result = RunDriven(dialog, [&](HWND h) {
    ::PostMessageW(::GetDlgItem(h, 1054), WM_KEYDOWN, VK_ESCAPE, 0);
    Eventually([&] { return cancelCalls == 1; });
    callsAfter.push_back(cancelCalls);
    ::PostMessageW(h, WM_CLOSE, 0, 0);
    Eventually([&] { return cancelCalls == 2; });
    callsAfter.push_back(cancelCalls);
    ::Sleep(200);
    openBeforeLast = !dialog.IsEnded() && ::IsWindow(h);
    ::PostMessageW(::GetDlgItem(h, IDCANCEL), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(callsAfter, (std::vector<int>{1, 2}));
  EXPECT_TRUE(openBeforeLast);
  EXPECT_EQ(cancelCalls.load(), 3);
  EXPECT_EQ(boxCalls.load(), 0);
}

// A label's text is measured in the label's own font and fitted to it.
TEST(LabelText, FitsToTheLabelInItsFont) {
  HWND label = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | SS_LEFT, 0, 0, 120, 20, nullptr, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(label, nullptr);
  LOGFONTW lf{};
  lf.lfHeight = 15;
  ::lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
  HFONT font = ::CreateFontIndirectW(&lf);
  ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  const Text longText = Text(u"The quick brown fox jumps over the lazy dog and keeps running");
  const TextExtent extent = MeasureLabelText(label, longText);
  EXPECT_GT(extent.width, 120);
  EXPECT_GT(extent.height, 0);
  // Wider in a bigger font.
  lf.lfHeight = 30;
  HFONT big = ::CreateFontIndirectW(&lf);
  ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(big), FALSE);
  EXPECT_GT(MeasureLabelText(label, longText).width, extent.width);
  ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
  ::SetParent(label, parent);
  ::SetWindowLongW(label, GWL_STYLE, WS_CHILD | SS_LEFT);
  ::SetWindowLongPtrW(label, GWLP_ID, 1030);
  ASSERT_TRUE(SetFittedLabel(parent, 1030, longText, FitVariant::Dialogs));
  const std::string shown = WindowText(label);
  EXPECT_EQ(shown.substr(shown.size() - 3), "...");
  EXPECT_EQ(shown.substr(0, shown.size() - 3), U8(longText).substr(0, shown.size() - 3));
  EXPECT_LT(MeasureLabelText(label, FromUtf8(shown)).width, 120);
  EXPECT_FALSE(SetFittedLabel(parent, 4242, longText, FitVariant::Dialogs));
  ::DestroyWindow(parent);
  ::DeleteObject(font);
  ::DeleteObject(big);
}

}  // namespace
}  // namespace tovu
