// Processes on POSIX: the engine started by a double fork in a session of its
// own, scripts through posix_spawn. Every descriptor the tool opens here is
// close-on-exec, so that neither a script nor the engine keeps one open.
#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

extern char** environ;

const ScriptInterpreter kScriptInterpreter = {".sh", "/bin/sh", ':', false};
const char* const kExecutableSuffix = "";

namespace {

std::string reason(int error) { return std::strerror(error); }

// The words of `text` as /bin/sh would split them before any expansion:
// blanks separate, a backslash keeps the next character, single quotes keep
// everything, double quotes keep everything but the backslash before
// $ ` " \ and a line feed. Nothing is expanded, so `$(...)` and `;` are text.
std::vector<std::string> shellWords(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
      continue;
    }
    inWord = true;
    if (c == '\\' && i + 1 < text.size()) {
      // A backslash before a line feed joins the lines.
      if (text[++i] != '\n') word += text[i];
    } else if (c == '\'') {
      size_t end = text.find('\'', i + 1);
      if (end == std::string::npos) end = text.size();
      word.append(text, i + 1, end - i - 1);
      i = end;
    } else if (c == '"') {
      for (++i; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && std::strchr("$`\"\\\n", text[i + 1])) {
          if (text[++i] != '\n') word += text[i];
        } else {
          word += text[i];
        }
      }
    } else {
      word += c;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

std::vector<char*> argumentVector(std::vector<std::string>& words) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);
  return argv;
}

// Runs in the forked children, where only async-signal-safe calls are
// allowed: hands errno to the waiting tool and ends.
[[noreturn]] void failChild(int reportPipe) {
  int error = errno;
  ssize_t ignored = write(reportPipe, &error, sizeof error);
  (void)ignored;
  _exit(127);
}

// The engine must not keep the tool's files, sockets or signal choices: mark
// every descriptor above the standard three close-on-exec and give back the
// default SIGPIPE and an empty signal mask.
void dropInheritance(int highestDescriptor) {
#if defined(SYS_close_range)
  const unsigned kCloseRangeCloexec = 1U << 2;
  if (syscall(SYS_close_range, 3U, ~0U, kCloseRangeCloexec) != 0)
#endif
    for (int fd = 3; fd <= highestDescriptor; ++fd) fcntl(fd, F_SETFD, FD_CLOEXEC);
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigaction(SIGPIPE, &standard, nullptr);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
}

pid_t waitFor(pid_t child, int* wait) {
  pid_t ended;
  do ended = waitpid(child, wait, 0);
  while (ended < 0 && errno == EINTR);
  return ended;
}

}  // namespace

bool startDetached(const std::string& executable, const std::string& commandLine,
                   const std::string& workingFolder, bool ownConsole, std::string* error) {
  // Everything the children need is made here: after fork in a process that
  // may have threads, a child must not allocate.
  std::string program = executable;
  if (!program.empty() && program[0] != '/') {
    // A relative path names a file from the tool's folder, not from the
    // working folder that the child changes to.
    char here[PATH_MAX];
    if (getcwd(here, sizeof here) != nullptr) program = std::string(here) + "/" + program;
  }
  std::vector<std::string> words = shellWords(commandLine);
  if (words.empty()) words.push_back(executable);
  std::vector<char*> argv = argumentVector(words);
  long limit = sysconf(_SC_OPEN_MAX);
  int highestDescriptor = limit > 0 && limit < 65536 ? static_cast<int>(limit) - 1 : 65535;

  // The exec closes the write end; a failed chdir or exec sends its errno
  // through it first, so the tool can report the refusal itself.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    *error = reason(errno);
    return false;
  }
  pid_t child = fork();
  if (child == 0) {
    close(report[0]);
    // The middle child leads a new session and leaves at once: the engine
    // becomes init's child (no zombie) with no controlling terminal, out of
    // reach of the tool's terminal signals.
    if (setsid() < 0) failChild(report[1]);
    pid_t engine = fork();
    if (engine < 0) failChild(report[1]);
    if (engine > 0) _exit(0);
    if (chdir(workingFolder.c_str()) != 0) failChild(report[1]);
    if (!ownConsole) {
      int nothing = open("/dev/null", O_RDWR);
      if (nothing < 0) failChild(report[1]);
      for (int stream = 0; stream < 3; ++stream) dup2(nothing, stream);
      if (nothing > 2) close(nothing);
    }
    dropInheritance(highestDescriptor);
    execv(program.c_str(), argv.data());
    failChild(report[1]);
  }
  int startError = child < 0 ? errno : 0;
  close(report[1]);
  if (child > 0) {
    int wait = 0;
    waitFor(child, &wait);
    int childError = 0;
    ssize_t count;
    do count = read(report[0], &childError, sizeof childError);
    while (count < 0 && errno == EINTR);
    if (count == static_cast<ssize_t>(sizeof childError)) startError = childError;
  }
  close(report[0]);
  if (startError == 0) return true;
  *error = reason(startError);
  return false;
}

bool runThroughInterpreter(const std::string& command, bool showWindow, int* exitCode,
                           std::string* error) {
  (void)showWindow;  // a terminal has no window to show or hide
  std::vector<std::string> words = {"sh", "-c", command};
  std::vector<char*> argv = argumentVector(words);
  pid_t child;
  int failed = posix_spawn(&child, kScriptInterpreter.program, nullptr, nullptr, argv.data(),
                           environ);
  if (failed != 0) {
    *error = reason(failed);
    return false;
  }
  int wait = 0;
  if (waitFor(child, &wait) < 0) {
    *error = reason(errno);
    return false;
  }
  // The shell's own convention for a script that a signal ended.
  *exitCode = WIFEXITED(wait) ? WEXITSTATUS(wait) : 128 + WTERMSIG(wait);
  return true;
}
