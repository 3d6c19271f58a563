// The tool's one way of printing. Every message goes to standard output,
// which installer scripts read.
#pragma once

#include <string>

// printf to standard output, flushed at once, so that messages keep their
// order with anything a child process writes to the same console.
void printOut(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Writes printed text where standard output is a console, returning false
// where it is not; the platform sets it at the start of a run.
using ConsoleWriter = bool (*)(const std::string& text);
void setConsoleWriter(ConsoleWriter writer);
