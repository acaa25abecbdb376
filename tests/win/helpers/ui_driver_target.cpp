// Target of the UI driver's own scenario: a dialog with twin buttons (a
// hidden and a visible one with id 1001; a disabled and an enabled one with
// id 1002), a single-line edit 1003, a check box 1004, a static text 1005,
// a button 1006 that asks a yes/no question in a message box with the
// dialog's title, a multi-line edit 1007, a static text 1008 that tells
// its clicks, OK and Cancel.
//
// Usage: ui_driver_target.exe RECORD TITLE
// Appends one UTF-8 line to RECORD for everything it receives, at once:
//   key 0xNN / syskey 0xNN   a key pressed (WM_KEYDOWN / WM_SYSKEYDOWN)
//   focus ID                 the keyboard focus moved to control ID
//   click TEXT               button 1001 or 1002 clicked (TEXT tells the twin)
//   edit TEXT / notes TEXT   EN_CHANGE of 1003 / 1007 (line breaks as \n)
//   check 0|1                check box 1004 clicked, and its new state
//   link                     static text 1008 clicked
//   ok / cancel              IDOK / IDCANCEL (Return / Escape)
//   msgbox N                 the message box of 1006 answered with N
//   close                    WM_CLOSE (alt+F4, the system menu's Close)
// and exits with code 3 after the close; 2 when RECORD cannot be written.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring g_record;
std::wstring g_title;
bool g_record_failed = false;

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return std::string();
  int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

void Record(const std::wstring& line) {
  std::string s = Utf8(line) + "\n";
  HANDLE f = ::CreateFileW(g_record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  if (f == INVALID_HANDLE_VALUE || !::WriteFile(f, s.data(), static_cast<DWORD>(s.size()), &written, nullptr) ||
      written != s.size())
    g_record_failed = true;
  if (f != INVALID_HANDLE_VALUE) ::CloseHandle(f);
}

std::wstring TextOf(HWND h) {
  int n = ::GetWindowTextLengthW(h);
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  n = ::GetWindowTextW(h, s.data(), n + 1);
  s.resize(static_cast<size_t>(n > 0 ? n : 0));
  std::wstring r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == L'\r') continue;
    if (s[i] == L'\n') r += L"\\n"; else r += s[i];
  }
  return r;
}

std::wstring Hex(unsigned v) {
  wchar_t buf[16];
  std::swprintf(buf, 16, L"0x%02x", v);
  return buf;
}

INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      ::SetWindowTextW(dlg, g_title.c_str());
      ::SetWindowTextW(::GetDlgItem(dlg, 1005), L"Ready\r\nsecond line");
      return TRUE;
    case WM_COMMAND: {
      UINT id = LOWORD(wp), code = HIWORD(wp);
      HWND from = reinterpret_cast<HWND>(lp);
      if ((id == 1001 || id == 1002) && code == BN_CLICKED) Record(L"click " + TextOf(from));
      else if (id == 1003 && code == EN_CHANGE) Record(L"edit " + TextOf(from));
      else if (id == 1007 && code == EN_CHANGE) Record(L"notes " + TextOf(from));
      else if (id == 1004 && code == BN_CLICKED)
        Record(std::wstring(L"check ") + (::IsDlgButtonChecked(dlg, 1004) == BST_CHECKED ? L"1" : L"0"));
      else if (id == 1008 && code == STN_CLICKED) Record(L"link");
      else if (id == IDOK) Record(L"ok");
      else if (id == IDCANCEL) Record(L"cancel");
      else if (id == 1006 && code == BN_CLICKED) {
        int answer = ::MessageBoxW(dlg, L"Carry on?", g_title.c_str(), MB_YESNO | MB_ICONQUESTION);
        Record(L"msgbox " + std::to_wstring(answer));
      }
      return TRUE;
    }
    case WM_CLOSE:
      Record(L"close");
      ::DestroyWindow(dlg);
      return TRUE;
    case WM_DESTROY:
      ::PostQuitMessage(3);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  g_record = argv[1];
  g_title = argv[2];
  Record(L"start");
  if (g_record_failed) return 2;
  HWND dlg = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(100), nullptr, DialogProc, 0);
  if (!dlg) return 4;
  HWND focus = nullptr;
  MSG msg;
  int rc = 0;
  for (;;) {
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) { rc = static_cast<int>(msg.wParam); break; }
    if (got < 0) { rc = 5; break; }
    if (msg.message == WM_KEYDOWN) Record(L"key " + Hex(static_cast<unsigned>(msg.wParam)));
    if (msg.message == WM_SYSKEYDOWN) Record(L"syskey " + Hex(static_cast<unsigned>(msg.wParam)));
    if (!::IsWindow(dlg) || !::IsDialogMessageW(dlg, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    HWND now = ::GetFocus();
    if (now != focus && now && ::IsWindow(dlg) && ::IsChild(dlg, now))
      Record(L"focus " + std::to_wstring(::GetDlgCtrlID(now)));
    focus = now;
  }
  return g_record_failed ? 2 : rc;
}
