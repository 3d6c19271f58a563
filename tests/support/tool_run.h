// Runs a built program as a user would: a real process, its standard output
// captured, its exit status returned. What differs between the platforms
// comes from the platform layer, not from conditionals here.
#pragma once

#include "platform/process.h"  // kExecutableSuffix: ".exe" or ""

#include <string>
#include <vector>

struct ProcessResult {
  std::string output;  // standard output, CR LF line ends turned into LF
  int status = 0;      // exit status as the platform reports it; -1000 when not started
};

// Runs `program` with `arguments`, feeds it `input` on standard input (then
// end of file), and waits for its end.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& input = "");

// A built executable of the project ("zerinctl", "vexa"), beside the test.
std::string builtProgram(const std::string& name);

// The exit status that a process ending with `status` reports here: the full
// 32 bits on Windows, the low 8 bits elsewhere.
int reportedStatus(int status);
