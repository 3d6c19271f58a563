#include "platform/system.h"

#include <malloc.h>
#include <unistd.h>

#include <climits>
#include <vector>

bool executablePath(std::string* path) {
  std::vector<char> buffer(PATH_MAX);
  for (;;) {
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return false;
    if (static_cast<size_t>(length) < buffer.size()) {
      path->assign(buffer.data(), static_cast<size_t>(length));
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string commonAppDataFolder() { return "/var/lib"; }

bool shortPathName(const std::string&, std::string*) { return false; }

unsigned long currentProcessId() { return static_cast<unsigned long>(getpid()); }

void releaseFreedMemory() { malloc_trim(0); }
