#include "app/fennock_app.h"
#include "app/finish_messages.h"
#include "log/log_file.h"
#include "settings/initializer.h"
#include "settings/messages.h"
#include "settings/package_settings.h"
#include "settings/profile.h"
#include "ui/label_fitting.h"
#include "ui/win32/label_text.h"
#include "ui/win32/wizard_pages.h"
#include "ui/win32/wizard_support.h"
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"
#include "util/cutil.h"
#include "util/process_launch.h"

namespace tovu {

using namespace wizard;

namespace {
constexpr int IDC_FINISH_TEXT = 1033;
constexpr int IDC_FINISH_PICTURE = 1051;
constexpr int IDC_OPEN_LOCATION = 1014;
constexpr int IDC_FINISH_DETAIL = 1061;
constexpr int kMsgOpenLocation = 609;
constexpr int kMsgNoPermission = 414;
constexpr int kMsgPathMissing = 107;
constexpr char16_t kFinishFunction[] = u"CFinishPage::OnWizardNext";
}  // namespace

CFinishPage::CFinishPage(CTovuSheet& sheet) : CWizardPage(sheet, PageKind::Finish, IDD_FINISH_PAGE) {}

void CFinishPage::SetPicture(int bitmap) {
  HWND picture = Item(IDC_FINISH_PICTURE);
  if (picture == nullptr) return;
  HBITMAP image = static_cast<HBITMAP>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmap), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  if (image == nullptr) return;
  HBITMAP old = reinterpret_cast<HBITMAP>(::SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image)));
  if (old != nullptr && old != image) ::DeleteObject(old);
}

void CFinishPage::SetFinishText() {
  WizardServices& s = Services();
  FinishInputs in;
  in.runStatus = s.init.GetRunStatus();
  in.launchAtExtraction = Sheet().GetLaunchAtExtractionFlag();
  in.extractOnly = s.app.GetExtractOnlyFlag();
  in.autolaunch = s.init.GetAutolaunchFlag();
  in.returnCodeUnconfigured = s.finish.IsReturnCodeUnconfigured();
  in.finishMessage = s.finish.GetFinishMessage();
  in.displayName = s.init.GetDisplayName();
  in.partFileName = s.init.GetFailedPartName();
  const FinishText out = DecideFinishText(in, [&s](int number) { return s.messages.GetMessageText(number); });
  if (out.fitted)
    SetFittedLabel(GetHwnd(), IDC_FINISH_TEXT, out.text, FitVariant::FinishPage);
  else
    SetItemText(GetHwnd(), IDC_FINISH_TEXT, out.text);
  errorOutcome_ = out.errorOutcome;
  if (out.picture != 0) SetPicture(out.picture);
  if (!out.detail.empty()) SetFittedLabel(GetHwnd(), IDC_FINISH_DETAIL, out.detail, FitVariant::FinishPage);
}

void CFinishPage::OnInitDialog() {
  if (!Sheet().IsReady() || initialised_) return;
  initialised_ = true;
  WizardServices& s = Services();
  // 1. The window's Close command works again.
  Sheet().EnableCloseCommand(5);
  // 2.-3.
  SetFinishText();
  SetTitleFont(IDC_FINISH_TEXT);
  SetTextFont(IDC_OPEN_LOCATION);
  SetTextFont(IDC_FINISH_DETAIL);
  // 4.
  if (s.init.GetRunStatus() != 0) SetPicture(kPictureError);
  // 5.-6. The extraction folder can be opened on Finish.
  CProfile profile(s.platform);
  const Text& settings = s.init.GetSettingsPath();
  OpenLocationInputs open;
  open.openExtractionLocation =
      pkg::ReadText(profile, settings, pkg::section::kRuntime, pkg::key::kOpenExtractionLocation);
  const Text multilaunch = pkg::ReadText(profile, settings, pkg::section::kRuntime, pkg::key::kMultilaunch);
  open.launchValue = pkg::ReadText(profile, settings, pkg::section::kRuntime,
                                   multilaunch != u"1" ? Text(pkg::key::kAutoLaunch) : Text(pkg::key::kAutoLaunch) + u"1");
  open.errorOutcome = errorOutcome_;
  open.userIsAdmin = s.app.IsUserAdmin();
  open.extractOnly = s.app.GetExtractOnlyFlag();
  open.launchAtExtraction = Sheet().GetLaunchAtExtractionFlag();
  open.waitForAutolaunchFinish = s.init.GetWaitForAutolaunchFinishFlag();
  if (OfferOpenExtractionLocation(open)) {
    HWND box = Item(IDC_OPEN_LOCATION);
    ::SetWindowTextW(box, W(Message(kMsgOpenLocation)));
    ::SendMessageW(box, BM_SETCHECK, BST_UNCHECKED, 0);
    ::ShowWindow(box, SW_SHOW);
  }
  // 7. Only Finish is left.
  Sheet().ShowWizardButtons(u"FINISH", SW_SHOW);
  Sheet().ShowWizardButtons(u"BACK,NEXT,CANCEL", SW_HIDE);
  Sheet().EnableWizardButtons(u"FINISH", 1);
  Sheet().EnableWizardButtons(u"BACK,NEXT,CANCEL", 0);
  Sheet().SetButtonCaptions(u"FINISH");
  SetDefaultId(ID_WIZFINISH);
  Sheet().FocusFinishButton();
}

void CFinishPage::OnSetActive() {
  Sheet().FocusFinishButton();
  SetDefaultId(ID_WIZFINISH);
}

bool CFinishPage::OnWizardFinish() {
  WizardServices& s = Services();
  const Text path = s.init.GetExtractionFolder();
  HWND box = Item(IDC_OPEN_LOCATION);
  if (box != nullptr && ::IsWindowVisible(box) && ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED) {
    Text folder = path;
    if (folder.size() > 3 && folder.back() == u'\\') folder.pop_back();
    uint32_t error = 0;
    const uint32_t attributes = s.platform.FileAttributes(folder, &error);
    if (attributes != fileattr::kInvalid && (attributes & fileattr::kDirectory) != 0) {
      if (s.util.IsFolderWritable(folder) == 1) {
        if (s.processes != nullptr) {
          Text error;
          s.processes->LaunchApplication(path, Text(), error, 0);
        }
      } else {
        Sheet().ShowWindow(false);
        Text text = Message(kMsgNoPermission);
        ReplaceAll(text, u"[INVALIDPATH]", path);
        s.app.ShowMessageBox(text, MB_OK | MB_ICONERROR);
        s.log.WriteLog(LOG_ERROR, kFinishFunction, u"Please check the permission of the path: %s", path);
      }
    } else {
      Sheet().ShowWindow(false);
      Text text = Message(kMsgPathMissing);
      ReplaceAll(text, u"[PATH]", path);
      s.app.ShowMessageBox(text, MB_OK | MB_ICONERROR);
      s.log.WriteLog(LOG_ERROR, kFinishFunction, u"Extration path does not exist : %s", path);
    }
  } else if (s.app.GetExtractOnlyFlag() == 0 && Sheet().GetLaunchAtExtractionFlag() == 0) {
    if (Sheet().HandleLaunchSetup() == LAUNCH_END_WIZARD) Sheet().EndWizard(0);
  }
  return true;
}

}  // namespace tovu
