// The stand-in engine's system calls on Windows.
#include "engine_system.h"

#include "platform/windows_headers.h"

#include <vector>

bool currentFolder(std::string* folder) {
  // The folder may change between asking its length and reading it; a
  // second round then gets the new length.
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD size = GetCurrentDirectoryA(0, nullptr);
    if (size == 0) return false;
    std::vector<char> buffer(size);
    DWORD length = GetCurrentDirectoryA(size, buffer.data());
    if (length == 0) return false;
    if (length < size) {
      folder->assign(buffer.data(), length);
      return true;
    }
  }
  return false;
}

bool replaceFile(const std::string& from, const std::string& to) {
  // Unlike POSIX rename, MoveFile refuses an existing target unless told.
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void leaveOrphan() {}
