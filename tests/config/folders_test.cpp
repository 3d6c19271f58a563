#include "config/folders.h"

#include "platform/system.h"
#include "support/temp_folder.h"
#include "support/tool_run.h"
#include "util/text.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Wine, like a default Windows, puts the common application data in C:\ProgramData.
const char* const kCommonAppData = kWindows ? "C:\\ProgramData" : "/var/lib";

// Paths in the tables are written with '|' for the platform's separator.
std::string sep(std::string path) {
  for (char& c : path)
    if (c == '|') c = kPathSeparator;
  return path;
}

}  // namespace

TEST(Folders, DataFolderFromTheSettingsOrTheCommonFolder) {
  const std::string common = kCommonAppData + sep("|Kelvane|Tessaro|Vorlith|18.0|Zerin");
  // zerin.cfg, and the descriptor path, below the common folder when it starts with '|'.
  // One tool folder throughout: each read must see the file as it is now,
  // down to its removal, and nothing of the one before.
  const char* cases[][2] = {
      {"repository_data_directory,\"D:|Repo Data\"\n", "D:|Repo Data|vexa_config.xml"},
      {"repository_data_directory,\"\"\n", "|vexa_config.xml"},
      {"repository_data_directory,D:|data|\n", "D:|data||vexa_config.xml"},
      {nullptr, "|vexa_config.xml"},
  };
  TempFolder tool;
  for (const auto& c : cases) {
    if (c[0] != nullptr)
      tool.write("zerin.cfg", sep(c[0]));
    else
      fs::remove(tool.path() / "zerin.cfg");
    std::string expected = (c[1][0] == '|' ? common : "") + sep(c[1]);
    EXPECT_EQ(getDescriptorPath(tool.native()), expected) << (c[0] ? c[0] : "no file");
  }
}

TEST(Folders, StripQuotesAndQuotedJoin) {
  const char* stripped[][2] = {{"\"\"", ""},     {"\"", "\""},     {"\"a b\"", "a b"},
                               {"\"ab", "\"ab"}, {"ab\"", "ab\""}, {"\"\"a\"\"", "\"a\""}};
  for (const auto& c : stripped) EXPECT_EQ(stripQuotes(c[0]), c[1]) << c[0];
  const char* joined[][2] = {
      {"C:|inst", "C:|inst|vexa"},
      {"C:|inst|", "C:|inst|vexa"},
      {"\"C:|inst\"", "C:|inst|vexa"},
      {"C:|Program Files|inst", "\"C:|Program Files|inst|vexa\""},
      {"\"C:|Program Files|inst|\"", "\"C:|Program Files|inst|vexa\""},
  };
  for (const auto& c : joined) EXPECT_EQ(quotedJoin(sep(c[0]), "vexa"), sep(c[1])) << c[0];
  // An empty folder must not turn the name into a path from the root.
  for (const char* empty : {"", "\"\""}) {
    fs::path path = quotedJoin(empty, "vexa");
    EXPECT_TRUE(!path.has_root_directory() && path.filename() == "vexa") << path;
  }
}
