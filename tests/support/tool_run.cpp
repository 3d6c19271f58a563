#include "support/tool_run.h"

#include "config/folders.h"
#include "platform/system.h"

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& input, bool unprivileged) {
  std::string output;
  ProcessResult result;
  result.status = runCollectingOutput(program, arguments, input, unprivileged, &output);
  result.output.reserve(output.size());
  for (size_t i = 0; i < output.size(); ++i)
    if (!(output[i] == '\r' && i + 1 < output.size() && output[i + 1] == '\n'))
      result.output += output[i];
  return result;
}

std::string builtProgram(const std::string& name) {
  std::string self;
  executablePath(&self);
  return folderOf(self) + kPathSeparator + name + kExecutableSuffix;
}

int reportedStatus(int status) {
  return static_cast<int>(static_cast<unsigned>(status) & kExitStatusMask);
}
