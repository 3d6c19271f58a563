// What the operating system tells the tool about its own files and folders.
//
// Each query fills its output and returns true, or returns false and leaves
// the output untouched when the system has no answer; the callers choose
// their own fallbacks. Nothing here prints.
#pragma once

#include <string>

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Full path of the running executable.
bool executablePath(std::string* path);

// The machine-wide application data folder, created when it is missing.
bool commonAppDataFolder(std::string* folder);

// The form of an existing path that stands unquoted as one word on the
// command line of the platform's command interpreter.
bool commandLinePath(const std::string& path, std::string* word);

// Identifier of the running process.
unsigned long currentProcessId();
