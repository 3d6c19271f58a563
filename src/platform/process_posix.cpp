// Processes on POSIX: the engine started by a double fork in a session of its
// own, scripts through posix_spawn. Every descriptor the tool opens here is
// close-on-exec, so that neither a script nor the engine keeps one open.
// Every child starts with the signal mask the tool was started with: the
// tool sets no handler, so the exec gives it the tool's dispositions too.
#include "platform/process.h"

#include "platform/supervise.h"

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

// Taken before main, so before a StopRequests blocks anything.
const sigset_t kMaskAtStart = [] {
  sigset_t mask;
  sigemptyset(&mask);
  pthread_sigmask(SIG_BLOCK, nullptr, &mask);
  return mask;
}();

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

// The engine must not keep the tool's files, sockets or the signals that
// the tool blocks for its own wait: mark every descriptor above the standard
// three close-on-exec and give back the mask the tool was started with.
void dropInheritance(int highestDescriptor) {
#if defined(SYS_close_range)
  const unsigned kCloseRangeCloexec = 1U << 2;
  if (syscall(SYS_close_range, 3U, ~0U, kCloseRangeCloexec) != 0)
#endif
    for (int fd = 3; fd <= highestDescriptor; ++fd) fcntl(fd, F_SETFD, FD_CLOEXEC);
  sigprocmask(SIG_SETMASK, &kMaskAtStart, nullptr);
}

pid_t waitFor(pid_t child, int* wait) {
  pid_t ended;
  do ended = waitpid(child, wait, 0);
  while (ended < 0 && errno == EINTR);
  return ended;
}

// Everything a child needs to become the program, made before the fork:
// after fork in a process that may have threads, a child must not allocate.
struct ProgramStart {
  std::string program;
  std::vector<std::string> words;
  std::vector<char*> argv;
  int highestDescriptor = 65535;
};

void prepareStart(const std::string& executable, const std::string& commandLine,
                  ProgramStart* start) {
  start->program = executable;
  if (!executable.empty() && executable[0] != '/') {
    // A relative path names a file from the tool's folder, not from the
    // working folder that the child changes to.
    char here[PATH_MAX];
    if (getcwd(here, sizeof here) != nullptr) start->program = std::string(here) + "/" + executable;
  }
  start->words = shellWords(commandLine);
  if (start->words.empty()) start->words.push_back(executable);
  start->argv = argumentVector(start->words);
  long limit = sysconf(_SC_OPEN_MAX);
  if (limit > 0 && limit < 65536) start->highestDescriptor = static_cast<int>(limit) - 1;
}

// In the child, which leads a session of its own: the working
// folder, the first `quietStreams` standard streams from and to nothing,
// nothing else of the tool's, then the program. A failure goes to `report`.
[[noreturn]] void becomeProgram(const ProgramStart& start, const std::string& workingFolder,
                                int quietStreams, int report) {
  if (chdir(workingFolder.c_str()) != 0) failChild(report);
  if (quietStreams > 0) {
    int nothing = open("/dev/null", O_RDWR);
    if (nothing < 0) failChild(report);
    for (int stream = 0; stream < quietStreams; ++stream) dup2(nothing, stream);
    if (nothing > 2) close(nothing);
  }
  dropInheritance(start.highestDescriptor);
  execv(start.program.c_str(), start.argv.data());
  failChild(report);
}

// What the child sent before its exec closed the pipe: 0 once the program
// runs, else the errno of the step that failed.
int startReport(int readEnd) {
  int childError = 0;
  ssize_t count;
  do count = read(readEnd, &childError, sizeof childError);
  while (count < 0 && errno == EINTR);
  close(readEnd);
  return count == static_cast<ssize_t>(sizeof childError) ? childError : 0;
}

// Starts the program in a session of its own, with no controlling terminal
// and out of reach of the tool's terminal signals: as the tool's child, or
// detached, where a middle child leads the session and leaves at once, so
// that the program becomes init's child (no zombie). Returns 0 with the
// child's id in `child` (the middle one's, already reaped, when detached),
// or the errno of the step that failed.
int startInSession(const std::string& executable, const std::string& commandLine,
                   const std::string& workingFolder, bool detached, int quietStreams,
                   pid_t* child) {
  ProgramStart start;
  prepareStart(executable, commandLine, &start);
  // The exec closes the write end; a failed chdir or exec sends its errno
  // through it first, so the tool can report the refusal itself.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return errno;
  *child = fork();
  if (*child == 0) {
    close(report[0]);
    if (setsid() < 0) failChild(report[1]);
    if (detached) {
      pid_t program = fork();
      if (program < 0) failChild(report[1]);
      if (program > 0) _exit(0);
    }
    becomeProgram(start, workingFolder, quietStreams, report[1]);
  }
  int startError = *child < 0 ? errno : 0;
  close(report[1]);
  if (*child > 0) {
    int wait = 0;
    if (detached) waitFor(*child, &wait);
    startError = startReport(report[0]);
    if (startError != 0 && !detached) waitFor(*child, &wait);
  } else {
    close(report[0]);
  }
  return startError;
}

// Starts the interpreter with the signal mask the tool was started with.
// While a StopRequests lives, in a session of its own, so that a terminal's
// Ctrl-C reaches the tool alone, which gives the script its grace and can
// end it with all it started.
int spawnInterpreter(std::vector<char*>& argv, bool supervised, pid_t* child) {
  posix_spawnattr_t attributes;
  int failed = posix_spawnattr_init(&attributes);
  if (failed != 0) return failed;
  short flags = POSIX_SPAWN_SETSIGMASK | (supervised ? POSIX_SPAWN_SETSID : 0);
  posix_spawnattr_setflags(&attributes, flags);
  posix_spawnattr_setsigmask(&attributes, &kMaskAtStart);
  failed = posix_spawn(child, kScriptInterpreter.program, nullptr, &attributes, argv.data(),
                       environ);
  posix_spawnattr_destroy(&attributes);
  return failed;
}

}  // namespace

bool startDetached(const std::string& executable, const std::string& commandLine,
                   const std::string& workingFolder, bool ownConsole, std::string* error) {
  pid_t middle = 0;
  int startError = startInSession(executable, commandLine, workingFolder, true, ownConsole ? 0 : 3,
                                  &middle);
  if (startError != 0) *error = reason(startError);
  return startError == 0;
}

bool startForeground(const std::string& executable, const std::string& commandLine,
                     const std::string& workingFolder, ChildProcess* child, std::string* error) {
  // A session rather than a process group in the tool's: the terminal's
  // Ctrl-C and hang-up reach the tool alone, and no stopped terminal output
  // (TOSTOP) can freeze the engine in the background. Its output is the
  // tool's; only its input is nothing.
  pid_t engine = 0;
  int startError = startInSession(executable, commandLine, workingFolder, false, 1, &engine);
  if (startError != 0) {
    *error = reason(startError);
    return false;
  }
  child->id = engine;
  return true;
}

bool runThroughInterpreter(const std::string& command, bool showWindow, int* exitCode,
                           std::string* error) {
  (void)showWindow;  // a terminal has no window to show or hide
  std::vector<std::string> words = {"sh", "-c", command};
  std::vector<char*> argv = argumentVector(words);
  StopRequests* stops = StopRequests::live();
  pid_t child;
  int failed = spawnInterpreter(argv, stops != nullptr, &child);
  if (failed != 0) {
    *error = reason(failed);
    return false;
  }
  ChildEnd end;
  if (stops != nullptr) {
    ChildProcess script;
    script.id = child;
    stops->waitForScript(&script, &end);
  } else {
    int wait = 0;
    if (waitFor(child, &wait) < 0) {
      *error = reason(errno);
      return false;
    }
    end.bySignal = WIFSIGNALED(wait);
    end.code = end.bySignal ? WTERMSIG(wait) : WEXITSTATUS(wait);
  }
  // The shell's own convention for a script that a signal ended.
  *exitCode = end.bySignal ? 128 + end.code : end.code;
  return true;
}
