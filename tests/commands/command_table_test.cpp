// Every command form where it meets the user: a command line run in an
// installation, and what must come of it.
#include "support/installation.h"

#include "platform/process.h"

#include <filesystem>

// The rows are a table: one row a case, laid out by hand so that a row
// reads as a line of it. The formatter would put every field on a line of
// its own.
// clang-format off
namespace {

const std::string kUsage = "Incorrect usage\n";
const std::string kDeleteUsage =
    "Invalid parameters\nUsage: delete_repository[.sh/.bat] <repository-name>\n";
const std::string kM = "_VEXADEFAULT_";
const std::string kStopping = "Stopping local Zerin service\n";
const std::string kSent = "Shutdown command sent to Zerin service\n";
const std::string kNotFound = "Cannot find repository details\n";
std::string unread(const std::string& file) {
  return "Failed to read connection string from file(" + file + ")";
}

using CommandTable = Installation;

// Two connection files in the tool's folder: one with the key, one without.
const std::string kGood = "{tool}{/}good.ini", kBare = "{tool}{/}bare.ini";
const RowSetup kFiles{"", {}, {}, {{kGood, "CONNECTION=db\n"}, {kBare, "USER=db\n"}}};

TEST_F(CommandTable, WordCountAndMarkerSelectTheForm) {
  run({
      {{}, "", 0},
      {{"-delete", "a", "b"}, kDeleteUsage, -2},
      {{"-delete"}, kDeleteUsage, -2},
      {{"-stop", "local"}, kUsage, -2},
      {{"-START", "local", "u", "p"}, kUsage, -2},
      {{"-Stop", "local", "u", "p"}, kUsage, -2},
      {{"-status", "local", "u", "p"}, kUsage, -2},
      {{"-check", "local", "u", "p", "x"}, kUsage, -2},
      {{"-stop", kM, "u", "p", "x", "h", "1"}, kUsage, -2},
      {{"-start", kM, "u", "p", "x", "h", "1"}, kUsage, -2},
      {{"-check", kM, "u", "p", "x", "h", "1", "f", "y", "z"}, kUsage, -2},
      {{"-check", kM.substr(0, kM.size() - 1), "u", "p", "x", "h", "1", "f"}, kUsage, -2},
      {{"-stop", "_vexadefault_", "u", "p", "x", "h", "1", "f"}, kUsage, -2},
      {{"-importsalt", "a", "b"}, kUsage, -2},
      {{"-exportsalt", "-all"}, kUsage, -2},
      // An explicit form that runs is told by its first step, reading a
      // connection file that is not there.
      {{"-check", kM, "u", "p", "x", "localhost", "1", "{tool}{/}none.ini"},
       unread("{tool}{/}none.ini"), -1},
      {{"-check", kM + "sales", "u", "p", "x", "localhost", "1", "{tool}{/}none.ini"},
       unread("{tool}{/}none.ini"), -1},
      {{"-stop", kM, "u", "p", "x", "junk", "localhost", "1", "{tool}{/}none.ini"},
       unread("{tool}{/}none.ini"), -1},
  });
}

TEST_F(CommandTable, StopByNameStopsOnlyLocalServicesAndCheckPingsAnyHost) {
  run({
      {{"-stop", "local", "u", "p"}, kStopping + kSent, 0, {"SHUTDOWN localhost"}},
      {{"-stop", "localGone", "u", "p"},
       kStopping + "Error sending shutdown command to Zerin service\n", 0},
      // The database is here, the service elsewhere: nothing to stop.
      {{"-stop", "digits", "u", "p"}, "", 0},
      {{"-stop", "remote", "u", "p"}, "Error - no local services to stop\n", -1},
      {{"-stop", "missing", "u", "p"}, kNotFound, -1},
      {{"-check", "digits", "u", "p"}, "Zerin service is running on host 127.0.0.1, port {up}\n",
       0, {"PING 127.0.0.1"}},
      {{"-check", "digitsGone", "u", "p"},
       "Zerin service not running on host 127.0.0.1, port {gone}\n", -1},
      {{"-check", "missing", "u", "p"}, kNotFound, -1},
  });
}

TEST_F(CommandTable, ExplicitStopAndCheckNeedAConnectionFile) {
  const std::string running = "Zerin service is running on host localhost, port {up}\n";
  run({
      {{"-stop", kM, "u", "p", "x", "localhost", "{up}", kGood}, kStopping + kSent, 0,
       {"SHUTDOWN localhost"}, {}, kFiles},
      // The ten-argument form: the host moves to argument 7 and the port
      // text stops at its first non-digit.
      {{"-stop", kM, "u", "p", "x", "9", "localhost", "{up}x", kGood}, kStopping + kSent, 0,
       {"SHUTDOWN localhost"}, {}, kFiles},
      {{"-stop", kM, "u", "p", "x", "127.0.0.1", "{up}", kGood},
       "Can not stop localhost Vexa web service\n", 0, {}, {}, kFiles},
      {{"-stop", kM, "u", "p", "x", "localhost", "{up}", kBare}, unread(kBare), -1, {}, {}, kFiles},
      {{"-check", kM, "u", "p", "x", "localhost", "{up}", kGood}, running, 0, {"PING localhost"},
       {}, kFiles},
      {{"-check", kM, "u", "p", "x", "9", "localhost", "{up}", kGood}, running, 0,
       {"PING localhost"}, {}, kFiles},
      {{"-check", kM, "u", "p", "x", "127.0.0.1", "{up}", kBare}, unread(kBare), -1, {}, {},
       kFiles},
  });
}

const std::string kDatabase = "Starting Quarra server...\n";
// What every launch prints, for a configuration file and an address.
std::string launched(const std::string& config, const std::string& address) {
  return "Starting Zerin service...\nExe Path = {tool}{/}vexa{/}vexa" + std::string(kExecutableSuffix) +
         "\n, Parameters= -c {short:" + config + "} -t http://" + address +
         "  -d \nTmpDir = {data}{/}tmp\n";
}
const std::string kSalesConfig = "{repos}{/}sales{/}vexa.ini";
const std::string kSalesLaunch = launched(kSalesConfig, "localhost:{engine}/?concurrency=5");
const std::string kSearchPath =
    "PATH={tool}{/}vexa{;}{tool}{/}..{/}..{/}..{/}bin{;}{tool}{/}..{/}..{/}..{;}{path}";

TEST_F(CommandTable, StartByNameStartsTheDatabaseWhenItIsLocalThenTheEngine) {
  RowSetup config;
  config.files = {{kSalesConfig, "CONNECTION=x\n"}, {"{data}{/}conf{/}engine.ini", "x"}};
  RowSetup busy = config;
  busy.files["{tool}{/}zerin.cfg"] = "repository_data_directory,\"{data}\"\nconcurrency, 12\n";
  const std::vector<std::string> engineSeen = {
      "vexa: cwd={data}{/}tmp", "vexa: arg3=-t", "vexa: arg4=http://localhost:{engine}/?concurrency=5",
      "vexa: arg5=-d", "vexa: VEXAUSER=u", "vexa: VEXAPASSWD=p", "vexa: " + kSearchPath,
      // The database script runs before the credentials are set, with PATH
      // as the tool found it.
      "startvexa: !VEXAUSER", "startvexa: PATH={path}"};
  run({
      // A configuration that no row has made yet has no short form: on
      // Windows the path keeps the data folder's blank, so it goes in quotes.
      {{"-start", "sales", "u", "p"}, kDatabase + kSalesLaunch, 0, {}, {"startvexa [{repos}]"},
       {}, nullptr, {"vexa: arg2=" + kSalesConfig, "vexa: arg3=-t"}},
      {{"-start", "sales", "u", "p"}, kDatabase + kSalesLaunch, 0, {}, {"startvexa [{repos}]"},
       config, nullptr, engineSeen},
      {{"-startdebug", "sales", "u", "p"}, kDatabase + kSalesLaunch, 0, {}, {"startvexa [{repos}]"},
       config},
      {{"-start", "sales", "u", "p"},
       kDatabase + launched(kSalesConfig, "localhost:{engine}/?concurrency=12"), 0, {},
       {"startvexa [{repos}]"}, busy},
      // A configuration of its own means a database elsewhere.
      {{"-start", "configured", "u", "p"},
       launched("{data}{/}conf{/}engine.ini", "0.0.0.0:{engine}/?concurrency=5"), 0, {}, {},
       config},
      {{"-start", "farService", "u", "p"}, kDatabase, -1, {}, {"startvexa [{repos}]"}},
      {{"-start", "remote", "u", "p"}, "Error - no local services to stop\n", -1},
      {{"-start", "missing", "u", "p"}, kNotFound, -1},
      {{"-start", "sales", "u", "p"}, kDatabase + "Not Set Quarra home directory\n", -1, {},
       {"startvexa [{repos}]"}, {"", {}, {{"startvexa", 104}}}},
      {{"-startdebug", "sales", "u", "p"}, kDatabase + "Stating Quarra server failed(ECode: 0)", -1,
       {}, {"startvexa [{repos}]"}, {"", {}, {{"startvexa", 0}}}},
      {{"-start", "sales", "u", "p"}, kDatabase + kSalesLaunch, 0, {}, {"startvexa [{repos}]"},
       {"", {}, {{"startvexa", -1}}, config.files}},
      // Without a PATH the engine gets the tool's folders alone, and PATH is
      // unset again afterwards.
      {{"-start", "sales", "u", "p"}, kDatabase + kSalesLaunch, 0, {}, {"startvexa [{repos}]"},
       {"", {{"PATH", ""}}, {}, config.files}, nullptr,
       {"vexa: PATH={tool}{/}vexa{;}{tool}{/}..{/}..{/}..{/}bin{;}{tool}{/}..{/}..{/}..{;}"}},
  });
}

TEST_F(CommandTable, StartExplicitNeedsAConnectionFileAndShowsThePortInOneForm) {
  const std::string launch = launched(kGood, "localhost:{engine}/?concurrency=5");
  run({
      {{"-start", kM, "u", "p", "x", "localhost", "{engine}", kGood}, "{engine}\n" + launch, 0, {},
       {}, kFiles, nullptr, {"vexa: VEXAUSER=u", "vexa: VEXAPASSWD=p"}},
      {{"-start", kM, "u", "p", "x", "7", "localhost", "{engine}", kGood}, launch, 0, {}, {},
       kFiles},
      {{"-startdebug", kM, "u", "p", "x", "localhost", "{engine}", kGood}, launch, 0, {}, {},
       kFiles},
      {{"-startdebug", kM, "u", "p", "x", "7", "localhost", "{engine}x", kGood}, launch, 0, {}, {},
       kFiles},
      {{"-start", kM, "u", "p", "x", "localhost", "{engine}", kBare},
       "{engine}\n" + unread(kBare), -1, {}, {}, kFiles},
  });
}

// The engine is started without an interpreter, so a path that holds
// interpreter syntax reaches it as one word and runs nothing.
TEST_F(CommandTable, StartHandsTheEngineAConfigurationPathWithSyntaxAsOneWord) {
  const std::string odd = "{tool}{/}my conf;$(touch ran)'x.ini";
  RowSetup setup;
  setup.files = {{odd, "CONNECTION=db\n"}};
  const std::string received = scriptsRunInCmd() ? "{short:" + odd + "}" : odd;
  run({
      {{"-start", kM, "u", "p", "x", "7", "localhost", "{engine}", odd},
       launched(odd, "localhost:{engine}/?concurrency=5"), 0, {}, {}, setup, nullptr,
       {"vexa: arg2=" + received, "vexa: !arg6"}},
  });
  EXPECT_FALSE(std::filesystem::exists(expand("{data}{/}tmp{/}ran")));
}

std::string asked(const std::string& name) {
  return "You are about to remove the zerin repository: " + name +
         "\nConfirm remove repository (Y/N): ";
}
const std::string kSalesFiles =
    "Info - please remove repository files from the following directory: \n\t{repos}{/}sales\n"
    "(Note - you may need to reboot first before you can remove the repository files)\n";
const char* const kWithoutSales = "local,localGone,digits,digitsGone,remote,farService,configured";
const char* const kWithoutLocal = "localGone,digits,digitsGone,remote,sales,farService,configured";

TEST_F(CommandTable, DeleteAsksThenRemovesTheEntryAndRunsTheRemovalScript) {
  auto answer = [](const char* input) { return RowSetup{input}; };
  const std::string removeSales = "removevexa [{repos}] [sales]";
  // What a delete killed in mid-write leaves goes with the next delete.
  const std::string stale = "{data}{/}vexa_config.xml.4321.tmp";
  const std::string other = "{data}{/}vexa_config.xml.4x.tmp";
  RowSetup interrupted{"y\n", {}, {}, {{stale, "<con"}, {other, ""}}};
  run({
      {{"-delete", "sales"}, asked("sales") + "\n" + kSalesFiles, 0, {}, {removeSales},
       interrupted, kWithoutSales, {"removevexa: PATH={path}"}},
      {{"-delete", "sales"}, asked("sales") + "\n" + kSalesFiles, 0, {}, {removeSales},
       answer("Yes"), kWithoutSales},
      {{"-delete", "sales"}, asked("sales"), -1, {}, {}, answer("n\n")},
      {{"-delete", "sales"}, asked("sales"), -1, {}, {}, answer("\n")},
      {{"-delete", "sales"}, asked("sales"), -1, {}, {}, answer("")},
      {{"-delete", "sales"}, asked("sales"), -1, {}, {}, answer(" y")},
      {{"-delete", "local"}, asked("local") + "\n", 0, {}, {"removevexa [{repos}] [local]"},
       answer("Y"), kWithoutLocal},
      // Not there: said so, and the script still runs for the name.
      {{"-delete", "gone"}, asked("gone") + "\nError - repository was not found: gone\n", 0, {},
       {"removevexa [{repos}] [gone]"}, answer("y")},
      {{"-delete", "two words"}, asked("two words") + "\nError - repository was not found: two words\n",
       0, {}, {"removevexa [{repos}] [two] [words]"}, answer("y")},
      {{"-delete", "local"}, asked("local") + "\nNot Set Quarra home directory\n", -1, {},
       {"removevexa [{repos}] [local]"}, {"y", {}, {{"removevexa", 104}}}, kWithoutLocal},
      {{"-delete", "local"}, asked("local") + "\nStating Quarra server failed(ECode: 0)", -1, {},
       {"removevexa [{repos}] [local]"}, {"y", {}, {{"removevexa", 0}}}, kWithoutLocal},
      {{"-delete", "local"}, asked("local") + "\n", 0, {}, {"removevexa [{repos}] [local]"},
       {"y", {}, {{"removevexa", -1}}}, kWithoutLocal},
  });
  EXPECT_FALSE(std::filesystem::exists(expand(stale)));
  EXPECT_TRUE(std::filesystem::exists(expand(other)));
}

TEST_F(CommandTable, DeleteOfARemoteDatabaseNeedsItsCredentials) {
  auto remote = [](std::map<std::string, std::string> environment) {
    environment["QUARRANODENAME"] = "node1";
    return RowSetup{"y", environment};
  };
  const std::string said = asked("local") + "\n";
  run({
      // The entry is gone before the credentials are missed.
      {{"-delete", "local"}, said + "Please input quarra username and password to use remote Quarra\n",
       -1, {}, {}, remote({}), kWithoutLocal},
      {{"-delete", "local", "admin", "se^cret"}, said, 0, {},
       {"removevexa [{repos}] [local] [admin] [se^cret]"}, remote({}), kWithoutLocal,
       {"removevexa: VEXAUSER=admin", "removevexa: VEXAPASSWD=se^cret"}},
      {{"-delete", "local"}, said, 0, {}, {"removevexa [{repos}] [local] [admin] [a^^b]"},
       remote({{"VEXAUSER", "admin"}, {"VEXAPASSWD", "a^^b"}}), kWithoutLocal},
      {{"-delete", "local"}, said, 0, {}, {"removevexa [{repos}] [local] [ad] [min]"},
       remote({{"VEXAUSER", "ad min"}}), kWithoutLocal},
      // Without a remote node the credentials stay out of the arguments.
      {{"-delete", "local", "admin", "secret"}, said, 0, {}, {"removevexa [{repos}] [local]"},
       RowSetup{"y"}, kWithoutLocal, {"removevexa: VEXAPASSWD=secret"}},
  });
}

// The data folder's name reaches the database scripts as it is, whatever
// an interpreter could make of it.
TEST_F(CommandTable, TheDatabaseScriptsGetTheRepositoriesFolderUnexpanded) {
  const std::string odd = "{tool}{/}d$(echo x)`echo y`\\$HOME";
  RowSetup setup{"y"};
  setup.files = {{"{tool}{/}zerin.cfg", "repository_data_directory,\"" + odd + "\"\n"},
                 {odd + "{/}vexa_config.xml", kDescriptor}};
  run({
      {{"-start", "farService", "u", "p"}, kDatabase, -1, {},
       {"startvexa [" + odd + "{/}repositories]"}, setup},
      {{"-delete", "remote"}, asked("remote") + "\n", 0, {},
       {"removevexa [" + odd + "{/}repositories] [remote]"}, setup},
  });
}

// Nothing may go that the descriptor still names: when it cannot be
// rewritten, the removal script never runs and the file stays as it was.
TEST_F(CommandTable, DeleteRemovesNothingWhileTheDescriptorCannotBeRewritten) {
  const std::string descriptor = "{data}{/}vexa_config.xml";
  // Windows words this "Access is denied."; Wine leaves out the "is".
  const std::string denied = scriptsRunInCmd() ? "Access denied." : "Permission denied";
  auto readOnly = [](const std::string& path) {
    RowSetup setup{"y"};
    setup.asProcess = true;
    setup.readOnly = {path};
    return setup;
  };
  const std::string refused =
      "\nError - repository could not be removed from " + descriptor + ": " + denied + "\n";
  std::vector<CommandRow> rows = {
      {{"-delete", "sales"}, asked("sales") + refused, -1, {}, {}, readOnly(descriptor)},
      // Not named there: nothing to keep, and the script runs as ever.
      {{"-delete", "gone"}, asked("gone") + "\nError - repository was not found: gone\n", 0, {},
       {"removevexa [{repos}] [gone]"}, readOnly(descriptor)},
  };
  // On Windows a folder's read-only flag keeps no file from being made in it.
  if (!scriptsRunInCmd())
    rows.push_back({{"-delete", "sales"}, asked("sales") + refused, -1, {}, {}, readOnly("{data}")});
  run(rows);
}

// The trace names every path, host and port in full whatever the password
// is, and shows "***" where the password stands.
TEST_F(CommandTable, TheTraceHidesThePasswordAndNothingElse) {
  RowSetup remote{"y", {{"QUARRANODENAME", "node1"}}};
  std::vector<CommandRow> rows;
  for (const std::string password : {"p", "e", "/", "1", "localhost", "***", "u"}) {
    const std::vector<std::string> whole = {
        "tool folder {tool}", "settings file {tool}{/}zerin.cfg", "descriptor {data}{/}vexa_config.xml",
        "HTTP attempt 1 of 2: 127.0.0.1 port {gone}"};
    rows.push_back({{"-check", "digitsGone", "u", password},
                    "Zerin service not running on host 127.0.0.1, port {gone}\n", -1, {}, {}, {},
                    nullptr, {}, whole});
    std::vector<std::string> shown = {"tool folder {tool}", "descriptor {data}{/}vexa_config.xml",
                                      "\"{repos}\" local u ***"};
    if (password != "***") shown.push_back("!local u " + password);
    rows.push_back({{"-delete", "local", "u", password}, asked("local") + "\n", 0, {},
                    {"removevexa [{repos}] [local] [u] [" + password + "]"}, remote,
                    kWithoutLocal, {}, shown});
  }
  run(rows);
}

// /bin/sh would run what a password holds unless every special character
// is escaped; cmd.exe splits such a password at its blanks, as it should.
TEST_F(CommandTable, APasswordFullOfShellSyntaxArrivesUnchanged) {
  if (scriptsRunInCmd()) GTEST_SKIP() << "cmd.exe has its own rules for these characters";
  const std::string password = "a b$(touch {tool}/ran);`touch {tool}/ran2`'\"|&<>\\*?~#^!";
  RowSetup remote{"y", {{"QUARRANODENAME", "node1"}, {"VEXAUSER", "admin"}, {"VEXAPASSWD", password}}};
  run({
      {{"-delete", "local"}, asked("local") + "\n", 0, {},
       {"removevexa [{repos}] [local] [admin] [" + password + "]"}, remote, kWithoutLocal},
  });
  EXPECT_FALSE(std::filesystem::exists(expand("{tool}/ran")));
  EXPECT_FALSE(std::filesystem::exists(expand("{tool}/ran2")));
}

// The real tool, which finds its installation beside itself: the engine it
// starts outlives it, answers the check and goes with the stop; statuses
// arrive in the platform's own form.
TEST_F(CommandTable, TheToolAsAProcess) {
  RowSetup process;
  process.asProcess = true;
  RowSetup up = process;
  up.engineStaysUp = true;
  up.files = {{kSalesConfig, "CONNECTION=x\n"}};
  RowSetup said{"y", {}, {}, {{"{tool}{/}removevexa.writes", "0\nremoved\n"}}, false, true};
  const std::string scriptSaid = scriptsRunInCmd() ? "" : "removed\n";
  run({
      {{}, "", 0, {}, {}, process},
      {{"-stop", "local"}, kUsage, -2, {}, {}, process},
      {{"-start", "sales", "u", "p"}, kDatabase + kSalesLaunch, 0, {}, {"startvexa [{repos}]"}, up,
       nullptr, {"vexa: arg1=-c"}},
      {{"-check", "sales", "u", "p"},
       "Zerin service is running on host localhost, port {engine}\n", 0, {}, {}, process},
      {{"-stop", "sales", "u", "p"}, kStopping + kSent, 0, {}, {}, process},
      {{"-check", "sales", "u", "p"},
       "Zerin service not running on host localhost, port {engine}\n", -1, {}, {}, process},
      // What the tool says comes before what its script says, where the
      // script writes into the tool's output: cmd.exe started through the
      // shell writes into a console of its own.
      {{"-delete", "sales"}, asked("sales") + "\n" + kSalesFiles + scriptSaid, 0, {},
       {"removevexa [{repos}] [sales]"}, said, kWithoutSales},
  });
}

// With ZERINCTL_TRACE set, standard error explains each outcome; the runner
// checks that nothing else changes.
TEST_F(CommandTable, TheTraceExplainsEachOutcome) {
  RowSetup malformed;
  malformed.files = {{"{data}{/}vexa_config.xml", "<config>\n<instance name=\"a\"</config>"}};
  RowSetup elsewhere;
  elsewhere.files = {{"{tool}{/}zerin.cfg", "repository_data_directory,\"{tool}{/}none\"\n"}};
  RowSetup failing{"", {}, {{"startvexa", 0}}};
  RowSetup remote{"y", {{"QUARRANODENAME", "node1"}}};
  const std::string descriptor = "descriptor {data}{/}vexa_config.xml";
  run({
      {{"-check", "a", "u", "pw#9"}, kNotFound, -1, {}, {}, malformed, nullptr, {},
       {"version ", "tool folder {tool}", "settings file {tool}{/}zerin.cfg: read",
        "data folder {data} (repository_data_directory", descriptor,
        "malformed at line 2, column"}},
      {{"-stop", "local", "u", "pw#9"}, kNotFound, -1, {}, {}, elsewhere, nullptr, {},
       {"data folder {tool}{/}none (", "is missing or unreadable", "!pw#9"}},
      {{"-check", "missing", "u", "pw#9"}, kNotFound, -1, {}, {}, {}, nullptr, {},
       {descriptor, "no instance named \"missing\""}},
      {{"-check", "digitsGone", "u", "pw#9"},
       "Zerin service not running on host 127.0.0.1, port {gone}\n", -1, {}, {}, {}, nullptr, {},
       {"instance \"digitsGone\": host=localhost port=1 vexahost=127.0.0.1 vexaport={gone}",
        "HTTP attempt 1 of 2: 127.0.0.1 port {gone}", "HTTP attempt 2 of 2", "refused"}},
      {{"-stop", "local", "u", "pw#9"}, kStopping + kSent, 0, {"SHUTDOWN localhost"}, {}, {},
       nullptr, {},
       {"request: POST  HTTP/1.1", "answer: status line \"HTTP/1.1 200 OK\", Content-length: 2",
        "answer accepted"}},
      {{"-start", "sales", "u", "pw#9"}, kDatabase + "Stating Quarra server failed(ECode: 0)", -1,
       {}, {"startvexa [{repos}]"}, failing, nullptr, {},
       {"run through ", "exit code 0"}},
      // The password also goes masked in the form the interpreter reads.
      {{"-delete", "sales", "admin", "s3$cr3t"}, asked("sales") + "\n" + kSalesFiles, 0, {},
       {"removevexa [{repos}] [sales] [admin] [s3$cr3t]"}, remote, kWithoutSales, {},
       {"descriptor replaced", "run through ", "exit code 1", "!cr3t"}},
  });
}

}  // namespace
// clang-format on
