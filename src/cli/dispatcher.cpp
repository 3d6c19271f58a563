#include "cli/dispatcher.h"

#include "commands/delete.h"
#include "commands/list.h"
#include "commands/preconditions.h"
#include "commands/run.h"
#include "commands/salts.h"
#include "commands/service.h"
#include "commands/start.h"
#include "commands/stop_check.h"
#include "config/folders.h"
#include "config/password.h"
#include "config/xml_library.h"
#include "platform/code_page.h"
#include "platform/system.h"
#include "process/script_runner.h"
#include "util/numbers.h"
#include "util/output.h"
#include "util/status.h"
#include "util/trace.h"

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Arguments = char* const*;
using Operation = int (*)(const std::string& toolFolder, Arguments args);

// Stands where the by-name forms have the repository name; the explicit
// forms need argument 2 to begin with it.
constexpr char kMarker[] = "_VEXADEFAULT_";
constexpr int kAnyCount = INT_MAX;

// What argument 2 must be, besides the count, for a form to fit.
enum class Condition { kNone, kStartsWith, kIs, kIsNot };

struct CommandForm {
  const char* word;
  int minCount;  // argument counts, argument 0 included
  int maxCount;
  Condition condition;
  const char* text;  // what the condition compares argument 2 with
  // The argument that holds the engine's password, where "-" stands for one
  // given elsewhere (see readPassword); 0 in the forms without one.
  int passwordAt;
  Operation run;
};

int invalidDeleteParameters(const std::string&, Arguments) {
  printOut("Invalid parameters\n");
  return kWrongUsage;
}

int deleteByName(const std::string& toolFolder, Arguments a) {
  return deleteRepository(toolFolder, a[2]);
}

int deleteWithCredentials(const std::string& toolFolder, Arguments a) {
  setEngineCredentials(a[3], a[4]);
  return deleteRepository(toolFolder, a[2]);
}

template <bool kDebug>
int startByName(const std::string& toolFolder, Arguments a) {
  return startRepository(toolFolder, a[2], a[3], a[4], kDebug);
}

template <int kHost, bool kDebug>
int startExplicit(const std::string& toolFolder, Arguments a) {
  return startServiceDirect(toolFolder, a[3], a[4], a[kHost], parseInteger(a[kHost + 1]), kDebug,
                            a[kHost + 2]);
}

// Only this one form tells its caller the port it was given.
int startExplicitShowingPort(const std::string& toolFolder, Arguments a) {
  printOut("%d\n", parseInteger(a[7]));
  return startExplicit<6, false>(toolFolder, a);
}

int runByName(const std::string& toolFolder, Arguments a) {
  return runRepository(toolFolder, a[2], a[3], a[4]);
}

template <int kHost>
int runExplicit(const std::string& toolFolder, Arguments a) {
  return runServiceDirect(toolFolder, a[3], a[4], a[kHost], parseInteger(a[kHost + 1]),
                          a[kHost + 2]);
}

int stopByName(const std::string& toolFolder, Arguments a) {
  return stopRepository(toolFolder, a[2], a[3], a[4]);
}

int checkByName(const std::string& toolFolder, Arguments a) {
  return checkRepository(toolFolder, a[2], a[3], a[4]);
}

// The explicit forms: the ten-argument one is the nine-argument one with
// everything from the host on moved one place to the right.
template <int kHost>
int stopExplicit(const std::string& toolFolder, Arguments a) {
  return stopServiceDirect(toolFolder, a[3], a[4], a[kHost], parseInteger(a[kHost + 1]),
                           a[kHost + 2]);
}

template <int kHost>
int checkExplicit(const std::string& toolFolder, Arguments a) {
  return checkServiceDirect(toolFolder, a[3], a[4], a[kHost], parseInteger(a[kHost + 1]),
                            a[kHost + 2]);
}

// "-all" in argument 2 selects the run over every salt; anything else is the
// script argument of a single salt.
int importAll(const std::string& toolFolder, Arguments a) {
  return importAllSalts(toolFolder, a[3], a[4]);
}

int importOne(const std::string& toolFolder, Arguments a) {
  return importSalt(toolFolder, a[2], a[3], a[4]);
}

int exportAll(const std::string& toolFolder, Arguments a) {
  return exportAllSalts(toolFolder, a[3], a[4]);
}

int exportOne(const std::string& toolFolder, Arguments a) {
  return exportSalt(toolFolder, a[2], a[3], a[4]);
}

int registerByName(const std::string& toolFolder, Arguments a) {
  return registerRepository(toolFolder, a[2], a[3], a[4]);
}

int registerStarting(const std::string& toolFolder, Arguments a) {
  return registerRepository(toolFolder, a[2], a[3], a[4], a[5]);
}

int unregisterByName(const std::string& toolFolder, Arguments a) {
  return unregisterRepository(toolFolder, a[2]);
}

int serveByName(const std::string& toolFolder, Arguments a) {
  return serveRepository(toolFolder, a[2]);
}

template <ListFormat kFormat>
int list(const std::string& toolFolder, Arguments) {
  return listRepositories(toolFolder, kFormat);
}

// In the order the command words are tested; within a word, the first form
// that fits decides.
const CommandForm kForms[] = {
    {"-delete", 3, 3, Condition::kNone, nullptr, 0, deleteByName},
    {"-delete", 5, 5, Condition::kNone, nullptr, 4, deleteWithCredentials},
    {"-delete", 0, kAnyCount, Condition::kNone, nullptr, 0, invalidDeleteParameters},
    {"-stop", 5, 5, Condition::kNone, nullptr, 0, stopByName},
    {"-stop", 9, 9, Condition::kStartsWith, kMarker, 0, stopExplicit<6>},
    {"-stop", 10, 10, Condition::kStartsWith, kMarker, 0, stopExplicit<7>},
    {"-start", 5, 5, Condition::kNone, nullptr, 4, startByName<false>},
    {"-start", 9, 9, Condition::kStartsWith, kMarker, 4, startExplicitShowingPort},
    {"-start", 10, 10, Condition::kStartsWith, kMarker, 4, startExplicit<7, false>},
    {"-startdebug", 5, 5, Condition::kNone, nullptr, 4, startByName<true>},
    {"-startdebug", 9, 9, Condition::kStartsWith, kMarker, 4, startExplicit<6, true>},
    {"-startdebug", 10, 10, Condition::kStartsWith, kMarker, 4, startExplicit<7, true>},
    {"-run", 5, 5, Condition::kNone, nullptr, 4, runByName},
    {"-run", 9, 9, Condition::kStartsWith, kMarker, 4, runExplicit<6>},
    {"-run", 10, 10, Condition::kStartsWith, kMarker, 4, runExplicit<7>},
    {"-check", 5, 5, Condition::kNone, nullptr, 0, checkByName},
    {"-check", 9, 9, Condition::kStartsWith, kMarker, 0, checkExplicit<6>},
    {"-check", 10, 10, Condition::kStartsWith, kMarker, 0, checkExplicit<7>},
    // The salt forms read arguments 2 to 4 whatever the count, so fewer
    // than five arguments is wrong usage.
    {"-importsalt", 5, kAnyCount, Condition::kIs, "-all", 0, importAll},
    {"-importsalt", 5, kAnyCount, Condition::kIsNot, "-all", 0, importOne},
    {"-exportsalt", 5, kAnyCount, Condition::kIs, "-all", 0, exportAll},
    {"-exportsalt", 5, kAnyCount, Condition::kIsNot, "-all", 0, exportOne},
    {"-list", 2, 2, Condition::kNone, nullptr, 0, list<ListFormat::kTable>},
    {"-list", 3, 3, Condition::kIs, "-json", 0, list<ListFormat::kJson>},
    {"-list", 3, 3, Condition::kIs, "-names", 0, list<ListFormat::kNames>},
    {"-register", 5, 5, Condition::kNone, nullptr, 4, registerByName},
    {"-register", 6, 6, Condition::kNone, nullptr, 4, registerStarting},
    {"-unregister", 3, 3, Condition::kNone, nullptr, 0, unregisterByName},
    // Run by the Service Control Manager, which -register tells so.
    {"-service", 3, 3, Condition::kNone, nullptr, 0, serveByName},
};

bool conditionHolds(const CommandForm& form, Arguments argv) {
  switch (form.condition) {
    case Condition::kNone:
      return true;
    case Condition::kStartsWith:
      return std::strncmp(argv[2], form.text, std::strlen(form.text)) == 0;
    case Condition::kIs:
      return std::strcmp(argv[2], form.text) == 0;
    case Condition::kIsNot:
      return std::strcmp(argv[2], form.text) != 0;
  }
  return false;
}

std::string findToolFolder() {
  std::string executable;
  // Without its own path the tool looks for its installation where it runs.
  if (!executablePath(&executable)) return ".";
  return folderOf(executable);
}

}  // namespace

int dispatch(const std::string& toolFolder, int argc, char* const* argv) {
  trace("version %s, tool folder %s", ZERINCTL_VERSION, toolFolder.c_str());
  if (argc < 2) return kSuccess;
  for (const CommandForm& form : kForms) {
    if (std::strcmp(argv[1], form.word) != 0 || argc < form.minCount || argc > form.maxCount ||
        !conditionHolds(form, argv))
      continue;
    if (form.passwordAt == 0 || !standsForPassword(argv[form.passwordAt]))
      return form.run(toolFolder, argv);
    // Read before the command does anything, so that without a password
    // nothing starts and no script runs.
    std::string password;
    if (!readPassword(&password)) return kFailure;
    std::vector<char*> given(argv, argv + argc);
    given[form.passwordAt] = &password[0];
    return form.run(toolFolder, given.data());
  }
  return kWrongUsage;
}

void reportWrongUsage(int argc, char* const* argv, int status) {
  if (argc < 2 || status != kWrongUsage) return;
  if (std::strcmp(argv[1], "-delete") == 0)
    printOut("Usage: delete_repository[.sh/.bat] <repository-name>\n");
  else
    printOut("Incorrect usage\n");
}

int runTool(int argc, char** argv) {
  if (!startXmlLibrary()) {
    printOut("The XML library could not be initialised\n");
    return kFailure;
  }
  setConsoleWriter(writeToConsole);
  std::string toolFolder = findToolFolder();
  int status = argc < 2 || namesHeld(toolFolder) ? dispatch(toolFolder, argc, argv) : kFailure;
  trace("exit status %d", status);
  stopXmlLibrary();
  reportWrongUsage(argc, argv, status);
  return status;
}
