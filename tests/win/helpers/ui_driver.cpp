// ui_driver: drives the windows of another program from outside, the way a
// person at the screen would, for the GUI scenarios. A console program; it
// takes its arguments and prints its output as UTF-8, and exits 0 when the
// command did what it says, 1 with a message on stderr when it did not
// (nothing found before the timeout, control disabled, ...), 2 on a usage
// error.
//
// WINDOW is either a title (a visible top-level window whose title is
// exactly that text) or hwnd:0xNNNN (that window). Several windows can
// carry one title (a wizard sheet and its message box both carry the
// package's name, and both have the class #32770). Windows are taken in
// the desktop's Z-order, topmost first: "list" shows the topmost match, and
// the commands that act on a control use the first match that has one.
// ID is a control id, decimal or 0x hex. TIMEOUT is in milliseconds
// (default 20000); every command that waits for something has one.
//
//   windows                          visible top-level windows:
//                                    hwnd<TAB>class<TAB>enabled<TAB>title
//   wait WINDOW [TIMEOUT]            prints the hwnd of the topmost match
//   wait-gone WINDOW [TIMEOUT]       until no visible window matches
//   wait-control WINDOW ID [TIMEOUT] until a matching window has a visible
//                                    control ID; prints that window's hwnd
//   wait-text WINDOW ID SUBSTRING [TIMEOUT]
//                                    until a visible control ID's text
//                                    contains SUBSTRING
//   wait-state WINDOW ID STATE [TIMEOUT]
//                                    STATE: visible hidden enabled disabled
//                                    checked unchecked (of a visible control
//                                    ID; hidden: no visible control ID)
//   list [--all] WINDOW              every descendant control, one a line:
//                                    id<TAB>class<TAB>visible<TAB>enabled<TAB>
//                                    checked(0/1/2/-)<TAB>text, line breaks
//                                    of the text shown as \n, tabs as \t;
//                                    --all: every match, each behind a
//                                    line "# hwnd<TAB>class<TAB>enabled<TAB>title"
//   text WINDOW ID [TIMEOUT]         the text of control ID (a visible one
//                                    when there is one), CR LF as LF
//   click WINDOW ID [TIMEOUT]        posts BM_CLICK to the first visible
//                                    control ID that a person could click:
//                                    it, its parents and its window enabled
//                                    (a control not of the Button class
//                                    gets WM_LBUTTONDOWN and WM_LBUTTONUP
//                                    at its centre)
//   msgbox-press WINDOW ID [TIMEOUT] the same, only in message boxes
//                                    (windows with the static text 65535)
//   settext WINDOW ID TEXT [TIMEOUT] WM_SETTEXT to an enabled, writable
//                                    visible edit ID; a multi-line edit
//                                    sends no EN_CHANGE for that, so its
//                                    parent gets one as typing would give
//   check WINDOW ID 0|1 [TIMEOUT]    clicks check box ID (BM_CLICK, so that
//                                    the program sees a click) until it
//                                    shows the state; nothing when it does
//   close WINDOW                     posts WM_SYSCOMMAND SC_CLOSE to the
//                                    topmost enabled match
//   xid WINDOW                       the X window Wine shows the topmost
//                                    match in (for xdotool, xwd)
//
// Nothing here sends a message that could block: clicks and the close are
// posted (a click can open a modal dialog), text is read and written with
// SendMessageTimeout.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr DWORD kDefaultTimeout = 20000;
constexpr UINT kSendTimeout = 5000;
constexpr DWORD kPoll = 100;

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return std::string();
  int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

void Out(const std::wstring& line) {
  std::string s = Utf8(line);
  s += '\n';
  std::fwrite(s.data(), 1, s.size(), stdout);
  std::fflush(stdout);
}

int Fail(const std::wstring& message) {
  std::string s = "ui_driver: " + Utf8(message) + "\n";
  std::fwrite(s.data(), 1, s.size(), stderr);
  std::fflush(stderr);
  return 1;
}

int Usage(const std::wstring& message) {
  Fail(message);
  Fail(L"usage: ui_driver windows | wait|wait-gone WINDOW [TIMEOUT] | wait-control WINDOW ID [TIMEOUT] | "
       L"wait-text WINDOW ID SUBSTRING [TIMEOUT] | wait-state WINDOW ID STATE [TIMEOUT] | list [--all] WINDOW | "
       L"text|click|msgbox-press WINDOW ID [TIMEOUT] | settext WINDOW ID TEXT [TIMEOUT] | "
       L"check WINDOW ID 0|1 [TIMEOUT] | close WINDOW | xid WINDOW");
  return 2;
}

std::wstring Hex(HWND h) {
  wchar_t buf[32];
  std::swprintf(buf, 32, L"0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(h)));
  return buf;
}

bool ParseNumber(const std::wstring& s, unsigned long long& value) {
  if (s.empty()) return false;
  wchar_t* end = nullptr;
  bool hex = s.size() > 2 && s[0] == L'0' && (s[1] == L'x' || s[1] == L'X');
  value = std::wcstoull(hex ? s.c_str() + 2 : s.c_str(), &end, hex ? 16 : 10);
  return end && *end == L'\0' && end != (hex ? s.c_str() + 2 : s.c_str());
}

// A window given on the command line: a title or hwnd:0xNNNN.
struct Selector {
  std::wstring title;
  HWND hwnd = nullptr;
  std::wstring Describe() const { return hwnd ? L"window " + Hex(hwnd) : L"window \"" + title + L"\""; }
};

bool ParseSelector(const std::wstring& s, Selector& sel) {
  if (s.rfind(L"hwnd:", 0) == 0) {
    unsigned long long v = 0;
    if (!ParseNumber(s.substr(5), v) || v == 0) return false;
    sel.hwnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(v));
    return true;
  }
  sel.title = s;
  return true;
}

std::wstring ClassOf(HWND h) {
  wchar_t buf[256] = {};
  ::GetClassNameW(h, buf, 256);
  return buf;
}

// The caption the system keeps for a window; never sends a message.
std::wstring CaptionOf(HWND h) {
  int n = ::GetWindowTextLengthW(h);
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  n = ::GetWindowTextW(h, s.data(), n + 1);
  s.resize(static_cast<size_t>(n > 0 ? n : 0));
  return s;
}

// A control's text as its window procedure gives it (an edit's content,
// say), asked across the process boundary with a timeout; the kept caption
// when the program does not answer.
std::wstring TextOf(HWND h) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout, &length))
    return CaptionOf(h);
  std::wstring s(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR got = 0;
  if (!::SendMessageTimeoutW(h, WM_GETTEXT, static_cast<WPARAM>(s.size()), reinterpret_cast<LPARAM>(s.data()),
                             SMTO_ABORTIFHUNG, kSendTimeout, &got))
    return CaptionOf(h);
  s.resize(got <= length ? static_cast<size_t>(got) : static_cast<size_t>(length));
  return s;
}

std::wstring WithoutCr(const std::wstring& s) {
  std::wstring r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == L'\r' && i + 1 < s.size() && s[i + 1] == L'\n') continue;
    r += s[i] == L'\r' ? L'\n' : s[i];
  }
  return r;
}

std::wstring OneLine(const std::wstring& s) {
  std::wstring r;
  for (wchar_t c : WithoutCr(s)) {
    if (c == L'\n') r += L"\\n";
    else if (c == L'\t') r += L"\\t";
    else r += c;
  }
  return r;
}

unsigned IdOf(HWND h) {
  // Templates store ids as 16-bit words; -1 (IDC_STATIC) reads as 65535.
  return static_cast<unsigned>(::GetDlgCtrlID(h)) & 0xFFFFu;
}

bool IsButtonClass(HWND h) { return ::lstrcmpiW(ClassOf(h).c_str(), L"Button") == 0; }

LONG ButtonType(HWND h) { return ::GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK; }

bool IsCheckable(HWND h) {
  if (!IsButtonClass(h)) return false;
  switch (ButtonType(h)) {
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_RADIOBUTTON: case BS_3STATE: case BS_AUTO3STATE:
    case BS_AUTORADIOBUTTON:
      return true;
    default:
      return false;
  }
}

bool IsRadio(HWND h) { return ButtonType(h) == BS_RADIOBUTTON || ButtonType(h) == BS_AUTORADIOBUTTON; }

// -1 when the control has no check state or does not answer.
int CheckOf(HWND h) {
  if (!IsCheckable(h)) return -1;
  DWORD_PTR state = 0;
  if (!::SendMessageTimeoutW(h, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout, &state)) return -1;
  return static_cast<int>(state);
}

// A person can use a control only when it and every window above it are
// enabled (a modal dialog disables its owner).
bool Usable(HWND control, HWND top) {
  for (HWND h = control; h; h = ::GetAncestor(h, GA_PARENT)) {
    if (!::IsWindowEnabled(h)) return false;
    if (h == top) break;
  }
  return true;
}

std::vector<HWND> Matches(const Selector& sel) {
  struct Ctx { const Selector* sel; std::vector<HWND> found; } ctx{&sel, {}};
  // EnumWindows walks the top-level windows in Z-order, topmost first.
  ::EnumWindows(
      [](HWND h, LPARAM p) -> BOOL {
        auto* c = reinterpret_cast<Ctx*>(p);
        if (!::IsWindowVisible(h)) return TRUE;
        if (c->sel->hwnd ? h == c->sel->hwnd : CaptionOf(h) == c->sel->title) c->found.push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

std::vector<HWND> Descendants(HWND top) {
  std::vector<HWND> all;
  ::EnumChildWindows(
      top,
      [](HWND h, LPARAM p) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  return all;
}

std::vector<HWND> ControlsWithId(HWND top, unsigned id) {
  std::vector<HWND> r;
  for (HWND h : Descendants(top))
    if (IdOf(h) == id) r.push_back(h);
  return r;
}

// Polls until found() says yes or the timeout passes.
template <typename F>
bool WaitFor(DWORD timeout, F found) {
  ULONGLONG deadline = ::GetTickCount64() + timeout;
  for (;;) {
    if (found()) return true;
    if (::GetTickCount64() >= deadline) return false;
    ::Sleep(kPoll);
  }
}

bool ParseTimeout(const std::vector<std::wstring>& a, size_t index, DWORD& timeout) {
  timeout = kDefaultTimeout;
  if (a.size() <= index) return true;
  unsigned long long v = 0;
  if (!ParseNumber(a[index], v) || v > 0x7FFFFFFFull) return false;
  timeout = static_cast<DWORD>(v);
  return true;
}

bool ParseId(const std::wstring& s, unsigned& id) {
  unsigned long long v = 0;
  if (!ParseNumber(s, v) || v > 0xFFFFu) return false;
  id = static_cast<unsigned>(v);
  return true;
}

std::wstring WindowLine(HWND h) {
  return Hex(h) + L"\t" + ClassOf(h) + L"\t" + (::IsWindowEnabled(h) ? L"1" : L"0") + L"\t" + OneLine(CaptionOf(h));
}

void ListControls(HWND top) {
  for (HWND h : Descendants(top)) {
    int check = CheckOf(h);
    std::wstring checked = check < 0 ? L"-" : std::to_wstring(check);
    Out(std::to_wstring(IdOf(h)) + L"\t" + ClassOf(h) + L"\t" + (::IsWindowVisible(h) ? L"1" : L"0") + L"\t" +
        (::IsWindowEnabled(h) ? L"1" : L"0") + L"\t" + checked + L"\t" + OneLine(TextOf(h)));
  }
}

// The first visible control ID a person could use, over the matches in
// Z-order; why there is none in *why.
HWND FindUsable(const Selector& sel, unsigned id, bool message_boxes_only, std::wstring* why) {
  bool seen_disabled = false, seen_blocked = false, seen_window = false;
  for (HWND top : Matches(sel)) {
    if (message_boxes_only && ControlsWithId(top, 0xFFFF).empty()) continue;
    seen_window = true;
    for (HWND h : ControlsWithId(top, id)) {
      if (!::IsWindowVisible(h)) continue;
      if (Usable(h, top)) return h;
      if (!::IsWindowEnabled(top)) seen_blocked = true;
      else seen_disabled = true;
    }
  }
  if (why) {
    std::wstring what = message_boxes_only ? L"message box " + sel.Describe().substr(7) : sel.Describe();
    if (!seen_window) *why = L"no visible " + what;
    else if (seen_disabled) *why = L"control " + std::to_wstring(id) + L" of " + what + L" is disabled";
    else if (seen_blocked) *why = L"control " + std::to_wstring(id) + L" of " + what + L" sits in a disabled window (a modal dialog open?)";
    else *why = L"no visible control " + std::to_wstring(id) + L" in " + what;
  }
  return nullptr;
}

HWND FindVisibleControl(const Selector& sel, unsigned id) {
  for (HWND top : Matches(sel))
    for (HWND h : ControlsWithId(top, id))
      if (::IsWindowVisible(h)) return h;
  return nullptr;
}

int CmdWindows() {
  ::EnumWindows(
      [](HWND h, LPARAM) -> BOOL {
        if (::IsWindowVisible(h)) Out(WindowLine(h));
        return TRUE;
      },
      0);
  return 0;
}

int CmdWait(const Selector& sel, DWORD timeout) {
  HWND found = nullptr;
  if (!WaitFor(timeout, [&] {
        auto m = Matches(sel);
        if (m.empty()) return false;
        found = m.front();
        return true;
      }))
    return Fail(L"no visible " + sel.Describe() + L" within " + std::to_wstring(timeout) + L" ms");
  Out(Hex(found));
  return 0;
}

int CmdWaitGone(const Selector& sel, DWORD timeout) {
  if (!WaitFor(timeout, [&] { return Matches(sel).empty(); }))
    return Fail(sel.Describe() + L" still visible after " + std::to_wstring(timeout) + L" ms");
  return 0;
}

int CmdWaitControl(const Selector& sel, unsigned id, DWORD timeout) {
  HWND found = nullptr;
  if (!WaitFor(timeout, [&] {
        for (HWND top : Matches(sel))
          for (HWND h : ControlsWithId(top, id))
            if (::IsWindowVisible(h)) { found = top; return true; }
        return false;
      }))
    return Fail(L"no visible control " + std::to_wstring(id) + L" in " + sel.Describe() + L" within " +
                std::to_wstring(timeout) + L" ms");
  Out(Hex(found));
  return 0;
}

int CmdWaitText(const Selector& sel, unsigned id, const std::wstring& part, DWORD timeout) {
  std::wstring last;
  bool any = false;
  if (!WaitFor(timeout, [&] {
        for (HWND top : Matches(sel))
          for (HWND h : ControlsWithId(top, id)) {
            if (!::IsWindowVisible(h)) continue;
            any = true;
            last = WithoutCr(TextOf(h));
            if (last.find(part) != std::wstring::npos) return true;
          }
        return false;
      }))
    return Fail(any ? L"control " + std::to_wstring(id) + L" of " + sel.Describe() + L" shows \"" + OneLine(last) +
                          L"\", not \"" + OneLine(part) + L"\", after " + std::to_wstring(timeout) + L" ms"
                    : L"no visible control " + std::to_wstring(id) + L" in " + sel.Describe() + L" within " +
                          std::to_wstring(timeout) + L" ms");
  return 0;
}

int CmdWaitState(const Selector& sel, unsigned id, const std::wstring& state, DWORD timeout) {
  auto in_state = [&](HWND h) {
    if (state == L"visible") return true;
    if (state == L"enabled") return ::IsWindowEnabled(h) != FALSE;
    if (state == L"disabled") return ::IsWindowEnabled(h) == FALSE;
    if (state == L"checked") return CheckOf(h) == BST_CHECKED;
    if (state == L"unchecked") return CheckOf(h) == BST_UNCHECKED;
    return false;
  };
  if (state != L"visible" && state != L"hidden" && state != L"enabled" && state != L"disabled" &&
      state != L"checked" && state != L"unchecked")
    return Usage(L"unknown state " + state);
  if (!WaitFor(timeout, [&] {
        if (state == L"hidden") return FindVisibleControl(sel, id) == nullptr;
        for (HWND top : Matches(sel))
          for (HWND h : ControlsWithId(top, id))
            if (::IsWindowVisible(h) && in_state(h)) return true;
        return false;
      }))
    return Fail(L"control " + std::to_wstring(id) + L" of " + sel.Describe() + L" not " + state + L" within " +
                std::to_wstring(timeout) + L" ms");
  return 0;
}

int CmdList(const Selector& sel, bool all) {
  auto m = Matches(sel);
  if (m.empty()) return Fail(L"no visible " + sel.Describe());
  if (!all) {
    ListControls(m.front());
    return 0;
  }
  for (HWND top : m) {
    Out(L"# " + WindowLine(top));
    ListControls(top);
  }
  return 0;
}

int CmdText(const Selector& sel, unsigned id, DWORD timeout) {
  HWND found = nullptr;
  WaitFor(timeout, [&] {
    found = FindVisibleControl(sel, id);
    if (found) return true;
    // A control on a page not shown, say.
    for (HWND top : Matches(sel)) {
      auto c = ControlsWithId(top, id);
      if (!c.empty()) { found = c.front(); return true; }
    }
    return false;
  });
  if (!found) return Fail(L"no control " + std::to_wstring(id) + L" in " + sel.Describe());
  Out(WithoutCr(TextOf(found)));
  return 0;
}

int CmdClick(const Selector& sel, unsigned id, DWORD timeout, bool message_boxes_only) {
  HWND found = nullptr;
  std::wstring why;
  if (!WaitFor(timeout, [&] { return (found = FindUsable(sel, id, message_boxes_only, &why)) != nullptr; }))
    return Fail(why + L" (waited " + std::to_wstring(timeout) + L" ms)");
  if (IsButtonClass(found)) {
    if (!::PostMessageW(found, BM_CLICK, 0, 0)) return Fail(L"BM_CLICK could not be posted");
    return 0;
  }
  // Any other control gets the mouse messages of a click at its centre.
  RECT r{};
  ::GetClientRect(found, &r);
  LPARAM at = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
  if (!::PostMessageW(found, WM_LBUTTONDOWN, MK_LBUTTON, at) || !::PostMessageW(found, WM_LBUTTONUP, 0, at))
    return Fail(L"the mouse messages could not be posted");
  return 0;
}

int CmdSetText(const Selector& sel, unsigned id, const std::wstring& text, DWORD timeout) {
  HWND found = nullptr;
  std::wstring why;
  if (!WaitFor(timeout, [&] { return (found = FindUsable(sel, id, false, &why)) != nullptr; }))
    return Fail(why + L" (waited " + std::to_wstring(timeout) + L" ms)");
  LONG style = ::GetWindowLongW(found, GWL_STYLE);
  bool edit = ::lstrcmpiW(ClassOf(found).c_str(), L"Edit") == 0;
  if (edit && (style & ES_READONLY)) return Fail(L"edit " + std::to_wstring(id) + L" is read-only");
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutW(found, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                             kSendTimeout, &result))
    return Fail(L"control " + std::to_wstring(id) + L" did not take WM_SETTEXT");
  if (edit && (style & ES_MULTILINE)) {
    // A single-line edit notifies its parent of WM_SETTEXT; a multi-line
    // one does not, typing would.
    ::PostMessageW(::GetParent(found), WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), reinterpret_cast<LPARAM>(found));
  }
  return 0;
}

int CmdCheck(const Selector& sel, unsigned id, int want, DWORD timeout) {
  HWND found = nullptr;
  std::wstring why;
  if (!WaitFor(timeout, [&] { return (found = FindUsable(sel, id, false, &why)) != nullptr; }))
    return Fail(why + L" (waited " + std::to_wstring(timeout) + L" ms)");
  if (!IsCheckable(found)) return Fail(L"control " + std::to_wstring(id) + L" is no check box or radio button");
  if (CheckOf(found) == want) return 0;
  if (want == 0 && IsRadio(found)) return Fail(L"a radio button is not cleared by clicking it");
  // A three-state box may need two clicks.
  for (int click = 0; click < 3; ++click) {
    int before = CheckOf(found);
    if (!::PostMessageW(found, BM_CLICK, 0, 0)) return Fail(L"BM_CLICK could not be posted");
    WaitFor(timeout, [&] { return CheckOf(found) != before || !::IsWindow(found); });
    if (CheckOf(found) == want) return 0;
    if (CheckOf(found) == before) break;
  }
  return Fail(L"check box " + std::to_wstring(id) + L" shows " + std::to_wstring(CheckOf(found)) + L" after a click, not " +
              std::to_wstring(want));
}

int CmdClose(const Selector& sel) {
  for (HWND top : Matches(sel)) {
    if (!::IsWindowEnabled(top)) continue;
    if (!::PostMessageW(top, WM_SYSCOMMAND, SC_CLOSE, 0)) return Fail(L"WM_SYSCOMMAND could not be posted");
    return 0;
  }
  return Fail(L"no visible, enabled " + sel.Describe());
}

int CmdXid(const Selector& sel) {
  auto m = Matches(sel);
  if (m.empty()) return Fail(L"no visible " + sel.Describe());
  // Wine's X11 driver keeps the X window of a top-level window in this
  // property; window properties live in the wineserver, so another process
  // can read them.
  HANDLE x = ::GetPropW(m.front(), L"__wine_x11_whole_window");
  if (!x) return Fail(L"no X window known for " + Hex(m.front()));
  wchar_t buf[32];
  std::swprintf(buf, 32, L"0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(x)));
  Out(buf);
  return 0;
}

int Run(const std::vector<std::wstring>& a) {
  if (a.empty()) return Usage(L"no command");
  const std::wstring& cmd = a[0];
  DWORD timeout = kDefaultTimeout;
  Selector sel;
  unsigned id = 0;
  auto need = [&](size_t least, size_t most) { return a.size() >= least && a.size() <= most; };

  if (cmd == L"windows") return a.size() == 1 ? CmdWindows() : Usage(L"windows takes no arguments");
  if (cmd == L"list") {
    bool all = a.size() > 1 && a[1] == L"--all";
    size_t w = all ? 2 : 1;
    if (a.size() != w + 1 || !ParseSelector(a[w], sel)) return Usage(L"list [--all] WINDOW");
    return CmdList(sel, all);
  }
  if (cmd == L"close" || cmd == L"xid") {
    if (!need(2, 2) || !ParseSelector(a[1], sel)) return Usage(cmd + L" WINDOW");
    return cmd == L"close" ? CmdClose(sel) : CmdXid(sel);
  }
  if (cmd == L"wait" || cmd == L"wait-gone") {
    if (!need(2, 3) || !ParseSelector(a[1], sel) || !ParseTimeout(a, 2, timeout)) return Usage(cmd + L" WINDOW [TIMEOUT]");
    return cmd == L"wait" ? CmdWait(sel, timeout) : CmdWaitGone(sel, timeout);
  }
  if (cmd == L"wait-control" || cmd == L"text" || cmd == L"click" || cmd == L"msgbox-press") {
    if (!need(3, 4) || !ParseSelector(a[1], sel) || !ParseId(a[2], id) || !ParseTimeout(a, 3, timeout))
      return Usage(cmd + L" WINDOW ID [TIMEOUT]");
    if (cmd == L"wait-control") return CmdWaitControl(sel, id, timeout);
    if (cmd == L"text") return CmdText(sel, id, timeout);
    return CmdClick(sel, id, timeout, cmd == L"msgbox-press");
  }
  if (cmd == L"wait-text" || cmd == L"wait-state" || cmd == L"settext") {
    if (!need(4, 5) || !ParseSelector(a[1], sel) || !ParseId(a[2], id) || !ParseTimeout(a, 4, timeout))
      return Usage(cmd + L" WINDOW ID " + (cmd == L"wait-state" ? L"STATE" : L"TEXT") + L" [TIMEOUT]");
    if (cmd == L"wait-text") return CmdWaitText(sel, id, a[3], timeout);
    if (cmd == L"wait-state") return CmdWaitState(sel, id, a[3], timeout);
    return CmdSetText(sel, id, a[3], timeout);
  }
  if (cmd == L"check") {
    if (!need(4, 5) || !ParseSelector(a[1], sel) || !ParseId(a[2], id) || (a[3] != L"0" && a[3] != L"1") ||
        !ParseTimeout(a, 4, timeout))
      return Usage(L"check WINDOW ID 0|1 [TIMEOUT]");
    return CmdCheck(sel, id, a[3] == L"1" ? 1 : 0, timeout);
  }
  return Usage(L"unknown command " + cmd);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Bytes out as they are: UTF-8 with LF line ends.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::vector<std::wstring> a;
  for (int i = 1; i < argc; ++i) a.emplace_back(argv[i]);
  return Run(a);
}
