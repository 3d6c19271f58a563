#include "platform/code_page.h"

#include "platform/windows_support.h"

#include <shellapi.h>

#include <io.h>
#include <cstdio>
#include <vector>

namespace {

std::wstring wide(const std::string& text, unsigned codePage, bool* valid = nullptr) {
  if (text.empty()) return std::wstring();
  int size = static_cast<int>(text.size());
  int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (valid != nullptr) *valid = length > 0;
  // Text that is not valid in the code page still converts, each bad byte
  // to U+FFFD, so that what is wrong with it shows.
  DWORD flags = length > 0 ? MB_ERR_INVALID_CHARS : 0;
  if (length == 0) length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring result(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), size, &result[0], length);
  return result;
}

// The characters at `text`, `count` UTF-16 units, in `codePage`; false
// when it cannot hold one of them. UTF-8 holds every character but an
// unpaired surrogate, which the system would turn into U+FFFD; the others
// are asked for no best fit ("ä" for "ą") and to say whether they used
// their default character.
bool narrowed(const wchar_t* text, int count, unsigned codePage, std::string* out) {
  BOOL usedDefault = FALSE;
  bool utf8 = codePage == CP_UTF8;
  DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL* defaulted = utf8 ? nullptr : &usedDefault;
  int length = WideCharToMultiByte(codePage, flags, text, count, nullptr, 0, nullptr, defaulted);
  if (length <= 0 || usedDefault) return false;
  std::string result(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, flags, text, count, &result[0], length, nullptr, nullptr);
  *out += result;
  return true;
}

std::string narrow(const std::wstring& text, unsigned codePage, bool* held) {
  std::string result;
  if (held != nullptr) *held = true;
  if (narrowed(text.data(), static_cast<int>(text.size()), codePage, &result)) return result;
  result.clear();
  for (size_t at = 0; at < text.size();) {
    bool pair = at + 1 < text.size() && IS_HIGH_SURROGATE(text[at]) &&
                IS_LOW_SURROGATE(text[at + 1]);
    int count = pair ? 2 : 1;
    if (!narrowed(&text[at], count, codePage, &result)) {
      unsigned character = pair ? 0x10000u + ((text[at] - 0xD800u) << 10) + (text[at + 1] - 0xDC00u)
                                : static_cast<unsigned>(text[at]);
      char written[16];
      std::snprintf(written, sizeof written, "<U+%04X>", character);
      result += written;
      if (held != nullptr) *held = false;
    }
    at += static_cast<size_t>(count);
  }
  return result;
}

}  // namespace

unsigned narrowCodePage() { return GetACP(); }

unsigned legacyCodePage() {
  // What GetACP would answer without the manifest: the ANSI code page of
  // the system's locale, the one for programs that are not Unicode.
  DWORD codePage = 0;
  int got = GetLocaleInfoEx(LOCALE_NAME_SYSTEM_DEFAULT,
                            LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                            reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(WCHAR));
  // Locales without one (Hindi, say) name 0, which stands for the ACP.
  return got > 0 && codePage != 0 && codePage != CP_ACP ? codePage : 1252;
}

bool toUtf8(const std::string& text, unsigned codePage, std::string* utf8) {
  bool valid = true;
  *utf8 = narrow(wide(text, codePage, &valid), CP_UTF8, nullptr);
  return valid || text.empty();
}

std::string fromUtf8(const std::string& utf8, unsigned codePage, bool* held) {
  return narrow(wide(utf8, CP_UTF8), codePage, held);
}

std::string unheldStartText() {
  // The words as the system keeps them, before they were narrowed for main.
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::string described;
  for (int i = 1; words != nullptr && i < count && described.empty(); ++i) {
    bool held = true;
    std::string word = narrow(words[i], narrowCodePage(), &held);
    if (!held) described = "the argument \"" + word + "\"";
  }
  if (words != nullptr) LocalFree(words);
  std::vector<wchar_t> path(32768);
  DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  bool held = true;
  std::string self = narrow(std::wstring(path.data(), length), narrowCodePage(), &held);
  if (described.empty() && !held) described = "the tool's path \"" + self + "\"";
  return described;
}

std::filesystem::path narrowPath(const std::string& path) {
  return std::filesystem::path(wideText(path));
}

bool writeToConsole(const std::string& text) {
  HANDLE out = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout)));
  DWORD mode = 0;
  if (out == INVALID_HANDLE_VALUE || !GetConsoleMode(out, &mode)) return false;
  std::wstring characters = wide(text, narrowCodePage());
  DWORD written = 0;
  return WriteConsoleW(out, characters.data(), static_cast<DWORD>(characters.size()), &written,
                       nullptr) != 0;
}
