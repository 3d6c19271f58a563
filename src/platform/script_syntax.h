// What the platform's command interpreter makes of text on a script's
// command line, for callers that hand it text they did not write themselves
// (salt names and files from a command line, an index or a listing).
// Constants and a pure query: nothing here prints or fails.
#pragma once

#include <string>

// The characters that the interpreter reads as command syntax where they
// stand unescaped: with one of them a text could end the script's command
// and start another, or redirect it. Blanks are not among them: they only
// split arguments. A carriage return is not either: cmd.exe drops it and
// /bin/sh keeps it as a plain character.
extern const char* const kCommandSyntax;

inline bool holdsCommandSyntax(const std::string& text) {
  return text.find_first_of(kCommandSyntax) != std::string::npos;
}

// `text` in double quotes, as one argument that the interpreter hands on
// unchanged: cmd.exe expands nothing in a folder's name here, /bin/sh would
// expand `$`, a backquote and a backslash unless they are escaped.
std::string quotedArgument(const std::string& text);

// The form in which an existing folder goes into PATH for a child: the
// short form on Windows, as on the command line; elsewhere the plain path,
// since PATH is no command line and an escape would stay in it.
std::string searchPathForm(const std::string& folder);
