// A temporary installation for the command tests, and the table runner that
// runs command lines in it as the tool would.
//
// The tool's folder holds zerin.cfg (moving the data folder into the
// installation), templates/ and vexa/ with one-line scripts that hand their
// arguments to the recorder (see recorder_main.cpp), and the stand-in engine.
// The data folder, whose name holds a space, has the descriptor,
// repositories/ and tmp/. A scripted peer on 127.0.0.1 answers every request
// with success; a second port has nothing listening.
#pragma once

#include "support/scripted_peer.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

// What a row changes before its command runs; all of it is undone after.
struct RowSetup {
  std::string input;                               // standard input (closed after it)
  std::map<std::string, std::string> environment;  // variables to set ("" unsets)
  std::map<std::string, int> exitCodes;            // script name -> its exit code
  std::map<std::string, std::string> files;        // relative path -> content
  bool engineStaysUp = false;                      // a later row stops it
  // Run the built tool from the installation as a process of its own, for
  // what only a process shows: its own folder, its exit status as the
  // platform reports it, a child that outlives it.
  bool asProcess = false;
  // Paths made read-only for the row. A process row then runs as a user
  // who may not write them (root may write anything on POSIX).
  std::vector<std::string> readOnly = {};
};

// One command line and everything that must come of it. Texts may hold
// placeholders: {up} and {gone} (the peer's port and one where nothing
// listens), {engine} (a free port for the stand-in engine), {tool}, {data},
// {repos} (the data folder's repositories/), {/} and {;} (the path and the
// PATH list separators), {path} (PATH as the row found it) and {short:PATH}
// (the one-word form the tool gives an interpreter).
struct CommandRow {
  std::vector<std::string> line;  // the arguments after the tool's name
  std::string printed;            // all of standard output
  int status;
  std::vector<std::string> requests = {};  // "PING localhost" per request the peer saw
  std::vector<std::string> scripts = {};   // "removevexa [arg]..." per script run
  RowSetup setup = {};
  // Names of the descriptor's instances after the command; nullptr: the file
  // unchanged, byte for byte.
  const char* instancesAfter = nullptr;
  // Lines that the last run of a script, or the engine, must have recorded:
  // "startvexa: VEXAUSER=u", "vexa: arg2=..." ("vexa: !VEXAUSER" for unset).
  std::vector<std::string> recorded = {};
  // When not empty, the row runs once more with ZERINCTL_TRACE set: output
  // and status must not change, and standard error must hold each of these
  // texts ("!TEXT": must not hold it).
  std::vector<std::string> traced = {};
};

class Installation : public testing::Test {
 protected:
  Installation();
  ~Installation() override;

  // Runs each row in a fresh copy of the installation's state and checks it.
  void run(const std::vector<CommandRow>& rows);

  std::string expand(std::string text) const;
  // Whether the scripts run in cmd.exe, whose quoting differs from /bin/sh.
  static bool scriptsRunInCmd();
  const std::string& tool() const { return tool_; }

 private:
  void reset(const RowSetup& setup);
  struct Outcome {
    std::string printed, errors, descriptorBefore;
    int status = 0;
    size_t requestsBefore = 0;
    std::vector<std::string> scriptCalls, engineRecord;
  };
  Outcome runOnce(const CommandRow& row, size_t index, bool traced);
  void check(const CommandRow& row, size_t index, const Outcome& outcome);
  std::vector<std::string> recordedLines(const std::string& who) const;
  // What the stand-in engine writes in its working folder as it starts.
  std::filesystem::path engineRecordFile() const {
    return root_.path() / "data folder/tmp/vexa.started";
  }
  void stopEngine();

  TempFolder root_;
  std::string tool_, data_;
  ScriptedPeer peer_{
      {ScriptedPeer::keepAnswering("HTTP/1.1 200 OK\r\nContent-length: 2\r\n\r\nok")}};
  const int gone_ = unusedPort(), engine_ = unusedPort();
  const int connectMs_, receiveMs_;
};

// A script that hands its name and arguments to the recorder at `recorder`
// (see recorder_main.cpp), which appends them to calls.log beside itself.
std::string recordingScript(const std::string& recorder, const std::string& name);

// The instances every row starts with.
extern const char* const kDescriptor;
