// Running test programs on POSIX, where the tests may run as root: a
// program run unprivileged becomes "nobody" through setpriv, which drops
// root's right to pass over file permissions.
#include "support/tool_run.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

const bool kWindows = false;
const unsigned kExitStatusMask = 0xFF;

namespace {

// "nobody" on Debian.
const uid_t kUnprivilegedUser = 65534;

}  // namespace

void handToUnprivilegedUser(const std::string& root) {
  if (geteuid() != 0) return;
  namespace fs = std::filesystem;
  std::error_code error;
  (void)!lchown(root.c_str(), kUnprivilegedUser, kUnprivilegedUser);
  for (fs::recursive_directory_iterator entry(root, error), end; !error && entry != end;
       entry.increment(error))
    (void)!lchown(entry->path().c_str(), kUnprivilegedUser, kUnprivilegedUser);
}

std::string unprivilegedCommand() {
  if (geteuid() != 0) return "";
  const std::string user = std::to_string(kUnprivilegedUser);
  return "/usr/bin/setpriv --reuid=" + user + " --regid=" + user + " --clear-groups ";
}

int endProcessesUnder(const std::string& folder) {
  namespace fs = std::filesystem;
  const std::string prefix = fs::weakly_canonical(folder).string() + "/";
  int ended = 0;
  std::error_code error;
  for (fs::directory_iterator entry("/proc", error), end; !error && entry != end;
       entry.increment(error)) {
    // One that has ended but is not reaped yet has no program any more.
    std::error_code gone;
    if (fs::read_symlink(entry->path() / "exe", gone).string().rfind(prefix, 0) == 0)
      ended += kill(std::atoi(entry->path().filename().c_str()), SIGKILL) == 0;
  }
  return ended;
}
