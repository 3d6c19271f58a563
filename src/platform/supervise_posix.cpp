// Supervising the engine on POSIX (Linux): the stop signals and the
// children's ends are blocked and read from one signalfd, so the tool
// sleeps in poll until something happens, and PID 1 of a PID namespace,
// which the kernel spares every signal it has no handler for, still gets
// them (a blocked signal is never dropped).
#include "platform/supervise.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

int signals = -1;  // the signalfd, once catchStopRequests has made it

ChildEnd endOf(int wait) {
  ChildEnd end;
  end.bySignal = WIFSIGNALED(wait);
  end.code = end.bySignal ? WTERMSIG(wait) : WEXITSTATUS(wait);
  return end;
}

// Reaps every child that has ended, the engine and any orphan handed to the
// tool alike; true when the engine was among them.
bool reapEnded(ChildProcess* child, ChildEnd* end) {
  bool engineEnded = false;
  int wait = 0;
  for (pid_t ended; (ended = waitpid(-1, &wait, WNOHANG)) > 0;) {
    if (ended != child->id) continue;
    *end = endOf(wait);
    child->id = 0;
    engineEnded = true;
  }
  return engineEnded;
}

}  // namespace

bool catchStopRequests(std::string* error) {
  sigset_t caught;
  sigemptyset(&caught);
  for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGCHLD}) sigaddset(&caught, signal);
  if (sigprocmask(SIG_BLOCK, &caught, nullptr) != 0 ||
      (signals = signalfd(-1, &caught, SFD_CLOEXEC)) < 0) {
    *error = std::strerror(errno);
    return false;
  }
  return true;
}

WaitResult waitForChild(ChildProcess* child, int milliseconds, ChildEnd* end) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    // Reaping first: the child may have ended before the wait began.
    if (reapEnded(child, end)) return WaitResult::kEnded;
    int timeout = -1;
    if (milliseconds >= 0) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      timeout = left > 0 ? static_cast<int>(left) : 0;
    }
    pollfd entry{signals, POLLIN, 0};
    int ready = poll(&entry, 1, timeout);
    if (ready == 0) return WaitResult::kTimedOut;
    if (ready < 0 && errno == EINTR) continue;
    signalfd_siginfo info{};
    if (ready < 0 || read(signals, &info, sizeof info) != static_cast<ssize_t>(sizeof info))
      return WaitResult::kTimedOut;
    if (info.ssi_signo != SIGCHLD) return WaitResult::kStopRequested;
  }
}

void endChild(ChildProcess* child, ChildEnd* end) {
  if (child->id == 0) return;
  pid_t engine = static_cast<pid_t>(child->id);
  // The engine leads its own process group: whatever it started goes too.
  kill(-engine, SIGKILL);
  int wait = 0;
  pid_t ended;
  do ended = waitpid(engine, &wait, 0);
  while (ended < 0 && errno == EINTR);
  if (ended == engine) *end = endOf(wait);
  child->id = 0;
}

void notifySupervisor(const char* state) {
  const char* name = std::getenv("NOTIFY_SOCKET");
  sockaddr_un address{};
  size_t length = name == nullptr ? 0 : std::strlen(name);
  if (length == 0 || length > sizeof address.sun_path) return;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, name, length);
  // "@" stands for the abstract namespace's leading NUL.
  if (name[0] == '@') address.sun_path[0] = '\0';
  int notifier = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (notifier < 0) return;
  // A supervisor that is gone is no reason to fail the service.
  (void)!sendto(notifier, state, std::strlen(state), MSG_NOSIGNAL,
                reinterpret_cast<const sockaddr*>(&address),
                static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length));
  close(notifier);
}
