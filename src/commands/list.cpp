#include "commands/list.h"

#include "commands/preconditions.h"
#include "config/descriptor.h"
#include "config/folders.h"
#include "config/narrow_text.h"
#include "config/settings.h"
#include "control/service_messages.h"
#include "platform/registration.h"
#include "util/output.h"
#include "util/status.h"
#include "util/trace.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Enough checks at once that a listing of silent services costs about one
// check's bounded wait, few enough that the threads and their sockets stay
// far within what a process may hold (1,024 descriptors by default on
// POSIX).
constexpr size_t kMaxChecksAtOnce = 256;

// A check's outcome, one per repository.
enum : char { kNotRunning, kRunning, kUnchecked };

const char* stateOf(char state) {
  return state == kRunning ? "running" : state == kUnchecked ? "unknown" : "not running";
}

// Each repository's state, checked as "-check" by name checks it, many at
// once. The calling thread takes its share too, so the listing completes
// even where the system refuses every further thread. A check that throws
// (memory running out, say) leaves its repository unchecked, with the
// reason in `failures`, and the other checks go on: an exception that left
// a thread would end the whole process.
std::vector<char> checkAll(const RepositoryList& repositories, std::vector<std::string>* failures) {
  size_t count = repositories.names.size();
  // char, not bool: every thread writes elements of its own, which the
  // packed bits of a vector<bool> would share.
  std::vector<char> running(count, kUnchecked);
  failures->assign(count, std::string());
  std::atomic<size_t> next{0};
  auto check = [&](size_t i) {
    const RepositoryInstance& instance = repositories.instances[i];
    running[i] = serviceAnswers(instance.vexaHost, instance.vexaPort) ? kRunning : kNotRunning;
    trace("\"%s\" at %s port %d: %s", repositories.names[i].c_str(), instance.vexaHost.c_str(),
          instance.vexaPort, stateOf(running[i]));
  };
  auto work = [&] {
    for (size_t i = next++; i < count; i = next++) {
      try {
        check(i);
      } catch (const std::exception& error) {
        (*failures)[i] = error.what();
      } catch (...) {
        (*failures)[i] = "an unknown error";
      }
    }
  };
  size_t wanted = std::min(count, kMaxChecksAtOnce);
  trace("checking %lu services, up to %lu at once", static_cast<unsigned long>(count),
        static_cast<unsigned long>(wanted));
  std::vector<std::thread> helpers;
  for (size_t i = 1; i < wanted; ++i) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error& error) {
      trace("only %lu checks at once: %s", static_cast<unsigned long>(i), error.what());
      break;
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  return running;
}

// Names each check that failed; true when there was none.
bool allChecked(const RepositoryList& repositories, const std::vector<std::string>& failures) {
  bool all = true;
  for (size_t i = 0; i < failures.size(); ++i) {
    if (failures[i].empty()) continue;
    printOut("Cannot check the service of repository %s: %s\n",
             narrowFromUtf8(repositories.names[i]).c_str(), failures[i].c_str());
    all = false;
  }
  return all;
}

// Where the repository's database is: the tool starts it itself exactly
// when it counts as local.
std::string databaseOf(const RepositoryInstance& instance) {
  return instance.host == kLocalhost && instance.path.empty() ? "local" : instance.host;
}

// The REGISTERED column: "-" where no service manager could be asked,
// "no", else the Windows start type or, for systemd's enabled unit, "yes".
std::string registrationOf(const ServiceRegistration& registration) {
  if (!registration.known) return "-";
  if (!registration.enabled) return "no";
  return registration.start.empty() ? "yes" : registration.start;
}

void printTable(const RepositoryList& repositories, const std::vector<char>& running,
                const std::vector<ServiceRegistration>& registrations) {
  std::vector<std::vector<std::string>> rows = {
      {"NAME", "HOST", "PORT", "DATABASE", "REGISTERED", "STATE"}};
  for (size_t i = 0; i < repositories.names.size(); ++i) {
    const RepositoryInstance& instance = repositories.instances[i];
    rows.push_back({narrowFromUtf8(repositories.names[i]), instance.vexaHost,
                    std::to_string(instance.vexaPort), databaseOf(instance),
                    registrationOf(registrations[i]), stateOf(running[i])});
  }
  std::vector<size_t> widths(rows[0].size(), 0);
  for (const auto& row : rows)
    for (size_t column = 0; column < row.size(); ++column)
      widths[column] = std::max(widths[column], printedWidth(row[column]));
  for (const auto& row : rows) {
    std::string line;
    for (size_t column = 0; column + 1 < row.size(); ++column)
      line += row[column] + std::string(widths[column] - printedWidth(row[column]) + 2, ' ');
    printOut("%s%s\n", line.c_str(), row.back().c_str());
  }
}

// JSON's escapes for what a string may not hold as it is; every other
// byte of the UTF-8 text stays as it is.
std::string jsonString(const std::string& utf8) {
  std::string quoted = "\"";
  for (char c : utf8) {
    if (c == '"' || c == '\\') {
      quoted += {'\\', c};
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      quoted += escaped;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

// "enabled" and "start": null where they are not known.
std::string registrationFields(const ServiceRegistration& registration) {
  if (!registration.known) return ", \"enabled\": null, \"start\": null";
  std::string start = registration.enabled && !registration.start.empty()
                          ? jsonString(registration.start)
                          : "null";
  return std::string(", \"enabled\": ") + (registration.enabled ? "true" : "false") +
         ", \"start\": " + start;
}

void printJson(const RepositoryList& repositories, const std::vector<char>& running,
               const std::vector<ServiceRegistration>& registrations) {
  std::string text = "[";
  for (size_t i = 0; i < repositories.names.size(); ++i) {
    const RepositoryInstance& instance = repositories.instances[i];
    text += std::string(i == 0 ? "\n" : ",\n") +
            "  {\"name\": " + jsonString(repositories.names[i]) +
            ", \"host\": " + jsonString(utf8FromNarrow(instance.vexaHost)) +
            ", \"port\": " + std::to_string(instance.vexaPort) +
            ", \"database\": " + jsonString(utf8FromNarrow(databaseOf(instance))) +
            ", \"running\": " +
            (running[i] == kUnchecked ? "null"
             : running[i] == kRunning ? "true"
                                      : "false") +
            registrationFields(registrations[i]) + "}";
  }
  printOut("%s\n", (text + (repositories.names.empty() ? "]" : "\n]")).c_str());
}

}  // namespace

int listRepositories(const std::string& toolFolder, ListFormat format) {
  // Without the settings file the defaults hold; one that is there but
  // cannot be read would list another data folder's repositories. The read
  // that finds the data folder tells, so the file is opened once.
  ConfigSettings settings;
  SettingsRead read = readConfigFile(settings, toolFolder);
  if (!read.unreadable.empty()) {
    printOut("Cannot list repositories: the settings file %s cannot be read: %s\n",
             getSettingsPath(toolFolder).c_str(), read.unreadable.c_str());
    return kFailure;
  }
  std::string descriptor = descriptorIn(dataFolderOf(settings));
  RepositoryList repositories;
  std::string problem;
  if (!listRepositoryInstances(descriptor, format != ListFormat::kNames, repositories, &problem)) {
    printOut("Cannot list repositories: the descriptor %s %s\n", descriptor.c_str(),
             problem.c_str());
    return kFailure;
  }
  trace("%lu repositories", static_cast<unsigned long>(repositories.names.size()));
  if (format == ListFormat::kNames) {
    std::string text;
    for (const std::string& name : repositories.names) text += narrowFromUtf8(name) + "\n";
    printOut("%s", text.c_str());
    return kSuccess;
  }
  std::vector<std::string> failures;
  std::vector<char> running = checkAll(repositories, &failures);
  std::vector<ServiceRegistration> registrations = queryServiceRegistrations(repositories.names);
  if (format == ListFormat::kJson)
    printJson(repositories, running, registrations);
  else
    printTable(repositories, running, registrations);
  return allChecked(repositories, failures) ? kSuccess : kFailure;
}
