#include "platform/script_syntax.h"

#include "platform/system.h"

// A line feed ends the command that cmd.exe reads from its /C text.
const char* const kCommandSyntax = "&|<>\n";

std::string quotedArgument(const std::string& text) { return "\"" + text + "\""; }

std::string searchPathForm(const std::string& folder) {
  std::string shortForm;
  return commandLinePath(folder, &shortForm) ? shortForm : folder;
}
