// Running test programs on Windows. There is no less privileged user to
// become here: a read-only file is one to every user, the administrator
// included.
#include "support/tool_run.h"

#include "platform/windows_support.h"
#include "support/temp_folder.h"

#include <tlhelp32.h>

#include <cctype>

const bool kWindows = true;
const unsigned kExitStatusMask = 0xFFFFFFFFu;

void handToUnprivilegedUser(const std::string&) {}

std::string unprivilegedCommand() { return ""; }

int endProcessesUnder(const std::string& folder) {
  auto comparable = [](std::string path) {
    for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return path;
  };
  const std::string prefix = comparable(folder) + "\\";
  int ended = 0;
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = snapshot.valid() && Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE |
                                         SYNCHRONIZE,
                                     FALSE, entry.th32ProcessID));
    char name[MAX_PATH * 4];
    DWORD size = sizeof name;
    if (process.valid() && QueryFullProcessImageNameA(process.get(), 0, name, &size) &&
        comparable(name).rfind(prefix, 0) == 0 && TerminateProcess(process.get(), 1)) {
      // Its program and folder stay in use until it is gone.
      WaitForSingleObject(process.get(), 5000);
      ++ended;
    }
  }
  return ended;
}

namespace {

bool underWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// Ctrl-C goes to every process of a console, Ctrl-Break to one process
// group: the tool runs in a console of its own, which this test joins to
// send either, ignoring Ctrl-C itself meanwhile.
void sendConsoleEvent(const std::string& request, DWORD group) {
  FreeConsole();
  AttachConsole(group);
  SetConsoleCtrlHandler(nullptr, TRUE);
  GenerateConsoleCtrlEvent(request == "CTRL_C" ? CTRL_C_EVENT : CTRL_BREAK_EVENT,
                           request == "CTRL_C" ? 0 : group);
  FreeConsole();
}

}  // namespace

// Wine 8 passes no console event from one process to another: it refuses
// to generate a Ctrl-Break, and a Ctrl-C that it reports as sent never
// reaches the tool. What it does deliver, a terminal's Ctrl-C (SIGINT to the
// Wine process, turned into the console event), no test here can send.
const std::vector<std::string> kStopRequests =
    underWine() ? std::vector<std::string>{} : std::vector<std::string>{"CTRL_C", "CTRL_BREAK"};
const bool kPidNamespaces = false;

void runSupervised(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& awaited, const std::string& request, Supervised* run) {
  const std::string output = program + ".supervised.out";
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  ScopedHandle in(CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                              OPEN_EXISTING, 0, nullptr));
  ScopedHandle out(CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               &inherited, CREATE_ALWAYS, 0, nullptr));
  std::string commandLine = "\"" + program + "\"";
  for (const std::string& argument : arguments) commandLine += " \"" + argument + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in.get();
  startup.hStdOutput = out.get();
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                      CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup,
                      &process)) {
    run->result.status = -1000;
    return;
  }
  ScopedHandle tool(process.hProcess), thread(process.hThread);
  bool ended = false;
  for (int i = 0; i < 1000 && !ended && readFile(output).find(awaited) == std::string::npos; ++i)
    ended = WaitForSingleObject(tool.get(), 20) == WAIT_OBJECT_0;
  if (!ended && !request.empty()) sendConsoleEvent(request, process.dwProcessId);
  if (WaitForSingleObject(tool.get(), 60000) != WAIT_OBJECT_0) TerminateProcess(tool.get(), 1);
  WaitForSingleObject(tool.get(), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(tool.get(), &code);
  run->result.status = static_cast<int>(code);
  out.close();
  run->result.output = lineFeedsOnly(readFile(output));
  DeleteFileA(output.c_str());
}
