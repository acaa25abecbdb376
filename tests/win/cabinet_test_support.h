// Shared by the cabinet tests under Wine: a writer of small uncompressed
// cabinets (members with any names, set ID and index, successor names,
// checksums right, wrong or absent), and a progress window of the tests'
// own on a UI thread that records the messages it gets in order, writes
// the relayed log lines and answers the overwrite question from a script.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cabinet/cab_decompressor.h"
#include "cabinet/win32/extract_package.h"
#include "log/log_file.h"
#include "platform/win32/win32_platform.h"
#include "util/format.h"

namespace tovu::test {

struct CabMember {
  std::string name;  // as stored (8-bit or UTF-8)
  std::string data;
  uint16_t attributes = 0x20;
  uint16_t date = (41 << 9) | (3 << 5) | 4;      // 2021-03-04
  uint16_t time = (5 << 11) | (6 << 5) | (8 / 2);  // 05:06:08
  int64_t declaredSize = -1;                     // the size the entry claims (-1: the real one)
};

struct CabSpec {
  std::vector<CabMember> members;
  std::string signature = "TOVU";
  uint16_t setId = 0x1234;
  uint16_t index = 0;
  std::string previous;  // names of the neighbours in a set
  std::string next;
  enum class Sum { None, Right, Wrong } checksum = Sum::Right;
};

inline uint32_t CabChecksum(const uint8_t* p, size_t n, uint32_t sum) {
  for (size_t i = 0; i + 4 <= n; i += 4) sum ^= p[i] | (p[i + 1] << 8) | (p[i + 2] << 16) | (uint32_t(p[i + 3]) << 24);
  uint32_t ul = 0;
  const uint8_t* q = p + (n & ~size_t(3));
  switch (n & 3) {
    case 3: ul |= uint32_t(*q++) << 16; [[fallthrough]];
    case 2: ul |= uint32_t(*q++) << 8; [[fallthrough]];
    case 1: ul |= *q; break;
    default: break;
  }
  return sum ^ ul;
}

// One folder without compression, data blocks of at most 32,768 bytes.
inline std::string WriteCabinet(const CabSpec& spec) {
  auto u16 = [](std::string& s, uint32_t v) { s += char(v & 0xFF); s += char((v >> 8) & 0xFF); };
  auto u32 = [&](std::string& s, uint32_t v) { u16(s, v & 0xFFFF); u16(s, v >> 16); };
  std::string data;
  std::string files;
  for (const CabMember& m : spec.members) {
    u32(files, m.declaredSize >= 0 ? uint32_t(m.declaredSize) : uint32_t(m.data.size()));
    u32(files, uint32_t(data.size()));
    u16(files, 0);
    u16(files, m.date);
    u16(files, m.time);
    u16(files, m.attributes);
    files += m.name;
    files += '\0';
    data += m.data;
  }
  std::string names;
  uint16_t flags = 0;
  if (!spec.previous.empty()) {
    flags |= 1;
    names += spec.previous + '\0' + '\0';
  }
  if (!spec.next.empty()) {
    flags |= 2;
    names += spec.next + '\0' + '\0';
  }
  std::string blocks;
  size_t blockCount = 0;
  for (size_t at = 0; at < data.size() || (blockCount == 0 && data.empty() && false); at += 32768) {
    std::string chunk = data.substr(at, 32768);
    std::string sizes;
    u16(sizes, uint32_t(chunk.size()));
    u16(sizes, uint32_t(chunk.size()));
    uint32_t sum = 0;
    if (spec.checksum != CabSpec::Sum::None) {
      sum = CabChecksum(reinterpret_cast<const uint8_t*>(chunk.data()), chunk.size(), 0);
      sum = CabChecksum(reinterpret_cast<const uint8_t*>(sizes.data()), 4, sum);
      if (spec.checksum == CabSpec::Sum::Wrong) sum ^= 0x5A5A5A5A;
    }
    u32(blocks, sum);
    blocks += sizes + chunk;
    ++blockCount;
  }
  const uint32_t headerSize = 36 + uint32_t(names.size());
  const uint32_t filesAt = headerSize + 8;
  const uint32_t dataAt = filesAt + uint32_t(files.size());
  std::string cab = spec.signature;
  u32(cab, 0);
  u32(cab, dataAt + uint32_t(blocks.size()));
  u32(cab, 0);
  u32(cab, filesAt);
  u32(cab, 0);
  cab += char(3);
  cab += char(1);
  u16(cab, 1);
  u16(cab, uint32_t(spec.members.size()));
  u16(cab, flags);
  u16(cab, spec.setId);
  u16(cab, spec.index);
  cab += names;
  u32(cab, dataAt);
  u16(cab, uint32_t(blockCount));
  u16(cab, 0);
  return cab + files + blocks;
}

inline std::wstring Wide(const Text& t) { return std::wstring(W(t)); }

inline bool WriteBytes(const Text& path, const std::string& bytes) {
  HANDLE h = ::CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  BOOL ok = ::WriteFile(h, bytes.data(), DWORD(bytes.size()), &done, nullptr);
  ::CloseHandle(h);
  return ok && done == bytes.size();
}

inline std::string ReadBytes(const Text& path) {
  HANDLE h = ::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string out;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  ::CloseHandle(h);
  return out;
}

// One message the window got.
struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  std::string text;  // for log lines: "level|function|line"
  bool sent = false;  // sent from another thread (not posted)
};

class TestWindow {
 public:
  explicit TestWindow(CLogFile* log = nullptr) : log_(log) {
    ready_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    finished_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    drained_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this] { Run(); });
    ::WaitForSingleObject(ready_, 10000);
  }
  ~TestWindow() {
    if (hwnd_) ::PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    thread_.join();
    ::CloseHandle(ready_);
    ::CloseHandle(finished_);
    ::CloseHandle(drained_);
  }
  HWND Handle() const { return hwnd_; }
  // Answers for the overwrite questions, in order (the last one repeats).
  void Script(std::deque<int> answers) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_ = std::move(answers);
  }
  // Waits for WM_EXTRACT_DONE or WM_EXTRACT_FAILED.
  bool WaitFinished(DWORD ms = 30000) { return ::WaitForSingleObject(finished_, ms) == WAIT_OBJECT_0; }
  // Lets every message posted so far arrive.
  void Drain() {
    ::ResetEvent(drained_);
    ::PostMessageW(hwnd_, WM_APP, 0, 0);
    ::WaitForSingleObject(drained_, 10000);
  }
  std::vector<Seen> Messages() {
    Drain();
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }
  std::vector<std::string> LogLines() {
    std::vector<std::string> out;
    for (const Seen& s : Messages())
      if (s.message == WM_EXTRACT_LOG) out.push_back(s.text);
    return out;
  }
  int Count(UINT message, WPARAM wParam) {
    int n = 0;
    for (const Seen& s : Messages())
      if (s.message == message && s.wParam == wParam) ++n;
    return n;
  }
  void Clear() {
    Drain();
    std::lock_guard<std::mutex> lock(mutex_);
    seen_.clear();
    ::ResetEvent(finished_);
  }

 private:
  static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<TestWindow*>(::GetWindowLongPtrW(h, GWLP_USERDATA));
    if (self) {
      switch (m) {
        case WM_EXTRACT_LOG: {
          const auto* r = reinterpret_cast<const LogRelayRecord*>(w);
          Text line = Format(r->text, r->argument);
          if (self->log_) self->log_->WriteLogText(r->level, r->function, line);
          self->Record(m, w, l, std::to_string(r->level) + "|" + ToUtf8(r->function) + "|" + ToUtf8(line));
          return 1;
        }
        case WM_ASK_OVERWRITE: {
          int answer = -1;
          {
            std::lock_guard<std::mutex> lock(self->mutex_);
            if (!self->answers_.empty()) {
              answer = self->answers_.front();
              if (self->answers_.size() > 1) self->answers_.pop_front();
            }
          }
          g_nOverwriteAnswer = answer;
          self->Record(m, w, l, std::to_string(answer));
          return 1;
        }
        case WM_EXTRACT_PROGRESS:
          self->Record(m, w, l, "");
          return 1;
        case WM_EXTRACT_DONE:
        case WM_EXTRACT_FAILED:
          self->Record(m, w, l, "");
          ::SetEvent(self->finished_);
          return 1;
        case WM_APP: ::SetEvent(self->drained_); return 0;
        case WM_CLOSE: ::DestroyWindow(h); return 0;
        case WM_DESTROY: ::PostQuitMessage(0); return 0;
        default: break;
      }
    }
    return ::DefWindowProcW(h, m, w, l);
  }
  void Record(UINT m, WPARAM w, LPARAM l, std::string text) {
    std::lock_guard<std::mutex> lock(mutex_);
    seen_.push_back({m, w, l, std::move(text), ::InSendMessage() != FALSE});
  }
  void Run() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TovuCabinetTestWindow";
    ::RegisterClassW(&wc);
    hwnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"cabinet test", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                              wc.hInstance, nullptr);
    if (hwnd_) ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetEvent(ready_);
    MSG msg;
    while (hwnd_ && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }

  CLogFile* log_;
  HWND hwnd_ = nullptr;
  HANDLE ready_;
  HANDLE finished_;
  HANDLE drained_;
  std::thread thread_;
  std::mutex mutex_;
  std::vector<Seen> seen_;
  std::deque<int> answers_;
};

}  // namespace tovu::test
