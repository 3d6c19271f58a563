// The statuses that every command operation returns and the tool returns as
// its exit status. Installer scripts test them, so they never change.
#pragma once

constexpr int kSuccess = 0;
// A repository command failed; its message says why.
constexpr int kFailure = -1;
// Wrong usage: no command form matched. The salt commands return it for
// their own failures as well, so that a failed salt operation is followed by
// "Incorrect usage" and looks to a caller like a command it must not retry.
constexpr int kWrongUsage = -2;
// "-run" alone: it ended before it started the engine, for a reason that a
// restart would meet again (the repository, its database's start). A
// supervisor lists it among the statuses that it does not restart on
// (systemd: RestartPreventExitStatus=253, as POSIX sees it).
constexpr int kCannotStart = -3;
