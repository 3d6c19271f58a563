// Text on its way between the tool's narrow strings and what they meet:
// the descriptor's UTF-16 (the XML library's), UTF-8 for JSON, and files
// that an installer may have written in the system's legacy code page.
// Nothing here loses a character silently: one that the narrow code page
// cannot hold comes out as "<U+XXXX>" (see fromUtf8), and a name is never
// compared in a form that could make two names equal.
#pragma once

#include <xercesc/util/XercesDefs.hpp>

#include <istream>
#include <sstream>
#include <string>

// The parser's text as UTF-8, every character kept.
std::string utf8FromXml(const XMLCh* text);

// The parser's text in the narrow code page.
std::string narrowFromXml(const XMLCh* text);

// Narrow text as UTF-8 (on Windows under the manifest, and on POSIX, the
// text itself).
std::string utf8FromNarrow(const std::string& text);

// UTF-8 in the narrow code page; `held` (when given) turns false when a
// character had to be written "<U+XXXX>".
std::string narrowFromUtf8(const std::string& utf8, bool* held = nullptr);

// The content of a text file in the narrow code page: read as UTF-8 where
// it is valid UTF-8, otherwise in the system's legacy code page.
std::string narrowFromFile(const std::string& content, bool* held = nullptr);

// The rest of `file`, as narrowFromFile gives it, to be read line by line.
std::istringstream narrowFileText(std::istream& file, bool* held = nullptr);

// How many characters wide the narrow text prints: bytes, except that the
// continuation bytes of UTF-8 take no column of their own.
size_t printedWidth(const std::string& text);
