// What the command table cannot set up: a launch the system refuses, and
// the escaping of carets for a second pass through cmd.exe.
#include "platform/process.h"
#include "process/database.h"
#include "process/launcher.h"
#include "support/temp_folder.h"
#include "support/tool_run.h"

#include <gtest/gtest.h>

namespace {

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
