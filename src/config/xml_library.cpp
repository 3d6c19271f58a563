#include "config/xml_library.h"

#include "platform/system.h"

#include <xercesc/util/PlatformUtils.hpp>

namespace {

// Whether this run's start is still to be matched by its stop. The library
// counts its starts; a second stop would end it under a test's feet.
bool started = false;

}  // namespace

bool startXmlLibrary() {
  try {
    xercesc::XMLPlatformUtils::Initialize();
  } catch (...) {
    return false;
  }
  started = true;
  return true;
}

void stopXmlLibrary() {
  if (!started) return;
  started = false;
  xercesc::XMLPlatformUtils::Terminate();
  releaseFreedMemory();
}
