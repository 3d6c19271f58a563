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
  EXPECT_FALSE(std::filesystem::exists(expand(stale)));
  EXPECT_TRUE(std::filesystem::exists(expand(other)));
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
  EXPECT_FALSE(std::filesystem::exists(expand("{tool}/ran")));
  EXPECT_FALSE(std::filesystem::exists(expand("{tool}/ran2")));
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

// The listing shows what "-check" by name finds: each name once, in the
// order of its first instance, entries of one name merged, names without a
// port left out, the service's endpoint and state; a name of any shape comes
// back as the descriptor holds it, in the tool's narrow text (code page 1252
// under Wine) or in JSON's UTF-8.
TEST_F(CommandTable, ListShowsWhatCheckFindsByName) {
  const std::string u = kWindows ? "\xFC" : "\xC3\xBC";
  const auto odd = file("{data}{/}vexa_config.xml",
                        "<config>\n"
                        "  <instance name='q\"b\\s t&#9;\xC3\xBC' port='1' vexaport='{up}'/>\n"
                        "  <instance name='merged' port='1' vexaport='{gone}'/>\n"
                        "  <instance name='portless' vexaport='{up}'/>\n"
                        "  <x><instance name='merged' vexaport='{up}' path='p'/></x>\n"
                        "  <instance name='far' port='1' host='db.invalid' vexaport='{up}'/>\n"
                        "</config>\n");
  const auto ping = sends("PING localhost");
  const auto pings = parts(odd, ping, ping, ping);
  run({
      row("-list -names", odd, prints("q\"b\\s t\t" + u + "\nmerged\nfar\n")),
      row("-list", pings,
          prints("NAME       HOST       PORT   DATABASE    STATE\nq\"b\\s t\t" + u +
                 "  localhost  {up}  local       running\n"
                 "merged     localhost  {up}  localhost   running\n"
                 "far        localhost  {up}  db.invalid  running\n")),
      row("-list -json", pings,
          prints("[\n  {\"name\": \"q\\\"b\\\\s t\\u0009\xC3\xBC\", \"host\": \"localhost\", "
                 "\"port\": {up}, \"database\": \"local\", \"running\": true},\n"
                 "  {\"name\": \"merged\", \"host\": \"localhost\", \"port\": {up}, "
                 "\"database\": \"localhost\", \"running\": true},\n"
                 "  {\"name\": \"far\", \"host\": \"localhost\", \"port\": {up}, "
                 "\"database\": \"db.invalid\", \"running\": true}\n]\n")),
      row("-list -json", file("{data}{/}vexa_config.xml", "<config/>"), prints("[]\n")),
      row("-list -names", file("{data}{/}vexa_config.xml", "<config>\n<instance"), status(-1),
          prints("Cannot list repositories: the descriptor {data}{/}vexa_config.xml is malformed "
                 "at line 2, column 10\n")),
      row("-list -JSON", kWrongUsage),
      row("-list -json -names", kWrongUsage),
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
  EXPECT_LT(seconds.count(), 7.0);
}

}  // namespace
