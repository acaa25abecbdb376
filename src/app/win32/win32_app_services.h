// The Windows services of the application object: GDI+ through its flat
// API, the UI language, the single-instance mutex, OLE, the rich-edit
// library, message boxes and the end of the process.
#pragma once

#include <memory>

#include "app/fennock_app.h"
#include "app/win32/single_instance.h"

namespace tovu {

class Win32AppServices : public IAppServices {
 public:
  // The message texts whose captions the message boxes put on their
  // buttons (the built-in ones while none is set).
  void SetMessages(const CMessageCatalog* messages) { messages_ = messages; }
  bool StartImageLibrary(uintptr_t& token) override;
  void ShutdownImageLibrary(uintptr_t token) override;
  int GetUILanguage() override;
  void ParseCommandLine(CExtractorCommandOpt& options) override;
  bool CreateSingleInstance() override;
  void CloseSingleInstance() override;
  bool InitializeOle() override;
  void UninitializeOle() override;
  void LoadRichEditLibrary() override;
  int ShowMessage(const Text& text, const Text& caption, uint32_t style) override;
  [[noreturn]] void EndProcess(int exitCode) override;
  bool IsUserAdmin() override;
  void LockFile(const Text& path) override;
  void UnlockFile() override;
  uintptr_t LoadImageFile(const Text& path) override;
  void FreeImage(uintptr_t image) override;
  ~Win32AppServices() override;

 private:
  std::unique_ptr<CSingleInstance> guard_;
  void* lock_ = nullptr;  // HANDLE of the locked file
  const CMessageCatalog* messages_ = nullptr;
};

}  // namespace tovu
