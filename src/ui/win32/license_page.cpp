#include "ui/win32/license_page.h"

#include "cmdline/extractor_validator.h"
#include "log/log_file.h"
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"
#include "settings/initializer.h"
#include "settings/messages.h"
#include "ui/win32/label_text.h"
#include "ui/win32/wizard_pages.h"
#include "ui/win32/wizard_support.h"
#include "util/cutil.h"

#include <string>
#include <vector>

namespace tovu {

namespace {
constexpr int IDC_ACCEPT_LICENSE = 1020;
constexpr int IDC_CONFIRM_SECURITY = 1021;
constexpr int IDC_DOCUMENT_VIEW = 1039;
constexpr int IDC_TERMS_LABEL = 1056;
constexpr int IDC_DOCUMENT_LIST = 1059;
constexpr int IDC_DOCUMENT_NAME = 1060;
constexpr int kNotAcceptedBitmap = 168;
constexpr int kAcceptedBitmap = 169;
constexpr int kImageSize = 14;
constexpr COLORREF kImageTransparent = RGB(255, 0, 255);

Text Decimal(int value) {
  Text text;
  for (char c : std::to_string(value)) text.push_back(static_cast<char16_t>(c));
  return text;
}

// The image-list functions of the common-controls library (loaded at run
// time, as the sheet loads the rest of it).
struct ImageListApi {
  decltype(&::ImageList_Create) create = nullptr;
  decltype(&::ImageList_AddMasked) addMasked = nullptr;
  decltype(&::ImageList_Destroy) destroy = nullptr;
};
const ImageListApi& ImageLists() {
  static const ImageListApi api = [] {
    ImageListApi a;
    if (HMODULE library = ::LoadLibraryW(L"comctl32.dll")) {
      a.create = reinterpret_cast<decltype(a.create)>(reinterpret_cast<void*>(::GetProcAddress(library, "ImageList_Create")));
      a.addMasked =
          reinterpret_cast<decltype(a.addMasked)>(reinterpret_cast<void*>(::GetProcAddress(library, "ImageList_AddMasked")));
      a.destroy =
          reinterpret_cast<decltype(a.destroy)>(reinterpret_cast<void*>(::GetProcAddress(library, "ImageList_Destroy")));
    }
    return a;
  }();
  return api;
}

DWORD CALLBACK StreamFromFile(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* got) {
  DWORD read = 0;
  if (!::ReadFile(reinterpret_cast<HANDLE>(cookie), buffer, static_cast<DWORD>(size), &read, nullptr)) {
    *got = 0;
    return 1;
  }
  *got = static_cast<LONG>(read);
  return 0;
}
}  // namespace

CLicensePage::CLicensePage(CTovuSheet& sheet) : CWizardPage(sheet, PageKind::License, IDD_LICENSE_PAGE) {
  SetPaintsTopBanner(true);
}

CLicensePage::~CLicensePage() {
  if (images_ != nullptr && ImageLists().destroy != nullptr) ImageLists().destroy(images_);
}

int CLicensePage::IsFirst() {
  return Sheet().GetStartPage() == this || (GetConditionRetryFlag() == 1 && Sheet().GetActiveIndex() == 1) ? 1 : 0;
}

void CLicensePage::OnInitDialog() {
  if (!Sheet().IsReady()) return;
  const int first = IsFirst();
  Sheet().UpdateNavigationButtons(first, 1);
  defaultFormat_ = CHARFORMAT2W{};
  defaultFormat_.cbSize = sizeof(CHARFORMATW);
  ::SendMessageW(Item(IDC_DOCUMENT_VIEW), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&defaultFormat_));
  EmptyView();
  if (!initialised_) RebuildList();
  initialised_ = true;
  SetTextFont(IDC_TERMS_LABEL);
  Sheet().SetButtonCaptions(Text());
  Sheet().EnableWizardButtons(u"NEXT", 0);
  Sheet().FocusCancelButton();
  OnSetActive();
  if (first == 1) RunPasswordPrompt(Sheet());
}

void CLicensePage::RebuildList() {
  HWND old = Item(IDC_DOCUMENT_LIST);
  RECT rc{21, 58, 297, 84};
  HWND before = HWND_TOP;
  if (old != nullptr) {
    ::GetWindowRect(old, &rc);
    ::MapWindowPoints(nullptr, GetHwnd(), reinterpret_cast<POINT*>(&rc), 2);
    before = ::GetWindow(old, GW_HWNDPREV);
    if (before == nullptr) before = HWND_TOP;
    ::DestroyWindow(old);
  } else {
    ::MapDialogRect(GetHwnd(), &rc);
  }
  HWND list = ::CreateWindowExW(
      WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
      // The page owns the image list (destroyed with the page, not with
      // the list).
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER | LVS_SHOWSELALWAYS |
          LVS_SHAREIMAGELISTS,
      rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, GetHwnd(),
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_DOCUMENT_LIST)), ::GetModuleHandleW(nullptr), nullptr);
  if (list == nullptr) {
    Services().log.WriteLog(LOG_ERROR, u"License", u"The document list could not be created");
    return;
  }
  ::SetWindowPos(list, before, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ::SendMessageW(list, WM_SETFONT, ::SendMessageW(GetHwnd(), WM_GETFONT, 0, 0), FALSE);
  ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  const ImageListApi& api = ImageLists();
  if (api.create != nullptr && api.addMasked != nullptr) {
    images_ = api.create(kImageSize, kImageSize, ILC_COLOR24 | ILC_MASK, 2, 0);
    for (int id : {kNotAcceptedBitmap, kAcceptedBitmap}) {
      HBITMAP bitmap = ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
      if (images_ != nullptr && bitmap != nullptr) api.addMasked(images_, bitmap, kImageTransparent);
      if (bitmap != nullptr) ::DeleteObject(bitmap);
    }
    if (images_ != nullptr) ::SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
  }
  RECT client;
  ::GetClientRect(list, &client);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = client.right - client.left;
  column.pszText = const_cast<LPWSTR>(L"Item Name");
  ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

void CLicensePage::OnSetActive() {
  if (!Sheet().IsReady()) return;
  WizardServices& s = Services();
  Sheet().SetButtonCaptions(Text());
  SetFittedLabelMessage(GetHwnd(), IDC_ACCEPT_LICENSE, s.messages, license::kMsgAcceptLicense, FitVariant::LicensePage);
  SetFittedLabelMessage(GetHwnd(), IDC_CONFIRM_SECURITY, s.messages, license::kMsgConfirmSecurity,
                        FitVariant::LicensePage);
  SetFittedLabelMessage(GetHwnd(), IDC_TERMS_LABEL, s.messages, license::kMsgLicenseTerms, FitVariant::LicensePage);
  SetFittedLabelMessage(GetHwnd(), IDC_DOCUMENT_NAME, s.messages, license::kMsgLicenseEntry, FitVariant::LicensePage);
  const int language = s.init.GetSetupLanguage();
  const Text& folder = s.init.GetTovuTempDir();
  const Text licensePath = s.validator.CheckLicenseFiles(language, folder, 1);
  const Text securityPath = s.validator.CheckLicenseFiles(language, folder, 2);
  documents_ = license::ListDocuments(licensePath, securityPath);
  current_ = documents_.current;
  FillList();
  EmptyView();
  if (!current_.empty()) LoadDocument(current_);
  Sheet().EnableWizardButtons(u"NEXT", 0);
  UpdateNext();
}

void CLicensePage::FillList() {
  HWND list = Item(IDC_DOCUMENT_LIST);
  ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  if (documents_.licenseIndex >= 0) {
    ::ShowWindow(Item(IDC_ACCEPT_LICENSE), SW_SHOW);
    AddEntry(documents_.licenseIndex, license::kMsgLicenseEntry, Checked(IDC_ACCEPT_LICENSE));
  } else {
    ::ShowWindow(Item(IDC_ACCEPT_LICENSE), SW_HIDE);
    SetItemText(GetHwnd(), IDC_DOCUMENT_NAME, Text());
  }
  if (documents_.securityIndex >= 0) {
    ::ShowWindow(Item(IDC_CONFIRM_SECURITY), SW_SHOW);
    AddEntry(documents_.securityIndex, license::kMsgSecurityEntry, Checked(IDC_CONFIRM_SECURITY));
  } else {
    ::ShowWindow(Item(IDC_CONFIRM_SECURITY), SW_HIDE);
    SetItemText(GetHwnd(), IDC_DOCUMENT_NAME, Text());
  }
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  ::SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
  ::SendMessageW(list, LVM_SETSELECTIONMARK, 0, 0);
  ::InvalidateRect(list, nullptr, TRUE);
  ::UpdateWindow(list);
}

void CLicensePage::AddEntry(int index, int message, bool accepted) {
  Text name = EntryName(message);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = index;
  item.iImage = accepted ? 1 : 0;
  item.pszText = const_cast<LPWSTR>(W(name));
  ::SendMessageW(Item(IDC_DOCUMENT_LIST), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void CLicensePage::SetEntryImage(int index, bool accepted) {
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = index;
  item.iImage = accepted ? 1 : 0;
  ::SendMessageW(Item(IDC_DOCUMENT_LIST), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

Text CLicensePage::EntryName(int message) {
  WizardServices& s = Services();
  const int language = s.init.GetSetupLanguage();
  if (license::HasBuiltInEntryNames(language)) return Message(message);
  Text folder = s.init.GetTovuTempDir();
  if (!folder.empty() && folder.back() != u'\\') folder += u'\\';
  const Text path = folder + u"Default" + Decimal(language) + u".ulf";
  if (s.util.FileExists(path) != 1) {
    s.log.WriteLog(LOG_DETAIL, u"Licesne", u"Licesne string not found");
    return Text();
  }
  std::vector<uint8_t> bytes;
  if (s.platform.ReadWholeFile(path, bytes) != 0) {
    s.log.WriteLogNoFunction(LOG_WARNING, u"Licesne");
    return Text();
  }
  return license::EntryNameFromLanguageFile(bytes, message);
}

void CLicensePage::OnEntrySelected(int index) {
  if (const auto selection = license::SelectEntry(documents_, index)) {
    SetFittedLabel(GetHwnd(), IDC_DOCUMENT_NAME, Message(selection->message), FitVariant::LicensePage);
    current_ = selection->path;
  }
  if (!current_.empty()) LoadDocument(current_);
  else EmptyView();
  Sheet().ShowWizardButtons(u"NEXT", SW_SHOW);
  ::SendMessageW(Item(IDC_DOCUMENT_VIEW), WM_VSCROLL, SB_TOP, 0);
  // The page's area of the sheet, with the sheet's title over the banner.
  RECT rc;
  ::GetWindowRect(GetHwnd(), &rc);
  ::MapWindowPoints(nullptr, Sheet().GetHwnd(), reinterpret_cast<POINT*>(&rc), 2);
  ::RedrawWindow(Sheet().GetHwnd(), &rc, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CLicensePage::EmptyView() { ::SetWindowTextW(Item(IDC_DOCUMENT_VIEW), L""); }

void CLicensePage::LoadDocument(const Text& path) {
  HWND view = Item(IDC_DOCUMENT_VIEW);
  HANDLE file = ::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Services().log.WriteLog(LOG_WARNING, u"License", u"The document could not be opened : %s", path);
    EmptyView();
    return;
  }
  const license::DocumentType type = license::TypeOf(path);
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(file);
  stream.pfnCallback = StreamFromFile;
  if (type == license::DocumentType::Rtf) {
    ::SendMessageW(view, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  } else if (type == license::DocumentType::PlainText) {
    ::SendMessageW(view, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&defaultFormat_));
    ::SendMessageW(view, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
  } else {
    // Listed, but not a type the view can show.
    EmptyView();
  }
  ::CloseHandle(file);
}

bool CLicensePage::Checked(int id) const { return ::IsDlgButtonChecked(GetHwnd(), id) == BST_CHECKED; }

void CLicensePage::OnBoxClicked(int id) {
  WizardServices& s = Services();
  const bool security = id == IDC_CONFIRM_SECURITY;
  const int entry = security ? license::SecurityEntryIndex(documents_) : 0;
  if (Checked(id)) {
    SetEntryImage(entry, true);
    if (security)
      s.log.WriteLog(LOG_INFO, u"Security License Agreement", u"User has accepted the lSecurity icense agreement");
    else
      s.log.WriteLog(LOG_INFO, u"License Agreement", u"User has accepted the license agreement");
    UpdateNext();
  } else {
    SetEntryImage(entry, false);
    Sheet().UpdateNavigationButtons(IsFirst(), 1);
    Sheet().EnableWizardButtons(u"NEXT", 0);
    Sheet().FocusCancelButton();
  }
}

void CLicensePage::UpdateNext() {
  if (license::NextAllowed(documents_, Checked(IDC_ACCEPT_LICENSE), Checked(IDC_CONFIRM_SECURITY))) {
    Sheet().EnableWizardButtons(u"NEXT,CANCEL", 1);
    Sheet().FocusNextButton(1);
    SetDefaultId(wizard::ID_WIZNEXT);
  } else {
    Sheet().FocusCancelButton();
    Sheet().EnableWizardButtons(u"NEXT", 0);
    Sheet().FocusCancelButton();
    SetDefaultId(wizard::ID_CANCEL);
  }
}

INT_PTR CLicensePage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED &&
      (LOWORD(wParam) == IDC_ACCEPT_LICENSE || LOWORD(wParam) == IDC_CONFIRM_SECURITY)) {
    handled = true;
    OnBoxClicked(LOWORD(wParam));
    return 0;
  }
  if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header != nullptr && header->idFrom == IDC_DOCUMENT_LIST && header->code == LVN_ITEMCHANGED) {
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
      if ((change->uChanged & LVIF_STATE) != 0 && (change->uNewState & LVIS_SELECTED) != 0 &&
          (change->uOldState & LVIS_SELECTED) == 0)
        OnEntrySelected(change->iItem);
      handled = true;
      return 0;
    }
  }
  return 0;
}

}  // namespace tovu
