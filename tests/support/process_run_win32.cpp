// Running test programs on Windows. There is no less privileged user to
// become here: a read-only file is one to every user, the administrator
// included.
#include "support/tool_run.h"

const bool kWindows = true;
const unsigned kExitStatusMask = 0xFFFFFFFFu;

void handToUnprivilegedUser(const std::string&) {}

std::string unprivilegedCommand() { return ""; }
