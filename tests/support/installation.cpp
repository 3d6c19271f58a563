#include "support/installation.h"

#include "cli/dispatcher.h"
#include "config/folders.h"
#include "platform/environment.h"
#include "platform/process.h"
#include "platform/registration.h"
#include "platform/system.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

const char* const kDescriptor =
    "<config>\n"
    "  <instance name=\"local\" port=\"1\" vexaport=\"{up}\" host=\"db.invalid\" path=\"d\"/>\n"
    "  <instance name=\"localGone\" port=\"1\" vexahost=\"localhost\" vexaport=\"{gone}\"/>\n"
    "  <instance name=\"digits\" port=\"1\" vexahost=\"127.0.0.1\" vexaport=\"{up}\"/>\n"
    "  <instance name=\"digitsGone\" port=\"1\" vexahost=\"127.0.0.1\" vexaport=\"{gone}\"/>\n"
    "  <instance name=\"remote\" port=\"1\" vexahost=\"far.invalid\" path=\"d\"/>\n"
    "  <instance name=\"sales\" port=\"1\" vexaport=\"{engine}\" host=\"\"/>\n"
    "  <instance name=\"farService\" port=\"1\" vexahost=\"far.invalid\"/>\n"
    "  <instance name=\"configured\" port=\"1\" vexaport=\"{engine}\" "
    "vexalisteninghost=\"0.0.0.0\" path=\"{data}{/}conf{/}engine.ini\"/>\n"
    "</config>\n";

namespace {

const char* const kScripts[][2] = {{"templates", "startvexa"},
                                   {"templates", "removevexa"},
                                   {"vexa", "importsalt"},
                                   {"vexa", "exportsalt"},
                                   {"vexa", "listsalt"}};
// What every row may change of the tests' own environment, besides its own.
const char* const kRowVariables[] = {"VEXAUSER", "VEXAPASSWD", "PATH", "ZERINCTL_TRACE"};
const fs::perms kWritable = fs::perms::owner_write | fs::perms::group_write |
                            fs::perms::others_write;

// A variable's value, or none when it is not set: an empty PATH and no PATH
// are different states to put back.
std::optional<std::string> variable(const char* name) {
  std::string value;
  return getEnvironment(name, &value) ? std::optional<std::string>(value) : std::nullopt;
}

// Split at line feeds alone: a carriage return before one stays part of
// the line.
std::vector<std::string> linesAsWritten(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

std::vector<std::string> lines(const std::string& text) {
  return linesAsWritten(lineFeedsOnly(text));
}

// The text after each `open` in `text` up to the next `close`, one after the other.
std::vector<std::string> between(const std::string& text, const std::string& open, char close) {
  std::vector<std::string> found;
  for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at)) {
    at += open.size();
    found.push_back(text.substr(at, text.find(close, at) - at));
  }
  return found;
}

std::string instanceNames(const std::string& descriptor) {
  std::string names;
  for (const std::string& name : between(descriptor, "name=\"", '"'))
    names += (names.empty() ? "" : ",") + name;
  return names;
}

}  // namespace

CommandLine::CommandLine(const std::string& line) {
  std::istringstream in(line);
  for (std::string word; in >> word;) words.push_back(word);
}

std::string recordingScript(const std::string& recorder, const std::string& name) {
  // From the script's own folder, which the interpreter knows whole: cmd.exe
  // would read a path written into the script in the console's code page.
  if (kWindows) return "@\"%~dp0" + recorder + "\" " + name + " %*\r\n";
  return "#!/bin/sh\nexec \"$(dirname \"$0\")/" + recorder + "\" " + name + " \"$@\"\n";
}

Installation::Installation() {
  tool_ = root_.native("tool");
  data_ = root_.native("data folder");
  fs::create_directories(root_.path() / "data folder" / "repositories");
  fs::create_directories(root_.path() / "data folder" / "tmp");
  fs::create_directories(root_.path() / "tool" / "vexa");
  const std::string suffix = kExecutableSuffix;
  fs::copy_file(builtProgram("recorder"), root_.path() / "tool" / ("recorder" + suffix));
  fs::copy_file(builtProgram("vexa"), root_.path() / "tool" / "vexa" / ("vexa" + suffix));
  fs::copy_file(builtProgram("zerinctl"), root_.path() / "tool" / ("zerinctl" + suffix));
}

Installation::~Installation() {
  stopEngines();
  // Standard input goes back to nothing: Windows removes no folder that
  // holds an open file.
  (void)!std::freopen(kNullDevice, "r", stdin);
}

// The test repositories are registered nowhere; whether the machine has a
// service manager to say so differs from one machine to the next.
static const ServiceRegistration& unregistered() {
  static const ServiceRegistration answer =
      queryServiceRegistrations({"zerinctl-tests-never-registered"})[0];
  return answer;
}

std::string Installation::expand(std::string text) const {
  const std::pair<const char*, std::string> values[] = {
      // The cell of -list's REGISTERED column, padded as under its heading.
      {"{unregistered}", unregistered().known ? "no          " : "-           "},
      {"{unregistered-json}", unregistered().known ? "false" : "null"},
      {"{up}", std::to_string(peer_.port())},
      {"{gone}", std::to_string(gone_)},
      {"{engine}", std::to_string(engine_)},
      {"{tool}", tool_},
      {"{repos}", data_ + kPathSeparator + "repositories"},
      {"{data}", data_},
      {"{/}", std::string(1, kPathSeparator)},
      {"{;}", std::string(1, kScriptInterpreter.pathListSeparator)},
      {"{path}", variable("PATH").value_or("")},
  };
  for (const auto& value : values)
    for (size_t at = text.find(value.first); at != std::string::npos;
         at = text.find(value.first, at + value.second.size()))
      text.replace(at, std::strlen(value.first), value.second);
  // {short:PATH}: the form the tool hands an interpreter, taken last so that
  // PATH is already expanded.
  for (size_t at = text.find("{short:"); at != std::string::npos; at = text.find("{short:", at)) {
    size_t end = text.find('}', at);
    std::string word = shortPath(text.substr(at + 7, end - at - 7));
    text.replace(at, end + 1 - at, word);
    at += word.size();
  }
  return text;
}

void Installation::layOut(const Row& row) {
  root_.write("tool/zerin.cfg", "repository_data_directory, \"" + data_ + "\"\n");
  root_.write("data folder/vexa_config.xml", expand(kDescriptor));
  for (const auto& entry : fs::directory_iterator(root_.path() / "tool")) {
    std::string extension = entry.path().extension().string();
    if (extension == ".log" || extension == ".env" || extension == ".code" ||
        extension == ".writes")
      fs::remove(entry.path());
  }
  const std::string recorder = ".." + std::string(1, kPathSeparator) + "recorder" +
                               kExecutableSuffix;
  for (const auto& script : kScripts) {
    std::string relative = std::string("tool/") + script[0] + "/" + script[1] +
                           kScriptInterpreter.scriptSuffix;
    root_.write(relative, recordingScript(recorder, script[1]));
    fs::permissions(fs::u8path(root_.native(relative)), fs::perms::owner_all,
                    fs::perm_options::add);
  }
  // Database scripts succeed with anything but 0 and 104.
  for (const char* script : {"tool/startvexa.code", "tool/removevexa.code"})
    root_.write(script, "1");
  for (const auto& file : row.files) root_.write(expand(file.first), expand(file.second));
  for (const auto& [name, value] : row.variables)
    setVariable(name, value ? std::optional<std::string>(expand(*value)) : std::nullopt);
  root_.write("input", row.input);
  (void)!std::freopen(root_.native("input").c_str(), "rb", stdin);
}

void Installation::run(const std::vector<Row>& rows) {
  for (size_t index = 0; index < rows.size(); ++index) {
    const Row& row = rows[index];
    Outcome plain = runOnce(row, index, false);
    check(row, index, plain);
    if (row.traced.empty()) continue;
    // The trace explains; it never changes what the command prints or returns.
    Outcome traced = runOnce(row, index, true);
    std::string where = "row " + std::to_string(index) + " traced";
    EXPECT_EQ(traced.printed, plain.printed) << where;
    EXPECT_EQ(traced.status, plain.status) << where;
    for (const Row::Seen& wanted : row.traced) {
      std::string text = expand(wanted.text);
      EXPECT_EQ(traced.errors.find(text) != std::string::npos, wanted.present)
          << where << ": " << text << "\n"
          << traced.errors;
    }
    for (const std::string& line : lines(traced.errors)) {
      if (!line.empty()) {
        EXPECT_EQ(line.rfind("zerinctl: ", 0), 0u) << where << ": " << line;
      }
    }
  }
}

std::string Installation::output(const Row& row) { return runOnce(row, 0, false).printed; }

Installation::Outcome Installation::runOnce(const Row& row, size_t index, bool traced) {
  std::map<std::string, std::optional<std::string>> saved;
  for (const char* name : kRowVariables) saved[name] = variable(name);
  for (const auto& set : row.variables) saved[set.first] = variable(set.first.c_str());
  setVariable("ZERINCTL_TRACE", std::nullopt);
  layOut(row);
  if (traced) setVariable("ZERINCTL_TRACE", "1");
  std::vector<std::string> words = {"zerinctl"};
  for (const std::string& word : row.line) words.push_back(expand(word));
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);
  Outcome outcome;
  outcome.requestsBefore = peer_.requests().size();
  outcome.descriptorBefore = root_.read("data folder/vexa_config.xml");
  for (const std::string& path : row.readOnly)
    fs::permissions(fs::u8path(expand(path)), kWritable, fs::perm_options::remove);
  const std::optional<std::string> pathBefore = variable("PATH");

  if (row.asProcess) {
    bool unprivileged = !row.readOnly.empty();
    if (unprivileged) handToUnprivilegedUser(root_.native());
    const std::string tool = root_.native("tool/zerinctl" + std::string(kExecutableSuffix));
    const std::vector<std::string> arguments(words.begin() + 1, words.end());
    Supervised supervised;
    supervised.asPidOne = row.asPidOne;
    supervised.noticesTo = expand(row.noticesTo);
    if (row.watched)
      runSupervised(tool, arguments, row.stopOnce, row.stopRequest, &supervised);
    else
      supervised.result = runProcess(tool, arguments, row.input, unprivileged);
    const ProcessResult& result = supervised.result;
    outcome.notices = supervised.notices;
    outcome.unreapedOrphans = supervised.unreapedOrphans;
    outcome.printed = result.output;
    outcome.status = result.status == reportedStatus(row.status) ? row.status : result.status;
  } else {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    outcome.status = dispatch(tool_, static_cast<int>(words.size()), argv.data());
    reportWrongUsage(static_cast<int>(words.size()), argv.data(), outcome.status);
    outcome.errors = testing::internal::GetCapturedStderr();
    outcome.printed = testing::internal::GetCapturedStdout();
    if (!traced) {
      EXPECT_EQ(outcome.errors, "") << "row " << index << ": standard error";
    }
  }

  EXPECT_EQ(variable("PATH"), pathBefore) << "row " << index << ": PATH not restored";
  if (row.watched) {
    EXPECT_EQ(endProcessesUnder(root_.native()), 0) << "row " << index << ": left running";
  }
  // An engine that a row launched is waited for and ended, so that none is
  // left running unseen; one that a later row stops is left alone.
  if (outcome.printed.find("Starting Zerin service...") != std::string::npos &&
      outcome.printed.find("[error]") == std::string::npos) {
    outcome.engineRecord = recordedLines("vexa");
    if (!row.engineStaysUp) stopEngines();
  }
  outcome.scriptCalls = lines(root_.read("tool/calls.log"));
  for (const std::string& path : row.readOnly)
    fs::permissions(fs::u8path(expand(path)), kWritable, fs::perm_options::add);
  for (const auto& [name, value] : saved) setVariable(name, value);
  return outcome;
}

void Installation::check(const Row& row, size_t index, const Outcome& outcome) {
  std::string where = "row " + std::to_string(index) + ":";
  for (const std::string& word : row.line) where += " " + word;
  EXPECT_EQ(outcome.printed, expand(row.printed)) << where;
  EXPECT_EQ(outcome.status, row.status) << where;
  EXPECT_EQ(outcome.notices, expand(row.notices)) << where;
  EXPECT_EQ(outcome.unreapedOrphans, 0) << where << ": orphans left unreaped";

  std::vector<std::string> requests;
  std::vector<std::string> all = peer_.requests();
  auto first = [](const std::vector<std::string>& found) { return found.empty() ? "" : found[0]; };
  for (size_t i = outcome.requestsBefore; i < all.size(); ++i)
    requests.push_back(first(between(all[i], "<NAME>", '<')) + " " +
                       first(between(all[i], "Host: ", '\r')));
  // A listing's checks run at once, in no fixed order.
  std::vector<std::string> expected = row.requests;
  std::sort(requests.begin(), requests.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(requests, expected) << where;

  std::vector<std::string> scripts;
  for (const std::string& call : row.scripts) scripts.push_back(expand(call));
  EXPECT_EQ(outcome.scriptCalls, scripts) << where;

  std::string descriptor = root_.read("data folder/vexa_config.xml");
  if (row.instancesAfter)
    EXPECT_EQ(instanceNames(descriptor), *row.instancesAfter) << where;
  else
    EXPECT_EQ(descriptor, outcome.descriptorBefore) << where << ": descriptor changed";

  // A line recorded, or (for a variable never recorded) one that begins so.
  for (const Row::Seen& entry : row.recorded) {
    std::vector<std::string> seen = entry.who == "vexa" ? outcome.engineRecord
                                                        : recordedLines(entry.who);
    std::string wanted = expand(entry.text);
    bool found = false;
    std::string among;
    for (const std::string& line : seen) {
      found = found || (entry.present ? line == wanted : line.rfind(wanted, 0) == 0);
      among += "\n    " + line;
    }
    EXPECT_EQ(found, entry.present)
        << where << "\n  recorded by " << entry.who << ": " << wanted << "\n  among:" << among;
  }
}

// What a script's last run, or the engine's start, left behind, in lines
// that both end with a line feed alone: a carriage return left in a value
// shows. The engine writes its record after a moment of its own, so it is
// waited for.
std::vector<std::string> Installation::recordedLines(const std::string& who) const {
  if (who != "vexa") return linesAsWritten(root_.read("tool/" + who + ".env"));
  for (int i = 0; i < 200 && !fs::exists(engineRecordFile()); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return linesAsWritten(readFile(engineRecordFile()));
}

// Ends every engine that the rows started, by process: a tool at fault may
// have given one another port or working folder than the row meant.
void Installation::stopEngines() {
  endProcessesUnder(root_.native());
  std::error_code ignored;
  fs::remove(engineRecordFile(), ignored);
}
