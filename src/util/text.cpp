#include "util/text.h"

#include <cstdio>

namespace {

bool isCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::string& trimLeft(std::string& text) {
  size_t start = 0;
  while (start < text.size() && isCSpace(text[start])) ++start;
  text.erase(0, start);
  return text;
}

std::string& trimRight(std::string& text) {
  size_t end = text.size();
  while (end > 0 && isCSpace(text[end - 1])) --end;
  text.erase(end);
  return text;
}

std::string trimmed(const std::string& text) {
  std::string copy = text;
  return trimLeft(trimRight(copy));
}

std::string stripQuotes(const std::string& text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    return text.substr(1, text.size() - 2);
  return text;
}

std::string formatText(const char* format, va_list arguments) {
  // The length needs a pass of its own, which uses the list up.
  va_list again;
  va_copy(again, arguments);
  int length = std::vsnprintf(nullptr, 0, format, arguments);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(&text[0], text.size() + 1, format, again);
  va_end(again);
  return text;
}
