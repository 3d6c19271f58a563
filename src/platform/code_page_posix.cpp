#include "platform/code_page.h"

unsigned narrowCodePage() { return kUtf8CodePage; }

unsigned legacyCodePage() { return kUtf8CodePage; }

bool toUtf8(const std::string& text, unsigned, std::string* utf8) {
  *utf8 = text;
  return true;
}

std::string fromUtf8(const std::string& utf8, unsigned, bool* held) {
  if (held != nullptr) *held = true;
  return utf8;
}

std::string unheldStartText() { return std::string(); }

std::filesystem::path narrowPath(const std::string& path) { return path; }

bool writeToConsole(const std::string&) { return false; }
