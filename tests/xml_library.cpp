// Everything that reads the descriptor expects the XML library to be up, as
// the tool's entry point leaves it for every command.
#include <gtest/gtest.h>
#include <xercesc/util/PlatformUtils.hpp>

namespace {

class XmlLibrary : public testing::Environment {
 public:
  void SetUp() override { xercesc::XMLPlatformUtils::Initialize(); }
  void TearDown() override { xercesc::XMLPlatformUtils::Terminate(); }
};

[[maybe_unused]] testing::Environment* const kXmlLibrary =
    testing::AddGlobalTestEnvironment(new XmlLibrary);

}  // namespace
