#include "ui/win32/question_dialogs.h"

#include <cmath>

#include "cabinet/cab_decompressor.h"
#include "log/log_file.h"
#include "platform/win32/win32_platform.h"
#include "settings/messages.h"
#include "ui/label_fitting.h"
#include "ui/win32/label_text.h"
#include "ui/win32/tovu_button.h"
#include "ui/win32/wizard_support.h"

namespace tovu {

namespace {

constexpr COLORREF kDialogBackground = 0xF0F0F0;
constexpr int kButtonHeight = 30;

// Password prompt.
constexpr int IDC_PASSWORD_EDIT = 1054;
constexpr int IDC_PASSWORD_PROMPT = 1055;
constexpr int kPasswordLimit = 50;
constexpr int kMsgOk = 405;
constexpr int kMsgCancel = 406;
constexpr int kMsgEnterPassword = 419;
constexpr int kMsgInvalidPassword = 420;

// The questions.
constexpr int kIdYes = 1024;
constexpr int kIdYesToAll = 1027;
constexpr int kIdNo = 1028;
constexpr int kIdNoToAll = 1029;
constexpr int IDC_OVERWRITE_HEAD = 1025;
constexpr int IDC_OVERWRITE_FILE = 1030;
constexpr int IDC_OVERWRITE_QUESTION = 1026;
constexpr int IDC_FOLDER_HEAD = 1068;
constexpr int IDC_FOLDER_PATH = 1069;
constexpr int IDC_FOLDER_QUESTION = 1070;
constexpr int kMsgFileExists = 700;
constexpr int kMsgOverwriteFile = 701;
constexpr int kMsgYes = 702;
constexpr int kMsgYesToAll = 703;
constexpr int kMsgNo = 704;
constexpr int kMsgNoToAll = 705;
constexpr int kMsgFolderExists = 706;
constexpr int kMsgDeleteContents = 707;
constexpr int kMsgButtonCancel = 112;

// The wizard's text font: Tahoma, height 15, weight 100.
HFONT CreateTextFont() {
  LOGFONTW lf{};
  lf.lfHeight = 15;
  lf.lfWeight = 100;
  lf.lfCharSet = DEFAULT_CHARSET;
  ::lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
  return ::CreateFontIndirectW(&lf);
}


// The background and label colours of the wizard's windows, the faces of
// their owner-drawn buttons and the swallowed help key; true when the
// message was one of them.
bool PaintMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  if (message == WM_ERASEBKGND) {
    RECT client{};
    ::GetClientRect(hwnd, &client);
    HBRUSH brush = ::CreateSolidBrush(kDialogBackground);
    ::FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
    ::DeleteObject(brush);
    result = 1;
    return true;
  }
  if (message == WM_CTLCOLORSTATIC) {
    ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    result = reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
    return true;
  }
  if (message == WM_DRAWITEM && CTovuButton::HandleDrawItem(static_cast<LPARAM>(lParam))) {
    result = TRUE;
    return true;
  }
  if (message == WM_HELP) {
    result = 1;
    return true;
  }
  return false;
}

// Bottom edge of a control in the dialog's client coordinates.
int BottomOf(HWND dialog, int id) {
  RECT r{};
  HWND control = ::GetDlgItem(dialog, id);
  if (control == nullptr) return 0;
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r.bottom;
}

int ClientWidth(HWND dialog) {
  RECT client{};
  ::GetClientRect(dialog, &client);
  return client.right - client.left;
}

struct ButtonPlace {
  int id;
  int message;
  int left;
  int right;
};

// Creates the question's buttons at `top`, enabled, in their normal look;
// the first one gets the focused look, the focus and becomes the default.
void CreateButtons(HWND dialog, const CMessageCatalog& messages, const ButtonPlace* places,
                   std::unique_ptr<CTovuButton>* buttons, int count, int top) {
  for (int i = 0; i < count; ++i) {
    const Text caption = messages.GetMessageText(places[i].message);
    buttons[i] = std::make_unique<CTovuButton>(caption, dialog);
    buttons[i]->SetBackgroundColour(kDialogBackground);
    const RECT r{places[i].left, top, places[i].right, top + kButtonHeight};
    buttons[i]->Create(caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP, r, dialog, places[i].id);
  }
  for (int i = 0; i < count; ++i) {
    buttons[i]->SetEnabledLook(1);
    ::EnableWindow(buttons[i]->GetHwnd(), TRUE);
    buttons[i]->NormalLook();
  }
}

// Gives button `chosen` the focused look, the keyboard focus and the
// default; the others the normal look.
void FocusButton(HWND dialog, std::unique_ptr<CTovuButton>* buttons, int count, int chosen) {
  for (int i = 0; i < count; ++i) {
    if (i == chosen || buttons[i] == nullptr) continue;
    buttons[i]->SetFocusFlag(0);
    buttons[i]->NormalLook();
  }
  CTovuButton& button = *buttons[chosen];
  button.SetFocusFlag(1);
  button.FocusedLook();
  ::SetFocus(button.GetHwnd());
  ::SendMessageW(dialog, DM_SETDEFID, static_cast<WPARAM>(button.GetId()), 0);
}

int IndexOf(HWND window, std::unique_ptr<CTovuButton>* buttons, int count) {
  if (window == nullptr) return -1;
  for (int i = 0; i < count; ++i)
    if (buttons[i] != nullptr && buttons[i]->GetHwnd() == window) return i;
  return -1;
}

bool IsArrowKey(WPARAM key) { return key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN; }

// The questions' keyboard: Esc never leaves; arrows and Tab move the
// focused look, the focus and the default with the focus.
bool QuestionKeys(HWND dialog, MSG& message, std::unique_ptr<CTovuButton>* buttons, int count) {
  const bool keyDown = message.message == WM_KEYDOWN;
  if (keyDown && message.wParam == VK_ESCAPE) return true;
  if ((keyDown || message.message == WM_KEYUP) && IsArrowKey(message.wParam)) {
    // Key-down: the button that has the focus; the dialog manager then moves the
    // focus, and the key-up marks the button that got it.
    const int index = IndexOf(::GetFocus(), buttons, count);
    if (index >= 0) FocusButton(dialog, buttons, count, index);
    return false;
  }
  if (keyDown && message.wParam == VK_TAB) {
    const bool back = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
    const int index = IndexOf(::GetNextDlgTabItem(dialog, ::GetFocus(), back ? TRUE : FALSE), buttons, count);
    if (index >= 0) {
      FocusButton(dialog, buttons, count, index);
      return true;
    }
  }
  return false;
}

}  // namespace

// ---- CExtractPassword ------------------------------------------------------------

CExtractPassword::CExtractPassword(WizardDialogServices services, Text password)
    : CDialog(IDD_EXTRACT_PASSWORD), services_(std::move(services)), password_(std::move(password)) {}

CExtractPassword::~CExtractPassword() = default;

HWND CExtractPassword::Edit() const { return GetItem(IDC_PASSWORD_EDIT); }

BOOL CExtractPassword::OnInitDialog() {
  HWND hwnd = GetHwnd();
  SetFrameIcons(hwnd);
  ::SetWindowTextW(hwnd, W(services_.displayName));
  SetItemText(hwnd, IDC_PASSWORD_PROMPT, services_.messages.GetMessageText(kMsgEnterPassword));
  SetItemText(hwnd, IDOK, services_.messages.GetMessageText(kMsgOk));
  SetItemText(hwnd, IDCANCEL, services_.messages.GetMessageText(kMsgCancel));
  ::SendMessageW(Edit(), EM_SETLIMITTEXT, kPasswordLimit, 0);
  ::EnableWindow(GetItem(IDOK), ::GetWindowTextLengthW(Edit()) > 0);
  ::SetFocus(Edit());
  return FALSE;
}

INT_PTR CExtractPassword::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  INT_PTR result = 0;
  if (message != WM_HELP && PaintMessage(GetHwnd(), message, wParam, lParam, result)) {
    handled = true;
    return result;
  }
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_PASSWORD_EDIT && HIWORD(wParam) == EN_CHANGE) {
        ::EnableWindow(GetItem(IDOK), ::GetWindowTextLengthW(Edit()) > 0);
        handled = true;
      }
      break;
    case WM_ACTIVATE:
      // On activation the focus goes to the edit box; deactivation keeps
      // the dialog manager's handling.
      if (LOWORD(wParam) != WA_INACTIVE) {
        ::SetFocus(Edit());
        handled = true;
      }
      break;
    default: break;
  }
  return 0;
}

void CExtractPassword::OnOK() {
  // Enter reaches here also while OK is disabled (an empty box).
  if (!::IsWindowEnabled(GetItem(IDOK))) return;
  const int length = ::GetWindowTextLengthW(Edit());
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const int got = ::GetWindowTextW(Edit(), buffer.data(), length + 1);
  const Text typed = FromW(buffer.data(), static_cast<size_t>(got > 0 ? got : 0));
  if (typed == password_) {
    services_.log.WriteLog(LOG_INFO, u"OnBnClickedOk", u"Password provided by user is correct");
    EndDialog(IDOK);
    return;
  }
  const Text text = BreakAtFirstBackslashN(services_.messages.GetMessageText(kMsgInvalidPassword));
  if (services_.messageBox) services_.messageBox(text, MB_OK | MB_ICONERROR);
  ::SetWindowTextW(Edit(), L"");
  services_.log.WriteLog(LOG_ERROR, u"OnBnClickedOk", u"Password provided by user is invalid");
  ::SetFocus(Edit());
}

void CExtractPassword::OnCancel() {
  const int answer = services_.cancelPath ? services_.cancelPath() : 0;
  if (answer == 0) EndDialog(0);
}

// ---- the questions' frame ---------------------------------------------------------

CQuestionDialog::CQuestionDialog(int templateId, WizardDialogServices services, size_t buttons)
    : CDialog(templateId), services_(std::move(services)), buttons_(buttons) {}

CQuestionDialog::~CQuestionDialog() {
  for (auto& button : buttons_) button.reset();
  if (font_ != nullptr) ::DeleteObject(font_);
}

INT_PTR CQuestionDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  INT_PTR result = 0;
  if (PaintMessage(GetHwnd(), message, wParam, lParam, result)) {
    handled = true;
    return result;
  }
  switch (message) {
    case WM_WIZARD_BUTTON:
      Answer(static_cast<int>(wParam));
      handled = true;
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) != IDOK) {
        Answer(LOWORD(wParam));
        handled = true;
      }
      return 0;
    case WM_CLOSE:
      OnCancel();
      handled = true;
      return 0;
    default: break;
  }
  return 0;
}

bool CQuestionDialog::PreTranslateMessage(MSG& message) {
  return QuestionKeys(GetHwnd(), message, buttons_.data(), static_cast<int>(buttons_.size()));
}

// ---- CFileOverwrite --------------------------------------------------------------

CFileOverwrite::CFileOverwrite(WizardDialogServices services, Text fileName)
    : CQuestionDialog(IDD_FILE_OVERWRITE, std::move(services), 5), fileName_(std::move(fileName)) {}

BOOL CFileOverwrite::OnInitDialog() {
  HWND hwnd = GetHwnd();
  SetFrameIcons(hwnd);
  ::SetWindowLongPtrW(hwnd, GWL_STYLE, ::GetWindowLongPtrW(hwnd, GWL_STYLE) | WS_SYSMENU);

  font_ = CreateTextFont();
  for (int id : {IDC_OVERWRITE_HEAD, IDC_OVERWRITE_FILE, IDC_OVERWRITE_QUESTION})
    if (font_ != nullptr) ::SendMessageW(GetItem(id), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

  // Five buttons of 95 pixels (the later four 93 wide, 2 apart), centred.
  const int left = (ClientWidth(hwnd) - 5 * 95 - 8) / 2;
  const ButtonPlace places[5] = {
      {kIdYes, kMsgYes, left, left + 95},
      {kIdYesToAll, kMsgYesToAll, left + 97, left + 190},
      {kIdNo, kMsgNo, left + 192, left + 285},
      {kIdNoToAll, kMsgNoToAll, left + 287, left + 380},
      {IDCANCEL, kMsgButtonCancel, left + 382, left + 475},
  };
  CreateButtons(hwnd, services_.messages, places, buttons_.data(), 5, BottomOf(hwnd, IDC_OVERWRITE_QUESTION) + 3);

  SetFittedLabel(hwnd, IDC_OVERWRITE_HEAD, services_.messages.GetMessageText(kMsgFileExists), FitVariant::Dialogs);
  SetFittedLabel(hwnd, IDC_OVERWRITE_QUESTION, services_.messages.GetMessageText(kMsgOverwriteFile),
                 FitVariant::Dialogs);
  SetFittedLabel(hwnd, IDC_OVERWRITE_FILE, fileName_, FitVariant::Dialogs, FitMode::Leading);
  ::SetWindowTextW(hwnd, W(services_.displayName));

  FocusButton(hwnd, buttons_.data(), 5, 0);
  return FALSE;  // the focus is set
}

void CFileOverwrite::Answer(int id) {
  struct Choice {
    int id;
    int result;
    const char16_t* log;
  };
  static constexpr Choice kChoices[] = {
      {kIdYes, OVERWRITE_YES, u"User Clicked on 'Yes' button"},
      {kIdYesToAll, OVERWRITE_YES_TO_ALL, u"User Clicked on 'Yes To All' button"},
      {kIdNo, OVERWRITE_NO, u"User Clicked on 'No' button"},
      {kIdNoToAll, OVERWRITE_NO_TO_ALL, u"User Clicked on 'No To All' button"},
  };
  if (IsEnded()) return;
  for (const Choice& choice : kChoices) {
    if (choice.id != id) continue;
    result_ = choice.result;
    services_.log.WriteLog(LOG_INFO, u"Overwrite dialog", choice.log);
    EndDialog(result_);
    return;
  }
  if (id == IDCANCEL) OnCancel();
}

void CFileOverwrite::OnCancel() {
  if (IsEnded()) return;
  result_ = OVERWRITE_CANCEL;
  services_.log.WriteLog(LOG_INFO, u"Overwrite dialog", u"User Clicked on 'Cancel' button");
  EndDialog(result_);
}


// ---- CFolderdelete ---------------------------------------------------------------

CFolderdelete::CFolderdelete(WizardDialogServices services, Text folder)
    : CQuestionDialog(IDD_FOLDER_DELETE, std::move(services), 3), folder_(std::move(folder)) {}

BOOL CFolderdelete::OnInitDialog() {
  HWND hwnd = GetHwnd();
  SetFrameIcons(hwnd);
  ::SetWindowLongPtrW(hwnd, GWL_STYLE, ::GetWindowLongPtrW(hwnd, GWL_STYLE) | WS_SYSMENU);

  font_ = CreateTextFont();
  for (int id : {IDC_FOLDER_HEAD, IDC_FOLDER_PATH, IDC_FOLDER_QUESTION})
    if (font_ != nullptr) ::SendMessageW(GetItem(id), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

  const int left = static_cast<int>(std::trunc((ClientWidth(hwnd) - (95 * 3.04 + 44)) * 0.5));
  const ButtonPlace places[3] = {
      {kIdYes, kMsgYes, left, left + 95},
      {kIdNo, kMsgNo, left + 117, left + 212},
      {IDCANCEL, kMsgButtonCancel, left + 234, left + 329},
  };
  CreateButtons(hwnd, services_.messages, places, buttons_.data(), 3, BottomOf(hwnd, IDC_FOLDER_QUESTION) + 3);

  SetFittedLabel(hwnd, IDC_FOLDER_HEAD, services_.messages.GetMessageText(kMsgFolderExists), FitVariant::Dialogs);
  SetFittedLabel(hwnd, IDC_FOLDER_QUESTION, services_.messages.GetMessageText(kMsgDeleteContents),
                 FitVariant::Dialogs);
  SetFittedLabel(hwnd, IDC_FOLDER_PATH, folder_, FitVariant::Dialogs, FitMode::Leading);
  ::SetWindowTextW(hwnd, W(services_.displayName));

  FocusButton(hwnd, buttons_.data(), 3, 0);
  return FALSE;
}

void CFolderdelete::Answer(int id) {
  if (IsEnded()) return;
  if (id == kIdYes) {
    result_ = OVERWRITE_YES;
    services_.log.WriteLog(LOG_INFO, u"FolderDelete dialog", u"User Clicked on 'Yes' button");
    EndDialog(result_);
  } else if (id == kIdNo) {
    result_ = OVERWRITE_NO;
    services_.log.WriteLog(LOG_INFO, u"FolderDelete dialog", u"User Clicked on 'No' button");
    EndDialog(result_);
  } else if (id == IDCANCEL) {
    OnCancel();
  }
}

void CFolderdelete::OnCancel() {
  if (IsEnded()) return;
  result_ = OVERWRITE_CANCEL;
  const int answer = services_.cancelPath ? services_.cancelPath() : 0;
  if (answer == 0) EndDialog(0);
}


}  // namespace tovu
