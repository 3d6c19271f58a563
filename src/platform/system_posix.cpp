#include "platform/system.h"

#include "util/shell_word.h"

#include <unistd.h>

#include <climits>
#include <vector>

const char* const kNarrowEncoding = "UTF-8";

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

bool commandLinePath(const std::string& path, std::string* word) {
  // There are no short names here; escaping every byte that /bin/sh would
  // treat specially keeps the path one word, whatever it holds.
  *word = shellWord(path);
  return true;
}

unsigned long currentProcessId() { return static_cast<unsigned long>(getpid()); }
