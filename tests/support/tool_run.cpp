#include "support/tool_run.h"

#include "config/folders.h"
#include "platform/script_syntax.h"
#include "platform/system.h"
#include "support/temp_folder.h"

#include <atomic>
#include <filesystem>
#include <fstream>

// The program runs through the interpreter the tool runs its scripts with,
// its standard streams in files beside it: a process that it starts and
// that outlives it may hold them for hours without keeping the run waiting.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& input, bool unprivileged) {
  static std::atomic<unsigned> runs{0};
  const std::string streams = program + "." + std::to_string(runs++);
  std::ofstream(streams + ".in", std::ios::binary) << input;
  std::string command = (unprivileged ? unprivilegedCommand() : "") + commandLineWord(program);
  for (const std::string& argument : arguments) command += " " + commandLineWord(argument);
  command += " <" + commandLineWord(streams + ".in") + " >" + commandLineWord(streams + ".out");
  ProcessResult result;
  std::string error;
  if (!runThroughInterpreter(command, false, &result.status, &error)) result.status = -1000;
  result.output = lineFeedsOnly(readFile(std::filesystem::u8path(streams + ".out")));
  std::error_code ignored;
  std::filesystem::remove(std::filesystem::u8path(streams + ".in"), ignored);
  std::filesystem::remove(std::filesystem::u8path(streams + ".out"), ignored);
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
