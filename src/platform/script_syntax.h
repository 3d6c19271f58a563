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

// A path as one word on the interpreter's command line. /bin/sh gets every
// character that it treats specially escaped (see shellWord). cmd.exe gets
// the path as it stands, or in double quotes when it holds a blank or a
// character that cmd.exe reads as syntax: a short form can, on a volume
// whose short names are switched off or in a name such as "a&b" that is a
// valid short name. Within the quotes cmd.exe takes them as text.
std::string commandLineWord(const std::string& path);
