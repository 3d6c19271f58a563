#include "support/tool_run.h"

#include "config/folders.h"
#include "platform/system.h"

#ifdef _WIN32
#include "platform/windows_headers.h"
#else
#include <sys/wait.h>
#include <unistd.h>
#endif


namespace {

std::string normalizeLineEnds(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) result += text[i];
  return result;
}

#ifdef _WIN32
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
#endif

}  // namespace

#ifdef _WIN32
const char* const kExecutableSuffix = ".exe";

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE outRead, outWrite;
  CreatePipe(&outRead, &outWrite, &inherit, 0);
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);

  std::string commandLine = quoteArgument(program);
  for (const std::string& argument : arguments) commandLine += " " + quoteArgument(argument);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outWrite;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  ProcessResult result;
  BOOL started = CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0,
                                nullptr, nullptr, &startup, &process);
  CloseHandle(outWrite);
  if (!started) {
    CloseHandle(outRead);
    result.status = -1000;
    return result;
  }
  std::string output;
  char buffer[4096];
  DWORD count;
  while (ReadFile(outRead, buffer, sizeof buffer, &count, nullptr) && count > 0)
    output.append(buffer, count);
  CloseHandle(outRead);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  result.output = normalizeLineEnds(output);
  result.status = static_cast<int>(code);
  return result;
}

int reportedStatus(int status) { return status; }
#else
const char* const kExecutableSuffix = "";

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments) {
  // Built before the fork: a child of a threaded process may not allocate.
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  int out[2];
  ProcessResult result;
  if (pipe(out) != 0) {
    result.status = -1000;
    return result;
  }
  pid_t child = fork();
  if (child == 0) {
    dup2(out[1], 1);
    close(out[0]);
    close(out[1]);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  char buffer[4096];
  ssize_t count;
  while ((count = read(out[0], buffer, sizeof buffer)) > 0)
    result.output.append(buffer, static_cast<size_t>(count));
  close(out[0]);
  int wait = 0;
  waitpid(child, &wait, 0);
  result.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1000 - WTERMSIG(wait);
  result.output = normalizeLineEnds(result.output);
  return result;
}

int reportedStatus(int status) { return status & 0xFF; }
#endif

std::string builtProgram(const std::string& name) {
  std::string self;
  executablePath(&self);
  return folderOf(self) + kPathSeparator + name + kExecutableSuffix;
}
