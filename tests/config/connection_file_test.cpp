#include "config/connection_file.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <optional>

TEST(ReadConnectionString, TakesTheLastConnectionLine) {
  // One read takes at most 1023 bytes of a line; the rest is a line of its own.
  const std::string firstPiece = "CONNECTION=" + std::string(1012, 'a');
  const struct {
    std::optional<std::string> content;  // none: no file
    int result;
    std::string value;  // "untouched" where the output must not change
  } cases[] = {
      {"CONNECTION=\n", 0, ""},
      {"# no key\n  CONNECTION \t=  dsn=x;a=b \t\r\n", 0, "dsn=x;a=b"},
      {"CONNECTION=first\nCONNECTION=second", 0, "second"},
      {"CONNECTION=first\nOTHER=1\n", 0, "first"},
      {firstPiece + "bbbb\n", 0, std::string(1012, 'a')},
      {firstPiece + "CONNECTION=tail\n", 0, "tail"},
      {"connection=x\n", -1, "untouched"},
      {"CONNECTION\n", -1, "untouched"},
      {"", -1, "untouched"},
      {std::nullopt, -1, "untouched"},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    if (c.content) folder.write("vexa.ini", *c.content);
    std::string path = folder.native("vexa.ini"), value = "untouched";
    testing::internal::CaptureStdout();
    int result = readConnectionString(path, value);
    std::string printed = testing::internal::GetCapturedStdout();
    std::string shown = c.content.value_or("no file").substr(0, 40);
    EXPECT_EQ(result, c.result) << shown;
    EXPECT_EQ(value, c.value) << shown;
    EXPECT_EQ(printed,
              c.result == 0 ? "" : "Failed to read connection string from file(" + path + ")");
  }
}
