// The connection file named by the explicit start, stop and check forms:
// "key=value" lines, of which "CONNECTION" carries the database connection
// string. Its presence is a precondition of those commands.
#pragma once

#include <string>

// kSuccess and the last "CONNECTION" value in `connectionString`; or
// kFailure, with
// "Failed to read connection string from file(<path>)" printed (no line end)
// and `connectionString` untouched.
int readConnectionString(const std::string& filePath, std::string& connectionString);
