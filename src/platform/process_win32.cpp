// Processes on Windows: CreateProcessA for the engine, ShellExecuteExA and
// cmd.exe for the scripts.
#include "platform/process.h"

#include "platform/windows_support.h"

#include <shellapi.h>

#include <vector>

const ScriptInterpreter kScriptInterpreter = {".bat", "cmd.exe", ';', true};
const char* const kExecutableSuffix = ".exe";

namespace {

const UINT kQuietErrorMode = SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX |
                             SEM_NOOPENFILEERRORBOX;  // 0x8003

// One start request with the tool's environment; the handles are the
// caller's to close.
bool createProcess(const std::string& executable, const std::string& commandLine,
                   const std::string& workingFolder, DWORD flags, STARTUPINFOA* startup,
                   PROCESS_INFORMATION* process, std::string* error) {
  // CreateProcessA may write into the command line, so it gets its own copy.
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  startup->cb = sizeof *startup;
  BOOL inherit = (startup->dwFlags & STARTF_USESTDHANDLES) != 0;
  // No dialog box may stop an unattended start (missing DLL, crash, no disk);
  // the engine inherits this mode too.
  UINT previousMode = SetErrorMode(kQuietErrorMode);
  BOOL created = CreateProcessA(executable.c_str(), buffer.data(), nullptr, nullptr, inherit, flags,
                                nullptr, workingFolder.c_str(), startup, process);
  DWORD code = created ? 0 : GetLastError();
  SetErrorMode(previousMode);
  if (!created) *error = systemText(code);
  return created != 0;
}

// The tool's own standard stream, made inheritable so that a child writes
// where the tool writes even when that is a file or a pipe.
HANDLE inheritableStream(DWORD which) {
  HANDLE stream = GetStdHandle(which);
  if (stream != nullptr && stream != INVALID_HANDLE_VALUE)
    SetHandleInformation(stream, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  return stream;
}

}  // namespace

bool startDetached(const std::string& executable, const std::string& commandLine,
                   const std::string& workingFolder, bool ownConsole, std::string* error) {
  STARTUPINFOA startup{};
  PROCESS_INFORMATION process{};
  if (!createProcess(executable, commandLine, workingFolder,
                     ownConsole ? CREATE_NEW_CONSOLE : CREATE_NO_WINDOW, &startup, &process, error))
    return false;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return true;
}

bool startForeground(const std::string& executable, const std::string& commandLine,
                     const std::string& workingFolder, ChildProcess* child, std::string* error) {
  STARTUPINFOA startup{};
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inheritableStream(STD_INPUT_HANDLE);
  startup.hStdOutput = inheritableStream(STD_OUTPUT_HANDLE);
  startup.hStdError = inheritableStream(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  // The tool's console, in a process group of its own: Windows then keeps
  // the console's Ctrl-C from the engine, and the tool stops it instead.
  if (!createProcess(executable, commandLine, workingFolder, CREATE_NEW_PROCESS_GROUP, &startup,
                     &process, error))
    return false;
  CloseHandle(process.hThread);
  child->id = reinterpret_cast<long long>(process.hProcess);
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
