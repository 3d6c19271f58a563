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

const int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

std::string failure(const char* call, int error) {
  return std::string(call) + ": " + std::strerror(error);
}

// A stop signal that the tool was started to ignore (nohup's SIGHUP) stays
// ignored: blocking it would let the signalfd read what the caller chose to
// drop.
bool ignored(int signal) {
  struct sigaction current {};
  return sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

sigset_t setOf(unsigned bits) {
  sigset_t set;
  sigemptyset(&set);
  for (int signal = 1; signal < 32; ++signal)
    if ((bits >> signal) & 1U) sigaddset(&set, signal);
  return set;
}

ChildEnd endOf(int wait) {
  ChildEnd end;
  end.bySignal = WIFSIGNALED(wait);
  end.code = end.bySignal ? WTERMSIG(wait) : WEXITSTATUS(wait);
  return end;
}

// Reaps every child that has ended, the awaited one and any orphan handed
// to the tool alike; true when the awaited one was among them.
bool reapEnded(ChildProcess* child, ChildEnd* end) {
  bool awaitedEnded = false;
  int wait = 0;
  for (pid_t ended; (ended = waitpid(-1, &wait, WNOHANG)) > 0;) {
    if (ended != child->id) continue;
    *end = endOf(wait);
    child->id = 0;
    awaitedEnded = true;
  }
  return awaitedEnded;
}

}  // namespace

StopRequests::StopRequests(int graceSeconds) : graceSeconds_(graceSeconds) {
  unsigned caught = 1U << SIGCHLD;
  for (int signal : kStopSignals)
    if (!ignored(signal)) caught |= 1U << signal;
  const sigset_t set = setOf(caught);
  sigset_t before;
  int failed = pthread_sigmask(SIG_BLOCK, &set, &before);
  if (failed != 0) {
    error_ = failure("pthread_sigmask", failed);
    return;
  }
  for (int signal = 1; signal < 32; ++signal)
    if (((caught >> signal) & 1U) && !sigismember(&before, signal)) blocked_ |= 1U << signal;
  int descriptor = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
  if (descriptor < 0) {
    error_ = failure("signalfd", errno);
    release();
    return;
  }
  handle_ = descriptor;
  live_ = this;
}

StopRequests::~StopRequests() { release(); }

void StopRequests::release() {
  // A request that nobody has read came while the tool was ending anyway;
  // unblocked, it would end the tool before it reports its status.
  if (handle_ != -1) {
    while (pendingRequest()) continue;
    close(static_cast<int>(handle_));
  }
  const sigset_t set = setOf(blocked_);
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  handle_ = -1;
  blocked_ = 0;
  if (live_ == this) live_ = nullptr;
}

bool StopRequests::pendingRequest() {
  signalfd_siginfo info{};
  while (read(static_cast<int>(handle_), &info, sizeof info) == static_cast<ssize_t>(sizeof info))
    if (info.ssi_signo != SIGCHLD) return true;
  return false;
}

WaitResult StopRequests::waitForChild(ChildProcess* child, int milliseconds, ChildEnd* end) {
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
    pollfd entry{static_cast<int>(handle_), POLLIN, 0};
    int ready = poll(&entry, 1, timeout);
    if (ready == 0) return WaitResult::kTimedOut;
    if (ready < 0 && errno != EINTR) return WaitResult::kTimedOut;
    if (ready > 0 && pendingRequest()) {
      requested_ = true;
      return WaitResult::kStopRequested;
    }
  }
}

void endChild(ChildProcess* child, ChildEnd* end) {
  if (child->id == 0) return;
  pid_t leader = static_cast<pid_t>(child->id);
  // The child leads its own process group: whatever it started goes too.
  kill(-leader, SIGKILL);
  int wait = 0;
  pid_t ended;
  do ended = waitpid(leader, &wait, 0);
  while (ended < 0 && errno == EINTR);
  if (ended == leader) *end = endOf(wait);
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
