// Runs a built program as a user would: a real process, its standard output
// captured, its exit status returned. What differs between the platforms
// lives in the process_run twins, not in conditionals here.
#pragma once

#include "platform/process.h"  // kExecutableSuffix: ".exe" or ""

#include <string>
#include <vector>

// Whether the tests run the Windows build (under Wine).
extern const bool kWindows;

// The bits of an exit code that a parent sees: all 32 on Windows, the low 8
// elsewhere.
extern const unsigned kExitStatusMask;

// Makes the files below `root` the unprivileged user's, so that a program
// run unprivileged may use them as their owner would (nothing to do where
// the caller is that user already, or on Windows).
void handToUnprivilegedUser(const std::string& root);

// What an interpreter's command line starts with to run a program as a
// user without root's right to pass over file permissions: on POSIX,
// "nobody" when the caller is root; elsewhere nothing.
std::string unprivilegedCommand();

struct ProcessResult {
  std::string output;  // standard output, CR LF line ends turned into LF
  int status = 0;      // exit status as the platform reports it; -1000 when not started
};

// Runs `program` with `arguments`, each one word, feeds it `input` on
// standard input (then end of file), and waits for its end; processes that
// it starts are not waited for. Standard error stays the caller's.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& input = "", bool unprivileged = false);

// Ends at once every process whose program lies in `folder` or below it;
// returns how many there were.
int endProcessesUnder(const std::string& folder);

// A built executable of the project ("zerinctl", "vexa"), beside the test.
std::string builtProgram(const std::string& name);

// The exit status that a process ending with `status` reports here.
int reportedStatus(int status);

// The requests that stop a supervising tool and that a test can send here:
// "SIGTERM", "SIGINT" and "SIGHUP" on POSIX; "CTRL_C" and "CTRL_BREAK" on
// Windows, none under Wine (see process_run_win32.cpp).
extern const std::vector<std::string> kStopRequests;
// Whether a test may make a PID namespace here (Linux, as root).
extern const bool kPidNamespaces;

struct Supervised {
  bool asPidOne = false;  // as PID 1 of a new PID namespace
  std::string noticesTo;  // NOTIFY_SOCKET: a datagram socket held here
  ProcessResult result;
  std::string notices;      // what came to that socket, one line each
  int unreapedOrphans = 0;  // the PID 1's, a moment after `awaited`
};

// Runs `program` as runProcess does but stays beside it: once its output
// holds `awaited`, sends `request` as a terminal or a console would (to its
// whole process group); then waits for its end, ending it after a minute if
// it never comes.
void runSupervised(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& awaited, const std::string& request, Supervised* run);
