#include "platform/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

// Creates a file that must not exist yet. One left behind by a crashed run
// of the same process id is stale and goes.
int createNew(const std::string& path, mode_t mode) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0 && errno == EEXIST && unlink(path.c_str()) == 0)
    fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  return fd;
}

bool failed(FileFailure* failure, const std::string& step) {
  failure->step = step;
  failure->reason = std::strerror(errno);
  return false;
}

// Writes `content` to a new file with the mode and, where this process may
// set them, the owner and group of `original`. Removes what it created when
// it fails.
bool writeNewFile(const std::string& path, const std::string& content, const std::string& original,
                  FileFailure* failure) {
  struct stat info;
  bool known = stat(original.c_str(), &info) == 0;
  mode_t mode = known ? (info.st_mode & 07777) : 0644;
  int fd = createNew(path, mode);
  if (fd < 0) return failed(failure, "creating " + path);
  const char* step = nullptr;
  if (fchmod(fd, mode) != 0) step = "setting the mode of ";
  if (known) (void)!fchown(fd, info.st_uid, info.st_gid);
  for (size_t offset = 0; step == nullptr && offset < content.size();) {
    ssize_t written = write(fd, content.data() + offset, content.size() - offset);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      // A write that makes no progress without an error: the disk is full.
      if (written == 0) errno = ENOSPC;
      step = "writing ";
    } else {
      offset += static_cast<size_t>(written);
    }
  }
  if (step == nullptr && fsync(fd) != 0) step = "flushing ";
  int error = errno;
  if (close(fd) != 0 && step == nullptr) {
    step = "closing ";
    error = errno;
  }
  if (step == nullptr) return true;
  unlink(path.c_str());
  errno = error;
  return failed(failure, step + path);
}

// The file a path names, through any symbolic links, so that a linked
// descriptor is replaced where it lives and the link stays a link.
std::string resolved(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;
  std::string result = real;
  std::free(real);
  return result;
}

}  // namespace

bool replaceFileContents(const std::string& path, const std::string& content,
                         FileFailure* failure) {
  std::string target = resolved(path);
  // A rename needs only the folder's permission; the file's own must hold
  // too, as it would for writing it in place.
  if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT)
    return failed(failure, "checking that " + target + " may be written");
  std::string temporary = replacementPath(target);
  if (!writeNewFile(temporary, content, target, failure)) return false;
  if (std::rename(temporary.c_str(), target.c_str()) == 0) return true;
  failed(failure, "moving " + temporary + " over " + target);
  unlink(temporary.c_str());
  return false;
}

bool lockExclusively(const std::string& path, int waitMilliseconds, LockHandle* lock) {
  std::string lockPath = resolved(path) + ".lock";
  int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  // flock waits without limit; polling keeps the wait bounded.
  for (int waited = 0;; waited += 10) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
      *lock = fd;
      return true;
    }
    if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= waitMilliseconds) break;
    timespec pause{0, 10 * 1000 * 1000};
    nanosleep(&pause, nullptr);
  }
  close(fd);
  return false;
}

void unlock(LockHandle lock) { close(static_cast<int>(lock)); }
