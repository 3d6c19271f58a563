#include "config/settings.h"

#include "support/temp_folder.h"
#include "support/tool_run.h"

#include <gtest/gtest.h>

namespace {

// Data directory, timeout, repository timeout and concurrency in one line.
std::string describe(const ConfigSettings& s) {
  return s.repositoryDataDirectory + "|" + std::to_string(s.timeout) + "|" +
         std::to_string(s.repositoryTimeout) + "|" + std::to_string(s.concurrency);
}

// A data directory already set, so that storing an empty value shows.
ConfigSettings seeded() {
  ConfigSettings settings;
  settings.repositoryDataDirectory = "old";
  return settings;
}

}  // namespace

TEST(ParseConfigLine, AppliesOneEntry) {
  const char* cases[][2] = {
      {"concurrency , 8 ", "old|60|100|8"},
      {"\tconcurrency\v,\f8\r", "old|60|100|8"},
      {"concurrency,8 # remark", "old|60|100|8"},
      {"   #concurrency,8", "old|60|100|5"},
      {"CONCURRENCY,8", "old|60|100|5"},
      {"concurrency=8", "old|60|100|5"},
      {"\xA0"
       "concurrency,8",
       "old|60|100|5"},
      {"concurrency,", "old|60|100|0"},
      {"concurrency,\"8\"", "old|60|100|0"},
      {"concurrency,12,5", "old|60|100|12"},
      {"timeout,7", "old|7|100|5"},
      {"repository_timeout,9", "old|60|9|5"},
      {"repository_data_directory,C:\\data\\#1", "C:\\data\\|60|100|5"},
      {"repository_data_directory,C:\\a,b", "C:\\a,b|60|100|5"},
      {"repository_data_directory, \"D:\\Repo Data\" ", "D:\\Repo Data|60|100|5"},
      {"repository_data_directory,\"\"", "|60|100|5"},
      {"repository_data_directory,", "|60|100|5"},
  };
  for (const auto& c : cases) {
    ConfigSettings settings = seeded();
    parseConfigLine(settings, c[0]);
    EXPECT_EQ(describe(settings), c[1]) << c[0];
  }
}

TEST(ReadConfigFile, AppliesLinesInFileOrder) {
  const char* cases[][2] = {
      // A byte-order mark belongs to the first key.
      {"\xEF\xBB\xBF"
       "concurrency,3\ntimeout,7\n",
       "old|7|100|5"},
      {"concurrency,3\r\nrepository_data_directory,\"D:\\x\"\r\ntimeout,7\r\n", "D:\\x|7|100|3"},
      // Not UTF-8: on Windows, an installer's legacy code page (1252 here).
      {"repository_data_directory,D:\\D\xE4ten",
       kWindows ? "D:\\D\xC3\xA4ten|60|100|5" : "D:\\D\xE4ten|60|100|5"},
      {"repository_data_directory,D:\\D\xC3\xA4ten", "D:\\D\xC3\xA4ten|60|100|5"},
      {nullptr, "old|60|100|5"},  // no file at all
  };
  for (const auto& c : cases) {
    TempFolder folder;
    if (c[0] != nullptr) folder.write("zerin.cfg", c[0]);
    ConfigSettings settings = seeded();
    readConfigFile(settings, folder.native());
    EXPECT_EQ(describe(settings), c[1]) << (c[0] != nullptr ? c[0] : "no file");
  }
}
