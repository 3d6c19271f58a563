// Test programs on Windows: started with pipes for their standard streams.
// There is no less privileged user to become here: a read-only file is one
// to every user, the administrator included.
#include "support/tool_run.h"

#include "platform/windows_support.h"

#include <algorithm>
#include <mutex>
#include <thread>

const bool kWindows = true;
const unsigned kExitStatusMask = 0xFFFFFFFFu;

namespace {

const int kNotStarted = -1000;

// Quotes one argument so that the child's C runtime splits it back whole.
std::string quoteArgument(const std::string& argument) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

}  // namespace

void handToUnprivilegedUser(const std::string&) {}

int runCollectingOutput(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& input, bool, std::string* output) {
  std::string commandLine = quoteArgument(program);
  for (const std::string& argument : arguments) commandLine += " " + quoteArgument(argument);
  ScopedHandle inRead, inWrite, outRead, outWrite;
  PROCESS_INFORMATION process{};
  {
    // A child inherits every inheritable handle that exists when it is
    // created; one start at a time keeps each child's pipe ends out of the
    // children that other threads start, which would hold them open.
    static std::mutex creating;
    std::lock_guard<std::mutex> only(creating);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    if (!CreatePipe(inRead.out(), inWrite.out(), &inherit, 0) ||
        !CreatePipe(outRead.out(), outWrite.out(), &inherit, 0))
      return kNotStarted;
    SetHandleInformation(inWrite.get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outRead.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead.get();
    startup.hStdOutput = outWrite.get();
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    BOOL started = CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0,
                                  nullptr, nullptr, &startup, &process);
    inRead.reset();
    outWrite.reset();
    if (!started) return kNotStarted;
  }
  ScopedHandle child(process.hProcess), thread(process.hThread);
  // Written beside the reading, so that neither side can fill a pipe and
  // wait for the other.
  std::thread feeder([&input, &inWrite] {
    DWORD written = 0;
    for (size_t sent = 0; sent < input.size(); sent += written) {
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(input.size() - sent, 65536));
      if (!WriteFile(inWrite.get(), input.data() + sent, chunk, &written, nullptr)) break;
    }
    inWrite.reset();
  });
  // Read until the program has ended and its output is drained, not until
  // the pipe breaks: a process that it started may hold the pipe for hours.
  // (Wine hands a child its parent's standard handles even when nothing is
  // inherited, so an engine that the tool starts holds the tool's output.)
  char buffer[4096];
  for (bool ended = false;;) {
    DWORD available = 0, count = 0;
    if (!PeekNamedPipe(outRead.get(), nullptr, 0, nullptr, &available, nullptr)) break;
    if (available > 0) {
      DWORD wanted = std::min<DWORD>(available, sizeof buffer);
      if (!ReadFile(outRead.get(), buffer, wanted, &count, nullptr) || count == 0) break;
      output->append(buffer, count);
      continue;
    }
    if (ended) break;
    ended = WaitForSingleObject(child.get(), 50) == WAIT_OBJECT_0;
  }
  feeder.join();
  WaitForSingleObject(child.get(), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(child.get(), &code);
  return static_cast<int>(code);
}
