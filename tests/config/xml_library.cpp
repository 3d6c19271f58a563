// The descriptor reader needs the XML library up, as the tool's entry point
// leaves it for every command.
#include <gtest/gtest.h>
#include <xercesc/util/PlatformUtils.hpp>

class XmlLibrary : public testing::Environment {
 public:
  void SetUp() override { xercesc::XMLPlatformUtils::Initialize(); }
  void TearDown() override { xercesc::XMLPlatformUtils::Terminate(); }
};

[[maybe_unused]] static testing::Environment* const kXmlLibrary =
    testing::AddGlobalTestEnvironment(new XmlLibrary);
