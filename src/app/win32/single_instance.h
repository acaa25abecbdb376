// CSingleInstance: the guard that keeps a second package from running in
// the same logon session. It creates (without taking ownership) a named
// mutex in the session's local object namespace; another instance runs
// when the mutex already existed.
#pragma once

#include <windows.h>

namespace tovu {

class CSingleInstance {
 public:
  // `name` without the namespace prefix; "Local\" is put in front.
  explicit CSingleInstance(const wchar_t* name);
  ~CSingleInstance();
  CSingleInstance(const CSingleInstance&) = delete;
  CSingleInstance& operator=(const CSingleInstance&) = delete;

  // True when the mutex was there before this guard: ERROR_ALREADY_EXISTS,
  // or access denied to an existing mutex (one made by an elevated run of
  // the same user, whose security keeps this run from opening it).
  bool IsAnotherInstanceRunning() const;
  // The last error recorded when the mutex was created.
  DWORD GetCreateError() const { return error_; }
  void Close();

 private:
  HANDLE mutex_ = nullptr;
  DWORD error_ = 0;
};

}  // namespace tovu
