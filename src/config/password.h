// The engine's password where a command line has "-" in its place: kept off
// command lines, which every user of the machine can read in the process
// list, and so fit for a supervisor's credential file or a pipe.
#pragma once

#include <string>

// Whether a password argument stands for a password given elsewhere.
bool standsForPassword(const char* argument);

// The password that "-" stands for: the first line of the file that
// ZERINCTL_PASSWORD_FILE names when it is set, else ZERINCTL_PASSWORD when
// it is set, else the first line of standard input; without its line end (LF
// or CR LF). A line may be empty; no line at all is no password: false, and
// the message that says where it was looked for is printed.
bool readPassword(std::string* password);
