#include "platform/files.h"

#include "platform/windows_headers.h"

#include <algorithm>

namespace {

constexpr int kRetryMilliseconds = 20;
constexpr int kReplaceWaitMilliseconds = 2000;

// Closes the handle on every way out of the write.
class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() { close(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  void reset(HANDLE handle) {
    close();
    handle_ = handle;
  }
  bool close() {
    if (!valid()) return true;
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

bool writeAll(HANDLE file, const std::string& content) {
  size_t offset = 0;
  while (offset < content.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - offset, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, content.data() + offset, chunk, &written, nullptr) || written == 0)
      return false;
    offset += written;
  }
  return FlushFileBuffers(file) != 0;
}

// Writes `content` to a file that must not exist yet. Removes what it created
// when it fails.
bool writeNewFile(const std::string& path, const std::string& content) {
  // CREATE_NEW: never write into a file that another run is writing. One
  // left behind by a crashed run of the same process id is stale and goes.
  auto create = [&path] {
    return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  };
  ScopedHandle file(create());
  if (!file.valid() && GetLastError() == ERROR_FILE_EXISTS && DeleteFileA(path.c_str()))
    file.reset(create());
  if (!file.valid()) return false;
  bool ok = writeAll(file.get(), content);
  ok = file.close() && ok;
  if (!ok) DeleteFileA(path.c_str());
  return ok;
}

}  // namespace

bool replaceFileContents(const std::string& path, const std::string& content) {
  std::string temporary = replacementPath(path);
  if (!writeNewFile(temporary, content)) return false;
  // A reader that has the file open without sharing deletion makes the move
  // fail for as long as it reads; lookups take milliseconds, so a short wait
  // gets the file replaced instead of silently left as it was.
  for (int waited = 0;; waited += kRetryMilliseconds) {
    if (MoveFileExA(temporary.c_str(), path.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    DWORD error = GetLastError();
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) ||
        waited >= kReplaceWaitMilliseconds)
      break;
    Sleep(kRetryMilliseconds);
  }
  DeleteFileA(temporary.c_str());
  return false;
}

bool lockExclusively(const std::string& path, int waitMilliseconds, LockHandle* lock) {
  HANDLE file = CreateFileA((path + ".lock").c_str(), GENERIC_READ | GENERIC_WRITE,
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
