// Test programs on POSIX: started through posix_spawn with pipes for their
// standard streams. Every descriptor made here is close-on-exec, so that a
// child that another test thread starts at the same moment cannot hold a
// pipe open.
#include "support/tool_run.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <thread>

extern char** environ;

const bool kWindows = false;
const unsigned kExitStatusMask = 0xFF;

namespace {

const int kNotStarted = -1000;
// "nobody" on Debian.
const int kUnprivilegedUser = 65534;

pid_t waitFor(pid_t child, int* wait) {
  pid_t ended;
  do ended = waitpid(child, wait, 0);
  while (ended < 0 && errno == EINTR);
  return ended;
}

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

int runCollectingOutput(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& input, bool unprivileged, std::string* output) {
  // setpriv drops root's right to pass over file permissions, so that a
  // read-only file or folder is read-only to the program as to any user.
  std::vector<std::string> words;
  if (unprivileged && geteuid() == 0)
    words = {"/usr/bin/setpriv", "--reuid=" + std::to_string(kUnprivilegedUser),
             "--regid=" + std::to_string(kUnprivilegedUser), "--clear-groups"};
  words.push_back(program);
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);
  // Standard input is a socket, so that writing to a child that has already
  // ended fails with EPIPE instead of raising SIGPIPE in the caller.
  int in[2], out[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in) != 0) return kNotStarted;
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    return kNotStarted;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[1], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  pid_t child;
  int failed = posix_spawn(&child, words[0].c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[1]);
  close(out[1]);
  // Written beside the reading, so that neither side can fill a buffer and
  // wait for the other.
  std::thread feeder([&input, fd = in[0], failed] {
    for (size_t sent = 0; failed == 0 && sent < input.size();) {
      ssize_t count = send(fd, input.data() + sent, input.size() - sent, MSG_NOSIGNAL);
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) break;
      sent += static_cast<size_t>(count);
    }
    close(fd);
  });
  // Read until the program has ended and its output is drained, not until
  // end of file: a process that it started may keep the pipe open for hours.
  char buffer[4096];
  int wait = 0;
  bool ended = false;
  while (failed == 0) {
    pollfd readable{out[0], POLLIN, 0};
    int ready = poll(&readable, 1, ended ? 0 : 50);
    if (ready < 0 && errno == EINTR) continue;
    if (ready > 0) {
      ssize_t count = read(out[0], buffer, sizeof buffer);
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) break;
      output->append(buffer, static_cast<size_t>(count));
      continue;
    }
    if (ready < 0 || ended) break;
    ended = waitpid(child, &wait, WNOHANG) == child;
  }
  close(out[0]);
  feeder.join();
  if (failed != 0) return kNotStarted;
  if (!ended && waitFor(child, &wait) < 0) return kNotStarted;
  return WIFEXITED(wait) ? WEXITSTATUS(wait) : kNotStarted - WTERMSIG(wait);
}
