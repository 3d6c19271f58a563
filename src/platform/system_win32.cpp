#include "platform/system.h"

#include "platform/windows_support.h"

#include <malloc.h>
#include <shlobj.h>

#include <cstdlib>
#include <vector>

bool executablePath(std::string* path) {
  // MAX_PATH covers every ordinary installation; a longer path is truncated
  // by the system, so then ask again with room for the longest path there is.
  for (DWORD size : {DWORD{MAX_PATH}, DWORD{32768}}) {
    std::vector<char> buffer(size);
    DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
    if (length == 0) return false;
    if (length < size) {
      path->assign(buffer.data(), length);
      return true;
    }
  }
  return false;
}

std::string commonAppDataFolder() {
  LPITEMIDLIST item = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE,
                                           &item))) {
    char buffer[1024] = {};
    BOOL ok = SHGetPathFromIDListA(item, buffer);
    CoTaskMemFree(item);
    if (ok) return buffer;
  }
  // Where the shell cannot say, the folder is where Windows normally keeps it.
  const char* programData = std::getenv("ProgramData");
  return programData != nullptr && *programData != '\0' ? programData : "C:\\ProgramData";
}

bool shortPathName(const std::string& path, std::string* shortForm) {
  DWORD size = GetShortPathNameA(path.c_str(), nullptr, 0);
  if (size == 0) return false;
  std::vector<char> buffer(size);
  DWORD length = GetShortPathNameA(path.c_str(), buffer.data(), size);
  if (length == 0 || length >= size) return false;
  shortForm->assign(buffer.data(), length);
  return true;
}

unsigned long currentProcessId() { return GetCurrentProcessId(); }

void releaseFreedMemory() { _heapmin(); }
