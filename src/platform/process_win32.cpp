// Processes on Windows: CreateProcessA for the engine, ShellExecuteExA and
// cmd.exe for the scripts.
#include "platform/process.h"

#include "platform/service_win32.h"
#include "platform/supervise.h"
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
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  ScopedHandle nothing(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inherited, OPEN_EXISTING, 0, nullptr));
  ScopedHandle readEnd, writeEnd;
  HANDLE job = engineJob();
  if (!nothing.valid() || job == nullptr ||
      !CreatePipe(readEnd.out(), writeEnd.out(), nullptr, 0) ||
      !SetHandleInformation(writeEnd.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) {
    *error = systemText(GetLastError());
    return false;
  }
  STARTUPINFOA startup{};
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nothing.get();
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();
  PROCESS_INFORMATION process{};
  // Without the tool's console no Ctrl-C, Ctrl-Break or close of it reaches
  // the engine behind the tool's back; suspended until it is in the job, so
  // that nothing it starts escapes it.
  if (!createProcess(executable, commandLine, workingFolder, CREATE_NO_WINDOW | CREATE_SUSPENDED,
                     &startup, &process, error))
    return false;
  ScopedHandle thread(process.hThread);
  if (!AssignProcessToJobObject(job, process.hProcess)) {
    *error = systemText(GetLastError());
    TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    return false;
  }
  ResumeThread(thread.get());
  // Only the engine may hold the pipe's writing end, or the relay would
  // never see it close.
  writeEnd.close();
  HANDLE relayed = readEnd.release();
  if (!relayEngineOutput(relayed)) CloseHandle(relayed);
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
  // While "-run" awaits stop requests, a request bounds the script's time.
  if (StopRequests* stops = StopRequests::live()) {
    ChildProcess script;
    script.id = reinterpret_cast<long long>(request.hProcess);
    ChildEnd end;
    stops->waitForScript(&script, &end);
    *exitCode = end.code;
    return true;
  }
  ScopedHandle interpreter(request.hProcess);
  WaitForSingleObject(interpreter.get(), INFINITE);
  DWORD code = 0;
  if (GetExitCodeProcess(interpreter.get(), &code)) *exitCode = static_cast<int>(code);
  return true;
}
