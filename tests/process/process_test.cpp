// The engine started detached and the installation's scripts run through the
// real command interpreter, with the environment that they inherit.
#include "platform/process.h"
#include "config/folders.h"
#include "platform/environment.h"
#include "platform/system.h"
#include "process/database.h"
#include "process/launcher.h"
#include "process/script_runner.h"
#include "support/temp_folder.h"
#include "support/tool_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

namespace fs = std::filesystem;

namespace {

// cmd.exe and the Windows C runtime rather than /bin/sh rules.
const bool kCmd = kScriptInterpreter.escapesWithCarets;

// Puts a variable back as the test found it.
class KeptVariable {
 public:
  explicit KeptVariable(const char* name) : name_(name) { set_ = getEnvironment(name, &value_); }
  ~KeptVariable() { setEnvironment(name_, set_ ? value_ : ""); }

 private:
  std::string name_, value_;
  bool set_ = false;
};

// The record the engine writes at its start, by key; waits for it, since the
// engine runs on its own.
std::map<std::string, std::string> engineRecord(const fs::path& file) {
  for (int i = 0; i < 400 && !fs::exists(file); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::map<std::string, std::string> record;
  std::string text = readFile(file);
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
       start = end + 1) {
    std::string line = text.substr(start, end - start);
    size_t equals = line.find('=');
    if (equals != std::string::npos) record[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return record;
}

// A path template with '@' for the anchor, '/' for the separator and ';'
// for the PATH list separator, in this platform's spelling.
std::string spelled(const std::string& pattern, const std::string& anchor) {
  std::string text;
  for (char c : pattern)
    text += c == '@'   ? anchor
            : c == '/' ? std::string(1, kPathSeparator)
            : c == ';' ? std::string(1, kScriptInterpreter.pathListSeparator)
                       : std::string(1, c);
  return text;
}

TEST(LaunchProcess, EngineGetsItsWordsUnexpandedInItsFolderAndEnvironment) {
  TempFolder temp;
  fs::create_directories(temp.path() / "work dir");
  KeptVariable path("PATH"), user("VEXAUSER"), password("VEXAPASSWD");
  setEngineCredentials("admin", "se cret");
  // A path with a blank, a separator and a command substitution, quoted; a
  // ";" and "$(...)" unquoted; a backslash, which only /bin/sh rules take.
  std::string config = temp.native("my conf;$(touch y)");
  std::string arguments = "-c \"" + config + "\" semi;colon $(touch x) back\\slash";
  std::string kept = setToolSearchPath(temp.native(), SearchPathVariant::kServiceLaunch);
  std::string searchPath = spelled("@/vexa;", temp.native());
  bool started = launchProcess(builtProgram("vexa"), arguments, temp.native("work dir"), false);
  setEnvValue("PATH", kept);
  ASSERT_TRUE(started);

  auto record = engineRecord(temp.path() / "work dir" / "vexa.started");
  std::error_code ignored;
  EXPECT_TRUE(fs::equivalent(record["cwd"], temp.path() / "work dir", ignored)) << record["cwd"];
  std::vector<std::string> words = {"-c",      config, "semi;colon",
                                    "$(touch", "x)",   kCmd ? "back\\slash" : "backslash"};
  for (size_t i = 0; i < words.size(); ++i)
    EXPECT_EQ(record["arg" + std::to_string(i + 1)], words[i]) << "word " << i + 1;
  EXPECT_EQ(record.count("arg7"), 0u);
  EXPECT_EQ(record["VEXAUSER"], "admin");
  EXPECT_EQ(record["VEXAPASSWD"], "se cret");
  EXPECT_EQ(record["PATH"].rfind(searchPath, 0), 0u) << record["PATH"];
  EXPECT_FALSE(fs::exists(temp.path() / "work dir" / "x"));
  EXPECT_FALSE(fs::exists(temp.path() / "work dir" / "y"));
}

TEST(LaunchProcess, RefusalIsReportedByTheToolWithTheSystemsReason) {
  TempFolder temp;
  const std::pair<std::string, std::string> starts[] = {
      {builtProgram("vexa"), temp.native("missing")},               // no working folder
      {temp.native("missing") + kExecutableSuffix, temp.native()},  // no program
  };
  for (const auto& [program, folder] : starts) {
    testing::internal::CaptureStdout();
    bool started = launchProcess(program, "-d", folder, false);
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(started) << program << " in " << folder;
    // Wine words some system texts differently from Windows ("File not
    // found." for "The system cannot find the file specified."): any text
    // will do, with its line end.
    EXPECT_EQ(printed.rfind("[error] ", 0), 0u) << printed;
    EXPECT_GT(printed.size(), 10u) << printed;
    EXPECT_EQ(printed.back(), '\n') << printed;
    EXPECT_EQ(printed.find("<unknown>"), std::string::npos) << printed;
  }
}

TEST(EscapeCarets, EachCaretBecomesFourAndIsNotEscapedAgain) {
  const std::pair<std::string, std::string> rows[] = {
      {"a^b", "a^^^^b"}, {"a^^b", "a^^^^^^^^b"}, {"plain", "plain"}};
  for (auto [text, escaped] : rows) {
    escapeCarets(text);
    EXPECT_EQ(text, escaped);
  }
}

}  // namespace
