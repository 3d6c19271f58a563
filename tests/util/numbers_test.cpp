#include "util/numbers.h"

#include <gtest/gtest.h>

#include <climits>

TEST(ParseInteger, ReadsLikeAtoiWithoutOverflow) {
  const struct {
    const char* text;
    int value;
  } cases[] = {
      {"80", 80},
      {"80x", 80},
      {"x80", 0},
      {"", 0},
      {"  \t-3", -3},
      {"+7", 7},
      {"- 3", 0},
      {"\v\f12", 12},
      {"2147483647", INT_MAX},
      {"2147483648", INT_MAX},
      {"-2147483648", INT_MIN},
      {"-99999999999999999999", INT_MIN},
      {"99999999999999999999999", INT_MAX},
      {"\xA0"
       "5",
       0},
  };
  for (const auto& c : cases) EXPECT_EQ(parseInteger(c.text), c.value) << '"' << c.text << '"';
}
