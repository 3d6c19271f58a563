#include "process/launcher.h"

#include "platform/environment.h"
#include "platform/process.h"
#include "platform/system.h"
#include "util/output.h"
#include "util/trace.h"

namespace {

// The program sees its own file name as the first word, not the full path.
std::string commandLineOf(const std::string& executablePath, const std::string& arguments) {
  std::string parameters = arguments;
  if (!parameters.empty() && parameters[0] != ' ') parameters.insert(0, 1, ' ');
  size_t last = executablePath.rfind(kPathSeparator);
  return (last == std::string::npos ? executablePath : executablePath.substr(last + 1)) +
         parameters;
}

// Traces the start, makes it with `start` and reports a refusal.
template <typename Start>
bool launch(const std::string& executablePath, const std::string& commandLine,
            const std::string& workingFolder, const Start& start) {
  if (traceEnabled()) {
    std::string path;
    getEnvironment("PATH", &path);
    trace("launch %s with the command line: %s", executablePath.c_str(), commandLine.c_str());
    trace("  in %s, with PATH=%s", workingFolder.c_str(), path.c_str());
  }
  std::string error;
  if (start(&error)) {
    trace("launched");
    return true;
  }
  trace("launch refused");
  // "<unknown>" goes without a line end, as installer scripts know it.
  if (error.empty())
    printOut("[error] <unknown>");
  else
    printOut("[error] %s\n", error.c_str());
  return false;
}

}  // namespace

bool launchProcess(const std::string& executablePath, const std::string& arguments,
                   const std::string& workingFolder, bool ownConsole) {
  const std::string commandLine = commandLineOf(executablePath, arguments);
  return launch(executablePath, commandLine, workingFolder, [&](std::string* error) {
    return startDetached(executablePath, commandLine, workingFolder, ownConsole, error);
  });
}

bool launchForeground(const std::string& executablePath, const std::string& arguments,
                      const std::string& workingFolder, ChildProcess* child) {
  const std::string commandLine = commandLineOf(executablePath, arguments);
  return launch(executablePath, commandLine, workingFolder, [&](std::string* error) {
    return startForeground(executablePath, commandLine, workingFolder, child, error);
  });
}
