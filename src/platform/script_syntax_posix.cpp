#include "platform/script_syntax.h"

#include "util/shell_word.h"

// Besides the operators, a dollar sign and a backquote substitute the output
// of a command into the line, and parentheses open a subshell.
const char* const kCommandSyntax = "&|<>\n;`$()";

std::string quotedArgument(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '$' || c == '`' || c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

std::string commandLineWord(const std::string& path) { return shellWord(path); }
