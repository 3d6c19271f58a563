// A temporary installation for the command tests, and the rows that run
// command lines in it as the tool would.
//
// The tool's folder holds zerin.cfg (moving the data folder into the
// installation), templates/ and vexa/ with one-line scripts that hand their
// arguments to the recorder (see recorder_main.cpp), and the stand-in engine.
// The data folder, whose name holds a space, has the descriptor (kDescriptor),
// repositories/ and tmp/. A scripted peer on 127.0.0.1 answers every request
// with success; a second port has nothing listening.
//
// A row is a command line and the parts that say what it sets and expects:
//
//   row("-delete local", answering("y"), with("QUARRANODENAME", "node1"),
//       prints("...\n"), status(-1), runs("removevexa [{repos}] [local]"),
//       leaves(kWithoutLocal), neverRecords("removevexa", "VEXAUSER"))
//
// reads "delete local, answering y, with QUARRANODENAME=node1: prints ...,
// ends with -1, runs removevexa with these arguments, leaves these instances,
// and removevexa never saw VEXAUSER". The line is split at blanks;
// row({"-delete", "two words"}, ...) gives its words as they are. What a row
// does not name must not happen: nothing printed, status 0, no request, no
// script, the descriptor unchanged, nothing on standard error. Texts may hold
// placeholders: {up} and {gone} (the peer's port and one where nothing
// listens), {engine} (a free port for the stand-in engine), {tool}, {data},
// {repos} (the data folder's repositories/), {/} and {;} (the path and the
// PATH list separators), {path} (PATH as the row found it) and {short:PATH}
// (the one-word form the tool gives an interpreter).
#pragma once

#include "support/network_timeouts.h"
#include "support/scripted_peer.h"
#include "support/temp_folder.h"
#include "support/tool_run.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

struct Row {
  std::vector<std::string> line;  // the arguments after the tool's name
  // What the row sets up; all of it is undone after.
  std::string input;                                            // standard input, closed after it
  std::map<std::string, std::optional<std::string>> variables;  // nullopt: unset
  std::map<std::string, std::string> files;                     // path -> content
  bool engineStaysUp = false, asProcess = false, watched = false, asPidOne = false;
  std::string stopRequest, stopOnce, noticesTo;
  std::vector<std::string> readOnly;
  // What must come of it.
  std::string printed;
  int status = 0;
  std::vector<std::string> requests, scripts;
  std::optional<std::string> instancesAfter;
  std::string notices;
  struct Seen {
    std::string who, text;
    bool present;
  };
  std::vector<Seen> recorded, traced;
};
using RowPart = std::function<void(Row&)>;

struct CommandLine {
  CommandLine(const char* line) : CommandLine(std::string(line)) {}
  CommandLine(const std::string& line);
  CommandLine(std::initializer_list<std::string> each) : words(each) {}
  std::vector<std::string> words;
};

// How the parts below change their row.
using Text = std::string;
template <typename T>
RowPart assign(T Row::*field, std::common_type_t<T> value) {
  return [=](Row& row) { row.*field = value; };
}
template <typename T>
RowPart append(std::vector<T> Row::*list, std::common_type_t<T> item) {
  return [=](Row& row) { (row.*list).push_back(item); };
}
template <typename T>
RowPart put(std::map<std::string, T> Row::*map, std::string key, std::common_type_t<T> value) {
  return [=](Row& row) { (row.*map)[key] = value; };
}

template <typename... Parts>
Row row(const CommandLine& line, const Parts&... parts) {
  Row result;
  result.line = line.words;
  (RowPart(parts)(result), ...);
  return result;
}
// Several parts under one name.
template <typename... Parts>
RowPart parts(const Parts&... each) {
  return [=](Row& row) { (RowPart(each)(row), ...); };
}

// What a row sets up. A script ends with 0, startvexa and removevexa with 1
// (success), unless the row says otherwise; "" sets a variable empty where
// the system allows (see setVariable).
inline RowPart answering(Text input) { return assign(&Row::input, input); }
inline RowPart with(Text name, Text value) { return put(&Row::variables, name, value); }
inline RowPart without(Text name) { return put(&Row::variables, name, std::nullopt); }
inline RowPart file(Text path, Text content) { return put(&Row::files, path, content); }
inline RowPart exits(Text script, int code, Text onlyFor = "") {
  return file("{tool}{/}" + script + ".code", std::to_string(code) + "\n" + onlyFor);
}
// The script writes `content` into the file its argument `number` names, or
// with 0 to its standard output.
inline RowPart writes(Text script, int number, Text content) {
  return file("{tool}{/}" + script + ".writes", std::to_string(number) + "\n" + content);
}
// The engine the row starts runs on for a later row to stop.
inline RowPart engineStaysUp() { return assign(&Row::engineStaysUp, true); }
// Runs the built tool from the installation as a process of its own, for
// what only a process shows: its own folder, its exit status as the
// platform reports it, a child that outlives it.
inline RowPart asProcess() { return assign(&Row::asProcess, true); }
// Runs the tool as a process beside the test, which ends it should it still
// run after a minute; stoppedBy also sends it the stop `request` (one of
// kStopRequests) once its output holds `once`. Such a row must leave
// nothing of it running. asPidOne: as PID 1 of a PID namespace, which must
// reap every orphan handed to it.
inline RowPart watched() { return parts(asProcess(), assign(&Row::watched, true)); }
inline RowPart stoppedBy(Text request, Text once = "Zerin service is running") {
  return parts(watched(), assign(&Row::stopRequest, request), assign(&Row::stopOnce, once));
}
inline RowPart asPidOne() { return assign(&Row::asPidOne, true); }
// Makes the path read-only for the row; a process row then runs as a user
// who may not write it (root may write anything on POSIX).
inline RowPart readOnly(Text path) { return append(&Row::readOnly, path); }

// What it must come to. sends: a request the peer saw, "PING localhost" (the
// message and the Host header); runs: a script's run as the recorder logs
// it, in order, "removevexa [arg] [arg]"; leaves: the descriptor's instance
// names afterwards, "a,b,c" (without it, the file must stay byte for byte
// as it was); records: a line that the last run of a script,
// or the engine's start ("vexa"), recorded, "VEXAUSER=u", "arg2=-c". A row
// that traces runs once more with ZERINCTL_TRACE set: output and status must
// not change, and standard error must hold the text (traceHides: must not).
inline RowPart prints(Text output) { return assign(&Row::printed, output); }
inline RowPart status(int code) { return assign(&Row::status, code); }
inline RowPart sends(Text request) { return append(&Row::requests, request); }
inline RowPart runs(Text call) { return append(&Row::scripts, call); }
inline RowPart leaves(Text names) { return assign(&Row::instancesAfter, names); }
inline RowPart records(Text who, Text line) { return append(&Row::recorded, {who, line, true}); }
inline RowPart neverRecords(Text who, Text name) {
  return append(&Row::recorded, {who, name + "=", false});
}
// The tool's NOTIFY_SOCKET names a datagram socket that the test holds at
// `socket` ("@name": in the abstract namespace); `notices` must come there,
// one a line.
inline RowPart notifies(Text socket, Text notices) {
  return parts(with("NOTIFY_SOCKET", socket), assign(&Row::noticesTo, socket),
               assign(&Row::notices, notices));
}
inline RowPart traces(Text text) { return append(&Row::traced, {"", text, true}); }
inline RowPart traceHides(Text text) { return append(&Row::traced, {"", text, false}); }

class Installation : public testing::Test {
 protected:
  Installation();
  ~Installation() override;

  // Runs each row in a fresh copy of the installation's state and checks it.
  void run(const std::vector<Row>& rows);

  std::string expand(std::string text) const;
  // What a row's command line prints; nothing else of the row is checked.
  std::string output(const Row& row);
  // Lays out what a row sets up, as each row finds it before its command.
  void layOut(const Row& row);

 private:
  struct Outcome {
    std::string printed, errors, descriptorBefore, notices;
    int status = 0, unreapedOrphans = 0;
    size_t requestsBefore = 0;
    std::vector<std::string> scriptCalls, engineRecord;
  };
  Outcome runOnce(const Row& row, size_t index, bool traced);
  void check(const Row& row, size_t index, const Outcome& outcome);
  std::vector<std::string> recordedLines(const std::string& who) const;
  // What the stand-in engine writes in its working folder as it starts.
  std::filesystem::path engineRecordFile() const {
    return root_.path() / "data folder/tmp/vexa.started";
  }
  void stopEngines();

  TempFolder root_;
  std::string tool_, data_;
  ScriptedPeer peer_{
      {ScriptedPeer::keepAnswering("HTTP/1.1 200 OK\r\nContent-length: 2\r\n\r\nok")}};
  const int gone_ = unusedPort(), engine_ = unusedPort();
  ShortNetworkTimeouts timeouts_{2000, 2000, 2000};
};

// A script that hands its name and arguments to the recorder at `recorder`,
// a path from the script's folder (see recorder_main.cpp), which appends
// them to calls.log beside itself.
std::string recordingScript(const std::string& recorder, const std::string& name);

// What the tool says to every wrong usage.
inline const std::string kUsage = "Incorrect usage\n";

// The instances every row starts with.
extern const char* const kDescriptor;

// Sets a variable of the tests' own process, or unsets it (nullopt); unlike
// the tool's setEnvironment, "" sets it empty where the system allows.
void setVariable(const std::string& name, const std::optional<std::string>& value);
