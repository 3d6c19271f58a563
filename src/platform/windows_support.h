// What every Win32 twin needs beside the headers: a guard that closes a
// handle on every way out, the system's text for an error code, and narrow
// text as the system's own UTF-16.
#pragma once

#include "platform/windows_headers.h"

#include <string>

class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle = nullptr) : handle_(handle) {}
  ~ScopedHandle() { close(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  // Calls that fail give back either null or INVALID_HANDLE_VALUE.
  bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  HANDLE* out() { return &handle_; }
  // Hands the handle over to a new owner, who must close it.
  HANDLE release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  void reset(HANDLE handle = nullptr) {
    close();
    handle_ = handle;
  }
  // False when the system refused to close it: for a file being written,
  // the last of its bytes may not have reached the disk.
  bool close() {
    if (!valid()) return true;
    HANDLE handle = handle_;
    handle_ = nullptr;
    return CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

// The system's text for `code` in the neutral language, without the line end
// the system gives it; empty when it has none.
inline std::string systemText(DWORD code) {
  char* text = nullptr;
  DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM,
                                nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = length > 0 && text != nullptr ? std::string(text, length) : std::string();
  if (text != nullptr) LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) result.pop_back();
  return result;
}

// Narrow text, in the process's code page, as UTF-16 for the W functions.
// The A functions convert the same way, but Wine's refuse a path past 260
// characters even in a program whose manifest declares long paths.
inline std::wstring wideText(const std::string& text) {
  if (text.empty()) return std::wstring();
  int size = static_cast<int>(text.size());
  int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring result(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), size, &result[0], length);
  return result;
}
