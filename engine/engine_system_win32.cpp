// The stand-in engine's system calls on Windows.
#include "engine_system.h"

#include "platform/windows_headers.h"

#include <string>
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

void leaveOrphan() {
  char self[MAX_PATH];
  if (GetModuleFileNameA(nullptr, self, MAX_PATH) == 0) return;
  // Its own full path on its command line, so that a test looking for what
  // is left of an installation finds it.
  std::string commandLine = "\"" + std::string(self) + "\" -linger";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(self, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &process))
    return;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

std::string standardInputKind() {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (input == nullptr || input == INVALID_HANDLE_VALUE) return "none";
  switch (GetFileType(input)) {
    case FILE_TYPE_CHAR:
      // NUL is a character device too, but no console.
      return GetConsoleMode(input, &mode) ? "console" : "null";
    case FILE_TYPE_PIPE:
      return "pipe";
    case FILE_TYPE_DISK:
      return "file";
    default:
      return "none";
  }
}
