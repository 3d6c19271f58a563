#include "config/text.h"

#include <climits>
#include <cstdarg>
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

int parseInteger(const char* text) {
  while (isCSpace(*text)) ++text;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  // Accumulate the magnitude up to one past INT_MAX, so that INT_MIN still
  // fits and no longer digit string can overflow.
  const long long limit = static_cast<long long>(INT_MAX) + 1;
  long long magnitude = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    magnitude = magnitude * 10 + (*text - '0');
    if (magnitude > limit) magnitude = limit;
  }
  long long value = negative ? -magnitude : magnitude;
  if (value > INT_MAX) value = INT_MAX;
  return static_cast<int>(value);
}

void printOut(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stdout, format, arguments);
  va_end(arguments);
  std::fflush(stdout);
}
