// The tool's own environment, which every child it starts inherits.
// Nothing here prints; whether a change took is not reported.
#pragma once

#include <string>

// The variable's value; false, and `value` untouched, when it is not set.
bool getEnvironment(const std::string& name, std::string* value);

// Sets the variable; an empty value removes it (as _putenv("NAME=") does).
void setEnvironment(const std::string& name, const std::string& value);
