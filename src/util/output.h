// The tool's one way of printing. Every message goes to standard output,
// which installer scripts read.
#pragma once

// printf to standard output, flushed at once, so that messages keep their
// order with anything a child process writes to the same console.
void printOut(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
