// The database scripts "startvexa" and "removevexa" of the templates folder:
// starting the database server, reading their exit codes, and handing them
// the credentials of a remote database.
#pragma once

#include "process/script_runner.h"

#include <string>

// The first argument of both scripts: the repositories folder, quoted so
// that the interpreter hands it over as it is.
std::string repositoriesArgument(const std::string& toolFolder);

// Runs the start script for the repositories folder; kSuccess when it
// reported success, kFailure (its message printed) otherwise.
int startDatabaseServer(const std::string& toolFolder, bool showWindow);

// 104: "Not Set Quarra home directory"; 0: "Stating Quarra server
// failed(ECode: 0)" without a line end; both give kFailure. Any other code
// is success: kSuccess, nothing printed.
int databaseScriptStatus(int exitCode);

// For a remote database ("QUARRANODENAME" set) appends " USER PASSWORD" from
// "VEXAUSER" and "VEXAPASSWD", the password escaped for the interpreter.
// False, with a request for them printed, when there is no user name.
bool appendRemoteDatabaseCredentials(ScriptArguments& arguments);

// Every "^" becomes "^^^^", so that cmd.exe hands a script the caret intact.
void escapeCarets(std::string& text);
