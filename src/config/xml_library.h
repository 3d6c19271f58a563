// The XML library's one start and one stop in a run of the tool. The
// dispatcher starts it before the command and stops it after; a command
// that goes on for hours once its descriptor has been read ("-run") stops
// it early, so that the library's memory is not held while it waits.
#pragma once

// False when the library could not start; nothing may parse then.
bool startXmlLibrary();

// Stops the library that startXmlLibrary started and gives its memory back.
// Only the first call after the start does anything: later ones, and calls
// in a process that started the library in its own way, leave it as it is.
void stopXmlLibrary();
