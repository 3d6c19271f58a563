// Processes on Windows: CreateProcessA for the engine, ShellExecuteExA and
// cmd.exe for the scripts, pipes to a child for the tests. Every handle is
// closed by the guard that owns it.
#include "platform/process.h"

#include "platform/windows_headers.h"

#include <shellapi.h>

#include <algorithm>
#include <mutex>
#include <thread>

const ScriptInterpreter kScriptInterpreter = {".bat", "cmd.exe", ';', true};
const char* const kExecutableSuffix = ".exe";
const unsigned kExitStatusMask = 0xFFFFFFFFu;

namespace {

const int kNotStarted = -1000;
const UINT kQuietErrorMode = SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX |
                             SEM_NOOPENFILEERRORBOX;                       // 0x8003
const DWORD kNeutralLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);  // 0x0400

class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle = nullptr) : handle_(handle) {}
  ~ScopedHandle() { reset(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  HANDLE get() const { return handle_; }
  HANDLE* out() { return &handle_; }
  void reset() {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_;
};

// The system's text for `code`, with the line end the system gives it;
// empty when it has none.
std::string systemText(DWORD code) {
  char* text = nullptr;
  DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM,
                                nullptr, code, kNeutralLanguage, reinterpret_cast<char*>(&text), 0,
                                nullptr);
  std::string result = length > 0 && text != nullptr ? std::string(text, length) : std::string();
  if (text != nullptr) LocalFree(text);
  return result;
}

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

bool startDetached(const std::string& executable, const std::string& commandLine,
                   const std::string& workingFolder, bool ownConsole, std::string* error) {
  // CreateProcessA may write into the command line, so it gets its own copy.
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // No dialog box may stop an unattended start (missing DLL, crash, no disk);
  // the engine inherits this mode too.
  UINT previousMode = SetErrorMode(kQuietErrorMode);
  BOOL created = CreateProcessA(executable.c_str(), buffer.data(), nullptr, nullptr, FALSE,
                                ownConsole ? CREATE_NEW_CONSOLE : CREATE_NO_WINDOW, nullptr,
                                workingFolder.c_str(), &startup, &process);
  DWORD code = created ? 0 : GetLastError();
  SetErrorMode(previousMode);
  if (!created) {
    *error = systemText(code);
    return false;
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return true;
}

bool runThroughInterpreter(const std::string& command, bool showWindow, int* exitCode,
                           std::string* error) {
  // /C removes the outer pair of quotes and runs the rest as one command.
  std::string parameters = "/C \"" + command + "\"";
  SHELLEXECUTEINFOA request{};
  request.cbSize = sizeof request;
  request.fMask = SEE_MASK_NOCLOSEPROCESS;
  request.lpVerb = "open";
  request.lpFile = kScriptInterpreter.program;
  request.lpParameters = parameters.c_str();
  request.nShow = showWindow ? SW_SHOWNORMAL : SW_HIDE;
  if (!ShellExecuteExA(&request)) {
    *error = systemText(GetLastError());
    return false;
  }
  // The shell may hand a start to a running program and give no handle;
  // there is then nothing to wait for and the code stays as it was.
  if (request.hProcess == nullptr) return true;
  ScopedHandle interpreter(request.hProcess);
  WaitForSingleObject(interpreter.get(), INFINITE);
  DWORD code = 0;
  if (GetExitCodeProcess(interpreter.get(), &code)) *exitCode = static_cast<int>(code);
  return true;
}

int runCollectingOutput(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& input, std::string* output) {
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
