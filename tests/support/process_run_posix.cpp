// Running test programs on POSIX, where the tests may run as root: a
// program run unprivileged becomes "nobody" through setpriv, which drops
// root's right to pass over file permissions.
#include "support/tool_run.h"

#include <unistd.h>

#include <filesystem>

const bool kWindows = false;
const unsigned kExitStatusMask = 0xFF;

namespace {

// "nobody" on Debian.
const std::string kUnprivilegedUser = "65534";

}  // namespace

void handToUnprivilegedUser(const std::string& root) {
  if (geteuid() != 0) return;
  namespace fs = std::filesystem;
  const uid_t user = static_cast<uid_t>(std::stoul(kUnprivilegedUser));
  std::error_code error;
  (void)!lchown(root.c_str(), user, user);
  for (fs::recursive_directory_iterator entry(root, error), end; !error && entry != end;
       entry.increment(error))
    (void)!lchown(entry->path().c_str(), user, user);
}

std::string unprivilegedCommand() {
  if (geteuid() != 0) return "";
  return "/usr/bin/setpriv --reuid=" + kUnprivilegedUser + " --regid=" + kUnprivilegedUser +
         " --clear-groups ";
}
