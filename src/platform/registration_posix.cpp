// On POSIX a registration is systemd's: the template unit's instance
// zerinctl@NAME.service, enabled or not. One "systemctl show" names every
// unit, so a listing of many repositories costs one short run.
#include "platform/registration.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <sstream>

extern char** environ;

namespace {

// systemctl answers within tens of ms; a manager that hangs must not hold
// the listing.
constexpr int kAnswerMillis = 3000;
// systemd's limit on a unit name's length.
constexpr size_t kMaxUnitName = 255;

// What sd_booted() looks for: systemd creates this folder early at boot, and
// only when it runs as the init.
bool systemdIsInit() {
  struct stat info;
  return lstat("/run/systemd/system", &info) == 0 && S_ISDIR(info.st_mode);
}

bool plainInUnitName(unsigned char c, bool first) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ':' ||
         c == '_' || (c == '.' && !first);
}

// The unit as systemd-escape names it, so that the unit's %i gives the
// repository's name back, whatever bytes the name holds.
std::string unitOf(const std::string& name) {
  std::string unit = "zerinctl@";
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (c == '/') {
      unit += '-';
    } else if (plainInUnitName(c, i == 0)) {
      unit += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      unit += escaped;
    }
  }
  return unit + ".service";
}

// Closes a descriptor on every way out.
struct Descriptor {
  int fd = -1;
  ~Descriptor() {
    if (fd >= 0) close(fd);
  }
};

// Reads all of `from` until its end or the deadline; false at the deadline.
bool readUntilEnd(int from, std::chrono::steady_clock::time_point deadline, std::string* out) {
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd wanted = {from, POLLIN, 0};
    int ready = poll(&wanted, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    char buffer[4096];
    ssize_t got = read(from, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return got == 0;
    out->append(buffer, static_cast<size_t>(got));
  }
}

// Runs systemctl with `arguments`, its standard input and error the null
// device, and keeps what it prints; false when it could not be run or did
// not end within the bound (it is killed then).
bool runSystemctl(std::vector<std::string> arguments, std::string* out) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  Descriptor reading{ends[0]}, writing{ends[1]};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, writing.fd, 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  arguments.insert(arguments.begin(), "systemctl");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(&argument[0]);
  argv.push_back(nullptr);
  pid_t child = 0;
  int started = posix_spawnp(&child, "systemctl", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) return false;
  close(writing.fd);
  writing.fd = -1;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerMillis);
  bool ended = readUntilEnd(reading.fd, deadline, out);
  if (!ended) kill(child, SIGKILL);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return ended;
}

}  // namespace

std::vector<ServiceRegistration> queryServiceRegistrations(const std::vector<std::string>& names) {
  std::vector<ServiceRegistration> answers(names.size());
  if (names.empty() || !systemdIsInit()) return answers;
  // A name systemd cannot take as a unit would end the whole run early:
  // such names stay unknown and are not asked.
  // Not is-enabled: it stops at the first unit whose template is not
  // installed, where show answers for each unit.
  std::vector<std::string> arguments = {"show", "--property=UnitFileState", "--"};
  std::vector<size_t> asked;
  for (size_t i = 0; i < names.size(); ++i) {
    std::string unit = unitOf(names[i]);
    if (names[i].empty() || unit.size() > kMaxUnitName) continue;
    arguments.push_back(unit);
    asked.push_back(i);
  }
  std::string printed;
  if (asked.empty() || !runSystemctl(arguments, &printed)) return answers;
  // One line per unit, in order, among blank ones; any other count leaves
  // which line belongs to which unit open.
  const std::string key = "UnitFileState=";
  std::vector<std::string> states;
  std::istringstream lines(printed);
  for (std::string line; std::getline(lines, line);)
    if (line.compare(0, key.size(), key) == 0) states.push_back(line.substr(key.size()));
  if (states.size() != asked.size()) return answers;
  for (size_t k = 0; k < asked.size(); ++k) {
    ServiceRegistration& answer = answers[asked[k]];
    answer.known = true;
    answer.enabled = states[k] == "enabled" || states[k] == "enabled-runtime";
  }
  return answers;
}
