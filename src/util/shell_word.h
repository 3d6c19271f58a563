// Text written for /bin/sh so that it stands unquoted as one word and the
// shell hands it on unchanged, whatever it holds.
#pragma once

#include <string>

// Every byte other than ASCII letters and digits, bytes above ASCII and
// "+-./:=@_,%" gets a backslash in front; a line feed is written as a line
// feed in single quotes, since a backslash before it would join two lines.
std::string shellWord(const std::string& text);
