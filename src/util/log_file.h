// The service's log: the tool's messages and its engine's output, appended
// to one file per repository and rotated by size, so that a service that
// runs for months keeps a bounded record of its recent past. NAME.log is
// written; when the next write would take it past kLogBytes it becomes
// NAME.log.1, the older ones move up by one, and the one past kLogFiles goes.
//
// One log per process. Writes from several threads (the tool's, the relay of
// the engine's output) keep whole chunks apart. A failing disk loses lines
// but never stops the service: writes report false and carry on.
#pragma once

#include <string>

// 10 MiB a file, five files: 50 MiB at most per repository.
constexpr long kLogBytes = 10L * 1024 * 1024;
constexpr int kLogFiles = 5;

// Opens (appending) the log at `path`, making its folder; false when it
// cannot be opened. `bytes` and `files` are the rotation's bounds.
bool openLog(const std::string& path, long bytes = kLogBytes, int files = kLogFiles);
bool logOpen();
// Appends `text`; fit to be the tool's console writer (see output.h).
bool writeLog(const std::string& text);
// The last whole line written, without its line end.
std::string lastLogLine();
void closeLog();
