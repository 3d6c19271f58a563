// Text helpers shared by every subsystem. They follow the C library in the
// "C" locale, which the tool never changes, so that bytes of 128 and above
// are plain characters everywhere.
#pragma once

#include <cstdarg>
#include <string>

// Erase leading (trailing) white space, as isspace() in the "C" locale
// knows it, in place; return the same string.
std::string& trimLeft(std::string& text);
std::string& trimRight(std::string& text);

// Both ends; returns a copy.
std::string trimmed(const std::string& text);

// Text without one pair of surrounding double quotes.
std::string stripQuotes(const std::string& text);

// What vsnprintf makes of `format` and `arguments`, whole, however long;
// the caller still ends `arguments`. A format the C library refuses gives
// the empty text.
std::string formatText(const char* format, va_list arguments);
