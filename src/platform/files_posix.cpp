#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

// Writes `content` to a file that must not exist yet, with the permission
// bits of `original`. Removes what it created when it fails.
bool writeNewFile(const std::string& path, const std::string& content,
                  const std::string& original) {
  struct stat info;
  mode_t mode = stat(original.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0644;
  // O_EXCL: never write into a file that someone else left or is writing.
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return false;
  bool ok = fchmod(fd, mode) == 0;
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

}  // namespace

bool replaceFileContents(const std::string& path, const std::string& content) {
  std::string temporary = replacementPath(path);
  if (!writeNewFile(temporary, content, path)) return false;
  if (std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  unlink(temporary.c_str());
  return false;
}
