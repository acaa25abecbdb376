#include "settings/win32/resource_message_texts.h"

namespace tovu {

Text CResourceMessageTexts::LoadText(int id) {
  if (id < 0 || id > 0xFFFF) return Text();
  // With a buffer length of 0, LoadStringW hands out a read-only pointer to
  // the text in the resource and returns its length.
  const wchar_t* text = nullptr;
  const int length = ::LoadStringW(module_, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return Text();
  return Text(reinterpret_cast<const char16_t*>(text), static_cast<size_t>(length));
}

}  // namespace tovu
