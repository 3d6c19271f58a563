#include "platform/files.h"

#include "platform/windows_support.h"

#include <algorithm>

namespace {

constexpr int kRetryMilliseconds = 20;
constexpr int kReplaceWaitMilliseconds = 2000;

bool failed(FileFailure* failure, const std::string& step, DWORD code) {
  std::string text = systemText(code);
  failure->step = step;
  failure->reason = text.empty() ? "error " + std::to_string(code) : text;
  return false;
}

bool writeAll(HANDLE file, const std::string& content) {
  size_t offset = 0;
  while (offset < content.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - offset, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, content.data() + offset, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_DISK_FULL);
      return false;
    }
    offset += written;
  }
  return FlushFileBuffers(file) != 0;
}

// Writes `content` to a file that must not exist yet. Removes what it created
// when it fails.
bool writeNewFile(const std::string& path, const std::string& content, FileFailure* failure) {
  // CREATE_NEW: never write into a file that another run is writing. One
  // left behind by a crashed run of the same process id is stale and goes.
  auto create = [&path] {
    return CreateFileW(wideText(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  ScopedHandle file(create());
  if (!file.valid() && GetLastError() == ERROR_FILE_EXISTS && DeleteFileW(wideText(path).c_str()))
    file.reset(create());
  if (!file.valid()) return failed(failure, "creating " + path, GetLastError());
  const char* step = nullptr;
  if (!writeAll(file.get(), content)) step = "writing ";
  DWORD code = GetLastError();
  if (!file.close() && step == nullptr) {
    step = "closing ";
    code = GetLastError();
  }
  if (step == nullptr) return true;
  DeleteFileW(wideText(path).c_str());
  return failed(failure, step + path, code);
}

}  // namespace

bool replaceFileContents(const std::string& path, const std::string& content,
                         FileFailure* failure) {
  // A read-only file is one that nobody may change, whatever its folder
  // allows. Windows refuses to move over it, but with the error a passing
  // reader causes, which would be waited for in vain.
  DWORD attributes = GetFileAttributesW(wideText(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    return failed(failure, "checking that " + path + " may be written", ERROR_ACCESS_DENIED);
  std::string temporary = replacementPath(path);
  if (!writeNewFile(temporary, content, failure)) return false;
  // A reader that has the file open without sharing deletion makes the move
  // fail for as long as it reads; lookups take milliseconds, so a short wait
  // gets the file replaced instead of silently left as it was.
  DWORD error = 0;
  for (int waited = 0;; waited += kRetryMilliseconds) {
    if (MoveFileExW(wideText(temporary).c_str(), wideText(path).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    error = GetLastError();
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) ||
        waited >= kReplaceWaitMilliseconds)
      break;
    Sleep(kRetryMilliseconds);
  }
  DeleteFileW(wideText(temporary).c_str());
  return failed(failure, "moving " + temporary + " over " + path, error);
}

bool lockExclusively(const std::string& path, int waitMilliseconds, LockHandle* lock) {
  HANDLE file = CreateFileW(wideText(path + ".lock").c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  for (int waited = 0;; waited += kRetryMilliseconds) {
    OVERLAPPED whole{};
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                   &whole)) {
      *lock = reinterpret_cast<LockHandle>(file);
      return true;
    }
    if (waited >= waitMilliseconds) break;
    Sleep(kRetryMilliseconds);
  }
  CloseHandle(file);
  return false;
}

// Closing the handle releases the lock with it.
void unlock(LockHandle lock) { CloseHandle(reinterpret_cast<HANDLE>(lock)); }
