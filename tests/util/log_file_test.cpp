// The service's log rotates by size and keeps a bounded number of files.
#include "util/log_file.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

TEST(LogFile, AWriteThatWouldPassTheBoundStartsANewFileAndTheOldestGoes) {
  TempFolder temp;
  ASSERT_TRUE(openLog(temp.native("logs/r.log"), 10, 3));
  for (const char* line : {"a1\n", "a2\n", "a3\n", "b1\n", "b2\n", "b3\n", "c1\nc2\nc3\n", "dd"})
    EXPECT_TRUE(writeLog(line));
  closeLog();
  EXPECT_EQ(temp.read("logs/r.log"), "dd");
  EXPECT_EQ(temp.read("logs/r.log.1"), "c1\nc2\nc3\n");
  EXPECT_EQ(temp.read("logs/r.log.2"), "b1\nb2\nb3\n");
  EXPECT_FALSE(std::filesystem::exists(temp.path() / "logs" / "r.log.3"));
  EXPECT_EQ(lastLogLine(), "c3");
  // A log opened again goes on where it ended.
  ASSERT_TRUE(openLog(temp.native("logs/r.log"), 10, 3));
  writeLog("e\n");
  closeLog();
  EXPECT_EQ(temp.read("logs/r.log"), "dde\n");
  EXPECT_FALSE(writeLog("closed\n"));
}

}  // namespace
