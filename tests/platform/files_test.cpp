// The descriptor's lock, between two holders: the second waits its time and
// gives up while the first holds it, and has it once the first lets go.
#include "platform/files.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

TEST(LockExclusively, ASecondHolderWaitsItsTimeThenHasItOnceTheFirstLetsGo) {
  TempFolder folder;
  const std::string file = folder.native("vexa_config.xml");
  LockHandle first = 0, second = 0;
  ASSERT_TRUE(lockExclusively(file, 0, &first));
  EXPECT_FALSE(lockExclusively(file, 200, &second));
  unlock(first);
  ASSERT_TRUE(lockExclusively(file, 0, &second));
  unlock(second);
}
