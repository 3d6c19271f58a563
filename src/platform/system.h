// What the operating system tells the tool about its own files and folders.
//
// A query that returns bool fills its output and returns true, or returns
// false and leaves the output untouched when the system has no answer, so
// that the caller chooses its fallback. Nothing here prints.
#pragma once

#include <string>

// The path separator, and the device that reads as an empty file.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline constexpr char kNullDevice[] = "NUL";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr char kNullDevice[] = "/dev/null";
#endif

// Full path of the running executable.
bool executablePath(std::string* path);

// The machine-wide application data folder, created when it is missing;
// where the system cannot name it, the place where it normally is.
std::string commonAppDataFolder();

// The 8.3 short form of an existing path. False where the system has none:
// always on POSIX, and on Windows for a path that does not exist. A volume
// whose short names are switched off answers with the long path itself.
bool shortPathName(const std::string& path, std::string* shortForm);

// Identifier of the running process.
unsigned long currentProcessId();

// Hands the memory that the process has freed back to the system, where the
// allocator keeps it for later use otherwise.
void releaseFreedMemory();
