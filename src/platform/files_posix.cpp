#include "platform/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
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

// Writes `content` to a new file with the mode and, where this process may
// set them, the owner and group of `original`. Removes what it created when
// it fails.
bool writeNewFile(const std::string& path, const std::string& content,
                  const std::string& original) {
  struct stat info;
  bool known = stat(original.c_str(), &info) == 0;
  mode_t mode = known ? (info.st_mode & 07777) : 0644;
  int fd = createNew(path, mode);
  if (fd < 0) return false;
  bool ok = fchmod(fd, mode) == 0;
  if (known) (void)!fchown(fd, info.st_uid, info.st_gid);
  size_t offset = 0;
  while (ok && offset < content.size()) {
    ssize_t written = write(fd, content.data() + offset, content.size() - offset);
    if (written < 0 && errno == EINTR) continue;
    ok = written > 0;
    if (ok) offset += static_cast<size_t>(written);
  }
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (!ok) unlink(path.c_str());
  return ok;
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

bool replaceFileContents(const std::string& path, const std::string& content) {
  std::string target = resolved(path);
  std::string temporary = replacementPath(target);
  if (!writeNewFile(temporary, content, target)) return false;
  if (std::rename(temporary.c_str(), target.c_str()) == 0) return true;
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
