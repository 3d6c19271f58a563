#include "config/narrow_text.h"

#include "platform/code_page.h"

#include <xercesc/util/TransService.hpp>

#include <algorithm>

std::string utf8FromXml(const XMLCh* text) {
  xercesc::TranscodeToStr utf8(text, "UTF-8");
  return std::string(reinterpret_cast<const char*>(utf8.str()), utf8.length());
}

std::string narrowFromXml(const XMLCh* text) { return narrowFromUtf8(utf8FromXml(text)); }

std::string utf8FromNarrow(const std::string& text) {
  std::string utf8;
  // Narrow text the system handed over is valid in its own code page.
  return toUtf8(text, narrowCodePage(), &utf8) ? utf8 : text;
}

std::string narrowFromUtf8(const std::string& utf8, bool* held) {
  return fromUtf8(utf8, narrowCodePage(), held);
}

std::string narrowFromFile(const std::string& content, bool* held) {
  std::string utf8;
  if (!toUtf8(content, kUtf8CodePage, &utf8)) toUtf8(content, legacyCodePage(), &utf8);
  return narrowFromUtf8(utf8, held);
}

std::istringstream narrowFileText(std::istream& file, bool* held) {
  std::ostringstream content;
  content << file.rdbuf();
  return std::istringstream(narrowFromFile(content.str(), held));
}

size_t printedWidth(const std::string& text) {
  if (!narrowTextIsUtf8()) return text.size();
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}
