// Fuzz target: the descriptor, on a real file in the data folder that a tool
// folder's settings file names, read as the commands read it: the lookup
// (SAX) and then the removal (DOM and rewrite) of the repository "a". Both
// read the same file, so they must agree on whether it holds "a" with a port.
#include "config/descriptor.h"
#include "support/temp_folder.h"

#include <xercesc/util/PlatformUtils.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

struct Installation {
  TempFolder tool, data;
  Installation() {
    xercesc::XMLPlatformUtils::Initialize();
    tool.write("zerin.cfg", "repository_data_directory,\"" + data.native() + "\"\n");
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Installation installation;
  installation.data.write("vexa_config.xml",
                          std::string(reinterpret_cast<const char*>(data), size));
  RepositoryInstance looked, removed;
  bool found = findRepositoryInstance(installation.tool.native(), "a", looked, true);
  if (findRepositoryInstance(installation.tool.native(), "a", removed, false) != found)
    std::abort();
  return 0;
}
