// Running test programs on POSIX, where the tests may run as root: a
// program run unprivileged becomes "nobody" through setpriv, which drops
// root's right to pass over file permissions.
#include "support/tool_run.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

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

std::vector<unsigned long> processesUnder(const std::string& folder) {
  namespace fs = std::filesystem;
  const std::string prefix = fs::weakly_canonical(folder).string() + "/";
  std::vector<unsigned long> found;
  std::error_code error;
  for (fs::directory_iterator entry("/proc", error), end; !error && entry != end;
       entry.increment(error)) {
    unsigned long id = std::strtoul(entry->path().filename().c_str(), nullptr, 10);
    // A process that has ended but not been reaped has no program any more.
    std::error_code unreadable;
    std::string program = fs::read_symlink(entry->path() / "exe", unreadable).string();
    if (id != 0 && !unreadable && program.rfind(prefix, 0) == 0) found.push_back(id);
  }
  return found;
}

void endProcess(unsigned long id) {
  kill(static_cast<pid_t>(id), SIGKILL);
  // Not a child of ours, so not ours to reap: gone is when its program is.
  const std::string program = "/proc/" + std::to_string(id) + "/exe";
  std::error_code gone;
  for (int i = 0; i < 100 && !std::filesystem::read_symlink(program, gone).empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}
