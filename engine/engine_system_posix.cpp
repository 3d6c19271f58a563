// The stand-in engine's system calls on POSIX.
#include "engine_system.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

bool currentFolder(std::string* folder) {
  // getcwd says ERANGE until the buffer holds the whole path.
  for (std::size_t size = 256; size <= (std::size_t{1} << 20); size *= 2) {
    std::vector<char> buffer(size);
    if (getcwd(buffer.data(), buffer.size()) != nullptr) {
      folder->assign(buffer.data());
      return true;
    }
    if (errno != ERANGE) return false;
  }
  return false;
}

bool replaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

void leaveOrphan() {
  pid_t parent = fork();
  if (parent != 0) {
    if (parent > 0) waitpid(parent, nullptr, 0);
    return;
  }
  if (fork() == 0) usleep(100000);
  _exit(0);
}

std::string standardInputKind() {
  struct stat input {
  }, null{};
  if (fstat(0, &input) != 0) return "none";
  if (S_ISCHR(input.st_mode) && stat("/dev/null", &null) == 0 && input.st_rdev == null.st_rdev)
    return "null";
  if (isatty(0)) return "console";
  return S_ISFIFO(input.st_mode) ? "pipe" : "file";
}
