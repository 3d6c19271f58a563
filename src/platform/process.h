// Starting other programs: the engine, detached, and the installation's
// scripts, through the platform's command interpreter and waited for.
//
// Nothing here prints. A refused start returns false and leaves the system's
// reason in `error`, worded as the system words it, without its line end
// (empty when the system has no text for it).
#pragma once

#include <string>

// What the platform runs in place of the installation's batch scripts.
struct ScriptInterpreter {
  const char* scriptSuffix;  // ".bat" on Windows, ".sh" elsewhere
  const char* program;       // "cmd.exe", "/bin/sh"
  char pathListSeparator;    // between the folders of PATH: ';' or ':'
  // cmd.exe escapes with carets; /bin/sh with backslashes, as a path is
  // written for it (see shellWord).
  bool escapesWithCarets;
};
extern const ScriptInterpreter kScriptInterpreter;

// The file name suffix of an executable: ".exe" or "".
extern const char* const kExecutableSuffix;

// Starts `executable` detached and does not wait for it. `commandLine` is
// the whole command line as the program is to see it: on Windows handed to
// the system as it stands; elsewhere split into words as /bin/sh splits them
// (blanks separate, a backslash keeps the next character, quotes group) with
// no expansion and without running a shell, the first word becoming the
// program's own name. The child runs in `workingFolder` with the tool's
// current environment; without its own console it has no window and its
// standard streams go nowhere. No handle or zombie is left behind.
bool startDetached(const std::string& executable, const std::string& commandLine,
                   const std::string& workingFolder, bool ownConsole, std::string* error);

// A child that the tool keeps and waits for: a process id on POSIX, a
// process handle on Windows; 0 when there is none (never started, or its
// end has been seen and its traces released).
struct ChildProcess {
  long long id = 0;
};

// Starts `executable` as startDetached does, but as the tool's own child,
// which the tool waits for (supervise.h): standard input from nothing,
// standard output and error the tool's own (a journal or a container's log
// keeps what it writes), and in a process group of its own, so that a
// Ctrl-C in a terminal reaches the tool alone. On Windows it has no console
// of the tool's: its output comes through a pipe that the tool relays (to
// the service's log in a service), and it lives in a job that ends what it
// starts with it.
bool startForeground(const std::string& executable, const std::string& commandLine,
                     const std::string& workingFolder, ChildProcess* child, std::string* error);

// Runs `command` (a script path, one space, its argument text) through the
// command interpreter: cmd.exe receives /C "command", /bin/sh receives
// -c "command". Waits without limit and stores the interpreter's exit code,
// bit for bit; on POSIX, while a StopRequests lives, the interpreter has a
// session of its own and the wait is that guard's (waitForScript), a script
// ended by a signal giving 128 plus its number. False, with the reason in
// `error`, when the interpreter could not be started at all.
bool runThroughInterpreter(const std::string& command, bool showWindow, int* exitCode,
                           std::string* error);
