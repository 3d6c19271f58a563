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
