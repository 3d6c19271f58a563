// Text helpers shared by every subsystem. They follow the C library in the
// "C" locale, which the tool never changes, so that bytes of 128 and above
// are plain characters everywhere.
#pragma once

#include <string>

// Erase leading (trailing) white space, as isspace() in the "C" locale
// knows it, in place; return the same string.
std::string& trimLeft(std::string& text);
std::string& trimRight(std::string& text);

// Both ends; returns a copy.
std::string trimmed(const std::string& text);

// A number read as atoi() reads it: leading white space, an optional sign,
// the digits up to the first other character, 0 when there are none. A value
// out of the int range is clamped to it instead of being undefined.
int parseInteger(const char* text);
inline int parseInteger(const std::string& text) { return parseInteger(text.c_str()); }

// printf to standard output, flushed at once, so that messages keep their
// order with anything a child process writes to the same console.
void printOut(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
