#include "app/win32/message_box.h"

#include <iterator>

#include "platform/win32/win32_platform.h"
#include "settings/builtin_messages.h"
#include "settings/messages.h"
#include "settings/win32/resource_message_texts.h"

namespace tovu {

namespace {

constexpr int kMsgOk = 405;
constexpr int kMsgCancel = 406;
constexpr int kMsgYes = 702;
constexpr int kMsgNo = 704;

// The hook of the box being shown on this thread and the captions it puts
// in place; the hook removes itself at the box's activation.
struct HookState {
  HHOOK hook = nullptr;
  MessageBoxButtonMap captions;
};
thread_local HookState* t_hook = nullptr;

Text MessageText(const CMessageCatalog* messages, int number) {
  return messages != nullptr ? messages->GetMessageText(number) : GetBuiltInMessageText(number);
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
  HookState* state = t_hook;
  if (state == nullptr) return 0;
  if (code != HCBT_ACTIVATE) return ::CallNextHookEx(state->hook, code, wParam, lParam);
  HWND box = reinterpret_cast<HWND>(wParam);
  for (int id : {IDYES, IDOK, IDNO, IDCANCEL}) {
    HWND button = ::GetDlgItem(box, id);
    if (button == nullptr) continue;
    auto it = state->captions.find(id);
    const Text caption = it != state->captions.end() ? it->second : BuiltInButtonCaption(id);
    ::SetWindowTextW(button, W(caption));
  }
  ::UnhookWindowsHookEx(state->hook);
  state->hook = nullptr;
  return 0;
}

}  // namespace

uint32_t MapMessageBoxStyle(uint32_t requested, const CMessageCatalog* messages, MessageBoxButtonMap& captions) {
  captions.clear();
  auto okCancel = [&](bool cancel) {
    captions[IDOK] = MessageText(messages, kMsgOk);
    if (cancel) captions[IDCANCEL] = MessageText(messages, kMsgCancel);
  };
  auto yesNo = [&] {
    captions[IDYES] = MessageText(messages, kMsgYes);
    captions[IDNO] = MessageText(messages, kMsgNo);
  };
  switch (requested) {
    case MB_OK: okCancel(false); return MB_OK | MB_ICONEXCLAMATION;
    case MB_OKCANCEL: okCancel(true); return MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2;
    case MB_YESNOCANCEL: return MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3;
    case MB_YESNO: yesNo(); return MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
    case MB_OK | MB_ICONERROR: okCancel(false); return requested;
    case MB_OKCANCEL | MB_ICONERROR: okCancel(true); return requested | MB_DEFBUTTON2;
    case MB_YESNO | MB_ICONEXCLAMATION: yesNo(); return requested | MB_DEFBUTTON2;
    default: return requested;
  }
}

Text BuiltInButtonCaption(int buttonId) {
  int number = 0;
  switch (buttonId) {
    case IDYES: number = kMsgYes; break;
    case IDOK: number = kMsgOk; break;
    case IDNO: number = kMsgNo; break;
    case IDCANCEL: number = kMsgCancel; break;
    default: return Text();
  }
  Text text = CResourceMessageTexts().LoadText(number);
  return text.empty() ? GetBuiltInMessageText(number) : text;
}

int ShowTovuMessageBox(const Text& text, uint32_t style, const Text& caption, const CMessageCatalog* messages,
                       HWND owner) {
  HookState state;
  const uint32_t shown = MapMessageBoxStyle(style, messages, state.captions);
  Text title = caption;
  if (title.empty()) {
    wchar_t path[MAX_PATH * 4] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    title = FromW(path, n);
  }
  // A box shown from inside another one's hook window keeps the outer state.
  HookState* outer = t_hook;
  t_hook = &state;
  state.hook = ::SetWindowsHookExW(WH_CBT, CbtHook, nullptr, ::GetCurrentThreadId());
  const int pressed = ::MessageBoxW(owner, W(text), W(title), shown);
  if (state.hook != nullptr) ::UnhookWindowsHookEx(state.hook);
  t_hook = outer;
  return pressed;
}

}  // namespace tovu
