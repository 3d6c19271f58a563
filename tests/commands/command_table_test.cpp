// Every command form where it meets the user: a command line run in an
// installation, and what must come of it. Each row reads as
//
//   row("-delete local", answering("y"), with("QUARRANODENAME", "node1"),
//       prints(asked("local") + "\n"), runs("removevexa [{repos}] [local]"),
//       leaves(kWithoutLocal), neverRecords("removevexa", "VEXAUSER"))
//
// a command line split at blanks (row({"-delete", "two words"}, ...) keeps
// its words), what it sets up (answering, with, without, file, exits,
// writes, asProcess, engineStaysUp, readOnly) and what must come of it (prints,
// status, sends, runs, leaves, records, neverRecords, traces, traceHides);
// what a row does not name must not happen. tests/support/installation.h
// says what each part means and which placeholders {...} the texts may hold.
#include "support/installation.h"

#include "listener.h"
#include "platform/code_page.h"
#include "support/silent_name_server.h"
#include "support/throwing_lookup.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

namespace {

const std::string kDeleteUsage =
    "Invalid parameters\nUsage: delete_repository[.sh/.bat] <repository-name>\n";
const std::string kMarker = "_VEXADEFAULT_";
const std::string kStopping = "Stopping local Zerin service\n";
const std::string kSent = "Shutdown command sent to Zerin service\n";
const std::string kNotFound = "Cannot find repository details\n";
std::string unread(const std::string& file) {
  return "Failed to read connection string from file(" + file + ")";
}
const auto kWrongUsage = parts(prints(kUsage), status(-2));

using CommandTable = Installation;

// Two connection files in the tool's folder: one with the key, one without.
const std::string kGood = "{tool}{/}good.ini", kBare = "{tool}{/}bare.ini";
const RowPart kFiles = parts(file(kGood, "CONNECTION=db\n"), file(kBare, "USER=db\n"));

TEST_F(CommandTable, WordCountAndMarkerSelectTheForm) {
  const std::string none = "{tool}{/}none.ini";
  run({
      row("-delete a b", prints(kDeleteUsage), status(-2)),
      row("-delete", prints(kDeleteUsage), status(-2)),
      row("-START local u p", kWrongUsage),
      row("-check local u p x", kWrongUsage),
      row("-stop " + kMarker + " u p x h 1", kWrongUsage),
      row("-start " + kMarker + " u p x h 1", kWrongUsage),
      row("-check " + kMarker + " u p x h 1 f y z", kWrongUsage),
      row("-check " + kMarker.substr(0, kMarker.size() - 1) + " u p x h 1 f", kWrongUsage),
      row("-stop _vexadefault_ u p x h 1 f", kWrongUsage),
      row("-importsalt a b", kWrongUsage),
      row("-exportsalt -all", kWrongUsage),
      // An explicit form that runs is told by its first step, reading a
      // connection file that is not there.
      row("-check " + kMarker + " u p x localhost 1 " + none, prints(unread(none)), status(-1)),
      row("-check " + kMarker + "sales u p x localhost 1 " + none, prints(unread(none)),
          status(-1)),
      row("-stop " + kMarker + " u p x junk localhost 1 " + none, prints(unread(none)), status(-1)),
  });
}

// By name, a stop reaches only a service on this machine; the explicit forms
// need a connection file that names the database.
TEST_F(CommandTable, StopStopsOnlyLocalServicesAndCheckPingsAnyHost) {
  const auto running = parts(prints("Zerin service is running on host localhost, port {up}\n"),
                             kFiles);
  const auto stopped = parts(prints(kStopping + kSent), sends("SHUTDOWN localhost"), kFiles);
  const std::string stop = "-stop " + kMarker + " u p x ", check = "-check " + kMarker + " u p x ";
  run({
      row("-stop localGone u p",
          prints(kStopping + "Error sending shutdown command to Zerin service\n")),
      // The database is here, the service elsewhere: nothing to stop.
      row("-stop digits u p"),
      row("-stop remote u p", prints("Error - no local services to stop\n"), status(-1)),
      row("-stop missing u p", prints(kNotFound), status(-1)),
      row("-check digits u p", prints("Zerin service is running on host 127.0.0.1, port {up}\n"),
          sends("PING 127.0.0.1")),
      row(stop + "localhost {up} " + kGood, stopped),
      // The ten-argument form: the host moves to argument 7 and the port
      // text stops at its first non-digit.
      row(stop + "9 localhost {up}x " + kGood, stopped),
      row(stop + "127.0.0.1 {up} " + kGood, prints("Can not stop localhost Vexa web service\n"),
          kFiles),
      row(stop + "localhost {up} " + kBare, prints(unread(kBare)), status(-1), kFiles),
      row(check + "localhost {up} " + kGood, running, sends("PING localhost")),
      row(check + "9 localhost {up} " + kGood, running, sends("PING localhost")),
      row(check + "127.0.0.1 {up} " + kBare, prints(unread(kBare)), status(-1), kFiles),
  });
}

const std::string kDatabase = "Starting Quarra server...\n";
// What every launch prints, for a configuration file and an address.
std::string launched(const std::string& config, const std::string& address) {
  return "Starting Zerin service...\nExe Path = {tool}{/}vexa{/}vexa" +
         std::string(kExecutableSuffix) + "\n, Parameters= -c {short:" + config + "} -t http://" +
         address + "  -d \nTmpDir = {data}{/}tmp\n";
}
const std::string kSalesConfig = "{repos}{/}sales{/}vexa.ini";
const std::string kSalesLaunch = launched(kSalesConfig, "localhost:{engine}/?concurrency=5");
const std::string kToolPath =
    "PATH={tool}{/}vexa{;}{tool}{/}..{/}..{/}..{/}bin{;}{tool}{/}..{/}..{/}..{;}";
const auto kStartsDatabase = runs("startvexa [{repos}]");

// By name, the database goes first when it is local; the explicit forms need
// a connection file and show the port in one of them.
TEST_F(CommandTable, StartStartsTheDatabaseWhenItIsLocalThenTheEngine) {
  const auto config = parts(file(kSalesConfig, "CONNECTION=x\n"),
                            file("{data}{/}conf{/}engine.ini", "x"));
  const auto salesStarts = parts(prints(kDatabase + kSalesLaunch), kStartsDatabase, config);
  const auto launch = parts(prints(launched(kGood, "localhost:{engine}/?concurrency=5")), kFiles);
  const std::string args = kMarker + " u p x ";
  const std::string odd = "{tool}{/}my conf;$(touch ran)'x.ini";
  run({
      // A configuration that no row has made yet has no short form: on
      // Windows the path keeps the data folder's blank, so it goes in quotes.
      row("-start sales u p", prints(kDatabase + kSalesLaunch), kStartsDatabase,
          records("vexa", "arg2=" + kSalesConfig), records("vexa", "arg3=-t")),
      row("-start sales u p", salesStarts, records("vexa", "cwd={data}{/}tmp"),
          records("vexa", "arg4=http://localhost:{engine}/?concurrency=5"),
          records("vexa", "arg5=-d"), records("vexa", "VEXAUSER=u"),
          records("vexa", "VEXAPASSWD=p"), records("vexa", kToolPath + "{path}"),
          // The database script runs before the credentials are set, with
          // PATH as the tool found it.
          neverRecords("startvexa", "VEXAUSER"), records("startvexa", "PATH={path}")),
      row("-start sales u p", kStartsDatabase, config,
          prints(kDatabase + launched(kSalesConfig, "localhost:{engine}/?concurrency=12")),
          file("{tool}{/}zerin.cfg", "repository_data_directory,\"{data}\"\nconcurrency, 12\n")),
      // A configuration of its own means a database elsewhere.
      row("-start configured u p", config,
          prints(launched("{data}{/}conf{/}engine.ini", "0.0.0.0:{engine}/?concurrency=5"))),
      row("-start farService u p", prints(kDatabase), status(-1), kStartsDatabase),
      row("-start remote u p", prints("Error - no local services to stop\n"), status(-1)),
      row("-start missing u p", prints(kNotFound), status(-1)),
      row("-start sales u p", exits("startvexa", 104), status(-1), kStartsDatabase,
          prints(kDatabase + "Not Set Quarra home directory\n")),
      row("-startdebug sales u p", exits("startvexa", 0), status(-1), kStartsDatabase,
          prints(kDatabase + "Stating Quarra server failed(ECode: 0)")),
      row("-start sales u p", exits("startvexa", -1), salesStarts),
      // An interpreter that a signal ended did not say 0 either (to cmd.exe
      // the lines are unknown commands, whose code is no failure either).
      row("-start sales u p", prints(kDatabase + kSalesLaunch), config,
          file("{tool}{/}templates{/}startvexa" + std::string(kScriptInterpreter.scriptSuffix),
               "#!/bin/sh\nkill $PPID\n")),
      // Without a PATH the engine gets the tool's folders alone, and PATH is
      // unset again afterwards.
      row("-start sales u p", without("PATH"), salesStarts, records("vexa", kToolPath)),
      row("-start " + args + "localhost {engine} " + kGood, kFiles,
          prints("{engine}\n" + launched(kGood, "localhost:{engine}/?concurrency=5")),
          records("vexa", "VEXAUSER=u"), records("vexa", "VEXAPASSWD=p")),
      row("-start " + args + "7 localhost {engine} " + kGood, launch),
      row("-startdebug " + args + "7 localhost {engine}x " + kGood, launch),
      row("-start " + args + "localhost {engine} " + kBare, prints("{engine}\n" + unread(kBare)),
          status(-1), kFiles),
      // The engine is started without an interpreter, so a path that holds
      // interpreter syntax reaches it as one word and runs nothing.
      row({"-start", kMarker, "u", "p", "x", "7", "localhost", "{engine}", odd},
          file(odd, "CONNECTION=db\n"), prints(launched(odd, "localhost:{engine}/?concurrency=5")),
          records("vexa", "arg2=" + (kWindows ? "{short:" + odd + "}" : odd)),
          neverRecords("vexa", "arg6")),
  });
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(expand("{data}{/}tmp{/}ran"))));
}

// What the supervisor whose socket NOTIFY_SOCKET names must hear, one
// notice a line; Windows has no such supervisor.
RowPart notices(const std::string& expected) {
  return notifies(kWindows ? "" : "@{tool}{/}notices", kWindows ? "" : expected);
}
// A database script that says so once it sleeps, when the stop request
// comes: earlier, the request to the tool's process group could reach the
// interpreter before it has left it.
RowPart sleepingScript(const std::string& then) {
  return file("{tool}{/}templates{/}startvexa.sh", "#!/bin/sh\necho sleeping\n" + then);
}
const std::string kInScript = kDatabase + "sleeping\n";
// The script has the shutdown time-out to end, is then ended, and no engine
// starts.
const auto kStoppedInScript =
    parts(stoppedBy("SIGTERM", kInScript), sleepingScript("sleep 100\n"),
          with("ZERINCTL_SHUTDOWN_TIMEOUT", "1"), notices(""),
          prints(kInScript + "Quarra server start did not end within 1 seconds and was ended\n" +
                 "Zerin service not started: stop requested\n"),
          status(-1));

// "-run" starts as "-start" does, keeps the engine as its child with its
// output in the tool's, and ends with it: 0 only after a shutdown it asked
// for on a stop request, or one that came before the engine's start; -1,
// naming how, when the engine crashed, never answered, would not stop in
// time or was running already; -3, which a supervisor does not restart on,
// when nothing was to start. Each row runs beside the test, so that a tool
// that never ends fails its row alone.
TEST_F(CommandTable, RunKeepsTheEngineUntilAStopRequestEndsIt) {
  const auto config = file(kSalesConfig, "CONNECTION=x\n");
  const std::string started = kDatabase + kSalesLaunch;
  const std::string running = "Zerin service is running on host localhost, port {engine}\n";
  const std::string stopping = kStopping + "vexa: SHUTDOWN received\n" + kSent;
  const auto runs = parts(config, kStartsDatabase, records("vexa", "VEXAPASSWD=p"));
  std::vector<Row> rows;
  for (const std::string& request : kStopRequests)
    rows.push_back(
        row("-run sales u p", stoppedBy(request), runs,
            prints(started + running + stopping + "Zerin service stopped (exit code 0)\n")));
  if (!kStopRequests.empty())
    rows.push_back(row("-run sales u p", stoppedBy(kStopRequests[0]), runs,
                       notices("READY=1\nSTOPPING=1\n"), with("VEXA_STANDIN", "ignore-shutdown"),
                       with("ZERINCTL_SHUTDOWN_TIMEOUT", "1"),
                       prints(started + running + stopping +
                              "Zerin service did not stop within 1 seconds and was ended\n"),
                       status(-1)));
  // Shell scripts that sleep, and signals: POSIX alone.
  if (!kWindows) {
    rows.push_back(row("-run sales u p", kStoppedInScript));
    rows.push_back(row("-run sales u p", stoppedBy("SIGINT", kInScript), notices(""),
                       sleepingScript("sleep 3\nexit 1\n"),
                       prints(kInScript + "Zerin service not started: stop requested\n")));
    // The engine sends itself SIGTERM, which ends it unless it was started
    // with the signals that the tool blocks for its wait.
    rows.push_back(row("-run sales u p", watched(), runs, with("VEXA_STANDIN", "terminate"),
                       prints(started + running + "Zerin service ended on its own (signal 15)\n"),
                       status(-1)));
  }
  rows.push_back(row("-run sales u p", watched(), runs, with("VEXA_STANDIN", "crash"),
                     prints(started + running + "Zerin service ended on its own (exit code 3)\n"),
                     status(-1)));
  // Ready only once it answers: an engine that never does was never ready.
  rows.push_back(row(
      "-run sales u p", watched(), runs, with("VEXA_STANDIN", "fail-start"), notices(""),
      prints(kDatabase + kSalesLaunch + "Zerin service ended before it answered (exit code 4)\n"),
      status(-1)));
  const std::string refused = "Zerin service is running on host localhost, port {up}\n"
                              "Not started twice: stop the running service first with ";
  const std::string handOver = ", or let zerin.admin.repository with enabled: true hand it over\n";
  rows.push_back(row("-run local u p", watched(), sends("PING localhost"), status(-1),
                     prints(refused + "\"zerinctl -stop local u -\"" + handOver)));
  rows.push_back(row("-run " + kMarker + " u p x 7 localhost {up} " + kGood, kFiles, watched(),
                     status(-1), sends("PING localhost"),
                     prints(refused + "\"zerinctl -stop\" and the same arguments" + handOver)));
  rows.push_back(row("-run farService u p", watched(), prints(kDatabase), status(-3),
                     kStartsDatabase));
  rows.push_back(row("-run sales u", kWrongUsage));
  run(rows);
}

// Windows' service words, where there is no Service Control Manager, name
// systemd's unit instead; under Wine see service_test.sh.
TEST_F(CommandTable, ServiceWordsNameSystemdsUnitWhereThereIsNoServiceControlManager) {
  if (kWindows) GTEST_SKIP() << "the Windows service: tests/commands/service_test.sh";
  const std::string systemd = "Windows services are not kept here: systemd keeps a repository's "
                              "service through the unit zerinctl@sales (systemctl enable --now "
                              "zerinctl@sales)\n" +
                              kUsage;
  run({row("-register sales u p", prints(systemd), status(-2)),
       row("-register sales u p delayed", prints(systemd), status(-2)),
       row("-unregister sales", prints(systemd), status(-2)),
       row("-service sales", prints(systemd), status(-2)), row("-register sales u", kWrongUsage),
       row("-unregister", kWrongUsage), row("-service sales x", kWrongUsage)});
}

// The main process of a container: its orphans are reaped and SIGTERM,
// which PID 1 never gets without a handler, stops it as anywhere else, also
// while the database script runs.
TEST_F(CommandTable, RunAsPidOneReapsOrphansAndStopsOnSigterm) {
  if (!kPidNamespaces) GTEST_SKIP() << "no PID namespace can be made here (Linux, as root)";
  run({row("-run sales u p", stoppedBy("SIGTERM"), asPidOne(), with("VEXA_STANDIN", "orphan"),
           file(kSalesConfig, "CONNECTION=x\n"), kStartsDatabase,
           notifies("{tool}/notices", "READY=1\nSTOPPING=1\n"),
           prints(kDatabase + kSalesLaunch +
                  "Zerin service is running on host localhost, port {engine}\n" + kStopping +
                  "vexa: SHUTDOWN received\n" + kSent + "Zerin service stopped (exit code 0)\n")),
       row("-run sales u p", asPidOne(), kStoppedInScript)});
}

std::string asked(const std::string& name) {
  return "You are about to remove the zerin repository: " + name +
         "\nConfirm remove repository (Y/N): ";
}
std::string leftFiles(const std::string& name, const std::string& repos = "{repos}") {
  return "Info - please remove repository files from the following directory: \n\t" + repos +
         "{/}" + name +
         "\n(Note - you may need to reboot first before you can remove the repository files)\n";
}
const std::string kSalesFiles = leftFiles("sales");
const char* const kWithoutSales = "local,localGone,digits,digitsGone,remote,farService,configured";
const char* const kWithoutLocal = "localGone,digits,digitsGone,remote,sales,farService,configured";
const auto kSalesRemoved = parts(prints(asked("sales") + "\n" + kSalesFiles),
                                 leaves(kWithoutSales));
const auto kRemovesSales = runs("removevexa [{repos}] [sales]");
const auto kLocalRemoved = parts(runs("removevexa [{repos}] [local]"), leaves(kWithoutLocal));

TEST_F(CommandTable, DeleteAsksThenRemovesTheEntryAndRunsTheRemovalScript) {
  // What a delete killed in mid-write leaves goes with the next delete.
  const std::string stale = "{data}{/}vexa_config.xml.4321.tmp";
  const std::string other = "{data}{/}vexa_config.xml.4x.tmp";
  const auto refused = parts(prints(asked("sales")), status(-1));
  const auto missing = "\nError - repository was not found: ";
  run({
      row("-delete sales", answering("y\n"), file(stale, "<con"), file(other, ""), kSalesRemoved,
          kRemovesSales, records("removevexa", "PATH={path}")),
      row("-delete sales", answering("Yes"), kSalesRemoved, kRemovesSales),
      row("-delete sales", answering("\n"), refused),
      row("-delete sales", answering(""), refused),
      row("-delete sales", answering(" y"), refused),
      row("-delete local", answering("Y"), prints(asked("local") + "\n"), kLocalRemoved),
      // Not there: said so, and the script still runs for the name.
      row("-delete gone", answering("y"), prints(asked("gone") + missing + "gone\n"),
          runs("removevexa [{repos}] [gone]")),
      row({"-delete", "two words"}, answering("y"),
          prints(asked("two words") + missing + "two words\n"),
          runs("removevexa [{repos}] [two] [words]")),
      row("-delete local", answering("y"), exits("removevexa", 104), kLocalRemoved,
          prints(asked("local") + "\nNot Set Quarra home directory\n"), status(-1)),
  });
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(expand(stale))));
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(expand(other))));
}

TEST_F(CommandTable, DeleteOfARemoteDatabaseNeedsItsCredentials) {
  const auto remote = parts(answering("y"), with("QUARRANODENAME", "node1"),
                            prints(asked("local") + "\n"), leaves(kWithoutLocal));
  run({
      // The entry is gone before the credentials are missed.
      row("-delete local", remote, status(-1),
          prints(asked("local") + "\nPlease input quarra username and password to use remote "
                                  "Quarra\n")),
      row("-delete local admin se^cret", remote,
          runs("removevexa [{repos}] [local] [admin] [se^cret]"),
          records("removevexa", "VEXAUSER=admin"), records("removevexa", "VEXAPASSWD=se^cret")),
      row("-delete local", remote, with("VEXAUSER", "admin"), with("VEXAPASSWD", "a^^b"),
          runs("removevexa [{repos}] [local] [admin] [a^^b]")),
      row("-delete local", remote, with("VEXAUSER", "ad min"),
          runs("removevexa [{repos}] [local] [ad] [min]")),
      // Without a remote node, or with an empty name for it, the
      // credentials stay out of the arguments.
      row("-delete local admin secret", answering("y"), prints(asked("local") + "\n"),
          kLocalRemoved, records("removevexa", "VEXAPASSWD=secret")),
      row("-delete local", remote, with("QUARRANODENAME", ""), with("VEXAUSER", "admin"),
          kLocalRemoved),
  });
}

// "-" in place of the password: the first line of the file that
// ZERINCTL_PASSWORD_FILE names, else ZERINCTL_PASSWORD, else the first line
// of standard input; without a password nothing runs. Stop and check take
// none, so theirs is a word like any other.
TEST_F(CommandTable, DashTakesThePasswordFromAFileAVariableOrStandardInput) {
  const std::string secret = "{tool}{/}secret", args = kMarker + " u - x ";
  const auto everySource = parts(with("ZERINCTL_PASSWORD_FILE", secret), answering("typed\n"),
                                 file(secret, "s3cret\r\nnext\n"), with("ZERINCTL_PASSWORD", "v"));
  const auto none = [](const std::string& why) {
    return parts(status(-1), prints("No password for -: " + why +
                                    ". It is the first line of the "
                                    "file named by ZERINCTL_PASSWORD_FILE, else the value of "
                                    "ZERINCTL_PASSWORD, else the first line of standard input\n"));
  };
  const auto remote = parts(with("QUARRANODENAME", "node1"), prints(asked("local") + "\n"),
                            leaves(kWithoutLocal));
  run({
      row("-start sales u -", everySource, prints(kDatabase + kSalesLaunch), kStartsDatabase,
          records("vexa", "VEXAPASSWD=s3cret"), traces("password from the file " + secret),
          traceHides("s3cret")),
      row("-startdebug " + args + "localhost {engine} " + kGood, kFiles, answering("typed\n"),
          with("ZERINCTL_PASSWORD", "v^ar"), records("vexa", "VEXAPASSWD=v^ar"), traceHides("v^ar"),
          prints(launched(kGood, "localhost:{engine}/?concurrency=5"))),
      row("-start " + args + "7 localhost {engine} " + kGood, kFiles, answering("typed\r\ny"),
          records("vexa", "VEXAPASSWD=typed"),
          prints(launched(kGood, "localhost:{engine}/?concurrency=5"))),
      // The last line of a pipe may lack its line end.
      row("-start " + args + "7 localhost {engine} " + kGood, kFiles, answering("typed"),
          records("vexa", "VEXAPASSWD=typed"),
          prints(launched(kGood, "localhost:{engine}/?concurrency=5"))),
      // The answer after the password line is still there for the question.
      row("-delete local admin -", remote, answering("se^cret\r\ny"), traceHides("se^cret"),
          runs("removevexa [{repos}] [local] [admin] [se^cret]"), traces("local admin ***")),
      row("-delete local admin -", remote, asProcess(), answering("pw\ny"),
          runs("removevexa [{repos}] [local] [admin] [pw]"),
          records("removevexa", "VEXAPASSWD=pw")),
      row("-start sales u -", none("neither variable is set and standard input is at its end")),
      row("-delete sales u -", with("ZERINCTL_PASSWORD_FILE", secret + "2"), answering("pw\ny"),
          none("ZERINCTL_PASSWORD_FILE names " + secret +
               "2, which cannot be read: No such file or directory")),
      row("-start " + args + "localhost {engine} " + kGood, kFiles, file(secret, ""),
          with("ZERINCTL_PASSWORD_FILE", secret),
          none("ZERINCTL_PASSWORD_FILE names " + secret + ", which is empty")),
      row("-check digits u -", prints("Zerin service is running on host 127.0.0.1, port {up}\n"),
          sends("PING 127.0.0.1")),
  });
}

// The data folder's name reaches the database scripts as it is, whatever
// an interpreter could make of it. Both scripts get it from one place, so
// the start holds it for the removal too.
TEST_F(CommandTable, TheDatabaseScriptsGetTheRepositoriesFolderUnexpanded) {
  const std::string odd = "{tool}{/}d$(echo x)`echo y`\\$HOME";
  run({row("-start farService u p", prints(kDatabase), status(-1),
           file("{tool}{/}zerin.cfg", "repository_data_directory,\"" + odd + "\"\n"),
           file(odd + "{/}vexa_config.xml", kDescriptor),
           runs("startvexa [" + odd + "{/}repositories]"))});
}

// Nothing may go that the descriptor still names: when it cannot be
// rewritten, the removal script never runs and the file stays as it was.
TEST_F(CommandTable, DeleteRemovesNothingWhileTheDescriptorCannotBeRewritten) {
  const std::string descriptor = "{data}{/}vexa_config.xml";
  // Windows words this "Access is denied."; Wine leaves out the "is".
  const std::string denied = kWindows ? "Access denied." : "Permission denied";
  const auto refused = parts(asProcess(), answering("y"), status(-1),
                             prints(asked("sales") +
                                    "\nError - repository could not be removed from " + descriptor +
                                    ": " + denied + "\n"));
  std::vector<Row> rows = {
      row("-delete sales", refused, readOnly(descriptor)),
      // Not named there: nothing to keep, and the script runs as ever.
      row("-delete gone", asProcess(), answering("y"), readOnly(descriptor),
          prints(asked("gone") + "\nError - repository was not found: gone\n"),
          runs("removevexa [{repos}] [gone]")),
  };
  // On Windows a folder's read-only flag keeps no file from being made in it.
  if (!kWindows) rows.push_back(row("-delete sales", refused, readOnly("{data}")));
  run(rows);
}

// /bin/sh would run what a password holds unless every special character
// is escaped; cmd.exe splits such a password at its blanks, as it should.
TEST_F(CommandTable, APasswordFullOfShellSyntaxArrivesUnchanged) {
  if (kWindows) GTEST_SKIP() << "cmd.exe has its own rules for these characters";
  const std::string password = "a b$HOME$(touch {tool}/ran);`touch {tool}/ran2`'\"|&<>\\*?~#^!";
  run({
      row("-delete local", answering("y"), with("QUARRANODENAME", "node1"),
          with("VEXAUSER", "admin"), with("VEXAPASSWD", password), prints(asked("local") + "\n"),
          runs("removevexa [{repos}] [local] [admin] [" + password + "]"), leaves(kWithoutLocal)),
  });
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(expand("{tool}/ran"))));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(expand("{tool}/ran2"))));
}

// The real tool, which finds its installation beside itself: the engine it
// starts outlives it, answers the check and goes with the stop; statuses
// arrive in the platform's own form.
TEST_F(CommandTable, TheToolAsAProcess) {
  // What the tool says comes before what its script says, where the script
  // writes into the tool's output: cmd.exe started through the shell writes
  // into a console of its own.
  const std::string scriptSaid = kWindows ? "" : "removed\n";
  run({
      row("", asProcess()),
      row("-stop local", asProcess(), kWrongUsage),
      row("-start sales u p", asProcess(), engineStaysUp(), file(kSalesConfig, "CONNECTION=x\n"),
          prints(kDatabase + kSalesLaunch), kStartsDatabase, records("vexa", "arg1=-c")),
      row("-check sales u p", asProcess(),
          prints("Zerin service is running on host localhost, port {engine}\n")),
      row("-stop sales u p", asProcess(), prints(kStopping + kSent)),
      row("-check sales u p", asProcess(), status(-1),
          prints("Zerin service not running on host localhost, port {engine}\n")),
      row("-delete sales", asProcess(), answering("y"), writes("removevexa", 0, "removed\n"),
          kSalesRemoved, kRemovesSales, prints(asked("sales") + "\n" + kSalesFiles + scriptSaid)),
  });
}

// With ZERINCTL_TRACE set, standard error says why a command failed (the
// runner checks that nothing else changes; an empty ZERINCTL_TRACE is no
// trace). A password shows as "***", and text that equals it stays.
TEST_F(CommandTable, TheTraceSaysWhyAndHidesThePassword) {
  run({
      row("-check missing u p", with("ZERINCTL_TRACE", ""), prints(kNotFound), status(-1)),
      row("-check a u p", prints(kNotFound), status(-1),
          file("{data}{/}vexa_config.xml", "<config>\n<instance name=\"a\"</config>"),
          traces("malformed at line 2, column 19")),
      row("-check missing u p", prints(kNotFound), status(-1),
          traces("no instance named \"missing\"")),
      row("-delete local admin local", answering("y"), with("QUARRANODENAME", "node1"),
          prints(asked("local") + "\n"), runs("removevexa [{repos}] [local] [admin] [local]"),
          leaves(kWithoutLocal), traces("\"{repos}\" local admin ***"), traceHides("admin local")),
  });
}

// Deletes at once must not undo each other: each holds the descriptor's
// lock from its read to its replacement, or a later replacement brings back
// what an earlier one removed. Twenty processes, each deleting another of
// forty repositories.
TEST_F(CommandTable, DeletesAtOnceKeepEachOthersRemovals) {
  std::string descriptor = "<config>\n";
  for (int i = 0; i < 40; ++i)
    descriptor += "<instance name=\"r" + std::to_string(i) + "\" port=\"1\" path=\"d\"/>\n";
  layOut(row("", file("{data}{/}vexa_config.xml", descriptor + "</config>\n")));
  const std::string tool = expand("{tool}{/}zerinctl") + kExecutableSuffix;
  std::vector<std::thread> deletes;
  for (int i = 0; i < 40; i += 2)
    deletes.emplace_back([&tool, i] {
      runProcess(tool, {"-delete", "r" + std::to_string(i)}, "y");
    });
  for (std::thread& each : deletes) each.join();
  const std::string after = readFile(expand("{data}{/}vexa_config.xml"));
  std::string wrong;
  for (int i = 0; i < 40; ++i)
    if ((after.find("\"r" + std::to_string(i) + "\"") == std::string::npos) != (i % 2 == 0))
      wrong += " r" + std::to_string(i);
  EXPECT_EQ(wrong, "") << "removed ones back or kept ones lost:\n" << after;
}

// On POSIX a linked descriptor stays a link: the delete replaces the file
// it names, which keeps its mode.
TEST_F(CommandTable, ALinkedDescriptorStaysALink) {
  if (kWindows) GTEST_SKIP() << "Windows replaces the descriptor's own path";
  namespace fs = std::filesystem;
  const fs::path link = expand("{data}{/}vexa_config.xml"), target = expand("{data}{/}real.xml");
  layOut(row(""));
  fs::rename(link, target);
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("real.xml", link);
  run({row("-delete local", answering("y"), prints(asked("local") + "\n"), kLocalRemoved)});
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

// Names that no legacy code page holds stay apart, and each command acts
// on the very one named; the other is untouched.
TEST_F(CommandTable, NamesOutsideTheLegacyCodePageStayApart) {
  const auto two =
      file("{data}{/}vexa_config.xml",
           "<config>\n  <instance name=\"販売\" port=\"19700\" vexaport=\"{up}\"/>\n"
           "  <instance name=\"顧客\" port=\"19800\" vexaport=\"{engine}\"/>\n</config>");
  const auto ping = sends("PING localhost");
  auto json = [](const std::string& name, const std::string& port, const std::string& running) {
    return "{\"name\": \"" + name + "\", \"host\": \"localhost\", \"port\": " + port +
           ", \"database\": \"local\", \"running\": " + running +
           ", \"enabled\": {unregistered-json}, \"start\": null}";
  };
  run({
      row("-list", two, ping,
          prints("NAME  HOST       PORT   DATABASE  REGISTERED  STATE\n"
                 "販売    localhost  {up}  local     {unregistered}running\n"
                 "顧客    localhost  {engine}  local     {unregistered}not running\n")),
      row("-list -json", two, ping,
          prints("[\n  " + json("販売", "{up}", "true") + ",\n  " +
                 json("顧客", "{engine}", "false") + "\n]\n")),
      row("-check 販売 u p", two, ping,
          prints("Zerin service is running on host localhost, port {up}\n")),
      row("-check 顧客 u p", two, status(-1),
          prints("Zerin service not running on host localhost, port {engine}\n")),
      row("-start 顧客 u p", two, kStartsDatabase,
          prints(kDatabase +
                 launched("{repos}{/}顧客{/}vexa.ini", "localhost:{engine}/?concurrency=5")),
          records("vexa", "arg2={repos}{/}顧客{/}vexa.ini")),
      row("-delete 顧客", two, answering("y"), prints(asked("顧客") + "\n" + leftFiles("顧客")),
          runs("removevexa [{repos}] [顧客]"), leaves("販売")),
      row("-delete 販売", two, answering("y"), asProcess(),
          prints(asked("販売") + "\n" + leftFiles("販売")), runs("removevexa [{repos}] [販売]"),
          leaves("顧客")),
  });
}

// Where Windows ignores the manifest, as it does for this build of the
// tool, a name that its legacy code page cannot hold stops the command
// before anything is looked up or run; here the tool's own folder is one.
TEST_F(CommandTable, WithoutTheManifestANameTheCodePageCannotHoldStopsTheCommand) {
  if (!kWindows) GTEST_SKIP() << "POSIX has no code page of its own";
  std::filesystem::copy_file(builtProgram("zerinctl_legacy"),
                             std::filesystem::u8path(expand("{tool}{/}zerinctl.exe")),
                             std::filesystem::copy_options::overwrite_existing);
  const std::string refused =
      "\": it holds characters that this system's code page 1252 cannot represent (shown as "
      "<U+...>); nothing was done\n";
  run({
      row("-delete 顧客", answering("y"), asProcess(), status(-1),
          prints("Cannot use the argument \"<U+9867><U+5BA2>" + refused)),
      row("-check sales u p", asProcess(), status(-1),
          prints("Cannot use the tool's path \"" + fromUtf8(expand("{tool}{/}zerinctl.exe"), 1252) +
                 refused)),
  });
}

// Paths past 260 characters, where the system allows them (Wine does): the
// settings name such a data folder, and its descriptor is read and rewritten.
TEST_F(CommandTable, ADataFolderPastTheOldPathLimit) {
  std::string deep = "{data}";
  for (int i = 0; i < 5; ++i) deep += "{/}" + std::string(60, 'd');
  const auto there = parts(file("{tool}{/}zerin.cfg", "repository_data_directory," + deep),
                           file(deep + "{/}vexa_config.xml",
                                "<c><instance name='顧客' port='1' vexaport='{up}'/></c>"));
  run({
      row("-check 顧客 u p", there, sends("PING localhost"),
          prints("Zerin service is running on host localhost, port {up}\n")),
      row("-delete 顧客", there, answering("y"),
          prints(asked("顧客") + "\n" + leftFiles("顧客", deep + "{/}repositories")),
          runs("removevexa [" + deep + "{/}repositories] [顧客]")),
  });
  EXPECT_EQ(readFile(expand(deep + "{/}vexa_config.xml")), "<c/>");
  // MinGW's std::filesystem lists no folder past the limit: what the rows
  // left there goes by name, before the fixture removes the rest.
  for (const char* left : {"{/}vexa_config.xml", "{/}vexa_config.xml.lock"})
    std::filesystem::remove(std::filesystem::u8path(expand(deep + left)));
  for (; deep != "{data}"; deep.erase(deep.rfind("{/}")))
    std::filesystem::remove(std::filesystem::u8path(expand(deep)));
}

// The listing shows what "-check" by name finds: each name once, in the
// order of its first instance, entries of one name merged (the port may
// stand on a later one), names without a port left out, the service's
// endpoint and state; a name of any shape comes back as the descriptor
// holds it.
TEST_F(CommandTable, ListShowsWhatCheckFindsByName) {
  const std::string u = "\xC3\xBC";
  const auto odd = file("{data}{/}vexa_config.xml",
                        "<config>\n"
                        "  <instance name='q\"b\\s t&#9;\xC3\xBC' port='1' vexaport='{up}'/>\n"
                        "  <instance name='merged' port='1' vexaport='{gone}'/>\n"
                        "  <instance name='portless' vexaport='{up}'/>\n"
                        "  <instance name='late'/>\n"
                        "  <x><instance name='merged' vexaport='{up}' path='p'/></x>\n"
                        "  <instance name='far' port='1' host='db.invalid' vexaport='{up}'/>\n"
                        "  <instance name='late' port='1'/>\n"
                        "</config>\n");
  const auto ping = sends("PING localhost");
  const auto pings = parts(odd, ping, ping, ping);
  run({
      row("-list -names", odd, prints("q\"b\\s t\t" + u + "\nmerged\nlate\nfar\n")),
      row("-list", pings,
          prints("NAME       HOST       PORT   DATABASE    REGISTERED  STATE\nq\"b\\s t\t" + u +
                 "  localhost  {up}  local       {unregistered}running\n"
                 "merged     localhost  {up}  localhost   {unregistered}running\n"
                 "late       localhost  2      local       {unregistered}not running\n"
                 "far        localhost  {up}  db.invalid  {unregistered}running\n")),
      row("-list -json", pings,
          prints("[\n  {\"name\": \"q\\\"b\\\\s t\\u0009\xC3\xBC\", \"host\": \"localhost\", "
                 "\"port\": {up}, \"database\": \"local\", \"running\": true, "
                 "\"enabled\": {unregistered-json}, \"start\": null},\n"
                 "  {\"name\": \"merged\", \"host\": \"localhost\", \"port\": {up}, "
                 "\"database\": \"localhost\", \"running\": true, "
                 "\"enabled\": {unregistered-json}, \"start\": null},\n"
                 "  {\"name\": \"late\", \"host\": \"localhost\", \"port\": 2, "
                 "\"database\": \"local\", \"running\": false, "
                 "\"enabled\": {unregistered-json}, \"start\": null},\n"
                 "  {\"name\": \"far\", \"host\": \"localhost\", \"port\": {up}, "
                 "\"database\": \"db.invalid\", \"running\": true, "
                 "\"enabled\": {unregistered-json}, \"start\": null}\n]\n")),
      row("-list -json", file("{data}{/}vexa_config.xml", "<config/>"), prints("[]\n")),
      row("-list -names", file("{data}{/}vexa_config.xml", "<config>\n<instance"), status(-1),
          prints("Cannot list repositories: the descriptor {data}{/}vexa_config.xml is malformed "
                 "at line 2, column 10\n")),
      row("-list -JSON", kWrongUsage),
      row("-list -json -names", kWrongUsage),
  });
}

// A check that throws (memory running out, say) fails alone: the other
// repositories are still listed, and the listing names the one it could not
// check and ends with -1.
TEST_F(CommandTable, ListOutlivesACheckThatThrows) {
  if (*kThrowingHost == '\0') GTEST_SKIP() << "no lookup can be made to throw here";
  const auto two = parts(sends("PING localhost"), status(-1),
                         file("{data}{/}vexa_config.xml",
                              "<c><instance name='a' port='1' vexaport='{up}'/><instance name='b' "
                              "port='1' vexahost='" +
                                  std::string(kThrowingHost) + "'/></c>"));
  const std::string failed = "Cannot check the service of repository b: std::bad_alloc\n";
  run({
      row("-list", two,
          prints("NAME  HOST           PORT   DATABASE  REGISTERED  STATE\n"
                 "a     localhost      {up}  local     {unregistered}running\n"
                 "b     nomem.invalid  2      local     {unregistered}unknown\n" +
                 failed)),
      row("-list -json", two,
          prints(
              "[\n  {\"name\": \"a\", \"host\": \"localhost\", \"port\": {up}, \"database\": "
              "\"local\", \"running\": true, \"enabled\": {unregistered-json}, \"start\": null},\n"
              "  {\"name\": \"b\", \"host\": \"nomem.invalid\", \"port\": 2, \"database\": "
              "\"local\", \"running\": null, \"enabled\": {unregistered-json}, \"start\": "
              "null}\n]\n" +
              failed)),
  });
}

// Services that never answer are waited for at once, not one after the
// other: far more sockets than the 64 a plain select takes on Windows, and
// the whole listing within about one check's bounded wait (two attempts of
// the fixture's 2 s each).
TEST_F(CommandTable, ListWaitsForSilentServicesAtOnce) {
  constexpr int kSilent = 100;
  // The fixture's own peer keeps the network started for these listeners.
  std::vector<peer::Handle> listeners(kSilent);
  std::string descriptor = "<config>\n";
  for (int i = 0; i < kSilent; ++i) {
    std::uint16_t port = 0;
    peer::listenOn("127.0.0.1", 0, &listeners[i], &port);
    descriptor += "<instance name='s" + std::to_string(i) + "' port='1' vexaport='" +
                  std::to_string(port) + "'/>\n";
  }
  const auto start = std::chrono::steady_clock::now();
  std::string json = output(row("-list -json",
                                file("{data}{/}vexa_config.xml", descriptor + "</config>")));
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
  for (peer::Handle listener : listeners) peer::closeHandle(listener);
  EXPECT_EQ(std::count(json.begin(), json.end(), '\n'), kSilent + 2) << json;
  EXPECT_EQ(json.find("true"), std::string::npos) << json;
  // About 4 s at once; one after the other they take 400 s. The bound
  // catches that fault and leaves a busy machine its slack.
  EXPECT_LT(seconds.count(), 50.0);
}

// A name server that never answers holds each lookup for its whole time-out
// (two per check, one per attempt); the checks of a listing wait theirs out
// at once, not in turn.
TEST_F(CommandTable, ListLooksNamesUpAtOnce) {
  SilentNameServer names(expand("{data}"));
  if (!names.unavailable.empty()) GTEST_SKIP() << names.unavailable;
  std::string descriptor = "<config>\n",
              table = "NAME  HOST              PORT  DATABASE  REGISTERED  STATE\n";
  for (char n = '1'; n <= '8'; ++n) {
    descriptor += std::string("<instance name='s") + n + "' port='1' vexahost='s" + n +
                  ".zerinctl.test'/>\n";
    table += std::string("s") + n + "    s" + n +
             ".zerinctl.test  2     local     {unregistered}not running\n";
  }
  layOut(row("-list", file("{data}{/}vexa_config.xml", descriptor + "</config>\n")));
  const std::string tool = expand("{tool}{/}zerinctl") + kExecutableSuffix;
  std::string checked, listed;
  const double check = names.timedRun({tool, "-check", "s1", "u", "p"}, &checked);
  const double list = names.timedRun({tool, "-list"}, &listed);
  EXPECT_EQ(checked, "Zerin service not running on host s1.zerinctl.test, port 2\n");
  EXPECT_EQ(listed, expand(table));
  EXPECT_GT(check, 1.8) << "each attempt's lookup waits for the silent name server";
  EXPECT_LT(list, 1.5 * check);
}

}  // namespace
