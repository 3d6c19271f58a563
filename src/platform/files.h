// Writing a file that must never be seen half-written.
#pragma once

#include <cstdint>
#include <string>

// Why a replacement failed: the step that failed, for the trace, and the
// system's text for the reason, one line without its line end.
struct FileFailure {
  std::string step;
  std::string reason;
};

// Replaces the file at `path` with `content` in one step: the bytes go to a
// new file beside it ("<path>.<process id>.tmp"), reach the disk, and only
// then take the old file's place. On any failure the old file is untouched,
// the temporary file is removed, `failure` says why and the result is false.
// A file that the caller may not write is never replaced, although the
// folder may allow it. On POSIX a link is followed to the file it names, and
// the file keeps its mode and owner.
bool replaceFileContents(const std::string& path, const std::string& content, FileFailure* failure);

// Name of the temporary file that replaceFileContents writes for `path`.
std::string replacementPath(const std::string& path);

// Removes the temporary files that writers of `path` killed in mid-write
// left behind ("<path>.<digits>.tmp"). Only for a holder of the file's
// lock, since a live writer's file looks the same. Returns how many went.
int removeStaleReplacements(const std::string& path);

// An exclusive lock for a read-modify-write of a file that is replaced as a
// whole: it is held on a lock file of its own beside it ("<path>.lock"), so
// it outlives every replacement, and the system drops it when the holder
// dies. Waits for another holder at most `waitMilliseconds`; false when the
// lock could not be had in that time or the lock file cannot be made.
using LockHandle = std::intptr_t;
bool lockExclusively(const std::string& path, int waitMilliseconds, LockHandle* lock);
void unlock(LockHandle lock);
