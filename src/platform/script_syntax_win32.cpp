#include "platform/script_syntax.h"

// A line feed ends the command that cmd.exe reads from its /C text. Before
// the script sees its arguments, cmd.exe also puts a variable's value in
// place of "%NAME%" and drops a lone caret: the script would get a
// different text from the one the tool was given. "?" and "*", which no
// Windows name holds, are wildcards to a script's file commands: a salt
// that a listing wrote as "??" (its characters outside the console's code
// page) would make them act on every salt of two characters.
const char* const kCommandSyntax = "&|<>\n%^?*";

std::string quotedArgument(const std::string& text) { return "\"" + text + "\""; }

std::string commandLineWord(const std::string& path) {
  // Blanks and ",;=" split the command, "&|<>" end it, "^" escapes and
  // parentheses group; within double quotes each of them is plain text.
  if (path.find_first_of(" \t&|<>^(),;=") == std::string::npos) return path;
  return "\"" + path + "\"";
}
