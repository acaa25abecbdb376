#include "app/win32/single_instance.h"

#include <string>

namespace tovu {

CSingleInstance::CSingleInstance(const wchar_t* name) {
  std::wstring full = L"Local\\";
  full += name;
  mutex_ = ::CreateMutexW(nullptr, FALSE, full.c_str());
  error_ = ::GetLastError();
}

CSingleInstance::~CSingleInstance() { Close(); }

bool CSingleInstance::IsAnotherInstanceRunning() const {
  if (error_ == ERROR_ALREADY_EXISTS) return true;
  return mutex_ == nullptr && error_ == ERROR_ACCESS_DENIED;
}

void CSingleInstance::Close() {
  if (mutex_ != nullptr) ::CloseHandle(mutex_);
  mutex_ = nullptr;
}

}  // namespace tovu
