// The code page of the tool's narrow text, and the conversions across it.
//
// POSIX hands the tool bytes, UTF-8 in practice. The Windows executables
// declare UTF-8 as their active code page in their manifest, so that the
// narrow calls take and give UTF-8 too; a Windows that ignores the manifest
// (before Windows 10 version 1903) keeps its legacy code page, which holds
// only some characters. Nothing here prints.
#pragma once

#include <filesystem>
#include <string>

inline constexpr unsigned kUtf8CodePage = 65001;

// The code page of every narrow string the tool passes to the system or is
// given by it: arguments, paths, the environment, what it prints.
unsigned narrowCodePage();

inline bool narrowTextIsUtf8() { return narrowCodePage() == kUtf8CodePage; }

// The system's legacy code page, in which an older installer writes its
// files even where the tool's own is UTF-8 (UTF-8 on POSIX).
unsigned legacyCodePage();

// `text` in `codePage` converted to UTF-8; false when it is not valid text
// of that code page, each bad byte then converted to U+FFFD. On POSIX every
// text passes unchanged.
bool toUtf8(const std::string& text, unsigned codePage, std::string* utf8);

// UTF-8 converted to `codePage`, never a look-alike or a default character
// in place of one it cannot hold: such a character is written "<U+XXXX>",
// which no path and no script argument accepts, and `held` turns false. On
// POSIX every text passes unchanged.
std::string fromUtf8(const std::string& utf8, unsigned codePage, bool* held = nullptr);

// The first command-line word, or the tool's own path, that reached the
// tool with a character its narrow code page cannot hold (so that the
// system passed a '?' or a look-alike instead), described for a message
// with the characters written as fromUtf8 writes them; empty when there is
// none.
std::string unheldStartText();

// The path the narrow text names, for std::filesystem, whose own narrow
// conversion on Windows follows neither code page.
std::filesystem::path narrowPath(const std::string& path);

// Writes narrow text to standard output as characters where that is a
// console, which would read the bytes in a code page of its own; false
// where it is not, for the caller to write the bytes.
bool writeToConsole(const std::string& text);
