#include "ui/win32/folder_page.h"

#include <windows.h>
#include <shlobj.h>

#include "app/fennock_app.h"
#include "cabinet/cab_decompressor.h"
#include "cmdline/extractor_validator.h"
#include "log/log_file.h"
#include "platform/win32/win32_platform.h"
#include "settings/initializer.h"
#include "settings/messages.h"
#include "settings/package_settings.h"
#include "settings/profile.h"
#include "ui/folder_page_logic.h"
#include "ui/win32/question_dialogs.h"
#include "ui/win32/wizard_pages.h"
#include "ui/win32/wizard_support.h"

namespace tovu {

using namespace wizard;

namespace {
constexpr int IDC_PATH = 1000;
constexpr int IDC_BROWSE = 1001;
constexpr int IDC_HEADING = 1003;
constexpr int IDC_LABEL = 1004;
constexpr int IDC_EXTRACT_ONLY = 1036;
constexpr int IDC_DELETE_ON_EXIT = 1043;
constexpr int IDC_INFO = 1044;

constexpr int kMsgHeading = 400;
constexpr int kMsgLabel = 401;
constexpr int kMsgBrowse = 403;
constexpr int kMsgPickerOk = 405;
constexpr int kMsgPickerCancel = 406;
constexpr int kMsgExtractOnly = 416;
constexpr int kMsgInfo = 417;
constexpr int kMsgDeleteOnExit = 423;
constexpr int kMsgPickerCaption = 501;
constexpr int kMsgPickerTitle = 502;

void Apply(HWND control, folderpage::Visibility v) {
  if (control == nullptr || v == folderpage::Visibility::Keep) return;
  ::ShowWindow(control, v == folderpage::Visibility::Show ? SW_SHOW : SW_HIDE);
}

// Environment variables anywhere in the text; the text itself when the
// expansion fails or gives nothing.
Text ExpandEnvironment(const Text& text) {
  if (text.empty()) return text;
  const DWORD n = ::ExpandEnvironmentStringsW(W(text), nullptr, 0);
  if (n == 0) return text;
  std::wstring buffer(n, L'\0');
  const DWORD m = ::ExpandEnvironmentStringsW(W(text), buffer.data(), n);
  if (m == 0 || m > n) return text;
  buffer.resize(m - 1);
  Text out(buffer.begin(), buffer.end());
  return out.empty() ? text : out;
}

// Whether a folder exists and holds anything.
bool FolderHasContents(const Text& folder) {
  Text pattern = folder;
  if (!pattern.empty() && pattern.back() != u'\\') pattern += u'\\';
  pattern += u"*";
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW(W(pattern), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool any = false;
  do {
    if (::lstrcmpW(data.cFileName, L".") != 0 && ::lstrcmpW(data.cFileName, L"..") != 0) any = true;
  } while (!any && ::FindNextFileW(find, &data));
  ::FindClose(find);
  return any;
}

struct PickerTexts {
  Text caption, ok, cancel;
};

int CALLBACK PickerCallback(HWND hwnd, UINT message, LPARAM, LPARAM data) {
  if (message != BFFM_INITIALIZED || data == 0) return 0;
  const PickerTexts& t = *reinterpret_cast<const PickerTexts*>(data);
  if (!t.caption.empty()) ::SetWindowTextW(hwnd, W(t.caption));
  if (!t.ok.empty()) ::SetDlgItemTextW(hwnd, IDOK, W(t.ok));
  if (!t.cancel.empty()) ::SetDlgItemTextW(hwnd, IDCANCEL, W(t.cancel));
  return 0;
}
}  // namespace

CDirChangePage::CDirChangePage(CTovuSheet& sheet) : CWizardPage(sheet, PageKind::Folder, IDD_FOLDER_PAGE) {
  SetPaintsTopBanner(true);
}

CDirChangePage::~CDirChangePage() = default;

bool CDirChangePage::IsChecked(int id) const {
  return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CDirChangePage::OnInitDialog() {
  if (!Sheet().IsReady() || initialised_) return;
  initialised_ = true;
  WizardServices& s = Services();
  const int first = Sheet().IsFirstPage(this) ? 1 : 0;
  Sheet().UpdateNavigationButtons(first, 0);
  if (pathText_.empty()) pathText_ = s.init.GetExtractionFolder();
  SetTitleFont(IDC_HEADING);
  SetTextFont(IDC_INFO);
  SetTextFont(IDC_LABEL);
  SetTextFont(IDC_EXTRACT_ONLY);
  SetTextFont(IDC_DELETE_ON_EXIT);
  s.app.SetExtractOnlyFlag(0);
  CreateBrowseButton();
  UpdateControls();
  Sheet().FocusNextButton(1);
  SetDefaultId(ID_WIZNEXT);
  if (first) RunPasswordPrompt(Sheet());
}

void CDirChangePage::CreateBrowseButton() {
  if (browse_) return;
  HWND box = Item(IDC_PATH);
  if (box == nullptr) return;
  RECT r;
  ::GetWindowRect(box, &r);
  ::MapWindowPoints(nullptr, GetHwnd(), reinterpret_cast<POINT*>(&r), 2);
  // 30 pixels high, centred on the path box.
  const int d = static_cast<int>((static_cast<double>(r.top) - r.bottom + 30) * 0.5);
  const RECT rect{r.right, r.top - d, r.right + 120, r.bottom + d};
  const Text caption = Message(kMsgBrowse);
  browse_ = std::make_unique<CTovuButton>(caption, GetHwnd());
  if (!browse_->Create(caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect, GetHwnd(), IDC_BROWSE)) {
    browse_.reset();
    return;
  }
  browse_->SetBackgroundColour(kWizardBackground);
  browse_->SetEnabledLook(1);
  ::EnableWindow(browse_->GetHwnd(), TRUE);
  browse_->NormalLook();
  ::SendMessageW(browse_->GetHwnd(), WM_MOUSEMOVE, 0, 0);
  SetDefaultId(ID_WIZNEXT);
}

bool CDirChangePage::OffersDeleteOnExit() {
  WizardServices& s = Services();
  CProfile profile(s.platform);
  const Text& settings = s.init.GetSettingsPath();
  const Text vrel = pkg::ReadText(profile, settings, pkg::section::kTovu, pkg::key::kVrelBundle);
  // A missing Rahmensetup is no frame setup.
  const Text rahmen = pkg::ReadText(profile, settings, pkg::section::kTovu, pkg::key::kRahmensetup);
  return folderpage::OffersDeleteOnExit(vrel, rahmen, s.init.GetWaitForAutolaunchFinishFlag());
}

void CDirChangePage::UpdateControls() {
  WizardServices& s = Services();
  Text info = Message(kMsgInfo);
  ReplaceAll(info, u"[PRODUCTNAME]", s.init.GetDisplayName());
  const bool offers = OffersDeleteOnExit();
  const folderpage::ControlUpdate u =
      folderpage::UpdateControls(s.init.GetAutolaunchFlag(), IsChecked(IDC_EXTRACT_ONLY), offers);
  if (s.init.GetAutolaunchFlag() == 1) s.log.WriteLogNoFunction(LOG_INFO, u"Autolaunch is enabled");
  else s.log.WriteLogNoFunction(LOG_INFO, u"Autolaunch is disabled");
  s.init.SetAutolaunchFlag(u.autolaunch);
  Apply(Item(IDC_EXTRACT_ONLY), u.extractOnlyBox);
  Apply(Item(IDC_INFO), u.infoText);
  SetFitted(IDC_INFO, info);
  if (!offers)
    s.log.WriteLogNoFunction(LOG_INFO, u"Asynchronous mode/RahmenSetup and delete on finish option will not be shown");
  if (u.deleteBox == folderpage::Visibility::Hide && IsChecked(IDC_DELETE_ON_EXIT)) {
    // A box the user cannot see holds no choice.
    ::SendMessageW(Item(IDC_DELETE_ON_EXIT), BM_SETCHECK, BST_UNCHECKED, 0);
    s.app.SetDeleteOnExitFlag(0);
  }
  Apply(Item(IDC_DELETE_ON_EXIT), u.deleteBox);
  SetFitted(IDC_HEADING, Message(kMsgHeading));
  SetFitted(IDC_EXTRACT_ONLY, Message(kMsgExtractOnly));
  SetFitted(IDC_DELETE_ON_EXIT, Message(kMsgDeleteOnExit));
  SetFitted(IDC_LABEL, Message(kMsgLabel));
  pathText_ = ExpandEnvironment(pathText_);
  // Setting the box's text reports a change, which stores it again.
  SetItemText(GetHwnd(), IDC_PATH, pathText_);
  if (browse_) browse_->SetCaption(Message(kMsgBrowse));
}

void CDirChangePage::OnSetActive() {
  if (!Sheet().IsReady()) return;
  if (!initialised_) {
    OnInitDialog();
  } else {
    UpdateControls();
  }
  Sheet().SetButtonCaptions(Text());
  Sheet().UpdateNavigationButtons(Sheet().IsFirstPage(this) ? 1 : 0, 0);
  Sheet().FocusNextButton(1);
  SetDefaultId(ID_WIZNEXT);
}

void CDirChangePage::ShowBrowse(bool show) {
  if (!browse_) return;
  ::ShowWindow(browse_->GetHwnd(), show ? SW_SHOW : SW_HIDE);
  ::EnableWindow(browse_->GetHwnd(), show ? TRUE : FALSE);
  browse_->SetEnabledLook(show ? 1 : 0);
}

void CDirChangePage::OnExtractOnlyClicked() {
  WizardServices& s = Services();
  const folderpage::ExtractOnlyClick c = folderpage::ClickExtractOnly(IsChecked(IDC_EXTRACT_ONLY), OffersDeleteOnExit());
  s.app.SetExtractOnlyFlag(c.extractOnly);
  s.init.SetAutolaunchFlag(c.autolaunch);
  if (c.clearDeleteOnExit) {
    ::SendMessageW(Item(IDC_DELETE_ON_EXIT), BM_SETCHECK, BST_UNCHECKED, 0);
    s.app.SetDeleteOnExitFlag(0);
  }
  Apply(Item(IDC_DELETE_ON_EXIT), c.deleteBox);
  if (c.extractOnly == 1) {
    s.log.WriteLogNoFunction(LOG_INFO,
                             u"Extract the package and donot install option is checked.Enabling the controls for extract path change");
    s.log.WriteLogNoFunction(LOG_INFO, u"Autolaunch is disabled by user");
  } else {
    s.log.WriteLogNoFunction(
        LOG_INFO, u"Extract the package and donot install option is unchecked.Disabling the controls for extract path change");
    s.log.WriteLogNoFunction(LOG_INFO, u"Autolaunch is enabled");
  }
}

void CDirChangePage::OnDeleteOnExitClicked() {
  WizardServices& s = Services();
  const int flag = folderpage::ClickDeleteOnExit(IsChecked(IDC_DELETE_ON_EXIT));
  s.app.SetDeleteOnExitFlag(flag);
  s.log.WriteLogNoFunction(LOG_INFO, flag == 1 ? u"Delete extracted file on delete is enabled by user"
                                               : u"Delete extracted file on delete is not enabled by user");
}

void CDirChangePage::OnBrowse() {
  PickerTexts texts{Message(kMsgPickerCaption), Message(kMsgPickerOk), Message(kMsgPickerCancel)};
  const Text title = Message(kMsgPickerTitle);
  BROWSEINFOW info{};
  info.hwndOwner = GetHwnd();
  info.lpszTitle = W(title);
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_VALIDATE;
  info.lpfn = PickerCallback;
  info.lParam = reinterpret_cast<LPARAM>(&texts);
  LPITEMIDLIST list = ::SHBrowseForFolderW(&info);
  if (list == nullptr) return;
  wchar_t path[MAX_PATH] = {};
  if (::SHGetPathFromIDListW(list, path)) ::SetDlgItemTextW(GetHwnd(), IDC_PATH, path);
  ::CoTaskMemFree(list);
}

int CDirChangePage::OnWizardNext() {
  WizardServices& s = Services();
  s.log.WriteLog(LOG_INFO, u"DirChangePage::OnWizardNext",
                 s.init.GetOverwriteAllFlag() == 1 ? u"Overwrite check box is checked" : u"Overwrite check box is unchecked");
  Text path = GetWindowTextOf(Item(IDC_PATH));
  const uint64_t required = s.init.GetRequiredSpace(s.init.GetTovuTempDir(), path, s.init.GetMultipartFlag());
  path = ExpandEnvironment(path);
  if (s.validator.ValidatePathAndSpaceAvailable(path, 1, required) != 0) return -1;
  ShowBrowse(false);
  if (FolderHasContents(path)) {
    CFolderdelete dialog(
        WizardDialogServices{s.messages, s.log, s.init.GetDisplayName(),
                             [&s](const Text& text, uint32_t style) { return s.app.ShowMessageBox(text, style); },
                             [this] { return Sheet().CancelPath(); }},
        path);
    const INT_PTR r = dialog.DoModal(GetHwnd());
    if (r == OVERWRITE_NO) {
      ShowBrowse(true);
      return -1;
    }
    // A cancel confirmed in the dialog has made the finish page active:
    // the sheet stays there instead of moving on from this page.
    if (Sheet().GetActivePage() != this) return 1;
  }
  return 0;
}

INT_PTR CDirChangePage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (message == WM_WIZARD_BUTTON && static_cast<int>(wParam) == IDC_BROWSE) {
    handled = true;
    OnBrowse();
    return 1;
  }
  if (message == WM_COMMAND) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (id == IDC_EXTRACT_ONLY && code == BN_CLICKED) {
      handled = true;
      OnExtractOnlyClicked();
    } else if (id == IDC_DELETE_ON_EXIT && code == BN_CLICKED) {
      handled = true;
      OnDeleteOnExitClicked();
    } else if (id == IDC_PATH && code == EN_CHANGE) {
      handled = true;
      pathText_ = GetWindowTextOf(Item(IDC_PATH));
    }
  }
  return 0;
}

}  // namespace tovu
