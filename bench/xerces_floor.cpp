// The floor under every command: a process that only starts and stops the
// XML library, linked the same way as the tool.
#include <xercesc/util/PlatformUtils.hpp>

int main() {
  xercesc::XMLPlatformUtils::Initialize();
  xercesc::XMLPlatformUtils::Terminate();
  return 0;
}
