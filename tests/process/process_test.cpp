// What the command table cannot set up: a launch the system refuses, and
// scripts in folders whose names an interpreter would split.
#include "platform/process.h"
#include "config/folders.h"
#include "platform/script_syntax.h"
#include "platform/system.h"
#include "process/launcher.h"
#include "process/script_runner.h"
#include "support/installation.h"
#include "support/temp_folder.h"
#include "support/tool_run.h"

#include <gtest/gtest.h>

#include <filesystem>

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

// On a Windows volume without short names the script's path reaches the
// interpreter as long as it is, blanks and all; "a&b(c)" is a short name of
// its own everywhere. Either way the script runs with its arguments intact.
TEST(RunScript, AScriptInAFolderWithBlanksOrSyntaxRunsWithItsArguments) {
  for (const char* folderName : {"two words", "a&b(c)^d"}) {
    TempFolder temp;
    const std::string recorder = std::string("recorder") + kExecutableSuffix;
    const std::string script = temp.native(folderName) + kPathSeparator + "rec" +
                               kScriptInterpreter.scriptSuffix;
    temp.write(std::string(folderName) + "/rec" + kScriptInterpreter.scriptSuffix,
               recordingScript(recorder, "rec"));
    std::filesystem::copy_file(builtProgram("recorder"), temp.path() / folderName / recorder);
    std::filesystem::permissions(std::filesystem::u8path(script),
                                 std::filesystem::perms::owner_all);
    // The long form as such a volume gives it, then the form the tool asks for.
    for (const std::string& word : {commandLineWord(script), shortPath(script)}) {
      ScriptArguments arguments;
      arguments.add(" one \"two words\"");
      EXPECT_EQ(runScript(word, arguments, false), 0) << word;
    }
    EXPECT_EQ(temp.read(std::string(folderName) + "/calls.log"),
              "rec [one] [two words]\nrec [one] [two words]\n")
        << folderName;
  }
}

}  // namespace
