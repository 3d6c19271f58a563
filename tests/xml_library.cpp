// What every test process starts from: the XML library up, as the tool's
// entry point leaves it for every command, and none of the tool's own
// variables that the user's shell may hold (a README suggests exporting
// ZERINCTL_PASSWORD): a row that wants one sets it itself.
#include "support/installation.h"

#include <gtest/gtest.h>
#include <xercesc/util/PlatformUtils.hpp>

namespace {

class TestProcess : public testing::Environment {
 public:
  void SetUp() override {
    for (const char* name : {"ZERINCTL_PASSWORD", "ZERINCTL_PASSWORD_FILE", "ZERINCTL_TRACE",
                             "ZERINCTL_SHUTDOWN_TIMEOUT", "NOTIFY_SOCKET"})
      setVariable(name, std::nullopt);
    xercesc::XMLPlatformUtils::Initialize();
  }
  void TearDown() override { xercesc::XMLPlatformUtils::Terminate(); }
};

[[maybe_unused]] testing::Environment* const kTestProcess =
    testing::AddGlobalTestEnvironment(new TestProcess);

}  // namespace
