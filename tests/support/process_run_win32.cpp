// Running test programs on Windows. There is no less privileged user to
// become here: a read-only file is one to every user, the administrator
// included.
#include "support/tool_run.h"

#include "platform/windows_support.h"

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
