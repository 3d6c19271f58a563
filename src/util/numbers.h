// Numbers read from text: ports on the command line, values in the settings
// file and the descriptor. Never an error, as the tool's callers expect.
#pragma once

#include <string>

// A number read as atoi() reads it: leading white space, an optional sign,
// the digits up to the first other character, 0 when there are none. A value
// out of the int range is clamped to it instead of being undefined.
int parseInteger(const char* text);
inline int parseInteger(const std::string& text) { return parseInteger(text.c_str()); }
