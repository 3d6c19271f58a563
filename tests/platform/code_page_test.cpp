#include "platform/code_page.h"

#include "support/tool_run.h"

#include <gtest/gtest.h>

// A code page that cannot hold a character never gets a look-alike or a
// '?' for it, so that no name turns into another name on its way.
TEST(CodePage, ConvertsEveryCharacterOrMarksTheOnesItCannotHold) {
  if (!kWindows) GTEST_SKIP() << "POSIX hands text on as bytes";
  const struct {
    const char* utf8;
    unsigned codePage;
    const char* converted;
    bool held;
  } cases[] = {
      {"Zo\xC3\xAB", 1252, "Zo\xEB", true},           {"顧客", 1252, "<U+9867><U+5BA2>", false},
      {"a\xC4\x85z", 1252, "a<U+0105>z", false},  // no best fit "a"
      {"\xF0\x9D\x84\x9E", 1252, "<U+1D11E>", false}, {"顧客", 932, "\x8C\xDA\x8B\x71", true},
      {"顧客", kUtf8CodePage, "顧客", true},
  };
  for (const auto& c : cases) {
    bool held = !c.held;
    EXPECT_EQ(fromUtf8(c.utf8, c.codePage, &held), c.converted) << c.utf8 << " " << c.codePage;
    EXPECT_EQ(held, c.held) << c.utf8 << " " << c.codePage;
  }
  std::string utf8;
  EXPECT_TRUE(toUtf8("Zo\xEB", 1252, &utf8));
  EXPECT_EQ(utf8, "Zo\xC3\xAB");
  EXPECT_FALSE(toUtf8("Zo\xEB", kUtf8CodePage, &utf8));
  EXPECT_EQ(legacyCodePage(), 1252u);  // the locale that wine-run.sh sets
  EXPECT_EQ(unheldStartText(), "");
}
