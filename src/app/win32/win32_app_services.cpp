#include "app/win32/win32_app_services.h"

#include <windows.h>
#include <ole2.h>

#include "app/win32/message_box.h"
#include "cmdline/win32/process_command_line.h"
#include "platform/win32/win32_platform.h"

// The flat GDI+ start and shutdown (gdiplus.dll), declared here so that
// the C++ wrapper headers stay out.
namespace {
struct GdiplusStartupInputFlat {
  UINT32 GdiplusVersion;
  void* DebugEventCallback;
  BOOL SuppressBackgroundThread;
  BOOL SuppressExternalCodecs;
};
}  // namespace
extern "C" int WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInputFlat* input, void* output);
extern "C" void WINAPI GdiplusShutdown(ULONG_PTR token);
extern "C" int WINAPI GdipLoadImageFromFile(const WCHAR* file, void** image);
extern "C" int WINAPI GdipDisposeImage(void* image);
extern "C" int WINAPI GdipGetImageWidth(void* image, UINT* width);
extern "C" int WINAPI GdipGetImageHeight(void* image, UINT* height);
extern "C" int WINAPI GdipCreateBitmapFromScan0(INT width, INT height, INT stride, INT format, BYTE* scan0,
                                                void** bitmap);
extern "C" int WINAPI GdipGetImageGraphicsContext(void* image, void** graphics);
extern "C" int WINAPI GdipDrawImageRectI(void* graphics, void* image, INT x, INT y, INT width, INT height);
extern "C" int WINAPI GdipDeleteGraphics(void* graphics);

namespace tovu {

bool Win32AppServices::StartImageLibrary(uintptr_t& token) {
  GdiplusStartupInputFlat input = {1, nullptr, FALSE, FALSE};
  ULONG_PTR t = 0;
  if (GdiplusStartup(&t, &input, nullptr) != 0) return false;
  token = t;
  return true;
}

void Win32AppServices::ShutdownImageLibrary(uintptr_t token) { GdiplusShutdown(static_cast<ULONG_PTR>(token)); }

int Win32AppServices::GetUILanguage() { return Win32Platform().UserUILanguage(); }

void Win32AppServices::ParseCommandLine(CExtractorCommandOpt& options) { ParseProcessCommandLine(options); }

bool Win32AppServices::CreateSingleInstance() {
  guard_ = std::make_unique<CSingleInstance>(W(Text(kSingleInstanceMutexName)));
  return guard_->IsAnotherInstanceRunning();
}

void Win32AppServices::CloseSingleInstance() { guard_.reset(); }

bool Win32AppServices::InitializeOle() { return SUCCEEDED(::OleInitialize(nullptr)); }

void Win32AppServices::UninitializeOle() { ::OleUninitialize(); }

void Win32AppServices::LoadRichEditLibrary() { ::LoadLibraryW(L"RICHED32.DLL"); }

int Win32AppServices::ShowMessage(const Text& text, const Text& caption, uint32_t style) {
  return ShowTovuMessageBox(text, style, caption, messages_);
}

void Win32AppServices::EndProcess(int exitCode) { ::ExitProcess(static_cast<UINT>(exitCode)); }

bool Win32AppServices::IsUserAdmin() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators))
    return false;
  BOOL member = FALSE;
  // The effective token of the calling thread: a filtered administrator
  // token under User Account Control is not a member.
  if (!::CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
  ::FreeSid(administrators);
  return member != FALSE;
}

void Win32AppServices::LockFile(const Text& path) {
  UnlockFile();
  HANDLE h = ::CreateFileW(W(path), FILE_READ_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
  if (h != INVALID_HANDLE_VALUE) lock_ = h;
}

void Win32AppServices::UnlockFile() {
  if (lock_ != nullptr) ::CloseHandle(static_cast<HANDLE>(lock_));
  lock_ = nullptr;
}

uintptr_t Win32AppServices::LoadImageFile(const Text& path) {
  // An image loaded from a file keeps the file open for as long as it
  // lives; the banner may lie in the Tovu temp folder, which is deleted
  // while the image is still in use. The picture is drawn into a bitmap of
  // its own and the file is let go.
  void* image = nullptr;
  if (GdipLoadImageFromFile(W(path), &image) != 0) return 0;
  constexpr INT kPixelFormat32bppARGB = 0x26200A;
  UINT width = 0, height = 0;
  void* copy = nullptr;
  void* graphics = nullptr;
  bool drawn = GdipGetImageWidth(image, &width) == 0 && GdipGetImageHeight(image, &height) == 0 && width > 0 &&
               height > 0 &&
               GdipCreateBitmapFromScan0(static_cast<INT>(width), static_cast<INT>(height), 0, kPixelFormat32bppARGB,
                                         nullptr, &copy) == 0;
  if (drawn) {
    drawn = GdipGetImageGraphicsContext(copy, &graphics) == 0 &&
            GdipDrawImageRectI(graphics, image, 0, 0, static_cast<INT>(width), static_cast<INT>(height)) == 0;
    if (graphics != nullptr) GdipDeleteGraphics(graphics);
  }
  if (!drawn) {
    if (copy != nullptr) GdipDisposeImage(copy);
    return reinterpret_cast<uintptr_t>(image);
  }
  GdipDisposeImage(image);
  return reinterpret_cast<uintptr_t>(copy);
}

void Win32AppServices::FreeImage(uintptr_t image) {
  if (image != 0) GdipDisposeImage(reinterpret_cast<void*>(image));
}

Win32AppServices::~Win32AppServices() { UnlockFile(); }

}  // namespace tovu
