// How the stand-in engine was started, left behind for the tests of the
// command that starts it: the file "vexa.started" in the engine's working
// folder, one `key=value` line each (line feed ends, no other escaping):
//
//   cwd=<working folder>
//   arg1=<first argument>          one line per argument, as received
//   ...
//   stdin=<kind>                   what standard input is (standardInputKind)
//   VEXAUSER=<value>               each of VEXAUSER, VEXAPASSWD and PATH
//   VEXAPASSWD=<value>             that is set, in this order; an unset
//   PATH=<value>                   one has no line
//
// The file appears complete or not at all: it is written to
// "vexa.started.tmp" and then put in place of any old one.
#pragma once

// Writes the record; returns false when it could not (then no new
// "vexa.started" exists, though an old one may).
bool recordStart(int argc, char** argv);
