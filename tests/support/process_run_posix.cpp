// Running test programs on POSIX, where the tests may run as root: a
// program run unprivileged becomes "nobody" through setpriv, which drops
// root's right to pass over file permissions.
#include "support/tool_run.h"

#include "support/temp_folder.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
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

const std::vector<std::string> kStopRequests = {"SIGTERM", "SIGINT", "SIGHUP"};
// Root in a container may still lack the right to make one: asked once.
const bool kPidNamespaces =
    geteuid() == 0 &&
    std::system("/usr/bin/unshare --pid --fork --mount-proc /bin/true 2>/dev/null") == 0;

namespace {

int signalNamed(const std::string& name) {
  return name == "SIGINT" ? SIGINT : name == "SIGHUP" ? SIGHUP : SIGTERM;
}

// The parent and state fields of /proc/PID/stat, after the program's name
// (which may hold blanks and parentheses).
bool parentAndState(const std::string& pid, long* parent, char* state) {
  std::string stat = readFile("/proc/" + pid + "/stat");
  size_t close = stat.rfind(')');
  return close != std::string::npos &&
         std::sscanf(stat.c_str() + close + 1, " %c %ld", state, parent) == 2;
}

// The processes whose parent is `parent`, and how many of them are zombies.
std::vector<pid_t> childrenOf(pid_t parent, int* zombies) {
  std::vector<pid_t> children;
  std::error_code error;
  for (std::filesystem::directory_iterator entry("/proc", error), end; !error && entry != end;
       entry.increment(error)) {
    long ppid = 0;
    char state = 0;
    if (parentAndState(entry->path().filename().string(), &ppid, &state) && ppid == parent) {
      children.push_back(std::atoi(entry->path().filename().c_str()));
      *zombies += state == 'Z';
    }
  }
  return children;
}

int openNoticeSocket(const std::string& name) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  name.copy(address.sun_path, sizeof address.sun_path - 1);
  if (name[0] == '@') address.sun_path[0] = '\0';
  int notices = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  bind(notices, reinterpret_cast<sockaddr*>(&address),
       static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size()));
  return notices;
}

std::string receiveNotices(int notices) {
  std::string received;
  char buffer[256];
  for (ssize_t count; (count = recv(notices, buffer, sizeof buffer, 0)) > 0;)
    received.append(buffer, static_cast<size_t>(count)) += "\n";
  close(notices);
  return received;
}

}  // namespace

void runSupervised(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& awaited, const std::string& request, Supervised* run) {
  const std::string output = program + ".supervised.out";
  std::vector<std::string> words = {program};
  if (run->asPidOne)
    words.insert(words.begin(), {"/usr/bin/unshare", "--pid", "--fork", "--mount-proc"});
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);
  int notices = run->noticesTo.empty() ? -1 : openNoticeSocket(run->noticesTo);

  pid_t child = fork();
  if (child == 0) {
    // A process group of its own, as a shell gives a job in a terminal.
    setpgid(0, 0);
    dup2(open("/dev/null", O_RDONLY), 0);
    dup2(open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    execv(argv[0], argv.data());
    _exit(127);
  }
  using namespace std::chrono;
  int wait = 0;
  bool ended = false;
  for (auto until = steady_clock::now() + seconds(20);
       !ended && steady_clock::now() < until && readFile(output).find(awaited) == std::string::npos;
       std::this_thread::sleep_for(milliseconds(20)))
    ended = waitpid(child, &wait, WNOHANG) == child;
  pid_t tool = child;
  if (run->asPidOne && !ended) {
    int ignored = 0;
    std::vector<pid_t> inner = childrenOf(child, &ignored);
    if (!inner.empty()) tool = inner[0];
    std::this_thread::sleep_for(milliseconds(300));
    childrenOf(tool, &run->unreapedOrphans);
  }
  // As a terminal signals its foreground job: the whole process group.
  if (!ended && !request.empty()) kill(run->asPidOne ? tool : -child, signalNamed(request));
  for (auto until = steady_clock::now() + seconds(60); !ended && steady_clock::now() < until;
       std::this_thread::sleep_for(milliseconds(20)))
    ended = waitpid(child, &wait, WNOHANG) == child;
  if (!ended) {
    kill(child, SIGKILL);
    waitpid(child, &wait, 0);
  }
  run->result.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : 128 + WTERMSIG(wait);
  run->result.output = readFile(output);
  std::filesystem::remove(output);
  if (notices >= 0) run->notices = receiveNotices(notices);
}
