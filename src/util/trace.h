// The trace: with ZERINCTL_TRACE set to a non-empty value, the tool explains
// on standard error, one line per step, what it read, decided, ran and
// received. Standard output and the exit status never change with it, and
// without the variable nothing at all goes to standard error.
//
// A password never appears: whoever writes one into a line writes "***" in
// its place (see ScriptArguments).
#pragma once

#include <string>

// Whether the variable is set now. Cheap enough to ask before composing a
// costly line.
bool traceEnabled();

// One line, "zerinctl: " and the formatted text, when the trace is on.
void trace(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
