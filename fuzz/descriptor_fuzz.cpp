// Fuzz target: the descriptor, on a real file in the data folder that a tool
// folder's settings file names, read as the commands read it. Besides
// crashes, it aborts when
// - the lookup (SAX) and the removal (DOM and rewrite) of the repository "a"
//   disagree on whether the file holds "a" with a port;
// - the listing, with the instances its table and JSON show or with the
//   names alone, shows a name twice, with another instance than the lookup
//   of that name finds, or shows it although the lookup finds nothing, or
//   leaves out a name that the lookup finds (tried: every name shown and
//   every name="..." the input spells out).
#include "config/descriptor_rewriter.h"
#include "config/folders.h"
#include "support/temp_folder.h"

#include <xercesc/util/PlatformUtils.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <tuple>

namespace {

struct Installation {
  TempFolder tool, data;
  Installation() {
    xercesc::XMLPlatformUtils::Initialize();
    tool.write("zerin.cfg", "repository_data_directory,\"" + data.native() + "\"\n");
  }
};

bool same(const RepositoryInstance& a, const RepositoryInstance& b) {
  return std::tie(a.host, a.port, a.vexaHost, a.vexaPort, a.vexaListeningHost, a.path) ==
         std::tie(b.host, b.port, b.vexaHost, b.vexaPort, b.vexaListeningHost, b.path);
}

// Every name the listing shows, in both of its forms, agrees with the lookup.
void checkListing(const std::string& tool, const std::string& input) {
  RepositoryList shown, names;
  const std::string descriptor = getDescriptorPath(tool);
  // A listing that fails shows nothing.
  if (!listRepositoryInstances(descriptor, true, shown, nullptr)) shown = RepositoryList();
  if (!listRepositoryInstances(descriptor, false, names, nullptr)) names = RepositoryList();
  if (names.names != shown.names) std::abort();

  std::set<std::string> tried(shown.names.begin(), shown.names.end());
  for (size_t at = input.find("name="); at != std::string::npos && at + 6 < input.size();
       at = input.find("name=", at + 1))
    tried.insert(input.substr(at + 6, input.find(input[at + 5], at + 6) - at - 6));
  for (const std::string& name : tried) {
    RepositoryInstance instance;
    bool found = findRepositoryInstance(tool, name, instance);
    auto first = std::find(shown.names.begin(), shown.names.end(), name);
    if (std::count(first, shown.names.end(), name) != (found ? 1 : 0)) std::abort();
    if (found && !same(shown.instances[first - shown.names.begin()], instance)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Installation installation;
  const std::string input(reinterpret_cast<const char*>(data), size);
  installation.data.write("vexa_config.xml", input);
  const std::string tool = installation.tool.native();
  RepositoryInstance looked, removed;
  checkListing(tool, input);
  std::string reason;
  bool found = findRepositoryInstance(tool, "a", looked);
  if ((removeRepositoryInstance(getDescriptorPath(tool), "a", removed, reason) ==
       Removal::kRemoved) != found)
    std::abort();
  return 0;
}
