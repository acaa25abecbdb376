#include "app/win32/win32_app_services.h"

#include <windows.h>
#include <ole2.h>

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

namespace tovu {

bool Win32AppServices::StartImageLibrary(uintptr_t& token) {
  GdiplusStartupInputFlat input = {1, nullptr, FALSE, FALSE};
  ULONG_PTR t = 0;
  if (GdiplusStartup(&t, &input, nullptr) != 0) return false;
  token = t;
  return true;
}

void Win32AppServices::ShutdownImageLibrary(uintptr_t token) { GdiplusShutdown(static_cast<ULONG_PTR>(token)); }

int Win32AppServices::GetUILanguage() {
  using GetLanguageFn = LANGID(WINAPI*)();
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return -1;
  auto fn = reinterpret_cast<GetLanguageFn>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "GetUserDefaultUILanguage")));
  if (fn == nullptr) return -1;
  return static_cast<int>(fn());
}

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
  return ::MessageBoxW(nullptr, W(text), W(caption), style);
}

void Win32AppServices::EndProcess(int exitCode) { ::ExitProcess(static_cast<UINT>(exitCode)); }

}  // namespace tovu
